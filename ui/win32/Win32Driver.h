#pragma once
// Win32Driver: the add-in's windows drawn by Windows. Each form becomes a window with a child
// window per windowed control, placed and coloured from the model (FormWindow.h) and kept in step
// with it. A modal show disables the host's window and runs a message loop until the form is
// hidden or unloaded; DoEvents pumps the messages waiting, so that a click on "Stop" reaches its
// handler while an engine runs; a click on a control is the model's Press. Text reaches Windows
// as UTF-16.
//
//   ui::Win32Driver screen([&host] { return host.MainWindow(); });
//
// The module that hosts the driver carries a manifest asking for common controls 6.

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Driver.h"
#include "ui/win32/FormWindow.h"
#include "ui/win32/Gdi.h"

namespace kx::ui {

class Win32Driver final : public Driver, private win32::FormWindowEvents {
 public:
  // The host's main window, asked for whenever a window or a message box needs an owner; a host
  // without one gives null.
  using HostWindow = std::function<HWND()>;
  // Opens a web address with the given window as owner; the outcome is not looked at.
  using UrlOpener = std::function<void(HWND owner, const std::wstring& address)>;

  // Without an opener, addresses go to the shell's "open" verb.
  explicit Win32Driver(HostWindow hostWindow = {}, UrlOpener openUrl = {});
  Win32Driver(const Win32Driver&) = delete;
  Win32Driver& operator=(const Win32Driver&) = delete;
  // Destroys every window still up.
  ~Win32Driver() override;

  // The window drawn for a form, and the child window of one of its controls; null when there is
  // none (not shown yet, unloaded, or a shape or line, which the form paints).
  HWND WindowOf(const Form& form) const;
  HWND ControlWindowOf(const Form& form, std::string_view control, int index = -1) const;

  // --- Driver ---
  void ShowModal(Form& form) override;
  void ShowModeless(Form& form) override;
  void DoEvents() override;
  void MsgBox(std::string_view text) override;
  void OpenUrl(std::string_view address) override;
  void BeginWindowDrag(Form& form) override;
  void WindowClosed(Form& form) override;
  void PropertyChanged(const PropertyChange& change) override;

 private:
  struct ModalShow {
    const Form* form = nullptr;
    std::vector<HWND> disabled;  // what the show disabled, to be enabled again when it ends
    bool ended = false;
  };

  // --- FormWindowEvents ---
  void ControlClicked(win32::FormWindow& window, const std::string& control, int index) override;
  void BackgroundPressed(win32::FormWindow& window, const EventArgs& args) override;
  void CloseBoxPressed(win32::FormWindow& window) override;

  win32::FormWindow* Find(const Form& form) const;
  // The form's window, made now if it has none.
  win32::FormWindow* Open(Form& form);
  // Who owns a new window or message box: the modal window on top, else the host's window.
  HWND Owner() const;
  HWND Host() const { return hostWindow_ ? hostWindow_() : nullptr; }
  void EndModal(const Form& form);
  void Destroy(const win32::FormWindow* window);
  // Windows whose form has gone are destroyed; a window Windows destroyed (its owner went) has
  // its form closed as the close box would.
  void Purge();
  void SyncAll();
  void SyncAfterEvent(const std::shared_ptr<Form>& model);
  // The keyboard handling of the window a message is for; true when the message was used.
  bool Translate(MSG& message);
  void Pump(MSG& message);
  void HookKeyboard();
  static LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam);

  HostWindow hostWindow_;
  UrlOpener openUrl_;
  win32::Gdi gdi_;
  int dpi_ = 96;
  std::vector<std::unique_ptr<win32::FormWindow>> windows_;
  std::vector<ModalShow> modal_;
  HHOOK keyboardHook_ = nullptr;
  // Inside our own loops the keyboard is handled there, not by the hook.
  int ownLoops_ = 0;
  // When DoEvents last let the windows repaint.
  static constexpr ULONGLONG kRepaintMilliseconds = 40;
  ULONGLONG lastRepaint_ = 0;
  // When DoEvents last looked at the message queue, and how long it waits between looks, both
  // in performance-counter ticks.
  static constexpr LONGLONG kLookMilliseconds = 4;
  LONGLONG lastLook_ = 0;
  LONGLONG lookTicks_ = 0;
};

}  // namespace kx::ui
