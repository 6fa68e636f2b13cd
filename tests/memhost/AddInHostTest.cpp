// Command bars, the COM add-in list with a small add-in, settings and failure injection.

#include "HostFixture.h"

namespace kx::memhost {
namespace {

using host::Variant;

// An add-in that records what the host called and can unload itself from a button's click.
class FakeAddIn : public host::AddInObject {
 public:
  explicit FakeAddIn(std::vector<std::string>& log) : log_(log) {}
  ~FakeAddIn() override { log_.push_back("destroyed"); }

  host::Result<void> OnConnection(const host::ApplicationRef& app, long mode,
                                  const host::COMAddInRef& self) override {
    log_.push_back("connect " + std::to_string(mode));
    app_ = app;
    self_ = self;
    // A permanent popup with one button, as the add-in's menu.
    auto bars = KX_TRY(app->CommandBars());
    auto bar = KX_TRY(bars->Item("Worksheet Menu Bar"));
    auto controls = KX_TRY(bar->Controls());
    auto existing = controls->Item("&Kestrix");
    host::CommandBarControlRef popup;
    if (existing.ok()) {
      popup = *existing;
    } else {
      host::ControlAddArgs popupArgs;
      popupArgs.Type = host::mso::ControlPopup;
      popupArgs.Temporary = false;
      popup = KX_TRY(controls->Add(popupArgs));
      KX_TRY(popup->SetCaption("&Kestrix"));
      host::ControlAddArgs buttonArgs;
      buttonArgs.Parameter = Variant(1);
      auto items = KX_TRY(popup->Controls());
      auto button = KX_TRY(items->Add(buttonArgs));
      KX_TRY(button->SetCaption("Unload"));
      KX_TRY(button->SetOnAction("!<Kestrix.Connect>"));
    }
    auto items = KX_TRY(popup->Controls());
    auto button = KX_TRY(items->Item(1));
    click_ = KX_TRY(button->OnClick([this](const host::CommandBarControlRef&, bool& cancel) {
      log_.push_back("click");
      cancel = true;
      // Unloading from inside the click: the object must live until this returns.
      (void)self_->SetConnect(false);
      log_.push_back("still alive");
    }));
    return {};
  }
  host::Result<void> OnDisconnection(long mode) override {
    log_.push_back("disconnect " + std::to_string(mode));
    click_.Disconnect();
    return {};
  }
  host::Result<std::string> GetCustomUI(std::string_view ribbonId) override {
    log_.push_back("ui " + std::string(ribbonId));
    return std::string("<customUI/>");
  }
  host::Result<void> InvokeRibbonCallback(std::string_view, const host::RibbonControl&) override {
    return host::Fail(host::err::NotSupported, "no callbacks");
  }

 private:
  std::vector<std::string>& log_;
  host::ApplicationRef app_;
  host::COMAddInRef self_;
  host::EventConnection click_;
};

class AddInHostTest : public testing::HostTest {
 protected:
  explicit AddInHostTest(std::string version = "16.0") : HostTest(std::move(version)) {
    host::AddInRegistration reg;
    reg.ProgId = "Kestrix.Connect";
    reg.FriendlyName = "Kestrix";
    reg.LoadBehavior = 3;
    reg.Create = [this] { return std::make_shared<FakeAddIn>(log_); };
    app_->RegisterAddIn(reg);
  }
  // The host disconnects the add-in when it goes, and the add-in writes to log_: close the host
  // while log_ still exists.
  ~AddInHostTest() override { app_.reset(); }
  host::CommandBarControlRef Button() {
    auto bar = app_->CommandBars().value()->Item("worksheet menu bar").value();
    auto popup = bar->Controls().value()->Item("&Kestrix").value();
    return popup->Controls().value()->Item("Unload").value();
  }
  std::vector<std::string> log_;
};

class ClassicMenuHostTest : public AddInHostTest {
 protected:
  ClassicMenuHostTest() : AddInHostTest("11.0") {}
};

TEST_F(AddInHostTest, StartConnectsAndAsksARibbonHostForItsUI) {
  ASSERT_TRUE(app_->Start().ok());
  EXPECT_EQ(log_, (std::vector<std::string>{"connect 1", "ui Microsoft.Excel.Workbook"}));
  EXPECT_EQ(app_->CustomUI("Kestrix.Connect"), "<customUI/>");
  EXPECT_EQ(app_->CustomUICalls("Kestrix.Connect"), 1);
  auto addIn = app_->COMAddIns().value()->Item("kestrix.connect").value();
  EXPECT_TRUE(addIn->Connect().value());
  EXPECT_EQ(app_->COMAddIns().value()->Item("Other.Thing").error().number,
            host::err::SubscriptOutOfRange);
}

TEST_F(ClassicMenuHostTest, ClickUnloadsTheAddInFromItsOwnHandler) {
  ASSERT_TRUE(app_->Start().ok());
  EXPECT_EQ(app_->CustomUICalls("Kestrix.Connect"), 0);  // no ribbon
  auto button = Button();
  EXPECT_EQ(button->Parameter().value(), "1");
  EXPECT_TRUE(app_->Click(button).value());  // CancelDefault set
  EXPECT_EQ(log_, (std::vector<std::string>{"connect 1", "click", "disconnect 1", "still alive",
                                            "destroyed"}));
  EXPECT_TRUE(app_->MacroLog().empty());
  EXPECT_FALSE(app_->COMAddIns().value()->Item(1).value()->Connect().value());

  // The permanent menu stays; a click now has no sink, so the OnAction macro would run.
  EXPECT_FALSE(app_->Click(Button()).value());
  EXPECT_EQ(app_->MacroLog(), (std::vector<std::string>{"would run macro !<Kestrix.Connect>"}));

  // Connecting again reuses the menu left over and attaches a fresh sink.
  log_.clear();
  ASSERT_TRUE(app_->COMAddIns().value()->Item(1).value()->SetConnect(true).ok());
  EXPECT_EQ(log_, (std::vector<std::string>{"connect 0"}));
  auto controls = app_->CommandBars().value()->Item("Worksheet Menu Bar").value()->Controls().value();
  long kestrixMenus = 0;
  for (long i = 1; i <= controls->Count().value(); ++i) {
    kestrixMenus += controls->Item(i).value()->Caption().value() == "&Kestrix";
  }
  EXPECT_EQ(kestrixMenus, 1);
  app_->Shutdown();
  EXPECT_EQ(log_.back(), "destroyed");
  EXPECT_EQ(log_[log_.size() - 2], "disconnect 0");
}

TEST_F(AddInHostTest, ControlsKeepTheirPropertiesAndDeleteTakesThePopupsControls) {
  auto controls = app_->CommandBars().value()->Item("Worksheet Menu Bar").value()->Controls().value();
  long builtin = controls->Count().value();
  host::ControlAddArgs popupArgs;
  popupArgs.Type = host::mso::ControlPopup;
  popupArgs.Before = 2;
  popupArgs.Temporary = true;
  auto popup = controls->Add(popupArgs).value();
  EXPECT_EQ(controls->Item(2).value()->Type().value(), host::mso::ControlPopup);
  auto button = popup->Controls().value()->Add({}).value();
  ASSERT_TRUE(button->SetTag("remove").ok());
  ASSERT_TRUE(button->SetFaceId(59).ok());
  ASSERT_TRUE(button->SetStyle(host::mso::ButtonIconAndCaption).ok());
  ASSERT_TRUE(button->SetBeginGroup(true).ok());
  EXPECT_EQ(button->Tag().value(), "remove");
  EXPECT_EQ(button->FaceId().value(), 59);
  EXPECT_TRUE(button->BeginGroup().value());
  EXPECT_EQ(popup->FaceId().error().number, host::err::NotSupported);
  EXPECT_EQ(button->Controls().error().number, host::err::NotSupported);
  EXPECT_EQ(popup->OnClick({}).error().number, host::err::NotSupported);
  EXPECT_EQ(controls->Add({.Before = 99}).error().number, host::err::InvalidProcedureCall);

  ASSERT_TRUE(popup->Delete().ok());
  EXPECT_EQ(controls->Count().value(), builtin);
  EXPECT_EQ(button->Caption().error().number, host::err::ObjectRequired);

  // Temporary controls go when the host closes; permanent ones stay.
  auto temp = controls->Add({.Type = host::mso::ControlButton, .Temporary = true}).value();
  auto kept = controls->Add({}).value();
  app_->Shutdown();
  EXPECT_EQ(controls->Count().value(), builtin + 1);
  EXPECT_EQ(temp->Caption().error().number, host::err::ObjectRequired);
  EXPECT_TRUE(kept->Caption().ok());
}

TEST_F(AddInHostTest, EveryAttachedSinkHearsAClickInOrder) {
  auto controls = app_->CommandBars().value()->Item("Worksheet Menu Bar").value()->Controls().value();
  auto button = controls->Add({}).value();
  ASSERT_TRUE(button->SetOnAction("Macro1").ok());
  std::vector<std::string> heard;
  auto first = button->OnClick([&](const host::CommandBarControlRef&, bool& cancel) {
    heard.push_back(cancel ? "first saw cancel" : "first");
  }).value();
  auto second = button->OnClick([&](const host::CommandBarControlRef&, bool& cancel) {
    heard.push_back("second");
    cancel = true;
  }).value();
  auto third = button->OnClick([&](const host::CommandBarControlRef&, bool& cancel) {
    heard.push_back(cancel ? "third saw cancel" : "third");
  }).value();
  EXPECT_TRUE(app_->Click(button).value());
  EXPECT_EQ(heard, (std::vector<std::string>{"first", "second", "third saw cancel"}));
  EXPECT_TRUE(app_->MacroLog().empty());
  second.Disconnect();
  heard.clear();
  EXPECT_FALSE(app_->Click(button).value());
  EXPECT_EQ(heard, (std::vector<std::string>{"first", "third"}));
  EXPECT_EQ(app_->MacroLog(), (std::vector<std::string>{"would run macro Macro1"}));
}

TEST_F(AddInHostTest, SettingsTheAddInChanges) {
  ASSERT_TRUE(app_->SetEnableCancelKey(host::xl::CancelKeyErrorHandler).ok());
  ASSERT_TRUE(app_->SetStatusBar("Working...").ok());
  ASSERT_TRUE(app_->SetScreenUpdating(false).ok());
  ASSERT_TRUE(app_->SetCalculation(host::xl::CalculationManual).ok());
  ASSERT_TRUE(app_->OnUndo("Undo Kestrix", "KestrixUndo").ok());
  ASSERT_TRUE(app_->OnKey("^z", "KestrixUndo").ok());
  EXPECT_EQ(app_->EnableCancelKeySetting(), host::xl::CancelKeyErrorHandler);
  EXPECT_EQ(app_->StatusBarSetting(), Variant("Working..."));
  EXPECT_FALSE(app_->ScreenUpdatingSetting());
  EXPECT_EQ(app_->CalculationSetting().value(), host::xl::CalculationManual);
  EXPECT_EQ(app_->OnUndoProcedure(), "KestrixUndo");
  EXPECT_EQ(app_->OnKeyProcedure("^z"), "KestrixUndo");
  ASSERT_TRUE(app_->OnKey("^z", std::nullopt).ok());
  EXPECT_EQ(app_->OnKeyProcedure("^z"), std::nullopt);
  ASSERT_TRUE(app_->SetStatusBar(false).ok());
  EXPECT_EQ(app_->StatusBar().value(), Variant(false));
  EXPECT_EQ(app_->SetCalculation(7).error().number, host::err::ApplicationDefined);
  Put("A1", 1);  // writing under manual calculation is fine
  EXPECT_EQ(app_->Version().value(), "16.0");
}

TEST_F(AddInHostTest, FailureInjectionOnceAlwaysAndNth) {
  Faults& faults = app_->faults();
  faults.FailOnce("Range.Clear", host::err::ApplicationDefined);
  EXPECT_EQ(At("A1")->Clear().error().number, host::err::ApplicationDefined);
  EXPECT_TRUE(At("A1")->Clear().ok());

  faults.FailOnCall("WorksheetFunction.CountIf", 3, 13);
  auto functions = app_->WorksheetFunction().value();
  EXPECT_TRUE(functions->CountIf(At("A:A"), 1).ok());
  EXPECT_TRUE(functions->CountIf(At("A:A"), 1).ok());
  EXPECT_EQ(functions->CountIf(At("A:A"), 1).error().number, 13);
  EXPECT_TRUE(functions->CountIf(At("A:A"), 1).ok());
  EXPECT_EQ(faults.Calls("WorksheetFunction.CountIf"), 4);

  faults.FailAlways("Application.SetCalculation", host::err::ApplicationDefined);
  faults.FailAlways("Interior.SetColorIndex", 1004);
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(app_->SetCalculation(host::xl::CalculationManual).ok());
    EXPECT_FALSE(At("A1")->Interior().value()->SetColorIndex(3).ok());
  }
  EXPECT_EQ(app_->CalculationSetting().value(), host::xl::CalculationAutomatic);  // nothing lost
  faults.Clear();
  EXPECT_TRUE(app_->SetCalculation(host::xl::CalculationManual).ok());
  EXPECT_EQ(faults.Calls("Application.SetCalculation"), 4);
}

TEST_F(AddInHostTest, ShapeSelectionFailsAsLateBindingWould) {
  app_->SelectDrawingObject();
  auto selection = app_->Selection().value();
  ASSERT_TRUE(selection);
  EXPECT_EQ(selection->Count().error().number, host::err::NotSupported);
  EXPECT_EQ(selection->Address().error().number, host::err::NotSupported);
  ASSERT_TRUE(app_->SelectAddress("B2:B5").ok());
  EXPECT_EQ(app_->Selection().value()->Address().value(), "$B$2:$B$5");
}

}  // namespace
}  // namespace kx::memhost
