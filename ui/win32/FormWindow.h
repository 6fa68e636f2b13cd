#pragma once
// FormWindow: one form drawn as a Windows window. It makes the window and a child window for each
// windowed control from the model, keeps them in step with the model (Sync), and hands the user's
// clicks, presses on the background and the close box to the driver. It reads the model only in
// Sync and when it is made; painting uses what Sync last applied, so a window never reaches a form
// that has gone.

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Form.h"
#include "ui/win32/Gdi.h"
#include "ui/win32/Layout.h"

namespace kx::ui::win32 {

class FormWindow;

// What the driver does with the user's actions on a window. Any of them may destroy the window,
// so a FormWindow touches nothing of its own after calling one.
class FormWindowEvents {
 public:
  virtual ~FormWindowEvents() = default;
  virtual void ControlClicked(FormWindow& window, const std::string& control, int index) = 0;
  virtual void BackgroundPressed(FormWindow& window, const EventArgs& args) = 0;
  virtual void CloseBoxPressed(FormWindow& window) = 0;
};

class FormWindow {
 public:
  FormWindow(Form& form, HWND owner, int dpi, Gdi& gdi, FormWindowEvents& events);
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;
  // Destroys the window, if Windows has not already.
  ~FormWindow();

  HWND Handle() const { return window_; }
  // The form drawn; null once it has gone.
  std::shared_ptr<Form> Model() const { return form_.lock(); }
  bool Draws(const Form& form) const { return &form == identity_; }
  const std::string& FormName() const { return formName_; }
  // Form units back from pixels, for where the mouse was pressed.
  const Layout& Units() const { return layout_; }

  // Applies whatever of the model changed since the last call.
  void Sync(const Form& form);
  // Only what was shown, hidden, enabled or disabled: cheap enough for every row an engine does,
  // as it costs no call to Windows while nothing changed.
  void SyncShown(const Form& form);
  HWND ControlWindow(std::string_view name, int index) const;
  // The keyboard: Enter presses the focused button, arrows move between option buttons and
  // choose, then the dialog keys (Tab, Space, mnemonics). True when the message was used.
  bool Translate(MSG& message);
  // Puts the focus on the first control Tab reaches.
  void FocusFirst();

 private:
  enum class Kind { Label, Button, Option, Check, Frame, Bar, Image, Shape, Line };

  // What the user sees of one control, as last applied.
  struct Look {
    std::string text;
    bool visible = true;
    bool enabled = true;
    RECT box{};
    COLORREF back = 0;
    COLORREF fore = 0;
    ui::Font font;
    bool checked = false;
    int min = 0;
    int max = 0;
    int value = 0;
    std::string tip;
    TextAlign align = TextAlign::Left;
    bool wrap = false;
    SpecialEffect effect = SpecialEffect::Flat;
    MousePointer pointer = MousePointer::Default;
    bool filled = false;
    COLORREF fill = 0;
    POINT from{};
    POINT to{};
    std::string picture;
    bool stretch = false;
  };

  struct Child {
    std::string name;
    int index = -1;
    Kind kind = Kind::Label;
    std::string group;         // option buttons: their GroupName
    bool clickable = false;    // labels: the form handles their Click
    HWND window = nullptr;     // null for shapes and lines, which the form paints
    bool hasTip = false;
    HBITMAP bitmap = nullptr;  // images: the picture loaded from the module
    Look look;
  };

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  bool Handle(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  Look LookOf(const Form& form, std::size_t i) const;
  void Create(const Form& form, std::size_t i);
  void Apply(Child& child, const Look& look);
  void ApplyTip(Child& child, const std::string& tip);
  void ArrangeZOrder();
  void KeepOptionTabStops();
  void KeepFocusReachable();
  void Paint(HDC dc) const;
  Child* Find(HWND control);
  const Child* NextOption(const Child& from, bool forward) const;
  // Tells the driver; `this` may be gone when it returns.
  void Click(const Child& child);

  std::weak_ptr<Form> form_;
  const Form* identity_;
  std::string formName_;
  Gdi& gdi_;
  FormWindowEvents& events_;
  Layout layout_;
  HWND window_ = nullptr;
  HWND tips_ = nullptr;
  std::string caption_;
  COLORREF back_ = 0;
  SIZE client_{};
  std::vector<Child> children_;
};

// The window class is registered by the first window; the driver unregisters it when it goes,
// which fails harmlessly while another driver's windows still use it.
void UnregisterFormClass();

}  // namespace kx::ui::win32
