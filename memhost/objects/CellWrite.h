#pragma once
// Writing a cell as the host does when it is given a value: a text is read as typed input
// (numbers, dates, percentages, TRUE/FALSE, error literals, ' for text, "=..." formulas),
// other values are stored as they are. The cell keeps its fill; an entry that brings its own
// number format (a percentage, a date) sets it. Every write passes the sheet's SetCell, so
// indexes and change tracking see it.

#include "host/Variant.h"
#include "memhost/rules/TypedInput.h"
#include "memhost/model/Book.h"

namespace kx::memhost {

// The entry a value stands for; `textFormat` true when the cell is formatted as text ("@"),
// where typed text is kept as text.
TypedInput EntryFor(const host::Variant& value, bool textFormat);

void WriteEntry(Book& book, Sheet& sheet, CellPos pos, const TypedInput& entry);

// A cell with neither value nor formula (it may carry formatting): what COUNTIF, CountA and
// the blank-cell rules treat as empty.
inline bool IsEmptyCell(const Cell* cell) {
  return !cell || (cell->value.IsEmpty() && !cell->HasFormula());
}

// The cell's value as Range.Value gives it: a number formatted as a date reads as a Date.
host::Variant CellValue(const Book& book, const Cell* cell);
// The displayed text of a cell.
std::string CellText(const Book& book, const Cell* cell);
// The formula-bar text of a cell.
std::string CellFormula(const Cell* cell);

}  // namespace kx::memhost
