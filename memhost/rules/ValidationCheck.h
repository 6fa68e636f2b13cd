#pragma once
// Data-validation rules on a sheet: which rule covers a cell, taking cells out of rules, and
// whether a cell's content meets its rule.
//
// Rules memhost evaluates: custom rules of the shape =COUNTIF(<range>,<cell>)<op>N (function
// name in any case, the cell reference relative to the rule's first cell unless anchored with
// $; a COUNTIF that fails, as for a text over 255 characters, makes the entry invalid) and
// lists written out in Formula1 ("a,b,c", compared without regard to case). Every other rule
// (other formulas, list references, numbers, dates, text lengths) is accepted: memhost has no
// formula engine to evaluate it.

#include <vector>

#include "memhost/SheetHandle.h"

namespace kx::memhost {

// The parts of `area` outside `cut` (at most four rectangles).
std::vector<Area> Subtract(const Area& area, const Area& cut);

// The rule covering a cell, or nullptr.
const ValidationRule* RuleAt(const Sheet& sheet, CellPos pos);

// Takes the cells of `areas` out of every rule, dropping rules left without cells. Changes the
// sheet's rules (and records a change) only when some rule covered them.
void RemoveRulesFrom(Sheet& sheet, const std::vector<Area>& areas);

// Whether `candidate` (what the cell would hold; nullptr for empty) meets the rule at `pos`.
bool RuleAccepts(const SheetHandle& sheet, const ValidationRule& rule, CellPos pos,
                 const Cell* candidate);

}  // namespace kx::memhost
