#include "memhost/rules/ValidationCheck.h"

#include <cctype>
#include <regex>

#include "memhost/objects/CellWrite.h"
#include "memhost/rules/CountIf.h"
#include "memhost/rules/References.h"
#include "memhost/rules/TextMatch.h"
#include "memhost/model/Address.h"

namespace kx::memhost {

namespace {

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
    Area before = rule.areas.empty() ? Area{} : rule.areas.front();
    for (const Area& cut : areas) {
      std::vector<Area> kept;
      for (const Area& a : rule.areas) {
        for (const Area& part : Subtract(a, cut)) kept.push_back(part);
      }
      rule.areas = std::move(kept);
    }
    // Relative references are written for the rule's first cell; when that cell is taken out,
    // rewrite them for the new first cell so that every other cell keeps its meaning.
    if (!rule.areas.empty() && !(rule.areas.front().firstRow == before.firstRow &&
                                 rule.areas.front().firstColumn == before.firstColumn)) {
      std::int32_t dRow = rule.areas.front().firstRow - before.firstRow;
      std::int32_t dCol = rule.areas.front().firstColumn - before.firstColumn;
      rule.formula1 = ShiftFormula(rule.formula1, dRow, dCol);
      rule.formula2 = ShiftFormula(rule.formula2, dRow, dCol);
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
