#pragma once
// How the program asks the C library's allocator to work. A command on a big column makes a
// few million small blocks (cells' texts, undo records) and walks them in no useful order:
// backing the heap with huge pages spares most of the address-translation misses, and freeing
// small blocks straight away, rather than in bins swept on the next large request, spares the
// long pauses of those sweeps. Together about 10% of a million-row command end to end.

#include <optional>
#include <string>

namespace kx::cli {

// What to set before the program starts itself again with the allocator tuned: GLIBC_TUNABLES
// and the note that lets the second start give the user's own value back to its children.
struct AllocatorRestart {
  std::string tunables;
  std::string note;
};

// The restart for a GLIBC_TUNABLES of `current` (nullptr when unset); none when the user
// already chose the allocator's page size.
std::optional<AllocatorRestart> PlanAllocatorRestart(const char* current);

// The GLIBC_TUNABLES the user had, from the note (nullopt: it was unset).
std::optional<std::string> TunablesBefore(const std::string& note);

// Tunes the allocator for this process, once. With the C library and the kernel's huge pages
// available, the program starts itself again (same arguments, same open files) with
// GLIBC_TUNABLES set, since the page size can only be chosen at start; the second start
// restores the user's environment so that nothing the program launches sees the change. Setting
// glibc.malloc.hugetlb in GLIBC_TUNABLES yourself (0 to refuse) leaves the choice to you.
void TuneAllocator(char** argv);

}  // namespace kx::cli
