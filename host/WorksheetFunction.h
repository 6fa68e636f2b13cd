#pragma once
// WorksheetFunction: the worksheet functions the add-in calls. A function that would give an
// error value in a cell fails the call with 1004 instead, as the object model does.

#include "host/Forward.h"
#include "host/Result.h"
#include "host/Variant.h"

namespace kx::host {

class WorksheetFunction {
 public:
  virtual ~WorksheetFunction() = default;
  // Cells that are not empty, a formula giving empty text included.
  virtual Result<double> CountA(const RangeRef& range) = 0;
  // Cells matching the criterion under the host's criteria rules.
  virtual Result<double> CountIf(const RangeRef& range, const Variant& criterion) = 0;
};

}  // namespace kx::host
