// The removal commands as the user runs them: question, "Yes", the engine clearing cells with
// the bar moving, "Stop", the host settings put back, the window closed.

#include "tests/engines/EngineScenario.h"

namespace kx::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using runner::kRemoveAllDuplicates;
using runner::kRemoveAllUnique;
using runner::kRemoveDuplicatesKeepFirst;

class RemoveDuplicateValues : public EngineScenario {};

TEST_F(RemoveDuplicateValues, KeepFirstClearsLaterRepeatsAndShowsTheRowsAgain) {
  Column("A", {"A", "B", "A", "A"});
  Select("A1:A4");
  ASSERT_TRUE(app->SetCalculation(host::xl::CalculationSemiautomatic).ok());
  Run(kRemoveDuplicatesKeepFirst);
  // Row 1 is the filter's header: its A takes no part, so row 3 is the first data A and stays.
  EXPECT_THAT(Shown("A", 4), ElementsAre("A", "B", "A", ""));
  EXPECT_TRUE(book->sheets[0]->HiddenRows().empty());
  EXPECT_FALSE(app->ActiveSheet().value()->FilterMode().value());
  EXPECT_THAT(BarMaximums(), ElementsAre(4));
  EXPECT_EQ(Percentages().back(), "100 %");
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
  ExpectSettingsRestored();
}

TEST_F(RemoveDuplicateValues, AllDuplicatesClearsEveryOccurrenceInTwoPasses) {
  Column("A", {"A", "B", "A", "C", "A"});
  Select("A1:A5");
  Run(kRemoveAllDuplicates);
  EXPECT_THAT(Shown("A", 5), ElementsAre("", "B", "", "C", ""));
  EXPECT_THAT(BarMaximums(), ElementsAre(5, 10));
  EXPECT_EQ(screen.Numbers("frmPrgBar", "ProgressBar1").back(), 10);
  EXPECT_EQ(Percentages().back(), "100 %");
  // The status line replaced the question, with the stop hint under it.
  EXPECT_EQ(screen.Captions("frmPrgBar", "lblStatus").back(),
            "Removing....All Duplicates!\r\nPress Stop to cancel the Process.");
  ExpectSettingsRestored();

  // A second run finds nothing left to clear.
  Run(kRemoveAllDuplicates);
  EXPECT_THAT(Shown("A", 5), ElementsAre("", "B", "", "C", ""));
}

TEST_F(RemoveDuplicateValues, AllUniqueClearsValuesThatOccurOnce) {
  Column("A", {"A", "B", "A", "C"});
  Select("A1:A4");
  Run(kRemoveAllUnique);
  EXPECT_THAT(Shown("A", 4), ElementsAre("A", "", "A", ""));
  ExpectSettingsRestored();
}

TEST_F(RemoveDuplicateValues, CaseAndLongTextsFollowTheHostsCount) {
  std::string prefix(255, 'x');
  Column("A", {"abc", "ABC", "z", prefix + "-first", prefix + "-second"});
  Select("A1:A5");
  Run(kRemoveAllUnique);
  // abc/ABC are one value; the two long texts agree in their first 255 characters.
  EXPECT_THAT(Shown("A", 3), ElementsAre("abc", "ABC", ""));
  EXPECT_EQ(Shown("A", 5)[4], prefix + "-second");

  Run(kRemoveAllDuplicates);
  EXPECT_THAT(Shown("A", 5), ElementsAre("", "", "", "", ""));
}

TEST_F(RemoveDuplicateValues, BlanksAndEmptyTextFormulasAreNeverCleared) {
  Column("A", {"x", "", "x", "y"});
  ASSERT_TRUE(app->Range("A5").value()->SetFormula(host::Variant("=\"\"")).ok());
  ASSERT_TRUE(app->Range("A6").value()->SetFormula(host::Variant("=\"\"")).ok());
  Select("A1:A6");
  Run(kRemoveAllDuplicates);
  EXPECT_THAT(Shown("A", 6), ElementsAre("", "", "", "y", "", ""));
  EXPECT_EQ(app->Range("A5").value()->Formula().value(), host::Variant("=\"\""));
  EXPECT_EQ(app->Range("A6").value()->Formula().value(), host::Variant("=\"\""));
  // Five non-empty cells (the empty-text formulas count): a maximum of 10; blank rows are no
  // steps in the first pass, but every cell is one in the second.
  EXPECT_THAT(BarMaximums(), ElementsAre(5, 10));

  Run(kRemoveAllUnique);
  EXPECT_EQ(app->Range("A5").value()->Formula().value(), host::Variant("=\"\""));
  EXPECT_THAT(Shown("A", 4), ElementsAre("", "", "", ""));
}

TEST_F(RemoveDuplicateValues, ValuesThatLookLikePatternsStandForThemselves) {
  // "a*" is not "anything starting with a", "<5" is no comparison and "=abc" no operator.
  Column("A", {"a*", "apple", "<5", "3", "'=abc", "abc", "x", "x"});
  Select("A1:A8");
  Run(kRemoveAllDuplicates);
  EXPECT_THAT(Shown("A", 8), ElementsAre("a*", "apple", "<5", "3", "=abc", "abc", "", ""));

  Run(kRemoveAllUnique);
  EXPECT_THAT(Shown("A", 6), ElementsAre("", "", "", "", "", ""));
}

TEST_F(RemoveDuplicateValues, NumbersMatchTheirTextAsTheHostCountsThem) {
  Column("A", {"5", "'5", "1.5", "TRUE", "TRUE"});
  Select("A1:A5");
  Run(kRemoveAllDuplicates);
  EXPECT_THAT(Shown("A", 5), ElementsAre("", "", "1.5", "", ""));
}

TEST_F(RemoveDuplicateValues, ChecksRefuseWithTheirMessageAndChangeNothing) {
  Column("A", {"a", "a"});
  Column("B", {"b", "b"});

  Select("A1:B2");
  Run(kRemoveAllDuplicates);
  app->SelectDrawingObject();
  Run(kRemoveAllUnique);
  EXPECT_THAT(screen.MessageBoxes(),
              ElementsAre("Please Select Single Column!", "Please Select Single Column!"));
  EXPECT_THAT(Shown("A", 2), ElementsAre("a", "a"));
  ExpectSettingsUntouched();

  app->CloseBook(book);
  Run(kRemoveDuplicatesKeepFirst);
  EXPECT_EQ(screen.MessageBoxes().back(), "Please add a New Workbook!");
  ExpectSettingsUntouched();
}

TEST_F(RemoveDuplicateValues, AnEmptySelectionIsReportedAndTheHostPutBack) {
  Column("A", {"a"});
  Select("C1:C10");
  Run(kRemoveAllDuplicates);
  EXPECT_THAT(screen.MessageBoxes(), ElementsAre("Selection is Empty!"));
  ExpectSettingsRestored();
}

TEST_F(RemoveDuplicateValues, TheHostIsQuietWhileTheEngineRuns) {
  Column("A", {"a", "a", "b"});
  Select("A1:A3");
  bool looked = false;
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.AtYield(2, "frmPrgBar").Run([&] {
    looked = true;
    EXPECT_EQ(app->CalculationSetting().value(), host::xl::CalculationManual);
    EXPECT_EQ(app->StatusBarSetting(), host::Variant("Processing...!"));
    EXPECT_FALSE(app->ScreenUpdatingSetting());
    auto& window = state.Forms.Get<runner::frmPrgBar>();
    EXPECT_FALSE(window.CommandButton1.Visible);
    EXPECT_FALSE(window.CommandButton2.Visible);
    EXPECT_TRUE(window.CommandButton3.Visible);
  });
  Run(kRemoveAllUnique, /*pressYes=*/false);
  EXPECT_TRUE(looked);
  ExpectSettingsRestored();
}

TEST_F(RemoveDuplicateValues, StopEndsEachModeAfterTheStepInHand) {
  // The "Yes" handler yields once before the engine starts, so the engine's nth step is the
  // (n+1)th yield.
  // Keep first: stopped at the third cell; the rows the filter hid are shown again.
  Column("A", {"h", "a", "a", "a", "a"});
  Select("A1:A5");
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.AtYield(4, "frmPrgBar").Press("CommandButton3");
  Run(kRemoveDuplicatesKeepFirst, false);
  EXPECT_THAT(Shown("A", 5), ElementsAre("h", "a", "", "a", "a"));
  EXPECT_TRUE(book->sheets[0]->HiddenRows().empty());
  ExpectSettingsRestored();

  // All unique, bottom-up: stopped after the second row from the bottom.
  Column("B", {"1", "2", "3", "4"});
  Select("B1:B4");
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.AtYield(3, "frmPrgBar").Press("CommandButton3");
  Run(kRemoveAllUnique, false);
  EXPECT_THAT(Shown("B", 4), ElementsAre("1", "2", "", ""));

  // All duplicates stopped in the first pass: what was cleared stays cleared, and the second
  // pass clears only the remaining occurrence of the first recorded value.
  Column("C", {"x", "y", "x", "y", "x"});
  Select("C1:C5");
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.AtYield(2, "frmPrgBar").Press("CommandButton3");
  Run(kRemoveAllDuplicates, false);
  EXPECT_THAT(Shown("C", 5), ElementsAre("x", "y", "", "y", ""));
  ExpectSettingsRestored();
}

TEST_F(RemoveDuplicateValues, AFailedCountNeverClearsACell) {
  Column("A", {"a", "b", "a"});
  Select("A1:A3");
  app->faults().FailAlways("WorksheetFunction.CountIf", host::err::ApplicationDefined);
  Run(kRemoveAllUnique);
  Run(kRemoveAllDuplicates);
  EXPECT_THAT(Shown("A", 3), ElementsAre("a", "b", "a"));
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
  ExpectSettingsRestored();
}

TEST_F(RemoveDuplicateValues, HostFailuresAreSkippedAndTheRunStillEndsCleanly) {
  Column("A", {"a", "b", "a", "c", "a"});
  Select("A1:A5");
  app->faults().FailOnce("Application.SetScreenUpdating", host::err::ApplicationDefined);
  app->faults().FailOnCall("Range.Clear", 2, host::err::ApplicationDefined);
  app->faults().FailOnce("Range.Find", host::err::ApplicationDefined);
  Run(kRemoveAllDuplicates);
  // The first pass clears rows 5 and 1 but is refused row 3, recording "a" three times; the
  // first search fails, and the second finds row 3 and clears it.
  EXPECT_THAT(Shown("A", 5), ElementsAre("", "b", "", "c", ""));
  ExpectSettingsRestored();

  // A filter the host refuses: keep first clears nothing, even in rows hidden before.
  Column("B", {"h", "a", "a"});
  ASSERT_TRUE(app->Range("B3").value()->EntireRow().value()->SetHidden(true).ok());
  Select("B1:B3");
  app->faults().FailOnce("Range.AdvancedFilter", host::err::ApplicationDefined);
  Run(kRemoveDuplicatesKeepFirst);
  EXPECT_EQ(app->Range("B3").value()->Value().value(), host::Variant("a"));
  ExpectSettingsRestored();
}

TEST_F(RemoveDuplicateValues, AWholeColumnWorksOnItsUsedPart) {
  Column("A", {"a", "b", "a"});
  Select("A:A");
  Run(kRemoveAllUnique);
  EXPECT_THAT(Shown("A", 3), ElementsAre("a", "", "a"));
  EXPECT_THAT(BarMaximums(), ElementsAre(3));
  // Three rows were walked (the used range), not the whole sheet.
  EXPECT_EQ(screen.Numbers("frmPrgBar", "ProgressBar1").size(), 3u);
}

TEST_F(RemoveDuplicateValues, NoLeavesTheWorkbookAlone) {
  Column("A", {"a", "a"});
  Select("A1:A2");
  // The window has no title bar: a press on its background drags it.
  screen.WhenShown("frmPrgBar").MouseDown().Press("CommandButton2");
  Run(kRemoveAllDuplicates, false);
  EXPECT_THAT(screen.DragsStarted(), ElementsAre("frmPrgBar"));
  EXPECT_THAT(Shown("A", 2), ElementsAre("a", "a"));
  EXPECT_FALSE(state.Forms.IsLoaded<runner::frmPrgBar>());
  EXPECT_EQ(state.CurrentOperation, "RADP");
}

}  // namespace
}  // namespace kx::testing
