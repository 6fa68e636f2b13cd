#pragma once
// The engines' host calls on the working range: reading a cell as text, counting a value in a
// column, clearing a cell, the unique filter and colouring cells.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/Host.h"
#include "ui/AddinState.h"

namespace kx::engines {

// The text form of cell (row, 1) of a range, whole; nothing when the cell cannot be read or
// holds an error value, which has no text form.
std::optional<std::string> CellText(host::Range& range, long row);

// What the engines compare a cell by: its text form cut to 255 characters, and whether the cell
// holds that as text (not as a number, date or boolean the text shows).
struct ComparedValue {
  std::string text;
  bool heldAsText = false;
};

// The compared value of cell (row, 1); nothing when the cell cannot be read or holds an error.
std::optional<ComparedValue> CellComparison(host::Range& range, long row);

// The counts of misread texts that Occurrences had to search for, kept for the rest of a run
// that changes no value the count could see: a count, a colouring, or a run that clears only
// values occurring once. Each such text's cells are then looked through once, not again for
// every row holding it. A text is kept as a 96-bit fingerprint of it with ASCII letters in lower
// case, as the search matches them (that two texts of a million rows share one is less likely than
// one chance in 10^16); a text with other characters is not kept.
class SearchedCounts {
 public:
  // The text the next Find and Remember are about; its slot is fetched from memory meanwhile.
  void Expect(std::string_view text);
  std::optional<double> Find() const;
  void Remember(double count);

 private:
  struct Slot {
    std::uint64_t key = 0;  // 0: empty
    std::uint32_t check = 0;
    std::uint32_t count = 0;
  };
  struct Print {
    std::uint64_t key;
    std::uint32_t check;
  };
  static std::optional<Print> Fingerprint(std::string_view text);
  size_t SlotOf(const Print& print) const;
  void Grow();

  std::vector<Slot> slots_;
  size_t used_ = 0;
  std::optional<Print> expected_;
};

// How often a value occurs in a column under the host's count, the value standing for itself
// (no pattern, no comparison). A text cell's text that the host's criterion would misread
// (CriterionMisreads) is counted among the cells holding that very text, the case aside; with
// `searched`, a text counted so before is not searched for again.
host::Result<double> Occurrences(host::Application& app, const host::RangeRef& column,
                                 const ComparedValue& value, SearchedCounts* searched = nullptr);

// The next cell after `after` in `within` (rows first, wrapping round) that shows the value's
// text, the case aside; for a text the criterion misreads, the next that holds it as text.
// Nothing when no cell does.
host::Result<host::RangeRef> FindOccurrence(host::Range& within, const ComparedValue& value,
                                            const host::RangeRef& after);

// Clears cell (row, 1), recording its contents for the undo command first.
host::Result<void> ClearCell(ui::AddinState& state, host::Range& range, long row);

// The host's unique-records filter in place, without criteria: the range's first row is the
// header and stays; every later row repeating an earlier data row is hidden.
host::Result<void> FilterUniqueInPlace(host::Range& range);

// Takes the active sheet's filter off, showing the rows it hid.
host::Result<void> ShowAllRows(host::Application& app);

// Sets the fill colour index of every cell of the range, as the host accepts it.
host::Result<void> PaintCells(host::Range& cells, const host::Variant& colorIndex);

}  // namespace kx::engines
