#include "memhost/Faults.h"

namespace kx::memhost {

void Faults::FailOnce(std::string_view name, long number) {
  rules_.insert_or_assign(std::string(name), Rule{Mode::Once, number, 0});
}

void Faults::FailAlways(std::string_view name, long number) {
  rules_.insert_or_assign(std::string(name), Rule{Mode::Always, number, 0});
}

void Faults::FailOnCall(std::string_view name, long nth, long number) {
  rules_.insert_or_assign(std::string(name), Rule{Mode::Nth, number, Calls(name) + nth});
}

void Faults::Clear() { rules_.clear(); }

long Faults::Calls(std::string_view name) const {
  auto it = calls_.find(name);
  return it == calls_.end() ? 0 : it->second;
}

std::optional<host::Error> Faults::Enter(std::string_view name) {
  auto counted = calls_.find(name);
  if (counted == calls_.end()) counted = calls_.emplace(std::string(name), 0).first;
  long count = ++counted->second;
  if (rules_.empty()) return std::nullopt;
  auto it = rules_.find(name);
  if (it == rules_.end()) return std::nullopt;
  Rule rule = it->second;
  switch (rule.mode) {
    case Mode::Once:
      rules_.erase(it);
      break;
    case Mode::Always:
      break;
    case Mode::Nth:
      if (count != rule.failAt) return std::nullopt;
      rules_.erase(it);
      break;
  }
  return host::Fail(rule.number, std::string(name) + " failed (injected)");
}

}  // namespace kx::memhost
