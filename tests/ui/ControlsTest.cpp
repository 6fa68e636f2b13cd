#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "tests/ui/UiFixture.h"

namespace kx::ui::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The form designer's RGB and the host's BGR longs name the same colours.
static_assert(Rgb(192, 192, 255) == 0x00FFC0C0);
static_assert(Rgb(255, 255, 0) == 0x0000FFFF);

struct BarCase {
  const char* what;
  float max;
  float value;
  float shown;

  friend void PrintTo(const BarCase& c, std::ostream* out) { *out << c.what; }
};

class ProgressBarClamping : public ::testing::TestWithParam<BarCase> {};

TEST_P(ProgressBarClamping, KeepsTheValueWithinItsBoundsSoThePercentageNeverPasses100) {
  const BarCase& c = GetParam();
  ProgressBar bar;
  bar.SetMax(c.max);
  bar.SetValue(c.value);
  EXPECT_EQ(bar.Value(), c.shown);
  EXPECT_LE(bar.Value() * 100 / bar.Max(), 100.0F);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProgressBarClamping,
    ::testing::Values(BarCase{"inside", 10, 4, 4}, BarCase{"at the maximum", 10, 10, 10},
                      BarCase{"past the maximum", 10, 13, 10}, BarCase{"below the minimum", 10, -2, 0},
                      BarCase{"not a number", 10, std::numeric_limits<float>::quiet_NaN(), 0},
                      BarCase{"infinite", 10, std::numeric_limits<float>::infinity(), 10}),
    [](const auto& param) {
      std::string name = param.param.what;
      for (char& ch : name) {
        if (ch == ' ') ch = '_';
      }
      return name;
    });

TEST(ProgressBar, LoweringTheMaximumPullsTheValueDownAndTheBoundsNeverCross) {
  ProgressBar bar;
  bar.SetMax(10);
  bar.SetValue(8);
  bar.SetMax(5);
  EXPECT_EQ(bar.Value(), 5);

  bar.SetMin(7);
  EXPECT_EQ(bar.Min(), 7);
  EXPECT_EQ(bar.Max(), 7);
  EXPECT_EQ(bar.Value(), 7);

  bar.SetMax(2);
  EXPECT_EQ(bar.Min(), 2);
  EXPECT_EQ(bar.Value(), 2);
}

TEST_F(UiTest, EveryCaptionAndBarValueSetIsRecordedInOrder) {
  auto& job = state.Forms.Get<frmJob>();
  job.lblPer.Caption = "25 %";
  job.lblPer.Caption = "50 %";
  job.ProgressBar1.SetMax(4);
  job.ProgressBar1.SetValue(2);
  job.ProgressBar1.SetValue(9);
  job.ProgressBar1.SetMax(1);  // pulls the value down, which is reported too

  EXPECT_THAT(screen.Captions("frmJob", "lblPer"), ElementsAre("25 %", "50 %"));
  EXPECT_THAT(screen.Numbers("frmJob", "ProgressBar1", "Max"), ElementsAre(4, 1));
  EXPECT_THAT(screen.Numbers("frmJob", "ProgressBar1"), ElementsAre(2, 4, 1));
}

TEST_F(UiTest, ACopiedControlKeepsItsValueButDoesNotReportForTheOriginal) {
  auto& job = state.Forms.Get<frmJob>();
  job.lblStatus.Caption = "question";
  Label copy = job.lblStatus;
  copy.Caption = "elsewhere";
  EXPECT_EQ(job.lblStatus.Caption, "question");
  EXPECT_FALSE(job.lblStatus.Caption == copy.Caption);
  EXPECT_THAT(screen.Captions("frmJob", "lblStatus"), ElementsAre("question"));
}

TEST_F(UiTest, PressingSelectsOptionButtonsTogglesCheckBoxesAndRunsClickHandlers) {
  auto& note = state.Forms.Get<frmNote>();
  note.Show(ShowStyle::Modeless);

  EXPECT_EQ(note.Press("optDeAct"), std::nullopt);
  EXPECT_FALSE(note.optAct.Value);
  EXPECT_TRUE(note.optDeAct.Value);

  EXPECT_EQ(note.Press("chkSelCol"), std::nullopt);
  EXPECT_FALSE(note.chkSelCol.Value);
  EXPECT_EQ(note.Press("chkSelCol"), std::nullopt);
  EXPECT_TRUE(note.chkSelCol.Value);

  EXPECT_EQ(note.Press("Label21"), std::nullopt);
  EXPECT_THAT(screen.UrlsOpened(), ElementsAre("https://example.com/"));
}

TEST_F(UiTest, APressThatNoUserCouldMakeIsRefusedWithItsReasonAndRunsNothing) {
  auto& job = state.Forms.Get<frmJob>();
  EXPECT_THAT(job.Press("CommandButton2").value_or(""), HasSubstr("not shown"));

  job.Show(ShowStyle::Modeless);
  EXPECT_THAT(job.Press("CommandButton3").value_or(""), HasSubstr("hidden"));
  EXPECT_FALSE(state.StopRequested);

  job.CommandButton2.Enabled = false;
  EXPECT_THAT(job.Press("CommandButton2").value_or(""), HasSubstr("disabled"));
  EXPECT_TRUE(job.Loaded());

  EXPECT_THAT(job.Press("CommandButton9").value_or(""), HasSubstr("no control CommandButton9"));
  EXPECT_THAT(job.Press("lblStatus", 2).value_or(""), HasSubstr("no control"));
}

TEST_F(UiTest, ControlsAreListedByNameWithTheirArrayIndexForDrawing) {
  auto& swatches = state.Forms.Get<frmSwatches>();
  std::vector<std::string> names;
  for (const auto& entry : swatches.Controls()) names.push_back(entry.DisplayName());
  EXPECT_THAT(names, ElementsAre("lblColIndex(0)", "lblColIndex(1)", "lblColIndex(2)", "lblColIndex(3)",
                                 "lblColIndexFinal", "Command1", "Command2"));
  const ControlEntry* third = swatches.FindControl("lblColIndex", 2);
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(std::get<Label*>(third->Control)->Caption, "8");
}

}  // namespace
}  // namespace kx::ui::testing
