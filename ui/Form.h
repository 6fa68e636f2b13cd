#pragma once
// Form: a window as a model. A concrete form declares its controls as plain members, registers
// them by name in its constructor together with its handlers (methods named control_event), and
// is then drawn and driven by a Driver through the generic members here.
//
//   class frmAsk : public ui::Form {
//    public:
//     frmAsk() : Form("frmAsk") {
//       Add("lblStatus", lblStatus);
//       Add("CommandButton1", CommandButton1);
//       Handle("CommandButton1", ui::Event::Click, &frmAsk::CommandButton1_Click);
//       HandleForm(ui::Event::Initialize, &frmAsk::UserForm_Initialize);
//     }
//     ui::Label lblStatus;
//     ui::CommandButton CommandButton1;
//     void CommandButton1_Click() { Unload(); }
//     void UserForm_Initialize() {}
//   };
//
// A form is created and loaded by its default-instance holder (FormHolder), which also hears when
// the form unloads itself. Forms are neither copied nor moved: handlers and watchers point at them.

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Color.h"
#include "ui/Controls.h"
#include "ui/Events.h"
#include "ui/PropertyChange.h"

namespace kx::ui {

class Driver;
class Form;

// What a loaded form talks to: the holder of its default instance.
class FormSite {
 public:
  virtual ~FormSite() = default;
  virtual Driver& Ui() = 0;
  // The form is unloading; the holder forgets it so the next reference creates a fresh one.
  virtual void Release(Form& form) = 0;
};

struct ControlEntry {
  std::string Name;
  int Index = -1;  // the element of a control array, -1 for a single control
  ControlRef Control;

  // "lblPer", or "lblColIndex(13)" for an element of a control array.
  std::string DisplayName() const;
};

class Form : public std::enable_shared_from_this<Form> {
 public:
  virtual ~Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  const std::string& Name() const { return name_; }

  std::string Caption;
  OleColor BackColor = kButtonFace;
  // The font controls start from, in the form's own units (points on a user form).
  ui::Font Font;
  float Width = 0;
  float Height = 0;

  bool Visible() const { return visible_; }
  bool Loaded() const { return loaded_; }

  // Modal: returns once the form is hidden or unloaded. Modeless: returns at once.
  void Show(ShowStyle style = ShowStyle::Modal);
  void Hide();
  // Closes the form and discards it; the next reference to its default instance creates a new
  // one. Safe from inside the form's own handlers: the object lives until the handler returns.
  void Unload();

  // --- For drivers ---
  const std::vector<ControlEntry>& Controls() const { return controls_; }
  const ControlEntry* FindControl(std::string_view name, int index = -1) const;
  bool HasHandler(std::string_view control, Event event) const;
  // Runs the handler registered for (control, event); false when there is none.
  bool Raise(std::string_view control, Event event, const EventArgs& args = {});
  // What a user's click on a control does: option buttons select themselves, check boxes toggle,
  // then the Click handler runs. Refused, with the reason, when the form is not shown or the
  // control does not exist, is hidden or is disabled.
  std::optional<std::string> Press(std::string_view control, int index = -1);
  // The form's initialisation events (Initialize, then Load), run by its holder on creation.
  void RunInitialisation();
  // Called by the holder that created the form.
  void AttachTo(FormSite& site) { site_ = &site; }

 protected:
  explicit Form(std::string name) : name_(std::move(name)) {}

  template <class C>
  void Add(std::string name, C& control) {
    Register(std::move(name), -1, control);
  }
  template <class C, std::size_t N>
  void Add(std::string name, std::array<C, N>& controls) {
    for (std::size_t i = 0; i < N; ++i) Register(name, static_cast<int>(i), controls[i]);
  }

  template <class F>
  void Handle(std::string control, Event event, void (F::*handler)()) {
    AddHandler(std::move(control), event, [this, handler](const EventArgs&) { (Self<F>().*handler)(); });
  }
  // A control array's handler receives the index of the element that raised the event.
  template <class F>
  void Handle(std::string control, Event event, void (F::*handler)(int)) {
    AddHandler(std::move(control), event,
               [this, handler](const EventArgs& args) { (Self<F>().*handler)(args.Index); });
  }
  // Mouse handlers receive the button, the shift state and the position.
  template <class F>
  void Handle(std::string control, Event event, void (F::*handler)(int, int, float, float)) {
    AddHandler(std::move(control), event, [this, handler](const EventArgs& args) {
      (Self<F>().*handler)(args.Button, args.Shift, args.X, args.Y);
    });
  }
  template <class Method>
  void HandleForm(Event event, Method handler) {
    Handle(std::string(kFormItself), event, handler);
  }

  // The driver of the holder that loaded this form; only valid while the form is loaded.
  Driver& Ui();

 private:
  struct HandlerEntry {
    std::string Control;
    Event On;
    std::function<void(const EventArgs&)> Run;
  };

  template <class F>
  F& Self() {
    return static_cast<F&>(*this);
  }
  template <class C>
  void Register(std::string name, int index, C& control);
  void AddHandler(std::string control, Event event, std::function<void(const EventArgs&)> run);
  void Report(std::string_view control, int index, std::string_view property,
              std::variant<std::string_view, double> value);

  std::string name_;
  bool visible_ = false;
  bool loaded_ = true;
  FormSite* site_ = nullptr;
  std::vector<ControlEntry> controls_;
  std::vector<HandlerEntry> handlers_;
};

template <class C>
void Form::Register(std::string name, int index, C& control) {
  if constexpr (std::is_same_v<C, Label>) {
    control.Caption.ReportTo(
        [this, name, index](const std::string& text) {
          Report(name, index, "Caption", std::string_view(text));
        });
  } else if constexpr (std::is_same_v<C, ProgressBar>) {
    control.ReportTo([this, name, index](std::string_view property, float value) {
      Report(name, index, property, static_cast<double>(value));
    });
  }
  controls_.push_back(ControlEntry{std::move(name), index, ControlRef(&control)});
}

}  // namespace kx::ui
