#include "com/ClickSink.h"

#include "com/CallScope.h"
#include "com/HostInterfaces.h"
#include "com/Objects.h"

namespace kx::com {

namespace {
constexpr DISPID kClick = 1;
}

HRESULT ClickSink::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == DIID__CommandBarButtonEvents) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

ULONG ClickSink::AddRef() { return ++refs_; }

ULONG ClickSink::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT ClickSink::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT ClickSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT ClickSink::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (_wcsicmp(names[0], L"Click") != 0) return DISP_E_UNKNOWNNAME;
  ids[0] = kClick;
  return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT ClickSink::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                          EXCEPINFO*, UINT*) {
  if (id != kClick) return DISP_E_MEMBERNOTFOUND;
  if (params == nullptr || params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
  // The add-in may unload itself from this click, which unadvises this sink: it stays alive
  // until the call returns.
  AddRef();
  HRESULT hr = S_OK;
  try {
    CallScope scope;
    // Arguments arrive last to first: CancelDefault, then the button.
    VARIANT& cancel = params->rgvarg[0];
    const VARIANT& ctrl = params->rgvarg[1];
    IDispatch* button = ctrl.vt == VT_DISPATCH ? ctrl.pdispVal
                        : ctrl.vt == (VT_DISPATCH | VT_BYREF) && ctrl.ppdispVal != nullptr
                            ? *ctrl.ppdispVal
                            : nullptr;
    VARIANT_BOOL* cancelFlag = cancel.vt == (VT_BOOL | VT_BYREF) ? cancel.pboolVal : nullptr;
    bool cancelDefault = cancelFlag != nullptr && *cancelFlag != VARIANT_FALSE;
    host::CommandBarControlRef control;
    if (button != nullptr) {
      control = std::make_shared<CommandBarControlObject>(ComPtr<IDispatch>::Share(button),
                                                          session_);
    }
    if (handler_) handler_(control, cancelDefault);
    if (cancelFlag != nullptr) *cancelFlag = cancelDefault ? VARIANT_TRUE : VARIANT_FALSE;
  } catch (...) {
    hr = E_UNEXPECTED;
  }
  Release();
  return hr;
}

}  // namespace kx::com
