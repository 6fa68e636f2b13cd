// Removing from the first column of a two-column selection what the second column lists, as the
// user runs it: question, "Yes", exact text matches cleared, the second column left alone.

#include "tests/engines/EngineScenario.h"

namespace kx::testing {
namespace {

using runner::kRemoveListEntries;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RemoveListEntries : public EngineScenario {};

TEST_F(RemoveListEntries, ClearsEveryOccurrenceOfEachEntry) {
  Column("A", {"A", "B", "C", "B"});
  Column("B", {"B", "X"});
  Select("A1:B4");
  Run(kRemoveListEntries);
  EXPECT_THAT(Shown("A", 4), ElementsAre("A", "", "C", ""));
  EXPECT_THAT(Shown("B", 4), ElementsAre("B", "X", "", ""));
  // Six non-empty cells; bottom-up, two blank entries count no step, then each entry counts the
  // four list rows and itself: 5, then 10, which the bar shows as full.
  EXPECT_THAT(BarMaximums(), ElementsAre(6));
  EXPECT_THAT(screen.Numbers("frmPrgBar", "ProgressBar1"), ElementsAre(0, 0, 5, 6));
  // The label is told a percentage only when it changes.
  EXPECT_THAT(Percentages(), ElementsAre("0 %", "83 %", "100 %"));
  EXPECT_EQ(screen.Captions("frmPrgBar", "lblStatus").back(),
            "Removing....!\r\nPress Stop to cancel the Process.");
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
  EXPECT_EQ(screen.Showings().size(), 1u);  // the progress window only: no result
  ExpectSettingsRestored();
}

TEST_F(RemoveListEntries, ComparesTheWholeTextExactly) {
  // Case, spaces and length count, wildcards are plain characters, and a number and numeric
  // text read as the same text. Every entry meets every listed value, so the rows are chosen
  // not to match across.
  struct Case {
    std::string listed, entry;
    bool cleared;
  };
  const std::vector<Case> cases = {
      {"abc", "ABC", false},    {"text ", "text", false},
      {"5", "'5", true},        {"'7", "7", true},
      {"1.5", "'1.50", false},  {"a*", "a?", false},
      {"apple", "app*", false}, {"TRUE", "'True", true},
      {"x y", "x  y", false},   {std::string(300, 'q') + "1", std::string(300, 'q') + "2", false},
  };
  std::vector<std::string> list, entries;
  for (const Case& c : cases) {
    list.push_back(c.listed);
    entries.push_back(c.entry);
  }
  Column("A", list);
  Column("B", entries);
  Select("A1:B" + std::to_string(cases.size()));
  Run(kRemoveListEntries);
  for (size_t i = 0; i < cases.size(); ++i) {
    std::string now = Shown("A", cases.size())[i];
    EXPECT_EQ(now.empty(), cases[i].cleared) << "row " << i + 1 << ": " << cases[i].listed;
  }
}

TEST_F(RemoveListEntries, BlanksAndErrorValuesNeitherMatchNorTakeAnythingOut) {
  Column("A", {"a", "", "b", "#N/A"});
  ASSERT_TRUE(app->Range("A5").value()->SetFormula(host::Variant("=\"\"")).ok());
  Column("B", {"", "b", "", "'#N/A", "#N/A"});
  ASSERT_TRUE(app->Range("B3").value()->SetFormula(host::Variant("=\"\"")).ok());
  Select("A1:B5");
  Run(kRemoveListEntries);
  // The error in A4 has no text form, so the text "#N/A" does not reach it; the empty-text
  // formula is no match for a blank entry.
  EXPECT_THAT(Shown("A", 3), ElementsAre("a", "", ""));
  EXPECT_TRUE(app->Range("A4").value()->Value().value().IsError());
  EXPECT_EQ(app->Range("A5").value()->Formula().value(), host::Variant("=\"\""));
  // Bottom-up: the error entry, the empty text and the blank count no step; the two others
  // count 5 + 1 each (the bar stops at its maximum of 8 non-empty cells).
  EXPECT_THAT(screen.Numbers("frmPrgBar", "ProgressBar1"), ElementsAre(0, 6, 6, 8, 8));
}

TEST_F(RemoveListEntries, EntriesBelowTheEndOfTheListStillCount) {
  Column("A", {"a", "b"});
  Column("B", {"x", "y", "z", "a"});
  Select("A1:B4");
  Run(kRemoveListEntries);
  EXPECT_THAT(Shown("A", 2), ElementsAre("", "b"));
}

TEST_F(RemoveListEntries, AColumnCutOffByTheUsedRangeLeavesBothAlone) {
  // Column A is empty, so the used range starts at B: the working range is B alone, and its
  // "second column" would be C, outside the selection. Nothing is due, and B must not be
  // cleaned by C.
  Column("B", {"x", "y"});
  Column("C", {"x"});
  Select("A1:B2");
  Run(kRemoveListEntries);
  EXPECT_THAT(Shown("B", 2), ElementsAre("x", "y"));
  EXPECT_THAT(Shown("C", 1), ElementsAre("x"));
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
  ExpectSettingsRestored();
}

TEST_F(RemoveListEntries, ChecksRefuseWithTheirMessageAndChangeNothing) {
  Column("A", {"a", "b"});
  Column("B", {"a", "b"});
  Column("C", {"a", "b"});
  Select("A1:A2");
  Run(kRemoveListEntries);
  Select("A1:C2");
  Run(kRemoveListEntries);
  app->SelectDrawingObject();
  Run(kRemoveListEntries);
  EXPECT_THAT(screen.MessageBoxes(),
              ElementsAre("Please Select Two Column!", "Please Select Two Column!",
                          "Please Select Two Column!"));
  EXPECT_THAT(Shown("A", 2), ElementsAre("a", "b"));
  ExpectSettingsUntouched();

  app->CloseBook(book);
  Run(kRemoveListEntries);
  EXPECT_EQ(screen.MessageBoxes().back(), "Please add a New Workbook!");
  ExpectSettingsUntouched();
}

TEST_F(RemoveListEntries, AnEmptySelectionIsReportedAndTheHostPutBack) {
  Column("A", {"a"});
  Select("D1:E5");
  Run(kRemoveListEntries);
  EXPECT_THAT(screen.MessageBoxes(), ElementsAre("Selection is Empty!"));
  ExpectSettingsRestored();
}

TEST_F(RemoveListEntries, ALongListAgreesWithComparingEachEntryWithEveryCell) {
  // Far more rows than the list keeps waiting to be filed, every text repeated, in two cases.
  std::vector<std::string> list, entries;
  for (int row = 1; row <= 240; ++row) {
    std::string text = "name " + std::to_string(row * 37 % 29);
    list.push_back(row % 7 == 0 ? "NAME " + text.substr(5) : text);
    entries.push_back(row % 3 == 0 ? "name " + std::to_string(row % 29) : "");
  }
  std::vector<std::string> expected = list;
  for (const std::string& entry : entries) {
    if (entry.empty()) continue;
    for (std::string& cell : expected) {
      if (cell == entry) cell.clear();
    }
  }
  Column("A", list);
  Column("B", entries);
  Select("A1:B240");
  Run(kRemoveListEntries);
  EXPECT_EQ(Shown("A", 240), expected);
  EXPECT_EQ(Shown("B", 240), entries);
}

TEST_F(RemoveListEntries, StopFinishesTheEntryInHandAndUsesNoneAbove) {
  Column("A", {"a", "b", "a", "b"});
  Column("B", {"a", "b"});
  Select("A1:B4");
  // Bottom-up: two blank entries, then "b" compared with the whole list, then Stop. The
  // "Yes" handler yields once before the engine, so the engine's third row is the fourth yield.
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.AtYield(4, "frmPrgBar").Press("CommandButton3");
  Run(kRemoveListEntries, false);
  EXPECT_THAT(Shown("A", 4), ElementsAre("a", "", "a", ""));
  EXPECT_THAT(Shown("B", 2), ElementsAre("a", "b"));
  ExpectSettingsRestored();
}

TEST_F(RemoveListEntries, EveryEntryOfALongListTakesOutItsOwnCell) {
  // Entries are read some rows before their turn: each distinct entry, the first and the last
  // included, must still take its own cell out.
  std::vector<std::string> texts, reversed;
  for (int row = 1; row <= 40; ++row) texts.push_back("v" + std::to_string(row));
  reversed.assign(texts.rbegin(), texts.rend());
  reversed[19].clear();  // a blank entry in the middle takes out nothing: v21 stays
  Column("A", texts);
  Column("B", reversed);
  Select("A1:B40");
  Run(kRemoveListEntries);
  std::vector<std::string> expected(40);
  expected[20] = "v21";
  EXPECT_EQ(Shown("A", 40), expected);
  EXPECT_EQ(Shown("B", 40), reversed);
}

TEST_F(RemoveListEntries, StopInALongListLeavesTheEntriesAlreadyReadUnused) {
  std::vector<std::string> texts;
  for (int row = 1; row <= 40; ++row) texts.push_back("v" + std::to_string(row));
  Column("A", texts);
  Column("B", texts);
  Select("A1:B40");
  // Entries are read some rows before their turn; those above the stop take nothing out.
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  screen.AtYield(6, "frmPrgBar").Press("CommandButton3");  // after the engine's fifth row
  Run(kRemoveListEntries, false);
  std::vector<std::string> expected = texts;
  for (int row = 36; row <= 40; ++row) expected[static_cast<size_t>(row - 1)].clear();
  EXPECT_EQ(Shown("A", 40), expected);
  EXPECT_EQ(Shown("B", 40), texts);
  ExpectSettingsRestored();
}

TEST_F(RemoveListEntries, HostFailuresAreSkippedAndNeverClearAnUnreadCell) {
  Column("A", {"a", "a", "a"});
  Column("B", {"a"});
  Select("A1:B3");
  app->faults().FailOnce("Application.SetCalculation", host::err::ApplicationDefined);
  app->faults().FailOnCall("Range.Clear", 2, host::err::ApplicationDefined);
  Run(kRemoveListEntries);
  // Bottom-up: row 3 cleared, row 2 refused, row 1 cleared.
  EXPECT_THAT(Shown("A", 3), ElementsAre("", "a", ""));
  ExpectSettingsRestored();

  // Cells the host cannot read are never taken for a match.
  Column("C", {"c", "c"});
  Column("D", {"c"});
  Select("C1:D2");
  app->faults().FailAlways("Range.Value", host::err::ApplicationDefined);
  Run(kRemoveListEntries);
  app->faults().Clear();
  EXPECT_THAT(Shown("C", 2), ElementsAre("c", "c"));
  ExpectSettingsRestored();
}

}  // namespace
}  // namespace kx::testing
