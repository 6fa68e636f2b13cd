#include "standin/ClickEvents.h"

#include "com/HostInterfaces.h"
#include "com/Variants.h"
#include "standin/Object.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

constexpr DISPID kClick = 1;

void DeliverClick(IDispatch* sink, const host::CommandBarControlRef& control, bool& cancelDefault) {
  VARIANT_BOOL cancel = cancelDefault ? VARIANT_TRUE : VARIANT_FALSE;
  com::ComVariant ctrl = com::ComVariant::Object(Wrap(control).get());
  // Arguments in reverse order: CancelDefault by reference, then Ctrl (held by `ctrl`).
  VARIANT args[2];
  ::VariantInit(&args[0]);
  args[0].vt = VT_BOOL | VT_BYREF;
  args[0].pboolVal = &cancel;
  args[1] = *ctrl.get();
  DISPPARAMS params{args, nullptr, 2, 0};
  // The host does not hear a sink's failure.
  (void)sink->Invoke(kClick, IID_NULL, 1033, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  cancelDefault = cancel != VARIANT_FALSE;
}

class ClickPoint final : public IConnectionPoint, private Counted {
 public:
  ClickPoint(IConnectionPointContainer* container, ClickEvents& events)
      : container_(com::ComPtr<IConnectionPointContainer>::Share(container)), events_(events) {}
  virtual ~ClickPoint() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IConnectionPoint) return E_NOINTERFACE;
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (iid == nullptr) return E_POINTER;
    *iid = DIID__CommandBarButtonEvents;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    if (out == nullptr) return E_POINTER;
    *out = com::ComPtr<IConnectionPointContainer>(container_).Detach();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    return Guarded([&] { return events_.Advise(sink, cookie); });
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override { return events_.Unadvise(cookie); }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  com::ComPtr<IConnectionPointContainer> container_;
  ClickEvents& events_;
  LONG refs_ = 1;
};

}  // namespace

HRESULT ClickEvents::Advise(IUnknown* sink, DWORD* cookie) {
  if (sink == nullptr || cookie == nullptr) return E_POINTER;
  *cookie = 0;
  com::ComPtr<IDispatch> events;
  if (FAILED(sink->QueryInterface(DIID__CommandBarButtonEvents, reinterpret_cast<void**>(events.Out()))) &&
      FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(events.Out())))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  // The handler's copy of the reference is the one the host holds while advised.
  auto connection = control_->OnClick(
      [events](const host::CommandBarControlRef& ctrl, bool& cancelDefault) {
        DeliverClick(events.get(), ctrl, cancelDefault);
      });
  if (!connection.ok()) return CONNECT_E_CANNOTCONNECT;  // a popup has no Click
  *cookie = nextCookie_++;
  connections_.emplace(*cookie, std::move(*connection));
  return S_OK;
}

HRESULT ClickEvents::Unadvise(DWORD cookie) {
  auto it = connections_.find(cookie);
  if (it == connections_.end()) return CONNECT_E_NOCONNECTION;
  auto connection = std::move(it->second);
  connections_.erase(it);
  connection.Disconnect();
  return S_OK;
}

com::ComPtr<IConnectionPoint> MakeClickPoint(IConnectionPointContainer* container,
                                             ClickEvents& events) {
  return com::ComPtr<IConnectionPoint>::Adopt(new ClickPoint(container, events));
}

}  // namespace kx::standin
