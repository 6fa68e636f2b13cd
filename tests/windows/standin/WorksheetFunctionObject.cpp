// WorksheetFunction: the worksheet functions, called with ranges and values.

#include "host/WorksheetFunction.h"
#include "standin/Args.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

host::WorksheetFunction& F(Object& self) { return Held<host::WorksheetFunction>(self); }

const Member kMembers[] = {
    {L"CountA", {L"Arg1"},
     [](Object& o, Args& a) -> Value { return Reply(F(o).CountA(KX_TRY(a.Range(0)))); }},
    {L"CountIf", {L"Arg1", L"Arg2"},
     [](Object& o, Args& a) -> Value {
       auto range = KX_TRY(a.Range(0));
       return Reply(F(o).CountIf(range, KX_TRY(a.Value(1))));
     }},
};

const Class kWorksheetFunction{L"WorksheetFunction", 0x5000, kMembers};

}  // namespace

com::ComPtr<IDispatch> Wrap(const host::WorksheetFunctionRef& functions) {
  return Make(kWorksheetFunction, functions);
}

}  // namespace kx::standin
