// Every menu button and every ribbon button reaches its own command.

#include <fstream>

#include "runner/Operations.h"
#include "tests/addin/AddinScenario.h"

namespace kx::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

struct QuestionCommand {
  const char* caption;
  const char* ribbonId;
  const runner::Operation* op;
};

const QuestionCommand kQuestionCommands[] = {
    {"Remove Duplicates(Keep First) in Selection", "rDK", &runner::kRemoveDuplicatesKeepFirst},
    {"Remove all Duplicates in Selection", "rDA", &runner::kRemoveAllDuplicates},
    {"Remove all Unique Values in Selection", "rUA", &runner::kRemoveAllUnique},
    {"Remove Entries from 1st List exist in the other", "rLE", &runner::kRemoveListEntries},
    {"&Color Duplicate Rows", "cDR", &runner::kColorDuplicateRows},
    {"&Color Unique Rows", "cUR", &runner::kColorUniqueRows},
    {"Count &Duplicates in Selection", "ctDR", &runner::kCountDuplicates},
    {"Count &Unique Values in Selection", "ctUR", &runner::kCountUnique},
};

class Routing : public AddinScenario {};

TEST_F(Routing, EveryDuplicateCommandAsksItsOwnQuestionFromEitherRoad) {
  for (const char* version : {"11.0", "16.0"}) {
    StartHost(version);
    for (const auto& command : kQuestionCommands) {
      screen.WhenShown("frmPrgBar").Press("CommandButton2");
      if (std::string(version) == "11.0") {
        EXPECT_TRUE(Click(command.caption));
      } else {
        EXPECT_TRUE(Press(command.ribbonId).ok());
      }
      ASSERT_FALSE(screen.Showings().empty());
      EXPECT_EQ(screen.Showings().back().Label("lblStatus"), command.op->question)
          << version << " " << command.caption;
    }
  }
}

TEST_F(Routing, YesRunsTheEngineBehindTheButton) {
  StartHost("11.0");
  for (int r = 1; r <= 3; ++r) {
    ASSERT_TRUE(app->Range("A" + std::to_string(r)).value()->SetValue(host::Variant("x")).ok());
  }
  ASSERT_TRUE(app->SelectAddress("A1:A3").ok());
  screen.WhenShown("frmPrgBar").Press("CommandButton1");
  EXPECT_TRUE(Click("Remove all Duplicates in Selection"));
  EXPECT_TRUE(app->Range("A1").value()->Value().value().IsEmpty());
  // And the menu's undo brings the column back.
  EXPECT_TRUE(Click("Undo Changes"));
  EXPECT_EQ(app->Range("A3").value()->Value().value(), host::Variant("x"));
  EXPECT_THAT(screen.MessageBoxes(), IsEmpty());
}

TEST_F(Routing, TheHelpCommandsAndTheDialogs) {
  StartHost("11.0");
  EXPECT_TRUE(Click("Undo Changes"));
  EXPECT_THAT(screen.MessageBoxes(), ElementsAre("Nothing to Undo!"));

  // The guide opens in the browser without showing the About window.
  EXPECT_TRUE(Click("Online &User Guide"));
  EXPECT_THAT(screen.UrlsOpened(), ElementsAre("https://kestrix.example/guide"));
  EXPECT_TRUE(screen.Showings().empty());

  // From the menu the About window leaves the host usable.
  EXPECT_TRUE(Click("&About Kestrix"));
  ASSERT_EQ(screen.Showings().size(), 1u);
  EXPECT_EQ(screen.Showings()[0].Form, "frmUG");
  EXPECT_FALSE(screen.Showings()[0].Modal);
  EXPECT_NE(screen.Showings()[0].Label("Label2")->find("feedback@kestrix.example"),
            std::string::npos);
  // Its footer opens the maker's site.
  screen.WhenShown("frmUG").Press("Label21");
  screen.Idle();
  EXPECT_EQ(screen.UrlsOpened().back(), "https://kestrix.example");

  screen.WhenShown("frmDupPrev").Press("Command2");
  EXPECT_TRUE(Click("Duplicate Preventer"));
  EXPECT_EQ(screen.Showings().back().Form, "frmDupPrev");
  EXPECT_TRUE(screen.Showings().back().Modal);
}

TEST_F(Routing, TheRibbonShowsAboutModallyAndTheGuideWithoutIt) {
  StartHost("16.0");
  screen.WhenShown("frmUG").Close();
  EXPECT_TRUE(Press("hAB").ok());
  ASSERT_EQ(screen.Showings().size(), 1u);
  EXPECT_TRUE(screen.Showings()[0].Modal);
  EXPECT_TRUE(Press("hOH").ok());
  EXPECT_THAT(screen.UrlsOpened(), ElementsAre("https://kestrix.example/guide"));
  EXPECT_EQ(screen.Showings().size(), 1u);

  screen.WhenShown("frmDupPrev").Close();
  EXPECT_TRUE(Press("rDP").ok());
  EXPECT_EQ(screen.Showings().back().Form, "frmDupPrev");
}

TEST_F(Routing, UnknownOrLowerCaseNamesDoNothing) {
  StartHost("11.0");
  // Another program changed a button's tag: the click does nothing, but is still handled.
  auto button = Button("Remove all Duplicates in Selection");
  ASSERT_TRUE(button->SetTag("kx19").ok());
  EXPECT_TRUE(app->Click(button).value());
  ASSERT_TRUE(button->SetTag("KX99").ok());
  EXPECT_TRUE(app->Click(button).value());
  EXPECT_TRUE(screen.Showings().empty());

  fs::path folder = fs::temp_directory_path() / "kestrix-odd-ribbon";
  fs::create_directories(folder);
  std::ofstream(folder / "CaseRibbon.xml")
      << "<customUI xmlns=\"http://schemas.microsoft.com/office/2006/01/customui\"><ribbon><tabs>"
         "<tab id=\"t\" label=\"T\"><group id=\"g\" label=\"G\">"
         "<button id=\"rdk\" label=\"lower\" onAction=\"RibbonHandler\"/>"
         "<button id=\"zzz\" label=\"unknown\" onAction=\"RibbonHandler\"/>"
         "<button id=\"rDA\" label=\"no such callback\" onAction=\"Elsewhere\"/>"
         "</group></tab></tabs></ribbon></customUI>";
  StartHost("16.0", folder.string());
  EXPECT_TRUE(Press("rdk").ok());
  EXPECT_TRUE(Press("zzz").ok());
  // A callback the add-in does not have fails back to the host.
  EXPECT_EQ(Press("rDA").error().number, host::err::NotSupported);
  EXPECT_TRUE(screen.Showings().empty());
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kx::testing
