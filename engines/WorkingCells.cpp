#include "engines/WorkingCells.h"

#include "engines/UndoRecord.h"

#include "engines/ValueText.h"

namespace kx::engines {

namespace {

std::optional<host::Variant> CellValue(host::Range& range, long row) {
  auto cell = range.Cells(row, 1);
  if (!cell.ok()) return std::nullopt;
  auto value = cell.value()->Value();
  if (!value.ok()) return std::nullopt;
  return std::move(value).value();
}

}  // namespace

std::optional<std::string> CellText(host::Range& range, long row) {
  auto value = CellValue(range, row);
  if (!value) return std::nullopt;
  return ValueAsText(*value);
}

std::optional<std::string> CellComparisonText(host::Range& range, long row) {
  auto value = CellValue(range, row);
  if (!value) return std::nullopt;
  return ComparisonText(*value);
}

host::Result<double> Occurrences(host::Application& app, const host::RangeRef& column,
                                 const std::string& text) {
  auto function = KX_TRY(app.WorksheetFunction());
  return function->CountIf(column, host::Variant(LiteralCriterion(text)));
}

host::Result<void> ClearCell(ui::AddinState& state, host::Range& range, long row) {
  auto cell = KX_TRY(range.Cells(row, 1));
  return ClearRecorded(state, *cell);
}

host::Result<void> FilterUniqueInPlace(host::Range& range) {
  host::AdvancedFilterArgs filter;
  filter.Action = host::xl::FilterInPlace;
  filter.Unique = true;
  return range.AdvancedFilter(filter);
}

host::Result<void> ShowAllRows(host::Application& app) {
  auto sheet = KX_TRY(app.ActiveSheet());
  if (!sheet) return host::Fail(host::err::ObjectNotSet, "no active sheet");
  return sheet->ShowAllData();
}

host::Result<void> PaintCells(host::Range& cells, const host::Variant& colorIndex) {
  auto interior = KX_TRY(cells.Interior());
  return interior->SetColorIndex(colorIndex);
}

}  // namespace kx::engines
