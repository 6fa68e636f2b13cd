#pragma once
// Watched<T>: a control property whose every assignment is reported to the form that holds the
// control, so that a driver can redraw it or a test can read back every value the user saw.

#include <functional>
#include <ostream>
#include <type_traits>
#include <utility>

namespace kx::ui {

template <class T>
class Watched {
 public:
  Watched() = default;
  Watched(T initial) : value_(std::move(initial)) {}  // NOLINT: reads like the plain member it stands for
  template <class U>
    requires std::is_constructible_v<T, U&&> && (!std::is_same_v<std::remove_cvref_t<U>, Watched>)
  Watched(U&& initial) : value_(std::forward<U>(initial)) {}  // NOLINT

  // Copying a control copies its value, never the report target of the original.
  Watched(const Watched& other) : value_(other.value_) {}
  Watched& operator=(const Watched& other) { return *this = other.value_; }

  Watched& operator=(T value) {
    value_ = std::move(value);
    if (onSet_) onSet_(value_);
    return *this;
  }
  template <class U>
    requires std::is_constructible_v<T, U&&> && (!std::is_same_v<std::remove_cvref_t<U>, Watched>)
  Watched& operator=(U&& value) {
    return *this = T(std::forward<U>(value));
  }

  operator const T&() const { return value_; }  // NOLINT: used where a T is wanted
  const T& Get() const { return value_; }

  // Installed by the form when it registers the control; one report target at a time.
  void ReportTo(std::function<void(const T&)> onSet) { onSet_ = std::move(onSet); }

  friend bool operator==(const Watched& a, const T& b) { return a.value_ == b; }
  friend std::ostream& operator<<(std::ostream& out, const Watched& w) { return out << w.value_; }

 private:
  T value_{};
  std::function<void(const T&)> onSet_;
};

}  // namespace kx::ui
