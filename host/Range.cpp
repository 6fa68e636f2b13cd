#include "host/Range.h"

namespace kx::host {

Result<RangeRef> Range::Columns(long index) {
  auto columns = KX_TRY(Columns());
  return columns->Item(index);
}

Result<RangeRef> Range::Rows(long index) {
  auto rows = KX_TRY(Rows());
  return rows->Item(index);
}

Result<RangeRef> Range::Cells(long row, long column) {
  auto cells = KX_TRY(Cells());
  return cells->Item(row, column);
}

Result<RangeRef> Range::Cells(long index) {
  auto cells = KX_TRY(Cells());
  return cells->Item(index);
}

}  // namespace kx::host
