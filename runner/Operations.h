#pragma once
// The duplicate commands as the runner knows them: each command's operation code, the question
// its progress window asks, and the status line shown while its engine runs.

#include <optional>
#include <string_view>

namespace kx::runner {

struct Operation {
  std::string_view code;      // stored in CurrentOperation by the command's front-end
  std::string_view question;  // asked in the progress window
  std::optional<std::string_view> statusLine;  // written before the engine runs
};

inline constexpr Operation kRemoveDuplicatesKeepFirst{
    "RDPV", "Do You want to remove 'Duplicate' Value (Keep First Value) in Selection?",
    "Removing....Duplicates - Keeping First!"};
inline constexpr Operation kRemoveAllDuplicates{
    "RADP", "Do You want to remove All 'Duplicate' Values in Selection?",
    "Removing....All Duplicates!"};
inline constexpr Operation kRemoveAllUnique{
    "RUDP", "Do You want to remove All 'Unique' Values in Selection?",
    "Removing....All Unique Entries!"};

// The second line of the status label while an engine runs.
inline constexpr std::string_view kStopHint = "Press Stop to cancel the Process.";

}  // namespace kx::runner
