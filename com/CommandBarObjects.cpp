// The command bars, their controls and the button's Click event over the object model.

#include <ocidl.h>

#include "com/ClickSink.h"
#include "com/HostInterfaces.h"
#include "com/Results.h"

namespace kx::com {

host::Result<long> CommandBarsObject::Count() { return LongOf(late_.Get(L"Count")); }

host::Result<host::CommandBarRef> CommandBarsObject::Item(std::string_view name) {
  return Wrap<CommandBarObject>(late_.Get(L"Item", {ComVariant::Text(name)}), late_.session());
}

host::Result<std::string> CommandBarObject::Name() { return TextOf(late_.Get(L"Name")); }
host::Result<bool> CommandBarObject::Visible() { return BoolOf(late_.Get(L"Visible")); }
host::Result<void> CommandBarObject::SetVisible(bool visible) {
  return late_.Put(L"Visible", ComVariant::Bool(visible));
}
host::Result<host::CommandBarControlsRef> CommandBarObject::Controls() {
  return Wrap<CommandBarControlsObject>(late_.Get(L"Controls"), late_.session());
}

host::Result<long> CommandBarControlsObject::Count() { return LongOf(late_.Get(L"Count")); }

host::Result<host::CommandBarControlRef> CommandBarControlsObject::Item(long index) {
  return Wrap<CommandBarControlObject>(late_.Get(L"Item", {ComVariant::Long(index)}),
                                       late_.session());
}

host::Result<host::CommandBarControlRef> CommandBarControlsObject::Item(std::string_view caption) {
  return Wrap<CommandBarControlObject>(late_.Get(L"Item", {ComVariant::Text(caption)}),
                                       late_.session());
}

host::Result<host::CommandBarControlRef> CommandBarControlsObject::Add(
    const host::ControlAddArgs& args) {
  std::vector<NamedArg> named;
  if (args.Type) named.push_back({L"Type", ComVariant::Long(*args.Type)});
  if (args.Id) named.push_back({L"Id", ComVariant::Long(*args.Id)});
  if (args.Parameter) named.push_back({L"Parameter", ComVariant(*args.Parameter)});
  if (args.Before) named.push_back({L"Before", ComVariant::Long(*args.Before)});
  if (args.Temporary) named.push_back({L"Temporary", ComVariant::Bool(*args.Temporary)});
  return Wrap<CommandBarControlObject>(late_.Call(L"Add", {}, std::move(named)), late_.session());
}

host::Result<long> CommandBarControlObject::Type() { return LongOf(late_.Get(L"Type")); }
host::Result<std::string> CommandBarControlObject::Caption() {
  return TextOf(late_.Get(L"Caption"));
}
host::Result<void> CommandBarControlObject::SetCaption(const std::string& caption) {
  return late_.Put(L"Caption", ComVariant::Text(caption));
}
host::Result<std::string> CommandBarControlObject::Tag() { return TextOf(late_.Get(L"Tag")); }
host::Result<void> CommandBarControlObject::SetTag(const std::string& tag) {
  return late_.Put(L"Tag", ComVariant::Text(tag));
}
host::Result<long> CommandBarControlObject::FaceId() { return LongOf(late_.Get(L"FaceId")); }
host::Result<void> CommandBarControlObject::SetFaceId(long faceId) {
  return late_.Put(L"FaceId", ComVariant::Long(faceId));
}
host::Result<long> CommandBarControlObject::Style() { return LongOf(late_.Get(L"Style")); }
host::Result<void> CommandBarControlObject::SetStyle(long style) {
  return late_.Put(L"Style", ComVariant::Long(style));
}
host::Result<bool> CommandBarControlObject::BeginGroup() {
  return BoolOf(late_.Get(L"BeginGroup"));
}
host::Result<void> CommandBarControlObject::SetBeginGroup(bool beginGroup) {
  return late_.Put(L"BeginGroup", ComVariant::Bool(beginGroup));
}
host::Result<std::string> CommandBarControlObject::OnAction() {
  return TextOf(late_.Get(L"OnAction"));
}
host::Result<void> CommandBarControlObject::SetOnAction(const std::string& procedure) {
  return late_.Put(L"OnAction", ComVariant::Text(procedure));
}
host::Result<std::string> CommandBarControlObject::Parameter() {
  return TextOf(late_.Get(L"Parameter"));
}
host::Result<void> CommandBarControlObject::SetParameter(const host::Variant& parameter) {
  return late_.Put(L"Parameter", ComVariant(parameter));
}
host::Result<bool> CommandBarControlObject::Visible() { return BoolOf(late_.Get(L"Visible")); }
host::Result<void> CommandBarControlObject::SetVisible(bool visible) {
  return late_.Put(L"Visible", ComVariant::Bool(visible));
}
host::Result<void> CommandBarControlObject::Delete() { return Done(late_.Call(L"Delete")); }
host::Result<host::CommandBarControlsRef> CommandBarControlObject::Controls() {
  return Wrap<CommandBarControlsObject>(late_.Get(L"Controls"), late_.session());
}

host::Result<host::EventConnection> CommandBarControlObject::OnClick(ClickHandler handler) {
  ComPtr<IConnectionPointContainer> container;
  HRESULT hr = dispatch()->QueryInterface(IID_IConnectionPointContainer,
                                          reinterpret_cast<void**>(container.Out()));
  if (FAILED(hr)) return ErrorFromHResult(hr);
  ComPtr<IConnectionPoint> point;
  hr = container->FindConnectionPoint(DIID__CommandBarButtonEvents, point.Out());
  if (FAILED(hr)) return ErrorFromHResult(hr);
  ComPtr<IDispatch> sink = ComPtr<IDispatch>::Adopt(new ClickSink(std::move(handler), late_.session()));
  DWORD cookie = 0;
  hr = point->Advise(sink.get(), &cookie);
  if (FAILED(hr)) return ErrorFromHResult(hr);
  // The host holds the sink while advised; detaching unadvises and lets go of the point.
  return host::EventConnection([point, cookie]() mutable {
    point->Unadvise(cookie);
    point.Reset();
  });
}

host::Result<long> COMAddInsObject::Count() { return LongOf(late_.Get(L"Count")); }

host::Result<host::COMAddInRef> COMAddInsObject::Item(long index) {
  return Wrap<COMAddInObject>(late_.Get(L"Item", {ComVariant::Long(index)}), late_.session());
}

host::Result<host::COMAddInRef> COMAddInsObject::Item(std::string_view progId) {
  return Wrap<COMAddInObject>(late_.Get(L"Item", {ComVariant::Text(progId)}), late_.session());
}

host::Result<std::string> COMAddInObject::ProgId() { return TextOf(late_.Get(L"ProgId")); }
host::Result<std::string> COMAddInObject::Description() {
  return TextOf(late_.Get(L"Description"));
}
host::Result<bool> COMAddInObject::Connect() { return BoolOf(late_.Get(L"Connect")); }
host::Result<void> COMAddInObject::SetConnect(bool connect) {
  return late_.Put(L"Connect", ComVariant::Bool(connect));
}

}  // namespace kx::com
