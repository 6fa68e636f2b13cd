#pragma once
// Where a part's text is read from a stretch at a time: the package, inflating as it goes, or
// text already in memory. A source can be read again from its start, which is how a saved sheet
// copies its untouched rows without keeping the original sheet in memory.

#include <cstddef>
#include <memory>
#include <string>

#include "files/FileError.h"

namespace kx::files {

class TextStream {
 public:
  virtual ~TextStream() = default;
  // Up to `length` bytes into `out`; 0 at the end of the text.
  virtual FileResult<size_t> Read(char* out, size_t length) = 0;
};

class PartSource {
 public:
  virtual ~PartSource() = default;
  // A stream from the start of the text.
  virtual FileResult<std::unique_ptr<TextStream>> Open() const = 0;
};

// A source over text held in memory.
std::shared_ptr<PartSource> TextSource(std::string text);

}  // namespace kx::files
