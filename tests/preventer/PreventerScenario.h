#pragma once
// A memhost with one open book, the add-in's state on a scripted screen, and the Duplicate
// Preventer dialog used as the user uses it: open it, click its choices and Apply, close it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/Host.h"
#include "memhost/objects/Application.h"
#include "preventer/frmDupPrev.h"
#include "ui/AddinState.h"
#include "ui/ScriptedDriver.h"

namespace kx::testing {

class PreventerScenario : public ::testing::Test {
 protected:
  PreventerScenario() {
    state.HostApp = app;
    book = app->AddBook();
  }

  // Writes texts into a column from `firstRow` down; an empty text leaves its cell empty.
  void Column(const std::string& letter, const std::vector<std::string>& values, int firstRow = 1) {
    for (size_t i = 0; i < values.size(); ++i) {
      if (values[i].empty()) continue;
      auto cell = app->Range(letter + std::to_string(firstRow + static_cast<int>(i)));
      ASSERT_TRUE(cell.ok());
      ASSERT_TRUE((*cell)->SetValue(host::Variant(values[i])).ok());
    }
  }
  void Select(const std::string& address) { ASSERT_TRUE(app->SelectAddress(address).ok()); }
  std::string SelectionAddress() { return app->Selection().value()->Address().value(); }

  // Opens the dialog, clicks the controls in order and closes it with its Close button.
  void UseDialog(const std::vector<std::string>& clicks) {
    auto steps = screen.WhenShown("frmDupPrev");
    for (const auto& control : clicks) steps.Press(control);
    steps.Press("Command2");
    state.Forms.Get<preventer::frmDupPrev>().Show();
    EXPECT_FALSE(state.Forms.IsLoaded<preventer::frmDupPrev>());
  }
  // The three ways the dialog is used; "Select Column" starts ticked.
  void ActivateOnColumn() { UseDialog({"Command1"}); }
  void ActivateOnSelection() { UseDialog({"chkSelCol", "Command1"}); }
  void Deactivate() { UseDialog({"optDeAct", "Command1"}); }

  const std::vector<memhost::ValidationRule>& Rules() const { return book->sheets[0]->validations(); }
  // A rule of the user's own: a list of allowed values.
  void AddListRule(const std::string& address) {
    host::ValidationAddArgs list{host::xl::ValidateList, {}, {}, host::Variant("x,y"), {}};
    ASSERT_TRUE(app->Range(address).value()->Validation().value()->Add(list).ok());
  }

  // The rule the preventer installs, with every setting it makes.
  void ExpectPreventerRule(const memhost::ValidationRule& rule, const std::string& formula) {
    EXPECT_EQ(rule.formula1, formula);
    EXPECT_EQ(rule.type, host::xl::ValidateCustom);
    EXPECT_EQ(rule.alertStyle, host::xl::ValidAlertStop);
    EXPECT_EQ(rule.op, host::xl::Between);
    EXPECT_TRUE(rule.ignoreBlank);
    EXPECT_TRUE(rule.inCellDropdown);
    EXPECT_EQ(rule.inputTitle, "Duplicate");
    EXPECT_EQ(rule.errorTitle, "");
    EXPECT_EQ(rule.inputMessage, "");
    EXPECT_EQ(rule.errorMessage, "Duplicate Entry!");
    EXPECT_TRUE(rule.showError);
  }

  // Starts from manual calculation so that the finishing step can be seen to switch it.
  void CalculationManual() {
    ASSERT_TRUE(app->SetCalculation(host::xl::CalculationManual).ok());
  }
  // What every Apply past the checks leaves behind.
  void ExpectFinished() {
    EXPECT_EQ(app->OnUndoText(), "kestrix_Undo");
    EXPECT_EQ(app->OnUndoProcedure(), "undo_changes");
    EXPECT_EQ(app->OnKeyProcedure("^z"), "undo_changes");
    EXPECT_EQ(app->CalculationSetting().value(), host::xl::CalculationAutomatic);
    EXPECT_EQ(app->StatusBarSetting(), host::Variant(""));
    EXPECT_TRUE(app->ScreenUpdatingSetting());
    EXPECT_EQ(app->EnableCancelKeySetting(), host::xl::CancelKeyErrorHandler);
  }
  // A fresh host's settings (calculation as CalculationManual left it): Apply stopped at a check.
  void ExpectUntouched() {
    EXPECT_EQ(app->OnUndoText(), "");
    EXPECT_EQ(app->OnKeyProcedure("^z"), std::nullopt);
    EXPECT_TRUE(app->StatusBarSetting().IsBoolean());
    EXPECT_TRUE(app->ScreenUpdatingSetting());
    EXPECT_NE(app->EnableCancelKeySetting(), host::xl::CancelKeyErrorHandler);
  }

  std::shared_ptr<memhost::Application> app = std::make_shared<memhost::Application>("16.0");
  std::shared_ptr<memhost::Book> book;
  ui::ScriptedDriver screen{[](const std::string& problem) { ADD_FAILURE() << problem; }};
  ui::AddinState state{screen};
};

}  // namespace kx::testing
