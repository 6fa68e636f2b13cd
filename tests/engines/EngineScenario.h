#pragma once
// A memhost with one open book, the add-in's state on a scripted screen, and a way to run a
// duplicate command through its progress window as the user would: the question, then "Yes".

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/Host.h"
#include "memhost/objects/Application.h"
#include "runner/Operations.h"
#include "runner/frmPrgBar.h"
#include "ui/AddinState.h"
#include "ui/ScriptedDriver.h"

namespace kx::testing {

class EngineScenario : public ::testing::Test {
 protected:
  EngineScenario() {
    state.HostApp = app;
    book = app->AddBook();
  }

  // Fills a column from row 1 down; each text is typed as the user would type it.
  void Column(const std::string& letter, const std::vector<std::string>& values) {
    for (size_t i = 0; i < values.size(); ++i) {
      if (values[i].empty()) continue;
      auto cell = app->Range(letter + std::to_string(i + 1));
      ASSERT_TRUE(cell.ok());
      ASSERT_TRUE((*cell)->SetValue(host::Variant(values[i])).ok());
    }
  }
  void Select(const std::string& address) { ASSERT_TRUE(app->SelectAddress(address).ok()); }

  // What the column shows from row 1 to row n.
  std::vector<std::string> Shown(const std::string& letter, size_t n) {
    std::vector<std::string> out;
    for (size_t i = 1; i <= n; ++i) {
      out.push_back(app->Range(letter + std::to_string(i)).value()->Text().value());
    }
    return out;
  }

  // The front-end's part: the code, the question, the window shown modally; the script presses
  // "Yes" (unless the test queued its own steps first).
  void Run(const runner::Operation& op, bool pressYes = true) {
    state.CurrentOperation = std::string(op.code);
    auto& window = state.Forms.Get<runner::frmPrgBar>();
    window.lblStatus.Caption = std::string(op.question);
    if (pressYes) screen.WhenShown("frmPrgBar").Press("CommandButton1");
    window.Show(ui::ShowStyle::Modal);
  }

  // The settings every engine leaves behind once it changed them.
  void ExpectSettingsRestored() {
    EXPECT_EQ(app->CalculationSetting().value(), host::xl::CalculationAutomatic);
    EXPECT_EQ(app->StatusBarSetting(), host::Variant(""));
    EXPECT_TRUE(app->ScreenUpdatingSetting());
    EXPECT_EQ(app->EnableCancelKeySetting(), host::xl::CancelKeyErrorHandler);
    EXPECT_FALSE(state.Forms.IsLoaded<runner::frmPrgBar>());
  }
  // The settings of a fresh host: a run that ended at its checks changed none of them.
  void ExpectSettingsUntouched() {
    EXPECT_TRUE(app->StatusBarSetting().IsBoolean());
    EXPECT_TRUE(app->ScreenUpdatingSetting());
    EXPECT_NE(app->EnableCancelKeySetting(), host::xl::CancelKeyErrorHandler);
    EXPECT_FALSE(state.Forms.IsLoaded<runner::frmPrgBar>());
  }

  std::vector<std::string> Percentages() const { return screen.Captions("frmPrgBar", "lblPer"); }
  std::vector<double> BarMaximums() const { return screen.Numbers("frmPrgBar", "ProgressBar1", "Max"); }

  std::shared_ptr<memhost::Application> app = std::make_shared<memhost::Application>("16.0");
  std::shared_ptr<memhost::Book> book;
  ui::ScriptedDriver screen{[](const std::string& problem) { ADD_FAILURE() << problem; }};
  ui::AddinState state{screen};
};

}  // namespace kx::testing
