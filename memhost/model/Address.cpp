#include "memhost/model/Address.h"

#include <cctype>
#include <charconv>

namespace kx::memhost {

namespace {

bool IsLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// One end of an area: optional "$", letters, optional "$", digits; either part may be missing
// (a whole column or a whole row), but not both.
struct Corner {
  std::optional<std::int32_t> column;
  std::optional<std::int32_t> row;
};

std::optional<Corner> ParseCorner(std::string_view s) {
  Corner c;
  size_t i = 0;
  if (i < s.size() && s[i] == '$') ++i;
  size_t start = i;
  while (i < s.size() && IsLetter(s[i])) ++i;
  if (i > start) {
    c.column = ColumnFromLetters(s.substr(start, i - start));
    if (!c.column) return std::nullopt;
  } else if (start != 0) {
    // "$" before digits is allowed only as a row anchor: "$3".
    i = 0;
  }
  if (i < s.size() && s[i] == '$') ++i;
  start = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  if (i > start) {
    std::int32_t row = 0;
    auto [ptr, ec] = std::from_chars(s.data() + start, s.data() + i, row);
    if (ec != std::errc() || ptr != s.data() + i || row < 1 || row > kMaxRows) return std::nullopt;
    c.row = row;
  }
  if (i != s.size() || (!c.column && !c.row)) return std::nullopt;
  return c;
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

std::optional<std::int32_t> ColumnFromLetters(std::string_view letters) {
  if (letters.empty() || letters.size() > 3) return std::nullopt;
  std::int32_t n = 0;
  for (char ch : letters) {
    if (!IsLetter(ch)) return std::nullopt;
    n = n * 26 + (std::toupper(static_cast<unsigned char>(ch)) - 'A' + 1);
  }
  if (n > kMaxColumns) return std::nullopt;
  return n;
}

std::string ColumnLetters(std::int32_t column) {
  std::string out;
  while (column > 0) {
    int rem = (column - 1) % 26;
    out.insert(out.begin(), static_cast<char>('A' + rem));
    column = (column - 1) / 26;
  }
  return out;
}

std::optional<Area> ParseArea(std::string_view text) {
  std::string s = Trimmed(text);
  auto colon = s.find(':');
  std::string_view first = std::string_view(s).substr(0, colon);
  std::string_view second =
      colon == std::string::npos ? first : std::string_view(s).substr(colon + 1);
  auto a = ParseCorner(first);
  auto b = ParseCorner(second);
  if (!a || !b) return std::nullopt;
  // Both corners must be of the same kind: cell:cell, column:column or row:row.
  bool aCell = a->column && a->row, bCell = b->column && b->row;
  if (aCell != bCell) return std::nullopt;
  if (!aCell && (a->column.has_value() != b->column.has_value())) return std::nullopt;
  // A lone row or column needs the range form ("3:3", "A:A").
  if (!aCell && colon == std::string::npos) return std::nullopt;

  Area area;
  if (a->column) {
    area.firstColumn = std::min(*a->column, *b->column);
    area.lastColumn = std::max(*a->column, *b->column);
  } else {
    area.firstColumn = 1;
    area.lastColumn = kMaxColumns;
  }
  if (a->row) {
    area.firstRow = std::min(*a->row, *b->row);
    area.lastRow = std::max(*a->row, *b->row);
  } else {
    area.firstRow = 1;
    area.lastRow = kMaxRows;
  }
  return area;
}

std::optional<std::vector<Area>> ParseAreas(std::string_view text) {
  std::vector<Area> areas;
  while (true) {
    auto comma = text.find(',');
    auto area = ParseArea(text.substr(0, comma));
    if (!area) return std::nullopt;
    areas.push_back(*area);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return areas;
}

namespace {

// "$" + the column's letters + "$" + the row, written into `out`; returns the end.
char* WriteCorner(std::int32_t row, std::int32_t column, char* out) {
  char letters[4];
  int n = 0;
  for (; column > 0; column = (column - 1) / 26) letters[n++] = static_cast<char>('A' + (column - 1) % 26);
  *out++ = '$';
  while (n > 0) *out++ = letters[--n];
  *out++ = '$';
  return std::to_chars(out, out + 12, row).ptr;
}

}  // namespace

std::string FormatArea(const Area& a) {
  if (a.IsWholeColumns()) {
    return "$" + ColumnLetters(a.firstColumn) + ":$" + ColumnLetters(a.lastColumn);
  }
  if (a.IsWholeRows()) {
    return "$" + std::to_string(a.firstRow) + ":$" + std::to_string(a.lastRow);
  }
  // A cell's address, the commonest by far, is written at once and fits inside the string.
  char text[48];
  char* end = WriteCorner(a.firstRow, a.firstColumn, text);
  if (a.rows() != 1 || a.columns() != 1) {
    *end++ = ':';
    end = WriteCorner(a.lastRow, a.lastColumn, end);
  }
  return std::string(text, end);
}

std::string FormatAreas(const std::vector<Area>& areas) {
  if (areas.size() == 1) return FormatArea(areas[0]);
  std::string out;
  for (const auto& a : areas) {
    if (!out.empty()) out += ',';
    out += FormatArea(a);
  }
  return out;
}

std::string FormatAreaRelative(const Area& area) {
  std::string s = FormatArea(area);
  std::erase(s, '$');
  return s;
}

}  // namespace kx::memhost
