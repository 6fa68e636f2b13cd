#include "memhost/objects/Range.h"

#include <algorithm>

#include "memhost/objects/CellWrite.h"
#include "memhost/objects/Interior.h"
#include "memhost/objects/Validation.h"
#include "memhost/objects/Worksheet.h"
#include "memhost/model/Address.h"

namespace kx::memhost {

namespace {

host::Error Refused(const char* what) {
  return host::Fail(host::err::ApplicationDefined, std::string("Application-defined or object-defined error: ") + what);
}

bool InSheet(std::int64_t row, std::int64_t column) {
  return row >= 1 && row <= kMaxRows && column >= 1 && column <= kMaxColumns;
}

}  // namespace

std::vector<Area> ClipToUsed(const Sheet& sheet, const std::vector<Area>& areas) {
  std::vector<Area> out;
  auto used = sheet.UsedArea();
  if (!used) return out;
  for (const Area& a : areas) {
    Area clipped;
    if (Intersect(a, *used, clipped)) out.push_back(clipped);
  }
  return out;
}

std::vector<CellPos> StoredCells(const Sheet& sheet, const std::vector<Area>& areas) {
  std::vector<CellPos> out;
  for (const Area& used : ClipToUsed(sheet, areas)) {
    for (std::int32_t c = used.firstColumn; c <= used.lastColumn; ++c) {
      sheet.ForEachInColumn(c, used.firstRow, used.lastRow,
                            [&](std::int32_t r, const Cell&) { out.push_back({r, c}); });
    }
  }
  return out;
}

bool Range::AllWholeRows() const {
  return std::all_of(areas_.begin(), areas_.end(), [](const Area& a) { return a.IsWholeRows(); });
}

bool Range::AllWholeColumns() const {
  return std::all_of(areas_.begin(), areas_.end(), [](const Area& a) { return a.IsWholeColumns(); });
}

host::Result<void> Range::EnterCounting(const char* name) const {
  KX_MEMHOST_ENTER(*sheet_->state, name);
  if (!sheet_->Alive()) return ObjectGone();
  return {};
}

// --- shape ------------------------------------------------------------------------------------

host::Result<host::RangeRef> Range::Columns() {
  KX_TRY(Enter("Range.Columns"));
  return Make(sheet_, areas_, View::Columns);
}

host::Result<host::RangeRef> Range::Rows() {
  KX_TRY(Enter("Range.Rows"));
  return Make(sheet_, areas_, View::Rows);
}

host::Result<host::RangeRef> Range::Cells() {
  KX_TRY(Enter("Range.Cells"));
  return Make(sheet_, areas_, View::Cells);
}

// Cells(row, column) and Cells(index) without the intermediate range of every cell: the same
// calls are counted (and can be made to fail) as when Cells() and Item are asked one by one.
host::Result<host::RangeRef> Range::Cells(long row, long column) {
  KX_TRY(Enter("Range.Cells"));
  return Item(row, column);
}

host::Result<host::RangeRef> Range::Cells(long index) {
  KX_TRY(Enter("Range.Cells"));
  if (view_ == View::Cells) return Item(index);
  return Range(sheet_, areas_, View::Cells).Item(index);
}

host::Result<host::RangeRef> Range::Item(long index) {
  KX_TRY(Enter("Range.Item"));
  const Area& a = areas_[0];
  if (index < 1) return Refused("item index below 1");
  switch (view_) {
    case View::Columns: {
      std::int64_t column = std::int64_t{a.firstColumn} + index - 1;
      if (!InSheet(a.firstRow, column)) return Refused("column outside the sheet");
      auto c = static_cast<std::int32_t>(column);
      return Make(sheet_, {Area{a.firstRow, c, a.lastRow, c}}, View::Columns);
    }
    case View::Rows: {
      std::int64_t row = std::int64_t{a.firstRow} + index - 1;
      if (!InSheet(row, a.firstColumn)) return Refused("row outside the sheet");
      auto r = static_cast<std::int32_t>(row);
      return Make(sheet_, {Area{r, a.firstColumn, r, a.lastColumn}}, View::Rows);
    }
    case View::Cells:
      break;
  }
  // Cells(index) runs along the rows of the first area, then on below it.
  std::int64_t i = index - 1;
  std::int64_t row = a.firstRow + i / a.columns();
  std::int64_t column = a.firstColumn + i % a.columns();
  if (!InSheet(row, column)) return Refused("cell outside the sheet");
  return Make(sheet_, {Area::Cell({static_cast<std::int32_t>(row), static_cast<std::int32_t>(column)})});
}

host::Result<host::RangeRef> Range::Item(long row, long column) {
  KX_TRY(Enter("Range.Item"));
  std::int64_t r = std::int64_t{areas_[0].firstRow} + row - 1;
  std::int64_t c = std::int64_t{areas_[0].firstColumn} + column - 1;
  if (!InSheet(r, c)) return Refused("cell outside the sheet");
  return OneCell({static_cast<std::int32_t>(r), static_cast<std::int32_t>(c)});
}

host::RangeRef Range::OneCell(CellPos pos) {
  for (auto& spare : spareCells_) {
    if (spare && spare.use_count() == 1) {
      spare->areas_[0] = Area::Cell(pos);
      return spare;
    }
  }
  // Both held: the second is let go to whoever holds it, and a new one takes its place.
  auto& slot = spareCells_[spareCells_[0] ? 1 : 0];
  slot = std::make_shared<Range>(sheet_, std::vector<Area>{Area::Cell(pos)});
  return slot;
}

host::RangeRef Range::SpareCell(std::shared_ptr<Range>& spare, const SheetHandle& sheet,
                                CellPos pos) {
  if (spare && spare.use_count() == 1 && spare->view_ == View::Cells &&
      spare->sheet_->sheet == sheet.sheet && spare->sheet_->book == sheet.book &&
      spare->sheet_->state == sheet.state) {
    spare->areas_.assign(1, Area::Cell(pos));
    return spare;
  }
  spare = std::make_shared<Range>(std::make_shared<const SheetHandle>(sheet),
                                  std::vector<Area>{Area::Cell(pos)});
  return spare;
}

host::Result<long> Range::Count() {
  KX_TRY(Enter("Range.Count"));
  switch (view_) {
    case View::Columns: return static_cast<long>(areas_[0].columns());
    case View::Rows: return static_cast<long>(areas_[0].rows());
    case View::Cells: break;
  }
  std::int64_t n = 0;
  for (const Area& a : areas_) n += a.cells();
  return static_cast<long>(n);
}

host::Result<long> Range::Row() {
  KX_TRY(Enter("Range.Row"));
  return static_cast<long>(areas_[0].firstRow);
}

host::Result<long> Range::Column() {
  KX_TRY(Enter("Range.Column"));
  return static_cast<long>(areas_[0].firstColumn);
}

host::Result<std::vector<host::RangeRef>> Range::Areas() {
  KX_TRY(Enter("Range.Areas"));
  std::vector<host::RangeRef> out;
  for (const Area& a : areas_) out.push_back(Make(sheet_, {a}));
  return out;
}

host::Result<host::RangeRef> Range::EntireRow() {
  KX_TRY(Enter("Range.EntireRow"));
  // A cell's row, asked for each cell of a column: the row object given out last is reused once
  // nobody holds it.
  if (areas_.size() == 1 && areas_[0].rows() == 1) {
    Area row{areas_[0].firstRow, 1, areas_[0].firstRow, kMaxColumns};
    if (spareRow_ && spareRow_.use_count() == 1) spareRow_->areas_[0] = row;
    else spareRow_ = std::static_pointer_cast<Range>(Make(sheet_, {row}, View::Rows));
    return host::RangeRef(spareRow_);
  }
  std::vector<Area> rows;
  for (const Area& a : areas_) rows.push_back({a.firstRow, 1, a.lastRow, kMaxColumns});
  return Make(sheet_, std::move(rows), View::Rows);
}

host::Result<host::RangeRef> Range::EntireColumn() {
  KX_TRY(Enter("Range.EntireColumn"));
  std::vector<Area> columns;
  for (const Area& a : areas_) columns.push_back({1, a.firstColumn, kMaxRows, a.lastColumn});
  return Make(sheet_, std::move(columns), View::Columns);
}

host::Result<host::WorksheetRef> Range::Worksheet() {
  KX_TRY(Enter("Range.Worksheet"));
  return host::WorksheetRef(std::make_shared<memhost::Worksheet>(*sheet_));
}

host::Result<std::string> Range::Address() {
  KX_TRY(Enter("Range.Address"));
  std::string address = FormatAreas(areas_);
  if (areas_.size() == 1 && areas_[0].cells() == 1) sheet_->state->lastAddressedCell = First();
  return address;
}

// --- contents ---------------------------------------------------------------------------------

host::Result<host::Variant> Range::Value() {
  KX_TRY(Enter("Range.Value"));
  sheet_->state->lastReadSheet = sheet_->sheet.get();
  sheet_->state->lastReadCell = First();
  return CellValue(*sheet_->book, sheet_->sheet->CellAt(First()));
}

host::Result<void> Range::Write(const host::Variant& value) {
  Book& book = *sheet_->book;
  Sheet& sheet = *sheet_->sheet;
  bool blank = value.IsEmpty() || (value.IsText() && value.AsText().empty());
  std::int64_t cells = 0;
  for (const Area& a : areas_) cells += a.cells();
  if (!blank && cells > kMaxCellsWritten) {
    return Refused("not enough resources to fill so many cells");
  }
  for (const Area& a : areas_) {
    if (blank) {
      // Emptying cells touches only the cells that hold something; their formatting stays.
      for (CellPos pos : StoredCells(sheet, {a})) {
        sheet.SetCell(pos, Cell{host::Variant(), "", sheet.CellAt(pos)->style});
      }
      continue;
    }
    for (std::int32_t r = a.firstRow; r <= a.lastRow; ++r) {
      for (std::int32_t c = a.firstColumn; c <= a.lastColumn; ++c) {
        const Cell* cell = sheet.CellAt({r, c});
        bool textFormat = cell && book.styles.Get(cell->style).numberFormat == "@";
        WriteEntry(book, sheet, {r, c}, EntryFor(value, textFormat));
      }
    }
  }
  return {};
}

host::Result<void> Range::SetValue(const host::Variant& value) {
  KX_TRY(Enter("Range.SetValue"));
  return Write(value);
}

host::Result<host::Variant> Range::Formula() {
  KX_TRY(Enter("Range.Formula"));
  return host::Variant(CellFormula(sheet_->sheet->CellAt(First())));
}

host::Result<void> Range::SetFormula(const host::Variant& formula) {
  KX_TRY(Enter("Range.SetFormula"));
  return Write(formula);
}

host::Result<std::string> Range::Text() {
  KX_TRY(Enter("Range.Text"));
  return CellText(*sheet_->book, sheet_->sheet->CellAt(First()));
}

host::Result<void> Range::Clear() {
  KX_TRY(Enter("Range.Clear"));
  Sheet& sheet = *sheet_->sheet;
  // One cell, the add-in's usual call: no list of the cells to clear.
  if (areas_.size() == 1 && areas_[0].cells() == 1) {
    CellPos pos{areas_[0].firstRow, areas_[0].firstColumn};
    if (sheet.CellAt(pos) != nullptr) sheet.SetCell(pos, Cell{});
    return {};
  }
  for (CellPos pos : StoredCells(sheet, areas_)) sheet.SetCell(pos, Cell{});
  return {};
}

// --- rows, selection --------------------------------------------------------------------------

host::Result<bool> Range::Hidden() {
  KX_TRY(Enter("Range.Hidden"));
  if (AllWholeRows()) {
    for (const Area& a : areas_) {
      for (std::int32_t r = a.firstRow; r <= a.lastRow; ++r) {
        if (!sheet_->sheet->RowHidden(r)) return false;
      }
    }
    return true;
  }
  if (AllWholeColumns()) return false;  // memhost does not hide columns
  return Refused("Hidden needs entire rows or columns");
}

host::Result<void> Range::SetHidden(bool hidden) {
  KX_TRY(Enter("Range.SetHidden"));
  if (AllWholeRows()) {
    for (const Area& a : areas_) {
      for (std::int32_t r = a.firstRow; r <= a.lastRow; ++r) sheet_->sheet->SetRowHidden(r, hidden);
    }
    return {};
  }
  // Hidden columns are not part of memhost's model; showing them is trivially done.
  if (AllWholeColumns() && !hidden) return {};
  return Refused("Unable to set the Hidden property of the Range class");
}

host::Result<void> Range::Select() {
  KX_TRY(Enter("Range.Select"));
  if (!sheet_->IsActiveSheet()) return Refused("Select method of Range class failed");
  sheet_->sheet->selection = areas_;
  sheet_->sheet->activeCell = First();
  sheet_->state->drawingSelected = false;
  return {};
}

host::Result<host::InteriorRef> Range::Interior() {
  KX_TRY(Enter("Range.Interior"));
  // A cell object given out again for the next cell keeps its Interior, made for the cell it
  // stood for: the areas are set again at each call.
  if (spareInterior_ && spareInterior_.use_count() == 1) {
    spareInterior_->SetAreas(areas_);
  } else {
    spareInterior_ = std::make_shared<memhost::Interior>(*sheet_, areas_);
  }
  return host::InteriorRef(spareInterior_);
}

host::Result<host::ValidationRef> Range::Validation() {
  KX_TRY(Enter("Range.Validation"));
  return host::ValidationRef(std::make_shared<memhost::Validation>(*sheet_, areas_));
}

host::Result<void> Range::ForEachCell(const std::function<bool(const host::RangeRef&)>& visit) {
  KX_TRY(Enter("Range.ForEachCell"));
  // One cell object serves cell after cell while the visitor keeps no hold of it; a visitor
  // that keeps it gets a new one for the next cell, so what it holds never changes under it.
  std::shared_ptr<Range> cell;
  for (const Area& a : areas_) {
    for (std::int32_t r = a.firstRow; r <= a.lastRow; ++r) {
      for (std::int32_t c = a.firstColumn; c <= a.lastColumn; ++c) {
        if (cell && cell.use_count() == 1) {
          cell->areas_[0] = Area::Cell({r, c});
        } else {
          cell = std::make_shared<Range>(sheet_, std::vector<Area>{Area::Cell({r, c})});
        }
        host::RangeRef handle = cell;
        bool goOn = visit(handle);
        handle.reset();
        if (!goOn) return {};
        if (!sheet_->Alive()) return ObjectGone();
      }
    }
  }
  return {};
}

}  // namespace kx::memhost
