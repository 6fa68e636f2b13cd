#include "host/Shorthands.h"

#include "host/ErrorNumbers.h"
#include "host/Worksheet.h"

namespace kx::host {

Result<bool> NoWorkbookOpen(Application& app) {
  auto workbooks = KX_TRY(app.Workbooks());
  return KX_TRY(workbooks->Count()) == 0;
}

Result<RangeRef> SelectedRange(Application& app) {
  auto selection = KX_TRY(app.Selection());
  if (!selection) return Fail(err::ObjectNotSet, "nothing is selected");
  return selection;
}

}  // namespace kx::host
