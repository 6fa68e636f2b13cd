#pragma once
// The COM add-in side of the host: its list of add-ins, and what the host calls on an add-in.

#include <functional>
#include <string>
#include <string_view>

#include "host/Forward.h"
#include "host/Result.h"
#include "host/Variant.h"

namespace kx::host {

class COMAddIns {
 public:
  virtual ~COMAddIns() = default;
  virtual Result<long> Count() = 0;
  // By 1-based index; fails with 9 when out of range.
  virtual Result<COMAddInRef> Item(long index) = 0;
  // By ProgID ("Kestrix.Connect"); fails with 9 when the add-in is not registered.
  virtual Result<COMAddInRef> Item(std::string_view progId) = 0;
};

class COMAddIn {
 public:
  virtual ~COMAddIn() = default;
  virtual Result<std::string> ProgId() = 0;
  virtual Result<std::string> Description() = 0;
  virtual Result<bool> Connect() = 0;
  // True loads the add-in (its connection event runs); false unloads it (its disconnection
  // event runs), also when called from inside one of the add-in's own callbacks.
  virtual Result<void> SetConnect(bool connect) = 0;
};

// IDTExtensibility2's connect and disconnect modes.
namespace ext {
inline constexpr long ConnectAfterStartup = 0;
inline constexpr long ConnectStartup = 1;
inline constexpr long DisconnectHostShutdown = 0;
inline constexpr long DisconnectUserClosed = 1;
}  // namespace ext

// IRibbonControl as the add-in's callbacks receive it.
struct RibbonControl {
  std::string Id;
  std::string Tag;
};

// The add-in object the host creates from its ProgID: the connection events of
// IDTExtensibility2, IRibbonExtensibility, and its dispatch side through which the host finds a
// ribbon callback by the name the custom UI gives.
class AddInObject {
 public:
  virtual ~AddInObject() = default;
  virtual Result<void> OnConnection(const ApplicationRef& application, long connectMode,
                                    const COMAddInRef& addInInst) = 0;
  virtual Result<void> OnDisconnection(long removeMode) = 0;
  // Called once by a ribbon host after connection; an empty text means no ribbon controls.
  virtual Result<std::string> GetCustomUI(std::string_view ribbonId) = 0;
  // Fails with 438 when the add-in has no member of that name.
  virtual Result<void> InvokeRibbonCallback(std::string_view name, const RibbonControl& control) = 0;
};

// What the add-in's registration tells the host's add-in list.
struct AddInRegistration {
  std::string ProgId;
  std::string FriendlyName;
  std::string Description;
  long LoadBehavior = 0;  // 3: loaded now and at every start of the host
  std::function<AddInObjectRef()> Create;
};

}  // namespace kx::host
