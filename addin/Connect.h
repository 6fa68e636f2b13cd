#pragma once
// Connect: the add-in object the host creates from the ProgID "Kestrix.Connect". The host calls
// its connection events when it loads and unloads the add-in, asks it once for its ribbon
// definition on a ribbon host, and calls RibbonHandler for every ribbon button. On a host with
// classic menus it builds the "&Kestrix" popup instead, whose clicks reach cbDupRem.
//
// Connect owns the add-in's state for as long as the host keeps it.

#include <string>
#include <string_view>

#include "addin/Commands.h"
#include "host/Host.h"
#include "ui/AddinState.h"

namespace kx::addin {

// Which road a command came by: a few commands behave differently on each.
enum class Road { Menu, Ribbon };

class Connect final : public host::AddInObject {
 public:
  // `moduleFolder` is the folder of the add-in's binary, where its ribbon definition lies.
  Connect(ui::Driver& ui, std::string moduleFolder);
  ~Connect() override;

  // Called by the host when it loads the add-in (at its start, or when the user ticks it).
  void AddinInstance_OnConnection(const host::ApplicationRef& Application, long ConnectMode,
                                  const host::COMAddInRef& AddInInst);
  // Called by the host when it unloads the add-in (shutdown, unticked, or the add-in's Exit).
  void AddinInstance_OnDisconnection(long RemoveMode);

  // The ribbon buttons' action: runs the command named by the control's id.
  host::Result<void> RibbonHandler(const host::RibbonControl& Ctrl);
  // Removes the "&Kestrix" popup; a failure (no popup) goes back to the caller.
  host::Result<void> remMenuBar();
  // Builds the "&Kestrix" popup and wires every button to a click handler.
  void txtRemoverMB_Add();

  // Runs a command as either road does; the menu road ignores the failure it returns.
  host::Result<void> RunCommand(CommandId id, Road road);

  ui::AddinState& State() { return state_; }

  // host::AddInObject
  host::Result<void> OnConnection(const host::ApplicationRef& application, long connectMode,
                                  const host::COMAddInRef& addInInst) override;
  host::Result<void> OnDisconnection(long removeMode) override;
  // The ribbon definition: the text of CaseRibbon.xml beside the add-in's binary, the same for
  // every ribbon.
  host::Result<std::string> GetCustomUI(std::string_view RibbonID) override;
  host::Result<void> InvokeRibbonCallback(std::string_view name,
                                          const host::RibbonControl& control) override;

 private:
  // The whole content of a file, read without changing or creating anything; empty when the
  // file is missing or unreadable.
  static std::string ReadFileText(const std::string& path);
  host::Result<void> ExitAddIn();

  std::string moduleFolder_;
  ui::AddinState state_;
};

}  // namespace kx::addin
