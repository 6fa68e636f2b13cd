#pragma once
// The undo command: writes the contents saved in the undo store back into the workbook and
// sheet they came from.

#include "host/Result.h"
#include "ui/AddinState.h"

namespace kx::preventer {

// Shows its own messages. A failure of its test for an open workbook, which comes before its own
// failure handling, or of the settings it ends with, goes back to the caller.
host::Result<void> UndoLastChange(ui::AddinState& state);

}  // namespace kx::preventer
