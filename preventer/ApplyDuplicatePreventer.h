#pragma once
// preventer/: the duplicate preventer, a validation rule with which the host itself refuses a
// value that already occurs in a column, and the dialog that installs and removes it.
//
// ApplyDuplicatePreventer does what the dialog's Apply asks: with "Activate" chosen it puts the
// rule on the selected column (the whole column when "Select Column" is ticked), replacing any
// rule those cells had; with "Deactivate" it removes every rule from the selected columns. It
// reads the two choices from the dialog's default instance and talks to the host only.

#include "ui/AddinState.h"

namespace kx::preventer {

void ApplyDuplicatePreventer(ui::AddinState& state);

}  // namespace kx::preventer
