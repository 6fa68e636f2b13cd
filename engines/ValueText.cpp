#include "engines/ValueText.h"

#include "host/Wildcards.h"

#include <algorithm>
#include <cstdint>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace kx::engines {

namespace {

// Numbers: 15 significant digits, trailing zeros dropped; fixed notation from 1E-5 up to (but
// not including) 1E+15, scientific outside with a signed two-digit exponent ("1E+15", "1E-06").
// The small-number threshold is how the language's own conversion is commonly seen to behave.
std::string NumberText(double n) {
  if (n == 0) return "0";
  if (!std::isfinite(n)) return std::isnan(n) ? "NaN" : (n > 0 ? "Infinity" : "-Infinity");
  // A whole number below 10^15 is written with its digits as they are.
  if (n > -1e15 && n < 1e15 && n == std::trunc(n)) return std::to_string(static_cast<std::int64_t>(n));
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", n);  // d.dddddddddddddde±XX: 15 significant digits
  std::string s(buf);
  auto ePos = s.find('e');
  std::string mantissa = s.substr(0, ePos);
  int exponent = std::atoi(s.c_str() + ePos + 1);
  bool negative = mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits;
  for (char c : mantissa) {
    if (c != '.') digits += c;
  }
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out = negative ? "-" : "";
  if (exponent >= -5 && exponent < 15) {
    if (exponent >= 0) {
      std::string intPart = digits.substr(0, std::min(digits.size(), size_t(exponent) + 1));
      while (static_cast<int>(intPart.size()) < exponent + 1) intPart += '0';
      out += intPart;
      if (digits.size() > size_t(exponent) + 1) out += "." + digits.substr(size_t(exponent) + 1);
    } else {
      out += "0." + std::string(size_t(-exponent - 1), '0') + digits;
    }
    return out;
  }
  out += digits.substr(0, 1);
  if (digits.size() > 1) out += "." + digits.substr(1);
  std::snprintf(buf, sizeof buf, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return out + buf;
}

// Serial day numbers of the 1900 date system, in which day 60 is the spreadsheet's fictitious
// 29 February 1900. From day 61 on, serial n is n days after 30 December 1899.
void SerialToDate(long serial, int& year, int& month, int& day) {
  if (serial == 60) {
    year = 1900, month = 2, day = 29;
    return;
  }
  if (serial < 60) ++serial;  // before the fictitious day the count is off by one
  // Days since 1 March 200 (civil-from-days), shifted so that serial 61 is 1900-03-01.
  long z = serial - 25569 + 719468;  // 25569: serial of 1970-01-01
  long era = (z >= 0 ? z : z - 146096) / 146097;
  long doe = z - era * 146097;
  long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long y = yoe + era * 400;
  long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  long mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(month <= 2 ? y + 1 : y);
}

std::string DateText(double serial) {
  double whole = std::floor(serial);
  long seconds = std::lround((serial - whole) * 86400.0);
  if (seconds == 86400) {
    whole += 1;
    seconds = 0;
  }
  char buf[64];
  std::string out;
  if (whole != 0) {
    int y = 0, m = 0, d = 0;
    SerialToDate(static_cast<long>(whole), y, m, d);
    std::snprintf(buf, sizeof buf, "%d/%d/%d", m, d, y);
    out = buf;
  }
  if (seconds != 0 || whole == 0) {
    long h = seconds / 3600, mi = seconds / 60 % 60, s = seconds % 60;
    long h12 = h % 12 == 0 ? 12 : h % 12;
    std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld %s", h12, mi, s, h < 12 ? "AM" : "PM");
    if (!out.empty()) out += ' ';
    out += buf;
  }
  return out;
}

}  // namespace

std::optional<std::string> ValueAsText(const host::Variant& value) {
  using Kind = host::Variant::Kind;
  switch (value.kind()) {
    case Kind::Empty: return std::string();
    case Kind::Number: return NumberText(value.AsNumber());
    case Kind::Text: return value.AsText();
    case Kind::Boolean: return std::string(value.AsBoolean() ? "True" : "False");
    case Kind::Date: return DateText(value.AsDate().serial);
    case Kind::Error: return std::nullopt;
  }
  return std::nullopt;
}

std::string LeadingCharacters(std::string_view text, size_t limit) {
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    // Count lead bytes only; continuation bytes (10xxxxxx) belong to the character before.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (count == limit) return std::string(text.substr(0, i));
      ++count;
    }
  }
  return std::string(text);
}

namespace {

// Cuts a UTF-8 text after its first `limit` characters, in place.
void KeepLeadingCharacters(std::string& text, size_t limit) {
  if (text.size() <= limit) return;  // no more characters than bytes
  size_t count = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (count == limit) {
        text.resize(i);
        return;
      }
      ++count;
    }
  }
}

}  // namespace

std::optional<std::string> ComparisonText(const host::Variant& value) {
  auto text = ValueAsText(value);
  if (!text) return std::nullopt;
  KeepLeadingCharacters(*text, 255);
  return text;
}

std::optional<std::string> ComparisonText(host::Variant&& value) {
  if (!value.IsText()) return ComparisonText(static_cast<const host::Variant&>(value));
  std::string text = std::move(value).AsText();
  KeepLeadingCharacters(text, 255);
  return text;
}

void AppendEscapedWildcards(std::string_view text, std::string& out) {
  const size_t plain = host::FirstWildcardChar(text);
  out.append(text.substr(0, plain));  // most texts hold no wildcard: one copy
  for (char c : text.substr(plain)) {
    if (host::IsWildcardChar(c)) out += '~';
    out += c;
  }
}

std::string EscapeWildcards(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  AppendEscapedWildcards(text, out);
  return out;
}

void WriteLiteralCriterion(std::string_view text, std::string& out) {
  out.assign(1, '=');
  AppendEscapedWildcards(text, out);
}

std::string LiteralCriterion(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  WriteLiteralCriterion(text, out);
  return out;
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The significant digits of a text shaped as the host reads numbers (spaces, a sign or
// parentheses, a currency sign, thousands separators, a decimal point, an exponent, a percent
// sign); nothing for any other text.
std::optional<int> SignificantDigits(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  // Most texts are turned away by their first character.
  if (s.empty() || !(IsDigit(s.front()) || s.front() == '-' || s.front() == '+' ||
                     s.front() == '$' || s.front() == '(' || s.front() == '.')) {
    return std::nullopt;
  }
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  // Digits alone, the commonest (an id, a card number), count from the first that is not 0.
  if (std::all_of(s.begin(), s.end(), IsDigit)) {
    const size_t first = s.find_first_not_of('0');
    return first == std::string_view::npos ? 0 : static_cast<int>(s.size() - first);
  }
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') s = s.substr(1, s.size() - 2);
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  if (!s.empty() && s.front() == '$') s.remove_prefix(1);
  if (!s.empty() && s.back() == '%') s.remove_suffix(1);
  int significant = 0;
  bool sawDigit = false, sawPoint = false;
  size_t i = 0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (IsDigit(c)) {
      sawDigit = true;
      if (significant > 0 || c != '0') ++significant;
    } else if (c == ',' && !sawPoint && sawDigit) {
      continue;
    } else if (c == '.' && !sawPoint) {
      sawPoint = true;
    } else {
      break;
    }
  }
  if (!sawDigit) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    if (i == digits) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  return significant;
}

}  // namespace

bool SpellsKeyword(std::string_view text) {
  // Every row asks: TRUE and FALSE have four or five letters, the error values start with "#".
  if (text.empty() || (text.size() != 4 && text.size() != 5 && text.front() != '#')) return false;
  // As the criterion has it: "#NAME?" escapes its "?" and no longer spells the error.
  std::string upper = EscapeWildcards(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper == "TRUE" || upper == "FALSE" || host::ErrorValueFromText(upper).has_value();
}

bool CriterionMisreads(std::string_view text) {
  if (SpellsKeyword(text)) return true;
  auto digits = SignificantDigits(text);
  return digits && *digits > 15;
}

}  // namespace kx::engines
