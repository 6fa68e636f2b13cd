#pragma once
// Big arrays on huge pages where the system offers them: a table of a million keys is looked up
// at random, and with small pages nearly every lookup also misses the address translation cache.
// Here, below every layer, so that the in-memory host's indexes and the engines' own tables
// can both have them.

#include <cstddef>
#include <new>

namespace kx::host {

// A block of `bytes` (a multiple of 2 MB) aligned to 2 MB, which the system is asked to back
// with huge pages where it offers them (a hint it may ignore); null when memory is short.
void* AllocateHugePageBlock(size_t bytes);
void FreeHugePageBlock(void* block);

// Allocates arrays of 2 MB or more on huge pages; smaller ones as usual.
template <class T>
struct HugePageAllocator {
  using value_type = T;
  HugePageAllocator() = default;
  template <class U>
  HugePageAllocator(const HugePageAllocator<U>&) {}  // NOLINT: converting, as allocators are

  T* allocate(size_t n) {
    size_t bytes = n * sizeof(T);
    if (bytes < kHugePage) return static_cast<T*>(::operator new(bytes));
    bytes = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = AllocateHugePageBlock(bytes);
    if (p == nullptr) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t n) {
    if (n * sizeof(T) < kHugePage) ::operator delete(p);
    else FreeHugePageBlock(p);
  }
  template <class U>
  bool operator==(const HugePageAllocator<U>&) const { return true; }

 private:
  static constexpr size_t kHugePage = size_t{2} << 20;
};

}  // namespace kx::host
