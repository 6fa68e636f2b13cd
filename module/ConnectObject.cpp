#include "module/ConnectObject.h"

#include <new>

#include "com/Bridge.h"
#include "com/Text.h"
#include "module/Guarded.h"
#include "module/ModuleDriver.h"
#include "module/ModuleState.h"
#include "module/RibbonDefinition.h"

namespace kx::module {

namespace {

host::Result<std::string> ControlText(IRibbonControl* control,
                                      HRESULT (STDMETHODCALLTYPE IRibbonControl::*get)(BSTR*)) {
  com::Bstr text;
  HRESULT hr = (control->*get)(text.Out());
  if (FAILED(hr)) return com::ErrorFromHResult(hr);
  return com::BstrToUtf8(text.get());
}

}  // namespace

HRESULT ConnectObject::Create(REFIID iid, void** out) {
  auto* object = new (std::nothrow) ConnectObject();
  if (object == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = object->QueryInterface(iid, out);
  object->Release();
  return hr;
}

ConnectObject::ConnectObject()
    : TypedDispatch(IID__Connect), extensibility_(*this), ribbon_(*this) {
  LockModule();
}

ConnectObject::~ConnectObject() {
  try {
    addin_.reset();
  } catch (...) {
  }
  UnlockModule();
}

HRESULT ConnectObject::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID__Connect) {
    *out = static_cast<_Connect*>(this);
  } else if (iid == IID__IDTExtensibility2) {
    *out = static_cast<_IDTExtensibility2*>(&extensibility_);
  } else if (iid == IID_IRibbonExtensibility) {
    *out = static_cast<IRibbonExtensibility*>(&ribbon_);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

ULONG ConnectObject::AddRef() { return ++refs_; }

ULONG ConnectObject::Release() {
  ULONG left = --refs_;
  // The host may let go of the add-in from inside the add-in's own code (its Exit command):
  // the object then goes when that code has returned.
  if (left == 0 && !deletePending_) {
    deletePending_ = true;
    com::CallScope::Later([this] {
      deletePending_ = false;
      if (refs_ == 0) delete this;
    });
  }
  return left;
}

addin::Connect& ConnectObject::Addin() {
  if (!addin_) {
    addin_ = std::make_unique<addin::Connect>(ModuleDriver(), com::WideToUtf8(ModuleFolder()));
  }
  return *addin_;
}

void ConnectObject::ForgetAddinLater() {
  AddRef();
  com::CallScope::Later([this] {
    addin_.reset();
    Release();
  });
}

HRESULT ConnectObject::RibbonHandler(IRibbonControl* Ctrl) {
  return Guarded([&]() -> host::Result<void> {
    if (Ctrl == nullptr) return host::Fail(91, "Object variable or With block variable not set");
    host::RibbonControl control;
    control.Id = KX_TRY(ControlText(Ctrl, &IRibbonControl::get_Id));
    control.Tag = KX_TRY(ControlText(Ctrl, &IRibbonControl::get_Tag));
    return Addin().RibbonHandler(control);
  });
}

HRESULT ConnectObject::remMenuBar() {
  return Guarded([&] { return Addin().remMenuBar(); });
}

HRESULT ConnectObject::txtRemoverMB_Add() {
  return Guarded([&] { Addin().txtRemoverMB_Add(); });
}

ConnectObject::Extensibility::Extensibility(ConnectObject& outer)
    : TypedDispatch(IID__IDTExtensibility2), outer_(outer) {}

HRESULT ConnectObject::Extensibility::QueryInterface(REFIID iid, void** out) {
  return outer_.QueryInterface(iid, out);
}
ULONG ConnectObject::Extensibility::AddRef() { return outer_.AddRef(); }
ULONG ConnectObject::Extensibility::Release() { return outer_.Release(); }

// Called by the host when it loads the add-in: at its start, or when the user ticks it.
HRESULT ConnectObject::Extensibility::OnConnection(IDispatch* Application,
                                                   ext_ConnectMode ConnectMode,
                                                   IDispatch* AddInInst, SAFEARRAY**) {
  return Guarded([&] {
    return outer_.Addin().OnConnection(com::ApplicationOver(Application),
                                       static_cast<long>(ConnectMode),
                                       com::COMAddInOver(AddInInst));
  });
}

// Called by the host when it unloads the add-in: at its end, when the user unticks it, or from
// the add-in's own Exit command.
HRESULT ConnectObject::Extensibility::OnDisconnection(ext_DisconnectMode RemoveMode, SAFEARRAY**) {
  return Guarded([&] {
    auto done = outer_.Addin().OnDisconnection(static_cast<long>(RemoveMode));
    outer_.ForgetAddinLater();
    return done;
  });
}

HRESULT ConnectObject::Extensibility::OnAddInsUpdate(SAFEARRAY**) { return S_OK; }
HRESULT ConnectObject::Extensibility::OnStartupComplete(SAFEARRAY**) { return S_OK; }
HRESULT ConnectObject::Extensibility::OnBeginShutdown(SAFEARRAY**) { return S_OK; }

ConnectObject::Ribbon::Ribbon(ConnectObject& outer)
    : TypedDispatch(IID_IRibbonExtensibility), outer_(outer) {}

HRESULT ConnectObject::Ribbon::QueryInterface(REFIID iid, void** out) {
  return outer_.QueryInterface(iid, out);
}
ULONG ConnectObject::Ribbon::AddRef() { return outer_.AddRef(); }
ULONG ConnectObject::Ribbon::Release() { return outer_.Release(); }

// Called once by a ribbon host after the connection; the same definition serves every ribbon.
HRESULT ConnectObject::Ribbon::GetCustomUI(BSTR, BSTR* RibbonXml) {
  if (RibbonXml == nullptr) return E_POINTER;
  *RibbonXml = nullptr;
  return Guarded([&] {
    *RibbonXml = com::Bstr(std::wstring_view(ReadRibbonDefinition(ModuleFolder()))).Detach();
  });
}

}  // namespace kx::module
