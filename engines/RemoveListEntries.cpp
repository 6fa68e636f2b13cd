#include "engines/RemoveListEntries.h"

#include <cstdint>

#include "engines/EngineRun.h"
#include "engines/UndoRecord.h"
#include "engines/WorkingCells.h"

namespace kx::engines {

namespace {

// Whether the working range holds both lists. Where the used range cuts a selected column off,
// the range's second column would lie outside it: its cells would be taken as entries and the
// entries column cleaned instead of the list. One of the lists is empty then, so nothing is due.
bool HoldsBothLists(EngineRun& run) {
  if (!run.workingRange) return false;
  return run.onFailure.SkipsBodyOnFailure([&]() -> host::Result<bool> {
    auto columns = KX_TRY(run.workingRange->Columns());
    return KX_TRY(columns->Count()) == 2;
  }());
}

// Bottom-up over the entries; each non-blank entry is compared with every cell of the list, and
// each cell that reads as exactly the same text is cleared. Stop is looked at once per entry.
void RemoveEntries(EngineRun& run) {
  if (!HoldsBothLists(run)) return;
  host::ContinueOnFailure& onFailure = run.onFailure;
  host::RangeRef list = WorkingColumn(run, 1);
  host::RangeRef entries = WorkingColumn(run, 2);
  if (!list || !entries) return;

  long rows = WorkingRowCount(run);
  // m × (n + 1) steps pass 2^31 from about 46,000 rows in each list; the count must go on.
  std::int64_t stepCount = 0;
  for (long i = rows; i >= 1; --i) {
    // A blank entry, an error value or an unreadable cell takes nothing out and is no step.
    auto entry = CellText(*entries, i);
    if (entry && !entry->empty()) {
      for (long r = rows; r >= 1; --r) {
        // Case, spaces and every character count; a cell that cannot be read stays.
        auto candidate = CellText(*list, r);
        if (candidate && *candidate == *entry) onFailure.Do(ClearCell(run.state, *list, r));
        ++stepCount;
      }
      ++stepCount;
    }
    ShowEngineProgress(run, stepCount);
    if (run.state.StopRequested) break;
  }
}

}  // namespace

void RemoveListEntries(ui::AddinState& state, EngineWindow& window) {
  host::ContinueOnFailure onFailure;
  auto run = BeginEngineRun(state, window, onFailure, ColumnRule::ExactlyTwo);
  if (!run) return;
  StartUndoRecord(state);
  RemoveEntries(*run);
  EndEngineRun(*run);
}

}  // namespace kx::engines
