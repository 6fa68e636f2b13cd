#pragma once
// The undo command: writes the contents saved in the undo store back into the workbook and
// sheet they came from.

#include "ui/AddinState.h"

namespace kx::preventer {

void UndoLastChange(ui::AddinState& state);

}  // namespace kx::preventer
