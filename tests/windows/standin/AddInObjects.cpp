// COMAddIns and COMAddIn: the host's list of COM add-ins, through which an add-in also unloads
// itself (Connect = False).

#include "host/AddIn.h"
#include "standin/Args.h"
#include "standin/Standin.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

host::COMAddIns& List(Object& self) { return Held<host::COMAddIns>(self); }
host::COMAddIn& AddIn(Object& self) { return Held<host::COMAddIn>(self); }

const Member kListMembers[] = {
    {L"Count", {}, [](Object& o, Args&) { return Reply(List(o).Count()); }},
    {L"Item", {L"Index"},
     [](Object& o, Args& a) -> Value {
       if (a.IsText(0)) return Reply(List(o).Item(KX_TRY(a.Text(0))));
       return Reply(List(o).Item(KX_TRY(a.Long(0))));
     },
     nullptr, Role::Default},
};

const Member kAddInMembers[] = {
    {L"ProgId", {}, [](Object& o, Args&) { return Reply(AddIn(o).ProgId()); }},
    {L"Description", {}, [](Object& o, Args&) { return Reply(AddIn(o).Description()); }},
    {L"Connect", {}, [](Object& o, Args&) { return Reply(AddIn(o).Connect()); },
     [](Object& o, Args& a) -> Value { return Reply(AddIn(o).SetConnect(KX_TRY(a.Bool(kAssigned)))); }},
};

const Class kList{L"COMAddIns", 0x8000, kListMembers};
const Class kAddIn{L"COMAddIn", 0x8100, kAddInMembers};

}  // namespace

com::ComPtr<IDispatch> Wrap(const host::COMAddInsRef& addIns) { return Make(kList, addIns); }
com::ComPtr<IDispatch> Wrap(const host::COMAddInRef& addIn) { return Make(kAddIn, addIn); }

com::ComPtr<IDispatch> MakeCOMAddIn(host::COMAddInRef addIn) { return Wrap(addIn); }

}  // namespace kx::standin
