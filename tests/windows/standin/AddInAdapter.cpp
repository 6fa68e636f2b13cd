// A COM add-in as host/ sees it: the class registered for a ProgID, created in-process, with
// the host's calls made on its _IDTExtensibility2, IRibbonExtensibility and IDispatch, the
// host's objects passed as stand-ins.

#include "com/Failures.h"
#include "com/HostInterfaces.h"
#include "com/Text.h"
#include "com/Variants.h"
#include "standin/Standin.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

constexpr LCID kLocale = 1033;

// The custom argument of the connection events: an empty array, as the host passes it.
class EmptyCustom {
 public:
  EmptyCustom() : array_(::SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
  ~EmptyCustom() { ::SafeArrayDestroy(array_); }
  EmptyCustom(const EmptyCustom&) = delete;
  EmptyCustom& operator=(const EmptyCustom&) = delete;
  SAFEARRAY** get() { return &array_; }

 private:
  SAFEARRAY* array_;
};

class ComAddIn final : public host::AddInObject {
 public:
  explicit ComAddIn(com::ComPtr<IUnknown> object) : object_(std::move(object)) {}

  host::Result<void> OnConnection(const host::ApplicationRef& application, long connectMode,
                                  const host::COMAddInRef& addInInst) override {
    auto events = KX_TRY(Extensibility());
    // The add-in keeps what it wants of these; ours go when the call returns.
    com::ComPtr<IDispatch> app = MakeApplication(application);
    com::ComPtr<IDispatch> self = MakeCOMAddIn(addInInst);
    EmptyCustom custom;
    HRESULT hr = events->OnConnection(app.get(), static_cast<ext_ConnectMode>(connectMode),
                                      self.get(), custom.get());
    if (FAILED(hr)) return com::ErrorFromCall(hr, nullptr);
    return {};
  }

  host::Result<void> OnDisconnection(long removeMode) override {
    auto events = KX_TRY(Extensibility());
    EmptyCustom custom;
    HRESULT hr = events->OnDisconnection(static_cast<ext_DisconnectMode>(removeMode), custom.get());
    if (FAILED(hr)) return com::ErrorFromCall(hr, nullptr);
    return {};
  }

  host::Result<std::string> GetCustomUI(std::string_view ribbonId) override {
    // An add-in without IRibbonExtensibility simply has no ribbon controls.
    auto ribbon = object_.As<IRibbonExtensibility>(IID_IRibbonExtensibility);
    if (!ribbon) return std::string();
    com::Bstr id(ribbonId);
    com::Bstr xml;
    HRESULT hr = ribbon->GetCustomUI(id.get(), xml.Out());
    if (FAILED(hr)) return com::ErrorFromCall(hr, nullptr);
    return com::BstrToUtf8(xml.get());
  }

  host::Result<void> InvokeRibbonCallback(std::string_view name,
                                          const host::RibbonControl& control) override {
    auto dispatch = object_.As<IDispatch>(IID_IDispatch);
    if (!dispatch) return com::ErrorFromHResult(E_NOINTERFACE);
    com::Bstr member(name);
    LPOLESTR names[] = {member.get()};
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, kLocale, &id);
    if (FAILED(hr)) return com::ErrorFromHResult(hr);
    com::ComVariant arg = com::ComVariant::Object(WrapRibbonControl(control).get());
    DISPPARAMS params{arg.get(), nullptr, 1, 0};
    com::ComVariant result;
    EXCEPINFO exception{};
    UINT argError = 0;
    hr = dispatch->Invoke(id, IID_NULL, kLocale, DISPATCH_METHOD, &params, result.get(),
                          &exception, &argError);
    if (FAILED(hr)) return com::ErrorFromCall(hr, &exception);
    return {};
  }

 private:
  host::Result<com::ComPtr<_IDTExtensibility2>> Extensibility() {
    auto events = object_.As<_IDTExtensibility2>(IID__IDTExtensibility2);
    if (!events) return com::ErrorFromHResult(E_NOINTERFACE);
    return events;
  }

  com::ComPtr<IUnknown> object_;
};

host::AddInObjectRef Create(const std::string& progId) {
  CLSID clsid;
  if (FAILED(::CLSIDFromProgID(com::Utf8ToWide(progId).c_str(), &clsid))) return nullptr;
  com::ComPtr<IUnknown> object;
  if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(object.Out())))) {
    return nullptr;
  }
  return std::make_shared<ComAddIn>(std::move(object));
}

}  // namespace

host::AddInRegistration ComAddInRegistration(std::string progId, std::string friendlyName,
                                             std::string description, long loadBehavior) {
  host::AddInRegistration registration;
  registration.ProgId = progId;
  registration.FriendlyName = std::move(friendlyName);
  registration.Description = std::move(description);
  registration.LoadBehavior = loadBehavior;
  registration.Create = [progId = std::move(progId)] { return Create(progId); };
  return registration;
}

}  // namespace kx::standin
