#pragma once
// The list engine: clears from the first column of a two-column selection every entry that the
// second column holds.

#include "engines/EngineWindow.h"
#include "ui/AddinState.h"

namespace kx::engines {

void RemoveListEntries(ui::AddinState& state, EngineWindow& window);

}  // namespace kx::engines
