#include "engines/WorkingCells.h"

#include <algorithm>
#include <cstring>

#include "engines/UndoRecord.h"

#include "engines/ValueText.h"
#include "host/AsciiWords.h"

namespace kx::engines {

namespace {

std::optional<host::Variant> CellValue(host::Range& range, long row) {
  auto cell = range.Cells(row, 1);
  if (!cell.ok()) return std::nullopt;
  auto value = cell.value()->Value();
  if (!value.ok()) return std::nullopt;
  return std::move(value).value();
}

}  // namespace

std::optional<std::string> CellText(host::Range& range, long row) {
  auto value = CellValue(range, row);
  if (!value) return std::nullopt;
  // A text is taken as it came: a copy of a long one (a name, a card number) is an allocation.
  if (value->IsText()) return std::move(*value).AsText();
  return ValueAsText(*value);
}

std::optional<ComparedValue> CellComparison(host::Range& range, long row) {
  auto value = CellValue(range, row);
  if (!value) return std::nullopt;
  const bool heldAsText = value->IsText();
  auto text = ComparisonText(std::move(*value));
  if (!text) return std::nullopt;
  return ComparedValue{std::move(*text), heldAsText};
}

namespace {

// The first cell after `after` in `within` that shows the text itself, whatever its case.
host::Result<host::RangeRef> FindShowing(host::Range& within, const std::string& text,
                                         const host::RangeRef& after) {
  // As with the criteria, the search text is built in one buffer for the whole run.
  static std::string scratch;
  scratch.clear();
  AppendEscapedWildcards(text, scratch);
  host::FindArgs find;
  find.What = host::Variant(std::move(scratch));
  find.After = after;
  find.LookIn = host::xl::LookInValues;
  find.LookAt = host::xl::LookAtWhole;
  find.SearchOrder = host::xl::SearchByRows;
  find.SearchDirection = host::xl::SearchNext;
  find.MatchCase = false;
  auto found = within.Find(find);
  scratch = std::move(find.What).AsText();
  return found;
}

host::Result<bool> HoldsText(host::Range& cell) {
  auto value = KX_TRY(cell.Value());
  return value.IsText();
}

// Calls `visit` with every cell of `within` that holds the text itself (a boolean or error
// value showing the same letters is another value), in search order from the cell after `after`,
// until it returns false. Each cell is visited once: the search ends where it began.
template <class Visit>
host::Result<void> ForEachHolding(host::Range& within, const std::string& text,
                                  const host::RangeRef& after, Visit&& visit) {
  host::RangeRef cell = KX_TRY(FindShowing(within, text, after));
  if (!cell) return {};
  const std::string first = KX_TRY(cell->Address());
  for (;;) {
    if (KX_TRY(HoldsText(*cell)) && !visit(cell)) return {};
    host::RangeRef next = KX_TRY(FindShowing(within, text, cell));
    if (!next || KX_TRY(next->Address()) == first) return {};
    cell = std::move(next);
  }
}

}  // namespace

namespace {
bool Misread(const ComparedValue& value) {
  return value.heldAsText && CriterionMisreads(value.text);
}

std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 30;
  x *= 0xbf58476d1ce4e5b9ULL;
  x ^= x >> 27;
  x *= 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

}  // namespace

std::optional<SearchedCounts::Print> SearchedCounts::Fingerprint(std::string_view text) {
  // Two lanes over the text's bytes, eight at a time (the last word filled up with zeros), each
  // folded in its own way; the capitals are made small letters a word at a time.
  std::uint64_t a = 0x9e3779b97f4a7c15ULL ^ text.size(), b = 0xc2b2ae3d27d4eb4fULL + text.size();
  for (size_t at = 0; at < text.size(); at += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, text.data() + at, std::min<size_t>(8, text.size() - at));
    if (!host::AllAscii(word)) return std::nullopt;
    word = host::FoldAsciiWord(word);
    a = Mix(a ^ word);
    b = Mix(b + word * 0xff51afd7ed558ccdULL);
  }
  a = Mix(a ^ (b >> 32));
  return Print{a == 0 ? 1 : a, static_cast<std::uint32_t>(b)};
}

size_t SearchedCounts::SlotOf(const Print& print) const {
  const size_t mask = slots_.size() - 1;
  size_t at = static_cast<size_t>(print.key) & mask;
  while (slots_[at].key != 0 && (slots_[at].key != print.key || slots_[at].check != print.check)) {
    at = (at + 1) & mask;
  }
  return at;
}

void SearchedCounts::Expect(std::string_view text) {
  expected_ = Fingerprint(text);
  if (expected_ && !slots_.empty()) {
    __builtin_prefetch(&slots_[static_cast<size_t>(expected_->key) & (slots_.size() - 1)]);
  }
}

std::optional<double> SearchedCounts::Find() const {
  if (slots_.empty() || !expected_) return std::nullopt;
  const Slot& slot = slots_[SlotOf(*expected_)];
  if (slot.key == 0) return std::nullopt;
  return slot.count;
}

void SearchedCounts::Remember(double count) {
  if (!expected_ || count < 0 || count > 4294967295.0) return;
  if ((used_ + 1) * 2 > slots_.size()) Grow();
  Slot& slot = slots_[SlotOf(*expected_)];
  if (slot.key == 0) ++used_;
  slot = Slot{expected_->key, expected_->check, static_cast<std::uint32_t>(count)};
}

void SearchedCounts::Grow() {
  std::vector<Slot> old = std::move(slots_);
  slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
  for (const Slot& s : old) {
    if (s.key != 0) slots_[SlotOf({s.key, s.check})] = s;
  }
}

host::Result<double> Occurrences(host::Application& app, const host::RangeRef& column,
                                 const ComparedValue& value, SearchedCounts* searched) {
  const std::string& text = value.text;
  const bool misread = Misread(value);
  // Where the text was searched for before, its count is on its way while the host counts.
  if (misread && searched) searched->Expect(text);
  auto function = KX_TRY(app.WorksheetFunction());
  // The criterion's text goes back into the scratch after the call: a run of a million rows
  // builds its criteria in one buffer. The host calls the add-in on one thread.
  static std::string scratch;
  WriteLiteralCriterion(text, scratch);
  host::Variant criterion(std::move(scratch));
  auto count = function->CountIf(column, criterion);
  scratch = std::move(criterion).AsText();
  double counted = KX_TRY(std::move(count));
  if (!misread) return counted;
  // A long number's text is counted by the host with every text sharing its first 15 digits,
  // itself included: counted once, it is the only one, and nothing need be looked at.
  if (counted == 1 && !SpellsKeyword(text)) return counted;
  if (searched) {
    if (auto known = searched->Find()) return *known;
  }
  // The host counted another value (the boolean, the error, every number sharing the first 15
  // digits): the cells holding the very text are counted instead.
  double holding = 0;
  KX_TRY(ForEachHolding(*column, text, nullptr, [&](const host::RangeRef&) {
    ++holding;
    return true;
  }));
  if (searched) searched->Remember(holding);
  return holding;
}

host::Result<host::RangeRef> FindOccurrence(host::Range& within, const ComparedValue& value,
                                            const host::RangeRef& after) {
  const std::string& text = value.text;
  if (!Misread(value)) return FindShowing(within, text, after);
  host::RangeRef found;
  KX_TRY(ForEachHolding(within, text, after, [&](const host::RangeRef& cell) {
    found = cell;
    return false;
  }));
  return found;
}

host::Result<void> ClearCell(ui::AddinState& state, host::Range& range, long row) {
  auto cell = KX_TRY(range.Cells(row, 1));
  return ClearRecorded(state, *cell);
}

host::Result<void> FilterUniqueInPlace(host::Range& range) {
  host::AdvancedFilterArgs filter;
  filter.Action = host::xl::FilterInPlace;
  filter.Unique = true;
  return range.AdvancedFilter(filter);
}

host::Result<void> ShowAllRows(host::Application& app) {
  auto sheet = KX_TRY(app.ActiveSheet());
  if (!sheet) return host::Fail(host::err::ObjectNotSet, "no active sheet");
  return sheet->ShowAllData();
}

host::Result<void> PaintCells(host::Range& cells, const host::Variant& colorIndex) {
  auto interior = KX_TRY(cells.Interior());
  return interior->SetColorIndex(colorIndex);
}

}  // namespace kx::engines
