// CommandBars, CommandBar, CommandBarControls and CommandBarControl (button or popup). A control
// is also a connection-point container for the button's Click event.

#include "com/HostInterfaces.h"
#include "host/CommandBars.h"
#include "host/ErrorNumbers.h"
#include "standin/Args.h"
#include "standin/ClickEvents.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

host::CommandBars& Bars(Object& self) { return Held<host::CommandBars>(self); }
host::CommandBar& Bar(Object& self) { return Held<host::CommandBar>(self); }
host::CommandBarControls& Controls(Object& self) { return Held<host::CommandBarControls>(self); }
host::CommandBarControl& Control(Object& self) { return Held<host::CommandBarControl>(self); }

const Member kBarsMembers[] = {
    {L"Count", {}, [](Object& o, Args&) { return Reply(Bars(o).Count()); }},
    // host/ finds a bar by name only.
    {L"Item", {L"Index"},
     [](Object& o, Args& a) -> Value {
       if (!a.IsText(0)) {
         KX_TRY(a.Long(0));
         return host::Fail(host::err::InvalidProcedureCall, "Invalid procedure call or argument");
       }
       return Reply(Bars(o).Item(KX_TRY(a.Text(0))));
     },
     nullptr, Role::Default},
};

const Member kBarMembers[] = {
    {L"Name", {}, [](Object& o, Args&) { return Reply(Bar(o).Name()); }},
    {L"Visible", {}, [](Object& o, Args&) { return Reply(Bar(o).Visible()); },
     [](Object& o, Args& a) -> Value { return Reply(Bar(o).SetVisible(KX_TRY(a.Bool(kAssigned)))); }},
    {L"Controls", {}, [](Object& o, Args&) { return Reply(Bar(o).Controls()); }},
};

const Member kControlsMembers[] = {
    {L"Count", {}, [](Object& o, Args&) { return Reply(Controls(o).Count()); }},
    {L"Item", {L"Index"},
     [](Object& o, Args& a) -> Value {
       if (a.IsText(0)) return Reply(Controls(o).Item(KX_TRY(a.Text(0))));
       return Reply(Controls(o).Item(KX_TRY(a.Long(0))));
     },
     nullptr, Role::Default},
    {L"Add", {L"Type", L"Id", L"Parameter", L"Before", L"Temporary"},
     [](Object& o, Args& a) -> Value {
       host::ControlAddArgs add;
       add.Type = KX_TRY(a.OptLong(0));
       add.Id = KX_TRY(a.OptLong(1));
       add.Parameter = KX_TRY(a.OptValue(2));
       add.Before = KX_TRY(a.OptLong(3));
       add.Temporary = KX_TRY(a.OptBool(4));
       return Reply(Controls(o).Add(add));
     }},
};

#define KX_CONTROL_PROPERTY(name, read)                                          \
  {L## #name, {}, [](Object& o, Args&) { return Reply(Control(o).name()); },     \
   [](Object& o, Args& a) -> Value {                                             \
     return Reply(Control(o).Set##name(KX_TRY(a.read(kAssigned))));              \
   }}

const Member kControlMembers[] = {
    {L"Type", {}, [](Object& o, Args&) { return Reply(Control(o).Type()); }},
    KX_CONTROL_PROPERTY(Caption, Text),
    KX_CONTROL_PROPERTY(Tag, Text),
    KX_CONTROL_PROPERTY(FaceId, Long),
    KX_CONTROL_PROPERTY(Style, Long),
    KX_CONTROL_PROPERTY(BeginGroup, Bool),
    KX_CONTROL_PROPERTY(OnAction, Text),
    KX_CONTROL_PROPERTY(Parameter, Value),
    KX_CONTROL_PROPERTY(Visible, Bool),
    {L"Delete", {}, [](Object& o, Args&) { return Reply(Control(o).Delete()); }},
    {L"Controls", {}, [](Object& o, Args&) { return Reply(Control(o).Controls()); }},
};

#undef KX_CONTROL_PROPERTY

const Class kBars{L"CommandBars", 0x7000, kBarsMembers};
const Class kBar{L"CommandBar", 0x7100, kBarMembers};
const Class kControls{L"CommandBarControls", 0x7200, kControlsMembers};
const Class kControl{L"CommandBarControl", 0x7300, kControlMembers};

// A control with its Click connection point. Buttons and popups are one kind here: a popup's
// Advise fails, as host/ has no Click for it.
class ControlObject final : public Holder<host::CommandBarControl>,
                            public IConnectionPointContainer {
 public:
  explicit ControlObject(host::CommandBarControlRef control)
      : Holder(kControl, control), events_(std::move(control)) {}

  KX_STANDIN_SHARED_IUNKNOWN

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != DIID__CommandBarButtonEvents) return CONNECT_E_NOCONNECTION;
    return Guarded([&] {
      *out = MakeClickPoint(this, events_).Detach();
      return S_OK;
    });
  }

 protected:
  void* OtherInterface(REFIID iid) override {
    if (iid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
    // The button's own interface, whose members the add-in reaches by name.
    if (iid == IID__CommandBarButton) return static_cast<IDispatch*>(this);
    return nullptr;
  }

 private:
  ClickEvents events_;
};

}  // namespace

com::ComPtr<IDispatch> Wrap(const host::CommandBarsRef& bars) { return Make(kBars, bars); }
com::ComPtr<IDispatch> Wrap(const host::CommandBarRef& bar) { return Make(kBar, bar); }
com::ComPtr<IDispatch> Wrap(const host::CommandBarControlsRef& controls) {
  return Make(kControls, controls);
}
com::ComPtr<IDispatch> Wrap(const host::CommandBarControlRef& control) {
  if (!control) return nullptr;
  return com::ComPtr<IDispatch>::Adopt(new ControlObject(control));
}

}  // namespace kx::standin
