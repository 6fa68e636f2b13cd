#pragma once
// Result<T>: a host call's value or the failure the spreadsheet would have raised.
//
// Host calls never throw. A failure carries the run-time error number that the spreadsheet's
// object model raises for it (see ErrorNumbers.h), so add-in code can classify it exactly as
// the add-in did in the spreadsheet itself.

#include <cassert>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

namespace kx::host {

struct Error {
  long number = 0;
  std::string description;

  friend bool operator==(const Error&, const Error&) = default;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit by design
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & {
    assert(ok());
    return std::get<0>(state_);
  }
  const T& value() const& {
    assert(ok());
    return std::get<0>(state_);
  }
  T&& value() && {
    assert(ok());
    return std::get<0>(std::move(state_));
  }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  const Error& error() const {
    assert(!ok());
    return std::get<1>(state_);
  }

  template <class U>
  T value_or(U&& fallback) const& {
    return ok() ? value() : static_cast<T>(std::forward<U>(fallback));
  }

 private:
  std::variant<T, Error> state_;
};

template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT: implicit by design

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const Error& error() const {
    assert(failed_);
    return error_;
  }

 private:
  Error error_;
  bool failed_ = false;
};

inline Error Fail(long number, std::string description) {
  return Error{number, std::move(description)};
}

}  // namespace kx::host

// Propagates a failure to the caller; otherwise yields the value. Usable with Result<void> too.
// (A GNU statement expression, which g++ and clang both offer; __extension__ keeps -Wpedantic quiet.)
#define KX_TRY(expr)                                                  \
  __extension__({                                                     \
    auto&& kx_try_result_ = (expr);                                   \
    if (!kx_try_result_.ok()) return kx_try_result_.error();          \
    ::kx::host::detail::TakeValue(std::move(kx_try_result_));         \
  })

namespace kx::host::detail {
template <class T>
T TakeValue(Result<T>&& r) {
  return std::move(r).value();
}
inline void TakeValue(Result<void>&&) {}
}  // namespace kx::host::detail
