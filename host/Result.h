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

// A value or a failure of error type E. Result<T> is the host's; other layers with their own
// error type (the file layer) use BasicResult with it.
template <class T, class E>
class [[nodiscard]] BasicResult {
 public:
  BasicResult(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit by design
  BasicResult(E error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

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

  const E& error() const {
    assert(!ok());
    return std::get<1>(state_);
  }

  template <class U>
  T value_or(U&& fallback) const& {
    return ok() ? value() : static_cast<T>(std::forward<U>(fallback));
  }

 private:
  std::variant<T, E> state_;
};

template <class E>
class [[nodiscard]] BasicResult<void, E> {
 public:
  BasicResult() = default;
  BasicResult(E error) : error_(std::move(error)), failed_(true) {}  // NOLINT: implicit by design

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const E& error() const {
    assert(failed_);
    return error_;
  }

 private:
  E error_{};
  bool failed_ = false;
};

template <class T>
using Result = BasicResult<T, Error>;

inline Error Fail(long number, std::string description) {
  return Error{number, std::move(description)};
}

}  // namespace kx::host

// Propagates a failure to the caller; otherwise yields the value. Usable with Result<void> and
// with any BasicResult. Each use gets a variable of its own, so that uses can nest.
// (A GNU statement expression, which g++ and clang both offer; __extension__ keeps -Wpedantic quiet.)
#define KX_TRY(expr) KX_TRY_NAMED(expr, KX_TRY_CONCAT(kx_try_result_, __COUNTER__))
#define KX_TRY_CONCAT(a, b) KX_TRY_CONCAT_(a, b)
#define KX_TRY_CONCAT_(a, b) a##b
#define KX_TRY_NAMED(expr, name)                       \
  __extension__({                                      \
    auto&& name = (expr);                              \
    if (!name.ok()) return name.error();               \
    ::kx::host::detail::TakeValue(std::move(name));    \
  })

namespace kx::host::detail {
template <class T, class E>
T TakeValue(BasicResult<T, E>&& r) {
  return std::move(r).value();
}
template <class E>
void TakeValue(BasicResult<void, E>&&) {}
}  // namespace kx::host::detail
