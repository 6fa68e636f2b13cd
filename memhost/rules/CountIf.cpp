#include "memhost/rules/CountIf.h"

namespace kx::memhost {

namespace {

std::int64_t Count(const SheetHandle& sheet, const Area& area, const Criterion& criterion) {
  if (auto key = criterion.EqualityKey()) {
    const AreaIndex& index = sheet.state->indexes.For(sheet.book, sheet.sheet, area);
    const HostState& state = *sheet.state;
    std::int64_t equal = state.lastReadSheet == sheet.sheet.get()
                             ? index.Count(*key, state.lastReadCell)
                             : index.Count(*key);
    return criterion.op() == Criterion::Op::Eq ? equal : area.cells() - equal;
  }
  if (criterion.kind() == Criterion::Kind::Blank) {
    const AreaIndex& index = sheet.state->indexes.For(sheet.book, sheet.sheet, area);
    if (criterion.op() == Criterion::Op::Ne) return index.NonBlankCount();
    std::int64_t empty = area.cells() - index.NonBlankCount();
    return criterion.CountsEmptyText() ? empty + index.EmptyTextCount() : empty;
  }
  // Patterns and comparisons: only stored cells can match, except that a "<>" criterion also
  // counts every empty cell.
  std::int64_t n = 0, stored = 0;
  const Sheet& s = *sheet.sheet;
  for (std::int32_t column : s.UsedColumns()) {
    if (column < area.firstColumn || column > area.lastColumn) continue;
    s.ForEachInColumn(column, area.firstRow, area.lastRow, [&](std::int32_t, const Cell& cell) {
      ++stored;
      if (criterion.Matches(&cell)) ++n;
    });
  }
  if (criterion.Matches(nullptr)) n += area.cells() - stored;
  return n;
}

}  // namespace

host::Result<double> CountIfArea(const SheetHandle& sheet, const Area& area,
                                 const host::Variant& criterion) {
  auto parsed = KX_TRY(Criterion::Parse(criterion));
  return static_cast<double>(Count(sheet, area, parsed));
}

host::Result<double> CountIfAreaWith(const SheetHandle& sheet, const Area& area,
                                     const host::Variant& criterion, CellPos pos,
                                     const Cell* candidate) {
  auto parsed = KX_TRY(Criterion::Parse(criterion));
  auto n = static_cast<double>(Count(sheet, area, parsed));
  if (area.Contains(pos)) {
    if (parsed.Matches(sheet.sheet->CellAt(pos))) --n;
    if (parsed.Matches(candidate)) ++n;
  }
  return n;
}

}  // namespace kx::memhost
