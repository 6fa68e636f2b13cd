#include "cli/Allocator.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string_view>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <unistd.h>
#endif

namespace kx::cli {

namespace {

constexpr const char* kNoteVariable = "KESTRIX_TUNABLES_BEFORE";
constexpr std::string_view kTuned = "glibc.malloc.hugetlb=1:glibc.malloc.mxfast=0";
// The note for an unset GLIBC_TUNABLES; a set one is noted as "=" and its value.
constexpr std::string_view kWasUnset = "unset";

#if defined(__linux__) && defined(__GLIBC__)
// Whether the kernel gives huge pages to memory that asks for them.
bool HugePagesOffered() {
  std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string modes;
  std::getline(in, modes);
  return modes.find("[always]") != std::string::npos ||
         modes.find("[madvise]") != std::string::npos;
}

// Under valgrind a new start would run outside it, unchecked.
bool UnderValgrind() {
  const char* preload = std::getenv("LD_PRELOAD");
  return preload != nullptr && std::strstr(preload, "vgpreload") != nullptr;
}
#endif

}  // namespace

std::optional<AllocatorRestart> PlanAllocatorRestart(const char* current) {
  std::string_view now = current != nullptr ? current : "";
  if (now.find("glibc.malloc.hugetlb") != std::string_view::npos) return std::nullopt;
  AllocatorRestart restart;
  // The user's own settings come last, so that theirs win where both name a tunable.
  restart.tunables = std::string(kTuned);
  if (!now.empty()) restart.tunables += ":" + std::string(now);
  restart.note = current != nullptr ? "=" + std::string(now) : std::string(kWasUnset);
  return restart;
}

std::optional<std::string> TunablesBefore(const std::string& note) {
  if (!note.empty() && note.front() == '=') return note.substr(1);
  return std::nullopt;
}

void TuneAllocator(char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
  if (const char* note = std::getenv(kNoteVariable)) {
    // The second start: the allocator is tuned; the environment goes back as the user had it.
    auto before = TunablesBefore(note);
    if (before)
      setenv("GLIBC_TUNABLES", before->c_str(), 1);
    else
      unsetenv("GLIBC_TUNABLES");
    unsetenv(kNoteVariable);
    return;
  }
  const char* current = std::getenv("GLIBC_TUNABLES");
  auto restart = PlanAllocatorRestart(current);
  if (!restart) return;  // the user's choice
  if (HugePagesOffered() && !UnderValgrind()) {
    std::string saved = current != nullptr ? current : "";
    setenv(kNoteVariable, restart->note.c_str(), 1);
    setenv("GLIBC_TUNABLES", restart->tunables.c_str(), 1);
    execv("/proc/self/exe", argv);
    // Not started again (no /proc, say): carry on as we are.
    unsetenv(kNoteVariable);
    if (current != nullptr)
      setenv("GLIBC_TUNABLES", saved.c_str(), 1);
    else
      unsetenv("GLIBC_TUNABLES");
  }
  // What can still be set now: small blocks freed at once.
  mallopt(M_MXFAST, 0);
#else
  (void)argv;
#endif
}

}  // namespace kx::cli
