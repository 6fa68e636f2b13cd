// The colour chooser: what OK, CANCEL and the close box leave for the colouring commands.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engines/frmCol.h"
#include "ui/AddinState.h"
#include "ui/ScriptedDriver.h"

namespace kx::engines {
namespace {

class ColourChooser : public ::testing::Test {
 protected:
  void Choose() { state.Forms.Get<frmCol>().Show(ui::ShowStyle::Modal); }

  ui::ScriptedDriver screen{[](const std::string& problem) { ADD_FAILURE() << problem; }};
  ui::AddinState state{screen};
};

TEST_F(ColourChooser, OkStoresTheCaptionOfTheLastSwatchClicked) {
  screen.WhenShown("frmCol").Press("lblColIndex", 7).Press("Command1");  // "36"
  Choose();
  EXPECT_EQ(state.SelectedColorIndex, host::Variant("36"));
  EXPECT_FALSE(state.ColorChoiceCancelled);

  screen.WhenShown("frmCol").Press("lblColIndex", 13).Press("lblColIndex", 10).Press("Command1");
  Choose();
  EXPECT_EQ(state.SelectedColorIndex, host::Variant("3"));
}

TEST_F(ColourChooser, EveryShowingStartsOnTheFirstSwatch) {
  screen.WhenShown("frmCol").Press("lblColIndex", 5).Press("Command1");
  Choose();
  // The preview of a fresh window is the yellow swatch, and OK stores exactly what it shows.
  screen.WhenShown("frmCol").Press("Command1");
  Choose();
  EXPECT_EQ(state.SelectedColorIndex, host::Variant("6"));
  ASSERT_EQ(screen.Showings().size(), 2u);
  EXPECT_EQ(screen.Showings()[1].Label("lblColIndexFinal"), "6");
  EXPECT_EQ(screen.Showings()[1].Caption, "Choose Color");
}

TEST_F(ColourChooser, CancelAndTheCloseBoxKeepTheColourChosenBefore) {
  screen.WhenShown("frmCol").Press("lblColIndex", 2).Press("Command1");  // "8"
  Choose();
  screen.WhenShown("frmCol").Press("lblColIndex", 4).Press("Command2");
  Choose();
  EXPECT_EQ(state.SelectedColorIndex, host::Variant("8"));
  EXPECT_TRUE(state.ColorChoiceCancelled);
  // The close box runs neither button: both values stay as they were.
  screen.WhenShown("frmCol").Press("lblColIndex", 4).Close();
  Choose();
  EXPECT_EQ(state.SelectedColorIndex, host::Variant("8"));
  EXPECT_TRUE(state.ColorChoiceCancelled);
}

TEST_F(ColourChooser, SwatchesShowTheirColourOnlyWithTheirName) {
  auto& window = state.Forms.Get<frmCol>();
  const char* captions[] = {"6", "4", "8", "7", "43", "53", "5", "36",
                            "15", "42", "3", "44", "55", "39", "48", "45"};
  for (size_t i = 0; i < 16; ++i) {
    EXPECT_EQ(window.lblColIndex[i].Caption.Get(), captions[i]);
    EXPECT_EQ(window.lblColIndex[i].BackColor, window.lblColIndex[i].ForeColor);
  }
  EXPECT_EQ(window.lblColIndex[0].BackColor, ui::Rgb(255, 255, 0));
  EXPECT_EQ(window.lblColIndex[12].ControlTipText, "DarkBlue");
  state.Forms.Unload<frmCol>();
}

}  // namespace
}  // namespace kx::engines
