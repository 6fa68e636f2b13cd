// Undo after the clearing commands, and the undo command on whatever its store holds.

#include "preventer/UndoLastChange.h"
#include "runner/FrontEnds.h"
#include "tests/engines/EngineScenario.h"

namespace kx::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Undo : public EngineScenario {
 protected:
  host::Variant FormulaOf(const std::string& address) {
    return app->Range(address).value()->Formula().value();
  }
  host::Variant ValueOf(const std::string& address) {
    return app->Range(address).value()->Value().value();
  }
  void Yes(void (*confirm)(ui::AddinState&)) {
    screen.WhenShown("frmPrgBar").Press("CommandButton1");
    confirm(state);
  }
};

TEST_F(Undo, BringsBackExactlyWhatEachClearingCommandCleared) {
  for (auto confirm : {runner::ConfirmRemoveDuplicatesKeepFirst, runner::ConfirmRemoveAllDuplicates,
                       runner::ConfirmRemoveAllUnique}) {
    Column("A", {"head", "007", "'007", "x", "0.1", "x"});
    ASSERT_TRUE(app->Range("A7").value()->SetFormula(host::Variant("=1/3")).ok());
    ASSERT_TRUE(app->Range("A8").value()->SetFormula(host::Variant("=1/3")).ok());
    ASSERT_TRUE(app->Range("A9").value()->SetValue(host::Variant(0.1 + 0.2)).ok());
    Select("A1:A9");
    std::vector<host::Variant> before;
    for (int r = 1; r <= 9; ++r) before.push_back(FormulaOf("A" + std::to_string(r)));
    std::vector<host::Variant> values;
    for (int r = 1; r <= 9; ++r) values.push_back(ValueOf("A" + std::to_string(r)));

    Yes(confirm);
    (void)preventer::UndoLastChange(state);
    for (int r = 1; r <= 9; ++r) {
      EXPECT_EQ(FormulaOf("A" + std::to_string(r)), before[r - 1]) << "row " << r;
      EXPECT_EQ(ValueOf("A" + std::to_string(r)).kind(), values[r - 1].kind()) << "row " << r;
    }
    // "007" typed as text comes back as text; the sum comes back to the last bit.
    EXPECT_EQ(ValueOf("A3"), host::Variant("007"));
    EXPECT_EQ(ValueOf("A9"), host::Variant(0.1 + 0.2));
    // Undo only reads its store: a second Undo writes the same contents again.
    (void)preventer::UndoLastChange(state);
    EXPECT_EQ(FormulaOf("A7"), host::Variant("=1/3"));
    EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
    EXPECT_EQ(app->CalculationSetting().value(), host::xl::CalculationAutomatic);
  }
}

TEST_F(Undo, BringsBackWhatTheListCommandCleared) {
  Column("A", {"5", "'007", "keep", "5"});
  Column("B", {"'5", "'007"});
  Select("A1:B4");
  Yes(runner::ConfirmRemoveListEntries);
  EXPECT_THAT(Shown("A", 4), ElementsAre("", "", "keep", ""));
  (void)preventer::UndoLastChange(state);
  EXPECT_EQ(ValueOf("A1"), host::Variant(5.0));
  EXPECT_EQ(ValueOf("A2"), host::Variant("007"));
  EXPECT_EQ(ValueOf("A4"), host::Variant(5.0));
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
}

TEST_F(Undo, RestoresTheRecordOfTheLastClearingRunOnly) {
  Column("A", {"a", "b", "a"});
  Select("A1:A3");
  Yes(runner::ConfirmRemoveAllDuplicates);
  EXPECT_THAT(Shown("A", 3), ElementsAre("", "b", ""));
  // This run clears nothing, and its empty record replaces the one before.
  Yes(runner::ConfirmRemoveAllDuplicates);
  (void)preventer::UndoLastChange(state);
  EXPECT_THAT(Shown("A", 3), ElementsAre("", "b", ""));
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
}

TEST_F(Undo, RestoresIntoTheSheetItCameFrom) {
  Column("A", {"a", "a"});
  Select("A1:A2");
  Yes(runner::ConfirmRemoveAllDuplicates);
  app->AddBook();  // another workbook is now in front
  (void)preventer::UndoLastChange(state);
  EXPECT_EQ(app->ActiveBook(), book);
  EXPECT_THAT(Shown("A", 2), ElementsAre("a", "a"));
}

TEST_F(Undo, ReportsWhatItCannotDo) {
  // A workbook open and nothing recorded yet.
  (void)preventer::UndoLastChange(state);
  EXPECT_THAT(screen.MessageBoxes(), ElementsAre("Nothing to Undo!"));
  EXPECT_EQ(app->CalculationSetting().value(), host::xl::CalculationAutomatic);
  EXPECT_TRUE(app->ScreenUpdatingSetting());

  // A workbook and sheet recorded, the entries never sized.
  state.UndoWorkbook = app->ActiveWorkbook().value();
  state.UndoWorksheet = app->ActiveSheet().value();
  (void)preventer::UndoLastChange(state);
  EXPECT_EQ(screen.MessageBoxes().back(), "Undo Command Failed!");

  // The second of three entries names a cell the host rejects: the first is written back, the
  // others are not, and the host's refusal needs no word from us.
  state.UndoEntries = std::vector<ui::UndoEntry>{
      {}, {host::Variant("one"), "$A$1"}, {host::Variant("two"), "$A$0"}, {host::Variant("three"), "$A$3"}};
  (void)preventer::UndoLastChange(state);
  EXPECT_EQ(ValueOf("A1"), host::Variant("one"));
  EXPECT_TRUE(ValueOf("A3").IsEmpty());
  EXPECT_EQ(screen.MessageBoxes().size(), 2u);

  // No workbook open at all.
  app->CloseBook(book);
  (void)preventer::UndoLastChange(state);
  EXPECT_EQ(screen.MessageBoxes().back(), "Nothing to Undo!");
}

TEST_F(Undo, AFailingTestForAnOpenWorkbookGoesToTheCallerWithNothingShownOrSet) {
  Column("A", {"a", "a"});
  Select("A1:A2");
  Yes(runner::ConfirmRemoveAllDuplicates);
  ASSERT_TRUE(app->SetCalculation(host::xl::CalculationManual).ok());
  for (const char* call : {"Application.Workbooks", "Workbooks.Count"}) {
    app->faults().FailOnce(call, host::err::TypeMismatch);
    auto undone = preventer::UndoLastChange(state);
    ASSERT_FALSE(undone.ok()) << call;
    EXPECT_EQ(undone.error().number, host::err::TypeMismatch);
    EXPECT_THAT(screen.MessageBoxes(), IsEmpty()) << call;
    EXPECT_EQ(app->CalculationSetting().value(), host::xl::CalculationManual) << call;
    EXPECT_THAT(Shown("A", 2), ElementsAre("", "")) << call;
  }
}

}  // namespace
}  // namespace kx::testing
