#pragma once
// Big arrays on huge pages where the system offers them: a table of a million keys is looked up
// at random, and with small pages nearly every lookup also misses the address translation cache.

#include <cstddef>
#include <cstdlib>
#include <new>

namespace kx::memhost {

// Asks the system to back a 2 MB-aligned block with huge pages; a hint it may ignore.
void AdviseHugePages(void* block, size_t bytes);

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
    void* p = std::aligned_alloc(kHugePage, bytes);
    if (p == nullptr) throw std::bad_alloc();
    AdviseHugePages(p, bytes);
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t n) {
    if (n * sizeof(T) < kHugePage) ::operator delete(p);
    else std::free(p);
  }
  template <class U>
  bool operator==(const HugePageAllocator<U>&) const { return true; }

 private:
  static constexpr size_t kHugePage = size_t{2} << 20;
};

}  // namespace kx::memhost
