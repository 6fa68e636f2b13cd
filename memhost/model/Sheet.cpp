#include "memhost/model/Sheet.h"

#include <algorithm>
#include <utility>

namespace kx::memhost {

const Sheet::Column* Sheet::FindColumn(std::int32_t column) const {
  if (lastColumn_ != nullptr && lastColumn_->first == column) return &lastColumn_->second;
  auto it = columns_.find(column);
  if (it == columns_.end()) return nullptr;
  lastColumn_ = &*it;
  return &it->second;
}

const Cell* Sheet::StoredSlot(CellPos pos) const {
  const Column* col = FindColumn(pos.column);
  if (col == nullptr) return nullptr;
  std::int64_t i = std::int64_t{pos.row} - col->firstRow;
  if (i < 0 || i >= static_cast<std::int64_t>(col->cells.size())) return nullptr;
  return &col->cells[static_cast<size_t>(i)];
}

const Cell* Sheet::CellAt(CellPos pos) const {
  const Cell* cell = StoredSlot(pos);
  return cell == nullptr || cell->IsBlank() ? nullptr : cell;
}

void Sheet::Prefetch(CellPos pos) const {
  // The slot's address only: reading it is what the caller wants to happen later.
  if (const Cell* cell = StoredSlot(pos)) __builtin_prefetch(cell);
}

void Sheet::PrefetchText(CellPos pos) const {
  const Cell* cell = StoredSlot(pos);
  if (cell == nullptr || !cell->value.IsText()) return;
  // Text held inline lies in the cell, which has come: asking for it again costs nothing.
  __builtin_prefetch(cell->value.AsText().data());
}

void ChangedCells::insert(CellPos pos) {
  std::vector<bool>& marks = marks_[pos.column];
  auto row = static_cast<size_t>(pos.row);
  if (row >= marks.size()) marks.resize(std::max(row + 1, marks.size() * 2));
  if (marks[row]) return;
  marks[row] = true;
  list_.push_back(pos);
}

size_t ChangedCells::count(CellPos pos) const {
  auto it = marks_.find(pos.column);
  auto row = static_cast<size_t>(pos.row);
  return it != marks_.end() && row < it->second.size() && it->second[row] ? 1 : 0;
}

void Sheet::SetCell(CellPos pos, Cell cell) {
  Cell* current = const_cast<Cell*>(CellAt(pos));
  if (current ? *current == cell : cell.IsBlank()) return;
  changes_.cells.insert(pos);
  if (listeners_.empty()) {
    Store(pos, std::move(cell));
    return;
  }
  // The cell as it was is moved out, not copied: a clear then frees nothing but the text it
  // took. The stored cell is not blank yet, so Store still counts it as replaced.
  Cell before;
  if (current != nullptr) {
    before.value = std::exchange(current->value, host::Variant(false));
    before.formula = std::move(current->formula);
    before.style = current->style;
  }
  Store(pos, std::move(cell));
  static const Cell kBlank;
  const Cell* after = CellAt(pos);
  for (SheetListener* listener : listeners_) {
    listener->CellChanged(*this, pos, before, after != nullptr ? *after : kBlank);
  }
}

void SheetListener::StyleChanged(const Sheet& sheet, CellPos pos, const Cell& cell,
                                 StyleId before) {
  Cell was = cell;
  was.style = before;
  CellChanged(sheet, pos, was, cell);
}

void Sheet::SetStyle(CellPos pos, StyleId style) {
  Cell* current = const_cast<Cell*>(CellAt(pos));
  if (current == nullptr ||
      (style == kDefaultStyle && current->value.IsEmpty() && current->formula.empty())) {
    // A blank cell is made, or a cell left with nothing dropped, as SetCell does.
    Cell cell;
    cell.style = style;
    SetCell(pos, std::move(cell));
    return;
  }
  if (current->style == style) return;
  changes_.cells.insert(pos);
  StyleId before = std::exchange(current->style, style);
  for (SheetListener* listener : listeners_) listener->StyleChanged(*this, pos, *current, before);
}

void Sheet::LoadCell(CellPos pos, Cell cell) { Store(pos, std::move(cell)); }

void Sheet::Store(CellPos pos, Cell&& cell) {
  auto it = columns_.find(pos.column);
  if (cell.IsBlank()) {
    if (it == columns_.end()) return;
    Column& col = it->second;
    std::int64_t i = std::int64_t{pos.row} - col.firstRow;
    if (i < 0 || i >= static_cast<std::int64_t>(col.cells.size())) return;
    Cell& slot = col.cells[static_cast<size_t>(i)];
    if (slot.IsBlank()) return;
    slot = Cell{};
    --cellCount_;
    // Keep both ends of the column non-blank.
    while (!col.cells.empty() && col.cells.back().IsBlank()) col.cells.pop_back();
    size_t lead = 0;
    while (lead < col.cells.size() && col.cells[lead].IsBlank()) ++lead;
    if (lead == col.cells.size()) {
      lastColumn_ = nullptr;
      columns_.erase(it);
      return;
    }
    if (lead > 0) {
      col.cells.pop_front(lead);
      col.firstRow += static_cast<std::int32_t>(lead);
    }
    return;
  }
  Cell* slot = Slot(pos);
  if (slot->IsBlank()) ++cellCount_;
  *slot = std::move(cell);
}

Cell* Sheet::Slot(CellPos pos) {
  auto [it, inserted] = columns_.try_emplace(pos.column);
  Column& col = it->second;
  if (col.cells.empty()) {
    col.firstRow = pos.row;
    col.cells.resize(1);
    return &col.cells[0];
  }
  if (pos.row < col.firstRow) {
    size_t grow = static_cast<size_t>(col.firstRow - pos.row);
    col.cells.push_front(grow);
    col.firstRow = pos.row;
  }
  size_t i = static_cast<size_t>(pos.row - col.firstRow);
  if (i >= col.cells.size()) col.cells.resize(i + 1);
  return &col.cells[i];
}

std::vector<std::int32_t> Sheet::UsedColumns() const {
  std::vector<std::int32_t> out;
  out.reserve(columns_.size());
  for (const auto& [column, col] : columns_) out.push_back(column);
  return out;
}

std::optional<std::pair<std::int32_t, std::int32_t>> Sheet::StoredRows(std::int32_t column) const {
  const Column* col = FindColumn(column);
  if (col == nullptr || col->cells.empty()) return std::nullopt;
  return std::pair{col->firstRow, col->firstRow + static_cast<std::int32_t>(col->cells.size()) - 1};
}

std::optional<Area> Sheet::UsedArea() const {
  if (columns_.empty()) return std::nullopt;
  Area a{kMaxRows, columns_.begin()->first, 1, columns_.rbegin()->first};
  for (const auto& [column, col] : columns_) {
    a.firstRow = std::min(a.firstRow, col.firstRow);
    a.lastRow = std::max(a.lastRow, col.firstRow + static_cast<std::int32_t>(col.cells.size()) - 1);
  }
  return a;
}

void Sheet::SetRowHidden(std::int32_t row, bool hidden) {
  if (row < 1 || row > kMaxRows || RowHidden(row) == hidden) return;
  if (static_cast<size_t>(row) >= hiddenRows_.size()) hiddenRows_.resize(static_cast<size_t>(row) + 1);
  hiddenRows_[static_cast<size_t>(row)] = hidden;
  changes_.hiddenRows = true;
}

std::vector<std::int32_t> Sheet::HiddenRows() const {
  std::vector<std::int32_t> out;
  for (size_t r = 1; r < hiddenRows_.size(); ++r) {
    if (hiddenRows_[r]) out.push_back(static_cast<std::int32_t>(r));
  }
  return out;
}

std::vector<ValidationRule>& Sheet::MutableValidations() {
  changes_.validations = true;
  return validations_;
}

}  // namespace kx::memhost
