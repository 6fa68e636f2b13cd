// Range over the object model.

#include "com/Results.h"

namespace kx::com {

namespace {

// Named arguments set only where the caller set them: an omitted one keeps the host's default
// (or, for Find, the setting the host remembers from the last search).
template <class T>
void AddIfSet(std::vector<NamedArg>& named, Name name, const std::optional<T>& value) {
  if (!value) return;
  if constexpr (std::is_same_v<T, bool>) {
    named.push_back({name, ComVariant::Bool(*value)});
  } else {
    named.push_back({name, ComVariant::Long(*value)});
  }
}

}  // namespace

host::Result<host::RangeRef> RangeObject::Columns() {
  return Wrap<RangeObject>(late_.Get(L"Columns"), late_.session());
}

host::Result<host::RangeRef> RangeObject::Rows() {
  return Wrap<RangeObject>(late_.Get(L"Rows"), late_.session());
}

host::Result<host::RangeRef> RangeObject::Cells() {
  return Wrap<RangeObject>(late_.Get(L"Cells"), late_.session());
}

host::Result<host::RangeRef> RangeObject::Item(long index) {
  return Wrap<RangeObject>(late_.Get(L"Item", {ComVariant::Long(index)}), late_.session());
}

host::Result<host::RangeRef> RangeObject::Item(long row, long column) {
  return Wrap<RangeObject>(late_.Get(L"Item", {ComVariant::Long(row), ComVariant::Long(column)}),
                           late_.session());
}

host::Result<host::RangeRef> RangeObject::Cells(long row, long column) {
  return Wrap<RangeObject>(late_.Get(L"Cells", {ComVariant::Long(row), ComVariant::Long(column)}),
                           late_.session());
}

host::Result<host::RangeRef> RangeObject::Cells(long index) {
  return Wrap<RangeObject>(late_.Get(L"Cells", {ComVariant::Long(index)}), late_.session());
}

host::Result<long> RangeObject::Count() { return LongOf(late_.Get(L"Count")); }
host::Result<long> RangeObject::Row() { return LongOf(late_.Get(L"Row")); }
host::Result<long> RangeObject::Column() { return LongOf(late_.Get(L"Column")); }

host::Result<std::vector<host::RangeRef>> RangeObject::Areas() {
  ComVariant areas = KX_TRY(late_.Get(L"Areas"));
  ComPtr<IDispatch> object = KX_TRY(ObjectOf(areas));
  Late collection(std::move(object), late_.session(), Kind::Areas);
  long count = KX_TRY(LongOf(collection.Get(L"Count")));
  std::vector<host::RangeRef> result;
  for (long i = 1; i <= count; ++i) {
    result.push_back(
        KX_TRY(Wrap<RangeObject>(collection.Get(L"Item", {ComVariant::Long(i)}), late_.session())));
  }
  return result;
}

host::Result<host::RangeRef> RangeObject::EntireRow() {
  return Wrap<RangeObject>(late_.Get(L"EntireRow"), late_.session());
}

host::Result<host::RangeRef> RangeObject::EntireColumn() {
  return Wrap<RangeObject>(late_.Get(L"EntireColumn"), late_.session());
}

host::Result<host::WorksheetRef> RangeObject::Worksheet() {
  return Wrap<WorksheetObject>(late_.Get(L"Worksheet"), late_.session());
}

host::Result<std::string> RangeObject::Address() { return TextOf(late_.Get(L"Address")); }

host::Result<host::Variant> RangeObject::Value() { return ValueOf(late_.Get(L"Value")); }

host::Result<void> RangeObject::SetValue(const host::Variant& value) {
  return late_.Put(L"Value", ComVariant(value));
}

host::Result<host::Variant> RangeObject::Formula() { return ValueOf(late_.Get(L"Formula")); }

host::Result<void> RangeObject::SetFormula(const host::Variant& formula) {
  return late_.Put(L"Formula", ComVariant(formula));
}

host::Result<std::string> RangeObject::Text() { return TextOf(late_.Get(L"Text")); }

host::Result<void> RangeObject::Clear() { return Done(late_.Call(L"Clear")); }

host::Result<bool> RangeObject::Hidden() { return BoolOf(late_.Get(L"Hidden")); }

host::Result<void> RangeObject::SetHidden(bool hidden) {
  return late_.Put(L"Hidden", ComVariant::Bool(hidden));
}

host::Result<void> RangeObject::Select() { return Done(late_.Call(L"Select")); }

host::Result<host::RangeRef> RangeObject::Find(const host::FindArgs& args) {
  std::vector<NamedArg> named;
  named.push_back({L"What", ComVariant(args.What)});
  if (args.After) named.push_back({L"After", KX_TRY(ObjectArg(args.After))});
  AddIfSet(named, L"LookIn", args.LookIn);
  AddIfSet(named, L"LookAt", args.LookAt);
  AddIfSet(named, L"SearchOrder", args.SearchOrder);
  AddIfSet(named, L"SearchDirection", args.SearchDirection);
  AddIfSet(named, L"MatchCase", args.MatchCase);
  return Wrap<RangeObject>(late_.Call(L"Find", {}, std::move(named)), late_.session());
}

host::Result<void> RangeObject::AdvancedFilter(const host::AdvancedFilterArgs& args) {
  std::vector<NamedArg> named;
  named.push_back({L"Action", ComVariant::Long(args.Action)});
  if (args.CriteriaRange) named.push_back({L"CriteriaRange", KX_TRY(ObjectArg(args.CriteriaRange))});
  if (args.CopyToRange) named.push_back({L"CopyToRange", KX_TRY(ObjectArg(args.CopyToRange))});
  AddIfSet(named, L"Unique", args.Unique);
  return Done(late_.Call(L"AdvancedFilter", {}, std::move(named)));
}

host::Result<host::RangeRef> RangeObject::SpecialCells(long type) {
  return Wrap<RangeObject>(late_.Call(L"SpecialCells", {ComVariant::Long(type)}),
                           late_.session());
}

host::Result<host::InteriorRef> RangeObject::Interior() {
  return Wrap<InteriorObject>(late_.Get(L"Interior"), late_.session());
}

host::Result<host::ValidationRef> RangeObject::Validation() {
  return Wrap<ValidationObject>(late_.Get(L"Validation"), late_.session());
}

host::Result<void> RangeObject::ForEachCell(
    const std::function<bool(const host::RangeRef& cell)>& visit) {
  // For Each: the range's enumerator, one cell a call, as Visual Basic walks it.
  ComVariant enumerator = KX_TRY(late_.GetById(DISPID_NEWENUM));
  IUnknown* unknown = enumerator.get()->vt == VT_UNKNOWN    ? enumerator.get()->punkVal
                      : enumerator.get()->vt == VT_DISPATCH ? enumerator.get()->pdispVal
                                                            : nullptr;
  if (unknown == nullptr) return host::Fail(host::err::NotSupported, "The object has no enumerator");
  ComPtr<IEnumVARIANT> cells;
  HRESULT hr = unknown->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(cells.Out()));
  if (FAILED(hr)) return ErrorFromHResult(hr);
  for (;;) {
    ComVariant item;
    ULONG fetched = 0;
    ++late_.session()->invokes;
    hr = cells->Next(1, item.get(), &fetched);
    if (FAILED(hr)) return ErrorFromHResult(hr);
    if (hr != S_OK || fetched == 0) return {};
    host::RangeRef cell = KX_TRY(Wrap<RangeObject>(std::move(item), late_.session()));
    if (!visit(cell)) return {};
  }
}

}  // namespace kx::com
