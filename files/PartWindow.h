#pragma once
// A window onto a part's text as it is read: the text from some position on, to as far as has
// been read. A caller walks the text and, where an element runs past the window, asks for more,
// saying what it still needs; everything before that is dropped.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "files/FileError.h"
#include "files/PartSource.h"

namespace kx::files {

class PartWindow {
 public:
  explicit PartWindow(std::unique_ptr<TextStream> stream) : stream_(std::move(stream)) {}

  // The window's text, and where it starts in the part.
  std::string_view text() const { return buffer_; }
  size_t begin() const { return begin_; }
  // The window reaches the end of the part.
  bool complete() const { return complete_; }

  // Reads on, keeping the text from `keepFrom` (a position in the part, at or after begin()).
  FileResult<void> More(size_t keepFrom);

 private:
  static constexpr size_t kStretch = 1 << 20;

  std::unique_ptr<TextStream> stream_;
  std::string buffer_;
  size_t begin_ = 0;
  bool complete_ = false;
};

}  // namespace kx::files
