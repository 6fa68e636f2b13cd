// What a range's cells carry besides their values: Interior and Validation.

#include "host/Range.h"
#include "host/Validation.h"
#include "standin/Args.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

host::Validation& V(Object& self) { return Held<host::Validation>(self); }

const Member kInteriorMembers[] = {
    {L"ColorIndex", {}, [](Object& o, Args&) { return Reply(Held<host::Interior>(o).ColorIndex()); },
     [](Object& o, Args& a) -> Value {
       return Reply(Held<host::Interior>(o).SetColorIndex(KX_TRY(a.Value(kAssigned))));
     }},
};

// The text and flag properties of a rule: get, and put where the host has a setter.
#define KX_VALIDATION_TEXT(name)                                                   \
  {L## #name, {}, [](Object& o, Args&) { return Reply(V(o).name()); },             \
   [](Object& o, Args& a) -> Value {                                               \
     return Reply(V(o).Set##name(KX_TRY(a.Text(kAssigned))));                      \
   }}
#define KX_VALIDATION_FLAG(name)                                                   \
  {L## #name, {}, [](Object& o, Args&) { return Reply(V(o).name()); },             \
   [](Object& o, Args& a) -> Value {                                               \
     return Reply(V(o).Set##name(KX_TRY(a.Bool(kAssigned))));                      \
   }}

const Member kValidationMembers[] = {
    {L"Add", {L"Type", L"AlertStyle", L"Operator", L"Formula1", L"Formula2"},
     [](Object& o, Args& a) -> Value {
       host::ValidationAddArgs add;
       add.Type = KX_TRY(a.Long(0));
       add.AlertStyle = KX_TRY(a.OptLong(1));
       add.Operator = KX_TRY(a.OptLong(2));
       add.Formula1 = KX_TRY(a.OptValue(3));
       add.Formula2 = KX_TRY(a.OptValue(4));
       return Reply(V(o).Add(add));
     }},
    {L"Delete", {}, [](Object& o, Args&) { return Reply(V(o).Delete()); }},
    {L"Type", {}, [](Object& o, Args&) { return Reply(V(o).Type()); }},
    {L"AlertStyle", {}, [](Object& o, Args&) { return Reply(V(o).AlertStyle()); }},
    {L"Operator", {}, [](Object& o, Args&) { return Reply(V(o).Operator()); }},
    {L"Formula1", {}, [](Object& o, Args&) { return Reply(V(o).Formula1()); }},
    {L"Formula2", {}, [](Object& o, Args&) { return Reply(V(o).Formula2()); }},
    KX_VALIDATION_FLAG(IgnoreBlank),
    KX_VALIDATION_FLAG(InCellDropdown),
    KX_VALIDATION_TEXT(InputTitle),
    KX_VALIDATION_TEXT(ErrorTitle),
    KX_VALIDATION_TEXT(InputMessage),
    KX_VALIDATION_TEXT(ErrorMessage),
    KX_VALIDATION_FLAG(ShowInput),
    KX_VALIDATION_FLAG(ShowError),
    {L"Value", {}, [](Object& o, Args&) { return Reply(V(o).Value()); }},
};

#undef KX_VALIDATION_TEXT
#undef KX_VALIDATION_FLAG

const Class kInterior{L"Interior", 0x4000, kInteriorMembers};
const Class kValidation{L"Validation", 0x4100, kValidationMembers};

}  // namespace

com::ComPtr<IDispatch> Wrap(const host::InteriorRef& interior) { return Make(kInterior, interior); }
com::ComPtr<IDispatch> Wrap(const host::ValidationRef& validation) {
  return Make(kValidation, validation);
}

}  // namespace kx::standin
