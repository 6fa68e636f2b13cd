#include "addin/Connect.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

#include "addin/Addresses.h"
#include "addin/Registration.h"
#include "addin/WorksheetMenu.h"
#include "addin/cbDupRem.h"
#include "addin/frmUG.h"
#include "host/ContinueOnFailure.h"
#include "preventer/UndoLastChange.h"
#include "preventer/frmDupPrev.h"
#include "runner/FrontEnds.h"

namespace kx::addin {

namespace {

// "11.0" -> 11. Nothing for a text that is not a number.
std::optional<double> VersionNumber(const std::string& text) {
  const char* begin = text.c_str();
  char* end = nullptr;
  double number = std::strtod(begin, &end);
  if (end == begin || *end != '\0') return std::nullopt;
  return number;
}

host::Result<host::CommandBarRef> WorksheetMenuBar(host::Application& app) {
  auto bars = KX_TRY(app.CommandBars());
  return bars->Item(kMenuBarName);
}

}  // namespace

Connect::Connect(ui::Driver& ui, std::string moduleFolder)
    : moduleFolder_(std::move(moduleFolder)), state_(ui) {}

Connect::~Connect() = default;

void Connect::AddinInstance_OnConnection(const host::ApplicationRef& Application,
                                         long /*ConnectMode*/,
                                         const host::COMAddInRef& /*AddInInst*/) {
  host::ContinueOnFailure onFailure;
  state_.HostApp = Application;
  // A version that cannot be read or is no number counts as an old host: the menu is built.
  std::optional<double> version;
  if (state_.HostApp) {
    if (auto text = onFailure.Do(state_.HostApp->Version())) version = VersionNumber(*text);
  }
  if (!version || *version <= 11) txtRemoverMB_Add();
}

void Connect::AddinInstance_OnDisconnection(long /*RemoveMode*/) {
  host::ContinueOnFailure onFailure;
  // Before HostApp goes: the menu is reached through it. A ribbon host has no popup to remove.
  onFailure.Do(remMenuBar());
  state_.HostApp = nullptr;
  state_.MenuHandlers.clear();
  state_.LastMenuHandler = nullptr;
}

host::Result<void> Connect::remMenuBar() {
  if (!state_.HostApp) return host::Fail(host::err::ObjectNotSet, "not connected");
  auto bar = KX_TRY(WorksheetMenuBar(*state_.HostApp));
  auto controls = KX_TRY(bar->Controls());
  auto popup = KX_TRY(controls->Item(kPopupCaption));
  return popup->Delete();
}

void Connect::txtRemoverMB_Add() {
  host::ContinueOnFailure onFailure;
  if (!state_.HostApp) return;
  host::Application& app = *state_.HostApp;
  onFailure.Do(app.SetScreenUpdating(false));
  // A popup left from an earlier run or connection goes first: never two menus.
  onFailure.Do(remMenuBar());
  state_.MenuHandlers.clear();

  host::CommandBarControlsRef popupControls;
  if (auto bar = onFailure.Do(WorksheetMenuBar(app))) {
    onFailure.Do((*bar)->SetVisible(true));
    if (auto controls = onFailure.Do((*bar)->Controls())) {
      host::ControlAddArgs popupArgs;
      popupArgs.Type = host::mso::ControlPopup;
      popupArgs.Temporary = false;
      if (auto popup = onFailure.Do((*controls)->Add(popupArgs))) {
        onFailure.Do((*popup)->SetCaption(std::string(kPopupCaption)));
        onFailure.Do((*popup)->SetVisible(true));
        onFailure.Do((*popup)->SetBeginGroup(true));
        popupControls = onFailure.Do((*popup)->Controls()).value_or(nullptr);
      }
    }
  }

  for (const MenuButton& row : kMenuButtons) {
    if (!popupControls) break;
    host::ControlAddArgs buttonArgs;
    buttonArgs.Type = host::mso::ControlButton;
    auto button = onFailure.Do(popupControls->Add(buttonArgs));
    if (!button) continue;
    host::CommandBarControl& b = **button;
    onFailure.Do(b.SetStyle(host::mso::ButtonIconAndCaption));
    onFailure.Do(b.SetCaption(std::string(row.caption)));
    onFailure.Do(b.SetFaceId(row.faceId));
    onFailure.Do(b.SetTag(std::string(row.tag)));
    if (row.beginGroup) onFailure.Do(b.SetBeginGroup(true));
    if (row.parameter) onFailure.Do(b.SetParameter(host::Variant(*row.parameter)));
    if (row.onAction) onFailure.Do(b.SetOnAction(std::string(*row.onAction)));

    auto handler = std::make_shared<cbDupRem>(*this);
    state_.LastMenuHandler = handler;
    onFailure.Do(handler->SetcbBtn(*button));
    state_.MenuHandlers.push_back(handler);
  }
  onFailure.Do(app.SetScreenUpdating(true));
}

host::Result<void> Connect::RibbonHandler(const host::RibbonControl& Ctrl) {
  auto command = CommandForRibbonId(Ctrl.Id);
  if (!command) return {};
  return RunCommand(*command, Road::Ribbon);
}

host::Result<void> Connect::ExitAddIn() {
  if (!state_.HostApp) return host::Fail(host::err::ObjectNotSet, "not connected");
  auto addIns = KX_TRY(state_.HostApp->COMAddIns());
  auto self = KX_TRY(addIns->Item(kProgId));
  // The host now runs the disconnection event, from inside this very call.
  return self->SetConnect(false);
}

host::Result<void> Connect::RunCommand(CommandId id, Road road) {
  switch (id) {
    case CommandId::OnlineGuide:
      // Loads the About window hidden if need be; it is not shown.
      state_.Forms.Get<frmUG>().BrowseTo(std::string(kProductGuideAddress));
      return {};
    case CommandId::Undo:
      return preventer::UndoLastChange(state_);
    case CommandId::Exit:
      return ExitAddIn();
    case CommandId::RemoveDuplicatesKeepFirst:
      runner::ConfirmRemoveDuplicatesKeepFirst(state_);
      return {};
    case CommandId::RemoveAllDuplicates:
      runner::ConfirmRemoveAllDuplicates(state_);
      return {};
    case CommandId::RemoveAllUnique:
      runner::ConfirmRemoveAllUnique(state_);
      return {};
    case CommandId::About:
      // From the menu the host stays usable while the window is open; from the ribbon it waits.
      state_.Forms.Get<frmUG>().Show(road == Road::Menu ? ui::ShowStyle::Modeless
                                                        : ui::ShowStyle::Modal);
      return {};
    case CommandId::RemoveListEntries:
      runner::ConfirmRemoveListEntries(state_);
      return {};
    case CommandId::ColorDuplicateRows:
      runner::ConfirmColorDuplicateRows(state_);
      return {};
    case CommandId::ColorUniqueRows:
      runner::ConfirmColorUniqueRows(state_);
      return {};
    case CommandId::CountDuplicates:
      runner::ConfirmCountDuplicates(state_);
      return {};
    case CommandId::CountUnique:
      runner::ConfirmCountUnique(state_);
      return {};
    case CommandId::DuplicatePreventer:
      state_.Forms.Get<preventer::frmDupPrev>().Show(ui::ShowStyle::Modal);
      return {};
  }
  return {};
}

std::string Connect::ReadFileText(const std::string& path) {
  // Read only: opening for writing would create an empty file where none is, and would fail
  // in a folder the user may not write to even when the file is there.
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

host::Result<std::string> Connect::GetCustomUI(std::string_view /*RibbonID*/) {
  return ReadFileText(moduleFolder_ + "/CaseRibbon.xml");
}

host::Result<void> Connect::OnConnection(const host::ApplicationRef& application,
                                         long connectMode, const host::COMAddInRef& addInInst) {
  AddinInstance_OnConnection(application, connectMode, addInInst);
  return {};
}

host::Result<void> Connect::OnDisconnection(long removeMode) {
  AddinInstance_OnDisconnection(removeMode);
  return {};
}

host::Result<void> Connect::InvokeRibbonCallback(std::string_view name,
                                                 const host::RibbonControl& control) {
  if (name == "RibbonHandler") return RibbonHandler(control);
  return host::Fail(host::err::NotSupported, "Object doesn't support this property or method");
}

}  // namespace kx::addin
