#pragma once
// A list's rows grouped by their exact text, in flat arrays: a million rows make a million
// entries and a table of slots, not a million map nodes each with a vector of its own.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "host/HugePages.h"

namespace kx::engines {

// A callable taking a row, passed by reference: unlike std::function, it neither copies the
// callable nor allocates for one that holds more than two references.
class RowCall {
 public:
  template <class F>
    requires(!std::is_same_v<std::remove_cvref_t<F>, RowCall>)
  RowCall(F&& f)  // NOLINT: made from any callable, as std::function is
      : object_(const_cast<void*>(static_cast<const void*>(&f))),
        call_([](void* object, long row) -> bool {
          return (*static_cast<std::remove_reference_t<F>*>(object))(row);
        }) {}
  bool operator()(long row) const { return call_(object_, row); }

 private:
  void* object_;
  bool (*call_)(void*, long);
};

class RowsByText {
 public:
  explicit RowsByText(size_t expected);

  // Files a row under its text; rows of one text are visited in the order they were added.
  // Filing happens a few rows later, the text's slot having been asked for on arrival: a list
  // of a million rows then waits on memory a few times, not a million times.
  void Add(std::string text, long row);
  // Offers every row still filed under `text`, in order; a row for which `takeOut` returns true
  // leaves the group, the others stay to be offered again.
  void TakeOut(std::string_view text, RowCall takeOut);

  // A text whose TakeOut is some calls away: Expect asks for its slot and returns its hash;
  // Approach, a few calls later, asks for the group's first row and text, which the slot now
  // names. TakeOut then finds them at hand instead of waiting on memory twice.
  std::uint64_t Expect(std::string_view text) const;
  void Approach(std::uint64_t hash) const;
  void TakeOut(std::string_view text, std::uint64_t hash, RowCall takeOut);

 private:
  static constexpr std::int32_t kNone = -1;
  static constexpr std::uint32_t kNoText = 0xFFFFFFFF;
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t text = kNoText;  // where the group's text is kept; kNoText: an empty slot
    std::int32_t head = kNone;     // the group's rows still filed, first and last; kNone: none
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
  // A row and the next row of the same text.
  struct Entry {
    std::int32_t row;
    std::int32_t next;
  };
  std::vector<Entry, host::HugePageAllocator<Entry>> entries_;

  // Each group's text, once, one after another: its length and then its characters, from a
  // multiple of kUnit bytes, whose count a slot holds. A million rows of names or card numbers
  // make one block, not a million strings to allocate and, at the end, to free one by one.
  static constexpr size_t kUnit = 16;
  std::uint32_t Keep(std::string_view text);
  const char* TextPlace(std::uint32_t text) const { return texts_.data() + size_t{text} * kUnit; }
  std::string_view TextAt(std::uint32_t text) const;
  std::vector<char> texts_;
};

}  // namespace kx::engines
