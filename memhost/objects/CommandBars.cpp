#include "memhost/objects/CommandBars.h"

#include <algorithm>
#include <cctype>

#include "memhost/rules/DisplayText.h"
#include "memhost/rules/TextMatch.h"

namespace kx::memhost {

namespace {

host::Error BadCall(const char* what) { return host::Fail(host::err::InvalidProcedureCall, what); }

void MarkDeleted(ControlData& control) {
  control.deleted = true;
  for (auto& sink : control.sinks) sink->attached = false;
  control.sinks.clear();
  for (auto& child : control.children) MarkDeleted(*child);
  control.children.clear();
}

void DropTemporary(std::vector<std::shared_ptr<ControlData>>& controls) {
  for (auto& c : controls) {
    if (c->temporary) MarkDeleted(*c);
    else DropTemporary(c->children);
  }
  std::erase_if(controls, [](const auto& c) { return c->deleted; });
}

}  // namespace

void MakeBuiltinBars(HostState& state) {
  auto bar = std::make_shared<BarData>();
  bar->name = "Worksheet Menu Bar";
  // The host's own menus, so that positions (Before) and counts look as they do for real.
  long id = 30002;
  for (const char* caption : {"&File", "&Edit", "&View", "&Insert", "F&ormat", "&Tools", "&Data",
                              "&Window", "&Help"}) {
    auto menu = std::make_shared<ControlData>();
    menu->type = host::mso::ControlPopup;
    menu->id = id++;
    menu->caption = caption;
    menu->bar = bar;
    bar->controls.push_back(std::move(menu));
  }
  state.bars.push_back(std::move(bar));
}

void RemoveTemporaryControls(HostState& state) {
  for (auto& bar : state.bars) DropTemporary(bar->controls);
}

host::Result<bool> ClickControl(HostState& state, const host::CommandBarControlRef& ref) {
  auto* control = dynamic_cast<CommandBarControl*>(ref.get());
  if (!control) return host::Fail(host::err::ObjectRequired, "Object required");
  std::shared_ptr<ControlData> data = control->data();
  if (data->deleted) return host::Fail(host::err::ObjectRequired, "The control was deleted");
  if (data->type == host::mso::ControlPopup) {
    return host::Fail(host::err::NotSupported, "A popup opens; it has no Click");
  }
  bool cancelDefault = false;
  {
    CallbackScope scope(state);
    // Sinks attached or detached during delivery do not change who hears this click, but a
    // detached sink is not called.
    auto sinks = data->sinks;
    for (const auto& sink : sinks) {
      if (sink->attached) sink->handler(ref, cancelDefault);
    }
  }
  if (!cancelDefault && !data->onAction.empty()) {
    state.macroLog.push_back("would run macro " + data->onAction);
  }
  return cancelDefault;
}

// --- CommandBars ------------------------------------------------------------------------------

host::Result<long> CommandBars::Count() {
  KX_MEMHOST_ENTER(*state_, "CommandBars.Count");
  return static_cast<long>(state_->bars.size());
}

host::Result<host::CommandBarRef> CommandBars::Item(std::string_view name) {
  KX_MEMHOST_ENTER(*state_, "CommandBars.Item");
  for (const auto& bar : state_->bars) {
    if (EqualIgnoringAsciiCase(bar->name, name)) {
      return host::CommandBarRef(std::make_shared<CommandBar>(state_, bar));
    }
  }
  return BadCall("Invalid procedure call or argument: no such command bar");
}

// --- CommandBar ---------------------------------------------------------------------------------

host::Result<std::string> CommandBar::Name() {
  KX_MEMHOST_ENTER(*state_, "CommandBar.Name");
  return bar_->name;
}

host::Result<bool> CommandBar::Visible() {
  KX_MEMHOST_ENTER(*state_, "CommandBar.Visible");
  return bar_->visible;
}

host::Result<void> CommandBar::SetVisible(bool visible) {
  KX_MEMHOST_ENTER(*state_, "CommandBar.SetVisible");
  bar_->visible = visible;
  return {};
}

host::Result<host::CommandBarControlsRef> CommandBar::Controls() {
  KX_MEMHOST_ENTER(*state_, "CommandBar.Controls");
  return host::CommandBarControlsRef(std::make_shared<CommandBarControls>(state_, bar_, nullptr));
}

// --- CommandBarControls -----------------------------------------------------------------------

host::Result<std::vector<std::shared_ptr<ControlData>>*> CommandBarControls::List() {
  if (popup_) {
    if (popup_->deleted) return host::Fail(host::err::ObjectRequired, "The popup was deleted");
    return &popup_->children;
  }
  return &bar_->controls;
}

host::Result<long> CommandBarControls::Count() {
  KX_MEMHOST_ENTER(*state_, "CommandBarControls.Count");
  auto* list = KX_TRY(List());
  return static_cast<long>(list->size());
}

host::Result<host::CommandBarControlRef> CommandBarControls::Item(long index) {
  KX_MEMHOST_ENTER(*state_, "CommandBarControls.Item");
  auto* list = KX_TRY(List());
  if (index < 1 || static_cast<size_t>(index) > list->size()) {
    return BadCall("Invalid procedure call or argument: no control at that position");
  }
  return host::CommandBarControlRef(
      std::make_shared<CommandBarControl>(state_, (*list)[static_cast<size_t>(index - 1)]));
}

host::Result<host::CommandBarControlRef> CommandBarControls::Item(std::string_view caption) {
  KX_MEMHOST_ENTER(*state_, "CommandBarControls.Item");
  auto* list = KX_TRY(List());
  for (const auto& control : *list) {
    if (control->caption == caption) {
      return host::CommandBarControlRef(std::make_shared<CommandBarControl>(state_, control));
    }
  }
  return BadCall("Invalid procedure call or argument: no control with that caption");
}

host::Result<host::CommandBarControlRef> CommandBarControls::Add(const host::ControlAddArgs& args) {
  KX_MEMHOST_ENTER(*state_, "CommandBarControls.Add");
  auto* list = KX_TRY(List());
  long type = args.Type.value_or(host::mso::ControlButton);
  if (type != host::mso::ControlButton && type != host::mso::ControlPopup) {
    return BadCall("Invalid procedure call or argument: memhost makes buttons and popups only");
  }
  size_t at = list->size();
  if (args.Before) {
    if (*args.Before < 1 || static_cast<size_t>(*args.Before) > list->size() + 1) {
      return BadCall("Invalid procedure call or argument: Before is out of range");
    }
    at = static_cast<size_t>(*args.Before - 1);
  }
  auto control = std::make_shared<ControlData>();
  control->type = type;
  control->id = args.Id.value_or(1);
  control->temporary = args.Temporary.value_or(false);
  if (args.Parameter) control->parameter = DisplayText(*args.Parameter, "General");
  control->bar = bar_;
  control->parent = popup_;
  list->insert(list->begin() + static_cast<std::ptrdiff_t>(at), control);
  return host::CommandBarControlRef(std::make_shared<CommandBarControl>(state_, control));
}

// --- CommandBarControl ------------------------------------------------------------------------

host::Result<void> CommandBarControl::Enter(const char* name, bool buttonOnly, bool popupOnly) const {
  KX_MEMHOST_ENTER(*state_, name);
  if (data_->deleted) return host::Fail(host::err::ObjectRequired, "The control was deleted");
  bool popup = data_->type == host::mso::ControlPopup;
  if ((buttonOnly && popup) || (popupOnly && !popup)) {
    return host::Fail(host::err::NotSupported, "Object doesn't support this property or method");
  }
  return {};
}

host::Result<long> CommandBarControl::Type() {
  KX_TRY(Enter("CommandBarControl.Type"));
  return data_->type;
}
host::Result<std::string> CommandBarControl::Caption() {
  KX_TRY(Enter("CommandBarControl.Caption"));
  return data_->caption;
}
host::Result<void> CommandBarControl::SetCaption(const std::string& caption) {
  KX_TRY(Enter("CommandBarControl.SetCaption"));
  data_->caption = caption;
  return {};
}
host::Result<std::string> CommandBarControl::Tag() {
  KX_TRY(Enter("CommandBarControl.Tag"));
  return data_->tag;
}
host::Result<void> CommandBarControl::SetTag(const std::string& tag) {
  KX_TRY(Enter("CommandBarControl.SetTag"));
  data_->tag = tag;
  return {};
}
host::Result<long> CommandBarControl::FaceId() {
  KX_TRY(Enter("CommandBarControl.FaceId", true));
  return data_->faceId;
}
host::Result<void> CommandBarControl::SetFaceId(long faceId) {
  KX_TRY(Enter("CommandBarControl.SetFaceId", true));
  data_->faceId = faceId;
  return {};
}
host::Result<long> CommandBarControl::Style() {
  KX_TRY(Enter("CommandBarControl.Style", true));
  return data_->style;
}
host::Result<void> CommandBarControl::SetStyle(long style) {
  KX_TRY(Enter("CommandBarControl.SetStyle", true));
  if (style < host::mso::ButtonAutomatic || style > host::mso::ButtonIconAndCaption) {
    return BadCall("Invalid procedure call or argument: unknown button style");
  }
  data_->style = style;
  return {};
}
host::Result<bool> CommandBarControl::BeginGroup() {
  KX_TRY(Enter("CommandBarControl.BeginGroup"));
  return data_->beginGroup;
}
host::Result<void> CommandBarControl::SetBeginGroup(bool beginGroup) {
  KX_TRY(Enter("CommandBarControl.SetBeginGroup"));
  data_->beginGroup = beginGroup;
  return {};
}
host::Result<std::string> CommandBarControl::OnAction() {
  KX_TRY(Enter("CommandBarControl.OnAction"));
  return data_->onAction;
}
host::Result<void> CommandBarControl::SetOnAction(const std::string& procedure) {
  KX_TRY(Enter("CommandBarControl.SetOnAction"));
  data_->onAction = procedure;
  return {};
}
host::Result<std::string> CommandBarControl::Parameter() {
  KX_TRY(Enter("CommandBarControl.Parameter"));
  return data_->parameter;
}
host::Result<void> CommandBarControl::SetParameter(const host::Variant& parameter) {
  KX_TRY(Enter("CommandBarControl.SetParameter"));
  // The host keeps Parameter as text: 1 reads back as "1".
  data_->parameter = parameter.IsNumber() ? FormulaBarNumber(parameter.AsNumber())
                                          : DisplayText(parameter, "General");
  return {};
}
host::Result<bool> CommandBarControl::Visible() {
  KX_TRY(Enter("CommandBarControl.Visible"));
  return data_->visible;
}
host::Result<void> CommandBarControl::SetVisible(bool visible) {
  KX_TRY(Enter("CommandBarControl.SetVisible"));
  data_->visible = visible;
  return {};
}

host::Result<void> CommandBarControl::Delete() {
  KX_TRY(Enter("CommandBarControl.Delete"));
  std::vector<std::shared_ptr<ControlData>>* list = nullptr;
  if (auto parent = data_->parent.lock()) list = &parent->children;
  else if (auto bar = data_->bar.lock()) list = &bar->controls;
  MarkDeleted(*data_);
  if (list) std::erase(*list, data_);
  return {};
}

host::Result<host::CommandBarControlsRef> CommandBarControl::Controls() {
  KX_TRY(Enter("CommandBarControl.Controls", false, true));
  return host::CommandBarControlsRef(
      std::make_shared<CommandBarControls>(state_, data_->bar.lock(), data_));
}

host::Result<host::EventConnection> CommandBarControl::OnClick(ClickHandler handler) {
  KX_TRY(Enter("CommandBarControl.OnClick", true));
  auto sink = std::make_shared<ControlData::Sink>();
  sink->handler = std::move(handler);
  data_->sinks.push_back(sink);
  std::weak_ptr<ControlData> weakControl = data_;
  std::weak_ptr<ControlData::Sink> weakSink = sink;
  return host::EventConnection([weakControl, weakSink] {
    auto s = weakSink.lock();
    if (!s) return;
    s->attached = false;
    if (auto control = weakControl.lock()) std::erase(control->sinks, s);
  });
}

}  // namespace kx::memhost
