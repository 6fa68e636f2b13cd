#pragma once
// The host interfaces of host/ over the spreadsheet's object model, reached by IDispatch late
// binding. Each object holds its host object until its handle goes; nothing is cached beyond
// the DISPIDs of its session.

#include "com/Dispatch.h"
#include "host/Host.h"

namespace kx::com {

// The base of every bridge object: the late-bound reference and the kind it is of.
class Bridged {
 public:
  // Range or Unknown: whether the object answers for the interface `iid`.
  static Kind KindIf(IDispatch* object, const IID& iid, Kind kind);

  Bridged(ComPtr<IDispatch> object, SessionRef session, Kind kind)
      : late_(std::move(object), std::move(session), kind) {}
  IDispatch* dispatch() const { return late_.get(); }

 protected:
  Late late_;
};

class ApplicationObject final : public host::Application, public Bridged {
 public:
  using Interface = host::Application;
  ApplicationObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::Application) {}

  host::Result<std::string> Version() override;
  host::Result<host::CommandBarsRef> CommandBars() override;
  host::Result<host::COMAddInsRef> COMAddIns() override;
  host::Result<host::WorkbooksRef> Workbooks() override;
  host::Result<host::WorkbookRef> ActiveWorkbook() override;
  host::Result<host::WorksheetRef> ActiveSheet() override;
  host::Result<host::RangeRef> Selection() override;
  host::Result<host::RangeRef> ActiveCell() override;
  host::Result<host::RangeRef> Intersect(const host::RangeRef& first,
                                         const host::RangeRef& second) override;
  host::Result<host::RangeRef> Range(std::string_view address) override;
  host::Result<host::WorksheetFunctionRef> WorksheetFunction() override;
  host::Result<long> EnableCancelKey() override;
  host::Result<void> SetEnableCancelKey(long mode) override;
  host::Result<host::Variant> StatusBar() override;
  host::Result<void> SetStatusBar(const host::Variant& text) override;
  host::Result<bool> ScreenUpdating() override;
  host::Result<void> SetScreenUpdating(bool on) override;
  host::Result<long> Calculation() override;
  host::Result<void> SetCalculation(long mode) override;
  host::Result<void> OnUndo(const std::string& text, const std::string& procedure) override;
  host::Result<void> OnKey(const std::string& key,
                           const std::optional<std::string>& procedure) override;
};

class WorkbooksObject final : public host::Workbooks, public Bridged {
 public:
  using Interface = host::Workbooks;
  WorkbooksObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::Workbooks) {}
  host::Result<long> Count() override;
  host::Result<host::WorkbookRef> Item(long index) override;
  host::Result<host::WorkbookRef> Item(std::string_view name) override;
  host::Result<host::WorkbookRef> Add() override;
};

class WorkbookObject final : public host::Workbook, public Bridged {
 public:
  using Interface = host::Workbook;
  WorkbookObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::Workbook) {}
  host::Result<std::string> Name() override;
  host::Result<void> Activate() override;
  host::Result<host::WorksheetRef> ActiveSheet() override;
  host::Result<long> WorksheetCount() override;
  host::Result<host::WorksheetRef> Worksheets(long index) override;
  host::Result<host::WorksheetRef> Worksheets(std::string_view name) override;
  host::Result<void> Close() override;
};

class WorksheetObject final : public host::Worksheet, public Bridged {
 public:
  using Interface = host::Worksheet;
  // A chart sheet is no worksheet: it is reached by name at every call.
  WorksheetObject(ComPtr<IDispatch> object, SessionRef session);
  host::Result<std::string> Name() override;
  host::Result<host::WorkbookRef> Parent() override;
  host::Result<void> Activate() override;
  host::Result<host::RangeRef> UsedRange() override;
  host::Result<bool> FilterMode() override;
  host::Result<void> ShowAllData() override;
  host::Result<host::RangeRef> Range(std::string_view address) override;
  host::Result<host::RangeRef> Cells() override;
};

class RangeObject final : public host::Range, public Bridged {
 public:
  using Interface = host::Range;
  // `kind` is Unknown for a selection that may be a chart or a shape rather than a range:
  // such an object is reached by name at every call and answers what it has.
  RangeObject(ComPtr<IDispatch> object, SessionRef session, Kind kind = Kind::Range)
      : Bridged(std::move(object), std::move(session), kind) {}

  host::Result<host::RangeRef> Columns() override;
  host::Result<host::RangeRef> Rows() override;
  host::Result<host::RangeRef> Cells() override;
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
  host::Result<void> ForEachCell(const std::function<bool(const host::RangeRef& cell)>& visit) override;
  // One call each, as the object model takes arguments on Cells itself.
  host::Result<host::RangeRef> Cells(long row, long column) override;
  host::Result<host::RangeRef> Cells(long index) override;
};

class InteriorObject final : public host::Interior, public Bridged {
 public:
  using Interface = host::Interior;
  InteriorObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::Interior) {}
  host::Result<host::Variant> ColorIndex() override;
  host::Result<void> SetColorIndex(const host::Variant& index) override;
};

class ValidationObject final : public host::Validation, public Bridged {
 public:
  using Interface = host::Validation;
  ValidationObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::Validation) {}
  host::Result<void> Add(const host::ValidationAddArgs& args) override;
  host::Result<void> Delete() override;
  host::Result<long> Type() override;
  host::Result<long> AlertStyle() override;
  host::Result<long> Operator() override;
  host::Result<std::string> Formula1() override;
  host::Result<std::string> Formula2() override;
  host::Result<bool> IgnoreBlank() override;
  host::Result<void> SetIgnoreBlank(bool value) override;
  host::Result<bool> InCellDropdown() override;
  host::Result<void> SetInCellDropdown(bool value) override;
  host::Result<std::string> InputTitle() override;
  host::Result<void> SetInputTitle(const std::string& value) override;
  host::Result<std::string> ErrorTitle() override;
  host::Result<void> SetErrorTitle(const std::string& value) override;
  host::Result<std::string> InputMessage() override;
  host::Result<void> SetInputMessage(const std::string& value) override;
  host::Result<std::string> ErrorMessage() override;
  host::Result<void> SetErrorMessage(const std::string& value) override;
  host::Result<bool> ShowInput() override;
  host::Result<void> SetShowInput(bool value) override;
  host::Result<bool> ShowError() override;
  host::Result<void> SetShowError(bool value) override;
  host::Result<bool> Value() override;
};

class WorksheetFunctionObject final : public host::WorksheetFunction, public Bridged {
 public:
  using Interface = host::WorksheetFunction;
  WorksheetFunctionObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::WorksheetFunction) {}
  host::Result<double> CountA(const host::RangeRef& range) override;
  host::Result<double> CountIf(const host::RangeRef& range, const host::Variant& criterion) override;
};

class CommandBarsObject final : public host::CommandBars, public Bridged {
 public:
  using Interface = host::CommandBars;
  CommandBarsObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::CommandBars) {}
  host::Result<long> Count() override;
  host::Result<host::CommandBarRef> Item(std::string_view name) override;
};

class CommandBarObject final : public host::CommandBar, public Bridged {
 public:
  using Interface = host::CommandBar;
  CommandBarObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::CommandBar) {}
  host::Result<std::string> Name() override;
  host::Result<bool> Visible() override;
  host::Result<void> SetVisible(bool visible) override;
  host::Result<host::CommandBarControlsRef> Controls() override;
};

class CommandBarControlsObject final : public host::CommandBarControls, public Bridged {
 public:
  using Interface = host::CommandBarControls;
  CommandBarControlsObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::CommandBarControls) {}
  host::Result<long> Count() override;
  host::Result<host::CommandBarControlRef> Item(long index) override;
  host::Result<host::CommandBarControlRef> Item(std::string_view caption) override;
  host::Result<host::CommandBarControlRef> Add(const host::ControlAddArgs& args) override;
};

class CommandBarControlObject final : public host::CommandBarControl, public Bridged {
 public:
  using Interface = host::CommandBarControl;
  CommandBarControlObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::CommandBarControl) {}
  host::Result<long> Type() override;
  host::Result<std::string> Caption() override;
  host::Result<void> SetCaption(const std::string& caption) override;
  host::Result<std::string> Tag() override;
  host::Result<void> SetTag(const std::string& tag) override;
  host::Result<long> FaceId() override;
  host::Result<void> SetFaceId(long faceId) override;
  host::Result<long> Style() override;
  host::Result<void> SetStyle(long style) override;
  host::Result<bool> BeginGroup() override;
  host::Result<void> SetBeginGroup(bool beginGroup) override;
  host::Result<std::string> OnAction() override;
  host::Result<void> SetOnAction(const std::string& procedure) override;
  host::Result<std::string> Parameter() override;
  host::Result<void> SetParameter(const host::Variant& parameter) override;
  host::Result<bool> Visible() override;
  host::Result<void> SetVisible(bool visible) override;
  host::Result<void> Delete() override;
  host::Result<host::CommandBarControlsRef> Controls() override;
  // Advises a sink on the button's connection point for its Click event.
  host::Result<host::EventConnection> OnClick(ClickHandler handler) override;
};

class COMAddInsObject final : public host::COMAddIns, public Bridged {
 public:
  using Interface = host::COMAddIns;
  COMAddInsObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::COMAddIns) {}
  host::Result<long> Count() override;
  host::Result<host::COMAddInRef> Item(long index) override;
  host::Result<host::COMAddInRef> Item(std::string_view progId) override;
};

class COMAddInObject final : public host::COMAddIn, public Bridged {
 public:
  using Interface = host::COMAddIn;
  COMAddInObject(ComPtr<IDispatch> object, SessionRef session)
      : Bridged(std::move(object), std::move(session), Kind::COMAddIn) {}
  host::Result<std::string> ProgId() override;
  host::Result<std::string> Description() override;
  host::Result<bool> Connect() override;
  host::Result<void> SetConnect(bool connect) override;
};

}  // namespace kx::com
