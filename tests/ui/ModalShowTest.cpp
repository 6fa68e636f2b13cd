#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/ui/UiFixture.h"

namespace kx::ui::testing {
namespace {

using ::testing::ElementsAre;

TEST_F(UiTest, AModalShowReturnsWhenItsFormIsHiddenAndTheFormStaysLoaded) {
  screen.WhenShown("frmPlain").Press("btnHide");
  state.Forms.Get<frmPlain>().Show(ShowStyle::Modal);
  EXPECT_TRUE(state.Forms.IsLoaded<frmPlain>());
  EXPECT_FALSE(state.Forms.Get<frmPlain>().Visible());
}

TEST_F(UiTest, AModalShowReturnsWhenItsFormUnloadsInsideItsOwnHandler) {
  screen.WhenShown("frmPlain").Press("btnUnload");
  state.Forms.Get<frmPlain>().Show(ShowStyle::Modal);
  EXPECT_FALSE(state.Forms.IsLoaded<frmPlain>());
}

TEST_F(UiTest, AModalShowReturnsWhenAFormShownOnTopOfItUnloadsIt) {
  screen.WhenShown("frmPlain").Press("btnOpenOnTop");
  screen.WhenShown("frmOnTop").Press("btnUnloadBeneath").Press("btnClose");
  state.Forms.Get<frmPlain>().Show(ShowStyle::Modal);

  EXPECT_FALSE(state.Forms.IsLoaded<frmPlain>());
  EXPECT_FALSE(state.Forms.IsLoaded<frmOnTop>());
  EXPECT_EQ(state.CurrentOperation, "returned from the form on top");
  ASSERT_EQ(screen.Showings().size(), 2U);
  EXPECT_EQ(screen.Showings()[1].Form, "frmOnTop");
  EXPECT_TRUE(screen.Showings()[1].Modal);
}

TEST_F(UiTest, AModalShowReturnsWhenAFormShownOnTopOfItHidesIt) {
  screen.WhenShown("frmPlain").Press("btnOpenOnTop");
  screen.WhenShown("frmOnTop").Press("btnHideBeneath").Press("btnClose");
  state.Forms.Get<frmPlain>().Show(ShowStyle::Modal);
  EXPECT_TRUE(state.Forms.IsLoaded<frmPlain>());
  EXPECT_FALSE(state.Forms.Get<frmPlain>().Visible());
}

TEST_F(UiTest, AModelessShowReturnsAtOnceAndTheUserActsWhenTheHostIsIdle) {
  screen.WhenShown("frmNote").Press("Label21").Close();
  auto& note = state.Forms.Get<frmNote>();
  note.Show(ShowStyle::Modeless);
  EXPECT_TRUE(note.Visible());
  EXPECT_TRUE(screen.UrlsOpened().empty()) << "nothing happens before the host is idle";

  screen.Idle();
  EXPECT_THAT(screen.UrlsOpened(), ElementsAre("https://example.com/"));
  EXPECT_FALSE(state.Forms.IsLoaded<frmNote>());
  ASSERT_EQ(screen.Showings().size(), 1U);
  EXPECT_FALSE(screen.Showings()[0].Modal);
  EXPECT_EQ(screen.Showings()[0].Label("Label2"), "Loaded");
}

}  // namespace
}  // namespace kx::ui::testing
