// Range and its Areas collection.
//
// As in the object model, a Range's default member is its Value when called without
// arguments and its Item with them, so Cells(2, 1) and Columns(1) work as one call, and
// For Each reaches its cells through _NewEnum.

#include "com/ObjectModelIds.h"
#include "host/ErrorNumbers.h"
#include "host/Range.h"
#include "standin/Args.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

using Areas = std::vector<host::RangeRef>;

host::Range& R(Object& self) { return Held<host::Range>(self); }

host::Result<host::RangeRef> ItemOf(host::Range& range, Args& a) {
  long row = KX_TRY(a.Long(0));
  if (!a.Has(1)) return range.Item(row);
  return range.Item(row, KX_TRY(a.Long(1)));
}

const Member kRangeMembers[] = {
    {L"_Default", {L"RowIndex", L"ColumnIndex"},
     [](Object& o, Args& a) -> Value {
       if (!a.Has(0) && !a.Has(1)) return Reply(R(o).Value());
       return Reply(ItemOf(R(o), a));
     },
     [](Object& o, Args& a) -> Value {
       auto value = KX_TRY(a.Value(kAssigned));
       if (!a.Has(0) && !a.Has(1)) return Reply(R(o).SetValue(value));
       auto item = KX_TRY(ItemOf(R(o), a));
       return Reply(item->SetValue(value));
     },
     Role::Default},
    {L"Item", {L"RowIndex", L"ColumnIndex"},
     [](Object& o, Args& a) { return Reply(ItemOf(R(o), a)); }},
    {L"Columns", {}, [](Object& o, Args&) { return Reply(R(o).Columns()); }},
    {L"Rows", {}, [](Object& o, Args&) { return Reply(R(o).Rows()); }},
    {L"Cells", {}, [](Object& o, Args&) { return Reply(R(o).Cells()); }},
    {L"Count", {}, [](Object& o, Args&) { return Reply(R(o).Count()); }},
    {L"Row", {}, [](Object& o, Args&) { return Reply(R(o).Row()); }},
    {L"Column", {}, [](Object& o, Args&) { return Reply(R(o).Column()); }},
    {L"Areas", {},
     [](Object& o, Args&) -> Value { return ToCom(WrapAreas(KX_TRY(R(o).Areas()))); }},
    {L"EntireRow", {}, [](Object& o, Args&) { return Reply(R(o).EntireRow()); }},
    {L"EntireColumn", {}, [](Object& o, Args&) { return Reply(R(o).EntireColumn()); }},
    {L"Worksheet", {}, [](Object& o, Args&) { return Reply(R(o).Worksheet()); }},
    {L"Address", {}, [](Object& o, Args&) { return Reply(R(o).Address()); }},
    {L"Value", {}, [](Object& o, Args&) { return Reply(R(o).Value()); },
     [](Object& o, Args& a) -> Value { return Reply(R(o).SetValue(KX_TRY(a.Value(kAssigned)))); }},
    {L"Formula", {}, [](Object& o, Args&) { return Reply(R(o).Formula()); },
     [](Object& o, Args& a) -> Value {
       return Reply(R(o).SetFormula(KX_TRY(a.Value(kAssigned))));
     }},
    {L"Text", {}, [](Object& o, Args&) { return Reply(R(o).Text()); }},
    {L"Clear", {}, [](Object& o, Args&) { return Reply(R(o).Clear()); }},
    {L"Hidden", {}, [](Object& o, Args&) { return Reply(R(o).Hidden()); },
     [](Object& o, Args& a) -> Value { return Reply(R(o).SetHidden(KX_TRY(a.Bool(kAssigned)))); }},
    {L"Select", {}, [](Object& o, Args&) { return Reply(R(o).Select()); }},
    // MatchByte and SearchFormat are accepted and have no effect, as on a host without
    // double-byte text or format search.
    {L"Find",
     {L"What", L"After", L"LookIn", L"LookAt", L"SearchOrder", L"SearchDirection", L"MatchCase",
      L"MatchByte", L"SearchFormat"},
     [](Object& o, Args& a) -> Value {
       host::FindArgs find;
       find.What = KX_TRY(a.Value(0));
       find.After = KX_TRY(a.OptRange(1));
       find.LookIn = KX_TRY(a.OptLong(2));
       find.LookAt = KX_TRY(a.OptLong(3));
       find.SearchOrder = KX_TRY(a.OptLong(4));
       find.SearchDirection = KX_TRY(a.OptLong(5));
       find.MatchCase = KX_TRY(a.OptBool(6));
       return Reply(R(o).Find(find));
     }},
    {L"AdvancedFilter", {L"Action", L"CriteriaRange", L"CopyToRange", L"Unique"},
     [](Object& o, Args& a) -> Value {
       host::AdvancedFilterArgs filter;
       filter.Action = KX_TRY(a.Long(0));
       filter.CriteriaRange = KX_TRY(a.OptRange(1));
       filter.CopyToRange = KX_TRY(a.OptRange(2));
       filter.Unique = KX_TRY(a.OptBool(3));
       return Reply(R(o).AdvancedFilter(filter));
     }},
    // Value narrows constants and formulas by kind of value; the host's cell types take none.
    {L"SpecialCells", {L"Type", L"Value"},
     [](Object& o, Args& a) -> Value { return Reply(R(o).SpecialCells(KX_TRY(a.Long(0)))); }},
    {L"Interior", {}, [](Object& o, Args&) { return Reply(R(o).Interior()); }},
    {L"Validation", {}, [](Object& o, Args&) { return Reply(R(o).Validation()); }},
    {L"_NewEnum", {}, [](Object& o, Args&) { return Reply(EnumerateCells(R(o))); }, nullptr,
     Role::NewEnum},
};

const Member kAreasMembers[] = {
    {L"Count", {},
     [](Object& o, Args&) -> Value { return ToCom(static_cast<long>(Held<Areas>(o).size())); }},
    {L"Item", {L"Index"},
     [](Object& o, Args& a) -> Value {
       long index = KX_TRY(a.Long(0));
       const Areas& areas = Held<Areas>(o);
       if (index < 1 || static_cast<std::size_t>(index) > areas.size()) {
         return host::Fail(host::err::SubscriptOutOfRange, "Subscript out of range");
       }
       return ToCom(areas[static_cast<std::size_t>(index) - 1]);
     },
     nullptr, Role::Default},
};

const Class kRange{L"Range", 0x3000, kRangeMembers, &com::kRangeIid};
const Class kAreas{L"Areas", 0x3100, kAreasMembers};

}  // namespace

com::ComPtr<IDispatch> Wrap(const host::RangeRef& range) { return Make(kRange, range); }

com::ComPtr<IDispatch> WrapAreas(std::vector<host::RangeRef> areas) {
  return Make(kAreas, std::make_shared<Areas>(std::move(areas)));
}

host::RangeRef RangeOf(IDispatch* object) {
  Object* standin = Object::From(object);
  if (standin == nullptr || &standin->cls() != &kRange) return nullptr;
  return static_cast<Holder<host::Range>&>(*standin).held();
}

}  // namespace kx::standin
