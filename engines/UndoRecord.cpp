#include "engines/UndoRecord.h"

#include <new>
#include <utility>

namespace kx::engines {

void StartUndoRecord(ui::AddinState& state, double mostCleared) {
  state.UndoWorkbook = nullptr;
  state.UndoWorksheet = nullptr;
  state.UndoEntries.emplace(1);
  // The room is a hint: a count no selection of two columns can hold is not trusted with it,
  // and where memory has no block that large (a 32-bit host's), the record grows as it goes.
  constexpr double kMostRoom = 2.0 * (1 << 20);
  if (mostCleared > 0 && mostCleared <= kMostRoom) {
    try {
      state.UndoEntries->reserve(static_cast<size_t>(mostCleared) + 1);
    } catch (const std::bad_alloc&) {
      // Grown entry by entry instead, as before.
    }
  }
  if (!state.HostApp) return;
  if (auto book = state.HostApp->ActiveWorkbook(); book.ok()) state.UndoWorkbook = *book;
  if (auto sheet = state.HostApp->ActiveSheet(); sheet.ok()) state.UndoWorksheet = *sheet;
}

void EndUndoRecord(ui::AddinState& state) {
  // Room reserved and never touched takes no memory, only addresses, which a 32-bit host has
  // few of, and the record stays until the next run. Shrinking moves every entry into new
  // memory, so it is done only when most of the room went unused.
  if (state.UndoEntries && state.UndoEntries->size() < state.UndoEntries->capacity() / 4) {
    state.UndoEntries->shrink_to_fit();
  }
}

host::Result<void> RecordContents(host::Range& cell, ui::UndoEntry& entry) {
  auto formula = KX_TRY(cell.Formula());
  if (formula.IsText() && formula.AsText().starts_with("=")) {
    entry.SavedFormula = std::move(formula);
    return {};
  }
  auto value = KX_TRY(cell.Value());
  if (value.IsError()) {
    entry.SavedFormula = std::move(formula);
    return {};
  }
  entry.KeptAsText = value.IsText();
  entry.SavedFormula = std::move(value);
  return {};
}

host::Result<void> ClearRecorded(ui::AddinState& state, host::Range& cell) {
  ui::UndoEntry entry;
  KX_TRY(RecordContents(cell, entry));
  entry.CellAddress = KX_TRY(cell.Address());
  if (!state.UndoEntries) state.UndoEntries.emplace(1);
  state.UndoEntries->push_back(std::move(entry));
  auto cleared = cell.Clear();
  // A cell the host would not clear still holds its contents: nothing to bring back.
  if (!cleared.ok()) state.UndoEntries->pop_back();
  return cleared;
}

}  // namespace kx::engines
