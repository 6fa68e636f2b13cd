#include "memhost/index/CellKeys.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "memhost/rules/TextMatch.h"
#include "memhost/rules/TypedInput.h"

namespace kx::memhost {

double Round15(double value) {
  // A whole number below 10^15 has at most 15 digits: it is its own rounding (most numbers in a
  // column are such, and printing and reading one back costs more than the rest of its lookup).
  if (value > -1e15 && value < 1e15) {
    auto whole = static_cast<std::int64_t>(value);
    if (static_cast<double>(whole) == value) return whole == 0 ? 0.0 : value;
  }
  // A whole number of 16 digits held exactly (below 2^53: card numbers, long ids) loses its
  // last digit as printing it to 15 would: to the nearest ten, a five to the even ten.
  if (value > -9007199254740992.0 && value < 9007199254740992.0) {
    auto whole = static_cast<std::int64_t>(value);
    if (static_cast<double>(whole) == value) {
      std::int64_t magnitude = whole < 0 ? -whole : whole;
      std::int64_t tens = magnitude / 10;
      const std::int64_t last = magnitude % 10;
      if (last > 5 || (last == 5 && tens % 2 == 1)) ++tens;
      const auto rounded = static_cast<double>(tens * 10);
      return whole < 0 ? -rounded : rounded;
    }
  }
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.14e", value);
  double r = std::strtod(buf, nullptr);
  return r == 0 ? 0 : r;
}

std::string NumberKey(double value) {
  // The rounded number's bytes: short enough to stay inside the string, no allocation.
  double rounded = Round15(value);
  char bytes[sizeof rounded];
  std::memcpy(bytes, &rounded, sizeof rounded);
  std::string key = "n";
  key.append(bytes, sizeof bytes);
  return key;
}

void SetTextKey(std::string_view text, std::string& key) {
  key.clear();
  AppendTextKey(text, key);
}

void AppendTextKey(std::string_view text, std::string& keys) {
  keys += 't';
  AppendFolded(FirstChars(text, kComparedChars), keys);
}

std::string TextKey(std::string_view text) {
  std::string key;
  SetTextKey(text, key);
  return key;
}

bool MayBeNumberText(std::string_view text) {
  if (text.empty()) return false;
  char c = text.front();
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == '$' || c == '(' ||
         c == ' ';
}

std::optional<std::string> CountKey(const host::Variant& value) {
  switch (value.kind()) {
    case host::Variant::Kind::Empty:
      return std::nullopt;
    case host::Variant::Kind::Number:
    case host::Variant::Kind::Date:
      return NumberKey(*value.NumericValue());
    case host::Variant::Kind::Text: {
      const std::string& text = value.AsText();
      // Numeric text is matched by its number.
      if (MayBeNumberText(text)) {
        if (auto n = ReadNumberText(text)) return NumberKey(n->value);
      }
      return TextKey(text);
    }
    case host::Variant::Kind::Boolean:
      return std::string(value.AsBoolean() ? "b1" : "b0");
    case host::Variant::Kind::Error:
      return "e" + std::to_string(static_cast<int>(value.AsError()));
  }
  return std::nullopt;
}

}  // namespace kx::memhost
