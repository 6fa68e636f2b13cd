#include "cli/ShowCells.h"

#include "cli/Json.h"
#include "memhost/rules/DisplayText.h"
#include "memhost/model/Address.h"

namespace kx::cli {

namespace {

const memhost::ValidationRule* RuleFor(const memhost::Sheet& sheet, memhost::CellPos pos) {
  for (const auto& rule : sheet.validations()) {
    for (const auto& area : rule.areas) {
      if (area.Contains(pos)) return &rule;
    }
  }
  return nullptr;
}

}  // namespace

std::string ShowCells(const memhost::Book& book, bool json) {
  if (book.sheets.empty()) return json ? "[]" : "";
  const memhost::Sheet& sheet = *book.sheets[book.activeSheet];
  const auto used = sheet.UsedArea();
  // A bounded range can still be absurdly large ("A1:XFD1048576" typed out): cap what is listed.
  constexpr std::int64_t kMostCells = 100000;
  std::int64_t listed = 0;
  std::string out = json ? "[" : "";
  bool first = true;
  for (const auto& selected : sheet.selection) {
    // Whole columns or rows end where the used cells end; a bounded range is shown whole, so
    // that cells cleared at its end are seen.
    memhost::Area area = selected;
    if (selected.IsWholeColumns() || selected.IsWholeRows()) {
      if (!used || !memhost::Intersect(selected, *used, area)) continue;
    }
    for (std::int32_t row = area.firstRow; row <= area.lastRow; ++row) {
      for (std::int32_t column = area.firstColumn; column <= area.lastColumn; ++column) {
        if (++listed > kMostCells) return json ? out + "]" : out + "... (more cells not shown)\n";
        const memhost::CellPos pos{row, column};
        const memhost::Cell* cell = sheet.CellAt(pos);
        const memhost::Style& style = book.styles.Get(cell ? cell->style : memhost::kDefaultStyle);
        const std::string address = memhost::FormatAreaRelative(memhost::Area::Cell(pos));
        const std::string text = cell ? memhost::DisplayText(cell->value, style.numberFormat) : "";
        const bool coloured = style.colorIndex > 0;
        const bool hidden = sheet.RowHidden(row);
        const memhost::ValidationRule* rule = RuleFor(sheet, pos);
        if (json) {
          JsonObject object;
          object.Text("cell", address).Text("text", text);
          if (coloured) object.Number("fill", style.colorIndex); else object.Null("fill");
          object.Bool("hidden", hidden);
          if (rule) object.Text("validation", rule->formula1); else object.Null("validation");
          out += (first ? "" : ",") + object.str();
        } else {
          std::string line = address;
          line.resize(std::max<size_t>(line.size() + 1, 8), ' ');
          line += text;
          if (coloured) line += "  [fill " + std::to_string(style.colorIndex) + "]";
          if (hidden) line += "  [hidden row]";
          if (rule) line += "  [validation " + rule->formula1 + "]";
          out += line + "\n";
        }
        first = false;
      }
    }
  }
  return json ? out + "]" : out;
}

}  // namespace kx::cli
