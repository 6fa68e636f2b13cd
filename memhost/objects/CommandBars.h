#pragma once
// The command bars: the worksheet menu bar with the host's own menus, and the controls an
// add-in puts on it. Controls are permanent unless added as Temporary, so they outlive the
// add-in's connection (and a temporary one goes when the host shuts down).

#include <memory>

#include "host/CommandBars.h"
#include "memhost/HostState.h"

namespace kx::memhost {

// The bars a host starts with. "Worksheet Menu Bar" exists on every version: a ribbon host
// keeps it and shows what add-ins put there under its Add-ins tab, as the real host does.
void MakeBuiltinBars(HostState& state);
// Removes the temporary controls, as closing the host does.
void RemoveTemporaryControls(HostState& state);
// Delivers a user's click: every attached sink in order, one shared CancelDefault; then, unless
// cancelled, the control's OnAction macro (recorded as "would run macro X"). Returns
// CancelDefault.
host::Result<bool> ClickControl(HostState& state, const host::CommandBarControlRef& control);

class CommandBars final : public host::CommandBars {
 public:
  explicit CommandBars(std::shared_ptr<HostState> state) : state_(std::move(state)) {}
  host::Result<long> Count() override;
  host::Result<host::CommandBarRef> Item(std::string_view name) override;

 private:
  std::shared_ptr<HostState> state_;
};

class CommandBar final : public host::CommandBar {
 public:
  CommandBar(std::shared_ptr<HostState> state, std::shared_ptr<BarData> bar)
      : state_(std::move(state)), bar_(std::move(bar)) {}
  host::Result<std::string> Name() override;
  host::Result<bool> Visible() override;
  host::Result<void> SetVisible(bool visible) override;
  host::Result<host::CommandBarControlsRef> Controls() override;

 private:
  std::shared_ptr<HostState> state_;
  std::shared_ptr<BarData> bar_;
};

class CommandBarControls final : public host::CommandBarControls {
 public:
  // The controls of a bar, or of a popup when `popup` is set.
  CommandBarControls(std::shared_ptr<HostState> state, std::shared_ptr<BarData> bar,
                     std::shared_ptr<ControlData> popup)
      : state_(std::move(state)), bar_(std::move(bar)), popup_(std::move(popup)) {}
  host::Result<long> Count() override;
  host::Result<host::CommandBarControlRef> Item(long index) override;
  host::Result<host::CommandBarControlRef> Item(std::string_view caption) override;
  host::Result<host::CommandBarControlRef> Add(const host::ControlAddArgs& args) override;

 private:
  host::Result<std::vector<std::shared_ptr<ControlData>>*> List();
  std::shared_ptr<HostState> state_;
  std::shared_ptr<BarData> bar_;
  std::shared_ptr<ControlData> popup_;
};

class CommandBarControl final : public host::CommandBarControl,
                                public std::enable_shared_from_this<CommandBarControl> {
 public:
  CommandBarControl(std::shared_ptr<HostState> state, std::shared_ptr<ControlData> data)
      : state_(std::move(state)), data_(std::move(data)) {}
  const std::shared_ptr<ControlData>& data() const { return data_; }

  host::Result<long> Type() override;
  host::Result<std::string> Caption() override;
  host::Result<void> SetCaption(const std::string& caption) override;
  host::Result<std::string> Tag() override;
  host::Result<void> SetTag(const std::string& tag) override;
  host::Result<long> FaceId() override;
  host::Result<void> SetFaceId(long faceId) override;
  host::Result<long> Style() override;
  host::Result<void> SetStyle(long style) override;
  host::Result<bool> BeginGroup() override;
  host::Result<void> SetBeginGroup(bool beginGroup) override;
  host::Result<std::string> OnAction() override;
  host::Result<void> SetOnAction(const std::string& procedure) override;
  host::Result<std::string> Parameter() override;
  host::Result<void> SetParameter(const host::Variant& parameter) override;
  host::Result<bool> Visible() override;
  host::Result<void> SetVisible(bool visible) override;
  host::Result<void> Delete() override;
  host::Result<host::CommandBarControlsRef> Controls() override;
  host::Result<host::EventConnection> OnClick(ClickHandler handler) override;

 private:
  // Counts the call; fails with 424 once the control was deleted, with 438 when the member is
  // not one of this kind of control (`buttonOnly`, `popupOnly`).
  host::Result<void> Enter(const char* name, bool buttonOnly = false, bool popupOnly = false) const;
  std::shared_ptr<HostState> state_;
  std::shared_ptr<ControlData> data_;
};

}  // namespace kx::memhost
