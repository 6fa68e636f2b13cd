#include "files/SheetWalk.h"

#include "files/CellText.h"

namespace kx::files {

std::unique_ptr<TextStream> StreamOf(std::string text) {
  // A source over a string cannot fail to open.
  return TextSource(std::move(text))->Open().value();
}

FileResult<void> SheetWalk::ReadHead() {
  // The head is kept whole: the window only grows here.
  for (;;) {
    std::string_view text = window_.text();
    bool malformed = false;
    root_ = NextChildStart(text, 0, text.size(), malformed);
    if (root_ && list_.empty()) {
      sheetData_ = root_;
      headEnd_ = rowsEnd_ = root_->tagEnd;
      rowsRead_ = root_->selfClosing;
      return {};
    }
    if (root_ && !root_->selfClosing) {
      size_t next = root_->tagEnd;
      std::optional<ElementSpan> child;
      bool cut = false;
      while ((child = NextChildStart(text, next, text.size(), malformed))) {
        if (LocalName(child->name) == list_) break;
        size_t probe = next;
        if (!NextChild(text, probe, text.size(), malformed)) {
          cut = true;
          break;
        }
        next = probe;
      }
      if (child && !cut) {
        sheetData_ = child;
        headEnd_ = child->tagEnd;
        rowsEnd_ = headEnd_;
        if (child->selfClosing) rowsRead_ = true;
        return {};
      }
    }
    if (window_.complete()) {
      // No rows element: the whole part is the head.
      if (root_ && root_->selfClosing) root_->contentEnd = root_->end = root_->tagEnd;
      sheetData_.reset();
      headEnd_ = text.size();
      rowsEnd_ = headEnd_;
      rowsRead_ = true;
      return {};
    }
    KX_TRY(window_.More(0));
  }
}

FileResult<void> SheetWalk::ForEachBatch(const Batch& visit) {
  if (rowsRead_) return {};
  // The head stays in the window until the rows begin to move it; keep a copy for Finish.
  head_.assign(window_.text().substr(0, headEnd_));
  size_t pos = headEnd_;  // in the part
  std::vector<ElementSpan> batch;
  for (;;) {
    std::string_view text = window_.text();
    size_t base = window_.begin();
    size_t next = pos - base, batchBytes = 0;
    bool malformed = false, ended = false;
    batch.clear();
    while (batchBytes < kBatchBytes) {
      size_t probe = next;
      auto child = NextChild(text, probe, text.size(), malformed);
      if (!child) {
        // The rows element's end tag, or the window's end cutting a row.
        ended =
            !malformed && probe + 1 < text.size() && text[probe] == '<' && text[probe + 1] == '/';
        if (ended) next = probe;
        break;
      }
      batch.push_back(*child);
      batchBytes += child->end - child->begin;
      next = probe;
    }
    if (!batch.empty()) KX_TRY(visit(text, base, batch));
    pos = base + next;
    if (ended) {
      rowsEnd_ = pos;
      rowsRead_ = true;
      return {};
    }
    if (batch.empty() || batchBytes < kBatchBytes) {
      if (window_.complete()) return Malformed();
      if (maxCellChars_ != 0 && batch.empty()) KX_TRY(CheckTextRuns(text.substr(next)));
      KX_TRY(window_.More(pos));
    }
  }
}

FileResult<void> SheetWalk::CheckTextRuns(std::string_view partial) const {
  // A character takes at most ten bytes as XML writes it ("&#x10FFFF;"), so a longer stretch of
  // text between two tags is more than any cell can hold.
  const std::uint64_t longest = maxCellChars_ * 10;
  if (partial.size() <= longest) return {};
  size_t run = 0;
  for (char c : partial) {
    run = c == '<' ? 0 : run + 1;
    if (run > longest) return TooLongForACell(what_ + ": a cell", maxCellChars_);
  }
  return {};
}

FileResult<SheetSkeleton> SheetWalk::Finish() {
  bool rows = sheetData_ && !sheetData_->selfClosing;
  if (!rowsRead_) {
    KX_TRY(ForEachBatch([](std::string_view, size_t, const std::vector<ElementSpan>&) {
      return FileResult<void>{};
    }));
  }
  // Without rows, the window still starts at the part's start.
  while (!window_.complete()) KX_TRY(window_.More(rows ? rowsEnd_ : 0));
  SheetSkeleton skeleton;
  if (!rows) {
    skeleton.text = std::string(window_.text());
    skeleton.rowsBegin = skeleton.rowsEnd = sheetData_ ? headEnd_ : skeleton.text.size();
    return skeleton;
  }
  skeleton.text = head_;
  skeleton.text.append(window_.text().substr(rowsEnd_ - window_.begin()));
  skeleton.rowsBegin = headEnd_;
  skeleton.rowsEnd = rowsEnd_;
  return skeleton;
}

}  // namespace kx::files
