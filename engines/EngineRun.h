#pragma once
// The sequences every engine runs: BeginEngineRun (checks, host settings, count, working
// range), ShowEngineProgress (after each step) and EndEngineRun (restore and close).

#include <cstdint>
#include <optional>

#include "engines/EngineWindow.h"
#include "host/ContinueOnFailure.h"
#include "host/Host.h"
#include "ui/AddinState.h"

namespace kx::engines {

enum class ColumnRule { AtMostOne, ExactlyTwo };

// Why BeginEngineRun ended a run before its work: a check refused it (nothing was changed), or
// the selection held nothing (the host settings were put back). The count engine still shows
// its result after an empty selection, never after a refusal.
enum class EarlyEnd { None, Refused, SelectionEmpty };

// One run of an engine: what the engines share while it lasts.
struct EngineRun {
  ui::AddinState& state;
  EngineWindow& window;
  host::ContinueOnFailure& onFailure;
  double nonEmptyCount = 0;
  host::RangeRef workingRange;  // Nothing when the host could not give it
  long shownPercent = -1;       // the percentage the window's label was told last
};

// Runs the checks and prepares the host. Returns nothing when the run ends here: a check
// failed (message shown, window unloaded, nothing changed) or the selection is empty (message
// shown, EndEngineRun done); `earlyEnd`, when given, then says which.
std::optional<EngineRun> BeginEngineRun(ui::AddinState& state, EngineWindow& window,
                                        host::ContinueOnFailure& onFailure, ColumnRule rule,
                                        EarlyEnd* earlyEnd = nullptr);

// The working range's row count (0 when the host cannot give it) and one of its columns
// (Nothing when it cannot).
long WorkingRowCount(EngineRun& run);
host::RangeRef WorkingColumn(EngineRun& run, long index);

// After each step: yield so that a Stop click is handled, then show the step count.
void ShowEngineProgress(EngineRun& run, std::int64_t stepCount);

// Restores the host settings, closes the window and lets go of the working range.
void EndEngineRun(EngineRun& run);

// value × 100 ÷ maximum in single precision, to the nearest whole number (halves to even).
long PercentOf(float value, float maximum);

}  // namespace kx::engines
