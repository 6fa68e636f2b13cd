#pragma once
// memhost's Range: areas of one sheet, viewed as cells, rows or columns.

#include <array>
#include <memory>
#include <typeinfo>
#include <vector>

#include "host/Range.h"
#include "memhost/SheetHandle.h"

namespace kx::memhost {

class Interior;

class Range final : public host::Range {
 public:
  enum class View { Cells, Rows, Columns };

  // Ranges made from a range share its handle: the add-in makes one or two ranges a row, and
  // copying the handle's three shared pointers each time cost more than the row's work.
  Range(std::shared_ptr<const SheetHandle> sheet, std::vector<Area> areas, View view = View::Cells)
      : sheet_(std::move(sheet)), areas_(std::move(areas)), view_(view) {}
  static host::RangeRef Make(const SheetHandle& sheet, std::vector<Area> areas,
                             View view = View::Cells) {
    return Make(std::make_shared<const SheetHandle>(sheet), std::move(areas), view);
  }
  static host::RangeRef Make(std::shared_ptr<const SheetHandle> sheet, std::vector<Area> areas,
                             View view = View::Cells) {
    return std::make_shared<Range>(std::move(sheet), std::move(areas), view);
  }

  // A range of the one cell at `pos` on `sheet`: `spare` made again when nobody else holds it
  // and it stands on that sheet, else a new one, kept in `spare` for the next time.
  static host::RangeRef SpareCell(std::shared_ptr<Range>& spare, const SheetHandle& sheet,
                                  CellPos pos);

  const SheetHandle& sheet() const { return *sheet_; }
  const std::vector<Area>& areas() const { return areas_; }
  // The memhost range behind a handle; nullptr for anything else (a selected shape).
  // The class is final: its exact type is checked, which costs less than a dynamic_cast.
  static Range* From(const host::RangeRef& ref) {
    return ref && typeid(*ref) == typeid(Range) ? static_cast<Range*>(ref.get()) : nullptr;
  }

  host::Result<host::RangeRef> Columns() override;
  host::Result<host::RangeRef> Rows() override;
  host::Result<host::RangeRef> Cells() override;
  host::Result<host::RangeRef> Cells(long row, long column) override;
  host::Result<host::RangeRef> Cells(long index) override;
  host::Result<host::RangeRef> Item(long index) override;
  host::Result<host::RangeRef> Item(long row, long column) override;
  host::Result<long> Count() override;
  host::Result<long> Row() override;
  host::Result<long> Column() override;
  host::Result<std::vector<host::RangeRef>> Areas() override;
  host::Result<host::RangeRef> EntireRow() override;
  host::Result<host::RangeRef> EntireColumn() override;
  host::Result<host::WorksheetRef> Worksheet() override;
  host::Result<std::string> Address() override;

  host::Result<host::Variant> Value() override;
  host::Result<void> SetValue(const host::Variant& value) override;
  host::Result<host::Variant> Formula() override;
  host::Result<void> SetFormula(const host::Variant& formula) override;
  host::Result<std::string> Text() override;
  host::Result<void> Clear() override;

  host::Result<bool> Hidden() override;
  host::Result<void> SetHidden(bool hidden) override;
  host::Result<void> Select() override;
  host::Result<host::RangeRef> Find(const host::FindArgs& args) override;
  host::Result<void> AdvancedFilter(const host::AdvancedFilterArgs& args) override;
  host::Result<host::RangeRef> SpecialCells(long type) override;
  host::Result<host::InteriorRef> Interior() override;
  host::Result<host::ValidationRef> Validation() override;
  host::Result<void> ForEachCell(const std::function<bool(const host::RangeRef&)>& visit) override;

 private:
  // Counts the call, fails it when a test asked so, and fails it when the workbook is gone.
  // Every call passes here, a few for each row the add-in reads: the usual case is inline.
  host::Result<void> Enter(const char* name) const {
    HostState& state = *sheet_->state;
    if (!state.faults.CountQuietly(name)) return EnterCounting(name);
    if (!sheet_->Alive()) return ObjectGone();
    return {};
  }
  host::Result<void> EnterCounting(const char* name) const;
  host::Result<void> Write(const host::Variant& value);
  CellPos First() const { return {areas_[0].firstRow, areas_[0].firstColumn}; }
  // Whether every area is made of entire rows, or of entire columns.
  bool AllWholeRows() const;
  bool AllWholeColumns() const;

  // The cell objects Item(row, column) and Find handed out last, given out again for the next
  // cell once nobody holds them any more: the add-in asks for one cell after another of a
  // column, and each would otherwise cost two allocations. Two, because a search through the
  // cells of one value holds the cell it found while it asks for the next.
  host::RangeRef OneCell(CellPos pos);

  std::shared_ptr<const SheetHandle> sheet_;
  std::vector<Area> areas_;
  View view_;
  std::array<std::shared_ptr<Range>, 2> spareCells_;
  std::shared_ptr<Range> spareRow_;  // the same for EntireRow
  // The same for Interior: colouring a column paints cell after cell, each through its own.
  std::shared_ptr<memhost::Interior> spareInterior_;
};

// A selection that is not a range of cells (a chart, a shape): every Range member fails with
// 438, as late binding to such an object would.
class DrawingSelection final : public host::Range {
 public:
  host::Result<host::RangeRef> Columns() override { return NotRange(); }
  host::Result<host::RangeRef> Rows() override { return NotRange(); }
  host::Result<host::RangeRef> Cells() override { return NotRange(); }
  host::Result<host::RangeRef> Item(long) override { return NotRange(); }
  host::Result<host::RangeRef> Item(long, long) override { return NotRange(); }
  host::Result<long> Count() override { return NotRange(); }
  host::Result<long> Row() override { return NotRange(); }
  host::Result<long> Column() override { return NotRange(); }
  host::Result<std::vector<host::RangeRef>> Areas() override { return NotRange(); }
  host::Result<host::RangeRef> EntireRow() override { return NotRange(); }
  host::Result<host::RangeRef> EntireColumn() override { return NotRange(); }
  host::Result<host::WorksheetRef> Worksheet() override { return NotRange(); }
  host::Result<std::string> Address() override { return NotRange(); }
  host::Result<host::Variant> Value() override { return NotRange(); }
  host::Result<void> SetValue(const host::Variant&) override { return NotRange(); }
  host::Result<host::Variant> Formula() override { return NotRange(); }
  host::Result<void> SetFormula(const host::Variant&) override { return NotRange(); }
  host::Result<std::string> Text() override { return NotRange(); }
  host::Result<void> Clear() override { return NotRange(); }
  host::Result<bool> Hidden() override { return NotRange(); }
  host::Result<void> SetHidden(bool) override { return NotRange(); }
  host::Result<void> Select() override { return NotRange(); }
  host::Result<host::RangeRef> Find(const host::FindArgs&) override { return NotRange(); }
  host::Result<void> AdvancedFilter(const host::AdvancedFilterArgs&) override { return NotRange(); }
  host::Result<host::RangeRef> SpecialCells(long) override { return NotRange(); }
  host::Result<host::InteriorRef> Interior() override { return NotRange(); }
  host::Result<host::ValidationRef> Validation() override { return NotRange(); }
  host::Result<void> ForEachCell(const std::function<bool(const host::RangeRef&)>&) override {
    return NotRange();
  }

 private:
  static host::Error NotRange() {
    return host::Fail(host::err::NotSupported, "Object doesn't support this property or method");
  }
};

// The most cells one call may fill with a value or a colour (every cell of a 16384-column,
// 1024-row block). Beyond it memhost refuses with 1004 rather than run out of memory, as the
// host refuses with "not enough resources".
inline constexpr std::int64_t kMaxCellsWritten = std::int64_t{1} << 24;

// The parts of a range's areas that hold cells: whole rows and columns stop at the used area.
std::vector<Area> ClipToUsed(const Sheet& sheet, const std::vector<Area>& areas);
// The stored cells (values, formulas or formatting) inside the areas, column by column; listed
// first so that the caller may change them.
std::vector<CellPos> StoredCells(const Sheet& sheet, const std::vector<Area>& areas);

}  // namespace kx::memhost
