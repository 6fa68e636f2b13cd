#include "memhost/objects/CellWrite.h"

#include "memhost/rules/DisplayText.h"
#include "memhost/model/NumberFormat.h"

namespace kx::memhost {

TypedInput EntryFor(const host::Variant& value, bool textFormat) {
  if (value.IsText()) {
    const std::string& text = value.AsText();
    if (textFormat && !(text.size() > 1 && text.front() == '=')) {
      TypedInput entry;
      entry.value = host::Variant(text);
      return entry;
    }
    return ReadTypedInput(text);
  }
  TypedInput entry;
  entry.value = value;
  if (value.IsDate()) entry.numberFormat = "m/d/yyyy";
  return entry;
}

void WriteEntry(Book& book, Sheet& sheet, CellPos pos, const TypedInput& entry) {
  const Cell* current = sheet.CellAt(pos);
  Cell cell;
  if (current) cell.style = current->style;
  cell.formula = entry.formula;
  if (entry.valueKnown) {
    cell.value = entry.value;
  } else {
    // memhost does not calculate: re-entering the same formula keeps its last value; any other
    // formula waits for the spreadsheet to recalculate the saved book.
    if (current && current->formula == entry.formula) cell.value = current->value;
    book.needsRecalculation = true;
  }
  if (entry.numberFormat) {
    Style style = book.styles.Get(cell.style);
    // A date or time entry keeps a date format the cell already has (d-mmm-yy stays).
    bool keep = IsDateFormat(*entry.numberFormat) && IsDateFormat(style.numberFormat);
    if (!keep && style.numberFormat != *entry.numberFormat) {
      style.numberFormat = *entry.numberFormat;
      cell.style = book.styles.Intern(style);
    }
  }
  sheet.SetCell(pos, std::move(cell));
}

host::Variant CellValue(const Book& book, const Cell* cell) {
  if (!cell) return {};
  if (cell->value.IsNumber() && cell->style != kDefaultStyle &&
      IsDateFormat(book.styles.Get(cell->style).numberFormat)) {
    return host::Variant(host::Date{cell->value.AsNumber()});
  }
  return cell->value;
}

std::string CellText(const Book& book, const Cell* cell) {
  if (!cell) return {};
  return DisplayText(cell->value, book.styles.Get(cell->style).numberFormat);
}

std::string CellFormula(const Cell* cell) {
  if (!cell) return {};
  if (cell->HasFormula()) return cell->formula;
  const host::Variant& v = cell->value;
  switch (v.kind()) {
    case host::Variant::Kind::Empty: return {};
    case host::Variant::Kind::Number: return FormulaBarNumber(v.AsNumber());
    case host::Variant::Kind::Date: return DisplayText(v, "m/d/yyyy");
    case host::Variant::Kind::Text: return v.AsText();
    case host::Variant::Kind::Boolean: return v.AsBoolean() ? "TRUE" : "FALSE";
    case host::Variant::Kind::Error: return std::string(host::ErrorValueText(v.AsError()));
  }
  return {};
}

}  // namespace kx::memhost
