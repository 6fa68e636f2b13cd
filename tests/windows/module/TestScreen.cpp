#include "tests/windows/module/TestScreen.h"

#include <gtest/gtest.h>

#include "ui/ScriptedDriver.h"

namespace kx::testing {

ui::Driver& ForwardingDriver::Target() {
  if (target_ != nullptr) return *target_;
  // A window shown while no test is looking: the user closes whatever comes up.
  static ui::ScriptedDriver nobody([](const std::string& problem) {
    ADD_FAILURE() << "the add-in showed a window no test expected: " << problem;
  });
  return nobody;
}

ForwardingDriver& TestScreen() {
  static ForwardingDriver screen;
  return screen;
}

}  // namespace kx::testing

// The module asks the program that loaded it for this: the add-in's windows then go to the
// screen the running test set up, not to Windows.
extern "C" __declspec(dllexport) kx::ui::Driver* KestrixTestDriver() {
  return &kx::testing::TestScreen();
}
