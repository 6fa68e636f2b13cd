// The IRibbonControl a ribbon callback receives: its vtable and IDispatch over it, since an
// add-in may read Id and Tag either way.

#include "com/HostInterfaces.h"
#include "com/Text.h"
#include "host/AddIn.h"
#include "standin/Args.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

const host::RibbonControl& Control(Object& self) { return Held<host::RibbonControl>(self); }

const Member kMembers[] = {
    {L"Id", {}, [](Object& o, Args&) -> Value { return ToCom(Control(o).Id); }},
    {L"Context", {}, [](Object&, Args&) -> Value { return ToCom(com::ComPtr<IDispatch>()); }},
    {L"Tag", {}, [](Object& o, Args&) -> Value { return ToCom(Control(o).Tag); }},
};

const Class kRibbonControl{L"IRibbonControl", 0x9000, kMembers};

class RibbonControlObject final : public Holder<host::RibbonControl>, public IRibbonControl {
 public:
  explicit RibbonControlObject(const host::RibbonControl& control)
      : Holder(kRibbonControl, std::make_shared<host::RibbonControl>(control)) {}

  KX_STANDIN_SHARED_IUNKNOWN

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    return Object::GetTypeInfoCount(count);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return Object::GetTypeInfo(index, locale, info);
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override {
    return Object::GetIDsOfNames(iid, names, count, locale, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argError) override {
    return Object::Invoke(id, iid, locale, flags, params, result, exception, argError);
  }

  HRESULT STDMETHODCALLTYPE get_Id(BSTR* id) override {
    if (id == nullptr) return E_POINTER;
    return Guarded([&] {
      *id = com::Bstr(held()->Id).Detach();
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE get_Context(IDispatch** context) override {
    if (context == nullptr) return E_POINTER;
    *context = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Tag(BSTR* tag) override {
    if (tag == nullptr) return E_POINTER;
    return Guarded([&] {
      *tag = com::Bstr(held()->Tag).Detach();
      return S_OK;
    });
  }

 protected:
  void* OtherInterface(REFIID iid) override {
    return iid == IID_IRibbonControl ? static_cast<IRibbonControl*>(this) : nullptr;
  }
};

}  // namespace

com::ComPtr<IDispatch> WrapRibbonControl(const host::RibbonControl& control) {
  return com::ComPtr<IDispatch>::Adopt(static_cast<Object*>(new RibbonControlObject(control)));
}

}  // namespace kx::standin
