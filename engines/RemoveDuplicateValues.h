#pragma once
// The removal engine: clears the duplicates of a column keeping the first, clears every
// duplicate, or clears every unique value.

#include "engines/EngineWindow.h"
#include "ui/AddinState.h"

namespace kx::engines {

// Exactly one mode is true; they are tested in the order all duplicates, keep first, all unique.
void RemoveDuplicateValues(ui::AddinState& state, EngineWindow& window, bool keepFirst,
                           bool allDuplicates, bool allUnique);

}  // namespace kx::engines
