#pragma once
// The value index: for one area of a sheet, how many cells fall under each count key and where
// the cells showing each text are. Built on first use (one pass over the stored cells), kept
// current through the sheet's listener on every write, so that COUNTIF "=" criteria and Find
// whole-cell answer in amortised constant time however often the add-in asks.
//
// Sheet::LoadCell does not tell listeners: books are loaded whole before the host adopts them,
// and cells loaded into a sheet the host already indexes would not be seen.

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "memhost/index/FlatKeyMap.h"
#include "memhost/model/Book.h"
#include "memhost/rules/DisplayText.h"

namespace kx::memhost {

class AreaIndex {
 public:
  AreaIndex(const Sheet& sheet, const Area& area, const StyleTable& styles);

  // A one-column area of this many stored cells or more is built on two threads. Below about
  // half a million the table mostly stays in the cache, and the second thread gains nothing.
  // Tests lower it to build small columns that way.
  static inline size_t splitBuildFrom = size_t{1} << 19;

  const Area& area() const { return area_; }
  // Entries kept, in use or not.
  size_t EntryCount() const { return entries_.size(); }
  // Cells whose count key is `key`.
  std::int64_t Count(const std::string& key) const;
  // The same, looking first at the entry of the cell at `likely`, which often holds the key.
  std::int64_t Count(const std::string& key, CellPos likely) const;
  // The count of `text` when the cell at `likely` holds it, byte for byte, as plain text: the
  // add-in counts the value it has just read, and that cell's entry answers without the key
  // being made again. Nothing when the cell holds anything else.
  std::optional<std::int64_t> CountOfText(std::string_view text, CellPos likely) const;
  // Cells holding empty text (a formula giving "").
  std::int64_t EmptyTextCount() const { return Count("t"); }
  // Cells that are not empty (a value or a formula).
  std::int64_t NonBlankCount() const { return nonBlank_; }
  // The cells whose display key is `key`, in by-rows order; empty when none. The entry a search
  // asked for last is looked at first, then the one listing the cell at `likely` (row 0: none):
  // the add-in searches for the value it has just read, then again for the same one.
  std::span<const CellPos> Shown(const std::string& key, CellPos likely = {0, 0});

  void Add(CellPos pos, const Cell& cell);
  void Remove(CellPos pos, const Cell& cell);

 private:
  // The cells of a value shown in several, by rows, in one block: its size and room, then
  // the positions. One allocation, and one cache miss for whoever reads the list, where a
  // vector behind a pointer costs two of each.
  class CellList {
   public:
    CellList() = default;
    CellList(CellList&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
    CellList& operator=(CellList&& other) noexcept {
      std::swap(block_, other.block_);
      return *this;
    }
    ~CellList() { std::free(block_); }

    explicit operator bool() const { return block_ != nullptr; }
    void Prefetch() const {
      if (block_ != nullptr) __builtin_prefetch(block_);
    }
    std::span<const CellPos> cells() const {
      return block_ == nullptr ? std::span<const CellPos>() : std::span(Cells(), block_->size);
    }
    // Keeps the list by rows: a cell after the last is appended, any other put in its place.
    void Insert(CellPos pos);
    // Takes the cell out, if it is in the list; false if it is not.
    bool Erase(CellPos pos);
    void Sort();
    void Reset() {
      std::free(block_);
      block_ = nullptr;
    }

   private:
    struct Header {
      std::uint32_t size;
      std::uint32_t room;
    };
    CellPos* Cells() const { return reinterpret_cast<CellPos*>(block_ + 1); }
    Header* block_ = nullptr;
  };

  // Most values stand in one cell, so one position is kept inline and a list is made only for
  // values shown in several cells: that keeps the index near 60 bytes a cell.
  struct Entry {
    std::int32_t count = 0;
    CellPos one{0, 0};  // row 0: none
    CellList many;

    std::span<const CellPos> Shown() const;
    bool Unused() const { return count == 0 && one.row == 0 && !many; }
    void AddShown(CellPos pos);
    // False when the position is not in the entry's lists.
    bool RemoveShown(CellPos pos);
  };
  // Text in the General format shows as itself.
  bool ShowsAsItself(const Cell& cell) const;
  // Text that is not numeric and shows as itself: one key, "t" + its folded text, serves both
  // counting and showing.
  bool IsPlainText(const Cell& cell) const;
  // The key of the text a cell shows, in scratch_ until the next key is built there.
  const std::string& ShownKey(const Cell& cell);
  // Whether a cell that is not plain text has its position filed under the text it shows when
  // it is filed. Until the first search, only a long text has: the add-in searches for a
  // number's text too long for a number (a card number) after counting it, and for no other
  // value counted by another key. Numbers, short numeric text, truth values and the like are
  // filed by their count key alone, which saves a key made, a table slot and a list for each
  // such cell on the commands that never search, and on each one they clear.
  bool FilesShownNow(const Cell& cell) const {
    return shownApartFiled_ || FilesShownBeforeSearch(cell);
  }
  bool FilesShownBeforeSearch(const Cell& cell) const;
  // Files the positions the build and the changes since left out, before the first search.
  void FileShownApart();

  // The build of a large one-column area.
  void BuildSplit(const Sheet& sheet);
  // Files a cell under its keys (Add, less the pending positions).
  void File(CellPos pos, const Cell& cell);
  // Files a cell under its key; `place` receives the entry's item number.
  Entry& EntryFor(std::string_view key, std::uint32_t* place = nullptr);
  // Takes a position out of an entry's lists, or out of those pending.
  void RemoveShown(Entry& entry, CellPos pos);
  // Puts the positions the build left pending into their entries' lists.
  void FilePendingShown();
  // Notes a cell's entry in `byRow` (places_ or shownPlaces_); 0 forgets it.
  void Remember(std::vector<std::uint32_t>& byRow, CellPos pos, std::uint32_t place);
  // The entry noted for the i-th row of the area, 0 for none.
  static std::uint32_t PlaceAt(const std::vector<std::uint32_t>& byRow, size_t i) {
    return i < byRow.size() ? byRow[i] : 0;
  }
  // An entry has just become unused.
  void Unused();
  // Drops the unused entries; the places remembered by row follow the entries kept.
  void DropUnused();
  std::uint32_t PlaceOf(CellPos pos) const;
  // Fetches the entries of the rows a walk down or up the column will ask about next.
  void FetchAhead(CellPos pos) const;
  // Fetches the cells showing the value of the i-th row of the area, or their texts.
  void FetchShownCells(std::int64_t i, bool texts) const;
  // Notes the entry of a cell cleared, for the searches that may follow.
  void RecordCleared(std::uint32_t place);
  // A count ends the searches that followed the cells cleared before them.
  void Counting() const;
  // The entry under `key` when it is the next one cleared, or nullptr.
  const Entry* FollowCleared(const std::string& key);
  void FetchClearedAhead();

  Area area_;
  const StyleTable& styles_;
  SplitKeyMap<Entry> entries_;
  // For a one-column area, by row: the item number of the entry holding the cell's count key,
  // 0 for none. Erasing moves items, so a remembered place is a hint, checked before use.
  std::vector<std::uint32_t> places_;
  // For a one-column area, by row: the item number of the entry listing where the cell shows,
  // for a cell counted under another key (numeric text, a number); 0 for the others. Empty
  // until such a cell is filed.
  std::vector<std::uint32_t> shownPlaces_;
  std::uint32_t lastShown_ = 0;  // the item number of the entry a search last asked for
  mutable std::int32_t lastAsked_ = 0;  // the row of the last count with a likely cell
  bool searched_ = false;               // whether Shown was ever asked
  bool shownApartFiled_ = false;        // whether every cell's position is filed (FilesShownNow)
  size_t deferred_ = 0;                 // cells counted whose position waits for the first search
  // A one-column build counts every cell but leaves the positions of a value's later cells
  // here, by its entry's item number, in row order: the count, colour and remove-unique
  // commands never ask where a value stands, and the lists cost a miss and an allocation a
  // repeated value. The first question about positions files them; a change before it takes
  // a cleared cell's position out of this list.
  struct PendingShown {
    std::uint32_t place;
    CellPos pos;
  };
  std::vector<PendingShown> pendingShown_;  // by rows; place 0 for a position since cleared
  size_t pendingHint_ = 0;  // the last pending position marked cleared
  // The entries of the cells cleared while the add-in counts, in the order of clearing. A
  // command that clears the later cells of repeated values and then searches for each value it
  // cleared, in that order, asks Shown for them in this order, at random rows: the entries and
  // cells of the searches to come are fetched ahead. A hint only, checked against each key.
  mutable std::vector<std::uint32_t> cleared_;
  mutable size_t clearedNext_ = 0;  // the one the next search is expected to ask for
  mutable bool searching_ = false;  // whether Shown was asked since the last count
  int clearedMissed_ = 0;           // searches in a row that asked for another value
  const Sheet& sheet_;
  std::string scratch_;  // a key being built
  TextAsItselfByStyle textAsItself_;
  std::int64_t nonBlank_ = 0;
  size_t unused_ = 0;  // entries that became unused since the last drop (an upper bound)
};

// The indexes of one sheet's areas, listening to the sheet.
class SheetIndexes : public SheetListener {
 public:
  SheetIndexes(std::shared_ptr<Book> book, std::shared_ptr<Sheet> sheet);
  ~SheetIndexes() override;
  SheetIndexes(const SheetIndexes&) = delete;
  SheetIndexes& operator=(const SheetIndexes&) = delete;

  AreaIndex& For(const Area& area);
  void CellChanged(const Sheet& sheet, CellPos pos, const Cell& before, const Cell& after) override;
  void StyleChanged(const Sheet& sheet, CellPos pos, const Cell& cell, StyleId before) override;

 private:
  // A few areas per sheet are enough for the add-in (the column it works on, perhaps a second
  // list); the least recently used one goes when a new area needs room.
  static constexpr size_t kMaxAreas = 8;
  // Whether cells in the two styles show a value alike (the same number format).
  bool ShownAlike(StyleId a, StyleId b) const;
  // Whether two areas hold the same stored cells now, so that one's index answers for the other.
  bool SameCells(const Area& a, const Area& b) const;
  std::shared_ptr<Book> book_;
  std::shared_ptr<Sheet> sheet_;
  std::vector<std::unique_ptr<AreaIndex>> areas_;  // most recently used first
};

// The indexes of every open sheet.
class IndexCache {
 public:
  AreaIndex& For(const std::shared_ptr<Book>& book, const std::shared_ptr<Sheet>& sheet,
                 const Area& area);
  // Forgets a closed book's indexes.
  void Drop(const Book& book);

 private:
  std::vector<std::pair<const Sheet*, std::unique_ptr<SheetIndexes>>> sheets_;
  std::vector<std::pair<const Sheet*, const Book*>> owners_;
};

}  // namespace kx::memhost
