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
  // About a megabyte at a time: large enough that a walk over the window costs little per
  // refill, small beside a sheet of a million rows.
  static constexpr size_t kDefaultStretch = 1 << 20;

  // `stretch` is how much each refill reads.
  explicit PartWindow(std::unique_ptr<TextStream> stream, size_t stretch = kDefaultStretch)
      : stream_(std::move(stream)), stretch_(stretch) {}

  // The window's text, and where it starts in the part.
  std::string_view text() const { return buffer_; }
  size_t begin() const { return begin_; }
  // The window reaches the end of the part.
  bool complete() const { return complete_; }

  // Reads on, keeping the text from `keepFrom` (a position in the part, at or after begin()).
  FileResult<void> More(size_t keepFrom);

 private:
  std::unique_ptr<TextStream> stream_;
  size_t stretch_;
  std::string buffer_;
  size_t begin_ = 0;
  bool complete_ = false;
};

}  // namespace kx::files
