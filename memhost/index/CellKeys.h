#pragma once
// The keys under which the value index files a cell, so that COUNTIF "=" criteria and Find
// whole-cell answer by lookup. Two cells match the same "=" criterion exactly when their count
// keys are equal; two cells show the same text (without regard to case, first 255 characters)
// exactly when their display keys are equal. Text that is not numeric has one key for both.

#include <optional>
#include <string>
#include <string_view>

#include "host/Variant.h"

namespace kx::memhost {

// A number rounded to the 15 significant digits the host compares.
double Round15(double value);
// "n" + the number at 15 significant digits (its bytes).
std::string NumberKey(double value);
// False for text that cannot be read as a number (a quick look at its first character): its
// count key is then its text key.
bool MayBeNumberText(std::string_view text);
// The count key of a value; nullopt for Empty, which no "=" criterion finds by key.
std::optional<std::string> CountKey(const host::Variant& value);
// "t" + the folded first 255 characters of a text.
std::string TextKey(std::string_view text);
// The same, written into `key` (whose memory a loop over many cells can reuse).
void SetTextKey(std::string_view text, std::string& key);
// The same, appended to `keys`.
void AppendTextKey(std::string_view text, std::string& keys);

}  // namespace kx::memhost
