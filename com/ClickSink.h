#pragma once
// ClickSink: the object a menu button's connection point calls with its Click event. It holds
// the add-in's handler and nothing of the host; the host holds it while it is advised.

#include <windows.h>
#include <oaidl.h>

#include "com/Dispatch.h"
#include "host/CommandBars.h"

namespace kx::com {

class ClickSink final : public IDispatch {
 public:
  ClickSink(host::CommandBarControl::ClickHandler handler, SessionRef session)
      : handler_(std::move(handler)), session_(std::move(session)) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: the events interface has one member, Click (DISPID 1).
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

 private:
  ~ClickSink() = default;
  ULONG refs_ = 1;
  host::CommandBarControl::ClickHandler handler_;
  SessionRef session_;
};

}  // namespace kx::com
