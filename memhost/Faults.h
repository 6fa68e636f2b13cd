#pragma once
// Failure injection for tests: any memhost member can be made to fail once, always, or on its
// Nth use, with a chosen error number. Members are named "Interface.Member" as in host/
// ("Range.Clear", "WorksheetFunction.CountIf"). Every call is counted, failing or not.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/Result.h"

namespace kx::memhost {

class Faults {
 public:
  // The next call of `name` fails.
  void FailOnce(std::string_view name, long number);
  // Every call of `name` fails until Clear.
  void FailAlways(std::string_view name, long number);
  // The nth call of `name` from now on (1: the next one) fails; the others succeed.
  void FailOnCall(std::string_view name, long nth, long number);
  void Clear();

  // How often `name` was called since the host was made.
  long Calls(std::string_view name) const;
  // Appends the name of every call from now on to `log` (null: stop recording).
  void Record(std::vector<std::string>* log) { log_ = log; }

  // Called on entry of every member: counts the call and gives the failure to report, if any.
  std::optional<host::Error> Enter(std::string_view name);
  // The same for a name that is a string literal: every host call passes here, so its counter
  // is found by the literal's address, without hashing the name, and a call that nobody records
  // or fails is counted inline.
  std::optional<host::Error> Enter(const char* name) {
    if (CountQuietly(name)) return std::nullopt;
    return EnterLiteral(name);
  }
  // Counts a call of `name`, a string literal, when nobody records or fails calls and the
  // name's counter is at hand; false, and nothing counted, when Enter must see to it.
  bool CountQuietly(const char* name) {
    Recent& recent = recent_[(reinterpret_cast<std::uintptr_t>(name) >> 3) % recent_.size()];
    if (recent.name != name || log_ != nullptr || !rules_.empty()) return false;
    ++*recent.count;
    return true;
  }

 private:
  enum class Mode { Once, Always, Nth };
  struct Rule {
    Mode mode;
    long number;
    long failAt;  // the call count at which a Nth rule fires
  };
  // Every host call passes here, so the names are hashed rather than compared along a tree.
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  template <class T>
  using ByName = std::unordered_map<std::string, T, NameHash, std::equal_to<>>;
  long& Counter(std::string_view name);
  std::optional<host::Error> EnterLiteral(const char* name);
  std::optional<host::Error> Check(std::string_view name, long count);

  ByName<long> calls_;  // never erased: the counters stay where they are
  ByName<Rule> rules_;
  struct Recent {
    const char* name = nullptr;
    long* count = nullptr;
  };
  std::array<Recent, 256> recent_{};
  std::vector<std::string>* log_ = nullptr;
};

}  // namespace kx::memhost

// First statement of every memhost member: counts the call and fails it when a test asked so.
#define KX_MEMHOST_ENTER(state, name)                                        \
  do {                                                                       \
    if (auto kx_fault_ = (state).faults.Enter(name)) return *kx_fault_;      \
  } while (false)
