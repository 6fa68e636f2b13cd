// Workbooks, Workbook and Worksheet over the object model.

#include "com/ObjectModelIds.h"
#include "com/Results.h"

namespace kx::com {

Kind Bridged::KindIf(IDispatch* object, const IID& iid, Kind kind) {
  if (object == nullptr) return kind;
  ComPtr<IUnknown> probe;
  if (SUCCEEDED(object->QueryInterface(iid, reinterpret_cast<void**>(probe.Out())))) return kind;
  return Kind::Unknown;
}

host::Result<long> WorkbooksObject::Count() { return LongOf(late_.Get(L"Count")); }

host::Result<host::WorkbookRef> WorkbooksObject::Item(long index) {
  return Wrap<WorkbookObject>(late_.Get(L"Item", {ComVariant::Long(index)}), late_.session());
}

host::Result<host::WorkbookRef> WorkbooksObject::Item(std::string_view name) {
  return Wrap<WorkbookObject>(late_.Get(L"Item", {ComVariant::Text(name)}), late_.session());
}

host::Result<host::WorkbookRef> WorkbooksObject::Add() {
  return Wrap<WorkbookObject>(late_.Call(L"Add"), late_.session());
}

host::Result<std::string> WorkbookObject::Name() { return TextOf(late_.Get(L"Name")); }

host::Result<void> WorkbookObject::Activate() { return Done(late_.Call(L"Activate")); }

host::Result<host::WorksheetRef> WorkbookObject::ActiveSheet() {
  return Wrap<WorksheetObject>(late_.Get(L"ActiveSheet"), late_.session());
}

host::Result<long> WorkbookObject::WorksheetCount() {
  ComVariant sheets = KX_TRY(late_.Get(L"Worksheets"));
  ComPtr<IDispatch> object = KX_TRY(ObjectOf(sheets));
  Late collection(std::move(object), late_.session(), Kind::Sheets);
  return LongOf(collection.Get(L"Count"));
}

host::Result<host::WorksheetRef> WorkbookObject::Worksheets(long index) {
  return Wrap<WorksheetObject>(late_.Get(L"Worksheets", {ComVariant::Long(index)}),
                               late_.session());
}

host::Result<host::WorksheetRef> WorkbookObject::Worksheets(std::string_view name) {
  return Wrap<WorksheetObject>(late_.Get(L"Worksheets", {ComVariant::Text(name)}),
                               late_.session());
}

host::Result<void> WorkbookObject::Close() { return Done(late_.Call(L"Close")); }

WorksheetObject::WorksheetObject(ComPtr<IDispatch> object, SessionRef session)
    : Bridged(object, std::move(session), KindIf(object.get(), kWorksheetIid, Kind::Worksheet)) {}

host::Result<std::string> WorksheetObject::Name() { return TextOf(late_.Get(L"Name")); }

host::Result<host::WorkbookRef> WorksheetObject::Parent() {
  return Wrap<WorkbookObject>(late_.Get(L"Parent"), late_.session());
}

host::Result<void> WorksheetObject::Activate() { return Done(late_.Call(L"Activate")); }

host::Result<host::RangeRef> WorksheetObject::UsedRange() {
  return Wrap<RangeObject>(late_.Get(L"UsedRange"), late_.session());
}

host::Result<bool> WorksheetObject::FilterMode() { return BoolOf(late_.Get(L"FilterMode")); }

host::Result<void> WorksheetObject::ShowAllData() { return Done(late_.Call(L"ShowAllData")); }

host::Result<host::RangeRef> WorksheetObject::Range(std::string_view address) {
  return Wrap<RangeObject>(late_.Get(L"Range", {ComVariant::Text(address)}), late_.session());
}

host::Result<host::RangeRef> WorksheetObject::Cells() {
  return Wrap<RangeObject>(late_.Get(L"Cells"), late_.session());
}

}  // namespace kx::com
