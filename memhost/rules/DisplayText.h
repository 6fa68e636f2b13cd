#pragma once
// The text a cell shows (Range.Text), which the unique filter and Find compare.
//
// A documented subset of number formats: General; fixed decimals ("0", "0.00"); thousands
// separators ("#,##0.00"); percentages; scientific ("0.00E+00"); literal text, quoted strings
// and escapes around the number; sections for negatives and zero; [colour] tags ignored; dates
// and times by their codes (m, mm, mmm, mmmm, d, dd, ddd, dddd, yy, yyyy, h, hh, m/mm after h or
// before s, ss, AM/PM); "@" for text. Fractions and elapsed-time codes fall back to General.
// Column width is not modelled, so a number never shows as "####".

#include <string>
#include <string_view>

#include "host/Variant.h"

namespace kx::memhost {

std::string DisplayText(const host::Variant& value, std::string_view numberFormat);
// Whether text shows in this format as it stands: the format has no text section, or its text
// section is "@" alone.
bool TextShowsAsItself(std::string_view numberFormat);

// A number in the host's General format. memhost assumes a column wide enough for 11
// characters, the host's default: up to 10 significant digits in plain notation, and
// "1.23457E+11" style (6 significant digits) for magnitudes of 1E+11 and more or below 1E-9.
std::string GeneralNumber(double value);

// A number as the formula bar shows it: up to 15 significant digits, E-notation from 1E+15 on
// (and below 1E-9), like the host's conversion of a number to text.
std::string FormulaBarNumber(double value);

}  // namespace kx::memhost
