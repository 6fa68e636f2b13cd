#include "memhost/rules/References.h"

#include <cctype>

#include "memhost/model/Address.h"

namespace kx::memhost {

namespace {

// One end of a reference ("$A$1", "A1", "$A", "3") with its anchors.
struct Corner {
  std::optional<std::int32_t> row, column;
  bool rowAbs = false, columnAbs = false;
};

std::optional<Corner> ReadCorner(std::string_view s) {
  Corner out;
  size_t i = 0;
  out.columnAbs = i < s.size() && s[i] == '$';
  if (out.columnAbs) ++i;
  size_t start = i;
  while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
  if (i > start) {
    out.column = ColumnFromLetters(s.substr(start, i - start));
    if (!out.column) return std::nullopt;
  } else if (out.columnAbs) {
    i = 0;  // "$3": the dollar anchors a row
    out.columnAbs = false;
  }
  out.rowAbs = i < s.size() && s[i] == '$';
  if (out.rowAbs) ++i;
  start = i;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
  if (i > start) {
    if (i - start > 7) return std::nullopt;
    out.row = std::stoi(std::string(s.substr(start, i - start)));
  }
  if (i != s.size() || (!out.row && !out.column)) return std::nullopt;
  return out;
}

// Moves the relative parts; false when the corner leaves the sheet.
bool Move(Corner& c, std::int32_t dRow, std::int32_t dCol) {
  if (c.row && !c.rowAbs) *c.row += dRow;
  if (c.column && !c.columnAbs) *c.column += dCol;
  return (!c.row || (*c.row >= 1 && *c.row <= kMaxRows)) &&
         (!c.column || (*c.column >= 1 && *c.column <= kMaxColumns));
}

}  // namespace

std::optional<Area> ShiftedArea(std::string_view reference, std::int32_t dRow, std::int32_t dCol) {
  auto colon = reference.find(':');
  auto a = ReadCorner(reference.substr(0, colon));
  auto b = colon == std::string_view::npos ? a : ReadCorner(reference.substr(colon + 1));
  if (!a || !b || a->row.has_value() != b->row.has_value() ||
      a->column.has_value() != b->column.has_value() || (colon == std::string_view::npos && !(a->row && a->column))) {
    return std::nullopt;
  }
  if (!Move(*a, dRow, dCol) || !Move(*b, dRow, dCol)) return std::nullopt;
  Area area{1, 1, kMaxRows, kMaxColumns};
  if (a->row) area.firstRow = std::min(*a->row, *b->row), area.lastRow = std::max(*a->row, *b->row);
  if (a->column) {
    area.firstColumn = std::min(*a->column, *b->column);
    area.lastColumn = std::max(*a->column, *b->column);
  }
  return area;
}

}  // namespace kx::memhost
