#pragma once
// A map from text keys to values for the value index, which holds about one key a cell and is
// asked once a row. Slots hold a key's hash and its item's place in one dense array, so a
// lookup reads one slot and one item where a node-based map follows a chain of pointers: on a
// million keys that is the difference between one cache miss and three or four.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "host/HugePages.h"

namespace kx::memhost {

// A key's bytes, kept inside the item up to 28 bytes: keys such as "t" + a folded customer name
// outgrow std::string's 15 inline bytes, and a key on the heap is one more cache miss a lookup.
class KeyText {
 public:
  explicit KeyText(std::string_view text) : size_(static_cast<std::uint32_t>(text.size())) {
    char* to = inline_;
    if (size_ > kInline) to = heap_ = new char[size_];
    if (size_ > 0) std::memcpy(to, text.data(), size_);
  }
  KeyText(KeyText&& other) noexcept : size_(other.size_) {
    TakeBytes(other);
  }
  KeyText& operator=(KeyText&& other) noexcept {
    if (this != &other) {
      Release();
      size_ = other.size_;
      TakeBytes(other);
    }
    return *this;
  }
  KeyText(const KeyText&) = delete;
  KeyText& operator=(const KeyText&) = delete;
  ~KeyText() { Release(); }

  std::string_view view() const { return {size_ > kInline ? heap_ : inline_, size_}; }

 private:
  static constexpr std::uint32_t kInline = 28;
  // The heap pointer, or the inline bytes in use; the other key is left empty.
  void TakeBytes(KeyText& other) {
    if (size_ > kInline) heap_ = other.heap_;
    else if (size_ > 0) std::memcpy(inline_, other.inline_, size_);
    other.size_ = 0;
  }
  void Release() {
    if (size_ > kInline) delete[] heap_;
  }
  std::uint32_t size_;
  union {
    char inline_[kInline];
    char* heap_;
  };
};

template <class Value>
class FlatKeyMap {
 public:
  using Item = std::pair<KeyText, Value>;
  using mapped_type = Value;

  size_t size() const { return items_.size(); }
  void reserve(size_t n) {
    if (n * 2 > slots_.size()) Rehash(n * 2);
    items_.reserve(n);
  }

  Value* Find(std::string_view key) { return Find(key, Hash(key)); }
  // `place`, when given, receives the item's number (0 for none), which At() takes.
  Value* Find(std::string_view key, std::uint64_t hash, std::uint32_t* place = nullptr) {
    size_t slot = SlotOf(key, hash);
    std::uint32_t item = slots_.empty() ? 0 : slots_[slot].item;
    if (place != nullptr) *place = item;
    return item == 0 ? nullptr : &items_[item - 1].second;
  }
  const Value* Find(std::string_view key) const { return const_cast<FlatKeyMap*>(this)->Find(key); }

  // The value under `key`, made when there is none.
  Value& operator[](std::string_view key) { return Insert(key, Hash(key)); }

  // The same with the key's hash already taken; `place` receives the item's number, which
  // At() takes.
  Value& Insert(std::string_view key, std::uint64_t hash, std::uint32_t* place = nullptr) {
    if ((items_.size() + 1) * 2 > slots_.size()) Rehash(std::max<size_t>(16, slots_.size() * 2));
    size_t slot = SlotOf(key, hash);
    if (slots_[slot].item == 0) {
      items_.emplace_back(KeyText(key), Value{});
      slots_[slot] = {static_cast<std::uint32_t>(hash), static_cast<std::uint32_t>(items_.size())};
    }
    if (place != nullptr) *place = slots_[slot].item;
    return items_[slots_[slot].item - 1].second;
  }

  // The value of item number `place` when its key is `key`: a lookup that skips the slots when
  // the caller remembers where a key was (erasing moves items, so the key is checked).
  Value* At(std::uint32_t place, std::string_view key) {
    if (place == 0 || place > items_.size()) return nullptr;
    Item& item = items_[place - 1];
    return item.first.view() == key ? &item.second : nullptr;
  }
  const Value* At(std::uint32_t place, std::string_view key) const {
    return const_cast<FlatKeyMap*>(this)->At(place, key);
  }
  // The value of item number `place`, for a caller that knows the key it was filed under;
  // nullptr for a number no item has.
  const Value* AtPlace(std::uint32_t place) const {
    return place == 0 || place > items_.size() ? nullptr : &items_[place - 1].second;
  }
  Value* AtPlace(std::uint32_t place) {
    return const_cast<Value*>(std::as_const(*this).AtPlace(place));
  }

  static std::uint64_t Hash(std::string_view key) { return std::hash<std::string_view>{}(key); }
  // Brings item number `place` into the cache, ahead of an At(); a stale or empty place is
  // ignored. Returns the item when it is there to read.
  const Item* PrefetchItem(std::uint32_t place) const {
    if (place == 0 || place > items_.size()) return nullptr;
    const Item* item = &items_[place - 1];
    __builtin_prefetch(item);
    return item;
  }
  // Brings the slot a key with this hash starts from into the cache, ahead of its lookup.
  void Prefetch(std::uint64_t hash) const {
    if (!slots_.empty()) __builtin_prefetch(&slots_[Home(static_cast<std::uint32_t>(hash))]);
  }

  void Erase(std::string_view key) {
    if (slots_.empty()) return;
    size_t slot = SlotOf(key, Hash(key));
    std::uint32_t item = slots_[slot].item;
    if (item == 0) return;
    // The last item takes the erased one's place in the dense array.
    if (item != items_.size()) {
      std::string_view lastKey = items_.back().first.view();
      slots_[SlotOf(lastKey, Hash(lastKey))].item = item;
      items_[item - 1] = std::move(items_.back());
    }
    items_.pop_back();
    RemoveSlot(slot);
  }

  // Erases every item whose value `drop(value)` says, keeping the others' order: one pass for
  // many erasures, where Erase costs a lookup and a move each. `moved(from, to)` learns the new
  // number of every item kept (0 for one erased), for whoever remembers items by number.
  template <class Drop>
  void EraseIf(Drop&& drop) {
    EraseIf(drop, [](std::uint32_t, std::uint32_t) {});
  }
  template <class Drop, class Moved>
  void EraseIf(Drop&& drop, Moved&& moved) {
    size_t kept = 0;
    for (size_t i = 0; i < items_.size(); ++i) {
      if (drop(items_[i].second)) {
        moved(static_cast<std::uint32_t>(i + 1), 0);
        continue;
      }
      if (kept != i) items_[kept] = std::move(items_[i]);
      ++kept;
      moved(static_cast<std::uint32_t>(i + 1), static_cast<std::uint32_t>(kept));
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(kept), items_.end());
    Rehash(slots_.size());
  }

  std::vector<Item, host::HugePageAllocator<Item>>& items() { return items_; }
  // Whether one more key would make the table grow.
  bool Full() const { return (items_.size() + 1) * 2 > slots_.size(); }
  // Item number `place`, which must be in use.
  Item& ItemAt(std::uint32_t place) { return items_[place - 1]; }

 private:
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t item = 0;  // place in items_ plus one; 0 for an empty slot
  };

  size_t Home(std::uint32_t hash) const { return hash & (slots_.size() - 1); }

  // The slot holding `key`, or the empty slot where it would go.
  size_t SlotOf(std::string_view key, std::uint64_t hash) const {
    if (slots_.empty()) return 0;
    auto h = static_cast<std::uint32_t>(hash);
    for (size_t i = Home(h);; i = (i + 1) & (slots_.size() - 1)) {
      const Slot& s = slots_[i];
      if (s.item == 0 || (s.hash == h && items_[s.item - 1].first.view() == key)) return i;
    }
  }

  // Empties a slot and moves later slots of the same run back, so that no lookup stops short.
  void RemoveSlot(size_t hole) {
    const size_t mask = slots_.size() - 1;
    for (size_t j = (hole + 1) & mask; slots_[j].item != 0; j = (j + 1) & mask) {
      size_t home = Home(slots_[j].hash);
      // The slot may move back when its home does not lie in (hole, j], cyclically.
      bool homeBetween = hole <= j ? (home > hole && home <= j) : (home > hole || home <= j);
      if (!homeBetween) {
        slots_[hole] = slots_[j];
        hole = j;
      }
    }
    slots_[hole] = Slot{};
  }

  void Rehash(size_t atLeast) {
    size_t n = 16;
    while (n < atLeast) n *= 2;
    slots_.assign(n, Slot{});
    for (size_t i = 0; i < items_.size(); ++i) {
      auto h = static_cast<std::uint32_t>(Hash(items_[i].first.view()));
      size_t s = Home(h);
      while (slots_[s].item != 0) s = (s + 1) & (n - 1);
      slots_[s] = {h, static_cast<std::uint32_t>(i + 1)};
    }
  }

  std::vector<Slot, host::HugePageAllocator<Slot>> slots_;  // a power of two of them, at most half full
  std::vector<Item, host::HugePageAllocator<Item>> items_;
};

// Two FlatKeyMaps, each holding the keys of one half of the hashes, so that two threads can
// fill one table at once, each its own half. An item's number tells its half by its top bit.
template <class Value>
class SplitKeyMap {
 public:
  using Part = FlatKeyMap<Value>;
  using Item = typename Part::Item;
  using mapped_type = Value;
  static constexpr std::uint32_t kPartBit = std::uint32_t{1} << 31;

  static std::uint64_t Hash(std::string_view key) { return Part::Hash(key); }
  // The half a hash belongs to: a bit the slots' places (the hash's low bits) do not use.
  static size_t PartOf(std::uint64_t hash) { return static_cast<size_t>(hash >> 63); }
  static std::uint32_t PlaceIn(size_t part, std::uint32_t place) {
    return place == 0 ? 0 : place | (part == 0 ? 0 : kPartBit);
  }
  // The half an item number belongs to, and its number there.
  static size_t PartOfPlace(std::uint32_t place) { return (place & kPartBit) != 0 ? 1 : 0; }
  static std::uint32_t PlaceInPart(std::uint32_t place) { return place & ~kPartBit; }

  Part& part(size_t i) { return parts_[i]; }
  size_t size() const { return parts_[0].size() + parts_[1].size(); }
  void reserve(size_t n) {
    // A half takes about half the keys, give or take a few hundred in a million.
    for (Part& part : parts_) part.reserve(n / 2 + n / 256 + 64);
  }

  Value* Find(std::string_view key, std::uint32_t* place = nullptr) {
    std::uint64_t hash = Hash(key);
    size_t i = PartOf(hash);
    Value* value = parts_[i].Find(key, hash, place);
    if (place != nullptr) *place = PlaceIn(i, *place);
    return value;
  }
  const Value* Find(std::string_view key) const { return const_cast<SplitKeyMap*>(this)->Find(key); }

  Value& Insert(std::string_view key, std::uint64_t hash, std::uint32_t* place = nullptr) {
    size_t i = PartOf(hash);
    Value& value = parts_[i].Insert(key, hash, place);
    if (place != nullptr) *place = PlaceIn(i, *place);
    return value;
  }
  Value* At(std::uint32_t place, std::string_view key) {
    return parts_[PartOfPlace(place)].At(PlaceInPart(place), key);
  }
  const Value* At(std::uint32_t place, std::string_view key) const {
    return const_cast<SplitKeyMap*>(this)->At(place, key);
  }
  const Value* AtPlace(std::uint32_t place) const {
    return parts_[PartOfPlace(place)].AtPlace(PlaceInPart(place));
  }
  Value* AtPlace(std::uint32_t place) {
    return parts_[PartOfPlace(place)].AtPlace(PlaceInPart(place));
  }
  const Item* PrefetchItem(std::uint32_t place) const {
    return parts_[PartOfPlace(place)].PrefetchItem(PlaceInPart(place));
  }
  void Prefetch(std::uint64_t hash) const { parts_[PartOf(hash)].Prefetch(hash); }
  Item& ItemAt(std::uint32_t place) { return parts_[PartOfPlace(place)].ItemAt(PlaceInPart(place)); }

  // Erases as a FlatKeyMap does, in each half; `moved(from, to)` gets numbers of this map.
  template <class Drop, class Moved>
  void EraseIf(Drop&& drop, Moved&& moved) {
    for (size_t i = 0; i < parts_.size(); ++i) {
      parts_[i].EraseIf(drop, [&](std::uint32_t from, std::uint32_t to) {
        moved(PlaceIn(i, from), PlaceIn(i, to));
      });
    }
  }
  // Whether one more key of this hash would make its half grow.
  bool FullFor(std::uint64_t hash) const { return parts_[PartOf(hash)].Full(); }
  // How many numbers a part gives out at most, for a table indexed by number.
  size_t PartSize(size_t i) const { return parts_[i].size(); }
  template <class Visit>
  void ForEachItem(Visit&& visit) {
    for (Part& part : parts_) {
      for (Item& item : part.items()) visit(item);
    }
  }

 private:
  std::array<Part, 2> parts_;
};

// Feeds a table keys a few steps after it is told them, having asked for each key's slot on
// arrival: a pass over a million cells then waits on memory a few times, not a million times.
// `Payload` travels with its key to `due`, which gets the key's value (nullptr for a payload
// pushed without a key, which keeps its place in the order).
template <class Map, class Payload>
class LookAhead {
 public:
  using Value = typename Map::mapped_type;
  explicit LookAhead(Map& map) : map_(map) {}

  template <class Due>
  void Push(const std::string* key, Payload payload, Due&& due) {
    if (key == nullptr) return Enqueue(nullptr, std::move(payload), due);
    Enqueue([key](std::string& into) { into.assign(*key); }, std::move(payload), due);
  }
  // The same with the key written by `writeKey(std::string&)` straight into its place in the
  // queue, which keeps its capacity from one key to the next: no copy, no allocation.
  template <class WriteKey, class Due>
  void PushWritten(WriteKey&& writeKey, Payload payload, Due&& due) {
    Enqueue(writeKey, std::move(payload), due);
  }

  template <class Due>
  void Flush(Due&& due) {
    for (size_t i = pushed_ > kDistance ? pushed_ - kDistance : 0; i < pushed_; ++i) {
      Deliver(ring_[i % kDistance], due);
    }
    pushed_ = 0;
  }

 private:
  static constexpr size_t kDistance = 12;
  struct Pending {
    std::string key;
    std::uint64_t hash = 0;
    bool hasKey = false;
    Payload payload{};
  };
  template <class WriteKey, class Due>
  void Enqueue(WriteKey&& writeKey, Payload payload, Due& due) {
    Pending& p = ring_[pushed_ % kDistance];
    if (pushed_ >= kDistance) Deliver(p, due);
    p.hasKey = !std::is_null_pointer_v<std::remove_cvref_t<WriteKey>>;
    if constexpr (!std::is_null_pointer_v<std::remove_cvref_t<WriteKey>>) {
      writeKey(p.key);
      p.hash = Map::Hash(p.key);
      map_.Prefetch(p.hash);
    }
    p.payload = std::move(payload);
    ++pushed_;
  }
  template <class Due>
  void Deliver(Pending& p, Due& due) {
    std::uint32_t place = 0;
    Value* value = p.hasKey ? &map_.Insert(p.key, p.hash, &place) : nullptr;
    due(value, place, p.payload);
  }

  Map& map_;
  std::array<Pending, kDistance> ring_{};
  size_t pushed_ = 0;
};

}  // namespace kx::memhost
