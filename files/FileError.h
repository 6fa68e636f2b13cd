#pragma once
// The one error type of workbook reading and writing, and the result that carries it. Nothing
// here throws: a failure comes back as a FileError whose message names the file and what is
// wrong with it, ready to be shown to the user.

#include <cassert>
#include <string>
#include <utility>
#include <variant>

namespace kx::files {

enum class FileErrorKind {
  NotFound,      // no such file, or it cannot be opened
  NotAWorkbook,  // the bytes are not a workbook we can read
  Damaged,       // a workbook, but broken or inconsistent
  TooLarge,      // over a size limit (decompression bombs, absurd dimensions, too many cells)
  Unsupported,   // valid, but asks for something we cannot do (e.g. colours into .csv)
  WriteFailed,   // the operating system refused the write; the target is untouched
};

struct FileError {
  FileErrorKind kind = FileErrorKind::Damaged;
  std::string message;
};

template <class T>
class [[nodiscard]] FileResult {
 public:
  FileResult(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT: implicit
  FileResult(FileError error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT

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
  const FileError& error() const {
    assert(!ok());
    return std::get<1>(state_);
  }

 private:
  std::variant<T, FileError> state_;
};

template <>
class [[nodiscard]] FileResult<void> {
 public:
  FileResult() = default;
  FileResult(FileError error) : error_(std::move(error)), failed_(true) {}  // NOLINT: implicit
  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const FileError& error() const {
    assert(failed_);
    return error_;
  }

 private:
  FileError error_;
  bool failed_ = false;
};

}  // namespace kx::files

// Returns a failure to the caller; otherwise yields the value (see KX_TRY in host/Result.h).
// Each use gets its own variable name, so that uses can nest.
#define KX_FILE_TRY(expr) KX_FILE_TRY_NAMED(expr, KX_FILE_CONCAT(kx_file_try_, __COUNTER__))
#define KX_FILE_CONCAT(a, b) KX_FILE_CONCAT_(a, b)
#define KX_FILE_CONCAT_(a, b) a##b
#define KX_FILE_TRY_NAMED(expr, name)           \
  __extension__({                               \
    auto&& name = (expr);                       \
    if (!name.ok()) return name.error();        \
    ::kx::files::detail::Take(std::move(name)); \
  })

namespace kx::files::detail {
template <class T>
T Take(FileResult<T>&& r) {
  return std::move(r).value();
}
inline void Take(FileResult<void>&&) {}
}  // namespace kx::files::detail
