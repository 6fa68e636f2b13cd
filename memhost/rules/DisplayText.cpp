#include "memhost/rules/DisplayText.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <vector>

#include "memhost/rules/DateSerial.h"
#include "memhost/model/NumberFormat.h"

#include <cstdint>

namespace kx::memhost {

namespace {

// printf's %.*g, then the host's exponent style (E+11 rather than e+11, at least two digits).
std::string Significant(double value, int digits, int sciDigits, double sciFrom, double sciBelow) {
  if (value == 0) return "0";
  double mag = std::fabs(value);
  // A whole number with no more digits than are shown reads as its digits.
  if (mag < 1e15 && mag < sciFrom && mag >= sciBelow && value == std::trunc(value)) {
    std::string whole = std::to_string(static_cast<std::int64_t>(value));
    if (whole.size() - (value < 0 ? 1 : 0) <= static_cast<size_t>(digits)) return whole;
  }
  char buf[64];
  if (mag >= sciFrom || mag < sciBelow) {
    std::snprintf(buf, sizeof buf, "%.*E", sciDigits - 1, value);
    std::string s = buf;
    auto e = s.find('E');
    std::string mant = s.substr(0, e), exp = s.substr(e + 1);
    if (mant.find('.') != std::string::npos) {
      while (mant.back() == '0') mant.pop_back();
      if (mant.back() == '.') mant.pop_back();
    }
    char sign = exp[0];
    std::string expDigits = exp.substr(1);
    while (expDigits.size() > 2 && expDigits.front() == '0') expDigits.erase(0, 1);
    return mant + "E" + sign + expDigits;
  }
  std::snprintf(buf, sizeof buf, "%.*g", digits, value);
  std::string s = buf;
  if (s.find('e') != std::string::npos) {
    // %g chose exponent form for a value we show plainly: print it with fixed decimals.
    int exp10 = static_cast<int>(std::floor(std::log10(mag)));
    int decimals = std::max(0, digits - 1 - exp10);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
    s = buf;
    if (s.find('.') != std::string::npos) {
      while (s.back() == '0') s.pop_back();
      if (s.back() == '.') s.pop_back();
    }
  }
  if (s == "-0") s = "0";
  return s;
}

const std::array<const char*, 12> kMonths{"January", "February", "March",     "April",
                                          "May",     "June",     "July",      "August",
                                          "September", "October", "November", "December"};
const std::array<const char*, 7> kDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                       "Thursday", "Friday", "Saturday"};

std::vector<std::string> Sections(std::string_view code) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    if (c == '"') {
      size_t close = code.find('"', i + 1);
      if (close == std::string_view::npos) close = code.size() - 1;
      out.back() += code.substr(i, close - i + 1);
      i = close;
    } else if (c == '\\' && i + 1 < code.size()) {
      out.back() += code.substr(i, 2);
      ++i;
    } else if (c == ';') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string Pad2(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

std::string FormatDate(double serial, std::string_view code) {
  CivilDate date = DateFromSerial(serial);
  double frac = serial - std::floor(serial);
  long secs = std::lround(frac * 86400);
  if (secs >= 86400) secs = 86399;
  int hour = static_cast<int>(secs / 3600), minute = static_cast<int>(secs / 60 % 60),
      second = static_cast<int>(secs % 60);
  bool ampm = false;
  {
    std::string lower;
    for (char c : code) lower += Lower(c);
    ampm = lower.find("am/pm") != std::string::npos || lower.find("a/p") != std::string::npos;
  }
  // Weekday: serial 1 (1900-01-01) was a Sunday in the host's reckoning.
  long whole = static_cast<long>(std::floor(serial));
  int weekday = static_cast<int>(((whole % 7) + 6) % 7);  // 0 Sunday

  std::string out;
  bool lastWasHour = false;
  for (size_t i = 0; i < code.size();) {
    char c = code[i];
    char lc = Lower(c);
    size_t run = 1;
    while (i + run < code.size() && Lower(code[i + run]) == lc) ++run;
    if (c == '"') {
      size_t close = code.find('"', i + 1);
      if (close == std::string_view::npos) close = code.size();
      out += code.substr(i + 1, close - i - 1);
      i = close + 1;
      continue;
    }
    if (c == '\\' && i + 1 < code.size()) {
      out += code[i + 1];
      i += 2;
      continue;
    }
    if (c == '[') {  // colours and conditions
      size_t close = code.find(']', i);
      i = close == std::string_view::npos ? code.size() : close + 1;
      continue;
    }
    if (lc == 'a' && (code.substr(i, 5) == "AM/PM" || code.substr(i, 5) == "am/pm")) {
      out += hour < 12 ? "AM" : "PM";
      i += 5;
      continue;
    }
    switch (lc) {
      case 'y':
        out += run <= 2 ? Pad2(date.year % 100) : std::to_string(date.year);
        break;
      case 'd':
        if (run == 1) out += std::to_string(date.day);
        else if (run == 2) out += Pad2(date.day);
        else if (run == 3) out += std::string(kDays[static_cast<size_t>(weekday)]).substr(0, 3);
        else out += kDays[static_cast<size_t>(weekday)];
        break;
      case 'h': {
        int h = ampm ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
        out += run == 1 ? std::to_string(h) : Pad2(h);
        lastWasHour = true;
        i += run;
        continue;
      }
      case 's':
        out += run == 1 ? std::to_string(second) : Pad2(second);
        break;
      case 'm': {
        // Minutes right after an hour or right before seconds; months otherwise.
        size_t next = i + run;
        while (next < code.size() && !std::isalpha(static_cast<unsigned char>(code[next]))) ++next;
        bool minutes = run <= 2 && (lastWasHour || (next < code.size() && Lower(code[next]) == 's'));
        if (minutes) out += run == 1 ? std::to_string(minute) : Pad2(minute);
        else if (run == 1) out += std::to_string(date.month);
        else if (run == 2) out += Pad2(date.month);
        else if (run == 3) out += std::string(kMonths[static_cast<size_t>(date.month - 1)]).substr(0, 3);
        else if (run == 5) out += kMonths[static_cast<size_t>(date.month - 1)][0];
        else out += kMonths[static_cast<size_t>(date.month - 1)];
        break;
      }
      default:
        out.append(run, c);
        break;
    }
    if (std::isalpha(static_cast<unsigned char>(c))) lastWasHour = false;
    i += run;
  }
  return out;
}

std::string GroupThousands(const std::string& digits) {
  std::string out;
  size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    out += digits[i];
    if ((n - i - 1) % 3 == 0 && i + 1 < n) out += ',';
  }
  return out;
}

// A numeric section: literal text before and after one number pattern of 0 # , . % E+.
std::string FormatNumberSection(double value, std::string_view code, bool showSign) {
  std::string prefix, suffix, pattern;
  bool inPattern = false, patternDone = false;
  for (size_t i = 0; i < code.size(); ++i) {
    char c = code[i];
    std::string lit;
    if (c == '"') {
      size_t close = code.find('"', i + 1);
      if (close == std::string_view::npos) close = code.size();
      lit = std::string(code.substr(i + 1, close - i - 1));
      i = close;
    } else if (c == '\\' && i + 1 < code.size()) {
      lit = std::string(1, code[++i]);
    } else if (c == '[') {
      size_t close = code.find(']', i);
      i = close == std::string_view::npos ? code.size() : close;
      continue;
    } else if (c == '_' && i + 1 < code.size()) {
      ++i;
      lit = " ";
    } else if (c == '*' && i + 1 < code.size()) {
      ++i;
      continue;
    } else if (!patternDone && (c == '0' || c == '#' || c == '?' || c == '.' ||
                                (c == ',' && inPattern) ||
                                ((c == 'E' || c == 'e') && inPattern && i + 1 < code.size() &&
                                 (code[i + 1] == '+' || code[i + 1] == '-')))) {
      inPattern = true;
      pattern += c;
      if (c == 'E' || c == 'e') {
        pattern += code[++i];
        while (i + 1 < code.size() && (code[i + 1] == '0' || code[i + 1] == '#')) pattern += code[++i];
      }
      continue;
    } else if (c == '%') {
      value *= 100;
      lit = "%";
    } else {
      lit = std::string(1, c);
    }
    if (inPattern) patternDone = true;
    (patternDone ? suffix : prefix) += lit;
  }
  if (pattern.empty()) return prefix + suffix;

  bool negative = value < 0;
  double mag = std::fabs(value);
  auto ePos = pattern.find_first_of("Ee");
  std::string mantPattern = pattern.substr(0, ePos);
  auto dot = mantPattern.find('.');
  std::string intPat = mantPattern.substr(0, dot);
  std::string fracPat = dot == std::string::npos ? "" : mantPattern.substr(dot + 1);
  bool thousands = intPat.find(',') != std::string::npos;
  // Trailing commas scale by thousands.
  while (!intPat.empty() && intPat.back() == ',') {
    intPat.pop_back();
    mag /= 1000;
  }
  int decimals = 0;
  for (char c : fracPat) decimals += (c == '0' || c == '#' || c == '?') ? 1 : 0;
  int minInt = 0;
  for (char c : intPat) minInt += c == '0' ? 1 : 0;

  std::string body;
  char buf[400];
  if (ePos != std::string::npos) {
    std::snprintf(buf, sizeof buf, "%.*E", decimals, mag);
    std::string s = buf;
    auto e = s.find('E');
    std::string exp = s.substr(e + 1);
    char sign = exp[0];
    std::string expDigits = exp.substr(1);
    size_t minExp = pattern.size() - ePos - 2;
    while (expDigits.size() > std::max<size_t>(minExp, 1) && expDigits.front() == '0') expDigits.erase(0, 1);
    body = s.substr(0, e) + pattern[ePos] + (sign == '-' ? "-" : (pattern[ePos + 1] == '+' ? "+" : "")) + expDigits;
  } else {
    std::snprintf(buf, sizeof buf, "%.*f", decimals, mag);
    std::string s = buf;
    auto sdot = s.find('.');
    std::string intDigits = s.substr(0, sdot);
    std::string fracDigits = sdot == std::string::npos ? "" : s.substr(sdot + 1);
    // Optional decimal places (#) drop trailing zeros.
    int optional = 0;
    for (auto it = fracPat.rbegin(); it != fracPat.rend() && *it == '#'; ++it) ++optional;
    while (optional-- > 0 && !fracDigits.empty() && fracDigits.back() == '0') fracDigits.pop_back();
    if (intDigits == "0" && minInt == 0) intDigits.clear();
    while (static_cast<int>(intDigits.size()) < minInt) intDigits.insert(0, "0");
    if (thousands) intDigits = GroupThousands(intDigits);
    body = intDigits;
    if (dot != std::string::npos) body += "." + fracDigits;
    if (body.empty()) body = "0";
    bool allZero = body.find_first_not_of("0.,") == std::string::npos;
    if (allZero) negative = false;
  }
  return (negative && showSign ? "-" : "") + prefix + body + suffix;
}

}  // namespace

std::string GeneralNumber(double value) { return Significant(value, 10, 6, 1e11, 1e-9); }

std::string FormulaBarNumber(double value) { return Significant(value, 15, 15, 1e15, 1e-9); }

bool TextShowsAsItself(std::string_view numberFormat) {
  auto sections = Sections(numberFormat);
  std::string_view textSection;
  if (sections.size() >= 4) textSection = sections[3];
  else if (sections.size() == 1 && sections[0].find('@') != std::string::npos) textSection = sections[0];
  return textSection.empty() || textSection == "@";
}

std::string DisplayText(const host::Variant& value, std::string_view numberFormat) {
  // General, the format of nearly every cell, shows a text as itself and a number as the
  // general reading gives it: no sections to read.
  if (IsGeneralFormat(numberFormat)) {
    if (value.IsText()) return value.AsText();
    if (value.IsNumber()) return GeneralNumber(value.AsNumber());
  }
  switch (value.kind()) {
    case host::Variant::Kind::Empty:
      return {};
    case host::Variant::Kind::Boolean:
      return value.AsBoolean() ? "TRUE" : "FALSE";
    case host::Variant::Kind::Error:
      return std::string(host::ErrorValueText(value.AsError()));
    case host::Variant::Kind::Text: {
      // A fourth section (or a lone "@" section) formats text; "@" stands for the text itself.
      auto sections = Sections(numberFormat);
      std::string_view textSection;
      if (sections.size() >= 4) textSection = sections[3];
      else if (sections.size() == 1 && sections[0].find('@') != std::string::npos) textSection = sections[0];
      if (textSection.empty()) return value.AsText();
      std::string out;
      for (size_t i = 0; i < textSection.size(); ++i) {
        char c = textSection[i];
        if (c == '@') out += value.AsText();
        else if (c == '"') {
          size_t close = textSection.find('"', i + 1);
          if (close == std::string_view::npos) close = textSection.size();
          out += textSection.substr(i + 1, close - i - 1);
          i = close;
        } else if (c == '\\' && i + 1 < textSection.size()) out += textSection[++i];
        else out += c;
      }
      return out;
    }
    case host::Variant::Kind::Number:
    case host::Variant::Kind::Date:
      break;
  }
  double number = *value.NumericValue();
  auto sections = Sections(numberFormat);
  size_t which = 0;
  if (number < 0 && sections.size() >= 2) which = 1;
  else if (number == 0 && sections.size() >= 3) which = 2;
  std::string section = sections[which];
  if (section.empty() && which == 0) section = "General";
  std::string lower;
  for (char c : section) lower += Lower(c);
  bool general = lower.find("general") != std::string::npos;
  // A date kept with a General format still shows as a date, as the host never shows a Date
  // value as its serial unless asked to by a number format.
  if (value.IsDate() && lower == "general") return FormatDate(number, "m/d/yyyy");
  if (general || section == "@") {
    std::string text = GeneralNumber(which == 1 ? std::fabs(number) : number);
    if (section == "@" || lower == "general") return text;
    auto at = lower.find("general");
    std::string out = FormatNumberSection(0, section.substr(0, at), false);
    return out + text + FormatNumberSection(0, section.substr(at + 7), false);
  }
  if (IsDateFormat(section)) {
    if (lower.find('[') != std::string::npos && lower.find("[h") != std::string::npos) {
      return GeneralNumber(number);  // elapsed time is outside the subset
    }
    if (number < 0 || number >= 2958466) return std::string(10, '#');  // as the host shows it
    return FormatDate(number, section);
  }
  if (section.find('/') != std::string::npos) return GeneralNumber(number);  // fractions
  // The negative section shows the magnitude; its own text supplies any sign or parentheses.
  return FormatNumberSection(number, section, which == 0);
}

}  // namespace kx::memhost
