#include "engines/CountOrColourDuplicates.h"

#include <algorithm>
#include <string_view>

#include "engines/EngineRun.h"
#include "engines/WorkingCells.h"

namespace kx::engines {

namespace {

constexpr std::string_view kUniqueFound = "Unique Entries Found in Selection!";
constexpr std::string_view kDuplicatesFound = "Duplicate Entries Found in Selection!";

// The host's unique filter does the work: it keeps the first row (its header) and the first
// occurrence of each value below it visible. The count is the visible cells less the header.
// Not interruptible: there is no loop to poll Stop in.
long CountUnique(EngineRun& run, bool colour) {
  host::Application& app = *run.state.HostApp;
  host::ContinueOnFailure& onFailure = run.onFailure;
  host::RangeRef working = run.workingRange;
  if (!working) return 0;

  auto filtered = FilterUniqueInPlace(*working);
  onFailure.Do(filtered);

  long uniqueCount = 0;
  // Without the filter, the visible rows say nothing about the values: counting or colouring
  // them would report rows the host never judged. Nothing is counted and nothing coloured.
  if (filtered.ok()) {
    auto visible = onFailure.Do(working->SpecialCells(host::xl::CellTypeVisible)).value_or(nullptr);
    long visibleCount = visible ? onFailure.Do(visible->Count()).value_or(0) : 0;
    if (colour) {
      // Only the visible cells that hold something take the colour. Colouring every visible
      // cell and clearing the blanks afterwards left a blank coloured whenever the host refused
      // the second step. A kind with no cells is the host's 1004: nothing to paint.
      for (long kind : {host::xl::CellTypeConstants, host::xl::CellTypeFormulas}) {
        auto filled = visible ? onFailure.Do(visible->SpecialCells(kind)).value_or(nullptr)
                              : nullptr;
        if (filled) onFailure.Do(PaintCells(*filled, run.state.SelectedColorIndex));
      }
      // Blanks end without fill, also where they had one before.
      auto blanks = onFailure.Do(working->SpecialCells(host::xl::CellTypeBlanks)).value_or(nullptr);
      if (blanks) onFailure.Do(PaintCells(*blanks, host::Variant(host::xl::ColorIndexNone)));
    }
    // Less the header row. A count the host could not give, or a header row the user had
    // hidden, must not make the count negative.
    uniqueCount = std::max(visibleCount - 1, 0L);
  }

  onFailure.Do(ShowAllRows(app));
  return uniqueCount;
}

// Walks the column bottom-up and asks the host's count for each value; a value that does not
// occur exactly once is a duplicate, every member of a repeated group included. Returns the
// duplicates among the rows visited (a Stop reports the bottom rows visited so far).
long CountDuplicates(EngineRun& run, bool colour) {
  host::Application& app = *run.state.HostApp;
  host::ContinueOnFailure& onFailure = run.onFailure;
  host::RangeRef working = run.workingRange;
  if (!working) return 0;

  host::RangeRef column = WorkingColumn(run, 1);
  long rows = WorkingRowCount(run);
  long stepCount = 0;
  long singleCount = 0;
  // Colouring changes no value: a misread text's cells, once counted, stay counted.
  SearchedCounts searched;
  for (long i = rows; i >= 1; --i) {
    ++stepCount;
    auto value = CellComparison(*working, i);
    // Blank, empty text, an error value or a cell the host cannot read: never a duplicate.
    if (!value || value->text.empty()) {
      ++singleCount;
    } else if (onFailure.RunsBodyOnFailure([&]() -> host::Result<bool> {
                 return KX_TRY(Occurrences(app, column, *value, &searched)) == 1;
               }())) {
      // A count the host cannot give counts the row as occurring once, so it is never coloured.
      ++singleCount;
    } else if (colour) {
      // The colour as the chooser stored it; the host refuses an empty one (OK never pressed)
      // and the cell keeps its fill.
      onFailure.Do([&]() -> host::Result<void> {
        auto cell = KX_TRY(working->Cells(i, 1));
        return PaintCells(*cell, run.state.SelectedColorIndex);
      }());
    }
    ShowEngineProgress(run, stepCount);
    if (run.state.StopRequested) break;
  }
  return stepCount - singleCount;
}

}  // namespace

void CountOrColourDuplicates(ui::AddinState& state, EngineWindow& window, bool UniqueMode,
                             bool ColorDuplicates, bool ColorUnique) {
  const std::string_view message = UniqueMode ? kUniqueFound : kDuplicatesFound;
  host::ContinueOnFailure onFailure;
  EarlyEnd earlyEnd = EarlyEnd::None;
  auto run = BeginEngineRun(state, window, onFailure, ColumnRule::AtMostOne, &earlyEnd);
  if (!run) {
    // An empty selection is still answered with a count, of nothing.
    if (earlyEnd == EarlyEnd::SelectionEmpty) window.ShowResult(message, 0);
    return;
  }
  long count = UniqueMode ? CountUnique(*run, ColorUnique) : CountDuplicates(*run, ColorDuplicates);
  EndEngineRun(*run);
  window.ShowResult(message, count);
}

}  // namespace kx::engines
