#pragma once
// The shared string table, held compactly: every text in one buffer and where each starts. A
// table of a million short texts takes about a third of what a vector of strings takes, and it
// is read as its part inflates, never holding the part whole.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileError.h"
#include "files/PartSource.h"

namespace kx::files {

class SharedStrings {
 public:
  SharedStrings() = default;
  SharedStrings(std::initializer_list<std::string_view> texts) {
    for (std::string_view t : texts) Add(t);
  }

  size_t size() const { return starts_.size(); }
  std::string_view operator[](size_t i) const {
    size_t end = i + 1 < starts_.size() ? starts_[i + 1] : texts_.size();
    return std::string_view(texts_).substr(starts_[i], end - starts_[i]);
  }
  void Add(std::string_view text) {
    starts_.push_back(texts_.size());
    texts_ += text;
  }

 private:
  std::string texts_;
  std::vector<size_t> starts_;
};

// Reads the table; `what` names it in messages. A text longer than a cell can hold is refused
// (0: any length, for a table that was read within the limit before).
FileResult<SharedStrings> ReadSharedStrings(std::unique_ptr<TextStream> part,
                                            const std::string& what,
                                            std::uint64_t maxCellChars = 32767);

}  // namespace kx::files
