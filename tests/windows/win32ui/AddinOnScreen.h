#pragma once
// The add-in's windows on a real screen: a memhost workbook as the host, a plain top-level window
// standing for the host's main window, the Win32 driver owning its windows to it, and the add-in's
// state on that driver. Addresses the About window opens are recorded, not opened.

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "memhost/objects/Application.h"
#include "ui/AddinState.h"
#include "ui/win32/Win32Driver.h"

namespace kx::testing {

// Passes everything to the Win32 driver, counting the add-in's yields so that a test can act at
// the nth one (a "Stop" clicked while the engine runs).
class YieldWatch final : public ui::Driver {
 public:
  explicit YieldWatch(ui::Driver& screen) : screen_(screen) {}

  // Runs `act` right after the nth yield (counted from 1) has delivered what was waiting.
  void AtYield(long n, std::function<void()> act) { atYield_[n] = std::move(act); }
  long Yields() const { return yields_; }

  void ShowModal(ui::Form& form) override { screen_.ShowModal(form); }
  void ShowModeless(ui::Form& form) override { screen_.ShowModeless(form); }
  void DoEvents() override {
    screen_.DoEvents();
    const auto found = atYield_.find(++yields_);
    if (found != atYield_.end()) found->second();
  }
  void MsgBox(std::string_view text) override { screen_.MsgBox(text); }
  void OpenUrl(std::string_view address) override { screen_.OpenUrl(address); }
  void BeginWindowDrag(ui::Form& form) override { screen_.BeginWindowDrag(form); }
  void WindowClosed(ui::Form& form) override { screen_.WindowClosed(form); }
  void PropertyChanged(const ui::PropertyChange& change) override { screen_.PropertyChanged(change); }

 private:
  ui::Driver& screen_;
  std::map<long, std::function<void()>> atYield_;
  long yields_ = 0;
};

// The host's main window: a plain window, as large as a spreadsheet's would be. One serves the
// whole program (under Wine without a window manager, every window that goes costs a wait).
class HostWindow {
 public:
  static HostWindow& Shared();
  HWND Handle() const { return window_; }

 private:
  HostWindow();
  HWND window_ = nullptr;
};

struct OpenedAddress {
  HWND owner;
  std::wstring address;
};

class AddinOnScreen {
 public:
  AddinOnScreen();

  // A form's window and one of its controls' windows, if the form is loaded and shown; looking
  // never creates the form.
  template <class F>
  HWND WindowOf() {
    return state.Forms.IsLoaded<F>() ? driver.WindowOf(state.Forms.Get<F>()) : nullptr;
  }
  template <class F>
  HWND ControlOf(const std::string& name, int index = -1) {
    return state.Forms.IsLoaded<F>() ? driver.ControlWindowOf(state.Forms.Get<F>(), name, index) : nullptr;
  }

  // Column A of the active sheet from row 1 down, then selected.
  void FillColumn(const std::vector<std::string>& values);
  // Brings the windows up to date as the driver's next repaint does: labels and the bar reach
  // Windows only then, a few dozen times a second. For use inside a run, at a yield.
  void Repaint();

  std::shared_ptr<memhost::Application> app = std::make_shared<memhost::Application>("16.0");
  HostWindow& host = HostWindow::Shared();
  std::vector<OpenedAddress> opened;
  ui::Win32Driver driver{[this] { return host.Handle(); },
                         [this](HWND owner, const std::wstring& address) { opened.push_back({owner, address}); }};
  YieldWatch screen{driver};
  ui::AddinState state{screen};
};

}  // namespace kx::testing
