#pragma once
// The undo command: writes the contents saved in the undo store back into the workbook and
// sheet they came from.

#include <string_view>

#include "ui/AddinState.h"

namespace kx::preventer {

inline constexpr std::string_view kNothingToUndo = "Nothing to Undo!";
inline constexpr std::string_view kUndoFailed = "Undo Command Failed!";

void UndoLastChange(ui::AddinState& state);

}  // namespace kx::preventer
