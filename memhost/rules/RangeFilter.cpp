// The in-place unique-records filter and SpecialCells: the members that pick rows and cells by
// what they hold or show.


#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "memhost/objects/CellWrite.h"
#include "host/HugePages.h"
#include "memhost/objects/Range.h"
#include "memhost/rules/TextMatch.h"

namespace kx::memhost {

namespace {

host::Error Refused(const char* what) { return host::Fail(host::err::ApplicationDefined, what); }

// The block of non-empty cells around a cell, bounded by empty rows and columns.
Area CurrentRegion(const Sheet& sheet, CellPos p) {
  Area a = Area::Cell(p);
  auto rowHasCell = [&](std::int32_t r, std::int32_t c1, std::int32_t c2) {
    if (r < 1 || r > kMaxRows) return false;
    for (std::int32_t c = std::max(1, c1); c <= std::min(kMaxColumns, c2); ++c) {
      if (!IsEmptyCell(sheet.CellAt({r, c}))) return true;
    }
    return false;
  };
  auto columnHasCell = [&](std::int32_t c, std::int32_t r1, std::int32_t r2) {
    if (c < 1 || c > kMaxColumns) return false;
    bool any = false;
    sheet.ForEachInColumn(c, std::max(1, r1), std::min(kMaxRows, r2), [&](std::int32_t, const Cell& cell) {
      if (!IsEmptyCell(&cell)) any = true;
    });
    return any;
  };
  for (bool grew = true; grew;) {
    grew = false;
    if (rowHasCell(a.firstRow - 1, a.firstColumn - 1, a.lastColumn + 1)) --a.firstRow, grew = true;
    if (rowHasCell(a.lastRow + 1, a.firstColumn - 1, a.lastColumn + 1)) ++a.lastRow, grew = true;
    if (columnHasCell(a.firstColumn - 1, a.firstRow - 1, a.lastRow + 1)) --a.firstColumn, grew = true;
    if (columnHasCell(a.lastColumn + 1, a.firstRow - 1, a.lastRow + 1)) ++a.lastColumn, grew = true;
  }
  return a;
}

// The texts a row of the list shows, folded, one after another.
void AppendRowKey(const Book& book, const Sheet& sheet, const Area& list, std::int32_t row,
                  const TextAsItselfByStyle& asItself, std::string& key) {
  key.clear();
  for (std::int32_t c = list.firstColumn; c <= list.lastColumn; ++c) {
    const Cell* cell = sheet.CellAt({row, c});
    // Text that shows as itself is folded where it stands, not copied first.
    if (cell && cell->value.IsText() && asItself(cell->style)) {
      AppendFolded(cell->value.AsText(), key);
    } else {
      AppendFolded(CellText(book, cell), key);
    }
    key += '\x1f';
  }
}

// Hides every data row that shows the same texts as an earlier one. The table keeps, for each
// text seen, its hash and the first row showing it, not the text: a million rows cost 16 MB
// rather than the texts over again, and a matching hash is confirmed by reading that row's
// texts back. Each row's slot is asked for a dozen rows ahead, so the pass seldom waits on
// memory.
void HideRepeatedRows(const Book& book, Sheet& sheet, const Area& list) {
  const TextAsItselfByStyle asItself(book.styles);
  struct Slot {
    std::uint32_t hash = 0;
    std::int32_t row = 0;  // 0: empty
  };
  size_t size = 16;
  while (size < static_cast<size_t>(list.rows()) * 2) size *= 2;
  std::vector<Slot, host::HugePageAllocator<Slot>> slots(size);
  const size_t mask = size - 1;

  struct Pending {
    std::int32_t row = 0;
    std::uint32_t hash = 0;
    std::string key;
  };
  constexpr size_t kAhead = 12;
  std::array<Pending, kAhead> ring;
  std::string earlier;
  // Most repeats were typed the same: texts that show as themselves and agree byte for byte
  // show the same, with no folding of the earlier row's to tell.
  auto typedAlike = [&](std::int32_t a, std::int32_t b) {
    for (std::int32_t c = list.firstColumn; c <= list.lastColumn; ++c) {
      const Cell* x = sheet.CellAt({a, c});
      const Cell* y = sheet.CellAt({b, c});
      if (x == nullptr || y == nullptr || !x->value.IsText() || !y->value.IsText() ||
          x->value.AsText() != y->value.AsText() || !asItself(x->style) || !asItself(y->style)) {
        return false;
      }
    }
    return true;
  };
  auto file = [&](const Pending& p) {
    for (size_t i = p.hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots[i];
      if (slot.row == 0) {
        slot = {p.hash, p.row};
        return;
      }
      if (slot.hash != p.hash) continue;
      if (typedAlike(slot.row, p.row)) {
        sheet.SetRowHidden(p.row, true);
        return;
      }
      AppendRowKey(book, sheet, list, slot.row, asItself, earlier);
      if (earlier == p.key) {
        sheet.SetRowHidden(p.row, true);  // shown by an earlier row
        return;
      }
    }
  };
  // Halfway to its turn, a row's slot has arrived: when it names an earlier row with the same
  // hash, that row's cells are asked for too, for the comparison to come.
  auto peek = [&](const Pending& p) {
    for (size_t i = p.hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots[i];
      if (slot.row == 0) return;
      if (slot.hash != p.hash) continue;
      for (std::int32_t c = list.firstColumn; c <= list.lastColumn; ++c) sheet.Prefetch({slot.row, c});
      return;
    }
  };
  size_t pushed = 0;
  for (std::int32_t r = list.firstRow + 1; r <= list.lastRow; ++r, ++pushed) {
    Pending& p = ring[pushed % kAhead];
    if (pushed >= kAhead) file(p);
    p.row = r;
    AppendRowKey(book, sheet, list, r, asItself, p.key);
    p.hash = static_cast<std::uint32_t>(std::hash<std::string_view>{}(p.key));
    __builtin_prefetch(&slots[p.hash & mask]);
    if (pushed >= kAhead / 2) peek(ring[(pushed - kAhead / 2) % kAhead]);
  }
  for (size_t i = pushed > kAhead ? pushed - kAhead : 0; i < pushed; ++i) file(ring[i % kAhead]);
}

}  // namespace

host::Result<void> Range::AdvancedFilter(const host::AdvancedFilterArgs& args) {
  KX_TRY(Enter("Range.AdvancedFilter"));
  if (args.Action != host::xl::FilterInPlace) {
    return Refused("memhost filters in place only (AdvancedFilter Action must be 1)");
  }
  if (args.CriteriaRange) return Refused("memhost's AdvancedFilter takes no criteria range");
  if (areas_.size() != 1) return Refused("The command cannot be used on multiple selections.");
  Sheet& sheet = *sheet_->sheet;
  Area list = areas_[0];
  if (list.cells() == 1) {
    list = CurrentRegion(sheet, First());
  } else {
    auto clipped = ClipToUsed(sheet, areas_);
    if (clipped.empty()) return Refused("The extract range has a missing or invalid field name.");
    list = clipped[0];
  }
  // The first row is the header: it stays and is not compared. Every later row showing the same
  // texts as an earlier one (ignoring case, without wildcards; blank and "" alike) is hidden by
  // hiding its sheet row. One pass with a hash set keeps this linear.
  for (std::int32_t r = list.firstRow + 1; r <= list.lastRow; ++r) sheet.SetRowHidden(r, false);
  if (args.Unique.value_or(false)) HideRepeatedRows(*sheet_->book, sheet, list);
  sheet.filterRange = list;
  return {};
}

host::Result<host::RangeRef> Range::SpecialCells(long type) {
  KX_TRY(Enter("Range.SpecialCells"));
  const Sheet& sheet = *sheet_->sheet;
  std::vector<Area> found;
  if (type == host::xl::CellTypeVisible) {
    // Runs of visible rows across each area's columns.
    for (const Area& a : areas_) {
      std::int32_t runStart = 0;
      for (std::int32_t r = a.firstRow; r <= a.lastRow + 1; ++r) {
        bool visible = r <= a.lastRow && !sheet.RowHidden(r);
        if (visible && runStart == 0) runStart = r;
        if (!visible && runStart != 0) {
          found.push_back({runStart, a.firstColumn, r - 1, a.lastColumn});
          runStart = 0;
        }
      }
    }
  } else if (type == host::xl::CellTypeBlanks || type == host::xl::CellTypeConstants ||
             type == host::xl::CellTypeFormulas) {
    // Within the used area, as the host looks no further; runs down each column.
    auto wanted = [type](const Cell* cell) {
      if (type == host::xl::CellTypeBlanks) return IsEmptyCell(cell);
      if (type == host::xl::CellTypeFormulas) return cell && cell->HasFormula();
      return cell && !cell->HasFormula() && !cell->value.IsEmpty();
    };
    for (const Area& a : ClipToUsed(sheet, areas_)) {
      for (std::int32_t c = a.firstColumn; c <= a.lastColumn; ++c) {
        std::int32_t runStart = 0;
        for (std::int32_t r = a.firstRow; r <= a.lastRow + 1; ++r) {
          bool hit = r <= a.lastRow && wanted(sheet.CellAt({r, c}));
          if (hit && runStart == 0) runStart = r;
          if (!hit && runStart != 0) {
            found.push_back({runStart, c, r - 1, c});
            runStart = 0;
          }
        }
      }
    }
  } else {
    return Refused("memhost's SpecialCells knows visible, blank, constant and formula cells");
  }
  if (found.empty()) return Refused("No cells were found.");
  return Make(sheet_, std::move(found));
}

}  // namespace kx::memhost
