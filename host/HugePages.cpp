#include "host/HugePages.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>
#include <thread>

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
void* AllocateHugePageBlock(size_t bytes) {
  return _aligned_malloc(bytes, kAlignment);
}
void FreeHugePageBlock(void* block) {
  _aligned_free(block);
}
#else
void* AllocateHugePageBlock(size_t bytes) {
  void* block = std::aligned_alloc(kAlignment, bytes);
  if (block == nullptr) return nullptr;
#ifdef MADV_HUGEPAGE
  (void)madvise(block, bytes, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
  // The system clears every page a program first writes to; for a big table that is tens of
  // milliseconds, paid page by page while it is being filled. Another thread has the pages
  // mapped ahead of the filling. Mapping leaves the contents alone, so it may run beside the
  // writes, and on a block already freed it fails harmlessly. A piece at a time, so that the
  // program's own mapping calls are not held up behind the whole block.
  try {
    std::thread([block, bytes] {
      auto* at = static_cast<char*>(block);
      for (size_t done = 0; done < bytes; done += kAlignment) {
        if (madvise(at + done, std::min(kAlignment, bytes - done), MADV_POPULATE_WRITE) != 0)
          return;
      }
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: the pages are mapped as they are written, as usual.
  }
#endif
  return block;
}
void FreeHugePageBlock(void* block) {
  std::free(block);
}
#endif

}  // namespace kx::host
