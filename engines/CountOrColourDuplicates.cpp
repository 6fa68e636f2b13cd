#include "engines/CountOrColourDuplicates.h"

#include "engines/EngineRun.h"

namespace kx::engines {

void CountOrColourDuplicates(ui::AddinState& state, EngineWindow& window, bool /*UniqueMode*/,
                             bool /*ColorDuplicates*/, bool /*ColorUnique*/) {
  host::ContinueOnFailure onFailure;
  auto run = BeginEngineRun(state, window, onFailure, ColumnRule::AtMostOne);
  if (run) EndEngineRun(*run);
}

}  // namespace kx::engines
