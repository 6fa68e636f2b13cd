#pragma once
// A screen that fails the test on any problem as it happens, and the add-in state over it.

#include <gtest/gtest.h>

#include "tests/ui/TestForms.h"

namespace kx::ui::testing {

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frmJob::Created = 0;
    frmJob::Items = 4;
    frmJob::PickFirst = false;
    frmJob::Processed = 0;
    frmSwatches::ButtonClicks = 0;
  }

  ScriptedDriver screen{[](const std::string& problem) { ADD_FAILURE() << problem; }};
  AddinState state{screen};
};

// For tests about the problems themselves: they are collected, not failed on.
class UiProblemTest : public UiTest {
 protected:
  ScriptedDriver quiet;
  AddinState quietState{quiet};
};

}  // namespace kx::ui::testing
