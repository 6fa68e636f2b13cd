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

std::optional<ComparedValue> CellComparison(host::Range& range, long row) {
  auto value = CellValue(range, row);
  if (!value) return std::nullopt;
  const bool heldAsText = value->IsText();
  auto text = ComparisonText(std::move(*value));
  if (!text) return std::nullopt;
  return ComparedValue{std::move(*text), heldAsText};
}

namespace {

// The first cell after `after` in `within` that shows the text itself, whatever its case.
host::Result<host::RangeRef> FindShowing(host::Range& within, const std::string& text,
                                         const host::RangeRef& after) {
  // As with the criteria, the search text is built in one buffer for the whole run.
  static std::string scratch;
  scratch.clear();
  AppendEscapedWildcards(text, scratch);
  host::FindArgs find;
  find.What = host::Variant(std::move(scratch));
  find.After = after;
  find.LookIn = host::xl::LookInValues;
  find.LookAt = host::xl::LookAtWhole;
  find.SearchOrder = host::xl::SearchByRows;
  find.SearchDirection = host::xl::SearchNext;
  find.MatchCase = false;
  auto found = within.Find(find);
  scratch = std::move(find.What).AsText();
  return found;
}

host::Result<bool> HoldsText(host::Range& cell) {
  auto value = KX_TRY(cell.Value());
  return value.IsText();
}

// Calls `visit` with every cell of `within` that holds the text itself (a boolean or error
// value showing the same letters is another value), in search order from the cell after `after`,
// until it returns false. Each cell is visited once: the search ends where it began.
template <class Visit>
host::Result<void> ForEachHolding(host::Range& within, const std::string& text,
                                  const host::RangeRef& after, Visit&& visit) {
  host::RangeRef cell = KX_TRY(FindShowing(within, text, after));
  if (!cell) return {};
  const std::string first = KX_TRY(cell->Address());
  for (;;) {
    if (KX_TRY(HoldsText(*cell)) && !visit(cell)) return {};
    host::RangeRef next = KX_TRY(FindShowing(within, text, cell));
    if (!next || KX_TRY(next->Address()) == first) return {};
    cell = std::move(next);
  }
}

}  // namespace

namespace {
bool Misread(const ComparedValue& value) {
  return value.heldAsText && CriterionMisreads(value.text);
}
}  // namespace

host::Result<double> Occurrences(host::Application& app, const host::RangeRef& column,
                                 const ComparedValue& value) {
  const std::string& text = value.text;
  auto function = KX_TRY(app.WorksheetFunction());
  // The criterion's text goes back into the scratch after the call: a run of a million rows
  // builds its criteria in one buffer. The host calls the add-in on one thread.
  static std::string scratch;
  WriteLiteralCriterion(text, scratch);
  host::Variant criterion(std::move(scratch));
  auto count = function->CountIf(column, criterion);
  scratch = std::move(criterion).AsText();
  double counted = KX_TRY(std::move(count));
  if (!Misread(value)) return counted;
  // A long number's text is counted by the host with every text sharing its first 15 digits,
  // itself included: counted once, it is the only one, and nothing need be looked at.
  if (counted == 1 && !SpellsKeyword(text)) return counted;
  // The host counted another value (the boolean, the error, every number sharing the first 15
  // digits): the cells holding the very text are counted instead.
  double holding = 0;
  KX_TRY(ForEachHolding(*column, text, nullptr, [&](const host::RangeRef&) {
    ++holding;
    return true;
  }));
  return holding;
}

host::Result<host::RangeRef> FindOccurrence(host::Range& within, const ComparedValue& value,
                                            const host::RangeRef& after) {
  const std::string& text = value.text;
  if (!Misread(value)) return FindShowing(within, text, after);
  host::RangeRef found;
  KX_TRY(ForEachHolding(within, text, after, [&](const host::RangeRef& cell) {
    found = cell;
    return false;
  }));
  return found;
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
