#include "memhost/index/ValueIndex.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <system_error>
#include <thread>

#include "memhost/index/CellKeys.h"
#include "memhost/rules/DisplayText.h"
#include "memhost/rules/TypedInput.h"

namespace kx::memhost {

namespace {
bool ByRows(CellPos a, CellPos b) {
  return a < b;
}

// Runs work(0) here and work(1) on a thread of its own, and returns when both are done; what
// either throws is thrown here. Without a thread to spare, both run here in turn.
template <class Work>
void RunOnTwoThreads(Work& work) {
  std::exception_ptr failed;
  std::thread other;
  try {
    other = std::thread([&] {
      try {
        work(1);
      } catch (...) {
        failed = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    work(0);
    work(1);
    return;
  }
  try {
    work(0);
  } catch (...) {
    other.join();
    throw;
  }
  other.join();
  if (failed) std::rethrow_exception(failed);
}
}  // namespace

AreaIndex::AreaIndex(const Sheet& sheet, const Area& area, const StyleTable& styles)
    : area_(area), styles_(styles), sheet_(sheet), textAsItself_(styles) {
  // Mostly one entry a stored cell: growing the table step by step would rehash it many times.
  entries_.reserve(static_cast<size_t>(
      std::min<std::int64_t>(static_cast<std::int64_t>(sheet.CellCount()), area.cells())));
  if (area.columns() == 1) {
    // As far as the column holds cells: a whole column of a small sheet needs a few places.
    auto used = sheet.UsedArea();
    std::int64_t last = used ? std::min<std::int64_t>(used->lastRow, area.lastRow) : 0;
    places_.assign(static_cast<size_t>(std::max<std::int64_t>(0, last - area.firstRow + 1)), 0);
  }
  // Plain text, the common case, goes through a look-ahead so that filing a million cells does
  // not wait on memory for each; other cells keep their place in the order and are filed as
  // every change files them.
  struct Due {
    CellPos pos;
    const Cell* cell = nullptr;
  };
  if (area.columns() == 1 && sheet.CellCount() >= splitBuildFrom &&
      std::thread::hardware_concurrency() >= 2) {
    BuildSplit(sheet);
    return;
  }
  LookAhead<SplitKeyMap<Entry>, Due> feed(entries_);
  // Cells arrive by rows in a one-column area, so the pending positions are filed in order.
  const bool deferShown = area.columns() == 1;
  auto file = [&](Entry* entry, std::uint32_t place, const Due& due) {
    if (entry == nullptr) {
      File(due.pos, *due.cell);
      return;
    }
    ++nonBlank_;
    ++entry->count;
    if (deferShown && (entry->one.row != 0 || entry->many)) {
      pendingShown_.push_back({place, due.pos});
    } else {
      entry->AddShown(due.pos);
    }
    Remember(places_, due.pos, place);
  };
  for (std::int32_t column : sheet.UsedColumns()) {
    if (column < area.firstColumn || column > area.lastColumn) continue;
    sheet.ForEachInColumn(
        column, area.firstRow, area.lastRow, [&](std::int32_t row, const Cell& cell) {
          Due due{{row, column}, &cell};
          if (!IsPlainText(cell)) return feed.Push(nullptr, due, file);
          feed.PushWritten([&](std::string& key) { SetTextKey(cell.value.AsText(), key); }, due,
                           file);
        });
  }
  feed.Flush(file);
  if (area.columns() > 1) {
    entries_.ForEachItem([](auto& item) { item.second.many.Sort(); });
  }
}

void AreaIndex::BuildSplit(const Sheet& sheet) {
  // Two threads share the work: each folds the texts of half the rows, then each files the keys
  // of one half of the table. Filing waits on memory, a random slot and item for each key, and
  // two cores wait on twice as many at once. Numbers and text shown as itself go this way,
  // numeric text (a column of card or account numbers) included; truth values, errors and text
  // in another format are filed afterwards, in order, as every change files them.
  const std::int32_t column = area_.firstColumn;
  auto stored = sheet.StoredRows(column);
  if (!stored) return;
  const std::int32_t from = std::max(area_.firstRow, stored->first);
  const std::int32_t to = std::min(area_.lastRow, stored->second);
  if (from > to) return;
  // Reading a style's format is learnt once per style; learnt now, it is only read later.
  for (StyleId style = 0; style < styles_.size(); ++style) (void)textAsItself_(style);

  // What a key stands for: plain text has one key for counting and showing; numeric text is
  // counted by its number and shown by its text, two keys.
  enum class Role : std::uint8_t { Both, Count, Shown };
  struct Keyed {
    std::uint32_t hash;    // the bits a table's slots keep; the half was chosen by another
    std::uint32_t offset;  // of the key in its half's text
    std::uint16_t size;    // a key is at most a few bytes for each of 255 characters
    Role role;
    std::int32_t row;
  };
  struct Half {
    std::string keys;  // every key of the half, one after another
    std::array<std::vector<Keyed>, 2> byPart;
    std::vector<std::pair<std::int32_t, const Cell*>> others;
    std::vector<PendingShown> pending;  // of the table's half with the same number
    bool twoKeys = false;               // whether any cell is counted and shown by two keys
    std::int64_t filed = 0;
    size_t deferred = 0;  // cells counted whose position waits for a search
  };
  std::array<Half, 2> halves;
  const std::int32_t middle = from + (to - from) / 2;

  auto fold = [&](size_t h) {
    Half& half = halves[h];
    std::int32_t first = h == 0 ? from : middle + 1, last = h == 0 ? middle : to;
    auto rows = static_cast<size_t>(std::max(0, last - first + 1));
    half.keys.reserve(rows * 20);
    for (auto& part : half.byPart) part.reserve(rows / 2 + rows / 16);
    auto keyed = [&](size_t offset, Role role, std::int32_t row) {
      std::string_view key(half.keys.data() + offset, half.keys.size() - offset);
      std::uint64_t hash = SplitKeyMap<Entry>::Hash(key);
      half.byPart[SplitKeyMap<Entry>::PartOf(hash)].push_back(
          {static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(offset),
           static_cast<std::uint16_t>(key.size()), role, row});
    };
    sheet.ForEachInColumn(column, first, last, [&](std::int32_t row, const Cell& cell) {
      // A number, whatever its format, is counted by its number here; where it shows is filed
      // at the first search (FilesShownNow).
      if (cell.value.IsNumber()) {
        size_t offset = half.keys.size();
        half.keys += NumberKey(cell.value.AsNumber());
        keyed(offset, Role::Count, row);
        ++half.deferred;
        return;
      }
      if (!cell.value.IsText() || !ShowsAsItself(cell)) {
        half.others.emplace_back(row, &cell);
        return;
      }
      const std::string& text = cell.value.AsText();
      const bool plain = !MayBeNumberText(text);
      std::optional<NumberText> number;
      if (!plain) number = ReadNumberText(text);
      const bool shownNow = plain || FilesShownNow(cell);
      if (!shownNow) ++half.deferred;
      if (number) {
        size_t offset = half.keys.size();
        half.keys += NumberKey(number->value);
        keyed(offset, Role::Count, row);
        if (!shownNow) return;
        half.twoKeys = true;
      }
      size_t offset = half.keys.size();
      AppendTextKey(text, half.keys);
      keyed(offset, number ? Role::Shown : shownNow ? Role::Both : Role::Count, row);
    });
  };
  auto file = [&](size_t p) {
    FlatKeyMap<Entry>& map = entries_.part(p);
    Half& mine = halves[p];
    // Numeric text brings two keys a cell: the table grows now, while it is empty, rather than
    // being rehashed half full.
    map.reserve(halves[0].byPart[p].size() + halves[1].byPart[p].size());
    constexpr size_t kAhead = 16;
    for (const Half& half : halves) {
      const auto& keyed = half.byPart[p];
      for (size_t k = 0; k < keyed.size(); ++k) {
        if (k + kAhead < keyed.size()) map.Prefetch(keyed[k + kAhead].hash);
        const Keyed& c = keyed[k];
        std::uint32_t place = 0;
        Entry& entry =
            map.Insert(std::string_view(half.keys.data() + c.offset, c.size), c.hash, &place);
        place = SplitKeyMap<Entry>::PlaceIn(p, place);
        CellPos pos{c.row, column};
        if (c.role != Role::Shown) {
          ++entry.count;
          // Each thread writes the places of the rows whose count keys fall in its half of the
          // table, one key a row; the list was sized for every stored row.
          if (auto i = static_cast<size_t>(c.row - area_.firstRow); i < places_.size()) {
            places_[i] = place;
          }
          ++mine.filed;
        }
        if (c.role != Role::Count) {
          // Rows come in order, so each entry's pending positions do too.
          if (entry.one.row != 0 || entry.many) mine.pending.push_back({place, pos});
          else entry.AddShown(pos);
        }
        if (c.role == Role::Shown) {
          if (auto i = static_cast<size_t>(c.row - area_.firstRow); i < shownPlaces_.size()) {
            shownPlaces_[i] = place;
          }
        }
      }
    }
  };
  RunOnTwoThreads(fold);
  if (halves[0].twoKeys || halves[1].twoKeys) shownPlaces_.assign(places_.size(), 0);
  RunOnTwoThreads(file);

  nonBlank_ += halves[0].filed + halves[1].filed;
  deferred_ += halves[0].deferred + halves[1].deferred;
  // Each half of the table kept its pending positions by rows; the list is by rows throughout.
  pendingShown_.resize(halves[0].pending.size() + halves[1].pending.size());
  std::merge(halves[0].pending.begin(), halves[0].pending.end(), halves[1].pending.begin(),
             halves[1].pending.end(), pendingShown_.begin(),
             [](const PendingShown& a, const PendingShown& b) { return ByRows(a.pos, b.pos); });
  for (const Half& half : halves) {
    for (auto [row, cell] : half.others) File({row, column}, *cell);
  }
}

void AreaIndex::CellList::Insert(CellPos pos) {
  if (block_ == nullptr || block_->size == block_->room) {
    std::uint32_t room = block_ == nullptr ? 2 : block_->room * 2;
    auto* grown =
        static_cast<Header*>(std::realloc(block_, sizeof(Header) + room * sizeof(CellPos)));
    if (grown == nullptr) throw std::bad_alloc();
    if (block_ == nullptr) grown->size = 0;
    grown->room = room;
    block_ = grown;
  }
  CellPos* cells = Cells();
  std::uint32_t n = block_->size;
  // Cells mostly arrive in order; otherwise the list stays by rows.
  if (n == 0 || ByRows(cells[n - 1], pos)) {
    cells[n] = pos;
  } else {
    CellPos* at = std::lower_bound(cells, cells + n, pos, ByRows);
    std::memmove(at + 1, at, static_cast<size_t>(cells + n - at) * sizeof(CellPos));
    *at = pos;
  }
  ++block_->size;
}

bool AreaIndex::CellList::Erase(CellPos pos) {
  if (block_ == nullptr) return false;
  CellPos* cells = Cells();
  CellPos* end = cells + block_->size;
  CellPos* at = std::lower_bound(cells, end, pos, ByRows);
  if (at == end || !(*at == pos)) return false;
  std::memmove(at, at + 1, static_cast<size_t>(end - at - 1) * sizeof(CellPos));
  --block_->size;
  return true;
}

void AreaIndex::CellList::Sort() {
  if (block_ != nullptr) std::sort(Cells(), Cells() + block_->size, ByRows);
}

std::span<const CellPos> AreaIndex::Entry::Shown() const {
  if (many) return many.cells();
  if (one.row != 0) return {&one, 1};
  return {};
}

void AreaIndex::Entry::AddShown(CellPos pos) {
  if (!many && one.row == 0) {
    one = pos;
    return;
  }
  if (!many) {
    many.Insert(one);
    one = {0, 0};
  }
  many.Insert(pos);
}

bool AreaIndex::Entry::RemoveShown(CellPos pos) {
  if (!many) {
    if (!(one == pos)) return false;
    one = {0, 0};
    return true;
  }
  if (!many.Erase(pos)) return false;
  std::span<const CellPos> left = many.cells();
  if (left.size() <= 1) {
    one = left.empty() ? CellPos{0, 0} : left.front();
    many.Reset();
  }
  return true;
}

std::int64_t AreaIndex::Count(const std::string& key) const {
  Counting();
  const Entry* entry = entries_.Find(key);
  return entry == nullptr ? 0 : entry->count;
}

std::int64_t AreaIndex::Count(const std::string& key, CellPos likely) const {
  Counting();
  if (area_.Contains(likely)) {
    FetchAhead(likely);
    if (const Entry* entry = entries_.At(PlaceOf(likely), key)) return entry->count;
  }
  return Count(key);
}

std::optional<std::int64_t> AreaIndex::CountOfText(std::string_view text, CellPos likely) const {
  if (!area_.Contains(likely)) return std::nullopt;
  // A plain text cell's place is its entry's, kept by every change: its key need not be
  // checked, and the text need not be folded to make one.
  const std::uint32_t place = PlaceOf(likely);
  if (place == 0) return std::nullopt;
  const Cell* cell = sheet_.CellAt(likely);
  if (cell == nullptr || !IsPlainText(*cell) || cell->value.AsText() != text) return std::nullopt;
  const Entry* entry = entries_.AtPlace(place);
  if (entry == nullptr) return std::nullopt;
  Counting();
  FetchAhead(likely);
  return entry->count;
}

AreaIndex::Entry& AreaIndex::EntryFor(std::string_view key, std::uint32_t* place) {
  const std::uint64_t hash = SplitKeyMap<Entry>::Hash(key);
  // Entries left unused are dropped, many at a time, when the table would otherwise grow: a
  // run clearing a million cells never pays for it, and writing new values in place of old
  // ones reuses the old ones' room.
  if (unused_ > 0 && unused_ >= entries_.size() / 4 && entries_.FullFor(hash)) DropUnused();
  return entries_.Insert(key, hash, place);
}

std::uint32_t AreaIndex::PlaceOf(CellPos pos) const {
  return PlaceAt(places_, static_cast<size_t>(pos.row - area_.firstRow));
}

void AreaIndex::FetchAhead(CellPos pos) const {
  // The add-in counts a row at a time, down its column or up it: on a column larger than the
  // cache each count would wait on memory for its entry. The entries of the rows 16 ahead are
  // asked for now, and the position lists of those 8 ahead (whose entries came 8 counts ago),
  // which a clearing of that row will edit.
  const std::int32_t step = pos.row - lastAsked_;
  lastAsked_ = pos.row;
  if (step != 1 && step != -1) return;
  const std::int64_t i = std::int64_t{pos.row} - area_.firstRow;
  const auto n = static_cast<std::int64_t>(places_.size());
  // A cell counted under one key and shown under another has its shown entry fetched too, once
  // the add-in has searched: it searches for such a value (a long number's text) after
  // counting it, and for no other (a number, a short one).
  const bool shownApart = searched_ && !shownPlaces_.empty();
  if (std::int64_t far = i + 16 * step; far >= 0 && far < n) {
    entries_.PrefetchItem(places_[static_cast<size_t>(far)]);
    if (shownApart) entries_.PrefetchItem(PlaceAt(shownPlaces_, static_cast<size_t>(far)));
  }
  if (std::int64_t near = i + 8 * step; near >= 0 && near < n) {
    if (const auto* item = entries_.PrefetchItem(places_[static_cast<size_t>(near)])) {
      item->second.many.Prefetch();
    }
    if (shownApart) {
      if (const auto* item =
              entries_.PrefetchItem(PlaceAt(shownPlaces_, static_cast<size_t>(near)))) {
        item->second.many.Prefetch();
      }
    }
  }
  if (!shownApart) return;
  // The search then reads every cell showing the value, at random rows but for the counted
  // one: their cells are asked for 4 rows ahead, once their list has come, and the characters
  // of their texts 2 rows ahead, once the cells have come.
  if (std::int64_t mid = i + 4 * step; mid >= 0 && mid < n) FetchShownCells(mid, false);
  if (std::int64_t close = i + 2 * step; close >= 0 && close < n) FetchShownCells(close, true);
}

void AreaIndex::FetchShownCells(std::int64_t i, bool texts) const {
  // A hint: the place may name another entry since, which costs a fetch and nothing else.
  const Entry* entry = entries_.AtPlace(PlaceAt(shownPlaces_, static_cast<size_t>(i)));
  if (entry == nullptr || !entry->many) return;
  const std::int32_t row = area_.firstRow + static_cast<std::int32_t>(i);
  constexpr size_t kMostFetched = 4;
  auto cells = entry->many.cells();
  for (CellPos pos : cells.first(std::min(cells.size(), kMostFetched))) {
    if (pos.row == row) continue;  // read with the walk
    if (texts) {
      sheet_.PrefetchText(pos);
    } else {
      sheet_.Prefetch(pos);
    }
  }
}

void AreaIndex::Remember(std::vector<std::uint32_t>& byRow, CellPos pos, std::uint32_t place) {
  if (area_.columns() != 1) return;
  auto i = static_cast<size_t>(pos.row - area_.firstRow);
  if (i >= byRow.size()) {
    if (place == 0) return;
    byRow.resize(std::max(i + 1, byRow.size() + byRow.size() / 2), 0);
  }
  byRow[i] = place;
}

void AreaIndex::RemoveShown(Entry& entry, CellPos pos) {
  if (entry.RemoveShown(pos) || pendingShown_.empty()) return;
  // A position still pending is marked gone. Clearing runs up or down a column, so the
  // neighbours of the last one marked are looked at first.
  auto at = [&](size_t i) { return i < pendingShown_.size() && pendingShown_[i].pos == pos; };
  size_t i = pendingHint_;
  if (!at(i)) i = pendingHint_ - 1;
  if (!at(i)) i = pendingHint_ + 1;
  if (!at(i)) {
    auto it = std::lower_bound(pendingShown_.begin(), pendingShown_.end(), pos,
                               [](const PendingShown& p, CellPos q) { return ByRows(p.pos, q); });
    i = static_cast<size_t>(it - pendingShown_.begin());
    if (!at(i)) return;
  }
  pendingShown_[i].place = 0;
  pendingHint_ = i;
}

void AreaIndex::FilePendingShown() {
  if (pendingShown_.empty()) return;
  // The places follow their entries when unused ones are dropped, and cleared positions are 0.
  constexpr size_t kAhead = 8;
  for (size_t i = 0; i < pendingShown_.size(); ++i) {
    if (i + kAhead < pendingShown_.size()) entries_.PrefetchItem(pendingShown_[i + kAhead].place);
    if (pendingShown_[i].place != 0) {
      entries_.ItemAt(pendingShown_[i].place).second.AddShown(pendingShown_[i].pos);
    }
  }
  pendingShown_.clear();
  pendingShown_.shrink_to_fit();
}

std::span<const CellPos> AreaIndex::Shown(const std::string& key, CellPos likely) {
  searched_ = true;
  FilePendingShown();
  if (!shownApartFiled_) FileShownApart();
  const Entry* entry = FollowCleared(key);
  // A search going on through the cells of one value asks for the entry it asked for last.
  if (entry == nullptr) entry = entries_.At(lastShown_, key);
  if (entry == nullptr && area_.Contains(likely)) {
    const std::uint32_t apart =
        PlaceAt(shownPlaces_, static_cast<size_t>(likely.row - area_.firstRow));
    lastShown_ = apart != 0 ? apart : PlaceOf(likely);
    entry = entries_.At(lastShown_, key);
  }
  if (entry == nullptr) entry = entries_.Find(key, &lastShown_);
  return entry == nullptr ? std::span<const CellPos>() : entry->Shown();
}

void AreaIndex::RecordCleared(std::uint32_t place) {
  if (searching_ || area_.columns() != 1) return;
  // A run without searches clears each row once: a record longer than the column is one
  // nobody followed.
  if (cleared_.size() > places_.size()) cleared_.clear();
  cleared_.push_back(place);
}

void AreaIndex::Counting() const {
  if (!searching_) return;
  searching_ = false;
  cleared_.clear();
  clearedNext_ = 0;
}

const AreaIndex::Entry* AreaIndex::FollowCleared(const std::string& key) {
  if (!searching_) {
    searching_ = true;
    clearedNext_ = 0;
    clearedMissed_ = 0;
  }
  // A value looked for twice, or one cleared and never looked for, puts the search one off the
  // record: the one after is tried too. Searches that keep to another order end the following.
  for (size_t next = clearedNext_; next < cleared_.size() && next <= clearedNext_ + 1; ++next) {
    if (const Entry* entry = entries_.At(cleared_[next], key)) {
      clearedNext_ = next + 1;
      clearedMissed_ = 0;
      FetchClearedAhead();
      return entry;
    }
  }
  constexpr int kGiveUp = 16;
  if (!cleared_.empty() && ++clearedMissed_ == kGiveUp) {
    cleared_.clear();
    clearedNext_ = 0;
  }
  return nullptr;
}

void AreaIndex::FetchClearedAhead() {
  // The entry of the search 16 ahead; the position list, or the one cell, of the search 8 ahead
  // (its entry came 8 searches ago); the first cell of a list that came 4 searches ago. The
  // search finds that cell, and the add-in clears it.
  const size_t c = clearedNext_;
  if (c + 16 < cleared_.size()) entries_.PrefetchItem(cleared_[c + 16]);
  if (c + 8 < cleared_.size()) {
    if (const auto* item = entries_.PrefetchItem(cleared_[c + 8])) {
      const Entry& entry = item->second;
      if (entry.many) entry.many.Prefetch();
      else if (entry.one.row != 0) sheet_.Prefetch(entry.one);
    }
  }
  if (c + 4 < cleared_.size()) {
    if (const auto* item = entries_.PrefetchItem(cleared_[c + 4])) {
      if (auto cells = item->second.many.cells(); !cells.empty()) sheet_.Prefetch(cells.front());
    }
  }
}

bool AreaIndex::ShowsAsItself(const Cell& cell) const {
  return cell.value.IsText() && textAsItself_(cell.style);
}

bool AreaIndex::IsPlainText(const Cell& cell) const {
  return cell.value.IsText() && !MayBeNumberText(cell.value.AsText()) && ShowsAsItself(cell);
}

bool AreaIndex::FilesShownBeforeSearch(const Cell& cell) const {
  // More than 15 bytes: every number's text that a number cannot hold (a card or account
  // number) among them. Any rule that reads the cell alone would do, as the filing, the
  // taking out and the filing left for later all follow it.
  return cell.value.IsText() && cell.value.AsText().size() > 15 && ShowsAsItself(cell);
}

void AreaIndex::FileShownApart() {
  shownApartFiled_ = true;
  if (deferred_ == 0) return;
  deferred_ = 0;
  // The table may grow here: the entries a run of clearing left unused go first.
  if (unused_ > 0 && unused_ >= entries_.size() / 4) DropUnused();
  struct Due {
    CellPos pos;
    bool apart = false;  // shown under another key than it is counted under
  };
  LookAhead<SplitKeyMap<Entry>, Due> feed(entries_);
  auto file = [&](Entry* entry, std::uint32_t place, const Due& due) {
    entry->AddShown(due.pos);
    if (due.apart) Remember(shownPlaces_, due.pos, place);
  };
  for (std::int32_t column : sheet_.UsedColumns()) {
    if (column < area_.firstColumn || column > area_.lastColumn) continue;
    sheet_.ForEachInColumn(
        column, area_.firstRow, area_.lastRow, [&](std::int32_t row, const Cell& cell) {
          if (cell.value.IsEmpty() || IsPlainText(cell) || FilesShownBeforeSearch(cell)) return;
          const std::string& shown = ShownKey(cell);
          const auto countKey = CountKey(cell.value);
          const bool apart = !countKey || *countKey != shown;
          feed.PushWritten([&](std::string& key) { key.assign(shown); }, Due{{row, column}, apart},
                           file);
        });
  }
  feed.Flush(file);
}

const std::string& AreaIndex::ShownKey(const Cell& cell) {
  if (ShowsAsItself(cell)) {
    SetTextKey(cell.value.AsText(), scratch_);
  } else {
    SetTextKey(DisplayText(cell.value, styles_.Get(cell.style).numberFormat), scratch_);
  }
  return scratch_;
}

void AreaIndex::Add(CellPos pos, const Cell& cell) {
  File(pos, cell);
}

void AreaIndex::File(CellPos pos, const Cell& cell) {
  if (cell.value.IsEmpty()) {
    if (cell.HasFormula()) ++nonBlank_;
    return;
  }
  ++nonBlank_;
  std::uint32_t place = 0;
  // Plain text, the common case, is folded once for its one key.
  if (IsPlainText(cell)) {
    SetTextKey(cell.value.AsText(), scratch_);
    Entry& entry = EntryFor(scratch_, &place);
    ++entry.count;
    entry.AddShown(pos);
    Remember(places_, pos, place);
    return;
  }
  auto countKey = CountKey(cell.value);
  if (!FilesShownNow(cell)) {
    // Counted now; where it shows waits for the first search.
    if (countKey) {
      ++EntryFor(*countKey, &place).count;
      Remember(places_, pos, place);
    }
    ++deferred_;
    return;
  }
  const std::string& shownKey = ShownKey(cell);
  // Text that is not numeric shows as itself: one entry serves both keys.
  if (countKey && *countKey == shownKey) {
    Entry& entry = EntryFor(shownKey, &place);
    ++entry.count;
    entry.AddShown(pos);
    Remember(places_, pos, place);
    return;
  }
  if (countKey) {
    ++EntryFor(*countKey, &place).count;
    Remember(places_, pos, place);
  }
  std::uint32_t shownPlace = 0;
  EntryFor(shownKey, &shownPlace).AddShown(pos);
  Remember(shownPlaces_, pos, shownPlace);
}

void AreaIndex::Remove(CellPos pos, const Cell& cell) {
  if (cell.value.IsEmpty()) {
    if (cell.HasFormula()) --nonBlank_;
    return;
  }
  --nonBlank_;
  std::uint32_t place = PlaceOf(pos);
  const std::uint32_t shownPlace =
      PlaceAt(shownPlaces_, static_cast<size_t>(pos.row - area_.firstRow));
  Remember(places_, pos, 0);
  Remember(shownPlaces_, pos, 0);
  // Plain text: one entry, the one this cell's place names, as a count trusts it; the text
  // is folded into its key only where the cell has no place (an area of several columns).
  if (IsPlainText(cell)) {
    Entry* entry = entries_.AtPlace(place);
    if (entry == nullptr || entry->count <= 0) {
      SetTextKey(cell.value.AsText(), scratch_);
      entry = entries_.Find(scratch_, &place);
    }
    if (entry == nullptr) return;
    RecordCleared(place);
    --entry->count;
    RemoveShown(*entry, pos);
    if (entry->Unused()) Unused();
    return;
  }
  // Drop entries nothing refers to any more, so the index does not grow with rewrites.
  auto dropUnused = [&](const Entry& entry) {
    if (entry.Unused()) Unused();
  };
  // An entry is taken from the place its row keeps when its key is the one asked for: a
  // number cleared at a random row then waits on memory for its entries, not also for the
  // slots that lead to them.
  auto find = [&](const std::string& key, std::uint32_t at, std::uint32_t* found) -> Entry* {
    if (at != 0) {
      if (Entry* entry = entries_.At(at, key)) {
        if (found != nullptr) *found = at;
        return entry;
      }
    }
    return entries_.Find(key, found);
  };
  // Plain text went above: what is left has its own count key, or none.
  if (!FilesShownNow(cell)) {
    // Where it showed was never filed: its count goes, and nothing else.
    if (deferred_ > 0) --deferred_;
    if (auto countKey = CountKey(cell.value)) {
      if (Entry* entry = find(*countKey, place, nullptr)) {
        --entry->count;
        dropUnused(*entry);
      }
    }
    return;
  }
  const std::string& shownKey = ShownKey(cell);
  std::string countKey = CountKey(cell.value).value_or("");
  if (countKey == shownKey) {
    Entry* entry = find(shownKey, place, &place);
    if (entry == nullptr) return;
    RecordCleared(place);
    --entry->count;
    RemoveShown(*entry, pos);
    dropUnused(*entry);
    return;
  }
  if (!countKey.empty()) {
    if (Entry* entry = find(countKey, place, nullptr)) {
      --entry->count;
      dropUnused(*entry);
    }
  }
  if (Entry* entry = find(shownKey, shownPlace, &place)) {
    RecordCleared(place);
    RemoveShown(*entry, pos);
    dropUnused(*entry);
  }
}

void AreaIndex::Unused() {
  // An unused entry answers as a missing one; it is dropped when the table needs room.
  ++unused_;
}

void AreaIndex::DropUnused() {
  // The places remembered by row, and the pending positions' places, follow their entries to
  // their new numbers, so that counting goes on without a lookup by key.
  using Map = SplitKeyMap<Entry>;
  const bool remembered = !places_.empty() || !shownPlaces_.empty() || !pendingShown_.empty() ||
                          !cleared_.empty();
  std::array<std::vector<std::uint32_t>, 2> renumbered;  // by old number in each half
  if (remembered) {
    for (size_t i = 0; i < renumbered.size(); ++i) renumbered[i].resize(entries_.PartSize(i) + 1, 0);
  }
  auto drop = [](const Entry& entry) { return entry.Unused(); };
  entries_.EraseIf(drop, [&](std::uint32_t from, std::uint32_t to) {
    if (remembered) renumbered[Map::PartOfPlace(from)][Map::PlaceInPart(from)] = to;
  });
  auto renumber = [&](std::uint32_t& place) {
    if (place == 0) return;
    const auto& numbers = renumbered[Map::PartOfPlace(place)];
    std::uint32_t local = Map::PlaceInPart(place);
    place = local < numbers.size() ? numbers[local] : 0;
  };
  for (PendingShown& pending : pendingShown_) renumber(pending.place);
  for (std::uint32_t& place : places_) renumber(place);
  for (std::uint32_t& place : shownPlaces_) renumber(place);
  for (std::uint32_t& place : cleared_) renumber(place);
  unused_ = 0;
}

SheetIndexes::SheetIndexes(std::shared_ptr<Book> book, std::shared_ptr<Sheet> sheet)
    : book_(std::move(book)), sheet_(std::move(sheet)) {
  sheet_->AddListener(this);
}

SheetIndexes::~SheetIndexes() {
  sheet_->RemoveListener(this);
}

bool SheetIndexes::SameCells(const Area& a, const Area& b) const {
  if (a.columns() != 1 || b.columns() != 1 || a.firstColumn != b.firstColumn) return false;
  auto stored = sheet_->StoredRows(a.firstColumn);
  if (!stored) return true;
  // Every stored row the two areas reach between them must lie in both.
  std::int32_t from = std::max(stored->first, std::min(a.firstRow, b.firstRow));
  std::int32_t to = std::min(stored->second, std::max(a.lastRow, b.lastRow));
  return from > to ||
         (from >= std::max(a.firstRow, b.firstRow) && to <= std::min(a.lastRow, b.lastRow));
}

AreaIndex& SheetIndexes::For(const Area& area) {
  for (size_t i = 0; i < areas_.size(); ++i) {
    if (areas_[i]->area() == area) {
      if (i != 0)
        std::rotate(areas_.begin(), areas_.begin() + static_cast<std::ptrdiff_t>(i),
                    areas_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      return *areas_.front();
    }
  }
  // Two areas of one column holding the same cells answer alike: the add-in counts in its
  // working range and searches the whole column selected, and one index then serves both. The
  // check is made at every call, as later writes may put a cell in one area and not the other.
  for (size_t i = 0; i < areas_.size(); ++i) {
    if (SameCells(areas_[i]->area(), area)) {
      if (i != 0)
        std::rotate(areas_.begin(), areas_.begin() + static_cast<std::ptrdiff_t>(i),
                    areas_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      return *areas_.front();
    }
  }
  if (areas_.size() == kMaxAreas) areas_.pop_back();
  areas_.insert(areas_.begin(), std::make_unique<AreaIndex>(*sheet_, area, book_->styles));
  return *areas_.front();
}

void SheetIndexes::CellChanged(const Sheet&, CellPos pos, const Cell& before, const Cell& after) {
  // A new fill or font leaves the keys as they were: the index looks at the value, whether a
  // formula stands behind it and the number format it is shown in.
  if (before.value == after.value && before.HasFormula() == after.HasFormula() &&
      ShownAlike(before.style, after.style)) {
    return;
  }
  for (auto& index : areas_) {
    if (!index->area().Contains(pos)) continue;
    index->Remove(pos, before);
    index->Add(pos, after);
  }
}

bool SheetIndexes::ShownAlike(StyleId a, StyleId b) const {
  return book_->styles.Get(a).numberFormat == book_->styles.Get(b).numberFormat;
}

void SheetIndexes::StyleChanged(const Sheet& sheet, CellPos pos, const Cell& cell,
                                StyleId before) {
  // A fill or font leaves the keys as they were: only a new number format can change them.
  if (ShownAlike(before, cell.style)) return;
  SheetListener::StyleChanged(sheet, pos, cell, before);
}

AreaIndex& IndexCache::For(const std::shared_ptr<Book>& book, const std::shared_ptr<Sheet>& sheet,
                           const Area& area) {
  for (auto& [s, indexes] : sheets_) {
    if (s == sheet.get()) return indexes->For(area);
  }
  sheets_.emplace_back(sheet.get(), std::make_unique<SheetIndexes>(book, sheet));
  owners_.emplace_back(sheet.get(), book.get());
  return sheets_.back().second->For(area);
}

void IndexCache::Drop(const Book& book) {
  for (size_t i = sheets_.size(); i-- > 0;) {
    if (owners_[i].second == &book) {
      sheets_.erase(sheets_.begin() + static_cast<std::ptrdiff_t>(i));
      owners_.erase(owners_.begin() + static_cast<std::ptrdiff_t>(i));
    }
  }
}

}  // namespace kx::memhost
