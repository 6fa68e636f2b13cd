#pragma once
// The preventer's rule formula: true while the cell's value occurs exactly once in the
// protected column (or part of a column).

#include <string>
#include <string_view>

#include "host/Forward.h"
#include "host/Result.h"

namespace kx::preventer {

// "=CountIf(<columnAddress>,<firstCell without $>)=1": the counted range stays absolute while
// the tested cell is relative, so the host moves it along with the cell being edited.
//   ("$A:$A", "$A$1")       -> "=CountIf($A:$A,A1)=1"
//   ("$A$5:$A$9", "$A$5")   -> "=CountIf($A$5:$A$9,A5)=1"
std::string PreventerFormula(std::string_view columnAddress, std::string_view firstCellAddress);

// The formula for a selection: its first column's address and its first cell's.
host::Result<std::string> PreventerFormulaFor(host::Range& selection);

}  // namespace kx::preventer
