#pragma once
// Application: the spreadsheet host as the add-in reaches it.

#include <optional>
#include <string>
#include <string_view>

#include "host/Forward.h"
#include "host/Result.h"
#include "host/Variant.h"

namespace kx::host {

class Application {
 public:
  virtual ~Application() = default;

  // "11.0" for a host with classic menus, "16.0" for a ribbon host.
  virtual Result<std::string> Version() = 0;
  virtual Result<CommandBarsRef> CommandBars() = 0;
  virtual Result<COMAddInsRef> COMAddIns() = 0;
  virtual Result<WorkbooksRef> Workbooks() = 0;

  // Nothing (a null handle) when no workbook is open.
  virtual Result<WorkbookRef> ActiveWorkbook() = 0;
  virtual Result<WorksheetRef> ActiveSheet() = 0;
  // The selected object; usually a range, but see Range.h for a selected chart or shape.
  virtual Result<RangeRef> Selection() = 0;
  virtual Result<RangeRef> ActiveCell() = 0;

  // Nothing when the ranges do not overlap; 1004 when they lie on different sheets.
  virtual Result<RangeRef> Intersect(const RangeRef& first, const RangeRef& second) = 0;
  // A range of the active sheet by its A1 address; 1004 for an address the host cannot read.
  virtual Result<RangeRef> Range(std::string_view address) = 0;
  virtual Result<WorksheetFunctionRef> WorksheetFunction() = 0;

  virtual Result<long> EnableCancelKey() = 0;
  virtual Result<void> SetEnableCancelKey(long mode) = 0;
  // The status-bar text, or FALSE when the host shows its own.
  virtual Result<Variant> StatusBar() = 0;
  virtual Result<void> SetStatusBar(const Variant& text) = 0;
  virtual Result<bool> ScreenUpdating() = 0;
  virtual Result<void> SetScreenUpdating(bool on) = 0;
  // Reading or setting the calculation mode fails with 1004 while no workbook is open.
  virtual Result<long> Calculation() = 0;
  virtual Result<void> SetCalculation(long mode) = 0;

  // Names the host's Undo command and the procedure it runs.
  virtual Result<void> OnUndo(const std::string& text, const std::string& procedure) = 0;
  // Binds a key ("^z") to a procedure; no procedure gives the key back to the host.
  virtual Result<void> OnKey(const std::string& key, const std::optional<std::string>& procedure) = 0;
};

}  // namespace kx::host
