#pragma once
// ChangeTally: what a command did to a book, as the user would count it: cells that held
// something and were cleared, cells whose fill colour changed, and whether anything at all ended
// up different (a count that filters and shows all rows again changes nothing).

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "memhost/model/Book.h"

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
  struct Span {
    memhost::Cell first;  // before the first change
    memhost::Cell last;   // after the latest
  };
  struct SheetView {
    std::vector<std::int32_t> hiddenRows;
    std::vector<memhost::ValidationRule> validations;
  };
  std::shared_ptr<memhost::Book> book_;
  std::vector<SheetView> before_;
  std::map<std::pair<const memhost::Sheet*, std::pair<int, int>>, Span> cells_;
};

}  // namespace kx::cli
