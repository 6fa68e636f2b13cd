#pragma once
// The COM add-in list: registered add-ins, connecting and disconnecting them through their
// connection events, and the custom UI a ribbon host asks them for.

#include <memory>

#include "host/AddIn.h"
#include "memhost/HostState.h"

namespace kx::memhost {

// Creates the add-in's object and runs its connection event; on a ribbon host then asks it for
// its custom UI once and keeps the text.
host::Result<void> ConnectAddIn(HostState& state, const std::shared_ptr<AddInEntry>& entry,
                                long connectMode);
// Runs the disconnection event and releases the object. When this happens inside a call into
// add-in code (the add-in unloading itself from a click), the object lives until that call
// returns.
host::Result<void> DisconnectAddIn(HostState& state, const std::shared_ptr<AddInEntry>& entry,
                                   long removeMode);

class COMAddIns final : public host::COMAddIns {
 public:
  explicit COMAddIns(std::shared_ptr<HostState> state) : state_(std::move(state)) {}
  host::Result<long> Count() override;
  host::Result<host::COMAddInRef> Item(long index) override;
  host::Result<host::COMAddInRef> Item(std::string_view progId) override;

 private:
  std::shared_ptr<HostState> state_;
};

class COMAddIn final : public host::COMAddIn {
 public:
  COMAddIn(std::shared_ptr<HostState> state, std::shared_ptr<AddInEntry> entry)
      : state_(std::move(state)), entry_(std::move(entry)) {}
  host::Result<std::string> ProgId() override;
  host::Result<std::string> Description() override;
  host::Result<bool> Connect() override;
  host::Result<void> SetConnect(bool connect) override;

 private:
  std::shared_ptr<HostState> state_;
  std::shared_ptr<AddInEntry> entry_;
};

}  // namespace kx::memhost
