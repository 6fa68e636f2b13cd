#pragma once
// The command front-ends: each records its command's operation code, asks its question in the
// progress window and shows that window modally. The window's "Yes" runs the engine; "No"
// closes it. They return when the window has closed.

#include "runner/Operations.h"
#include "ui/AddinState.h"

namespace kx::runner {

void ConfirmRemoveDuplicatesKeepFirst(ui::AddinState& state);
void ConfirmRemoveAllDuplicates(ui::AddinState& state);
void ConfirmRemoveAllUnique(ui::AddinState& state);
void ConfirmColorDuplicateRows(ui::AddinState& state);
void ConfirmColorUniqueRows(ui::AddinState& state);
void ConfirmCountDuplicates(ui::AddinState& state);
void ConfirmCountUnique(ui::AddinState& state);
void ConfirmRemoveListEntries(ui::AddinState& state);

// What every front-end does, for its own operation.
void ConfirmOperation(ui::AddinState& state, const Operation& op);

}  // namespace kx::runner
