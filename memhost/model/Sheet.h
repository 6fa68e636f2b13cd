#pragma once
// Sheet: one worksheet's cells, hidden rows, validation rules and view, with the single place
// through which every change to a cell passes, so that indexes stay current and a writer knows
// what changed.

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "memhost/model/Cell.h"
#include "memhost/model/CellColumn.h"
#include "memhost/model/Grid.h"
#include "memhost/model/Validation.h"

namespace kx::memhost {

class Sheet;

// Told of every change of a cell after it has been made (not of loading). `after` is the stored
// cell itself: a listener reads the sheet but must not change it.
class SheetListener {
 public:
  virtual ~SheetListener() = default;
  virtual void CellChanged(const Sheet& sheet, CellPos pos, const Cell& before,
                           const Cell& after) = 0;
  // A stored cell took another style, its value and formula unchanged. By default told as any
  // other change; a listener that can tell the two styles apart may skip the copy of the cell.
  virtual void StyleChanged(const Sheet& sheet, CellPos pos, const Cell& cell, StyleId before);
};

// The cells changed since loading, each once, in the order of their first change. A mark per
// row of each column answers "was this one changed" without hashing: the add-in changes cells a
// million at a time, and a hash set of them cost more than the changes themselves.
class ChangedCells {
 public:
  void insert(CellPos pos);
  size_t count(CellPos pos) const;
  bool empty() const { return list_.empty(); }
  size_t size() const { return list_.size(); }
  std::vector<CellPos>::const_iterator begin() const { return list_.begin(); }
  std::vector<CellPos>::const_iterator end() const { return list_.end(); }

 private:
  std::vector<CellPos> list_;
  std::map<std::int32_t, std::vector<bool>> marks_;  // by column, indexed by row
};

class Sheet {
 public:
  explicit Sheet(std::string name) : name_(std::move(name)) {}
  Sheet(const Sheet&) = delete;
  Sheet& operator=(const Sheet&) = delete;

  const std::string& name() const { return name_; }
  void set_name(std::string name) { name_ = std::move(name); }

  // --- cells --------------------------------------------------------------------------------
  // The stored cell, or nullptr for a blank one.
  const Cell* CellAt(CellPos pos) const;
  // Changes a cell (a blank Cell erases it), tells the listeners and records the change.
  void SetCell(CellPos pos, Cell cell);
  // Gives a cell another style, keeping its value and formula; what SetCell does with the cell
  // so restyled, without copying its value.
  void SetStyle(CellPos pos, StyleId style);
  // Stores a cell read from a file: no listener, no change recorded.
  void LoadCell(CellPos pos, Cell cell);
  // Asks for a cell's memory ahead of reading it; nothing else.
  void Prefetch(CellPos pos) const;
  // Asks for the characters of a cell's text, which a text longer than a string holds inline
  // keeps apart from the cell. The cell itself should have come already: it is read.
  void PrefetchText(CellPos pos) const;
  // The non-blank cells of one column between two rows, top to bottom.
  // `visit(row, cell)` is called inline: a pass over a million cells makes no call through a
  // function object per cell.
  template <class Visit>
  void ForEachInColumn(std::int32_t column, std::int32_t firstRow, std::int32_t lastRow,
                       Visit&& visit) const;
  // The columns that hold at least one cell, ascending.
  std::vector<std::int32_t> UsedColumns() const;
  // The smallest area holding every non-blank cell (formatting counts); nullopt when none.
  std::optional<Area> UsedArea() const;
  // The rows between a column's first and last stored cell (formatting counts); nullopt when the
  // column holds none.
  std::optional<std::pair<std::int32_t, std::int32_t>> StoredRows(std::int32_t column) const;
  size_t CellCount() const { return cellCount_; }

  // --- rows ---------------------------------------------------------------------------------
  bool RowHidden(std::int32_t row) const {
    return row >= 1 && static_cast<size_t>(row) < hiddenRows_.size() && hiddenRows_[row];
  }
  void SetRowHidden(std::int32_t row, bool hidden);
  // The hidden rows, ascending.
  std::vector<std::int32_t> HiddenRows() const;

  // --- validation ---------------------------------------------------------------------------
  const std::vector<ValidationRule>& validations() const { return validations_; }
  // Changes the rules; records that they changed.
  std::vector<ValidationRule>& MutableValidations();
  // Stores rules read from a file without recording a change.
  void LoadValidations(std::vector<ValidationRule> rules) { validations_ = std::move(rules); }

  // --- filter and view ----------------------------------------------------------------------
  // The list an in-place filter applies to, while one does.
  std::optional<Area> filterRange;
  // One default area; built without an initializer list, which g++ 12 at -O3 wrongly reports
  // as read uninitialised.
  std::vector<Area> selection = std::vector<Area>(1);
  CellPos activeCell{};

  // --- what changed since loading -------------------------------------------------------------
  struct Changes {
    ChangedCells cells;
    bool hiddenRows = false;
    bool validations = false;
  };
  const Changes& changes() const { return changes_; }
  bool Changed() const {
    return !changes_.cells.empty() || changes_.hiddenRows || changes_.validations;
  }
  void ForgetChanges() { changes_ = {}; }

  // --- listeners ----------------------------------------------------------------------------
  void AddListener(SheetListener* listener) { listeners_.push_back(listener); }
  void RemoveListener(SheetListener* listener) { std::erase(listeners_, listener); }

 private:
  // One column's cells, kept dense between its first and last stored cell, which are never
  // blank.
  struct Column {
    std::int32_t firstRow = 0;
    CellColumn cells;
  };
  Cell* Slot(CellPos pos);
  // The column's cells, or nullptr; the last one found is remembered, as cells are mostly asked
  // for one column at a time.
  const Column* FindColumn(std::int32_t column) const;
  // Where a cell would be kept within its column's stored stretch (blank or not), or nullptr.
  const Cell* StoredSlot(CellPos pos) const;
  void Store(CellPos pos, Cell&& cell);

  std::string name_;
  std::map<std::int32_t, Column> columns_;
  mutable const std::pair<const std::int32_t, Column>* lastColumn_ = nullptr;
  size_t cellCount_ = 0;
  std::vector<bool> hiddenRows_;
  std::vector<ValidationRule> validations_;
  Changes changes_;
  std::vector<SheetListener*> listeners_;
};

template <class Visit>
void Sheet::ForEachInColumn(std::int32_t column, std::int32_t firstRow, std::int32_t lastRow,
                            Visit&& visit) const {
  auto it = columns_.find(column);
  if (it == columns_.end()) return;
  const Column& col = it->second;
  std::int32_t from = std::max(firstRow, col.firstRow);
  auto to = static_cast<std::int32_t>(
      std::min<std::int64_t>(lastRow, col.firstRow + static_cast<std::int64_t>(col.cells.size()) - 1));
  if (from > to) return;
  col.cells.ForEach(static_cast<size_t>(from - col.firstRow), static_cast<size_t>(to - col.firstRow),
                    [&](size_t i, const Cell& cell) {
                      if (!cell.IsBlank()) visit(col.firstRow + static_cast<std::int32_t>(i), cell);
                    });
}

}  // namespace kx::memhost
