// Range shape, addresses, used range, rows, selection, fills and handles outliving their book.

#include "HostFixture.h"

namespace kx::memhost {
namespace {

using host::Variant;

class RangeTest : public testing::HostTest {};

long CountOf(const host::Result<host::RangeRef>& r) { return r.value()->Count().value(); }

TEST_F(RangeTest, ShapeCountsAndAddresses) {
  const struct {
    const char* address;
    const char* absolute;
    long cells, rows, columns;
  } cases[] = {
      {"b7", "$B$7", 1, 1, 1},
      {"A2:A20", "$A$2:$A$20", 19, 19, 1},
      {"A:A", "$A:$A", kMaxRows, kMaxRows, 1},
      {"3:5", "$3:$5", 3L * kMaxColumns, 3, kMaxColumns},
      // Rows and Columns of several areas describe the first area; Count of cells covers all.
      {"A1:B2,C3:D4", "$A$1:$B$2,$C$3:$D$4", 8, 2, 2},
  };
  for (const auto& c : cases) {
    auto range = At(c.address);
    EXPECT_EQ(range->Address().value(), c.absolute);
    EXPECT_EQ(range->Count().value(), c.cells) << c.address;
    EXPECT_EQ(CountOf(range->Rows()), c.rows) << c.address;
    EXPECT_EQ(CountOf(range->Columns()), c.columns) << c.address;
  }
  EXPECT_EQ(app_->Range("A0").error().number, host::err::ApplicationDefined);
  EXPECT_EQ(app_->Range("nonsense").error().number, host::err::ApplicationDefined);
}

// The add-in hands an address it was just given back to Application.Range: the cell comes back
// on the sheet active then, and other addresses are still read as written.
TEST_F(RangeTest, AnAddressJustGivenLeadsBackToItsCell) {
  Put("C7", Variant("here"));
  const std::string address = At("C7")->Address().value();
  EXPECT_EQ(Text(address), "here");
  EXPECT_EQ(app_->Range(address).value()->Address().value(), "$C$7");
  EXPECT_EQ(app_->Range("$C$8").value()->Address().value(), "$C$8");
  EXPECT_EQ(app_->Range("C7:C8").value()->Count().value(), 2);
  // A cell given out stays where it is while it is held; the next one is another object.
  auto held = app_->Range(At("C7")->Address().value()).value();
  Put("C9", Variant("there"));
  auto next = app_->Range(At("C9")->Address().value()).value();
  EXPECT_EQ(held->Address().value(), "$C$7");
  EXPECT_EQ(next->Text().value(), "there");
  held.reset();
  next.reset();
  EXPECT_EQ(app_->Range(At("C7")->Address().value()).value()->Text().value(), "here");
  book_->AddSheet("Other");
  ASSERT_TRUE(app_->ActivateSheet("Other").ok());
  EXPECT_EQ(app_->Range(address).value()->Text().value(), "");
}

TEST_F(RangeTest, ItemsAreRelativeToTheFirstCell) {
  auto range = At("B3:D10");
  EXPECT_EQ(range->Cells(1, 1).value()->Address().value(), "$B$3");
  EXPECT_EQ(range->Cells(2, 3).value()->Address().value(), "$D$4");
  EXPECT_EQ(range->Cells(20, 1).value()->Address().value(), "$B$22");  // may lie outside
  EXPECT_EQ(range->Cells(4).value()->Address().value(), "$B$4");       // along the rows
  EXPECT_EQ(range->Columns(2).value()->Address().value(), "$C$3:$C$10");
  EXPECT_EQ(range->Rows(2).value()->Address().value(), "$B$4:$D$4");
  EXPECT_EQ(range->EntireRow().value()->Address().value(), "$3:$10");
  EXPECT_EQ(CountOf(range->EntireRow()), 8);
  EXPECT_EQ(range->EntireColumn().value()->Address().value(), "$B:$D");
  EXPECT_EQ(At("A1")->Cells(0, 1).error().number, host::err::ApplicationDefined);
  EXPECT_EQ(At("A1:B2,D4")->Areas().value().size(), 2u);
}

TEST_F(RangeTest, UsedRangeStartsAtTheFirstUsedCellAndCountsFormatting) {
  auto sheetObject = app_->ActiveSheet().value();
  EXPECT_EQ(sheetObject->UsedRange().value()->Address().value(), "$A$1");
  Put("B10", "x");
  EXPECT_EQ(sheetObject->UsedRange().value()->Address().value(), "$B$10");
  ASSERT_TRUE(At("C20")->Interior().value()->SetColorIndex(6).ok());
  EXPECT_EQ(sheetObject->UsedRange().value()->Address().value(), "$B$10:$C$20");
}

TEST_F(RangeTest, IntersectOfRanges) {
  auto fn = [&](const char* a, const char* b) { return app_->Intersect(At(a), At(b)); };
  EXPECT_EQ(fn("A1:C10", "B5:F6").value()->Address().value(), "$B$5:$C$6");
  EXPECT_EQ(fn("A:A", "A2:B20").value()->Address().value(), "$A$2:$A$20");
  EXPECT_EQ(fn("A1:A5", "C1:C5").value(), nullptr);
  book_->AddSheet("Other");
  auto other = app_->ActiveWorkbook().value()->Worksheets("other").value()->Range("A1").value();
  EXPECT_EQ(app_->Intersect(At("A1"), other).error().number, host::err::ApplicationDefined);
  app_->SelectDrawingObject();
  EXPECT_EQ(app_->Intersect(app_->Selection().value(), At("A1")).error().number,
            host::err::TypeMismatch);
}

TEST_F(RangeTest, ClearRemovesValueFormulaAndFormatting) {
  Put("A1", "=B1");
  Put("A2", "50%");
  ASSERT_TRUE(At("A1:A2")->Interior().value()->SetColorIndex(3).ok());
  ASSERT_TRUE(At("A1:A2")->Clear().ok());
  EXPECT_EQ(sheet().CellAt({1, 1}), nullptr);
  EXPECT_EQ(sheet().CellAt({2, 1}), nullptr);
  EXPECT_EQ(At("A1:A2")->Interior().value()->ColorIndex().value(), Variant(host::xl::ColorIndexNone));
}

TEST_F(RangeTest, FillingTheWholeSheetIsRefusedAndLosesNothing) {
  Put("A1", "keep");
  EXPECT_EQ(At("A1:XFD1048576")->SetValue("x").error().number, host::err::ApplicationDefined);
  EXPECT_EQ(At("A1:XFA100000")->Interior().value()->SetColorIndex(3).error().number,
            host::err::ApplicationDefined);
  EXPECT_EQ(At("A1")->Value().value(), Variant("keep"));
  EXPECT_EQ(sheet().CellCount(), 1u);
  EXPECT_TRUE(At("A1:XFD1048576")->SetValue(Variant()).ok());  // emptying is always fine
}

TEST_F(RangeTest, ColorIndexAcceptsThePaletteAndNothingElse) {
  auto interior = At("A1:A3")->Interior().value();
  const struct {
    Variant index;
    bool accepted;
  } cases[] = {
      {1, true},         {56, true},       {host::xl::ColorIndexNone, true},
      {"6", true},       {host::xl::ColorIndexAutomatic, true},
      {0, false},        {57, false},      {3.5, false},
      {Variant(), false}, {"red", false},  {true, false},
  };
  for (const auto& c : cases) {
    auto set = interior->SetColorIndex(c.index);
    EXPECT_EQ(set.ok(), c.accepted) << host::DebugString(c.index);
    if (!c.accepted) {
      EXPECT_EQ(set.error().number, host::err::ApplicationDefined);
    }
  }
  ASSERT_TRUE(interior->SetColorIndex(6).ok());
  EXPECT_EQ(interior->ColorIndex().value(), Variant(6));
  ASSERT_TRUE(At("A2")->Interior().value()->SetColorIndex(36).ok());
  EXPECT_TRUE(interior->ColorIndex().value().IsEmpty());  // the cells differ
  EXPECT_TRUE(At("A3:A4")->Interior().value()->ColorIndex().value().IsEmpty());
}

// Colouring a column cell by cell, as the add-in does: each cell keeps its value, formula and
// number format, the index stays current, every painted cell counts as changed, and a fill
// taken from a cell holding nothing else leaves no cell behind.
TEST_F(RangeTest, PaintingCellByCellChangesTheFillAlone) {
  Put("A1", "x");
  sheet().SetCell({2, 1}, Cell{Variant("x"), "=A1", kDefaultStyle});  // its value as last worked out
  Style percent;
  percent.numberFormat = "0%";
  sheet().LoadCell({3, 1}, Cell{0.5, "", book_->styles.Intern(percent)});  // as read from a file
  ASSERT_EQ(CountIf("A1:A4", "x"), 2);  // builds the index before the painting
  auto column = At("A1:A4");
  for (long row = 1; row <= 4; ++row) {
    ASSERT_TRUE(column->Cells(row, 1).value()->Interior().value()->SetColorIndex(6).ok());
  }
  EXPECT_EQ(column->Interior().value()->ColorIndex().value(), Variant(6));
  EXPECT_EQ(At("A1")->Value().value(), Variant("x"));
  EXPECT_EQ(At("A2")->Formula().value(), Variant("=A1"));
  EXPECT_EQ(Text("A3"), "50%");
  EXPECT_EQ(CountIf("A1:A4", "x"), 2);
  EXPECT_EQ(CountIf("A1:A4", "0.5"), 1);
  EXPECT_EQ(sheet().changes().cells.size(), 4u);  // two written before, two painted from a file or blank

  // An Interior still held keeps its cell when the cell object goes on to the next one.
  auto held = column->Cells(1, 1).value()->Interior().value();
  ASSERT_TRUE(column->Cells(2, 1).value()->Interior().value()->SetColorIndex(10).ok());
  ASSERT_TRUE(held->SetColorIndex(3).ok());
  EXPECT_EQ(At("A1")->Interior().value()->ColorIndex().value(), Variant(3));
  EXPECT_EQ(At("A2")->Interior().value()->ColorIndex().value(), Variant(10));

  ASSERT_TRUE(column->Interior().value()->SetColorIndex(host::xl::ColorIndexNone).ok());
  EXPECT_EQ(sheet().CellAt({4, 1}), nullptr);
  EXPECT_EQ(sheet().CellCount(), 3u);
  EXPECT_EQ(Text("A3"), "50%");
  EXPECT_EQ(CountIf("A1:A4", "x"), 2);
}

TEST_F(RangeTest, HiddenRowsAndSelection) {
  auto rows = At("A3:B4")->EntireRow().value();
  ASSERT_TRUE(rows->SetHidden(true).ok());
  EXPECT_TRUE(sheet().RowHidden(3) && sheet().RowHidden(4));
  EXPECT_TRUE(rows->Hidden().value());
  EXPECT_FALSE(At("2:4")->Hidden().value());
  EXPECT_EQ(At("A1")->SetHidden(true).error().number, host::err::ApplicationDefined);

  ASSERT_TRUE(At("C1:C9")->EntireColumn().value()->Select().ok());
  EXPECT_EQ(app_->Selection().value()->Address().value(), "$C:$C");
  EXPECT_EQ(app_->ActiveCell().value()->Address().value(), "$C$1");
  book_->AddSheet("Other");
  auto other = app_->ActiveWorkbook().value()->Worksheets(2).value()->Range("A1").value();
  EXPECT_EQ(other->Select().error().number, host::err::ApplicationDefined);
}

TEST_F(RangeTest, SpecialCellsVisibleAndBlanks) {
  for (int r = 1; r <= 6; ++r) Put("A" + std::to_string(r), r == 4 ? Variant() : Variant(r));
  ASSERT_TRUE(At("A2")->EntireRow().value()->SetHidden(true).ok());
  EXPECT_EQ(At("A1:A6")->SpecialCells(host::xl::CellTypeVisible).value()->Address().value(),
            "$A$1,$A$3:$A$6");
  EXPECT_EQ(At("A1:A6")->SpecialCells(host::xl::CellTypeBlanks).value()->Address().value(), "$A$4");
  auto none = At("A1:A3")->SpecialCells(host::xl::CellTypeBlanks);
  ASSERT_FALSE(none.ok());
  EXPECT_EQ(none.error().number, host::err::ApplicationDefined);
  EXPECT_EQ(none.error().description, "No cells were found.");
}

TEST_F(RangeTest, EnumerationGoesAreaByAreaAlongTheRows) {
  std::vector<std::string> seen;
  ASSERT_TRUE(At("B1:C2,A5")->ForEachCell([&](const host::RangeRef& cell) {
    seen.push_back(cell->Address().value());
    return seen.size() < 4;
  }).ok());
  EXPECT_EQ(seen, (std::vector<std::string>{"$B$1", "$C$1", "$B$2", "$C$2"}));
  // Cells the visitor keeps stay the cells they were while the walk goes on.
  std::vector<host::RangeRef> kept;
  ASSERT_TRUE(At("A1:A6")->ForEachCell([&](const host::RangeRef& cell) {
    if (cell->Row().value() % 2 == 1) kept.push_back(cell);
    return true;
  }).ok());
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[0]->Address().value(), "$A$1");
  EXPECT_EQ(kept[1]->Address().value(), "$A$3");
  EXPECT_EQ(kept[2]->Address().value(), "$A$5");
}

TEST_F(RangeTest, HandlesFailSafelyOnceTheirBookIsClosed) {
  auto cell = At("A1");
  auto sheetObject = app_->ActiveSheet().value();
  auto interior = cell->Interior().value();
  ASSERT_TRUE(app_->ActiveWorkbook().value()->Close().ok());
  EXPECT_EQ(app_->Workbooks().value()->Count().value(), 0);
  EXPECT_EQ(cell->Value().error().number, host::err::ObjectRequired);
  EXPECT_EQ(cell->SetValue(1).error().number, host::err::ObjectRequired);
  EXPECT_EQ(sheetObject->UsedRange().error().number, host::err::ObjectRequired);
  EXPECT_EQ(interior->SetColorIndex(3).error().number, host::err::ObjectRequired);
  EXPECT_EQ(app_->WorksheetFunction().value()->CountIf(cell, 1).error().number,
            host::err::ObjectRequired);
  // No workbook open is a state of its own.
  EXPECT_EQ(app_->Selection().value(), nullptr);
  EXPECT_EQ(app_->ActiveSheet().value(), nullptr);
  EXPECT_EQ(app_->Calculation().error().number, host::err::ApplicationDefined);
  EXPECT_EQ(app_->SetCalculation(host::xl::CalculationManual).error().number,
            host::err::ApplicationDefined);
  EXPECT_EQ(app_->Range("A1").error().number, host::err::ApplicationDefined);
  ASSERT_TRUE(app_->Workbooks().value()->Add().ok());
  EXPECT_EQ(app_->Calculation().value(), host::xl::CalculationAutomatic);
  EXPECT_EQ(app_->ActiveWorkbook().value()->Name().value(), "Book2");
}

}  // namespace
}  // namespace kx::memhost

namespace kx::memhost {
namespace {

class WorkbooksTest : public testing::HostTest {};

TEST_F(WorkbooksTest, BooksAndSheetsByIndexAndName) {
  auto workbooks = app_->Workbooks().value();
  auto second = workbooks->Add().value();
  EXPECT_EQ(workbooks->Count().value(), 2);
  EXPECT_EQ(app_->ActiveWorkbook().value()->Name().value(), "Book2");
  EXPECT_EQ(workbooks->Item("book1").value()->Name().value(), "Book1");
  EXPECT_EQ(workbooks->Item(3).error().number, host::err::SubscriptOutOfRange);
  EXPECT_EQ(workbooks->Item("Book9").error().number, host::err::SubscriptOutOfRange);

  book_->AddSheet("Data");
  auto first = workbooks->Item(1).value();
  EXPECT_EQ(first->WorksheetCount().value(), 2);
  EXPECT_EQ(first->Worksheets("DATA").value()->Name().value(), "Data");
  EXPECT_EQ(first->Worksheets(3).error().number, host::err::SubscriptOutOfRange);
  ASSERT_TRUE(first->Worksheets(2).value()->Activate().ok());
  EXPECT_EQ(app_->ActiveSheet().value()->Name().value(), "Data");
  EXPECT_EQ(app_->ActiveWorkbook().value()->Name().value(), "Book1");
  EXPECT_EQ(app_->ActivateSheet("Nope").error().number, host::err::SubscriptOutOfRange);

  // Closing the active book makes another one active; a closed book's handle fails.
  ASSERT_TRUE(first->Close().ok());
  EXPECT_EQ(app_->ActiveWorkbook().value()->Name().value(), "Book2");
  EXPECT_EQ(first->Name().error().number, host::err::ObjectRequired);
  ASSERT_TRUE(second->Close().ok());
  EXPECT_EQ(app_->ActiveWorkbook().value(), nullptr);
}

TEST_F(WorkbooksTest, AdoptedBooksBecomeActiveAndKeepTheirCells) {
  auto book = std::make_shared<Book>("Customers.xlsx");
  Sheet& list = book->AddSheet("List");
  list.LoadCell({2, 1}, Cell{Variant("x")});
  list.selection.clear();
  app_->AdoptBook(book);
  EXPECT_EQ(app_->ActiveWorkbook().value()->Name().value(), "Customers.xlsx");
  EXPECT_EQ(At("A2")->Value().value(), Variant("x"));
  EXPECT_EQ(app_->Books().size(), 2u);
  EXPECT_EQ(app_->Selection().value()->Address().value(), "$A$1");  // no selection in the file
}

}  // namespace
}  // namespace kx::memhost
