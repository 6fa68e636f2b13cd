#include "files/RowReader.h"

#include <cctype>
#include <charconv>

#include "files/CellText.h"
#include "files/XmlBatches.h"
#include "memhost/rules/References.h"
#include "memhost/model/Address.h"

namespace kx::files {

using memhost::Area;
using memhost::CellPos;

std::optional<CellPos> ParseCellRef(std::string_view ref) {
  size_t i = 0;
  while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i]))) ++i;
  auto col = memhost::ColumnFromLetters(ref.substr(0, i));
  if (!col || i == ref.size()) return std::nullopt;
  std::int32_t row = 0;
  auto [p, ec] = std::from_chars(ref.data() + i, ref.data() + ref.size(), row);
  if (ec != std::errc{} || p != ref.data() + ref.size() || row < 1 || row > memhost::kMaxRows) {
    return std::nullopt;
  }
  return CellPos{row, *col};
}

FileResult<void> RowReader::BeginRow(std::optional<std::string_view> r, std::int64_t n,
                                     bool hidden) {
  if (r) {
    if (n < 1 || n > memhost::kMaxRows) {
      return FileError{FileErrorKind::TooLarge,
                       ctx_.what + ": row number " + std::string(*r) + " is outside the sheet"};
    }
    row_ = static_cast<std::int32_t>(n);
  } else if (++row_ > memhost::kMaxRows) {
    return FileError{FileErrorKind::TooLarge, ctx_.what + ": more rows than a sheet holds"};
  }
  if (hidden) sheet_.SetRowHidden(row_, true);
  column_ = 0;
  return {};
}

FileResult<CellPos> RowReader::PlaceCell(std::optional<std::string_view> r, std::uint64_t xf,
                                         memhost::Cell& cell) {
  CellPos pos{row_, column_ + 1};
  if (r) {
    auto parsed = ParseCellRef(*r);
    if (!parsed) {
      return FileError{FileErrorKind::Damaged,
                       ctx_.what + ": the cell reference \"" + std::string(*r) + "\" is not valid"};
    }
    pos = *parsed;
  } else if (pos.column > memhost::kMaxColumns) {
    return FileError{FileErrorKind::TooLarge, ctx_.what + ": more columns than a sheet holds"};
  }
  column_ = pos.column;
  if (*ctx_.cellBudget == 0) {
    return FileError{FileErrorKind::TooLarge,
                     ctx_.what + ": the workbook has more cells than can be held in memory"};
  }
  --*ctx_.cellBudget;
  if (xf >= ctx_.styleIds->size()) {
    return FileError{FileErrorKind::Damaged, ctx_.what + ": cell " +
                                                 memhost::FormatAreaRelative(Area::Cell(pos)) +
                                                 " uses a cell format that does not exist"};
  }
  cell.style = (*ctx_.styleIds)[xf];
  return pos;
}

void RowReader::SetValue(memhost::Cell& cell, host::Variant value, std::uint64_t xf) const {
  cell.value = std::move(value);
  if (cell.value.IsNumber() && (*ctx_.dateFormats)[xf]) {
    double serial = cell.value.AsNumber() + (ctx_.date1904 ? 1462 : 0);
    cell.value = host::Date{serial};
  }
}

// The other cells of an array formula show the array's formula.
void RowReader::ArrayFormula(CellPos pos, memhost::Cell& cell) const {
  for (size_t g : arrayGroups_) {
    const FormulaGroup& group = source_.formulaGroups[g];
    if (group.area.Contains(pos) && !(group.anchor == pos)) cell.formula = group.formula;
  }
}

void RowReader::Formula(pugi::xml_node f, CellPos pos, memhost::Cell& cell) {
  std::string_view kind = f.attribute("t").as_string("normal");
  std::string text = f.text().get();
  if (kind == "shared") {
    std::int64_t si = f.attribute("si").as_llong(-1);
    auto group = sharedGroups_.find(si);
    if (!text.empty() && f.attribute("ref")) {
      auto area = memhost::ParseArea(f.attribute("ref").value());
      sharedGroups_[si] = source_.formulaGroups.size();
      source_.formulaGroups.push_back({pos, area.value_or(Area::Cell(pos)), "=" + text, false});
      cell.formula = "=" + text;
    } else if (group != sharedGroups_.end()) {
      const FormulaGroup& g = source_.formulaGroups[group->second];
      cell.formula =
          "=" + memhost::ShiftFormula(std::string_view(g.formula).substr(1), pos.row - g.anchor.row,
                                      pos.column - g.anchor.column);
    } else if (!text.empty()) {
      cell.formula = "=" + text;
    }
  } else if (kind == "array") {
    auto area = memhost::ParseArea(f.attribute("ref").value());
    arrayGroups_.push_back(source_.formulaGroups.size());
    source_.formulaGroups.push_back({pos, area.value_or(Area::Cell(pos)), "=" + text, true});
    cell.formula = "=" + text;
  } else if (!text.empty()) {
    cell.formula = "=" + text;
  }
}

FileResult<void> RowReader::ReadRow(pugi::xml_node rowNode) {
  if (LocalName(rowNode.name()) != "row") return {};
  pugi::xml_attribute rowRef = rowNode.attribute("r");
  std::string_view hidden = rowNode.attribute("hidden").value();
  KX_TRY(BeginRow(rowRef ? std::optional<std::string_view>(rowRef.value()) : std::nullopt,
                  rowRef.as_llong(-1), hidden == "1" || hidden == "true"));
  for (pugi::xml_node c : rowNode.children()) {
    if (LocalName(c.name()) != "c") continue;
    memhost::Cell cell;
    pugi::xml_attribute ref = c.attribute("r");
    std::uint64_t xf = c.attribute("s").as_ullong(0);
    CellPos pos = KX_TRY(
        PlaceCell(ref ? std::optional<std::string_view>(ref.value()) : std::nullopt, xf, cell));
    CellContent content = KX_TRY(ReadCellContent(c, ctx_));
    SetValue(cell, std::move(content.value), xf);
    pugi::xml_node f;
    for (pugi::xml_node child : c.children()) {
      if (LocalName(child.name()) == "f") f = child;
    }
    if (f)
      Formula(f, pos, cell);
    else
      ArrayFormula(pos, cell);
    KX_TRY(CheckLength(cell, pos));
    sheet_.LoadCell(pos, std::move(cell));
  }
  return {};
}

FileResult<void> RowReader::CheckLength(const memhost::Cell& cell, CellPos pos) const {
  if (!cell.value.IsText() || FitsACell(cell.value.AsText(), ctx_.maxCellChars)) return {};
  return TooLongForACell(ctx_.what + ": cell " + memhost::FormatAreaRelative(Area::Cell(pos)),
                         ctx_.maxCellChars);
}

FileResult<void> RowReader::ReadPlainRow() {
  std::int64_t n = -1;
  if (start_.r) std::from_chars(start_.r->data(), start_.r->data() + start_.r->size(), n);
  KX_TRY(BeginRow(start_.r, n, start_.hidden == "1" || start_.hidden == "true"));
  for (const PlainCell& c : plain_) {
    memhost::Cell cell;
    std::uint64_t xf = 0;
    if (c.s) std::from_chars(c.s->data(), c.s->data() + c.s->size(), xf);
    CellPos pos = KX_TRY(PlaceCell(c.r, xf, cell));
    SetValue(cell, KX_TRY(CellValue(c.t.value_or("n"), c.v, ctx_)), xf);
    ArrayFormula(pos, cell);
    KX_TRY(CheckLength(cell, pos));
    sheet_.LoadCell(pos, std::move(cell));
  }
  return {};
}

FileResult<void> RowReader::ParseRows(std::string_view text, size_t from, size_t to) {
  pugi::xml_parse_result parsed = doc_.load_buffer(
      text.data() + from, to - from, kCellParse | pugi::parse_fragment, pugi::encoding_utf8);
  if (!parsed) {
    return FileError{FileErrorKind::Damaged,
                     ctx_.what + " is malformed XML (" + parsed.description() + ")"};
  }
  for (pugi::xml_node node : doc_.children()) {
    if (node.type() == pugi::node_element) KX_TRY(ReadRow(node));
  }
  return {};
}

FileResult<void> RowReader::ReadBatch(std::string_view text, const std::vector<ElementSpan>& rows) {
  // Rows that are not plain are parsed together, a run at a time, in their place.
  size_t runFrom = std::string_view::npos, runTo = 0;
  for (const ElementSpan& span : rows) {
    if (!PlainRow(text, span, start_, plain_)) {
      if (runFrom == std::string_view::npos) runFrom = span.begin;
      runTo = span.end;
      continue;
    }
    if (runFrom != std::string_view::npos) {
      KX_TRY(ParseRows(text, runFrom, runTo));
      runFrom = std::string_view::npos;
    }
    KX_TRY(ReadPlainRow());
  }
  if (runFrom != std::string_view::npos) KX_TRY(ParseRows(text, runFrom, runTo));
  return {};
}

}  // namespace kx::files
