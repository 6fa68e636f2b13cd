#pragma once
// References inside formulas as seen from another cell: relative parts (no $) move with the
// cell, anchored parts stay. Validation rules need both directions: reading the reference a
// rule means for one of its cells, and rewriting a rule's formula for a new first cell.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "memhost/model/Grid.h"

namespace kx::memhost {

// "A1", "$A$1:$B$9", "$A:$A" or "3:5" read from a cell dRow rows and dCol columns away from the
// cell it was written for; nullopt when malformed or moved off the sheet.
std::optional<Area> ShiftedArea(std::string_view reference, std::int32_t dRow, std::int32_t dCol);

// The formula (with or without its leading "=") with every relative reference moved by the
// offset, as when the host fills a formula down; a reference moved off the sheet becomes #REF!.
// Text in quotes, quoted sheet names, function names, error literals and structured references
// stay. Used for validation rules and for the cells of a shared formula read from a file.
std::string ShiftFormula(std::string_view formula, std::int32_t dRow, std::int32_t dCol);

}  // namespace kx::memhost
