#include "engines/RemoveDuplicateValues.h"

#include <string>
#include <utility>
#include <vector>

#include "engines/EngineRun.h"
#include "engines/UndoRecord.h"
#include "engines/ValueText.h"
#include "engines/WorkingCells.h"

namespace kx::engines {

namespace {

host::Result<bool> IsEmptyText(const host::RangeRef& cell) {
  auto value = KX_TRY(cell->Value());
  // Comparing an error value with text is a type mismatch.
  if (value.IsError()) return host::Fail(host::err::TypeMismatch, "Type mismatch");
  return value.IsEmpty() || (value.IsText() && value.AsText().empty());
}

host::Result<bool> RowHidden(const host::RangeRef& cell) {
  auto row = KX_TRY(cell->EntireRow());
  return row->Hidden();
}

void KeepFirst(EngineRun& run) {
  host::Application& app = *run.state.HostApp;
  host::ContinueOnFailure& onFailure = run.onFailure;
  host::RangeRef working = run.workingRange;
  if (!working) return;

  // The host's unique filter hides every data row repeating an earlier one; the first row is
  // its header. If the filter fails, no row it hid can be told from one hidden before: clear
  // nothing.
  auto filtered = FilterUniqueInPlace(*working);
  onFailure.Do(filtered);

  long stepCount = 0;
  onFailure.Do(working->ForEachCell([&](const host::RangeRef& cell) {
    // An error value compared with "" fails, and the failed test skips the cell.
    if (!onFailure.RunsBodyOnFailure(IsEmptyText(cell)) && filtered.ok() &&
        onFailure.SkipsBodyOnFailure(RowHidden(cell))) {
      onFailure.Do(ClearRecorded(run.state, *cell));
    }
    ShowEngineProgress(run, ++stepCount);
    return !run.state.StopRequested;
  }));

  onFailure.Do(ShowAllRows(app));
}

void AllDuplicates(EngineRun& run) {
  host::Application& app = *run.state.HostApp;
  host::ContinueOnFailure& onFailure = run.onFailure;
  run.window.Bar().SetMax(static_cast<float>(2 * run.nonEmptyCount));
  host::RangeRef working = run.workingRange;
  if (!working) return;

  // Entry k (from 1) holds the value of the k-th cell the first pass cleared.
  std::vector<ComparedValue> removed(1);
  long stepCount = 0;

  // First pass, bottom-up: every occurrence below the topmost one of a repeated value goes, the
  // count being taken afresh after each clearing; the topmost is left for the second pass.
  host::RangeRef column = WorkingColumn(run, 1);
  long rows = WorkingRowCount(run);
  for (long i = rows; i >= 1; --i) {
    auto value = CellComparison(*working, i);
    if (value && !value->text.empty()) {
      // A count the host cannot give must never clear a cell.
      if (onFailure.SkipsBodyOnFailure([&]() -> host::Result<bool> {
            return KX_TRY(Occurrences(app, column, *value)) > 1;
          }())) {
        removed.push_back(std::move(*value));
        onFailure.Do(ClearCell(run.state, *working, i));
      }
      ++stepCount;
    }
    ShowEngineProgress(run, stepCount);
    if (run.state.StopRequested) break;
  }

  // Second pass: the k-th cell's search clears the remaining occurrence of the k-th recorded
  // value, wherever it stands in the selection.
  auto selection = onFailure.Do(app.Selection()).value_or(nullptr);
  long recorded = static_cast<long>(removed.size()) - 1;
  long k = 0;
  onFailure.Do(working->ForEachCell([&](const host::RangeRef& cell) {
    ++k;
    if (k <= recorded && selection) {
      auto found = onFailure.Do(FindOccurrence(*selection, removed[static_cast<size_t>(k)], cell));
      if (found && *found) {
        auto address = onFailure.Do((*found)->Address());
        if (address) {
          auto target = onFailure.Do(app.Range(*address));
          if (target && *target) onFailure.Do(ClearRecorded(run.state, **target));
        }
      }
    }
    ShowEngineProgress(run, ++stepCount);
    return !run.state.StopRequested;
  }));
}

void AllUnique(EngineRun& run) {
  host::Application& app = *run.state.HostApp;
  host::ContinueOnFailure& onFailure = run.onFailure;
  host::RangeRef working = run.workingRange;
  if (!working) return;

  host::RangeRef column = WorkingColumn(run, 1);
  long rows = WorkingRowCount(run);
  long stepCount = 0;
  // A cell cleared here held a value no other cell holds, so every other value's count stands.
  SearchedCounts searched;
  for (long i = rows; i >= 1; --i) {
    auto value = CellComparison(*working, i);
    if (value && !value->text.empty() && onFailure.SkipsBodyOnFailure([&]() -> host::Result<bool> {
          return KX_TRY(Occurrences(app, column, *value, &searched)) == 1;
        }())) {
      onFailure.Do(ClearCell(run.state, *working, i));
    }
    ShowEngineProgress(run, ++stepCount);
    if (run.state.StopRequested) break;
  }
}

}  // namespace

void RemoveDuplicateValues(ui::AddinState& state, EngineWindow& window, bool keepFirst,
                           bool allDuplicates, bool allUnique) {
  host::ContinueOnFailure onFailure;
  auto run = BeginEngineRun(state, window, onFailure, ColumnRule::AtMostOne);
  if (!run) return;
  // No run clears more cells than the selection holds values.
  StartUndoRecord(state, run->nonEmptyCount);
  if (allDuplicates) {
    AllDuplicates(*run);
  } else if (keepFirst) {
    KeepFirst(*run);
  } else if (allUnique) {
    AllUnique(*run);
  }
  EndUndoRecord(state);
  EndEngineRun(*run);
}

}  // namespace kx::engines
