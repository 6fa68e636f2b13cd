#pragma once
// CallScope: marks a call from the host into add-in code on this (the host's user-interface)
// thread. The add-in may unload itself from inside such a call (its Exit command), and the host
// then lets go of it; whatever must not go while add-in code is still running is put off with
// Later and done when the outermost call returns.

#include <functional>

namespace kx::com {

class CallScope {
 public:
  CallScope();
  ~CallScope();
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

  // True while some call from the host is running.
  static bool Active();
  // Runs `work` now when no call is running, else when the outermost one returns.
  static void Later(std::function<void()> work);
};

}  // namespace kx::com
