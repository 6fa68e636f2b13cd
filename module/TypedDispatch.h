#pragma once
// TypedDispatch: IDispatch over a dual interface's type information from the module's own type
// library, so that a late-bound caller reaches the interface's methods by name: the ribbon finds
// RibbonHandler this way.

#include <windows.h>
#include <oleauto.h>

#include "com/ComPtr.h"

namespace kx::module {

// The type information of one of the module's interfaces; null when the library is unreadable.
com::ComPtr<ITypeInfo> LoadTypeInfo(REFIID iid);

template <class Interface>
class TypedDispatch : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = typeInfo_ ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    if (!typeInfo_) return E_NOTIMPL;
    *info = com::ComPtr<ITypeInfo>(typeInfo_).Detach();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    if (!typeInfo_) return E_NOTIMPL;
    return ::DispGetIDsOfNames(typeInfo_.get(), names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argError) override {
    if (!typeInfo_) return E_NOTIMPL;
    return ::DispInvoke(static_cast<Interface*>(this), typeInfo_.get(), id, flags, params, result,
                        exception, argError);
  }

 protected:
  explicit TypedDispatch(REFIID iid) : typeInfo_(LoadTypeInfo(iid)) {}

 private:
  com::ComPtr<ITypeInfo> typeInfo_;
};

}  // namespace kx::module
