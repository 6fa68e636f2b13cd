#pragma once
// A1 addresses: reading "B7", "$A$2:$A$20", "A:A", "3:5", "A1:B2,D4" and writing the absolute
// form the host's Address gives.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "memhost/model/Grid.h"

namespace kx::memhost {

// "A" -> 1, "XFD" -> 16384; nullopt for anything else.
std::optional<std::int32_t> ColumnFromLetters(std::string_view letters);
std::string ColumnLetters(std::int32_t column);

// One area ("B7", "$A$2:$A$20", "A:A", "$3:$5"), case-insensitive; nullopt when malformed or
// out of the sheet's bounds.
std::optional<Area> ParseArea(std::string_view text);
// Areas separated by commas; nullopt when any is malformed.
std::optional<std::vector<Area>> ParseAreas(std::string_view text);

// $A$1, $A$2:$A$20, $A:$A, $1:$1.
std::string FormatArea(const Area& area);
// Areas joined by commas.
std::string FormatAreas(const std::vector<Area>& areas);
// A1-style without dollars: "B7", "A2:A20".
std::string FormatAreaRelative(const Area& area);

}  // namespace kx::memhost
