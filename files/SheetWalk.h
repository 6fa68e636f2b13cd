#pragma once
// A worksheet part read through a window, in three stretches: the text before the rows, the
// rows a batch at a time, and the text after them. Reading or saving a sheet of a million rows
// never holds its part whole; what surrounds the rows (views, validation rules, page setup) is
// small and is kept, without the rows, as the sheet's skeleton.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileError.h"
#include "files/PartSource.h"
#include "files/PartWindow.h"
#include "files/XmlScan.h"

namespace kx::files {

// The part with the rows' text taken out.
struct SheetSkeleton {
  std::string text;
  // Where the rows were in the part, [rowsBegin, rowsEnd); in `text` they would be at
  // rowsBegin. Both are the end of the text when the sheet has no rows element.
  size_t rowsBegin = 0, rowsEnd = 0;
  // A position in the part for one in `text`.
  size_t InPart(size_t at) const { return at < rowsBegin ? at : at + (rowsEnd - rowsBegin); }
};

class SheetWalk {
 public:
  // `what` names the sheet in messages. `list` names the element whose children are walked
  // (the sheet's rows element); empty, it is the root itself (as for the shared strings).
  // `stretch` is how much of the part is read at a time.
  SheetWalk(std::unique_ptr<TextStream> stream, std::string what,
            std::string_view list = "sheetData", size_t stretch = PartWindow::kDefaultStretch)
      : window_(std::move(stream), stretch), what_(std::move(what)), list_(list) {}

  // Refuses a text in the rows too long to be one cell's of at most `maxCellChars` characters,
  // before the window grows to hold it.
  void LimitTextRuns(std::uint64_t maxCellChars) { maxCellChars_ = maxCellChars; }

  // Reads up to the rows. The root's and the rows element's start tags (nullopt when the part
  // has no root, or the root no rows element) are then known, positions as in the part; their
  // names point into the head, which is gone once the rows are walked.
  FileResult<void> ReadHead();
  const std::optional<ElementSpan>& root() const { return root_; }
  const std::optional<ElementSpan>& sheetData() const { return sheetData_; }
  // The text before the rows (the whole part when it has none).
  std::string_view head() const { return window_.text().substr(0, headEnd_); }

  // Calls visit(text, base, children) for the child elements of the rows element, a batch at a
  // time, in order: the spans are positions in `text`, which starts at `base` in the part.
  using Batch =
      std::function<FileResult<void>(std::string_view, size_t, const std::vector<ElementSpan>&)>;
  FileResult<void> ForEachBatch(const Batch& visit);

  // Where the rows element's content ends in the part, once the rows have been walked.
  size_t rowsEnd() const { return rowsEnd_; }

  // Reads the rest of the part (walking the rows unless that was done).
  FileResult<SheetSkeleton> Finish();

 private:
  static constexpr size_t kBatchBytes = 1 << 20;
  FileResult<void> CheckTextRuns(std::string_view partial) const;
  FileError Malformed() const { return {FileErrorKind::Damaged, what_ + " is malformed XML"}; }

  PartWindow window_;
  std::string what_;
  std::string_view list_;
  std::optional<ElementSpan> root_, sheetData_;
  size_t headEnd_ = 0;
  std::string head_;
  size_t rowsEnd_ = 0;  // where the rows element's content ends in the part
  bool rowsRead_ = false;
  std::uint64_t maxCellChars_ = 0;  // 0: no limit
};

// A sheet part held whole, as a stream (tests, and parts made in memory).
std::unique_ptr<TextStream> StreamOf(std::string text);

}  // namespace kx::files
