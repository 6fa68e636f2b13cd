#include "cli/ChangeTally.h"

namespace kx::cli {

ChangeTally::ChangeTally(std::shared_ptr<memhost::Book> book) : book_(std::move(book)) {
  if (!book_) return;
  for (auto& sheet : book_->sheets) {
    sheet->AddListener(this);
    before_.push_back({sheet->HiddenRows(), sheet->validations()});
  }
}

ChangeTally::~ChangeTally() {
  if (!book_) return;
  for (auto& sheet : book_->sheets) sheet->RemoveListener(this);
}

void ChangeTally::CellChanged(const memhost::Sheet& sheet, memhost::CellPos pos,
                              const memhost::Cell& before, const memhost::Cell& after) {
  const auto key = std::make_pair(&sheet, std::make_pair(pos.row, pos.column));
  auto found = cells_.find(key);
  if (found == cells_.end()) {
    cells_.emplace(key, Span{before, after});
  } else {
    found->second.last = after;
  }
}

long ChangeTally::Cleared() const {
  long count = 0;
  for (const auto& [key, span] : cells_) {
    const bool held = !span.first.value.IsEmpty() || span.first.HasFormula();
    const bool empty = span.last.value.IsEmpty() && !span.last.HasFormula();
    if (held && empty) ++count;
  }
  return count;
}

long ChangeTally::Coloured() const {
  long count = 0;
  for (const auto& [key, span] : cells_) {
    if (book_->styles.Get(span.first.style).colorIndex != book_->styles.Get(span.last.style).colorIndex) {
      ++count;
    }
  }
  return count;
}

bool ChangeTally::Changed() const {
  for (const auto& [key, span] : cells_) {
    if (!(span.first == span.last)) return true;
  }
  if (!book_) return false;
  if (book_->sheets.size() != before_.size()) return true;
  for (size_t i = 0; i < before_.size(); ++i) {
    const auto& sheet = *book_->sheets[i];
    if (sheet.HiddenRows() != before_[i].hiddenRows) return true;
    if (sheet.validations() != before_[i].validations) return true;
  }
  return false;
}

}  // namespace kx::cli
