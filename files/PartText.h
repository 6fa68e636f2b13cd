#pragma once
// A part's new content held as stretches of its original text with new text between them. A
// sheet in which the add-in cleared half the cells keeps most of its rows as they were; holding
// those as positions in the original costs nothing, where a copy of the whole sheet costs as much
// as the original again. The original is either held in memory or read again from its source as
// the part is written, so that a big sheet never stands whole in memory while it is saved.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileError.h"
#include "files/PartSource.h"

namespace kx::files {

class PartText {
 public:
  explicit PartText(std::string original = {}) : original_(std::move(original)) {}
  explicit PartText(std::shared_ptr<PartSource> original) : source_(std::move(original)) {}
  // A part whose content is all new.
  static PartText Whole(std::string text);

  // Adds original[begin, end) after what the part holds so far.
  void Copy(size_t begin, size_t end);
  // New text is appended here; it follows whatever was copied before it.
  std::string& NewText() { return fresh_; }

  size_t size();
  // Reads on from where the last read stopped; returns the bytes written to `out` (0 at the
  // end). Fails only when the original cannot be read again.
  FileResult<size_t> Read(char* out, size_t length);
  void Rewind();
  // Frees the texts once the part has been written.
  void Release();
  // The whole content in one string (for tests and checks).
  FileResult<std::string> Flatten();

 private:
  // A stretch of the original followed by a stretch of new text (taken in order from fresh_).
  // A saved sheet may have a million; lengths over 4 GiB are split over several.
  struct Piece {
    size_t copyBegin = 0;
    std::uint32_t copyLength = 0, freshLength = 0;
  };
  void CountNewText();
  FileResult<size_t> ReadOriginal(size_t at, char* out, size_t length);

  std::string original_;
  std::shared_ptr<PartSource> source_;  // instead of original_, when set
  std::unique_ptr<TextStream> stream_;  // reading source_, at streamAt_
  size_t streamAt_ = 0;
  std::string fresh_;
  std::vector<Piece> pieces_;
  size_t counted_ = 0;             // how much of fresh_ the pieces account for
  size_t piece_ = 0, within_ = 0;  // where reading stands
  size_t freshAt_ = 0;             // where the current piece's new text starts in fresh_
};

}  // namespace kx::files
