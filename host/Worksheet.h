#pragma once
// Workbooks, Workbook and Worksheet.

#include <string>
#include <string_view>

#include "host/Forward.h"
#include "host/Result.h"

namespace kx::host {

class Worksheet {
 public:
  virtual ~Worksheet() = default;
  virtual Result<std::string> Name() = 0;
  virtual Result<WorkbookRef> Parent() = 0;
  virtual Result<void> Activate() = 0;
  // From the first used cell to the last; formatting counts as use. A1 alone on an empty sheet.
  virtual Result<RangeRef> UsedRange() = 0;
  // True while a filter hides rows of the sheet.
  virtual Result<bool> FilterMode() = 0;
  // Shows the rows a filter hid; fails with 1004 when the sheet is not filtered.
  virtual Result<void> ShowAllData() = 0;
  // A range of this sheet by its A1 address ("A2:A20", "$B:$B").
  virtual Result<RangeRef> Range(std::string_view address) = 0;
  virtual Result<RangeRef> Cells() = 0;
};

class Workbook {
 public:
  virtual ~Workbook() = default;
  virtual Result<std::string> Name() = 0;
  virtual Result<void> Activate() = 0;
  virtual Result<WorksheetRef> ActiveSheet() = 0;
  virtual Result<long> WorksheetCount() = 0;
  // By 1-based index; fails with 9 when there is no such sheet.
  virtual Result<WorksheetRef> Worksheets(long index) = 0;
  // By name, compared without regard to case; fails with 9 when there is no such sheet.
  virtual Result<WorksheetRef> Worksheets(std::string_view name) = 0;
  virtual Result<void> Close() = 0;
};

class Workbooks {
 public:
  virtual ~Workbooks() = default;
  virtual Result<long> Count() = 0;
  // By 1-based index or by name; fails with 9 when there is none.
  virtual Result<WorkbookRef> Item(long index) = 0;
  virtual Result<WorkbookRef> Item(std::string_view name) = 0;
  // A new workbook with one empty sheet; it becomes the active workbook.
  virtual Result<WorkbookRef> Add() = 0;
};

}  // namespace kx::host
