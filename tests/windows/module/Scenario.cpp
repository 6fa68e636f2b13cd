#include "tests/windows/module/Scenario.h"

#include "addin/Registration.h"
#include "host/Host.h"
#include "com/Text.h"
#include "standin/Standin.h"
#include "tests/windows/module/InstalledModule.h"
#include "tests/windows/module/TestScreen.h"

namespace kx::testing {

namespace {

template <class T>
std::string Text(const host::Result<T>& value) {
  if (!value.ok()) return "(fails " + std::to_string(value.error().number) + ")";
  if constexpr (std::is_same_v<T, std::string>) {
    return *value;
  } else if constexpr (std::is_same_v<T, host::Variant>) {
    return host::DebugString(*value);
  } else {
    return std::to_string(*value);
  }
}

}  // namespace

void PrintTo(const Outcome& outcome, std::ostream* os) {
  auto list = [os](const char* title, const std::vector<std::string>& lines) {
    *os << "\n  " << title << ":";
    for (const auto& line : lines) *os << "\n    " << line;
  };
  list("cells", outcome.cells);
  list("seen", outcome.seen);
  list("settings", outcome.settings);
  list("menu", outcome.menu);
  list("urls", outcome.urls);
}

Host::Host(Road road, const std::string& version)
    : app(std::make_shared<memhost::Application>(version)), road_(road), menuHost_(version == "11.0") {
  TestScreen().Use(&screen);
  app->AddBook();
  if (road == Road::Native) {
    app->RegisterAddIn(addin::KestrixRegistration(screen, com::WideToUtf8(ProgramFolder())));
  } else {
    app->RegisterAddIn(standin::ComAddInRegistration(
        std::string(addin::kProgId), std::string(addin::kFriendlyName),
        std::string(addin::kDescription), addin::kLoadBehavior));
  }
  EXPECT_TRUE(app->Start().ok());
}

Host::~Host() {
  app->Shutdown();
  TestScreen().Use(nullptr);
}

void Host::Column(const std::string& letter, const std::vector<host::Variant>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (values[i].IsEmpty()) continue;
    ASSERT_TRUE(app->Range(letter + std::to_string(i + 1)).value()->SetValue(values[i]).ok());
  }
}

void Host::Select(const std::string& address) { ASSERT_TRUE(app->SelectAddress(address).ok()); }

void Host::Run(const char* tag, const char* ribbonId) {
  if (menuHost_) {
    auto bar = app->CommandBars().value()->Item("Worksheet Menu Bar").value()->Controls().value();
    auto popup = bar->Item("&Kestrix");
    ASSERT_TRUE(popup.ok()) << "no menu";
    auto buttons = (*popup)->Controls().value();
    for (long i = 1; i <= buttons->Count().value(); ++i) {
      auto button = buttons->Item(i).value();
      if (button->Tag().value() == tag) {
        auto clicked = app->Click(button);
        ASSERT_TRUE(clicked.ok());
        EXPECT_TRUE(*clicked) << "the click was not marked as handled";
        return;
      }
    }
    ADD_FAILURE() << "no button " << tag;
  } else {
    auto pressed = app->PressRibbonButton("Kestrix.Connect", ribbonId);
    EXPECT_TRUE(pressed.ok()) << ribbonId << ": " << (pressed.ok() ? "" : pressed.error().description);
  }
}

bool Host::Connected() {
  return app->COMAddIns().value()->Item("Kestrix.Connect").value()->Connect().value();
}

Outcome Host::Seen() {
  Outcome outcome;
  for (const char* column : {"A", "B", "C"}) {
    for (int row = 1; row <= 12; ++row) {
      std::string address = column + std::to_string(row);
      auto found = app->Range(address);
      if (!found.ok()) continue;  // no workbook open
      auto cell = *found;
      std::string line = address + " " + Text(cell->Formula());
      auto fill = cell->Interior().value()->ColorIndex();
      line += " fill " + Text(fill);
      auto rule = cell->Validation().value();
      if (auto type = rule->Type(); type.ok()) {
        line += " rule " + std::to_string(*type) + " " + Text(rule->Formula1()) + " " +
                Text(rule->ErrorTitle()) + " / " + Text(rule->ErrorMessage());
      }
      auto hidden = cell->EntireRow().value()->Hidden();
      if (hidden.ok() && *hidden) line += " hidden";
      outcome.cells.push_back(line);
    }
  }
  for (const auto& text : screen.MessageBoxes()) outcome.seen.push_back("message: " + text);
  for (const auto& showing : screen.Showings()) {
    std::string line = "window " + showing.Form + (showing.Modal ? " modal" : " modeless");
    for (const auto& [label, caption] : showing.Labels) line += " " + label + "=" + caption;
    outcome.seen.push_back(line);
  }
  for (const auto& change : screen.Changes()) {
    std::string value = std::holds_alternative<std::string>(change.Value)
                            ? std::get<std::string>(change.Value)
                            : std::to_string(std::get<double>(change.Value));
    outcome.seen.push_back("change " + change.Form + "." + change.Control + "(" +
                           std::to_string(change.Index) + ")." + change.Property + "=" + value);
  }
  outcome.settings = {
      "EnableCancelKey " + std::to_string(app->EnableCancelKeySetting()),
      "StatusBar " + host::DebugString(app->StatusBarSetting()),
      std::string("ScreenUpdating ") + (app->ScreenUpdatingSetting() ? "on" : "off"),
      "Calculation " + Text(app->CalculationSetting()),
      "OnUndo " + app->OnUndoText() + " " + app->OnUndoProcedure(),
      "OnKey ^z " + app->OnKeyProcedure("^z").value_or("(host)"),
      std::string("connected ") + (Connected() ? "yes" : "no"),
      "custom UI calls " + std::to_string(app->CustomUICalls("Kestrix.Connect")),
  };
  for (const auto& macro : app->MacroLog()) outcome.settings.push_back(macro);
  auto bar = app->CommandBars().value()->Item("Worksheet Menu Bar").value()->Controls().value();
  for (long i = 1; i <= bar->Count().value(); ++i) {
    auto control = bar->Item(i).value();
    if (control->Caption().value() != "&Kestrix") continue;
    auto buttons = control->Controls().value();
    for (long b = 1; b <= buttons->Count().value(); ++b) {
      auto button = buttons->Item(b).value();
      outcome.menu.push_back(button->Caption().value() + " " + button->Tag().value() + " " +
                             std::to_string(button->FaceId().value()));
    }
  }
  outcome.urls = screen.UrlsOpened();
  return outcome;
}

namespace {
InstalledModule* registered = nullptr;
}

void RegisteredModuleSuite::SetUpTestSuite() {
  registered = new InstalledModule();
  ASSERT_EQ(registered->Register(), S_OK);
}

void RegisteredModuleSuite::TearDownTestSuite() {
  EXPECT_EQ(registered->Unregister(), S_OK);
  delete registered;
  registered = nullptr;
}

}  // namespace kx::testing
