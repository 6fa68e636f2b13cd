#pragma once
// COUNTIF over one area: "=" and "<>" criteria with a literal operand are answered from the
// value index, the rest by a pass over the stored cells.

#include "host/Result.h"
#include "memhost/rules/Criterion.h"
#include "memhost/SheetHandle.h"

namespace kx::memhost {

host::Result<double> CountIfArea(const SheetHandle& sheet, const Area& area,
                                 const host::Variant& criterion);
// The same count as if `pos` held `candidate` instead of what it holds now.
host::Result<double> CountIfAreaWith(const SheetHandle& sheet, const Area& area,
                                     const host::Variant& criterion, CellPos pos,
                                     const Cell* candidate);

}  // namespace kx::memhost
