// The host interfaces over late binding, against memhost served by the stand-in: what the
// add-in asks arrives as the object model's calls, failures come back as their error numbers,
// and every host object is let go with its handle.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "com/Bridge.h"
#include "com/ComPtr.h"
#include "host/Host.h"
#include "memhost/objects/Application.h"
#include "standin/Standin.h"

namespace kx::com {
namespace {

using ::testing::ElementsAre;

class Bridge : public ::testing::Test {
 protected:
  Bridge() {
    memhost->AddBook();
    ComPtr<IDispatch> served = standin::MakeApplication(memhost);
    app = ApplicationOver(served.get());
  }
  ~Bridge() override {
    app.reset();
    EXPECT_EQ(standin::LiveObjects(), 0);
  }
  void Put(const char* address, const host::Variant& value) {
    ASSERT_TRUE(memhost->Range(address).value()->SetValue(value).ok());
  }
  host::RangeRef At(const char* address) { return app->Range(address).value(); }

  std::shared_ptr<memhost::Application> memhost = std::make_shared<memhost::Application>("16.0");
  host::ApplicationRef app;
};

TEST_F(Bridge, ReadsAndWritesCellsAsTheHostHasThem) {
  Put("A1", host::Variant("Zo\xC3\xAB"));
  Put("A2", host::Variant(12.5));
  Put("A3", host::Variant(true));
  Put("A4", host::Variant(host::ErrorValue::NA));
  EXPECT_EQ(At("A1")->Value().value(), host::Variant("Zo\xC3\xAB"));
  EXPECT_EQ(At("A2")->Value().value(), host::Variant(12.5));
  EXPECT_EQ(At("A3")->Value().value(), host::Variant(true));
  EXPECT_EQ(At("A4")->Value().value(), host::Variant(host::ErrorValue::NA));
  EXPECT_EQ(At("A5")->Value().value(), host::Variant());
  // A block's value is its first cell's.
  EXPECT_EQ(At("A1:A4")->Value().value(), host::Variant("Zo\xC3\xAB"));

  ASSERT_TRUE(At("B1")->SetFormula(host::Variant("=A2*2")).ok());
  EXPECT_EQ(At("B1")->Formula().value(), host::Variant("=A2*2"));
  EXPECT_EQ(At("A2")->Text().value(), "12.5");
  EXPECT_EQ(At("A1:A4")->Address().value(), "$A$1:$A$4");
  EXPECT_EQ(At("A1:B4")->Cells(3, 2).value()->Address().value(), "$B$3");
}

TEST_F(Bridge, NamedArgumentsReachTheHostsFindAndRules) {
  for (const char* cell : {"A1", "A3", "A5"}) Put(cell, host::Variant("x"));
  host::FindArgs find;
  find.What = host::Variant("X");
  find.After = At("A3");
  find.LookIn = host::xl::LookInValues;
  find.LookAt = host::xl::LookAtWhole;
  find.SearchOrder = host::xl::SearchByRows;
  find.SearchDirection = host::xl::SearchNext;
  find.MatchCase = false;
  auto found = At("A1:A6")->Find(find);
  ASSERT_TRUE(found.ok());
  ASSERT_TRUE(*found);
  EXPECT_EQ((*found)->Address().value(), "$A$5");
  // Nothing found is Nothing: a null handle.
  find.What = host::Variant("y");
  EXPECT_EQ(At("A1:A6")->Find(find).value(), nullptr);

  host::ValidationAddArgs rule;
  rule.Type = host::xl::ValidateCustom;
  rule.AlertStyle = host::xl::ValidAlertStop;
  rule.Formula1 = host::Variant("=COUNTIF($A:$A,A1)=1");
  auto validation = At("A1:A6")->Validation().value();
  ASSERT_TRUE(validation->Add(rule).ok());
  EXPECT_EQ(validation->Formula1().value(), "=COUNTIF($A:$A,A1)=1");
  // Adding a second rule is refused, as the host refuses it.
  EXPECT_EQ(validation->Add(rule).error().number, 1004);

  auto counts = app->WorksheetFunction().value();
  EXPECT_EQ(counts->CountIf(At("A1:A6"), host::Variant("x")).value(), 3.0);
  EXPECT_EQ(counts->CountA(At("A1:A6")).value(), 3.0);
}

TEST_F(Bridge, HostFailuresComeBackAsTheirErrorNumbers) {
  memhost->faults().FailOnce("Range.Clear", 1004);
  auto cleared = At("A1")->Clear();
  ASSERT_FALSE(cleared.ok());
  EXPECT_EQ(cleared.error().number, 1004);
  EXPECT_TRUE(At("A1")->Clear().ok());

  memhost->faults().FailOnce("WorksheetFunction.CountIf", 13);
  EXPECT_EQ(app->WorksheetFunction().value()->CountIf(At("A1"), host::Variant("x")).error().number, 13);
  EXPECT_EQ(memhost->ActiveBook() != nullptr, true);
  auto books = app->Workbooks().value();
  EXPECT_EQ(books->Item(7).error().number, 9);
  EXPECT_EQ(app->Range("not an address").error().number, 1004);
  // A button has no controls of its own.
  auto bar = app->CommandBars().value()->Item("Worksheet Menu Bar").value();
  host::ControlAddArgs button;
  button.Type = host::mso::ControlButton;
  button.Temporary = true;
  auto added = bar->Controls().value()->Add(button).value();
  EXPECT_EQ(added->Controls().error().number, 438);
}

TEST_F(Bridge, ASelectedChartIsNoRange) {
  memhost->SelectDrawingObject();
  auto selection = app->Selection();
  ASSERT_TRUE(selection.ok());
  ASSERT_NE(*selection, nullptr);
  EXPECT_EQ((*selection)->Count().error().number, 438);
  EXPECT_EQ((*selection)->Address().error().number, 438);
  // And with no workbook open there is no selection at all.
  memhost->CloseBook(memhost->ActiveBook());
  EXPECT_EQ(app->Selection().value_or(nullptr), nullptr);
  EXPECT_EQ(app->Workbooks().value()->Count().value(), 0);
}

TEST_F(Bridge, WalksCellsAreaByAreaAndIntersects) {
  ASSERT_TRUE(memhost->SelectAddress("B2:C3,A5").ok());
  std::vector<std::string> walked;
  ASSERT_TRUE(app->Selection().value()->ForEachCell([&](const host::RangeRef& cell) {
    walked.push_back(cell->Address().value());
    return walked.size() < 4;  // the visitor stops the walk
  }).ok());
  EXPECT_THAT(walked, ElementsAre("$B$2", "$C$2", "$B$3", "$C$3"));
  auto areas = app->Selection().value()->Areas().value();
  ASSERT_EQ(areas.size(), 2u);
  EXPECT_EQ(areas[1]->Address().value(), "$A$5");
  auto both = app->Intersect(At("A1:B9"), At("B3:D4")).value();
  EXPECT_EQ(both->Address().value(), "$B$3:$B$4");
  EXPECT_EQ(app->Intersect(At("A1"), At("C3")).value(), nullptr);
}

TEST_F(Bridge, TheHostSettingsTheAddinChanges) {
  ASSERT_TRUE(app->SetScreenUpdating(false).ok());
  ASSERT_TRUE(app->SetCalculation(host::xl::CalculationManual).ok());
  ASSERT_TRUE(app->SetStatusBar(host::Variant("Working")).ok());
  ASSERT_TRUE(app->SetEnableCancelKey(host::xl::CancelKeyErrorHandler).ok());
  ASSERT_TRUE(app->OnKey("^z", std::string("undo_changes")).ok());
  EXPECT_FALSE(memhost->ScreenUpdatingSetting());
  EXPECT_EQ(memhost->CalculationSetting().value(), host::xl::CalculationManual);
  EXPECT_EQ(memhost->StatusBarSetting(), host::Variant("Working"));
  EXPECT_EQ(memhost->EnableCancelKeySetting(), host::xl::CancelKeyErrorHandler);
  EXPECT_EQ(memhost->OnKeyProcedure("^z"), "undo_changes");
  ASSERT_TRUE(app->OnKey("^z", std::nullopt).ok());
  EXPECT_EQ(memhost->OnKeyProcedure("^z"), std::nullopt);
  EXPECT_EQ(app->Version().value(), "16.0");
  EXPECT_EQ(app->StatusBar().value(), host::Variant("Working"));
}

TEST_F(Bridge, AButtonsClickReachesItsSinkUntilDetached) {
  auto bar = app->CommandBars().value()->Item("Worksheet Menu Bar").value();
  host::ControlAddArgs args;
  args.Type = host::mso::ControlButton;
  auto button = bar->Controls().value()->Add(args).value();
  ASSERT_TRUE(button->SetTag("KX18").ok());
  std::vector<std::string> tags;
  auto connection = button->OnClick([&](const host::CommandBarControlRef& ctrl, bool& cancel) {
    tags.push_back(ctrl->Tag().value());
    cancel = true;
  });
  ASSERT_TRUE(connection.ok());
  // The user clicks the host's own control.
  auto control = memhost->CommandBars().value()->Item("Worksheet Menu Bar").value()->Controls().value();
  auto clicked = control->Item(control->Count().value()).value();
  EXPECT_TRUE(memhost->Click(clicked).value());
  EXPECT_THAT(tags, ElementsAre("KX18"));

  connection->Disconnect();
  EXPECT_FALSE(memhost->Click(clicked).value());
  EXPECT_THAT(tags, ElementsAre("KX18"));
}

}  // namespace
}  // namespace kx::com
