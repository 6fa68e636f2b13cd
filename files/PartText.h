#pragma once
// A part's new content held as stretches of its original text with new text between them. A
// sheet in which the add-in cleared half the cells keeps most of its rows as they were; holding
// those as positions in the original costs nothing, where a second copy of the whole sheet costs
// as much again as the original. The package writer streams the part from here.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kx::files {

class PartText {
 public:
  explicit PartText(std::string original = {}) : original_(std::move(original)) {}
  // A part whose content is all new.
  static PartText Whole(std::string text);

  const std::string& original() const { return original_; }
  // Adds original_[begin, end) after what the part holds so far.
  void Copy(size_t begin, size_t end);
  // New text is appended here; it follows whatever was copied before it.
  std::string& NewText() { return fresh_; }

  size_t size();
  // Reads on from where the last read stopped; returns the bytes written to `out` (0 at the
  // end).
  size_t Read(char* out, size_t length);
  void Rewind() { piece_ = within_ = freshAt_ = 0; }
  // Frees the texts once the part has been written.
  void Release();
  // The whole content in one string (for tests and checks).
  std::string Flatten();

 private:
  // A stretch of the original followed by a stretch of new text (taken in order from fresh_).
  struct Piece {
    size_t copyBegin = 0, copyLength = 0, freshLength = 0;
  };
  void CountNewText();

  std::string original_;
  std::string fresh_;
  std::vector<Piece> pieces_;
  size_t counted_ = 0;             // how much of fresh_ the pieces account for
  size_t piece_ = 0, within_ = 0;  // where reading stands
  size_t freshAt_ = 0;             // where the current piece's new text starts in fresh_
};

}  // namespace kx::files
