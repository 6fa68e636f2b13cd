// The counting and colouring commands as the user runs them: question, "Yes", the colour for the
// colouring ones, the count in the result window once the progress window has closed, and the
// found cells filled.

#include "tests/engines/EngineScenario.h"

namespace kx::testing {
namespace {

using runner::kColorDuplicateRows;
using runner::kColorUniqueRows;
using runner::kCountDuplicates;
using runner::kCountUnique;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr long kNoFill = host::xl::ColorIndexNone;
constexpr int kSwatch36 = 7;  // the chooser's swatch whose palette index is "36"

class CountOrColourDuplicates : public EngineScenario {
 protected:
  bool IsColouring(const runner::Operation& op) {
    return &op == &kColorDuplicateRows || &op == &kColorUniqueRows;
  }
  // "Yes", the colour for a colouring command, and the result window dismissed with "&OK".
  // Steps happen in the order queued, so a test queues its own (a Stop) between the two.
  void PressYes(const runner::Operation& op) {
    screen.WhenShown("frmPrgBar").Press("CommandButton1");
    if (IsColouring(op)) {
      screen.WhenShown("frmCol").Press("lblColIndex", kSwatch36).Press("Command1");
    }
  }
  void DismissResult() {
    screen.WhenShown("frmResult")
        .Run([this] {
          // The progress window has gone and the host is back to normal before the count shows.
          ExpectSettingsRestored();
        })
        .Press("Command1");
  }
  void Count(const runner::Operation& op) {
    PressYes(op);
    DismissResult();
    Run(op, /*pressYes=*/false);
  }

  // What the last result window said: its message, then its count.
  std::vector<std::string> Result() {
    for (auto it = screen.Showings().rbegin(); it != screen.Showings().rend(); ++it) {
      if (it->Form == "frmResult") {
        return {it->Label("lblMessage").value_or("?"), it->Label("lblResult").value_or("?")};
      }
    }
    return {};
  }
  // The fill colour index of rows 1 to n of a column.
  std::vector<long> Fills(const std::string& letter, size_t n) {
    std::vector<long> out;
    for (size_t i = 1; i <= n; ++i) {
      auto index = app->Range(letter + std::to_string(i)).value()->Interior().value()->ColorIndex();
      out.push_back(static_cast<long>(index.value().AsNumber()));
    }
    return out;
  }
  void Fill(const std::string& address, long colorIndex) {
    auto interior = app->Range(address).value()->Interior().value();
    ASSERT_TRUE(interior->SetColorIndex(host::Variant(colorIndex)).ok());
  }
};

// --- the worked example, each way -----------------------------------------------------------

TEST_F(CountOrColourDuplicates, TheFourCommandsOnOneColumn) {
  constexpr const char* kDuplicates = "Duplicate Entries Found in Selection!";
  constexpr const char* kUnique = "Unique Entries Found in Selection!";
  struct Case {
    const runner::Operation* op;
    std::string column;
    const char* message;
    const char* count;
    std::vector<long> fills;
  };
  // Duplicates: every member of a repeated group. Unique: row 1 is the filter's header, rows 2
  // to 4 are first occurrences (so both a's stay visible) and row 5 repeats b.
  const std::vector<Case> cases = {
      {&kCountDuplicates, "A", kDuplicates, "4", {kNoFill, kNoFill, kNoFill, kNoFill, kNoFill}},
      {&kColorDuplicateRows, "B", kDuplicates, "4", {36, 36, 36, kNoFill, 36}},
      {&kCountUnique, "C", kUnique, "3", {kNoFill, kNoFill, kNoFill, kNoFill, kNoFill}},
      {&kColorUniqueRows, "D", kUnique, "3", {36, 36, 36, 36, kNoFill}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.op->code);
    Column(c.column, {"a", "b", "a", "c", "b"});
    Select(c.column + "1:" + c.column + "5");
    Count(*c.op);
    EXPECT_THAT(Result(), ElementsAre(c.message, c.count));
    EXPECT_EQ(Fills(c.column, 5), c.fills);
    EXPECT_THAT(Shown(c.column, 5), ElementsAre("a", "b", "a", "c", "b"));
    // The unique filter is gone again.
    EXPECT_TRUE(book->sheets[0]->HiddenRows().empty());
    EXPECT_FALSE(app->ActiveSheet().value()->FilterMode().value());
  }
  EXPECT_EQ(state.SelectedColorIndex, host::Variant("36"));
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
}

TEST_F(CountOrColourDuplicates, OnlyTheDuplicatesCountMovesTheBar) {
  Column("A", {"a", "b", "a", "c", "b"});
  Select("A1:A5");
  Count(kCountDuplicates);
  EXPECT_EQ(screen.Captions("frmPrgBar", "lblStatus").back(),
            "Counting....Duplicates!\r\nPress Stop to cancel the Process.");
  EXPECT_THAT(BarMaximums(), ElementsAre(5));
  EXPECT_THAT(screen.Numbers("frmPrgBar", "ProgressBar1"), ElementsAre(1, 2, 3, 4, 5));
  EXPECT_THAT(Percentages(), ElementsAre("20 %", "40 %", "60 %", "80 %", "100 %"));

  // The unique count is one call to the host's filter: no steps, so nothing to stop either.
  Count(kCountUnique);
  EXPECT_EQ(screen.Captions("frmPrgBar", "lblStatus").back(),
            "Counting....Unique Values!\r\nPress Stop to cancel the Process.");
  EXPECT_THAT(BarMaximums(), ElementsAre(5, 5));
  EXPECT_EQ(screen.Numbers("frmPrgBar", "ProgressBar1").size(), 5u);
}

// --- what counts as the same value ------------------------------------------------------------

TEST_F(CountOrColourDuplicates, BlanksAreNeverDuplicatesAndEndUnfilledInUniqueMode) {
  Column("A", {"x", "", "x", "", "y"});
  ASSERT_TRUE(app->Range("A6").value()->SetFormula(host::Variant("=\"\"")).ok());
  Select("A1:A6");
  Count(kColorDuplicateRows);
  EXPECT_THAT(Result(), ElementsAre("Duplicate Entries Found in Selection!", "2"));
  EXPECT_THAT(Fills("A", 6), ElementsAre(36, kNoFill, 36, kNoFill, kNoFill, kNoFill));
  // Four non-empty cells (the empty-text formula counts) but six rows walked: the run goes on
  // past the maximum and the window shows a full bar.
  EXPECT_THAT(BarMaximums(), ElementsAre(4));
  EXPECT_EQ(screen.Numbers("frmPrgBar", "ProgressBar1").size(), 6u);
  EXPECT_EQ(Percentages().back(), "100 %");

  // Unique mode: the first blank is a visible "value" and takes the colour for a moment; every
  // blank ends without fill, also one that had a fill before.
  Column("B", {"a", "", "b", "", "a"});
  Fill("B4", 3);
  Select("B1:B5");
  Count(kColorUniqueRows);
  // Visible: the header, the first blank, b and the first data a; the second blank is hidden.
  EXPECT_THAT(Result(), ElementsAre("Unique Entries Found in Selection!", "3"));
  EXPECT_THAT(Fills("B", 5), ElementsAre(36, kNoFill, 36, kNoFill, 36));
}

TEST_F(CountOrColourDuplicates, ValuesStandForThemselvesWhateverTheirCase) {
  // "a*" is no "anything starting with a", "<5" no comparison, "=abc" no operator; letter case
  // is ignored, as the host counts.
  Column("A", {"a*", "apple", "<5", "3", "'=abc", "abc", "ABC", "x", "x"});
  Select("A1:A9");
  Count(kColorDuplicateRows);
  EXPECT_THAT(Result(), ElementsAre("Duplicate Entries Found in Selection!", "4"));
  EXPECT_THAT(Fills("A", 9),
              ElementsAre(kNoFill, kNoFill, kNoFill, kNoFill, kNoFill, 36, 36, 36, 36));

  // A real repeat of a pattern-like value is still found.
  Column("B", {"a*", "apple", "a*"});
  Select("B1:B3");
  Count(kCountDuplicates);
  EXPECT_THAT(Result(), ElementsAre("Duplicate Entries Found in Selection!", "2"));

  // The unique filter takes no pattern either: both stay visible below the header.
  Column("C", {"h", "a*", "apple"});
  Select("C1:C3");
  Count(kColorUniqueRows);
  EXPECT_THAT(Result(), ElementsAre("Unique Entries Found in Selection!", "2"));
  EXPECT_THAT(Fills("C", 3), ElementsAre(36, 36, 36));
}

// --- checks, Stop and the colour ----------------------------------------------------------------

TEST_F(CountOrColourDuplicates, ChecksRefuseWithTheirMessageAndShowNoCount) {
  Column("A", {"a", "a"});
  Column("B", {"b", "b"});
  Select("A1:B2");
  Run(kCountDuplicates);
  app->SelectDrawingObject();
  Run(kCountUnique);
  EXPECT_THAT(screen.MessageBoxes(),
              ElementsAre("Please Select Single Column!", "Please Select Single Column!"));
  ExpectSettingsUntouched();

  app->CloseBook(book);
  Run(kCountDuplicates);
  EXPECT_EQ(screen.MessageBoxes().back(), "Please add a New Workbook!");
  ExpectSettingsUntouched();
}

TEST_F(CountOrColourDuplicates, AnEmptySelectionIsReportedThenCountedAsNothing) {
  Column("A", {"a"});
  Select("C1:C10");
  Count(kCountDuplicates);
  EXPECT_THAT(screen.MessageBoxes(), ElementsAre("Selection is Empty!"));
  EXPECT_THAT(Result(), ElementsAre("Duplicate Entries Found in Selection!", "0"));

  Count(kColorUniqueRows);
  EXPECT_THAT(Result(), ElementsAre("Unique Entries Found in Selection!", "0"));
}

TEST_F(CountOrColourDuplicates, StopReportsTheBottomRowsVisited) {
  // Bottom-up: y (a duplicate), w, z, then Stop; the x above are never looked at.
  Column("A", {"x", "y", "x", "z", "w", "y"});
  Select("A1:A6");
  PressYes(kColorDuplicateRows);
  // Yields are counted from the chooser's OK, after the "Yes" handler's own yield.
  screen.AtYield(3, "frmPrgBar").Press("CommandButton3");
  DismissResult();
  Run(kColorDuplicateRows, false);
  EXPECT_THAT(Result(), ElementsAre("Duplicate Entries Found in Selection!", "1"));
  EXPECT_THAT(Fills("A", 6), ElementsAre(kNoFill, kNoFill, kNoFill, kNoFill, kNoFill, 36));
  EXPECT_EQ(screen.Numbers("frmPrgBar", "ProgressBar1").size(), 3u);
}

TEST_F(CountOrColourDuplicates, AColourNeverChosenLeavesTheCellsAsTheyWere) {
  // The chooser closed by its close box before any OK: the host refuses the empty colour, the
  // cells keep their fill and the count is still shown.
  Column("A", {"a", "a", "b"});
  Fill("A1", 3);
  Select("A1:A3");
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.WhenShown("frmCol").Close();
  DismissResult();
  Run(kColorDuplicateRows, false);
  EXPECT_TRUE(state.SelectedColorIndex.IsEmpty());
  EXPECT_THAT(Result(), ElementsAre("Duplicate Entries Found in Selection!", "2"));
  EXPECT_THAT(Fills("A", 3), ElementsAre(3, kNoFill, kNoFill));
}

// --- host failures ------------------------------------------------------------------------------

TEST_F(CountOrColourDuplicates, AFailedCountCountsTheRowOnceAndNeverColours) {
  Column("A", {"a", "b", "a", "b"});
  Select("A1:A4");
  app->faults().FailOnCall("WorksheetFunction.CountIf", 2, host::err::ApplicationDefined);
  Count(kColorDuplicateRows);
  // Row 3 could not be counted: it occurs "once" and keeps its fill.
  EXPECT_THAT(Result(), ElementsAre("Duplicate Entries Found in Selection!", "3"));
  EXPECT_THAT(Fills("A", 4), ElementsAre(36, 36, kNoFill, 36));

  Column("B", {"a", "a"});
  Select("B1:B2");
  app->faults().FailAlways("WorksheetFunction.CountIf", host::err::ApplicationDefined);
  Count(kColorDuplicateRows);
  EXPECT_THAT(Result(), ElementsAre("Duplicate Entries Found in Selection!", "0"));
  EXPECT_THAT(Fills("B", 2), ElementsAre(kNoFill, kNoFill));
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
}

TEST_F(CountOrColourDuplicates, HostFailuresAreSkippedAndTheRunStillEndsCleanly) {
  Column("A", {"a", "a", "a"});
  Select("A1:A3");
  app->faults().FailOnce("Application.SetStatusBar", host::err::ApplicationDefined);
  app->faults().FailOnCall("Interior.SetColorIndex", 2, host::err::ApplicationDefined);
  Count(kColorDuplicateRows);
  // The refused colour leaves row 2 unfilled; the count does not depend on it.
  EXPECT_THAT(Result(), ElementsAre("Duplicate Entries Found in Selection!", "3"));
  EXPECT_THAT(Fills("A", 3), ElementsAre(36, kNoFill, 36));

  // Unique mode whose visible cells the host cannot list: nothing is coloured, the count is
  // none rather than negative, and the filter is still taken off.
  app->faults().FailOnce("Range.SpecialCells", host::err::ApplicationDefined);
  Column("B", {"h", "p", "q"});
  Select("B1:B3");
  Count(kColorUniqueRows);
  EXPECT_THAT(Result(), ElementsAre("Unique Entries Found in Selection!", "0"));
  EXPECT_THAT(Fills("B", 3), ElementsAre(kNoFill, kNoFill, kNoFill));
  EXPECT_FALSE(app->ActiveSheet().value()->FilterMode().value());
}

TEST_F(CountOrColourDuplicates, AFilterTheHostRefusesNeitherCountsNorColoursAnyRow) {
  // Without the filter every row would look visible: none of them was judged, so none is
  // counted or coloured, and the row the user hid stays hidden.
  Column("A", {"h", "a", "a", "b"});
  ASSERT_TRUE(app->Range("A3").value()->EntireRow().value()->SetHidden(true).ok());
  Select("A1:A4");
  app->faults().FailOnce("Range.AdvancedFilter", host::err::ApplicationDefined);
  Count(kColorUniqueRows);
  EXPECT_THAT(Result(), ElementsAre("Unique Entries Found in Selection!", "0"));
  EXPECT_THAT(Fills("A", 4), ElementsAre(kNoFill, kNoFill, kNoFill, kNoFill));
  EXPECT_TRUE(app->Range("A3").value()->EntireRow().value()->Hidden().value());
}

}  // namespace
}  // namespace kx::testing
