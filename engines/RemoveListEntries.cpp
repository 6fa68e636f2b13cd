#include "engines/RemoveListEntries.h"

#include "engines/EngineRun.h"

namespace kx::engines {

void RemoveListEntries(ui::AddinState& state, EngineWindow& window) {
  host::ContinueOnFailure onFailure;
  auto run = BeginEngineRun(state, window, onFailure, ColumnRule::ExactlyTwo);
  if (run) EndEngineRun(*run);
}

}  // namespace kx::engines
