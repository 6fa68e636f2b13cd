#pragma once
// Member chains of the object model that several parts of the add-in ask for.

#include "host/Application.h"
#include "host/Range.h"

namespace kx::host {

// Workbooks.Count = 0.
Result<bool> NoWorkbookOpen(Application& app);

// The Selection, failing with err::ObjectNotSet when there is none. A selected chart or shape
// is returned; its members fail when used.
Result<RangeRef> SelectedRange(Application& app);

}  // namespace kx::host
