#include "host/HugePages.h"

#include <cstdlib>

#ifdef _WIN32
#include <malloc.h>
#else
#include <sys/mman.h>
#endif

namespace kx::host {

namespace {
constexpr size_t kAlignment = size_t{2} << 20;
}

#ifdef _WIN32
// Windows gives large pages only to a process holding the lock-pages privilege, which a
// spreadsheet's add-in never has: the block is merely aligned.
void* AllocateHugePageBlock(size_t bytes) { return _aligned_malloc(bytes, kAlignment); }
void FreeHugePageBlock(void* block) { _aligned_free(block); }
#else
void* AllocateHugePageBlock(size_t bytes) {
  void* block = std::aligned_alloc(kAlignment, bytes);
#ifdef MADV_HUGEPAGE
  if (block != nullptr) (void)madvise(block, bytes, MADV_HUGEPAGE);
#endif
  return block;
}
void FreeHugePageBlock(void* block) { std::free(block); }
#endif

}  // namespace kx::host
