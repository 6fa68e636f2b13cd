#include <sys/mman.h>

#include "memhost/HugePages.h"

namespace kx::memhost {

void AdviseHugePages(void* block, size_t bytes) {
#ifdef MADV_HUGEPAGE
  (void)madvise(block, bytes, MADV_HUGEPAGE);
#else
  (void)block;
  (void)bytes;
#endif
}

}  // namespace kx::memhost
