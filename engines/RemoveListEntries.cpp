#include "engines/RemoveListEntries.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "engines/EngineRun.h"
#include "engines/RowsByText.h"
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

// Bottom-up over the entries; each non-blank entry takes out every cell of the list that reads
// as exactly the same text (case, spaces and every character count). Stop is looked at once per
// entry, after it has been compared with the whole list.
//
// The list is read once and its cells are looked up by their text, so the run grows with the
// lists' length rather than with its square; what is cleared, in what order, and the step count
// (the list's length and one for every non-blank entry) are those of comparing each entry with
// every cell.
void RemoveEntries(EngineRun& run) {
  if (!HoldsBothLists(run)) return;
  host::ContinueOnFailure& onFailure = run.onFailure;
  host::RangeRef list = WorkingColumn(run, 1);
  host::RangeRef entries = WorkingColumn(run, 2);
  if (!list || !entries) return;

  long rows = WorkingRowCount(run);
  // The list's rows by their text, bottom-up; a cell that cannot be read, or holds an error
  // value, is never cleared.
  RowsByText rowsByText(static_cast<size_t>(std::max(rows, 0L)));
  for (long r = rows; r >= 1; --r) {
    auto text = CellText(*list, r);
    if (text) rowsByText.Add(std::move(*text), r);
  }

  // m × (n + 1) steps pass 2^31 from about 46,000 rows in each list; the count must go on.
  std::int64_t stepCount = 0;
  for (long i = rows; i >= 1; --i) {
    // A blank entry, an error value or an unreadable cell takes nothing out and is no step.
    auto entry = CellText(*entries, i);
    if (entry && !entry->empty()) {
      // A cell the host would not clear keeps its text and stays to be matched again.
      rowsByText.TakeOut(*entry, [&](long r) {
        auto cleared = ClearCell(run.state, *list, r);
        onFailure.Do(cleared);
        return cleared.ok();
      });
      stepCount += rows + 1;
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
