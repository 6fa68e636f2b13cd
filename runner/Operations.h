#pragma once
// The duplicate commands as the runner knows them: each command's operation code, the question
// its progress window asks, and the status line shown while its engine runs.

#include <array>
#include <optional>
#include <string_view>

namespace kx::runner {

struct Operation {
  std::string_view code;      // stored in CurrentOperation by the command's front-end
  std::string_view question;  // asked in the progress window
  std::optional<std::string_view> statusLine;  // written before the engine runs; none: the
                                               // question stays
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
inline constexpr Operation kCountDuplicates{
    "CDUPES", "Do You want to Count 'Duplicate' Entries in Selection?", "Counting....Duplicates!"};
inline constexpr Operation kCountUnique{
    "CUNIQUE", "Do You want to Count 'Unique' Entries in Selection?", "Counting....Unique Values!"};
inline constexpr Operation kRemoveListEntries{
    "RTLIST",
    "Do You want to Remove Entries from 1st Column of Selection exist in 2nd Column of Selection?",
    "Removing....!"};
inline constexpr Operation kColorUniqueRows{
    "COLUNQ", "Do You want to Count 'Color' Unique Entries in Selection?", std::nullopt};
inline constexpr Operation kColorDuplicateRows{
    "COLDUP", "Do You want to Count 'Color' Duplicate Entries in Selection?", std::nullopt};

// In the order the "Yes" handler compares them.
inline constexpr std::array<const Operation*, 8> kOperations{
    &kRemoveDuplicatesKeepFirst, &kRemoveAllDuplicates, &kRemoveAllUnique, &kCountDuplicates,
    &kCountUnique, &kRemoveListEntries, &kColorUniqueRows, &kColorDuplicateRows};

// The second line of the status label while an engine runs.
inline constexpr std::string_view kStopHint = "Press Stop to cancel the Process.";

}  // namespace kx::runner
