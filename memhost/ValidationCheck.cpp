#include "memhost/ValidationCheck.h"

#include <cctype>
#include <regex>

#include "memhost/CellWrite.h"
#include "memhost/CountIf.h"
#include "memhost/TextMatch.h"
#include "memhost/model/Address.h"

namespace kx::memhost {

namespace {

// One corner of a reference ("$A$1", "A1", "$A") moved by the offset where not anchored.
struct ShiftedCorner {
  std::optional<std::int32_t> row, column;
};

std::optional<ShiftedCorner> ShiftCorner(std::string_view s, std::int32_t dRow, std::int32_t dCol) {
  ShiftedCorner out;
  size_t i = 0;
  bool colAbs = i < s.size() && s[i] == '$';
  if (colAbs) ++i;
  size_t start = i;
  while (i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]))) ++i;
  if (i > start) {
    auto col = ColumnFromLetters(s.substr(start, i - start));
    if (!col) return std::nullopt;
    out.column = *col + (colAbs ? 0 : dCol);
  } else if (colAbs) {
    // "$3": the dollar anchors a row.
    i = 0;
  }
  bool rowAbs = i < s.size() && s[i] == '$';
  if (rowAbs) ++i;
  start = i;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
  if (i > start) out.row = std::stoi(std::string(s.substr(start, i - start))) + (rowAbs ? 0 : dRow);
  if (i != s.size() || (!out.row && !out.column)) return std::nullopt;
  return out;
}

std::optional<Area> ShiftedArea(std::string_view text, std::int32_t dRow, std::int32_t dCol) {
  auto colon = text.find(':');
  auto a = ShiftCorner(text.substr(0, colon), dRow, dCol);
  auto b = colon == std::string_view::npos ? a : ShiftCorner(text.substr(colon + 1), dRow, dCol);
  if (!a || !b || a->row.has_value() != b->row.has_value() ||
      a->column.has_value() != b->column.has_value()) {
    return std::nullopt;
  }
  Area area{1, 1, kMaxRows, kMaxColumns};
  if (a->row) area.firstRow = std::min(*a->row, *b->row), area.lastRow = std::max(*a->row, *b->row);
  if (a->column) {
    area.firstColumn = std::min(*a->column, *b->column);
    area.lastColumn = std::max(*a->column, *b->column);
  }
  if (area.firstRow < 1 || area.lastRow > kMaxRows || area.firstColumn < 1 ||
      area.lastColumn > kMaxColumns) {
    return std::nullopt;
  }
  return area;
}

bool CompareCount(double n, const std::string& op, double limit) {
  if (op == "=") return n == limit;
  if (op == "<>") return n != limit;
  if (op == "<") return n < limit;
  if (op == "<=") return n <= limit;
  if (op == ">") return n > limit;
  return n >= limit;
}

}  // namespace

std::vector<Area> Subtract(const Area& area, const Area& cut) {
  Area overlap;
  if (!Intersect(area, cut, overlap)) return {area};
  std::vector<Area> out;
  if (area.firstRow < overlap.firstRow) {
    out.push_back({area.firstRow, area.firstColumn, overlap.firstRow - 1, area.lastColumn});
  }
  if (overlap.lastRow < area.lastRow) {
    out.push_back({overlap.lastRow + 1, area.firstColumn, area.lastRow, area.lastColumn});
  }
  if (area.firstColumn < overlap.firstColumn) {
    out.push_back({overlap.firstRow, area.firstColumn, overlap.lastRow, overlap.firstColumn - 1});
  }
  if (overlap.lastColumn < area.lastColumn) {
    out.push_back({overlap.firstRow, overlap.lastColumn + 1, overlap.lastRow, area.lastColumn});
  }
  return out;
}

const ValidationRule* RuleAt(const Sheet& sheet, CellPos pos) {
  for (const ValidationRule& rule : sheet.validations()) {
    for (const Area& a : rule.areas) {
      if (a.Contains(pos)) return &rule;
    }
  }
  return nullptr;
}

void RemoveRulesFrom(Sheet& sheet, const std::vector<Area>& areas) {
  bool touched = false;
  for (const ValidationRule& rule : sheet.validations()) {
    for (const Area& a : rule.areas) {
      for (const Area& cut : areas) {
        Area overlap;
        touched = touched || Intersect(a, cut, overlap);
      }
    }
  }
  if (!touched) return;
  auto& rules = sheet.MutableValidations();
  for (ValidationRule& rule : rules) {
    for (const Area& cut : areas) {
      std::vector<Area> kept;
      for (const Area& a : rule.areas) {
        for (const Area& part : Subtract(a, cut)) kept.push_back(part);
      }
      rule.areas = std::move(kept);
    }
  }
  std::erase_if(rules, [](const ValidationRule& rule) { return rule.areas.empty(); });
}

bool RuleAccepts(const SheetHandle& sheet, const ValidationRule& rule, CellPos pos,
                 const Cell* candidate) {
  if (rule.ignoreBlank && IsEmptyCell(candidate)) return true;
  if (rule.type == host::xl::ValidateCustom) {
    static const std::regex shape(
        R"(^=\s*COUNTIF\s*\(\s*([$A-Za-z0-9:]+)\s*,\s*([$A-Za-z0-9]+)\s*\)\s*(<=|>=|<>|=|<|>)\s*([0-9]+)\s*$)",
        std::regex::icase);
    std::smatch m;
    if (!std::regex_match(rule.formula1, m, shape)) return true;
    const Area& anchor = rule.areas.empty() ? Area{} : rule.areas.front();
    std::int32_t dRow = pos.row - anchor.firstRow, dCol = pos.column - anchor.firstColumn;
    auto counted = ShiftedArea(m[1].str(), dRow, dCol);
    auto ref = ShiftedArea(m[2].str(), dRow, dCol);
    if (!counted || !ref || ref->cells() != 1) return true;
    CellPos refPos{ref->firstRow, ref->firstColumn};
    const Cell* refCell = refPos == pos ? candidate : sheet.sheet->CellAt(refPos);
    host::Variant criterion = CellValue(*sheet.book, refCell);
    auto n = CountIfAreaWith(sheet, *counted, criterion, pos, candidate);
    // A formula that evaluates to an error counts as an invalid entry.
    if (!n.ok()) return false;
    return CompareCount(*n, m[3].str(), std::stod(m[4].str()));
  }
  if (rule.type == host::xl::ValidateList && !rule.formula1.empty() && rule.formula1[0] != '=') {
    std::string shown = Fold(CellText(*sheet.book, candidate));
    std::string_view items = rule.formula1;
    while (true) {
      auto comma = items.find(',');
      std::string_view item = items.substr(0, comma);
      while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
      while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
      if (Fold(item) == shown) return true;
      if (comma == std::string_view::npos) return false;
      items.remove_prefix(comma + 1);
    }
  }
  return true;
}

}  // namespace kx::memhost
