#pragma once
// One limit for the longest text a cell may hold, whatever the file: the spreadsheet's own, in
// its UTF-16 characters. A longer text is refused where it is read, before it costs memory.

#include <cstdint>
#include <string>
#include <string_view>

#include "files/FileError.h"

namespace kx::files {

// UTF-16 units, as the spreadsheet counts a text's characters; stops counting past `stop`.
inline std::uint64_t CharacterCount(std::string_view utf8, std::uint64_t stop = UINT64_MAX) {
  std::uint64_t units = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
    if (units > stop) break;
  }
  return units;
}

// Whether a text fits the limit; bytes bound the count, so a short text costs nothing.
inline bool FitsACell(std::string_view utf8, std::uint64_t maxChars) {
  return utf8.size() <= maxChars || CharacterCount(utf8, maxChars) <= maxChars;
}

inline std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

// `where` ("book.csv: row 2, column 1") holds a text over the limit.
inline FileError TooLongForACell(const std::string& where, std::uint64_t maxChars) {
  return {FileErrorKind::TooLarge, where + " holds a text longer than the " + Grouped(maxChars) +
                                       " characters a cell can hold"};
}

}  // namespace kx::files
