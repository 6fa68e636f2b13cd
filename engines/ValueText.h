#pragma once
// The text forms of cell values the engines compare, and the criteria that stand for them.

#include <optional>
#include <string>
#include <string_view>

#include "host/Variant.h"

namespace kx::engines {

// A cell value converted to text the way the add-in's language converts a value to a string:
// numbers with at most 15 significant digits ("1.5", "1E+20", "1.23456789012346E+17"), booleans
// "True"/"False", dates in the en-US short form ("1/15/2020", "1/15/2020 3:30:00 PM"), empty as
// "". An error value has no text form: nullopt.
std::optional<std::string> ValueAsText(const host::Variant& value);

// The first `limit` characters of a UTF-8 text (characters, not bytes).
std::string LeadingCharacters(std::string_view text, size_t limit);

// The comparison text of a cell value: its text form cut to its first 255 characters; nullopt
// for an error value.
std::optional<std::string> ComparisonText(const host::Variant& value);
// The same for a value that goes: its text is taken, not copied.
std::optional<std::string> ComparisonText(host::Variant&& value);

// A search text that matches the text itself: "*", "?" and "~" escaped with "~".
std::string EscapeWildcards(std::string_view text);
// The same appended to `out`.
void AppendEscapedWildcards(std::string_view text, std::string& out);

// A COUNTIF criterion that stands for the value itself: an explicit "=" (so a leading "<", ">"
// or "=" is not read as an operator) and the wildcards escaped. Numeric text still matches
// numbers by value, and case is still ignored, as the host's criteria do.
std::string LiteralCriterion(std::string_view text);
// The same written over `out`, whose capacity is kept.
void WriteLiteralCriterion(std::string_view text, std::string& out);

// True where the literal criterion does not stand for the text: the host reads "TRUE", "false"
// or "#N/A" as the boolean or error value they spell, and a number of more than 15 significant
// digits ("4111111111111111", a card number kept as text) as its first 15 digits followed by
// zeros, so that texts differing only past the fifteenth digit would count as one. Such a text
// is compared with the cells' own texts instead.
bool CriterionMisreads(std::string_view text);
// The first of those: a text spelling TRUE, FALSE or an error value, in any case.
bool SpellsKeyword(std::string_view text);

}  // namespace kx::engines
