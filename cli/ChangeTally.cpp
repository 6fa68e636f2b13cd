#include "cli/ChangeTally.h"

namespace kx::cli {

ChangeTally::ChangeTally(std::shared_ptr<memhost::Book> book) : book_(std::move(book)) {
  if (!book_) return;
  for (auto& sheet : book_->sheets) {
    sheet->AddListener(this);
    before_.push_back({sheet, sheet->HiddenRows(), sheet->validations(), {}});
  }
}

ChangeTally::~ChangeTally() {
  if (!book_) return;
  for (auto& sheet : book_->sheets) sheet->RemoveListener(this);
}

void ChangeTally::CellChanged(const memhost::Sheet& sheet, memhost::CellPos pos,
                              const memhost::Cell& before, const memhost::Cell&) {
  for (size_t i = 0; i < before_.size(); ++i) {
    if (before_[i].sheet.get() != &sheet) continue;
    if (before_[i].touched.count(pos) != 0) return;  // its state before is kept already
    before_[i].touched.insert(pos);
    cells_.push_back({i, pos, before});
    return;
  }
}

const memhost::Cell& ChangeTally::Now(const Before& record) const {
  static const memhost::Cell kBlank;
  const memhost::Cell* now = before_[record.sheet].sheet->CellAt(record.pos);
  return now ? *now : kBlank;
}

long ChangeTally::Cleared() const {
  long count = 0;
  for (const Before& record : cells_) {
    const memhost::Cell& now = Now(record);
    const bool held = !record.cell.value.IsEmpty() || record.cell.HasFormula();
    const bool empty = now.value.IsEmpty() && !now.HasFormula();
    if (held && empty) ++count;
  }
  return count;
}

long ChangeTally::Coloured() const {
  long count = 0;
  for (const Before& record : cells_) {
    if (book_->styles.Get(record.cell.style).colorIndex != book_->styles.Get(Now(record).style).colorIndex) {
      ++count;
    }
  }
  return count;
}

bool ChangeTally::Changed() const {
  for (const Before& record : cells_) {
    if (!(record.cell == Now(record))) return true;
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
