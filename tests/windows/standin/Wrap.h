#pragma once
// The stand-in objects over each kind of host object, and the replies that carry them back.
// Each Wrap makes a new stand-in object, as the host hands out a new object at each call; a
// null handle gives Nothing.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "com/Variants.h"
#include "host/AddIn.h"
#include "host/Forward.h"
#include "host/Result.h"
#include "standin/Object.h"

namespace kx::standin {

com::ComPtr<IDispatch> Wrap(const host::ApplicationRef& app);
com::ComPtr<IDispatch> Wrap(const host::WorkbooksRef& books);
com::ComPtr<IDispatch> Wrap(const host::WorkbookRef& book);
com::ComPtr<IDispatch> Wrap(const host::WorksheetRef& sheet);
com::ComPtr<IDispatch> Wrap(const host::RangeRef& range);
com::ComPtr<IDispatch> Wrap(const host::InteriorRef& interior);
com::ComPtr<IDispatch> Wrap(const host::ValidationRef& validation);
com::ComPtr<IDispatch> Wrap(const host::WorksheetFunctionRef& functions);
com::ComPtr<IDispatch> Wrap(const host::CommandBarsRef& bars);
com::ComPtr<IDispatch> Wrap(const host::CommandBarRef& bar);
com::ComPtr<IDispatch> Wrap(const host::CommandBarControlsRef& controls);
com::ComPtr<IDispatch> Wrap(const host::CommandBarControlRef& control);
com::ComPtr<IDispatch> Wrap(const host::COMAddInsRef& addIns);
com::ComPtr<IDispatch> Wrap(const host::COMAddInRef& addIn);

// A workbook's Worksheets collection.
com::ComPtr<IDispatch> WrapSheets(const host::WorkbookRef& book);
// A range's Areas collection.
com::ComPtr<IDispatch> WrapAreas(std::vector<host::RangeRef> areas);
// The application's Selection: a Range, or a drawing object when a chart or shape is selected.
com::ComPtr<IDispatch> WrapSelection(const host::RangeRef& selection);
// The control a ribbon callback receives.
com::ComPtr<IDispatch> WrapRibbonControl(const host::RibbonControl& control);
// The enumerator For Each asks a Range for: each cell in turn.
host::Result<com::ComPtr<IUnknown>> EnumerateCells(host::Range& range);

// The host range behind a stand-in Range; null for any other object.
host::RangeRef RangeOf(IDispatch* object);

// --- replies ----------------------------------------------------------------------------------

inline com::ComVariant ToCom(const std::string& text) { return com::ComVariant::Text(text); }
inline com::ComVariant ToCom(long number) { return com::ComVariant::Long(number); }
inline com::ComVariant ToCom(bool flag) { return com::ComVariant::Bool(flag); }
inline com::ComVariant ToCom(double number) { return com::ComVariant(host::Variant(number)); }
inline com::ComVariant ToCom(const host::Variant& value) { return com::ComVariant(value); }
inline com::ComVariant ToCom(const com::ComPtr<IDispatch>& object) {
  return com::ComVariant::Object(object.get());
}
com::ComVariant ToCom(const com::ComPtr<IUnknown>& object);
template <class T>
com::ComVariant ToCom(const std::shared_ptr<T>& held) {
  return ToCom(Wrap(held));
}

template <class T>
Value Reply(host::Result<T>&& result) {
  if (!result.ok()) return result.error();
  return ToCom(*result);
}
inline Value Reply(host::Result<void>&& result) {
  if (!result.ok()) return result.error();
  return com::ComVariant();
}

}  // namespace kx::standin
