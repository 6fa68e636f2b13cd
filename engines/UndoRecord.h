#pragma once
// The undo record of a clearing run: where it ran and what each cleared cell held, kept in the
// add-in's undo store so that the undo command can write it back. Each clearing run replaces the
// store with its own record, also when it clears nothing.

#include "host/Host.h"
#include "ui/AddinState.h"

namespace kx::engines {

// Starts a new record for the active workbook and sheet (index 0 of the entries stays unused),
// with room for `mostCleared` entries, as the host counted the selection's values: a record
// grown by doubling moves every entry once more and writes twice the memory it ends with.
void StartUndoRecord(ui::AddinState& state, double mostCleared = 0);
// Gives back the room the record was started with and did not use.
void EndUndoRecord(ui::AddinState& state);

// Records the cell's contents and clears it. A cell whose contents cannot be read is left as it
// is: clearing what Undo could not bring back would lose it for good.
host::Result<void> ClearRecorded(ui::AddinState& state, host::Range& cell);

// Records in `entry` what the cell's Formula must be set to for it to hold its contents again:
// its formula, or its constant.
host::Result<void> RecordContents(host::Range& cell, ui::UndoEntry& entry);

}  // namespace kx::engines
