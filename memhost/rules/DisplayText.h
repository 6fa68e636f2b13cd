#pragma once
// The text a cell shows (Range.Text), which the unique filter and Find compare.
//
// A documented subset of number formats: General; fixed decimals ("0", "0.00"); thousands
// separators ("#,##0.00"); percentages; scientific ("0.00E+00"); literal text, quoted strings
// and escapes around the number; sections for negatives and zero; [colour] tags ignored; dates
// and times by their codes (m, mm, mmm, mmmm, d, dd, ddd, dddd, yy, yyyy, h, hh, m/mm after h or
// before s, ss, AM/PM); "@" for text. Fractions and elapsed-time codes fall back to General.
// Column width is not modelled, so a number never shows as "####".

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/Variant.h"
#include "memhost/model/Styles.h"

namespace kx::memhost {

std::string DisplayText(const host::Variant& value, std::string_view numberFormat);
// Whether text shows in this format as it stands: the format has no text section, or its text
// section is "@" alone.
bool TextShowsAsItself(std::string_view numberFormat);

// The same by style, worked out once for each: files give most cells a style of their own, and
// seldom one that changes how text shows.
class TextAsItselfByStyle {
 public:
  explicit TextAsItselfByStyle(const StyleTable& styles) : styles_(styles) {}
  bool operator()(StyleId style) const {
    auto id = static_cast<size_t>(style);
    if (id >= known_.size()) known_.resize(std::max(id + 1, styles_.size()), kUnknown);
    std::int8_t& known = known_[id];
    if (known == kUnknown) known = TextShowsAsItself(styles_.Get(style).numberFormat) ? 1 : 0;
    return known == 1;
  }

 private:
  static constexpr std::int8_t kUnknown = -1;
  const StyleTable& styles_;
  mutable std::vector<std::int8_t> known_;
};

// Whether a number format is General, the format of nearly every cell (a cell with none has it):
// a text shows as itself and a number as GeneralNumber gives it.
inline bool IsGeneralFormat(std::string_view numberFormat) {
  return numberFormat == "General" || numberFormat.empty();
}

// A number in the host's General format. memhost assumes a column wide enough for 11
// characters, the host's default: up to 10 significant digits in plain notation, and
// "1.23457E+11" style (6 significant digits) for magnitudes of 1E+11 and more or below 1E-9.
std::string GeneralNumber(double value);

// A number as the formula bar shows it: up to 15 significant digits, E-notation from 1E+15 on
// (and below 1E-9), like the host's conversion of a number to text.
std::string FormulaBarNumber(double value);

}  // namespace kx::memhost
