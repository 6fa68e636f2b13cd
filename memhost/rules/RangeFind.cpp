// Range.Find: the host's search over displayed text (or formulas), starting after a cell and
// wrapping round, with the options the host remembers between calls.

#include <algorithm>
#include <span>

#include "host/Wildcards.h"
#include "memhost/index/CellKeys.h"
#include "memhost/objects/CellWrite.h"
#include "memhost/rules/DisplayText.h"
#include "memhost/objects/Range.h"
#include "memhost/rules/TextMatch.h"

namespace kx::memhost {

namespace {

// A cell's place in the search order: its area, then its offset in that area.
struct Place {
  size_t area = 0;
  std::int64_t offset = 0;
  friend auto operator<=>(const Place&, const Place&) = default;
};

class SearchOrder {
 public:
  SearchOrder(const std::vector<Area>& areas, bool byRows) : areas_(areas), byRows_(byRows) {}

  std::optional<Place> PlaceOf(CellPos p) const {
    for (size_t i = 0; i < areas_.size(); ++i) {
      const Area& a = areas_[i];
      if (!a.Contains(p)) continue;
      std::int64_t r = p.row - a.firstRow, c = p.column - a.firstColumn;
      return Place{i, byRows_ ? r * a.columns() + c : c * a.rows() + r};
    }
    return std::nullopt;
  }
  CellPos PosOf(Place pl) const {
    const Area& a = areas_[pl.area];
    std::int64_t r, c;
    if (byRows_) r = pl.offset / a.columns(), c = pl.offset % a.columns();
    else c = pl.offset / a.rows(), r = pl.offset % a.rows();
    return {static_cast<std::int32_t>(a.firstRow + r), static_cast<std::int32_t>(a.firstColumn + c)};
  }
  Place Step(Place pl, bool forward) const {
    if (forward) {
      if (++pl.offset < areas_[pl.area].cells()) return pl;
      return {(pl.area + 1) % areas_.size(), 0};
    }
    if (pl.offset-- > 0) return pl;
    size_t area = pl.area == 0 ? areas_.size() - 1 : pl.area - 1;
    return {area, areas_[area].cells() - 1};
  }
  std::int64_t Total() const {
    std::int64_t n = 0;
    for (const Area& a : areas_) n += a.cells();
    return n;
  }

 private:
  const std::vector<Area>& areas_;
  bool byRows_;
};

std::string WhatText(const host::Variant& what) {
  switch (what.kind()) {
    case host::Variant::Kind::Number: return GeneralNumber(what.AsNumber());
    case host::Variant::Kind::Date: return DisplayText(what, "m/d/yyyy");
    default: return DisplayText(what, "General");
  }
}

}  // namespace

host::Result<host::RangeRef> Range::Find(const host::FindArgs& args) {
  KX_TRY(Enter("Range.Find"));
  HostState& state = *sheet_->state;
  // Omitted options take the remembered ones; given ones are remembered for next time.
  long lookIn = state.findLookIn = args.LookIn.value_or(state.findLookIn);
  long lookAt = state.findLookAt = args.LookAt.value_or(state.findLookAt);
  long order = state.findSearchOrder = args.SearchOrder.value_or(state.findSearchOrder);
  bool matchCase = state.findMatchCase = args.MatchCase.value_or(state.findMatchCase);
  bool forward = args.SearchDirection.value_or(host::xl::SearchNext) != host::xl::SearchPrevious;
  bool whole = lookAt == host::xl::LookAtWhole;
  bool byRows = order != host::xl::SearchByColumns;
  if (lookIn == host::xl::LookInComments) return host::RangeRef();  // memhost keeps no comments

  SearchOrder searchOrder(areas_, byRows);
  CellPos afterPos = First();
  if (args.After) {
    // The host wants After to be one cell inside the searched range; memhost refuses anything
    // else with 1004 rather than guess where to start.
    Range* after = From(args.After);
    if (!after || after->sheet_->sheet != sheet_->sheet || after->areas_.size() != 1 ||
        after->areas_[0].cells() != 1 || !searchOrder.PlaceOf(after->First())) {
      return host::Fail(host::err::ApplicationDefined, "Find: After must be a cell of the range");
    }
    afterPos = after->First();
  }
  Place start = *searchOrder.PlaceOf(afterPos);

  // The cell found is made as Cells(row, column) makes it: the last one given out is reused
  // once nobody holds it.
  auto found = [&](CellPos p) {
    // Whoever finds a cell reads or clears it next: its slot is asked for now.
    sheet_->sheet->Prefetch(p);
    return OneCell(p);
  };
  // The cells showing a value, by rows, and the one of them after `start` in the search order
  // (wrapping round); the index lists them in that order when the search goes by rows or the
  // area is one column.
  auto pickShown = [&](std::span<const CellPos> shown) -> host::RangeRef {
    if (shown.empty()) return host::RangeRef();
    CellPos target = searchOrder.PosOf(start);
    const Sheet& sheet = *sheet_->sheet;
    if (forward) {
      auto it = std::upper_bound(shown.begin(), shown.end(), target);
      if (it == shown.end()) it = shown.begin();
      // The add-in goes on through the value's cells, a search and a read each, in this
      // order: the cell four searches on is asked for now, and the text of the one two on,
      // whose cell came two searches ago.
      const auto i = static_cast<size_t>(it - shown.begin());
      if (i + 4 < shown.size()) sheet.Prefetch(shown[i + 4]);
      if (i + 2 < shown.size()) sheet.PrefetchText(shown[i + 2]);
      return found(*it);
    }
    auto it = std::lower_bound(shown.begin(), shown.end(), target);
    return found(it == shown.begin() ? shown.back() : *(it - 1));
  };
  const bool indexable = lookIn == host::xl::LookInValues && whole && areas_.size() == 1 &&
                         (byRows || areas_[0].columns() == 1);

  // The add-in's search: a text without wildcards, in any case, whole, among the values of one
  // area. The index answers by the text's own key, and no pattern is made of it.
  if (indexable && !matchCase && args.What.IsText() && !args.What.AsText().empty() &&
      host::FirstWildcardChar(args.What.AsText()) == args.What.AsText().size()) {
    AreaIndex& index = state.indexes.For(sheet_->book, sheet_->sheet, areas_[0]);
    SetTextKey(args.What.AsText(), state.findKey);
    // The add-in looks for the value of the cell it read last, most often.
    const bool readHere = state.lastReadSheet == sheet_->sheet.get();
    return pickShown(index.Shown(state.findKey, readHere ? state.lastReadCell : CellPos{0, 0}));
  }

  // Text, what the add-in looks for, is its own display text: read in place, not copied.
  std::string whatShown;
  if (!args.What.IsText()) whatShown = WhatText(args.What);
  Pattern pattern(args.What.IsText() ? args.What.AsText() : whatShown, matchCase);
  std::string_view literal = FirstChars(pattern.Literal(), kComparedChars);
  const Book& book = *sheet_->book;
  const Sheet& sheet = *sheet_->sheet;
  auto matches = [&](const Cell* cell) {
    std::string text = lookIn == host::xl::LookInFormulas ? CellFormula(cell) : CellText(book, cell);
    if (!whole) return pattern.MatchesPart(text);
    if (!pattern.IsLiteral()) return pattern.MatchesWhole(text);
    std::string_view first = FirstChars(text, kComparedChars);
    return matchCase ? first == literal : Fold(first) == literal;
  };
  // Candidates in search order, After itself last.
  auto pick = [&](const std::vector<Place>& places) -> host::RangeRef {
    if (places.empty()) return nullptr;
    if (forward) {
      auto it = std::upper_bound(places.begin(), places.end(), start);
      return found(searchOrder.PosOf(it == places.end() ? places.front() : *it));
    }
    auto it = std::lower_bound(places.begin(), places.end(), start);
    return found(searchOrder.PosOf(it == places.begin() ? places.back() : *(it - 1)));
  };

  bool blankCanMatch = whole ? pattern.MatchesWhole("") : pattern.MatchesPart("");
  if (blankCanMatch) {
    // Walk every cell; an empty cell matches, so the walk ends soon.
    Place p = start;
    for (std::int64_t n = searchOrder.Total(); n > 0; --n) {
      p = searchOrder.Step(p, forward);
      CellPos pos = searchOrder.PosOf(p);
      if (matches(sheet.CellAt(pos))) return found(pos);
    }
    return host::RangeRef();
  }

  std::vector<Place> places;
  if (indexable && pattern.IsLiteral()) {
    AreaIndex& index = state.indexes.For(sheet_->book, sheet_->sheet, areas_[0]);
    SetTextKey(literal, state.findKey);
    std::span<const CellPos> shown = index.Shown(state.findKey);
    if (shown.empty()) return host::RangeRef();
    if (!matchCase) return pickShown(shown);
    for (CellPos p : shown) {
      if (matches(sheet.CellAt(p))) places.push_back(*searchOrder.PlaceOf(p));
    }
    return pick(places);
  }

  for (CellPos pos : StoredCells(sheet, areas_)) {
    if (matches(sheet.CellAt(pos))) places.push_back(*searchOrder.PlaceOf(pos));
  }
  std::sort(places.begin(), places.end());
  places.erase(std::unique(places.begin(), places.end()), places.end());
  return pick(places);
}

}  // namespace kx::memhost
