#pragma once
// A host with the add-in registered as it is installed: started, it loads "Kestrix.Connect" and
// either builds the worksheet menu (a version 11 host) or asks for the ribbon (version 16).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "addin/Registration.h"
#include "host/Host.h"
#include "memhost/objects/Application.h"
#include "ui/ScriptedDriver.h"

namespace kx::testing {

class AddinScenario : public ::testing::Test {
 protected:
  // Starts a host of the given version with the add-in's ribbon definition in `folder`.
  void StartHost(const std::string& version, const std::string& folder = KX_ADDIN_SOURCE_DIR) {
    app = std::make_shared<memhost::Application>(version);
    book = app->AddBook();
    app->RegisterAddIn(addin::KestrixRegistration(screen, folder));
    ASSERT_TRUE(app->Start().ok());
  }

  host::CommandBarControlsRef MenuBarControls() {
    return app->CommandBars().value()->Item("Worksheet Menu Bar").value()->Controls().value();
  }
  // The popups captioned "&Kestrix" on the menu bar, in order.
  std::vector<host::CommandBarControlRef> Popups() {
    std::vector<host::CommandBarControlRef> popups;
    auto controls = MenuBarControls();
    for (long i = 1; i <= controls->Count().value(); ++i) {
      auto control = controls->Item(i).value();
      if (control->Caption().value() == "&Kestrix") popups.push_back(control);
    }
    return popups;
  }
  host::CommandBarControlRef Button(const std::string& caption) {
    auto popups = Popups();
    EXPECT_EQ(popups.size(), 1u);
    if (popups.empty()) return nullptr;
    auto item = popups[0]->Controls().value()->Item(caption);
    EXPECT_TRUE(item.ok()) << caption;
    return item.ok() ? *item : nullptr;
  }
  // Clicks a menu button; returns whether the add-in told the host it handled the click.
  bool Click(const std::string& caption) { return app->Click(Button(caption)).value(); }
  host::Result<void> Press(const std::string& id) {
    return app->PressRibbonButton("Kestrix.Connect", id);
  }
  bool Connected() {
    return app->COMAddIns().value()->Item("Kestrix.Connect").value()->Connect().value();
  }

  ui::ScriptedDriver screen{[](const std::string& problem) { ADD_FAILURE() << problem; }};
  std::shared_ptr<memhost::Application> app;
  std::shared_ptr<memhost::Book> book;
};

}  // namespace kx::testing
