// The ribbon of a ribbon host: the buttons an add-in's custom UI declares, and pressing them.

#include <pugixml.hpp>

#include "memhost/objects/AddIns.h"
#include "memhost/objects/Application.h"

namespace kx::memhost {

std::vector<Application::RibbonButton> Application::RibbonButtons(std::string_view progId) const {
  std::vector<RibbonButton> buttons;
  auto entry = FindAddIn(progId);
  if (!entry || entry->customUI.empty()) return buttons;
  pugi::xml_document doc;
  if (!doc.load_buffer(entry->customUI.data(), entry->customUI.size())) return buttons;
  auto root = doc.child("customUI");
  if (!root) return buttons;
  for (auto node : root.select_nodes(".//*[@id and @onAction]")) {
    auto element = node.node();
    buttons.push_back({element.attribute("id").value(), element.attribute("label").value(),
                       element.attribute("onAction").value()});
  }
  return buttons;
}

host::Result<void> Application::PressRibbonButton(std::string_view progId,
                                                  std::string_view buttonId) {
  auto entry = FindAddIn(progId);
  if (!entry || !entry->object) {
    return host::Fail(host::err::SubscriptOutOfRange, "The add-in is not loaded.");
  }
  for (const auto& button : RibbonButtons(progId)) {
    if (button.id != buttonId) continue;
    // The add-in may unload itself from inside its callback: it lives until the call returns.
    CallbackScope scope(*state_);
    host::AddInObjectRef object = entry->object;
    return object->InvokeRibbonCallback(button.onAction, host::RibbonControl{button.id, ""});
  }
  return host::Fail(host::err::InvalidProcedureCall, "The ribbon has no such button.");
}

}  // namespace kx::memhost
