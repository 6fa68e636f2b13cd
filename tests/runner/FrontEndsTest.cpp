// The duplicate commands' front-ends: the question in the progress window, "No", "Yes" with its
// status line, and the colour chooser before the colouring commands.

#include "runner/FrontEnds.h"
#include "tests/engines/EngineScenario.h"

namespace kx::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;

struct FrontEnd {
  void (*confirm)(ui::AddinState&);
  const runner::Operation* op;
};

const FrontEnd kFrontEnds[] = {
    {runner::ConfirmRemoveDuplicatesKeepFirst, &runner::kRemoveDuplicatesKeepFirst},
    {runner::ConfirmRemoveAllDuplicates, &runner::kRemoveAllDuplicates},
    {runner::ConfirmRemoveAllUnique, &runner::kRemoveAllUnique},
    {runner::ConfirmColorDuplicateRows, &runner::kColorDuplicateRows},
    {runner::ConfirmColorUniqueRows, &runner::kColorUniqueRows},
    {runner::ConfirmCountDuplicates, &runner::kCountDuplicates},
    {runner::ConfirmCountUnique, &runner::kCountUnique},
    {runner::ConfirmRemoveListEntries, &runner::kRemoveListEntries},
};

class FrontEnds : public EngineScenario {};

TEST_F(FrontEnds, EachAsksItsQuestionAndNoLeavesTheWorkbookAlone) {
  Column("A", {"a", "a", "b"});
  Column("B", {"a", "x", "b"});
  for (const auto& frontEnd : kFrontEnds) {
    Select(frontEnd.op == &runner::kRemoveListEntries ? "A1:B3" : "A1:A3");
    screen.WhenShown("frmPrgBar").Press("CommandButton2");
    frontEnd.confirm(state);
    const ui::Showing& shown = screen.Showings().back();
    EXPECT_EQ(shown.Form, "frmPrgBar");
    EXPECT_TRUE(shown.Modal);
    EXPECT_EQ(shown.Label("lblStatus"), frontEnd.op->question);
    EXPECT_EQ(shown.Label("lblPer"), "0%");
    EXPECT_EQ(state.CurrentOperation, frontEnd.op->code);
    EXPECT_FALSE(state.Forms.IsLoaded<runner::frmPrgBar>());
  }
  EXPECT_THAT(Shown("A", 3), ElementsAre("a", "a", "b"));
  EXPECT_THAT(Shown("B", 3), ElementsAre("a", "x", "b"));
  EXPECT_TRUE(screen.MessageBoxes().empty());
}

TEST_F(FrontEnds, YesRunsTheCommandsEngineUnderItsStatusLine) {
  struct Case {
    void (*confirm)(ui::AddinState&);
    const char* status;
    std::vector<std::string> after;
  };
  const Case cases[] = {
      {runner::ConfirmRemoveDuplicatesKeepFirst, "Removing....Duplicates - Keeping First!",
       {"a", "b", "a", ""}},
      {runner::ConfirmRemoveAllDuplicates, "Removing....All Duplicates!", {"", "b", "", ""}},
      {runner::ConfirmRemoveAllUnique, "Removing....All Unique Entries!", {"a", "", "a", "a"}},
  };
  for (const auto& c : cases) {
    Column("A", {"a", "b", "a", "a"});
    Select("A1:A4");
    screen.WhenShown("frmPrgBar").Press("CommandButton1");
    c.confirm(state);
    EXPECT_EQ(Shown("A", 4), c.after) << c.status;
    EXPECT_EQ(screen.Captions("frmPrgBar", "lblStatus").back(),
              std::string(c.status) + "\r\nPress Stop to cancel the Process.");
  }
  // Column A now reads a, (blank), a, a.
  Select("A1:A4");
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.WhenShown("frmResult").Press("Command1");
  runner::ConfirmCountDuplicates(state);
  EXPECT_EQ(screen.Showings().back().Label("lblResult"), "3");
  EXPECT_EQ(screen.Captions("frmPrgBar", "lblStatus").back(),
            "Counting....Duplicates!\r\nPress Stop to cancel the Process.");
  EXPECT_EQ(screen.Showings().back().Label("lblMessage"), "Duplicate Entries Found in Selection!");
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.WhenShown("frmResult").Press("Command1");
  runner::ConfirmCountUnique(state);
  EXPECT_EQ(screen.Showings().back().Label("lblMessage"), "Unique Entries Found in Selection!");
  Column("B", {"a"});
  Select("A1:B4");
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  runner::ConfirmRemoveListEntries(state);
  EXPECT_THAT(Shown("A", 4), ElementsAre("", "", "", ""));
  auto statuses = screen.Captions("frmPrgBar", "lblStatus");
  EXPECT_THAT(statuses, Contains("Counting....Duplicates!\r\nPress Stop to cancel the Process."));
  EXPECT_THAT(statuses, Contains("Counting....Unique Values!\r\nPress Stop to cancel the Process."));
  EXPECT_THAT(statuses, Contains("Removing....!\r\nPress Stop to cancel the Process."));
}

TEST_F(FrontEnds, CancellingTheColourBringsTheQuestionBack) {
  Column("A", {"a", "a"});
  Select("A1:A2");
  bool looked = false;
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.WhenShown("frmCol").Run([&] {
    // Behind the chooser the progress window already offers "Stop" only.
    auto& window = state.Forms.Get<runner::frmPrgBar>();
    EXPECT_FALSE(window.CommandButton1.Visible);
    EXPECT_TRUE(window.CommandButton3.Visible);
    looked = true;
  });
  screen.WhenShown("frmCol").Press("Command2");
  // Back at the question: "Yes" again shows the chooser again; then the user says "No".
  screen.WhenShown("frmPrgBar").Run([&] {
    auto& window = state.Forms.Get<runner::frmPrgBar>();
    EXPECT_TRUE(window.CommandButton1.Visible);
    EXPECT_TRUE(window.CommandButton2.Visible);
    EXPECT_FALSE(window.CommandButton3.Visible);
    EXPECT_EQ(window.lblStatus.Caption.Get(), runner::kColorUniqueRows.question);
  });
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.WhenShown("frmCol").Press("Command2");
  screen.WhenShown("frmPrgBar").Press("CommandButton2");
  runner::ConfirmColorUniqueRows(state);
  EXPECT_TRUE(looked);
  EXPECT_TRUE(state.ColorChoiceCancelled);
  EXPECT_FALSE(state.Forms.IsLoaded<runner::frmPrgBar>());
  int chooserShowings = 0;
  for (const auto& s : screen.Showings()) chooserShowings += s.Form == "frmCol";
  EXPECT_EQ(chooserShowings, 2);
}

TEST_F(FrontEnds, EveryRunStartsFromAFreshWindow) {
  Column("A", {"a", "b", "a"});
  Select("A1:A3");
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  runner::ConfirmRemoveAllUnique(state);
  screen.WhenShown("frmPrgBar").Press("CommandButton2");
  runner::ConfirmRemoveAllUnique(state);
  ASSERT_EQ(screen.Showings().size(), 2u);
  EXPECT_EQ(screen.Showings()[1].Label("lblPer"), "0%");
  EXPECT_EQ(screen.Showings()[1].Label("lblStatus"), runner::kRemoveAllUnique.question);
}

}  // namespace
}  // namespace kx::testing
