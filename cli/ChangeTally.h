#pragma once
// ChangeTally: what a command did to a book, as the user would count it: cells that held
// something and were cleared, cells whose fill colour changed, and whether anything at all ended
// up different (a count that filters and shows all rows again changes nothing).

#include <memory>
#include <utility>
#include <vector>

#include "memhost/model/Book.h"
#include "memhost/model/Sheet.h"

namespace kx::cli {

class ChangeTally final : public memhost::SheetListener {
 public:
  explicit ChangeTally(std::shared_ptr<memhost::Book> book);
  ~ChangeTally() override;
  ChangeTally(const ChangeTally&) = delete;
  ChangeTally& operator=(const ChangeTally&) = delete;

  void CellChanged(const memhost::Sheet& sheet, memhost::CellPos pos, const memhost::Cell& before,
                   const memhost::Cell& after) override;

  long Cleared() const;
  long Coloured() const;
  // Whether any cell, hidden row or validation rule differs from when the tally began.
  bool Changed() const;

 private:
  struct SheetView {
    std::shared_ptr<memhost::Sheet> sheet;
    std::vector<std::int32_t> hiddenRows;
    std::vector<memhost::ValidationRule> validations;
    memhost::ChangedCells touched;  // cells with a record below
  };
  // A cell as it was before its first change; what it is now the sheet tells. A command that
  // clears a million cells keeps a million of these, so they hold no second copy of the cell.
  struct Before {
    size_t sheet;  // index into before_
    memhost::CellPos pos;
    memhost::Cell cell;
  };
  const memhost::Cell& Now(const Before& record) const;

  std::shared_ptr<memhost::Book> book_;
  std::vector<SheetView> before_;
  std::vector<Before> cells_;
};

}  // namespace kx::cli
