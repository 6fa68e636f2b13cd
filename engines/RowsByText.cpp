#include "engines/RowsByText.h"

#include <cstring>
#include <new>

namespace kx::engines {

RowsByText::RowsByText(size_t expected) {
  size_t n = 16;
  while (n < expected * 2) n *= 2;
  slots_.resize(n);
  entries_.reserve(expected);
  texts_.reserve(expected * kUnit);
}

std::uint32_t RowsByText::Keep(std::string_view text) {
  const size_t at = texts_.size();
  const size_t bytes = (sizeof(std::uint32_t) + text.size() + kUnit - 1) / kUnit * kUnit;
  if (at / kUnit + bytes / kUnit >= kNoText) throw std::bad_alloc();
  texts_.resize(at + bytes);
  const auto length = static_cast<std::uint32_t>(text.size());
  std::memcpy(texts_.data() + at, &length, sizeof length);
  std::memcpy(texts_.data() + at + sizeof length, text.data(), text.size());
  return static_cast<std::uint32_t>(at / kUnit);
}

std::string_view RowsByText::TextAt(std::uint32_t text) const {
  const char* place = TextPlace(text);
  std::uint32_t length = 0;
  std::memcpy(&length, place, sizeof length);
  return {place + sizeof length, length};
}

size_t RowsByText::SlotOf(std::string_view text, std::uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  auto h = static_cast<std::uint32_t>(hash);
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.text == kNoText || (s.hash == h && TextAt(s.text) == text)) return i;
  }
}

void RowsByText::Grow() {
  decltype(slots_) old(slots_.size() * 2);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (const Slot& s : old) {
    if (s.text == kNoText) continue;
    size_t i = s.hash & mask;
    while (slots_[i].text != kNoText) i = (i + 1) & mask;
    slots_[i] = s;
  }
}

void RowsByText::Add(std::string text, long row) {
  if (added_ - filed_ == kAhead) File(pending_[filed_ % kAhead]);
  Pending& p = pending_[added_ % kAhead];
  p.hash = Expect(text);
  p.text = std::move(text);
  p.row = row;
  ++added_;
}

void RowsByText::Flush() {
  while (filed_ < added_) File(pending_[filed_ % kAhead]);
}

void RowsByText::File(Pending& pending) {
  ++filed_;
  if ((groups_ + 1) * 2 > slots_.size()) Grow();
  size_t slot = SlotOf(pending.text, pending.hash);
  auto entry = static_cast<std::int32_t>(entries_.size());
  entries_.push_back({static_cast<std::int32_t>(pending.row), kNone});
  Slot& s = slots_[slot];
  if (s.text == kNoText) {
    s = {static_cast<std::uint32_t>(pending.hash), Keep(pending.text), entry, entry};
    ++groups_;
  } else if (s.head == kNone) {
    s.head = s.tail = entry;
  } else {
    entries_[static_cast<size_t>(s.tail)].next = entry;
    s.tail = entry;
  }
}

std::uint64_t RowsByText::Expect(std::string_view text) const {
  const std::uint64_t hash = HashOf(text);
  __builtin_prefetch(&slots_[static_cast<size_t>(hash) & (slots_.size() - 1)]);
  return hash;
}

void RowsByText::Approach(std::uint64_t hash) const {
  // The first slot with the hash is almost always the text's; a wrong guess costs nothing but
  // the fetch.
  const size_t mask = slots_.size() - 1;
  const auto h = static_cast<std::uint32_t>(hash);
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.text == kNoText) return;
    if (s.hash != h) continue;
    __builtin_prefetch(TextPlace(s.text));
    if (s.head != kNone) __builtin_prefetch(&entries_[static_cast<size_t>(s.head)]);
    return;
  }
}

void RowsByText::TakeOut(std::string_view text, RowCall takeOut) {
  TakeOut(text, HashOf(text), takeOut);
}

void RowsByText::TakeOut(std::string_view text, std::uint64_t hash, RowCall takeOut) {
  Flush();
  Slot& s = slots_[SlotOf(text, hash)];
  // The rows that stay are linked again in their order; the group keeps its slot and its text
  // even when no row stays, so that the slots after it remain reachable.
  std::int32_t head = kNone, tail = kNone;
  for (std::int32_t e = s.head; e != kNone;) {
    std::int32_t following = entries_[static_cast<size_t>(e)].next;
    if (!takeOut(entries_[static_cast<size_t>(e)].row)) {
      if (tail == kNone) head = e;
      else entries_[static_cast<size_t>(tail)].next = e;
      tail = e;
    }
    e = following;
  }
  if (tail != kNone) entries_[static_cast<size_t>(tail)].next = kNone;
  s.head = head;
  s.tail = tail;
}

}  // namespace kx::engines
