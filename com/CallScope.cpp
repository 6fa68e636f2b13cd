#include "com/CallScope.h"

#include <utility>
#include <vector>

namespace kx::com {

namespace {
// One user-interface thread: the add-in lives in a single-threaded apartment.
int depth = 0;
std::vector<std::function<void()>>& Deferred() {
  static std::vector<std::function<void()>> work;
  return work;
}
}  // namespace

CallScope::CallScope() { ++depth; }

CallScope::~CallScope() {
  if (--depth > 0) return;
  // Deferred work may itself defer more (a release that releases): run until none is left.
  ++depth;
  while (!Deferred().empty()) {
    auto work = std::move(Deferred());
    Deferred().clear();
    for (auto& w : work) {
      // Runs from a destructor: nothing may escape it.
      try {
        w();
      } catch (...) {
      }
    }
  }
  --depth;
}

bool CallScope::Active() { return depth > 0; }

void CallScope::Later(std::function<void()> work) {
  if (depth == 0) {
    work();
    return;
  }
  Deferred().push_back(std::move(work));
}

}  // namespace kx::com
