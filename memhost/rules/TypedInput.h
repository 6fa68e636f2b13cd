#pragma once
// Reading text as the host reads what a user types into a cell (en-US): numbers with thousands
// separators, a currency sign, exponents or a percent sign, m/d/yyyy dates, TRUE/FALSE, error
// literals, times (h:mm, h:mm:ss, with AM/PM), a leading apostrophe forcing text, and "=..."
// entering a formula. A date and a time together ("1/15/2020 9:30") stay text.
//
// The same number reading decides whether a text cell "converts to a number" under COUNTIF.

#include <optional>
#include <string>
#include <string_view>

#include "host/Variant.h"

namespace kx::memhost {

struct NumberText {
  enum class Shape { Plain, Thousands, Percent, Currency, Date, Time };
  double value = 0;
  Shape shape = Shape::Plain;
};

// The number a text stands for, or nullopt. Surrounding spaces are allowed, as in typing.
std::optional<NumberText> ReadNumberText(std::string_view text);
// The number of a text of digits alone, up to 22 of them, as ReadNumberText reads it: its first
// 15 significant digits and zeros for the rest. nullopt for anything else.
std::optional<double> ReadDigits(std::string_view digits);

struct TypedInput {
  host::Variant value;     // the constant, or for a formula its value when memhost knows it
  std::string formula;     // "=..." when a formula was entered
  bool valueKnown = true;  // false for a formula memhost does not evaluate
  // The number format the host applies with the entry ("0%", "m/d/yyyy"), if any.
  std::optional<std::string> numberFormat;
};

// What a cell holds after the user typed `text`.
TypedInput ReadTypedInput(std::string_view text);

// The value of a formula memhost can work out without a calculation engine: a constant or a
// literal ("=5", "=\"x\"", "=\"\"", "=TRUE", "=#N/A"); nullopt for anything else.
std::optional<host::Variant> EvaluateLiteralFormula(std::string_view formula);

}  // namespace kx::memhost
