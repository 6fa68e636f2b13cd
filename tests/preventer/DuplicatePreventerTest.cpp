// The duplicate preventer as the user applies it through its dialog: the rule it installs on a
// column or a part of one, the host refusing a duplicate, replacing and removing rules, its
// three messages and what it leaves the host with when calls fail.

#include "tests/preventer/PreventerScenario.h"

namespace kx::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using memhost::Area;

class DuplicatePreventer : public PreventerScenario {};

struct InstallCase {
  const char* selection;
  bool selectColumn;  // "Select Column (If not Selected)" left ticked
  const char* formula;
  Area covered;
  const char* selectedAfter;
};

class InstallsRule : public PreventerScenario, public ::testing::WithParamInterface<InstallCase> {};

TEST_P(InstallsRule, OnTheColumnOrThePartSelected) {
  const InstallCase& c = GetParam();
  Column("A", {"x", "y"}, 5);
  Column("AB", {"x", "y"}, 3);
  Column("C", {"x"}, 2);
  Select(c.selection);
  CalculationManual();
  if (c.selectColumn) {
    ActivateOnColumn();
  } else {
    ActivateOnSelection();
  }

  ASSERT_EQ(Rules().size(), 1u);
  ExpectPreventerRule(Rules()[0], c.formula);
  EXPECT_THAT(Rules()[0].areas, ElementsAre(c.covered));
  EXPECT_EQ(SelectionAddress(), c.selectedAfter);
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
  ExpectFinished();
}

constexpr std::int32_t kAllRows = memhost::kMaxRows;
INSTANTIATE_TEST_SUITE_P(
    DuplicatePreventer, InstallsRule,
    ::testing::Values(
        InstallCase{"A5:A9", true, "=CountIf($A:$A,A1)=1", Area{1, 1, kAllRows, 1}, "$A:$A"},
        InstallCase{"A5:A9", false, "=CountIf($A$5:$A$9,A5)=1", Area{5, 1, 9, 1}, "$A$5:$A$9"},
        InstallCase{"A:A", false, "=CountIf($A:$A,A1)=1", Area{1, 1, kAllRows, 1}, "$A:$A"},
        InstallCase{"AB3:AB4", false, "=CountIf($AB$3:$AB$4,AB3)=1", Area{3, 28, 4, 28},
                    "$AB$3:$AB$4"},
        InstallCase{"C2", true, "=CountIf($C:$C,C1)=1", Area{1, 3, kAllRows, 3}, "$C:$C"}));

TEST_F(DuplicatePreventer, TheHostRefusesADuplicateTypedIntoTheColumn) {
  Column("A", {"apple", "5", "pear"});
  Select("A1:A3");
  ActivateOnColumn();

  const struct {
    const char* cell;
    const char* typed;
    bool accepted;
  } entries[] = {
      {"A10", "apple", false}, {"A10", "APPLE", false},  // the host's count ignores case
      {"A10", "5", false},     {"A10", "plum", true},
      {"A1", "apple", true},   // a cell keeps its own value
      {"A2", "", true},        // clearing is always allowed
      {"A11", "plum", false},  // plum now stands in A10
  };
  for (const auto& e : entries) {
    auto entry = app->TypeIntoCell(e.cell, e.typed);
    ASSERT_TRUE(entry.ok());
    EXPECT_EQ(entry->accepted, e.accepted) << e.cell << " " << e.typed;
    if (!entry->accepted) {
      EXPECT_EQ(entry->errorMessage, "Duplicate Entry!");
      EXPECT_EQ(entry->errorTitle, "");
    }
  }
  EXPECT_EQ(app->Range("A11").value()->Text().value(), "");
  EXPECT_EQ(app->Range("A10").value()->Text().value(), "plum");
}

TEST_F(DuplicatePreventer, APartOfAColumnIsCheckedAgainstItselfOnly) {
  Column("A", {"apple"});
  Column("A", {"pear", "fig"}, 5);
  Select("A5:A9");
  ActivateOnSelection();

  EXPECT_TRUE(app->TypeIntoCell("A7", "apple").value().accepted);  // A1 lies outside the part
  EXPECT_FALSE(app->TypeIntoCell("A8", "Pear").value().accepted);
  EXPECT_TRUE(app->TypeIntoCell("A12", "pear").value().accepted);  // no rule below the part
}

TEST_F(DuplicatePreventer, ASecondApplyReplacesTheFirstRule) {
  Column("A", {"x", "y"}, 5);
  Select("A5:A9");
  AddListRule("A5:A9");  // the user's own rule goes too

  ActivateOnSelection();
  ActivateOnSelection();
  ASSERT_EQ(Rules().size(), 1u);
  ExpectPreventerRule(Rules()[0], "=CountIf($A$5:$A$9,A5)=1");

  // In one opening: the part first, then, box ticked again, the whole column it left selected.
  UseDialog({"chkSelCol", "Command1", "chkSelCol", "Command1"});
  ASSERT_EQ(Rules().size(), 1u);
  ExpectPreventerRule(Rules()[0], "=CountIf($A:$A,A1)=1");
  EXPECT_THAT(Rules()[0].areas, ElementsAre(Area{1, 1, memhost::kMaxRows, 1}));
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
}

TEST_F(DuplicatePreventer, DeactivateRemovesEveryRuleInTheSelectedColumns) {
  Column("B", {"x", "y"}, 3);
  Select("B3:B4");
  ActivateOnSelection();
  AddListRule("B10:B12");
  AddListRule("C1:C5");
  ASSERT_EQ(Rules().size(), 3u);
  CalculationManual();

  // Whatever the box says, the whole column is released.
  Select("B3:B4");
  UseDialog({"chkSelCol", "optDeAct", "Command1"});
  ASSERT_EQ(Rules().size(), 1u);
  EXPECT_THAT(Rules()[0].areas, ElementsAre(Area{1, 3, 5, 3}));
  EXPECT_EQ(SelectionAddress(), "$B:$B");
  EXPECT_TRUE(app->TypeIntoCell("B20", "x").value().accepted);
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
  ExpectFinished();
}

enum class Arrange { TwoColumns, Shape, TwoAreasOneColumn, TwoAreasTwoColumns, ColumnsFail,
                     WorkbooksFail, NoWorkbook };
struct CheckCase {
  Arrange arrange;
  const char* message;
};

class StopsAtCheck : public PreventerScenario, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(StopsAtCheck, WithItsMessageAndTheHostUntouched) {
  Column("A", {"x", "y", "z"});
  Column("A", {"x", "y", "z"}, 7);
  Column("C", {"x"});
  AddListRule("A1:A3");
  Select("A1:A3");
  CalculationManual();
  switch (GetParam().arrange) {
    case Arrange::TwoColumns: Select("A1:B3"); break;
    case Arrange::Shape: app->SelectDrawingObject(); break;
    // The host counts the columns of the first area only; two areas are still not one column.
    case Arrange::TwoAreasOneColumn: Select("A1:A3,A7:A9"); break;
    case Arrange::TwoAreasTwoColumns: Select("A1:A3,C1:C3"); break;
    case Arrange::ColumnsFail:
      app->faults().FailAlways("Range.Columns", host::err::ApplicationDefined);
      break;
    case Arrange::WorkbooksFail:
      app->faults().FailAlways("Workbooks.Count", host::err::ApplicationDefined);
      break;
    case Arrange::NoWorkbook: app->CloseBook(book); break;
  }

  ActivateOnSelection();
  Deactivate();
  const std::string message = GetParam().message;
  EXPECT_THAT(screen.MessageBoxes(), ElementsAre(message, message));
  ASSERT_EQ(Rules().size(), 1u);
  EXPECT_EQ(Rules()[0].type, host::xl::ValidateList);
  ExpectUntouched();
  if (!app->Books().empty()) {
    EXPECT_EQ(app->CalculationSetting().value(), host::xl::CalculationManual);
  }
}

INSTANTIATE_TEST_SUITE_P(
    DuplicatePreventer, StopsAtCheck,
    ::testing::Values(CheckCase{Arrange::TwoColumns, "Please Select Single Column!"},
                      CheckCase{Arrange::Shape, "Please Select Single Column!"},
                      CheckCase{Arrange::TwoAreasOneColumn, "Please Select Single Column!"},
                      CheckCase{Arrange::TwoAreasTwoColumns, "Please Select Single Column!"},
                      CheckCase{Arrange::ColumnsFail, "Please Select Single Column!"},
                      CheckCase{Arrange::WorkbooksFail, "Please add a New Workbook!"},
                      CheckCase{Arrange::NoWorkbook, "Please add a New Workbook!"}));

TEST_F(DuplicatePreventer, AnEmptySelectionIsNeitherProtectedNorReleasedButFinishes) {
  Column("A", {"x"});
  Column("A", {"y"}, 20);
  AddListRule("A5:A9");
  Select("A5:A9");
  CalculationManual();

  ActivateOnColumn();
  Deactivate();
  // A count the host cannot give counts as empty.
  app->faults().FailOnce("WorksheetFunction.CountA", host::err::ApplicationDefined);
  Select("A1");
  ActivateOnColumn();

  EXPECT_THAT(screen.MessageBoxes(),
              ElementsAre("Selection is Empty!", "Selection is Empty!", "Selection is Empty!"));
  ASSERT_EQ(Rules().size(), 1u);
  EXPECT_EQ(Rules()[0].type, host::xl::ValidateList);
  EXPECT_EQ(SelectionAddress(), "$A$1");
  ExpectFinished();
}

TEST_F(DuplicatePreventer, HostFailuresAreSkippedSilentlyAndTheFinishStillRuns) {
  Column("A", {"x", "y"}, 5);
  AddListRule("A5:A9");
  Select("A5:A9");
  CalculationManual();
  // A protected sheet: its rules can be neither deleted nor added.
  app->faults().FailAlways("Validation.Delete", host::err::ApplicationDefined);
  app->faults().FailAlways("Validation.Add", host::err::ApplicationDefined);
  ActivateOnColumn();
  ExpectFinished();
  Deactivate();
  ASSERT_EQ(Rules().size(), 1u);
  EXPECT_EQ(Rules()[0].type, host::xl::ValidateList);
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());

  // Once the sheet is open again: the whole column cannot be selected, so the rule goes on the
  // selection as it stands; a failing setting or undo text takes nothing after it with it.
  app->faults().Clear();
  Select("A5:A9");
  CalculationManual();
  ASSERT_TRUE(app->OnUndo("", "").ok());
  ASSERT_TRUE(app->OnKey("^z", std::nullopt).ok());
  app->faults().FailAlways("Range.Select", host::err::ApplicationDefined);
  app->faults().FailOnce("Application.SetStatusBar", host::err::ApplicationDefined);
  app->faults().FailOnce("Application.OnUndo", host::err::ApplicationDefined);
  app->faults().FailOnce("Validation.SetInputTitle", host::err::ApplicationDefined);
  ActivateOnColumn();
  ASSERT_EQ(Rules().size(), 1u);
  EXPECT_EQ(Rules()[0].formula1, "=CountIf($A$5:$A$9,A5)=1");
  EXPECT_EQ(Rules()[0].inputTitle, "");
  EXPECT_EQ(Rules()[0].errorMessage, "Duplicate Entry!");
  EXPECT_EQ(app->OnUndoText(), "");
  EXPECT_EQ(app->OnKeyProcedure("^z"), "undo_changes");
  EXPECT_EQ(app->CalculationSetting().value(), host::xl::CalculationAutomatic);
  EXPECT_TRUE(app->ScreenUpdatingSetting());
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
}

TEST_F(DuplicatePreventer, ARuleWhoseFormulaCannotBeBuiltKeepsTheCellsOldRule) {
  Column("A", {"x", "y"}, 5);
  AddListRule("A5:A9");
  Select("A5:A9");
  app->faults().FailOnce("Range.Address", host::err::ApplicationDefined);
  ActivateOnSelection();

  ASSERT_EQ(Rules().size(), 1u);
  EXPECT_EQ(Rules()[0].type, host::xl::ValidateList);
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
  ExpectFinished();
}

}  // namespace
}  // namespace kx::testing
