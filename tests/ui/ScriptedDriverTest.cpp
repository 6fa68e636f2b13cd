#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/ui/UiFixture.h"

namespace kx::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::SizeIs;

void AskAndShow(AddinState& state, const char* question) {
  state.Forms.Get<frmJob>().lblStatus.Caption = question;
  state.Forms.Get<frmJob>().Show(ShowStyle::Modal);
}

// --- A whole run through the window ---

TEST_F(UiTest, YesRunsTheJobToItsEndAndTheUserSawTheBarAndThePercentages) {
  screen.WhenShown("frmJob").Press("CommandButton1");
  AskAndShow(state, "Go?");

  EXPECT_EQ(frmJob::Processed, 4);
  EXPECT_FALSE(state.Forms.IsLoaded<frmJob>());
  ASSERT_THAT(screen.Showings(), SizeIs(1));
  EXPECT_EQ(screen.Showings()[0].Form, "frmJob");
  EXPECT_TRUE(screen.Showings()[0].Modal);
  EXPECT_EQ(screen.Showings()[0].Label("lblStatus"), "Go?");
  EXPECT_EQ(screen.Showings()[0].Label("lblPer"), "0%");
  EXPECT_THAT(screen.Numbers("frmJob", "ProgressBar1", "Max"), ElementsAre(4));
  EXPECT_THAT(screen.Numbers("frmJob", "ProgressBar1"), ElementsAre(1, 2, 3, 4));
  EXPECT_THAT(screen.Captions("frmJob", "lblPer"), ElementsAre("25 %", "50 %", "75 %", "100 %"));
  EXPECT_THAT(screen.Captions("frmJob", "lblStatus"), ElementsAre("Go?", "Working..."));
  EXPECT_EQ(screen.Yields(), 5);
}

TEST_F(UiTest, StopPressedAtTheThirdYieldEndsTheJobAfterTheItemInProgress) {
  // Yield 1 is the Yes handler's own; yields 2 and 3 come before items 1 and 2.
  screen.WhenShown("frmJob").Press("CommandButton1");
  screen.AtYield(3, "frmJob").Press("CommandButton3");
  AskAndShow(state, "Go?");

  EXPECT_EQ(frmJob::Processed, 2);
  EXPECT_TRUE(state.StopRequested);
  EXPECT_THAT(screen.Captions("frmJob", "lblPer"), ElementsAre("25 %", "50 %"));
  EXPECT_FALSE(state.Forms.IsLoaded<frmJob>());
}

TEST_F(UiTest, YieldsAreCountedFromTheStepBefore) {
  // Two runs queued up front: the second Stop's yields count from the second "Yes", not from
  // the start of the script.
  frmJob::Items = 6;
  screen.WhenShown("frmJob").Press("CommandButton1");
  screen.AtYield(2, "frmJob").Press("CommandButton3");
  screen.WhenShown("frmJob").Press("CommandButton1");
  screen.AtYield(4, "frmJob").Press("CommandButton3");

  AskAndShow(state, "first");
  EXPECT_EQ(frmJob::Processed, 1);
  AskAndShow(state, "second");
  EXPECT_EQ(frmJob::Processed, 1 + 3);
  EXPECT_EQ(frmJob::Created, 2) << "each run starts from a fresh window";
}

TEST_F(UiTest, NoClosesTheWindowWithoutRunningTheJob) {
  screen.WhenShown("frmJob").Press("CommandButton2");
  AskAndShow(state, "Go?");
  EXPECT_EQ(frmJob::Processed, 0);
  EXPECT_FALSE(state.Forms.IsLoaded<frmJob>());
  EXPECT_EQ(screen.Yields(), 0);
}

// --- The chooser on top of the running window ---

TEST_F(UiTest, TheChooserHandsOnTheLastSwatchClickedAndTheJobRuns) {
  frmJob::PickFirst = true;
  screen.WhenShown("frmJob").Press("CommandButton1");
  screen.WhenShown("frmSwatches")
      .Run([this] {
        const auto& job = state.Forms.Get<frmJob>();
        EXPECT_TRUE(job.CommandButton3.Visible) << "Stop already shows behind the chooser";
        EXPECT_FALSE(job.CommandButton1.Visible);
      })
      .Press("lblColIndex", 2)
      .Press("lblColIndex", 3)
      .Press("Command1");
  AskAndShow(state, "Colour?");

  EXPECT_EQ(state.SelectedColorIndex, host::Variant("7"));
  EXPECT_EQ(frmJob::Processed, 4);
}

TEST_F(UiTest, CancellingTheChooserReturnsToTheQuestionAndYesAsksAgain) {
  frmJob::PickFirst = true;
  screen.WhenShown("frmJob").Press("CommandButton1");
  screen.WhenShown("frmSwatches").Press("lblColIndex", 1).Press("Command2");
  screen.WhenShown("frmJob").Run([this] {
    EXPECT_TRUE(state.Forms.Get<frmJob>().CommandButton1.Visible);
    EXPECT_FALSE(state.Forms.Get<frmJob>().CommandButton3.Visible);
  });
  screen.WhenShown("frmJob").Press("CommandButton1");
  screen.WhenShown("frmSwatches").Press("Command1");
  AskAndShow(state, "Colour?");

  EXPECT_TRUE(state.SelectedColorIndex.IsText());
  EXPECT_EQ(state.SelectedColorIndex, host::Variant("6")) << "the second showing started afresh";
  EXPECT_THAT(screen.Showings(), SizeIs(3));
}

TEST_F(UiTest, TheCloseBoxUnloadsWithoutRunningAnyButtonHandler) {
  state.SelectedColorIndex = "36";
  state.ColorChoiceCancelled = true;
  screen.WhenShown("frmSwatches").Press("lblColIndex", 0).Close();
  state.Forms.Get<frmSwatches>().Show(ShowStyle::Modal);

  EXPECT_FALSE(state.Forms.IsLoaded<frmSwatches>());
  EXPECT_EQ(frmSwatches::ButtonClicks, 0);
  EXPECT_EQ(state.SelectedColorIndex, host::Variant("36"));
  EXPECT_TRUE(state.ColorChoiceCancelled);
}

// --- Message boxes, links and drags ---

TEST_F(UiTest, MessageBoxesAreRecordedInOrderAndAnsweredAsQueued) {
  screen.AnswerMessageBox("Please add a New Workbook!");
  screen.AnswerMessageBox();
  screen.MsgBox("Please add a New Workbook!");
  state.Ui.MsgBox("Selection is Empty!");
  state.Ui.MsgBox("Unasked, answered with OK");
  EXPECT_THAT(screen.MessageBoxes(),
              ElementsAre("Please add a New Workbook!", "Selection is Empty!", "Unasked, answered with OK"));
}

TEST_F(UiTest, APressOnTheFormBackgroundStartsAWindowDrag) {
  screen.WhenShown("frmJob").MouseDown().Press("CommandButton2");
  AskAndShow(state, "Go?");
  EXPECT_THAT(screen.DragsStarted(), ElementsAre("frmJob"));
}

// --- Scripts that go wrong fail clearly instead of hanging ---

TEST_F(UiProblemTest, AModalShowWithNothingLeftToDoReportsAndReturns) {
  auto& job = quietState.Forms.Get<frmJob>();
  job.Show(ShowStyle::Modal);
  EXPECT_FALSE(quietState.Forms.IsLoaded<frmJob>()) << "closed so the program can go on";
  ASSERT_THAT(quiet.Problems(), SizeIs(1));
  EXPECT_THAT(quiet.Problems()[0], HasSubstr("frmJob waits for the user"));
  EXPECT_THAT(quiet.Problems()[0], HasSubstr("nothing left to do"));
}

TEST_F(UiProblemTest, AStepThatCanOnlyHappenAtAYieldCannotReleaseAModalShow) {
  quiet.AtYield(1, "frmJob").Press("CommandButton3");
  quietState.Forms.Get<frmJob>().Show(ShowStyle::Modal);
  EXPECT_THAT(quiet.Problems(), ElementsAre(HasSubstr("cannot happen now: at yield 1, press CommandButton3")));
}

TEST_F(UiProblemTest, AFormBehindAModalFormCannotBeReached) {
  quiet.WhenShown("frmPlain").Press("btnOpenOnTop");
  quiet.WhenShown("frmPlain").Press("btnUnload");
  quietState.Forms.Get<frmPlain>().Show(ShowStyle::Modal);

  ASSERT_THAT(quiet.Problems(), SizeIs(1));
  EXPECT_THAT(quiet.Problems()[0], HasSubstr("frmOnTop waits for the user"));
  EXPECT_THAT(quiet.Problems()[0], HasSubstr("press btnUnload of frmPlain"));
  EXPECT_FALSE(quietState.Forms.IsLoaded<frmPlain>()) << "the press happened once frmOnTop had gone";
}

TEST_F(UiProblemTest, APressWaitingForAButtonThatNeverShowsSaysWhy) {
  quiet.WhenShown("frmJob").Press("CommandButton3");
  AskAndShow(quietState, "Go?");
  EXPECT_THAT(quiet.Problems(), ElementsAre(HasSubstr("(CommandButton3 of frmJob is hidden)")));
}

TEST_F(UiProblemTest, StopAtTheFirstYieldFindsItHiddenAndSaysSo) {
  quiet.WhenShown("frmJob").Press("CommandButton1");
  quiet.AtYield(1, "frmJob").Press("CommandButton3");
  AskAndShow(quietState, "Go?");
  EXPECT_EQ(frmJob::Processed, 4) << "the refused press did nothing";
  EXPECT_THAT(quiet.Problems(), ElementsAre(HasSubstr("CommandButton3 of frmJob is hidden")));
}

TEST_F(UiProblemTest, StepsThatNeverHappenAreReportedAtTheEnd) {
  quiet.WhenShown("frmJob").Press("CommandButton1");
  quiet.AtYield(9, "frmJob").Press("CommandButton3");
  quiet.AnswerMessageBox("never shown");
  AskAndShow(quietState, "Go?");
  EXPECT_THAT(quiet.Finish(), ElementsAre(HasSubstr("never happened: at yield 9"),
                                          HasSubstr("never happened: when a message box comes up")));
}

TEST_F(UiProblemTest, AMessageBoxWithOtherTextThanExpectedIsReported) {
  quiet.AnswerMessageBox("Selection is Empty!");
  quiet.MsgBox("Please Select Single Column!");
  EXPECT_THAT(quiet.Problems(), ElementsAre(HasSubstr("says \"Please Select Single Column!\"")));
}

TEST_F(UiProblemTest, AnUnaskedMessageBoxIsReportedWhenAnswersAreRequired) {
  quiet.RequireMessageBoxAnswers(true);
  quiet.MsgBox("Nothing to Undo!");
  EXPECT_THAT(quiet.Problems(), ElementsAre(HasSubstr("\"Nothing to Undo!\" came up")));
}

TEST(ScriptedDriver, ReportsLeftOverStepsToItsSinkWhenDestroyed) {
  std::vector<std::string> reported;
  {
    ScriptedDriver screen([&reported](const std::string& problem) { reported.push_back(problem); });
    screen.WhenShown("frmJob").Press("CommandButton1");
  }
  EXPECT_THAT(reported, ElementsAre(HasSubstr("never happened: when frmJob is shown")));
}

}  // namespace
}  // namespace kx::ui::testing
