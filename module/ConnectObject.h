#pragma once
// ConnectObject: the COM class Connect that the host creates from the ProgID "Kestrix.Connect".
// Its default interface _Connect carries the add-in's three public methods; it also answers the
// add-in host's connection events (_IDTExtensibility2) and the ribbon's request for a custom UI
// (IRibbonExtensibility), each through an interface part of its own. All of it calls the
// add-in's Connect with the host reached through com/.

#include <memory>

#include "addin/Connect.h"
#include "com/HostInterfaces.h"
#include "module/Kestrix.h"
#include "module/TypedDispatch.h"

namespace kx::module {

inline const CLSID& kConnectClassId = CLSID_Connect;

class ConnectObject final : public TypedDispatch<_Connect> {
 public:
  static HRESULT Create(REFIID iid, void** out);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // _Connect
  HRESULT STDMETHODCALLTYPE RibbonHandler(IRibbonControl* Ctrl) override;
  HRESULT STDMETHODCALLTYPE remMenuBar() override;
  HRESULT STDMETHODCALLTYPE txtRemoverMB_Add() override;

 private:
  // The connection events, called by the add-in host.
  class Extensibility final : public TypedDispatch<_IDTExtensibility2> {
   public:
    explicit Extensibility(ConnectObject& outer);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, ext_ConnectMode ConnectMode,
                                           IDispatch* AddInInst, SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode RemoveMode,
                                              SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) override;
    HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) override;

   private:
    ConnectObject& outer_;
  };

  // The ribbon's request for the add-in's custom UI.
  class Ribbon final : public TypedDispatch<IRibbonExtensibility> {
   public:
    explicit Ribbon(ConnectObject& outer);
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetCustomUI(BSTR RibbonID, BSTR* RibbonXml) override;

   private:
    ConnectObject& outer_;
  };

  ConnectObject();
  ~ConnectObject();

  // The add-in, made at the first connection and let go after each disconnection, so that
  // nothing of the host is held while the add-in is not connected.
  addin::Connect& Addin();
  void ForgetAddinLater();

  ULONG refs_ = 1;
  bool deletePending_ = false;
  Extensibility extensibility_;
  Ribbon ribbon_;
  std::unique_ptr<addin::Connect> addin_;
};

}  // namespace kx::module
