#pragma once
// The count-and-colour engine: counts the duplicate or the unique values of a column, colours
// them if asked, and shows the count in the result window.

#include "engines/EngineWindow.h"
#include "ui/AddinState.h"

namespace kx::engines {

// UniqueMode picks the mode; ColorDuplicates and ColorUnique apply to their own mode only.
void CountOrColourDuplicates(ui::AddinState& state, EngineWindow& window, bool UniqueMode,
                             bool ColorDuplicates, bool ColorUnique);

}  // namespace kx::engines
