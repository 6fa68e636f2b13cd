#pragma once
// Number formats as far as the model needs them: the built-in format codes and whether a code
// shows a date or time (such a cell's value is a date for the host).

#include <optional>
#include <string>
#include <string_view>

namespace kx::memhost {

// The code of a built-in number format id (0 "General", 14 "m/d/yyyy", ...), as the en-US
// spreadsheet shows it; nullopt for ids without a fixed code.
std::optional<std::string> BuiltinNumberFormat(int id);

// True when the code formats its number as a date or time: a d, m, y, h or s outside quoted
// text, escapes and [colour]/[condition] brackets ([h], [m] and [s] elapsed-time codes count).
bool IsDateFormat(std::string_view code);

}  // namespace kx::memhost
