#pragma once
// Moving a formula to another cell: every relative reference shifts by the same number of rows
// and columns, as when the spreadsheet fills a formula down. Shared formulas store their text
// once, for the group's first cell; each other cell of the group gets its own text this way.

#include <cstdint>
#include <string>
#include <string_view>

namespace kx::files {

// The formula (without or with its leading "=") moved by the given offsets. A relative
// reference moved off the sheet becomes #REF!, as in the spreadsheet.
std::string ShiftFormula(std::string_view formula, std::int32_t rows, std::int32_t columns);

}  // namespace kx::files
