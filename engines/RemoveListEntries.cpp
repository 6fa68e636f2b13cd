#include "engines/RemoveListEntries.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
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

// The entries column read bottom-up, kAhead rows before each entry's turn, with the entry's
// group asked for from the table at once and its first row kAhead / 2 rows later.
class EntriesAhead {
 public:
  struct Entry {
    std::optional<std::string> text;
    std::uint64_t hash = 0;
  };
  EntriesAhead(host::Range& entries, const RowsByText& table) : entries_(entries), table_(table) {}

  void Start(long rows) {
    for (long i = rows; i >= 1 && i > rows - kAhead; --i) Read(i);
  }
  // Whether an entry takes anything out: a blank entry, an error value or an unreadable cell
  // does not.
  static bool TakesOut(const Entry& e) { return e.text && !e.text->empty(); }
  // Row i's entry, valid until the next call; row i must be the row below the last one taken.
  const Entry& Take(long i) {
    taken_ = std::move(ring_[Slot(i)]);
    if (i > kAhead) Read(i - kAhead);
    if (i > kAhead / 2) {
      const Entry& nearer = ring_[Slot(i - kAhead / 2)];
      if (TakesOut(nearer)) table_.Approach(nearer.hash);
    }
    return taken_;
  }

 private:
  static constexpr long kAhead = 16;
  static size_t Slot(long row) { return static_cast<size_t>(row % kAhead); }
  void Read(long row) {
    Entry& e = ring_[Slot(row)];
    e.text = CellText(entries_, row);
    if (TakesOut(e)) e.hash = table_.Expect(*e.text);
  }
  host::Range& entries_;
  const RowsByText& table_;
  std::array<Entry, kAhead> ring_;
  Entry taken_;
};

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

  // The entries are read a few rows before their turn, so that each one's group in the table
  // is on its way from memory by then. Calculation is manual for the run and only the list
  // changes, so an entry reads the same whenever it is read; one read early and then not used,
  // because the run stopped, takes nothing out.
  EntriesAhead ahead(*entries, rowsByText);
  ahead.Start(rows);

  // m × (n + 1) steps pass 2^31 from about 46,000 rows in each list; the count must go on.
  std::int64_t stepCount = 0;
  for (long i = rows; i >= 1; --i) {
    // An entry that takes nothing out is no step.
    const EntriesAhead::Entry& entry = ahead.Take(i);
    if (EntriesAhead::TakesOut(entry)) {
      // A cell the host would not clear keeps its text and stays to be matched again.
      rowsByText.TakeOut(*entry.text, entry.hash, [&](long r) {
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
  StartUndoRecord(state, run->nonEmptyCount);
  RemoveEntries(*run);
  EndUndoRecord(state);
  EndEngineRun(*run);
}

}  // namespace kx::engines
