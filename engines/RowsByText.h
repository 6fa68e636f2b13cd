#pragma once
// A list's rows grouped by their exact text, in flat arrays: a million rows make a million
// entries and a table of slots, not a million map nodes each with a vector of its own.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/HugePages.h"

namespace kx::engines {

class RowsByText {
 public:
  explicit RowsByText(size_t expected);

  // Files a row under its text; rows of one text are visited in the order they were added.
  // Filing happens a few rows later, the text's slot having been asked for on arrival: a list
  // of a million rows then waits on memory a few times, not a million times.
  void Add(std::string text, long row);
  // Offers every row still filed under `text`, in order; a row for which `takeOut` returns true
  // leaves the group, the others stay to be offered again.
  void TakeOut(std::string_view text, const std::function<bool(long row)>& takeOut);

  // A text whose TakeOut is some calls away: Expect asks for its slot and returns its hash;
  // Approach, a few calls later, asks for the group's first row and text, which the slot now
  // names. TakeOut then finds them at hand instead of waiting on memory twice.
  std::uint64_t Expect(std::string_view text) const;
  void Approach(std::uint64_t hash) const;
  void TakeOut(std::string_view text, std::uint64_t hash,
               const std::function<bool(long row)>& takeOut);

 private:
  static constexpr std::int32_t kNone = -1;
  struct Slot {
    std::uint32_t hash = 0;
    std::int32_t text = kNone;  // the entry whose text the group has; kNone: an empty slot
    std::int32_t head = kNone;  // the group's rows still filed, first and last; kNone: none
    std::int32_t tail = kNone;
  };
  static std::uint64_t HashOf(std::string_view text) { return std::hash<std::string_view>{}(text); }
  size_t SlotOf(std::string_view text, std::uint64_t hash) const;
  void Grow();
  struct Pending {
    std::string text;
    long row = 0;
    std::uint64_t hash = 0;
  };
  void File(Pending& pending);
  // Files every row still waiting.
  void Flush();
  static constexpr size_t kAhead = 8;
  std::array<Pending, kAhead> pending_;
  size_t added_ = 0;  // rows added; the last min(added_ - filed_, kAhead) of them are waiting
  size_t filed_ = 0;

  // Both tables are looked up at random: on huge pages, a lookup misses the cache but not also
  // the address translation.
  std::vector<Slot, host::HugePageAllocator<Slot>> slots_;  // a power of two, at most half used
  size_t groups_ = 0;
  // An entry's text, row and the next entry of the same text sit together: a lookup that
  // finds the text has the row in the same cache line.
  struct Entry {
    std::string text;
    long row;
    std::int32_t next;
  };
  std::vector<Entry, host::HugePageAllocator<Entry>> entries_;
};

}  // namespace kx::engines
