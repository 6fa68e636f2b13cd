// The add-in as a host loads it: connection, the worksheet menu, the ribbon definition,
// disconnection, and the add-in unloading itself.

#include <fstream>
#include <sstream>

#include "tests/addin/AddinScenario.h"

namespace kx::testing {
namespace {

using ::testing::ElementsAre;
namespace fs = std::filesystem;

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class Connection : public AddinScenario {};

TEST_F(Connection, AMenuHostGetsThePopupWithItsThirteenButtons) {
  StartHost("11.0");
  ASSERT_EQ(Popups().size(), 1u);
  auto popup = Popups()[0];
  EXPECT_TRUE(popup->BeginGroup().value());
  EXPECT_TRUE(popup->Visible().value());
  struct Row {
    const char* caption;
    long faceId;
    const char* tag;
    bool group;
    const char* parameter;
    const char* onAction;
  };
  const Row rows[] = {
      {"Undo Changes", 128, "KX16", false, "", ""},
      {"Remove Duplicates(Keep First) in Selection", 450, "KX18", true, "", ""},
      {"Remove all Duplicates in Selection", 486, "KX19", false, "1", ""},
      {"Remove all Unique Values in Selection", 452, "KX20", false, "1", ""},
      {"Remove Entries from 1st List exist in the other", 543, "KX22", true, "", ""},
      {"Duplicate Preventer", 357, "KX28", false, "", ""},
      {"&Color Duplicate Rows", 419, "KX24", true, "", ""},
      {"&Color Unique Rows", 1084, "KX25", false, "", ""},
      {"Count &Duplicates in Selection", 537, "KX26", true, "", ""},
      {"Count &Unique Values in Selection", 2131, "KX27", false, "", ""},
      {"&About Kestrix", 487, "KX21", true, "", ""},
      {"Online &User Guide", 984, "KX15", false, "1", "help_file"},
      {"E&xit Kestrix", 7640, "KX17", true, "1", "exit"},
  };
  auto controls = popup->Controls().value();
  ASSERT_EQ(controls->Count().value(), 13);
  for (long i = 1; i <= 13; ++i) {
    const Row& row = rows[i - 1];
    auto button = controls->Item(i).value();
    EXPECT_EQ(button->Type().value(), host::mso::ControlButton);
    EXPECT_EQ(button->Style().value(), host::mso::ButtonIconAndCaption);
    EXPECT_EQ(button->Caption().value(), row.caption);
    EXPECT_EQ(button->FaceId().value(), row.faceId) << row.caption;
    EXPECT_EQ(button->Tag().value(), row.tag) << row.caption;
    EXPECT_EQ(button->BeginGroup().value(), row.group) << row.caption;
    EXPECT_EQ(button->Parameter().value(), row.parameter) << row.caption;
    EXPECT_EQ(button->OnAction().value(), row.onAction) << row.caption;
  }
  EXPECT_EQ(app->CustomUICalls("Kestrix.Connect"), 0);
  EXPECT_TRUE(app->ScreenUpdatingSetting());
}

TEST_F(Connection, ARibbonHostGetsTheDefinitionAndNoMenu) {
  StartHost("16.0");
  EXPECT_TRUE(Popups().empty());
  EXPECT_EQ(app->CustomUICalls("Kestrix.Connect"), 1);
  EXPECT_EQ(app->CustomUI("Kestrix.Connect"),
            FileText(fs::path(KX_ADDIN_SOURCE_DIR) / "CaseRibbon.xml"));
  // Every command but undo has its button, each calling RibbonHandler.
  std::vector<std::string> ids;
  for (const auto& button : app->RibbonButtons("Kestrix.Connect")) {
    ids.push_back(button.id);
    EXPECT_EQ(button.onAction, "RibbonHandler");
  }
  EXPECT_THAT(ids, ::testing::UnorderedElementsAre("rDK", "rDA", "rUA", "rLE", "cDR", "cUR",
                                                   "ctDR", "ctUR", "rDP", "hAB", "hOH", "hTO"));
}

TEST_F(Connection, AMissingDefinitionGivesNoRibbonAndCreatesNothing) {
  fs::path folder = fs::temp_directory_path() / "kestrix-no-ribbon";
  fs::remove_all(folder);
  fs::create_directories(folder);
  StartHost("16.0", folder.string());
  EXPECT_EQ(app->CustomUI("Kestrix.Connect"), "");
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_TRUE(screen.MessageBoxes().empty());
  EXPECT_TRUE(Connected());
  fs::remove_all(folder);
}

TEST_F(Connection, ReconnectingLeavesOnePopupWiredOnce) {
  StartHost("11.0");
  auto addIn = app->COMAddIns().value()->Item("Kestrix.Connect").value();
  ASSERT_TRUE(addIn->SetConnect(false).ok());
  EXPECT_TRUE(Popups().empty());
  ASSERT_TRUE(addIn->SetConnect(true).ok());
  ASSERT_EQ(Popups().size(), 1u);
  EXPECT_EQ(Popups()[0]->Controls().value()->Count().value(), 13);
  // One click, one command: the handlers of the first connection are gone.
  EXPECT_TRUE(Click("&About Kestrix"));
  EXPECT_EQ(screen.Showings().size(), 1u);
}

TEST_F(Connection, AStalePopupIsReplacedAndSomeoneElsesSecondOneSurvives) {
  app = std::make_shared<memhost::Application>("11.0");
  book = app->AddBook();
  // Left from an earlier run that ended without disconnecting: no handlers behind it.
  host::ControlAddArgs popupArgs;
  popupArgs.Type = host::mso::ControlPopup;
  popupArgs.Temporary = false;
  auto stale = MenuBarControls()->Add(popupArgs).value();
  ASSERT_TRUE(stale->SetCaption("&Kestrix").ok());
  app->RegisterAddIn(addin::KestrixRegistration(screen, KX_ADDIN_SOURCE_DIR));
  ASSERT_TRUE(app->Start().ok());
  ASSERT_EQ(Popups().size(), 1u);
  EXPECT_EQ(Popups()[0]->Controls().value()->Count().value(), 13);

  // Another program adds a popup of the same caption after ours: unloading removes ours only.
  auto theirs = MenuBarControls()->Add(popupArgs).value();
  ASSERT_TRUE(theirs->SetCaption("&Kestrix").ok());
  ASSERT_TRUE(theirs->SetTag("theirs").ok());
  ASSERT_TRUE(app->COMAddIns().value()->Item("Kestrix.Connect").value()->SetConnect(false).ok());
  auto left = Popups();
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0]->Tag().value(), "theirs");
}

TEST_F(Connection, ExitUnloadsTheAddInThroughTheHost) {
  StartHost("11.0");
  EXPECT_TRUE(Click("E&xit Kestrix"));
  EXPECT_FALSE(Connected());
  EXPECT_TRUE(Popups().empty());

  StartHost("16.0");
  EXPECT_TRUE(Press("hTO").ok());
  EXPECT_FALSE(Connected());
  // Ticked again, it is back.
  ASSERT_TRUE(app->COMAddIns().value()->Item("Kestrix.Connect").value()->SetConnect(true).ok());
  EXPECT_TRUE(Connected());
}

TEST_F(Connection, AnUnreadableVersionCountsAsAMenuHost) {
  app = std::make_shared<memhost::Application>("16.0");
  book = app->AddBook();
  app->faults().FailOnce("Application.Version", host::err::ApplicationDefined);
  app->RegisterAddIn(addin::KestrixRegistration(screen, KX_ADDIN_SOURCE_DIR));
  ASSERT_TRUE(app->Start().ok());
  EXPECT_EQ(Popups().size(), 1u);
}

}  // namespace
}  // namespace kx::testing
