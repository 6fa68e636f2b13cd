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

// The comparison text of cell (row, 1): its text form cut to 255 characters; nothing as above.
std::optional<std::string> CellComparisonText(host::Range& range, long row);

// How often a value occurs in a column under the host's count, the value standing for itself
// (no pattern, no comparison).
host::Result<double> Occurrences(host::Application& app, const host::RangeRef& column,
                                 const std::string& text);

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
