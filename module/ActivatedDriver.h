#pragma once
// ActivatedDriver: the add-in's windows drawn under the module's own manifest. A module's
// manifest is not the process's: the host may run with other common controls, so every call
// that may make a window activates the module's context for its duration.

#include <windows.h>

#include "ui/Driver.h"

namespace kx::module {

class ActivatedDriver final : public ui::Driver {
 public:
  // `context` may be INVALID_HANDLE_VALUE (no manifest): calls then go through unchanged.
  ActivatedDriver(ui::Driver& inner, HANDLE context) : inner_(inner), context_(context) {}

  void ShowModal(ui::Form& form) override;
  void ShowModeless(ui::Form& form) override;
  void DoEvents() override;
  void MsgBox(std::string_view text) override;
  void OpenUrl(std::string_view address) override;
  void BeginWindowDrag(ui::Form& form) override;
  void WindowClosed(ui::Form& form) override;
  void PropertyChanged(const ui::PropertyChange& change) override;

  // The activation context of the module's manifest (resource 2).
  static HANDLE ModuleContext(HMODULE module);

 private:
  class Active;
  ui::Driver& inner_;
  HANDLE context_;
};

}  // namespace kx::module
