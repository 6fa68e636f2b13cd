#include "memhost/References.h"

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

std::string Write(const Corner& c) {
  std::string out;
  if (c.column) out += (c.columnAbs ? "$" : "") + ColumnLetters(*c.column);
  if (c.row) out += (c.rowAbs ? "$" : "") + std::to_string(*c.row);
  return out;
}

bool IsNamePart(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '$' || c == '_' || c == '.';
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

std::string ShiftFormula(std::string_view formula, std::int32_t dRow, std::int32_t dCol) {
  std::string out;
  size_t i = 0;
  while (i < formula.size()) {
    char c = formula[i];
    if (c == '"') {
      size_t close = formula.find('"', i + 1);
      close = close == std::string_view::npos ? formula.size() : close + 1;
      out += formula.substr(i, close - i);
      i = close;
      continue;
    }
    if (!IsNamePart(c)) {
      out += c;
      ++i;
      continue;
    }
    // A name: a reference, a range of two references, a function or a defined name.
    size_t end = i;
    while (end < formula.size() && IsNamePart(formula[end])) ++end;
    size_t rangeEnd = end;
    if (end < formula.size() && formula[end] == ':') {
      rangeEnd = end + 1;
      while (rangeEnd < formula.size() && IsNamePart(formula[rangeEnd])) ++rangeEnd;
    }
    std::string_view first = formula.substr(i, end - i);
    bool called = end < formula.size() && (formula[end] == '(' || formula[end] == '!');
    auto a = called ? std::nullopt : ReadCorner(first);
    std::optional<Corner> b;
    if (a && rangeEnd > end + 1) b = ReadCorner(formula.substr(end + 1, rangeEnd - end - 1));
    bool isRange = a && b && a->row.has_value() == b->row.has_value() &&
                   a->column.has_value() == b->column.has_value();
    if (isRange) {
      bool ok = Move(*a, dRow, dCol) && Move(*b, dRow, dCol);
      out += ok ? Write(*a) + ":" + Write(*b) : "#REF!";
      i = rangeEnd;
    } else if (a && a->row && a->column) {
      out += Move(*a, dRow, dCol) ? Write(*a) : "#REF!";
      i = end;
    } else {
      out += first;
      i = end;
    }
  }
  return out;
}

}  // namespace kx::memhost
