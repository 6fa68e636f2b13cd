#pragma once
// The engines' host calls on the working range: reading a cell as text, counting a value in a
// column, clearing a cell, the unique filter and colouring cells.

#include <optional>
#include <string>

#include "host/Host.h"
#include "ui/AddinState.h"

namespace kx::engines {

// The text form of cell (row, 1) of a range, whole; nothing when the cell cannot be read or
// holds an error value, which has no text form.
std::optional<std::string> CellText(host::Range& range, long row);

// What the engines compare a cell by: its text form cut to 255 characters, and whether the cell
// holds that as text (not as a number, date or boolean the text shows).
struct ComparedValue {
  std::string text;
  bool heldAsText = false;
};

// The compared value of cell (row, 1); nothing when the cell cannot be read or holds an error.
std::optional<ComparedValue> CellComparison(host::Range& range, long row);

// How often a value occurs in a column under the host's count, the value standing for itself
// (no pattern, no comparison). A text cell's text that the host's criterion would misread
// (CriterionMisreads) is counted among the cells holding that very text, the case aside.
host::Result<double> Occurrences(host::Application& app, const host::RangeRef& column,
                                 const ComparedValue& value);

// The next cell after `after` in `within` (rows first, wrapping round) that shows the value's
// text, the case aside; for a text the criterion misreads, the next that holds it as text.
// Nothing when no cell does.
host::Result<host::RangeRef> FindOccurrence(host::Range& within, const ComparedValue& value,
                                            const host::RangeRef& after);

// Clears cell (row, 1), recording its contents for the undo command first.
host::Result<void> ClearCell(ui::AddinState& state, host::Range& range, long row);

// The host's unique-records filter in place, without criteria: the range's first row is the
// header and stays; every later row repeating an earlier data row is hidden.
host::Result<void> FilterUniqueInPlace(host::Range& range);

// Takes the active sheet's filter off, showing the rows it hid.
host::Result<void> ShowAllRows(host::Application& app);

// Sets the fill colour index of every cell of the range, as the host accepts it.
host::Result<void> PaintCells(host::Range& cells, const host::Variant& colorIndex);

}  // namespace kx::engines
