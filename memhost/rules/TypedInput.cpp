#include "memhost/rules/TypedInput.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "memhost/rules/DateSerial.h"
#include "memhost/rules/TextMatch.h"

namespace kx::memhost {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The host keeps the first 15 significant digits of a number it reads from text and makes the
// rest zeros: it cuts, it does not round ("4111111111111119" reads as 4111111111111110). The
// mantissa is cut before it is converted, where its decimal digits are still exact.
void CutToFifteenDigits(std::string& number) {
  int significant = 0;
  for (char& c : number) {
    if (c == 'e') break;
    if (!IsDigit(c) || (significant == 0 && c == '0')) continue;
    if (++significant > 15) c = '0';
  }
}

std::optional<int> SmallInt(std::string_view s) {
  if (s.empty() || s.size() > 4) return std::nullopt;
  int v = 0;
  for (char c : s) {
    if (!IsDigit(c)) return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

// m/d/yyyy, m/d/yy, or yyyy-mm-dd.
std::optional<double> ReadDate(std::string_view s) {
  char sep = s.find('/') != std::string_view::npos ? '/' : '-';
  size_t a = s.find(sep);
  if (a == std::string_view::npos) return std::nullopt;
  size_t b = s.find(sep, a + 1);
  if (b == std::string_view::npos || s.find(sep, b + 1) != std::string_view::npos) {
    return std::nullopt;
  }
  auto p1 = SmallInt(s.substr(0, a)), p2 = SmallInt(s.substr(a + 1, b - a - 1)),
       p3 = SmallInt(s.substr(b + 1));
  if (!p1 || !p2 || !p3) return std::nullopt;
  CivilDate date;
  if (sep == '-') {
    if (a != 4) return std::nullopt;
    date = {*p1, *p2, *p3};
  } else {
    int year = *p3;
    size_t yearDigits = s.size() - b - 1;
    if (yearDigits <= 2) year += year < 30 ? 2000 : 1900;  // the host's two-digit year window
    else if (yearDigits != 4) return std::nullopt;
    date = {year, *p1, *p2};
  }
  return SerialFromDate(date);
}

// h:mm or h:mm:ss, optionally followed by AM or PM; the fraction of a day.
std::optional<double> ReadTime(std::string_view s) {
  bool pm = false, twelveHour = false;
  std::string upper = AsciiUpper(s);
  if (upper.ends_with("AM") || upper.ends_with("PM")) {
    twelveHour = true;
    pm = upper.ends_with("PM");
    s = Trim(s.substr(0, s.size() - 2));
  }
  size_t a = s.find(':');
  if (a == std::string_view::npos) return std::nullopt;
  size_t b = s.find(':', a + 1);
  auto h = SmallInt(s.substr(0, a));
  auto m = SmallInt(s.substr(a + 1, b == std::string_view::npos ? std::string_view::npos : b - a - 1));
  std::optional<int> sec = 0;
  if (b != std::string_view::npos) sec = SmallInt(s.substr(b + 1));
  if (!h || !m || !sec || *m > 59 || *sec > 59 || a == 0 || a > 2) return std::nullopt;
  int hour = *h;
  if (twelveHour) {
    if (hour < 1 || hour > 12) return std::nullopt;
    hour = hour % 12 + (pm ? 12 : 0);
  } else if (hour > 23) {
    return std::nullopt;
  }
  return (hour * 3600 + *m * 60 + *sec) / 86400.0;
}

// Eight ASCII digits at `p` as a number, eight at once; false when a byte is not a digit.
bool EightDigits(const char* p, std::uint64_t& value) {
  if constexpr (std::endian::native != std::endian::little) {
    value = 0;
    for (int i = 0; i < 8; ++i) {
      if (!IsDigit(p[i])) return false;
      value = value * 10 + static_cast<unsigned>(p[i] - '0');
    }
    return true;
  }
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  // A digit is 0x30 to 0x39: its high half is 3, and stays 3 when 6 is added. Once every byte's
  // high half is 3, adding 6 carries into no other byte.
  constexpr std::uint64_t kHigh = 0xF0F0F0F0F0F0F0F0ULL, kThrees = 0x3030303030303030ULL;
  if ((w & kHigh) != kThrees || ((w + 0x0606060606060606ULL) & kHigh) != kThrees) return false;
  // The first digit is the lowest byte: pairs, then fours, then the eight are put together.
  w -= kThrees;
  w = w * 10 + (w >> 8);
  w = (((w & 0x000000FF000000FFULL) * (100 + (1000000ULL << 32))) +
       (((w >> 16) & 0x000000FF000000FFULL) * (1 + (10000ULL << 32)))) >>
      32;
  value = w;
  return true;
}

}  // namespace

// Digits alone are the commonest numeric text (an id, a card number kept as text): no date,
// time, sign or separator to look for. Their value is one product of two exact numbers, which
// is the nearest number to the digits kept and the zeros.
std::optional<double> ReadDigits(std::string_view s) {
  if (s.empty() || s.size() > 22) return std::nullopt;
  // Leading zeros are no digits; of the others the first 15 are kept and the rest, at most 7,
  // become zeros. A card number is read once a row: its first eight digits are read at once.
  size_t i = 0;
  while (i < s.size() && s[i] == '0') ++i;
  const size_t keptEnd = std::min(s.size(), i + 15);
  std::uint64_t kept = 0;
  if (keptEnd - i >= 8) {
    if (!EightDigits(s.data() + i, kept)) return std::nullopt;
    i += 8;
  }
  for (; i < keptEnd; ++i) {
    const unsigned digit = static_cast<unsigned char>(s[i]) - unsigned{'0'};
    if (digit > 9) return std::nullopt;
    kept = kept * 10 + digit;
  }
  for (; i < s.size(); ++i) {
    if (!IsDigit(s[i])) return std::nullopt;
  }
  static constexpr double kTens[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7};
  return static_cast<double>(kept) * kTens[s.size() - keptEnd];
}

std::optional<NumberText> ReadNumberText(std::string_view text) {
  std::string_view s = Trim(text);
  if (s.empty()) return std::nullopt;
  // Every number, date and time starts with one of these: most text is turned away here.
  char first = s.front();
  if (!IsDigit(first) && first != '-' && first != '+' && first != '.' && first != '$' && first != '(') {
    return std::nullopt;
  }
  if (auto digits = ReadDigits(s)) return NumberText{*digits, NumberText::Shape::Plain};
  if (auto serial = ReadDate(s)) return NumberText{*serial, NumberText::Shape::Date};
  if (auto time = ReadTime(s)) return NumberText{*time, NumberText::Shape::Time};

  NumberText out;
  bool negative = false, parens = false;
  if (s.front() == '(' && s.back() == ')') {
    parens = true;
    s = s.substr(1, s.size() - 2);
  }
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  if (!s.empty() && s.front() == '$') {
    out.shape = NumberText::Shape::Currency;
    s.remove_prefix(1);
  }
  if (!s.empty() && s.back() == '%') {
    out.shape = NumberText::Shape::Percent;
    s.remove_suffix(1);
  }
  if (s.empty() || (parens && negative)) return std::nullopt;

  // Digits with optional thousands separators (groups of three after the first), a decimal
  // point and an exponent.
  std::string digits;
  size_t i = 0;
  bool sawDigit = false;
  size_t groupLen = 0;
  bool grouped = false;
  while (i < s.size() && (IsDigit(s[i]) || s[i] == ',')) {
    if (s[i] == ',') {
      if (!sawDigit || (grouped && groupLen != 3)) return std::nullopt;
      grouped = true;
      groupLen = 0;
    } else {
      digits += s[i];
      sawDigit = true;
      ++groupLen;
    }
    ++i;
  }
  if (grouped && groupLen != 3) return std::nullopt;
  if (i < s.size() && s[i] == '.') {
    digits += '.';
    ++i;
    while (i < s.size() && IsDigit(s[i])) {
      digits += s[i++];
      sawDigit = true;
    }
  }
  if (!sawDigit) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    if (grouped) return std::nullopt;
    digits += 'e';
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) digits += s[i++];
    size_t expStart = i;
    while (i < s.size() && IsDigit(s[i])) digits += s[i++];
    if (i == expStart) return std::nullopt;
  }
  if (i != s.size()) return std::nullopt;
  CutToFifteenDigits(digits);
  double value = 0;
  auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (ec != std::errc() || ptr != digits.data() + digits.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  if (out.shape == NumberText::Shape::Percent) value /= 100;
  if (negative || parens) value = -value;
  if (grouped && out.shape == NumberText::Shape::Plain) out.shape = NumberText::Shape::Thousands;
  out.value = value == 0 ? 0 : value;  // no negative zero
  return out;
}

std::optional<host::Variant> EvaluateLiteralFormula(std::string_view formula) {
  if (formula.empty() || formula.front() != '=') return std::nullopt;
  std::string_view body = Trim(formula.substr(1));
  if (body.size() >= 2 && body.front() == '"' && body.back() == '"') {
    std::string text;
    for (size_t i = 1; i + 1 < body.size(); ++i) {
      if (body[i] == '"') {
        if (i + 2 < body.size() && body[i + 1] == '"') {
          text += '"';
          ++i;
          continue;
        }
        return std::nullopt;  // a second string: an expression
      }
      text += body[i];
    }
    return host::Variant(std::move(text));
  }
  std::string upper = AsciiUpper(body);
  if (upper == "TRUE") return host::Variant(true);
  if (upper == "FALSE") return host::Variant(false);
  if (auto e = host::ErrorValueFromText(upper)) return host::Variant(*e);
  if (!body.empty() && (IsDigit(body.front()) || body.front() == '-' || body.front() == '+' ||
                        body.front() == '.')) {
    if (auto n = ReadNumberText(body); n && n->shape == NumberText::Shape::Plain) {
      return host::Variant(n->value);
    }
  }
  return std::nullopt;
}

TypedInput ReadTypedInput(std::string_view text) {
  TypedInput out;
  if (text.empty()) return out;
  if (text.front() == '\'') {
    out.value = host::Variant(text.substr(1));
    return out;
  }
  if (text.front() == '=' && text.size() > 1) {
    out.formula = std::string(text);
    auto value = EvaluateLiteralFormula(text);
    out.valueKnown = value.has_value();
    if (value) out.value = std::move(*value);
    return out;
  }
  std::string upper = AsciiUpper(Trim(text));
  if (upper == "TRUE" || upper == "FALSE") {
    out.value = host::Variant(upper == "TRUE");
    return out;
  }
  if (auto e = host::ErrorValueFromText(upper)) {
    out.value = host::Variant(*e);
    return out;
  }
  if (auto n = ReadNumberText(text)) {
    switch (n->shape) {
      case NumberText::Shape::Date:
        out.value = host::Variant(host::Date{n->value});
        out.numberFormat = "m/d/yyyy";
        break;
      case NumberText::Shape::Time:
        out.value = host::Variant(host::Date{n->value});
        out.numberFormat = text.find_first_of("aApP") != std::string_view::npos
                               ? (std::count(text.begin(), text.end(), ':') == 2 ? "h:mm:ss AM/PM" : "h:mm AM/PM")
                               : (std::count(text.begin(), text.end(), ':') == 2 ? "h:mm:ss" : "h:mm");
        break;
      case NumberText::Shape::Percent:
        out.value = host::Variant(n->value);
        out.numberFormat = text.find('.') != std::string_view::npos ? "0.00%" : "0%";
        break;
      case NumberText::Shape::Thousands:
        out.value = host::Variant(n->value);
        out.numberFormat = "#,##0";
        break;
      default:
        out.value = host::Variant(n->value);
        break;
    }
    return out;
  }
  out.value = host::Variant(text);
  return out;
}

}  // namespace kx::memhost
