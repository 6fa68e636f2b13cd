#pragma once
// Range: a block of cells (or several blocks) on one worksheet, with the members the add-in uses.
//
// As in the object model, Columns() and Rows() return the same cells viewed as a collection of
// columns or rows: Count() then counts columns or rows and Item-style access (Columns(1),
// Cells(i, j)) is relative to the range's first cell. On a range of several areas, Columns() and
// Rows() describe the first area only, while Count() of the cells and enumeration cover all.
//
// Selection() of the application may hand back a handle whose object is not a range at all (a
// chart or a shape is selected): every member then fails with err::NotSupported, as late binding
// to that object would.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/Forward.h"
#include "host/Result.h"
#include "host/Variant.h"

namespace kx::host {

// Named arguments of Range.Find; an argument left unset is omitted from the call (and the host
// then uses its remembered setting, as the spreadsheet's Find does).
struct FindArgs {
  Variant What;
  RangeRef After;
  std::optional<long> LookIn;
  std::optional<long> LookAt;
  std::optional<long> SearchOrder;
  std::optional<long> SearchDirection;
  std::optional<bool> MatchCase;
};

// Named arguments of Range.AdvancedFilter.
struct AdvancedFilterArgs {
  long Action = 1;  // xl::FilterInPlace
  RangeRef CriteriaRange;
  RangeRef CopyToRange;
  std::optional<bool> Unique;
};

class Range {
 public:
  virtual ~Range() = default;

  // --- shape ------------------------------------------------------------------------------
  virtual Result<RangeRef> Columns() = 0;
  virtual Result<RangeRef> Rows() = 0;
  virtual Result<RangeRef> Cells() = 0;
  // The index-th item of the range in its current view (column, row or cell), 1-based.
  virtual Result<RangeRef> Item(long index) = 0;
  // The cell at (row, column) counted from the range's first cell, 1-based; may lie outside.
  virtual Result<RangeRef> Item(long row, long column) = 0;
  virtual Result<long> Count() = 0;
  virtual Result<long> Row() = 0;     // first row number on the sheet
  virtual Result<long> Column() = 0;  // first column number on the sheet
  virtual Result<std::vector<RangeRef>> Areas() = 0;
  virtual Result<RangeRef> EntireRow() = 0;
  virtual Result<RangeRef> EntireColumn() = 0;
  virtual Result<WorksheetRef> Worksheet() = 0;
  // Absolute A1 form: $A$2:$A$20, $A:$A for whole columns, $1:$1 for whole rows, areas joined
  // by commas.
  virtual Result<std::string> Address() = 0;

  // --- contents ---------------------------------------------------------------------------
  // Value of the first cell (a single cell is what the add-in reads).
  virtual Result<Variant> Value() = 0;
  virtual Result<void> SetValue(const Variant& value) = 0;
  // The formula text ("=A1+1") of the first cell, or its constant as the host shows it in the
  // formula bar; setting a text that begins with "=" enters a formula, anything else a constant.
  virtual Result<Variant> Formula() = 0;
  virtual Result<void> SetFormula(const Variant& formula) = 0;
  // The first cell's displayed text.
  virtual Result<std::string> Text() = 0;
  // Removes values, formulas and formatting.
  virtual Result<void> Clear() = 0;

  // --- rows, selection, search --------------------------------------------------------------
  virtual Result<bool> Hidden() = 0;  // of an entire row or column
  virtual Result<void> SetHidden(bool hidden) = 0;
  virtual Result<void> Select() = 0;
  // The first matching cell, or a null handle when nothing matches.
  virtual Result<RangeRef> Find(const FindArgs& args) = 0;
  virtual Result<void> AdvancedFilter(const AdvancedFilterArgs& args) = 0;
  // xl::CellTypeVisible, xl::CellTypeBlanks, ...; fails with 1004 when no cell qualifies.
  virtual Result<RangeRef> SpecialCells(long type) = 0;
  virtual Result<InteriorRef> Interior() = 0;
  virtual Result<ValidationRef> Validation() = 0;

  // Visits every cell in the host's enumeration order (area by area, row by row); the visitor
  // returns false to stop early.
  virtual Result<void> ForEachCell(const std::function<bool(const RangeRef& cell)>& visit) = 0;

  // --- shorthands for member chains the add-in writes often -------------------------------
  Result<RangeRef> Columns(long index);             // Columns(index)
  Result<RangeRef> Rows(long index);                // Rows(index)
  virtual Result<RangeRef> Cells(long row, long column);  // Cells(row, column)
  virtual Result<RangeRef> Cells(long index);             // Cells(index)
};

class Interior {
 public:
  virtual ~Interior() = default;
  // A palette index 1..56, xl::ColorIndexNone, or Empty when the cells differ.
  virtual Result<Variant> ColorIndex() = 0;
  // Accepts what the host accepts: 1..56, xl::ColorIndexNone, xl::ColorIndexAutomatic, and text
  // that reads as one of them; anything else fails with 1004.
  virtual Result<void> SetColorIndex(const Variant& index) = 0;
};

}  // namespace kx::host
