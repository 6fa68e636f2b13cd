#include <windows.h>

#include "com/Bridge.h"
#include "com/ObjectModelIds.h"
#include "com/Results.h"

namespace kx::com {

host::ApplicationRef ApplicationOver(IDispatch* application) {
  if (application == nullptr) return nullptr;
  return std::make_shared<ApplicationObject>(ComPtr<IDispatch>::Share(application),
                                             std::make_shared<Session>());
}

host::COMAddInRef COMAddInOver(IDispatch* addIn) {
  if (addIn == nullptr) return nullptr;
  return std::make_shared<COMAddInObject>(ComPtr<IDispatch>::Share(addIn),
                                          std::make_shared<Session>());
}

host::Result<std::string> ApplicationObject::Version() { return TextOf(late_.Get(L"Version")); }

host::Result<host::CommandBarsRef> ApplicationObject::CommandBars() {
  return Wrap<CommandBarsObject>(late_.Get(L"CommandBars"), late_.session());
}

host::Result<host::COMAddInsRef> ApplicationObject::COMAddIns() {
  return Wrap<COMAddInsObject>(late_.Get(L"COMAddIns"), late_.session());
}

host::Result<host::WorkbooksRef> ApplicationObject::Workbooks() {
  return Wrap<WorkbooksObject>(late_.Get(L"Workbooks"), late_.session());
}

host::Result<host::WorkbookRef> ApplicationObject::ActiveWorkbook() {
  return Wrap<WorkbookObject>(late_.Get(L"ActiveWorkbook"), late_.session());
}

host::Result<host::WorksheetRef> ApplicationObject::ActiveSheet() {
  return Wrap<WorksheetObject>(late_.Get(L"ActiveSheet"), late_.session());
}

host::Result<host::RangeRef> ApplicationObject::Selection() {
  ComVariant value = KX_TRY(late_.Get(L"Selection"));
  ComPtr<IDispatch> object = KX_TRY(ObjectOf(value));
  if (!object) return host::RangeRef();
  // A chart or a shape may be selected: the handle is then no range, and its members answer as
  // that object's own do.
  Kind kind = KindIf(object.get(), kRangeIid, Kind::Range);
  return host::RangeRef(std::make_shared<RangeObject>(std::move(object), late_.session(), kind));
}

host::Result<host::RangeRef> ApplicationObject::ActiveCell() {
  return Wrap<RangeObject>(late_.Get(L"ActiveCell"), late_.session());
}

host::Result<host::RangeRef> ApplicationObject::Intersect(const host::RangeRef& first,
                                                          const host::RangeRef& second) {
  ComVariant a = KX_TRY(ObjectArg(first));
  ComVariant b = KX_TRY(ObjectArg(second));
  return Wrap<RangeObject>(late_.Call(L"Intersect", {a, b}), late_.session());
}

host::Result<host::RangeRef> ApplicationObject::Range(std::string_view address) {
  return Wrap<RangeObject>(late_.Get(L"Range", {ComVariant::Text(address)}), late_.session());
}

host::Result<host::WorksheetFunctionRef> ApplicationObject::WorksheetFunction() {
  return Wrap<WorksheetFunctionObject>(late_.Get(L"WorksheetFunction"), late_.session());
}

host::Result<long> ApplicationObject::EnableCancelKey() {
  return LongOf(late_.Get(L"EnableCancelKey"));
}

host::Result<void> ApplicationObject::SetEnableCancelKey(long mode) {
  return late_.Put(L"EnableCancelKey", ComVariant::Long(mode));
}

host::Result<host::Variant> ApplicationObject::StatusBar() {
  return ValueOf(late_.Get(L"StatusBar"));
}

host::Result<void> ApplicationObject::SetStatusBar(const host::Variant& text) {
  return late_.Put(L"StatusBar", ComVariant(text));
}

host::Result<bool> ApplicationObject::ScreenUpdating() {
  return BoolOf(late_.Get(L"ScreenUpdating"));
}

host::Result<void> ApplicationObject::SetScreenUpdating(bool on) {
  return late_.Put(L"ScreenUpdating", ComVariant::Bool(on));
}

host::Result<long> ApplicationObject::Calculation() { return LongOf(late_.Get(L"Calculation")); }

host::Result<void> ApplicationObject::SetCalculation(long mode) {
  return late_.Put(L"Calculation", ComVariant::Long(mode));
}

host::Result<void> ApplicationObject::OnUndo(const std::string& text,
                                             const std::string& procedure) {
  return Done(late_.Call(L"OnUndo", {ComVariant::Text(text), ComVariant::Text(procedure)}));
}

host::Result<void> ApplicationObject::OnKey(const std::string& key,
                                            const std::optional<std::string>& procedure) {
  // Without a procedure the key goes back to the host.
  if (!procedure) return Done(late_.Call(L"OnKey", {ComVariant::Text(key)}));
  return Done(late_.Call(L"OnKey", {ComVariant::Text(key), ComVariant::Text(*procedure)}));
}

}  // namespace kx::com
