#include "ui/Form.h"

#include <cassert>
#include <utility>

#include "ui/Driver.h"

namespace kx::ui {

std::string_view EventName(Event event) {
  switch (event) {
    case Event::Click: return "Click";
    case Event::MouseDown: return "MouseDown";
    case Event::Initialize: return "Initialize";
    case Event::Load: return "Load";
  }
  return "?";
}

std::string ControlEntry::DisplayName() const {
  return Index < 0 ? Name : Name + "(" + std::to_string(Index) + ")";
}

void Form::Show(ShowStyle style) {
  // Only a loaded form reached through its holder has a driver to be shown by; a discarded
  // instance held on to after its unload cannot come back.
  assert(loaded_ && site_ != nullptr);
  if (!loaded_ || site_ == nullptr) return;
  visible_ = true;
  if (style == ShowStyle::Modal) {
    site_->Ui().ShowModal(*this);
  } else {
    site_->Ui().ShowModeless(*this);
  }
}

void Form::Hide() {
  if (!visible_) return;
  visible_ = false;
  if (site_ != nullptr) site_->Ui().WindowClosed(*this);
}

void Form::Unload() {
  if (!loaded_) return;
  // Keeps this object alive to the end of the call even when the holder held the last reference.
  const auto keepAlive = weak_from_this().lock();
  visible_ = false;
  loaded_ = false;
  FormSite* site = std::exchange(site_, nullptr);
  if (site == nullptr) return;
  site->Release(*this);
  site->Ui().WindowClosed(*this);
}

Driver& Form::Ui() {
  assert(site_ != nullptr);
  return site_->Ui();
}

const ControlEntry* Form::FindControl(std::string_view name, int index) const {
  for (const auto& entry : controls_) {
    if (entry.Name == name && entry.Index == index) return &entry;
  }
  return nullptr;
}

bool Form::HasHandler(std::string_view control, Event event) const {
  for (const auto& handler : handlers_) {
    if (handler.Control == control && handler.On == event) return true;
  }
  return false;
}

bool Form::Raise(std::string_view control, Event event, const EventArgs& args) {
  for (const auto& handler : handlers_) {
    if (handler.Control != control || handler.On != event) continue;
    // A handler may unload this form, dropping its holder's reference; the form must outlive
    // the handler. The handler itself is copied for the same reason.
    const auto keepAlive = weak_from_this().lock();
    const auto run = handler.Run;
    run(args);
    return true;
  }
  return false;
}

std::optional<std::string> Form::Press(std::string_view control, int index) {
  const ControlEntry* entry = FindControl(control, index);
  const std::string what = entry ? entry->DisplayName() : std::string(control);
  if (!loaded_ || !visible_) return name_ + " is not shown, so " + what + " cannot be pressed";
  if (entry == nullptr) return name_ + " has no control " + what;
  const ControlBase& common = Common(entry->Control);
  if (!common.Visible) return what + " of " + name_ + " is hidden";
  if (!common.Enabled) return what + " of " + name_ + " is disabled";

  if (auto* option = std::get_if<OptionButton*>(&entry->Control)) {
    for (auto& other : controls_) {
      if (auto* sibling = std::get_if<OptionButton*>(&other.Control);
          sibling && (*sibling)->GroupName == (*option)->GroupName) {
        (*sibling)->Value = false;
      }
    }
    (*option)->Value = true;
  } else if (auto* check = std::get_if<CheckBox*>(&entry->Control)) {
    (*check)->Value = !(*check)->Value;
  }
  EventArgs args;
  args.Index = index;
  Raise(control, Event::Click, args);
  return std::nullopt;
}

void Form::RunInitialisation() {
  Raise(kFormItself, Event::Initialize);
  if (loaded_) Raise(kFormItself, Event::Load);
}

void Form::AddHandler(std::string control, Event event, std::function<void(const EventArgs&)> run) {
  handlers_.push_back(HandlerEntry{std::move(control), event, std::move(run)});
}

void Form::Report(std::string_view control, int index, std::string_view property,
                  std::variant<std::string_view, double> value) {
  if (site_ == nullptr) return;
  site_->Ui().PropertyChanged(PropertyChange{name_, control, index, property, value});
}

}  // namespace kx::ui
