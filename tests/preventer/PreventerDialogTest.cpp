// The Duplicate Preventer dialog itself: what it shows when it opens, the option buttons as one
// group, Apply leaving it open, and Close (or the close box) ending it so that the next opening
// starts afresh.

#include "tests/preventer/PreventerScenario.h"

namespace kx::testing {
namespace {

using ::testing::IsEmpty;
using preventer::frmDupPrev;

class PreventerDialog : public PreventerScenario {
 protected:
  frmDupPrev& Dialog() { return state.Forms.Get<frmDupPrev>(); }

  void ExpectInitialStates() {
    frmDupPrev& d = Dialog();
    EXPECT_EQ(d.Caption, "Duplicate Preventer");
    EXPECT_EQ(d.chkSelCol.Caption, "Select Column (If not Selected)");
    EXPECT_EQ(d.optAct.Caption, "Activate Duplicate Preventer");
    EXPECT_EQ(d.optDeAct.Caption, "Deactivate Duplicate Preventer");
    EXPECT_EQ(d.Command1.Caption, "&Apply");
    EXPECT_EQ(d.Command2.Caption, "&Close");
    EXPECT_TRUE(d.chkSelCol.Value);
    EXPECT_TRUE(d.optAct.Value);
    EXPECT_FALSE(d.optDeAct.Value);
  }
};

TEST_F(PreventerDialog, OpensInItsInitialStatesEachTime) {
  Column("A", {"x"});
  Select("A1");
  screen.WhenShown("frmDupPrev")
      .Run([&] { ExpectInitialStates(); })
      .Press("chkSelCol")
      .Press("optDeAct")
      .Run([&] {
        EXPECT_FALSE(Dialog().chkSelCol.Value);
        EXPECT_FALSE(Dialog().optAct.Value);  // one group: choosing one clears the other
        EXPECT_TRUE(Dialog().optDeAct.Value);
      })
      .Press("Command2");
  Dialog().Show();
  EXPECT_FALSE(state.Forms.IsLoaded<frmDupPrev>());

  // Closed by its close box this time, after a change.
  screen.WhenShown("frmDupPrev").Run([&] { ExpectInitialStates(); }).Press("optDeAct").Close();
  Dialog().Show();
  EXPECT_FALSE(state.Forms.IsLoaded<frmDupPrev>());
  screen.WhenShown("frmDupPrev").Run([&] { ExpectInitialStates(); }).Press("Command2");
  Dialog().Show();

  EXPECT_EQ(screen.Showings().size(), 3u);
  EXPECT_TRUE(screen.Showings()[0].Modal);
  // Nothing but Apply talks to the host.
  EXPECT_TRUE(Rules().empty());
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
  EXPECT_THAT(screen.Finish(), IsEmpty());
}

TEST_F(PreventerDialog, ApplyLeavesItOpenForAnotherChoice) {
  Column("A", {"x", "y"});
  Select("A1:A2");
  screen.WhenShown("frmDupPrev")
      .Press("Command1")
      .Run([&] {
        EXPECT_TRUE(Dialog().Visible());
        EXPECT_EQ(Rules().size(), 1u);
      })
      .Press("optDeAct")
      .Press("Command1")
      .Run([&] {
        EXPECT_TRUE(Dialog().Visible());
        EXPECT_TRUE(Rules().empty());
      })
      .Press("Command2");
  Dialog().Show();
  EXPECT_FALSE(state.Forms.IsLoaded<frmDupPrev>());
  EXPECT_THAT(screen.Finish(), IsEmpty());
}

}  // namespace
}  // namespace kx::testing
