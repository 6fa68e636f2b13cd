#pragma once
// The screen of the add-in inside the test program: it passes everything on to the scripted
// driver the running test points it at.

#include "ui/Driver.h"

namespace kx::testing {

class ForwardingDriver final : public ui::Driver {
 public:
  void Use(ui::Driver* target) { target_ = target; }
  void ShowModal(ui::Form& form) override { Target().ShowModal(form); }
  void ShowModeless(ui::Form& form) override { Target().ShowModeless(form); }
  void DoEvents() override { Target().DoEvents(); }
  void MsgBox(std::string_view text) override { Target().MsgBox(text); }
  void OpenUrl(std::string_view address) override { Target().OpenUrl(address); }
  void BeginWindowDrag(ui::Form& form) override { Target().BeginWindowDrag(form); }
  void WindowClosed(ui::Form& form) override { Target().WindowClosed(form); }
  void PropertyChanged(const ui::PropertyChange& change) override {
    Target().PropertyChanged(change);
  }

 private:
  ui::Driver& Target();
  ui::Driver* target_ = nullptr;
};

ForwardingDriver& TestScreen();

}  // namespace kx::testing
