#include "memhost/objects/WorksheetFunction.h"

#include "memhost/rules/CountIf.h"
#include "memhost/objects/Range.h"

namespace kx::memhost {

namespace {

// What late binding gives for an argument that is not a range: Nothing is 91-like "object
// required", a chart or shape a type mismatch.
host::Result<Range*> RangeArgument(const host::RangeRef& ref) {
  if (!ref) return host::Fail(host::err::ObjectRequired, "Object required");
  Range* range = Range::From(ref);
  if (!range) return host::Fail(host::err::TypeMismatch, "Type mismatch");
  if (!range->sheet().Alive()) return ObjectGone();
  return range;
}

}  // namespace

host::Result<double> WorksheetFunction::CountA(const host::RangeRef& ref) {
  KX_MEMHOST_ENTER(*state_, "WorksheetFunction.CountA");
  Range* range = KX_TRY(RangeArgument(ref));
  const SheetHandle& sheet = range->sheet();
  // Asked once a command, for the selection (often whole columns) that no COUNTIF asks about:
  // one pass over the stored cells is cheaper than building a value index nobody reuses.
  std::int64_t n = 0;
  const Sheet& s = *sheet.sheet;
  for (const Area& a : range->areas()) {
    for (std::int32_t column : s.UsedColumns()) {
      if (column < a.firstColumn || column > a.lastColumn) continue;
      s.ForEachInColumn(column, a.firstRow, a.lastRow, [&](std::int32_t, const Cell& cell) {
        if (!cell.value.IsEmpty() || cell.HasFormula()) ++n;
      });
    }
  }
  return static_cast<double>(n);
}

host::Result<double> WorksheetFunction::CountIf(const host::RangeRef& ref,
                                                const host::Variant& criterion) {
  KX_MEMHOST_ENTER(*state_, "WorksheetFunction.CountIf");
  Range* range = KX_TRY(RangeArgument(ref));
  if (range->areas().size() != 1) {
    return host::Fail(host::err::ApplicationDefined,
                      "Unable to get the CountIf property of the WorksheetFunction class");
  }
  return CountIfArea(range->sheet(), range->areas()[0], criterion);
}

}  // namespace kx::memhost
