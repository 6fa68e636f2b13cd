#include "memhost/Faults.h"

#include <cstdint>

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

long& Faults::Counter(std::string_view name) {
  auto counted = calls_.find(name);
  if (counted == calls_.end()) counted = calls_.emplace(std::string(name), 0).first;
  return counted->second;
}

std::optional<host::Error> Faults::Enter(std::string_view name) {
  long count = ++Counter(name);
  if (log_ != nullptr) log_->emplace_back(name);
  if (rules_.empty()) return std::nullopt;
  return Check(name, count);
}

std::optional<host::Error> Faults::EnterLiteral(const char* name) {
  Recent& recent = recent_[(reinterpret_cast<std::uintptr_t>(name) >> 3) % recent_.size()];
  if (recent.name != name) recent = {name, &Counter(name)};
  long count = ++*recent.count;
  if (log_ != nullptr) log_->emplace_back(name);
  if (rules_.empty()) return std::nullopt;
  return Check(name, count);
}

std::optional<host::Error> Faults::Check(std::string_view name, long count) {
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
