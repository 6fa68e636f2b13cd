#include "memhost/objects/Interior.h"

#include <cmath>
#include <set>

#include "memhost/objects/Range.h"
#include "memhost/rules/TypedInput.h"

namespace kx::memhost {

host::Result<host::Variant> Interior::ColorIndex() {
  KX_MEMHOST_ENTER(*sheet_.state, "Interior.ColorIndex");
  if (!sheet_.Alive()) return ObjectGone();
  const Sheet& sheet = *sheet_.sheet;
  const StyleTable& styles = sheet_.book->styles;
  std::set<std::int32_t> seen;
  std::int64_t total = 0;
  for (const Area& a : areas_) total += a.cells();
  auto stored = StoredCells(sheet, areas_);
  for (CellPos pos : stored) seen.insert(styles.Get(sheet.CellAt(pos)->style).colorIndex);
  if (static_cast<std::int64_t>(stored.size()) < total) seen.insert(host::xl::ColorIndexNone);
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
  std::int64_t painted = 0;
  for (const Area& a : areas_) {
    painted += a.IsWholeColumns() || a.IsWholeRows() ? 0 : a.cells();
  }
  if (painted > kMaxCellsWritten) {
    return host::Fail(host::err::ApplicationDefined, "Not enough resources to colour so many cells");
  }
  auto color = static_cast<std::int32_t>(*number);
  if (color == host::xl::ColorIndexAutomatic) color = host::xl::ColorIndexNone;

  Book& book = *sheet_.book;
  Sheet& sheet = *sheet_.sheet;
  auto paint = [&](CellPos pos) {
    const Cell* current = sheet.CellAt(pos);
    sheet.SetStyle(pos, book.styles.WithColorIndex(current ? current->style : kDefaultStyle, color));
  };
  for (const Area& a : areas_) {
    if (color == host::xl::ColorIndexNone) {
      // Taking a fill away changes only cells that have one.
      for (CellPos pos : StoredCells(sheet, {a})) paint(pos);
      continue;
    }
    Area cells = a;
    if (a.IsWholeColumns() || a.IsWholeRows()) {
      auto used = ClipToUsed(sheet, {a});
      if (used.empty()) continue;
      cells = used[0];
    }
    for (std::int32_t r = cells.firstRow; r <= cells.lastRow; ++r) {
      for (std::int32_t c = cells.firstColumn; c <= cells.lastColumn; ++c) paint({r, c});
    }
  }
  return {};
}

}  // namespace kx::memhost
