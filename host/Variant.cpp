#include "host/Variant.h"

#include <array>
#include <cstdio>
#include <utility>

namespace kx::host {

namespace {
constexpr std::array<std::pair<ErrorValue, std::string_view>, 8> kErrorTexts{{
    {ErrorValue::Null, "#NULL!"},
    {ErrorValue::Div0, "#DIV/0!"},
    {ErrorValue::Value, "#VALUE!"},
    {ErrorValue::Ref, "#REF!"},
    {ErrorValue::Name, "#NAME?"},
    {ErrorValue::Num, "#NUM!"},
    {ErrorValue::NA, "#N/A"},
    {ErrorValue::GettingData, "#GETTING_DATA"},
}};
}  // namespace

std::string_view ErrorValueText(ErrorValue e) {
  for (const auto& [value, text] : kErrorTexts) {
    if (value == e) return text;
  }
  return "#VALUE!";
}

std::optional<ErrorValue> ErrorValueFromText(std::string_view text) {
  for (const auto& [value, t] : kErrorTexts) {
    if (t == text) return value;
  }
  return std::nullopt;
}

std::optional<double> Variant::NumericValue() const {
  if (IsNumber()) return AsNumber();
  if (IsDate()) return AsDate().serial;
  return std::nullopt;
}

std::string DebugString(const Variant& v) {
  char buf[64];
  switch (v.kind()) {
    case Variant::Kind::Empty:
      return "<empty>";
    case Variant::Kind::Number:
      std::snprintf(buf, sizeof buf, "%.17g", v.AsNumber());
      return buf;
    case Variant::Kind::Text:
      return "\"" + v.AsText() + "\"";
    case Variant::Kind::Boolean:
      return v.AsBoolean() ? "TRUE" : "FALSE";
    case Variant::Kind::Date:
      std::snprintf(buf, sizeof buf, "date(%.17g)", v.AsDate().serial);
      return buf;
    case Variant::Kind::Error:
      return std::string(ErrorValueText(v.AsError()));
  }
  return "?";
}

}  // namespace kx::host
