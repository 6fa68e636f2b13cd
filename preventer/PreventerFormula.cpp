#include "preventer/PreventerFormula.h"

#include "host/ErrorNumbers.h"
#include "host/Range.h"

namespace kx::preventer {

std::string PreventerFormula(std::string_view columnAddress, std::string_view firstCellAddress) {
  std::string formula = "=CountIf(";
  formula += columnAddress;
  formula += ',';
  for (char c : firstCellAddress) {
    if (c != '$') formula += c;
  }
  formula += ")=1";
  return formula;
}

host::Result<std::string> PreventerFormulaFor(host::Range& selection) {
  auto column = KX_TRY(selection.Columns(1));
  auto firstCell = KX_TRY(selection.Cells(1));
  if (!column || !firstCell) return host::Fail(host::err::ObjectNotSet, "no column or cell");
  auto columnAddress = KX_TRY(column->Address());
  auto cellAddress = KX_TRY(firstCell->Address());
  return PreventerFormula(columnAddress, cellAddress);
}

}  // namespace kx::preventer
