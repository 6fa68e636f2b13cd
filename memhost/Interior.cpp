#include "memhost/Interior.h"

#include <cmath>
#include <set>

#include "memhost/Range.h"
#include "memhost/TypedInput.h"

namespace kx::memhost {

host::Result<host::Variant> Interior::ColorIndex() {
  KX_MEMHOST_ENTER(*sheet_.state, "Interior.ColorIndex");
  if (!sheet_.Alive()) return ObjectGone();
  const Sheet& sheet = *sheet_.sheet;
  const StyleTable& styles = sheet_.book->styles;
  std::set<std::int32_t> seen;
  std::int64_t stored = 0, total = 0;
  for (const Area& a : areas_) total += a.cells();
  for (const Area& a : ClipToUsed(sheet, areas_)) {
    for (std::int32_t c = a.firstColumn; c <= a.lastColumn; ++c) {
      sheet.ForEachInColumn(c, a.firstRow, a.lastRow, [&](std::int32_t, const Cell& cell) {
        ++stored;
        seen.insert(styles.Get(cell.style).colorIndex);
      });
    }
  }
  if (stored < total) seen.insert(host::xl::ColorIndexNone);
  if (seen.size() != 1) return host::Variant();  // the cells differ
  return host::Variant(static_cast<long>(*seen.begin()));
}

host::Result<void> Interior::SetColorIndex(const host::Variant& index) {
  KX_MEMHOST_ENTER(*sheet_.state, "Interior.SetColorIndex");
  if (!sheet_.Alive()) return ObjectGone();
  std::optional<double> number;
  if (index.IsNumber()) number = index.AsNumber();
  if (index.IsText()) {
    if (auto n = ReadNumberText(index.AsText()); n && n->shape == NumberText::Shape::Plain) {
      number = n->value;
    }
  }
  bool valid = number && std::floor(*number) == *number &&
               ((*number >= 1 && *number <= 56) || *number == host::xl::ColorIndexNone ||
                *number == host::xl::ColorIndexAutomatic);
  if (!valid) {
    return host::Fail(host::err::ApplicationDefined,
                      "Unable to set the ColorIndex property of the Interior class");
  }
  auto color = static_cast<std::int32_t>(*number);
  if (color == host::xl::ColorIndexAutomatic) color = host::xl::ColorIndexNone;

  Book& book = *sheet_.book;
  Sheet& sheet = *sheet_.sheet;
  auto paint = [&](CellPos pos) {
    const Cell* current = sheet.CellAt(pos);
    Cell cell = current ? *current : Cell{};
    Style style = book.styles.Get(cell.style);
    if (style.colorIndex == color) return;
    style.colorIndex = color;
    cell.style = book.styles.Intern(style);
    sheet.SetCell(pos, std::move(cell));
  };
  for (const Area& a : areas_) {
    bool onlyStored = color == host::xl::ColorIndexNone;
    if (onlyStored || a.IsWholeColumns() || a.IsWholeRows()) {
      for (const Area& used : ClipToUsed(sheet, {a})) {
        for (std::int32_t c = used.firstColumn; c <= used.lastColumn; ++c) {
          std::vector<std::int32_t> rows;
          if (onlyStored) {
            sheet.ForEachInColumn(c, used.firstRow, used.lastRow,
                                  [&](std::int32_t r, const Cell&) { rows.push_back(r); });
          } else {
            for (std::int32_t r = used.firstRow; r <= used.lastRow; ++r) rows.push_back(r);
          }
          for (std::int32_t r : rows) paint({r, c});
        }
      }
      continue;
    }
    for (std::int32_t r = a.firstRow; r <= a.lastRow; ++r) {
      for (std::int32_t c = a.firstColumn; c <= a.lastColumn; ++c) paint({r, c});
    }
  }
  return {};
}

}  // namespace kx::memhost
