// The Application: the root every other stand-in object is reached from.

#include "host/Application.h"
#include "standin/Args.h"
#include "standin/Standin.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

host::Application& App(Object& self) { return Held<host::Application>(self); }

const Member kMembers[] = {
    {L"Version", {}, [](Object& o, Args&) { return Reply(App(o).Version()); }},
    {L"CommandBars", {}, [](Object& o, Args&) { return Reply(App(o).CommandBars()); }},
    {L"COMAddIns", {}, [](Object& o, Args&) { return Reply(App(o).COMAddIns()); }},
    {L"Workbooks", {}, [](Object& o, Args&) { return Reply(App(o).Workbooks()); }},
    {L"ActiveWorkbook", {}, [](Object& o, Args&) { return Reply(App(o).ActiveWorkbook()); }},
    {L"ActiveSheet", {}, [](Object& o, Args&) { return Reply(App(o).ActiveSheet()); }},
    {L"Selection", {},
     [](Object& o, Args&) -> Value { return ToCom(WrapSelection(KX_TRY(App(o).Selection()))); }},
    {L"ActiveCell", {}, [](Object& o, Args&) { return Reply(App(o).ActiveCell()); }},
    {L"Intersect", {L"Arg1", L"Arg2"},
     [](Object& o, Args& a) -> Value {
       auto first = KX_TRY(a.Range(0));
       auto second = KX_TRY(a.Range(1));
       return Reply(App(o).Intersect(first, second));
     }},
    {L"Range", {L"Cell1"},
     [](Object& o, Args& a) -> Value { return Reply(App(o).Range(KX_TRY(a.Text(0)))); }},
    {L"WorksheetFunction", {}, [](Object& o, Args&) { return Reply(App(o).WorksheetFunction()); }},
    {L"EnableCancelKey", {}, [](Object& o, Args&) { return Reply(App(o).EnableCancelKey()); },
     [](Object& o, Args& a) -> Value {
       return Reply(App(o).SetEnableCancelKey(KX_TRY(a.Long(kAssigned))));
     }},
    {L"StatusBar", {}, [](Object& o, Args&) { return Reply(App(o).StatusBar()); },
     [](Object& o, Args& a) -> Value {
       return Reply(App(o).SetStatusBar(KX_TRY(a.Value(kAssigned))));
     }},
    {L"ScreenUpdating", {}, [](Object& o, Args&) { return Reply(App(o).ScreenUpdating()); },
     [](Object& o, Args& a) -> Value {
       return Reply(App(o).SetScreenUpdating(KX_TRY(a.Bool(kAssigned))));
     }},
    {L"Calculation", {}, [](Object& o, Args&) { return Reply(App(o).Calculation()); },
     [](Object& o, Args& a) -> Value {
       return Reply(App(o).SetCalculation(KX_TRY(a.Long(kAssigned))));
     }},
    {L"OnUndo", {L"Text", L"Procedure"},
     [](Object& o, Args& a) -> Value {
       auto text = KX_TRY(a.Text(0));
       return Reply(App(o).OnUndo(text, KX_TRY(a.Text(1))));
     }},
    // Without a procedure the key goes back to the host.
    {L"OnKey", {L"Key", L"Procedure"},
     [](Object& o, Args& a) -> Value {
       auto key = KX_TRY(a.Text(0));
       return Reply(App(o).OnKey(key, KX_TRY(a.OptText(1))));
     }},
};

const Class kApplication{L"Application", 0x1000, kMembers};

}  // namespace

com::ComPtr<IDispatch> Wrap(const host::ApplicationRef& app) { return Make(kApplication, app); }

com::ComPtr<IDispatch> MakeApplication(host::ApplicationRef app) { return Wrap(app); }

}  // namespace kx::standin
