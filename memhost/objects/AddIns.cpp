#include "memhost/objects/AddIns.h"

#include "memhost/rules/TextMatch.h"

namespace kx::memhost {

host::Result<void> ConnectAddIn(HostState& state, const std::shared_ptr<AddInEntry>& entry,
                                long connectMode) {
  if (entry->object) return {};
  if (!entry->registration.Create) {
    return host::Fail(host::err::ApplicationDefined, "The add-in cannot be created");
  }
  CallbackScope scope(state);
  host::AddInObjectRef object = entry->registration.Create();
  if (!object) return host::Fail(host::err::ApplicationDefined, "The add-in cannot be created");
  entry->object = object;
  host::COMAddInRef self = std::make_shared<COMAddIn>(state.shared_from_this(), entry);
  host::ApplicationRef app = state.applicationView ? state.applicationView() : nullptr;
  auto connected = object->OnConnection(app, connectMode, self);
  if (!connected.ok()) {
    // An add-in whose connection event fails is not loaded.
    if (entry->object == object) entry->object.reset();
    state.releaseLater.push_back(object);
    return connected.error();
  }
  if (state.ribbon() && entry->object == object) {
    auto ui = object->GetCustomUI("Microsoft.Excel.Workbook");
    ++entry->customUICalls;
    entry->customUI = ui.ok() ? *ui : std::string();
  }
  return {};
}

host::Result<void> DisconnectAddIn(HostState& state, const std::shared_ptr<AddInEntry>& entry,
                                   long removeMode) {
  if (!entry->object) return {};
  CallbackScope scope(state);
  host::AddInObjectRef object = std::move(entry->object);
  entry->object.reset();
  entry->customUI.clear();
  state.releaseLater.push_back(object);  // released when the outermost add-in call returns
  auto done = object->OnDisconnection(removeMode);
  object.reset();
  return done;
}

host::Result<long> COMAddIns::Count() {
  KX_MEMHOST_ENTER(*state_, "COMAddIns.Count");
  return static_cast<long>(state_->addIns.size());
}

host::Result<host::COMAddInRef> COMAddIns::Item(long index) {
  KX_MEMHOST_ENTER(*state_, "COMAddIns.Item");
  if (index < 1 || static_cast<size_t>(index) > state_->addIns.size()) {
    return host::Fail(host::err::SubscriptOutOfRange, "Subscript out of range");
  }
  return host::COMAddInRef(
      std::make_shared<COMAddIn>(state_, state_->addIns[static_cast<size_t>(index - 1)]));
}

host::Result<host::COMAddInRef> COMAddIns::Item(std::string_view progId) {
  KX_MEMHOST_ENTER(*state_, "COMAddIns.Item");
  for (const auto& entry : state_->addIns) {
    if (EqualIgnoringAsciiCase(entry->registration.ProgId, progId)) {
      return host::COMAddInRef(std::make_shared<COMAddIn>(state_, entry));
    }
  }
  return host::Fail(host::err::SubscriptOutOfRange, "Subscript out of range");
}

host::Result<std::string> COMAddIn::ProgId() {
  KX_MEMHOST_ENTER(*state_, "COMAddIn.ProgId");
  return entry_->registration.ProgId;
}

host::Result<std::string> COMAddIn::Description() {
  KX_MEMHOST_ENTER(*state_, "COMAddIn.Description");
  return entry_->registration.Description;
}

host::Result<bool> COMAddIn::Connect() {
  KX_MEMHOST_ENTER(*state_, "COMAddIn.Connect");
  return entry_->object != nullptr;
}

host::Result<void> COMAddIn::SetConnect(bool connect) {
  KX_MEMHOST_ENTER(*state_, "COMAddIn.SetConnect");
  if (connect) return ConnectAddIn(*state_, entry_, host::ext::ConnectAfterStartup);
  return DisconnectAddIn(*state_, entry_, host::ext::DisconnectUserClosed);
}

}  // namespace kx::memhost
