#pragma once
// The Office command bars: the menu bars and their controls, with the button's Click event.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "host/EventConnection.h"
#include "host/Forward.h"
#include "host/Result.h"
#include "host/Variant.h"

namespace kx::host {

// Arguments of CommandBarControls.Add; an unset argument is omitted.
struct ControlAddArgs {
  std::optional<long> Type;  // mso::ControlButton, mso::ControlPopup
  std::optional<long> Id;
  std::optional<Variant> Parameter;
  std::optional<long> Before;
  std::optional<bool> Temporary;
};

class CommandBars {
 public:
  virtual ~CommandBars() = default;
  virtual Result<long> Count() = 0;
  // By name ("Worksheet Menu Bar"); fails with 5 when the host has no such bar.
  virtual Result<CommandBarRef> Item(std::string_view name) = 0;
};

class CommandBar {
 public:
  virtual ~CommandBar() = default;
  virtual Result<std::string> Name() = 0;
  virtual Result<bool> Visible() = 0;
  virtual Result<void> SetVisible(bool visible) = 0;
  virtual Result<CommandBarControlsRef> Controls() = 0;
};

class CommandBarControls {
 public:
  virtual ~CommandBarControls() = default;
  virtual Result<long> Count() = 0;
  // By 1-based position; fails with 5 when out of range.
  virtual Result<CommandBarControlRef> Item(long index) = 0;
  // The first control whose caption equals the text (access-key ampersands included); fails
  // with 5 when there is none.
  virtual Result<CommandBarControlRef> Item(std::string_view caption) = 0;
  virtual Result<CommandBarControlRef> Add(const ControlAddArgs& args) = 0;
};

class CommandBarControl {
 public:
  // The button's Click event: the clicked control and the CancelDefault flag, by reference.
  using ClickHandler = std::function<void(const CommandBarControlRef& ctrl, bool& cancelDefault)>;

  virtual ~CommandBarControl() = default;
  virtual Result<long> Type() = 0;
  virtual Result<std::string> Caption() = 0;
  virtual Result<void> SetCaption(const std::string& caption) = 0;
  virtual Result<std::string> Tag() = 0;
  virtual Result<void> SetTag(const std::string& tag) = 0;
  virtual Result<long> FaceId() = 0;  // buttons only
  virtual Result<void> SetFaceId(long faceId) = 0;
  virtual Result<long> Style() = 0;  // buttons only
  virtual Result<void> SetStyle(long style) = 0;
  virtual Result<bool> BeginGroup() = 0;
  virtual Result<void> SetBeginGroup(bool beginGroup) = 0;
  virtual Result<std::string> OnAction() = 0;
  virtual Result<void> SetOnAction(const std::string& procedure) = 0;
  // Kept as text, as the host keeps it: a Parameter of 1 reads back as "1".
  virtual Result<std::string> Parameter() = 0;
  virtual Result<void> SetParameter(const Variant& parameter) = 0;
  virtual Result<bool> Visible() = 0;
  virtual Result<void> SetVisible(bool visible) = 0;
  // Removes the control (and a popup's own controls) for good.
  virtual Result<void> Delete() = 0;
  // A popup's controls; fails with 438 on a button.
  virtual Result<CommandBarControlsRef> Controls() = 0;
  // Attaches a sink to the button's Click event; fails with 438 on a popup. Every attached sink
  // receives each click, in the order attached, sharing one CancelDefault flag.
  virtual Result<EventConnection> OnClick(ClickHandler handler) = 0;
};

}  // namespace kx::host
