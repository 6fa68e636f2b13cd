#pragma once
// One column's cells from its first stored row to its last, in chunks of 1024. A column grows at
// either end without moving what it holds, and clearing its top cell does not shift the rest. A
// cell is found through one small table of chunks, which stays in the cache: a million cells
// take a thousand entries, where a deque's table of 500-byte blocks outgrows the cache and costs
// a miss for every cell read at random. A column of a few cells keeps one chunk just as large as
// it needs.

#include <algorithm>
#include <bit>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

#include "memhost/model/Cell.h"

namespace kx::memhost {

class CellColumn {
 public:
  static constexpr size_t kChunkShift = 10;
  static constexpr size_t kChunk = size_t{1} << kChunkShift;

  CellColumn() = default;
  CellColumn(CellColumn&&) noexcept = default;
  CellColumn& operator=(CellColumn&&) noexcept = default;
  CellColumn(const CellColumn&) = delete;
  CellColumn& operator=(const CellColumn&) = delete;

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

  Cell& operator[](size_t i) { return At(front_ + i); }
  const Cell& operator[](size_t i) const { return const_cast<CellColumn&>(*this)[i]; }
  Cell& back() { return (*this)[size_ - 1]; }
  const Cell& back() const { return (*this)[size_ - 1]; }

  // Blank cells added after the last, or the last ones dropped.
  void resize(size_t n) {
    if (n < size_) {
      for (size_t i = n; i < size_; ++i) (*this)[i] = Cell{};
      size_ = n;
      ReleaseBack();
      return;
    }
    Reserve(front_ + n);
    size_ = n;
  }
  void pop_back() { resize(size_ - 1); }

  // `n` blank cells put before the first.
  void push_front(size_t n) {
    if (n > front_) {
      if (Small() && size_ + n <= capacity_) {
        // The one chunk has room at its end: the cells move up within it.
        std::move_backward(&At(0), &At(size_), &At(size_ + n));
        for (size_t i = 0; i < n; ++i) At(i) = Cell{};
        size_ += n;
        return;
      }
      if (Small() && size_ + n <= kChunk) {
        Regrow(std::max<size_t>(8, std::bit_ceil(size_ + n)), n);
        size_ += n;
        return;
      }
      MakeLarge();
      const size_t chunks = (n - front_ + kChunk - 1) / kChunk;
      std::vector<std::unique_ptr<Cell[]>> added(chunks);
      for (auto& chunk : added) chunk = std::make_unique<Cell[]>(kChunk);
      chunks_.insert(chunks_.begin(), std::make_move_iterator(added.begin()),
                     std::make_move_iterator(added.end()));
      front_ += chunks * kChunk;
    }
    front_ -= n;
    size_ += n;
  }
  // The first `n` cells dropped.
  void pop_front(size_t n) {
    n = std::min(n, size_);
    if (n == size_) {
      chunks_.clear();
      front_ = size_ = capacity_ = 0;
      return;
    }
    if (Small()) {
      // A short column's first cell stays the chunk's first: the rest move down.
      std::move(&At(n), &At(size_), &At(0));
      for (size_t i = size_ - n; i < size_; ++i) At(i) = Cell{};
      size_ -= n;
      return;
    }
    for (size_t i = 0; i < n; ++i) (*this)[i] = Cell{};
    front_ += n;
    size_ -= n;
    const size_t whole = front_ >> kChunkShift;
    chunks_.erase(chunks_.begin(), chunks_.begin() + static_cast<std::ptrdiff_t>(whole));
    front_ -= whole << kChunkShift;
  }

  // Calls visit(i, cell) for the cells from..to (indexes within the column), in order.
  template <class Visit>
  void ForEach(size_t from, size_t to, Visit&& visit) const {
    size_t i = from;
    while (i <= to) {
      const size_t at = front_ + i;
      const Cell* chunk = chunks_[at >> kChunkShift].get();
      const size_t offset = at & (kChunk - 1);
      const size_t last = std::min(to, i + (kChunk - 1 - offset));
      for (const Cell* cell = chunk + offset; i <= last; ++i, ++cell) visit(i, *cell);
    }
  }

 private:
  Cell& At(size_t at) { return chunks_[at >> kChunkShift][at & (kChunk - 1)]; }
  // One chunk smaller than the rest: a short column, whose first cell is the chunk's first.
  bool Small() const { return capacity_ < kChunk; }

  // Room for cells up to index `end` (from the first chunk's start).
  void Reserve(size_t end) {
    if (end <= capacity_ * chunks_.size()) return;
    if (chunks_.empty() || Small()) {
      if (end <= kChunk) {
        Regrow(std::max<size_t>(8, std::bit_ceil(end)), 0);
        return;
      }
      MakeLarge();
    }
    while (chunks_.size() * kChunk < end) chunks_.push_back(std::make_unique<Cell[]>(kChunk));
  }
  // The one chunk made `room` cells, the cells moved `shift` places up.
  void Regrow(size_t room, size_t shift) {
    auto grown = std::make_unique<Cell[]>(room);
    if (!chunks_.empty()) std::move(&At(front_), &At(front_ + size_), grown.get() + shift);
    chunks_.clear();
    chunks_.push_back(std::move(grown));
    front_ = 0;
    capacity_ = room;
  }
  void MakeLarge() {
    if (Small()) Regrow(kChunk, 0);
    capacity_ = kChunk;
  }
  // Frees the chunks past the last cell.
  void ReleaseBack() {
    if (size_ == 0) {
      chunks_.clear();
      front_ = capacity_ = 0;
      return;
    }
    if (Small()) return;
    const size_t used = (front_ + size_ + kChunk - 1) >> kChunkShift;
    chunks_.resize(used);
  }

  std::vector<std::unique_ptr<Cell[]>> chunks_;
  size_t front_ = 0;     // where the first cell stands in the first chunk
  size_t size_ = 0;
  size_t capacity_ = 0;  // cells a chunk holds: kChunk, or less for a short column's one chunk
};

}  // namespace kx::memhost
