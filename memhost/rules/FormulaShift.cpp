#include "memhost/rules/References.h"

#include <algorithm>

#include <cctype>
#include <optional>

#include "memhost/model/Address.h"
#include "memhost/model/Grid.h"

namespace kx::memhost {

namespace {
bool IsAlpha(char c) {
  return std::isalpha(static_cast<unsigned char>(c)) != 0;
}
bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool IsNameChar(char c) {
  return IsAlpha(c) || IsDigit(c) || c == '_' || c == '.' || c == '$' || c == '\\' || c == '?' ||
         static_cast<unsigned char>(c) >= 0x80;
}

struct Part {
  bool absolute = false;
  std::int32_t value = 0;
};

// "$AB" or "AB" -> column; only letters.
std::optional<Part> ColumnPart(std::string_view s) {
  Part p;
  if (!s.empty() && s[0] == '$') {
    p.absolute = true;
    s.remove_prefix(1);
  }
  if (s.empty() || s.size() > 3) return std::nullopt;
  for (char c : s) {
    if (!IsAlpha(c)) return std::nullopt;
  }
  auto col = ColumnFromLetters(s);
  if (!col) return std::nullopt;
  p.value = *col;
  return p;
}

std::optional<Part> RowPart(std::string_view s) {
  Part p;
  if (!s.empty() && s[0] == '$') {
    p.absolute = true;
    s.remove_prefix(1);
  }
  if (s.empty() || s.size() > 7 || s[0] == '0') return std::nullopt;
  std::int32_t v = 0;
  for (char c : s) {
    if (!IsDigit(c)) return std::nullopt;
    v = v * 10 + (c - '0');
  }
  if (v < 1 || v > kMaxRows) return std::nullopt;
  p.value = v;
  return p;
}

// "$A$1" -> column and row parts.
std::optional<std::pair<Part, Part>> CellRef(std::string_view s) {
  size_t i = s.empty() ? 0 : (s[0] == '$' ? 1 : 0);
  while (i < s.size() && IsAlpha(s[i])) ++i;
  auto col = ColumnPart(s.substr(0, i));
  auto row = RowPart(s.substr(i));
  if (!col || !row) return std::nullopt;
  return std::make_pair(*col, *row);
}

// Writes a moved part, or nothing and returns false when it leaves the sheet.
bool ShiftColumn(Part p, std::int32_t by, std::string& out) {
  std::int32_t v = p.absolute ? p.value : p.value + by;
  if (v < 1 || v > kMaxColumns) return false;
  if (p.absolute) out += '$';
  out += ColumnLetters(v);
  return true;
}
bool ShiftRow(Part p, std::int32_t by, std::string& out) {
  std::int32_t v = p.absolute ? p.value : p.value + by;
  if (v < 1 || v > kMaxRows) return false;
  if (p.absolute) out += '$';
  out += std::to_string(v);
  return true;
}

// The run of name characters starting at i.
size_t RunEnd(std::string_view f, size_t i) {
  while (i < f.size() && IsNameChar(f[i])) ++i;
  return i;
}
}  // namespace

std::string ShiftFormula(std::string_view f, std::int32_t rows, std::int32_t columns) {
  std::string out;
  out.reserve(f.size() + 8);
  size_t i = 0;
  while (i < f.size()) {
    char c = f[i];
    if (c == '"' || c == '\'') {  // a text literal or a quoted sheet name, with doubled quotes
      size_t j = i + 1;
      while (j < f.size()) {
        if (f[j] == c) {
          if (j + 1 < f.size() && f[j + 1] == c) {
            j += 2;
            continue;
          }
          break;
        }
        ++j;
      }
      j = std::min(j + 1, f.size());
      out.append(f.substr(i, j - i));
      i = j;
      continue;
    }
    if (c == '[') {  // structured references and external book numbers are left as they are
      int depth = 0;
      size_t j = i;
      for (; j < f.size(); ++j) {
        if (f[j] == '[') ++depth;
        if (f[j] == ']' && --depth == 0) break;
      }
      j = std::min(j + 1, f.size());
      out.append(f.substr(i, j - i));
      i = j;
      continue;
    }
    if (!IsNameChar(c)) {
      out += c;
      ++i;
      continue;
    }
    size_t end = RunEnd(f, i);
    std::string_view token = f.substr(i, end - i);
    char after = end < f.size() ? f[end] : '\0';
    if (after == '(' || after == '!' || (i > 0 && (f[i - 1] == '#'))) {
      out.append(token);  // a function, a sheet name, or an error literal
      i = end;
      continue;
    }
    // A whole-column or whole-row range: A:C, $1:$3.
    if (after == ':') {
      size_t end2 = RunEnd(f, end + 1);
      std::string_view second = f.substr(end + 1, end2 - end - 1);
      auto c1 = ColumnPart(token), c2 = ColumnPart(second);
      auto r1 = RowPart(token), r2 = RowPart(second);
      if ((c1 && c2) || (r1 && r2)) {
        std::string moved;
        bool ok = c1 && c2 ? ShiftColumn(*c1, columns, moved) : ShiftRow(*r1, rows, moved);
        moved += ':';
        ok = ok && (c1 && c2 ? ShiftColumn(*c2, columns, moved) : ShiftRow(*r2, rows, moved));
        out += ok ? moved : std::string("#REF!");
        i = end2;
        continue;
      }
    }
    if (auto ref = CellRef(token)) {
      std::string moved;
      bool ok = ShiftColumn(ref->first, columns, moved) && ShiftRow(ref->second, rows, moved);
      out += ok ? moved : std::string("#REF!");
    } else {
      out.append(token);
    }
    i = end;
  }
  return out;
}

}  // namespace kx::memhost
