// Every command through the menu of a version 11 host and the ribbon of a version 16 host,
// with the add-in loaded from Kestrix.dll by the stand-in host, against the same scenario with
// the add-in called directly: the COM boundary changes nothing, and the add-in lets go of every
// host object it was given.

#include "standin/Standin.h"
#include "tests/windows/module/Scenario.h"

namespace kx::testing {
namespace {

using ::testing::IsEmpty;

constexpr int kSwatch36 = 7;  // the colour chooser's swatch of palette index 36

struct Command {
  const char* name;
  const char* tag;
  const char* ribbonId;  // none for undo
  // Fills the sheet, selects, and queues what the user does in the windows.
  std::function<void(Host&)> prepare;
};

void Names(Host& host) {
  host.Column("A", {"Name", "Ann", "bob", "ANN", 7.0, "", "Bob", "7", "Cy", 7.0});
  host.Select("A1:A10");
}

void PressYes(Host& host) { host.screen.WhenShown("frmPrgBar").Press("CommandButton1"); }
void DismissResult(Host& host) { host.screen.WhenShown("frmResult").Press("Command1"); }
void ChooseColour(Host& host) {
  host.screen.WhenShown("frmCol").Press("lblColIndex", kSwatch36).Press("Command1");
}

const Command kCommands[] = {
    {"remove duplicates, keep first", "KX18", "rDK", [](Host& h) { Names(h); PressYes(h); }},
    {"remove all duplicates", "KX19", "rDA", [](Host& h) { Names(h); PressYes(h); }},
    {"remove all unique", "KX20", "rUA", [](Host& h) { Names(h); PressYes(h); }},
    {"remove list entries", "KX22", "rLE",
     [](Host& h) {
       h.Column("A", {"Ann", "bob", "Cy", 7.0, "Dee"});
       h.Column("B", {"cy", "Ann", "", 7.0});
       h.Select("A1:B5");
       PressYes(h);
     }},
    {"colour duplicates", "KX24", "cDR",
     [](Host& h) { Names(h); PressYes(h); ChooseColour(h); DismissResult(h); }},
    {"colour unique", "KX25", "cUR",
     [](Host& h) { Names(h); PressYes(h); ChooseColour(h); DismissResult(h); }},
    {"count duplicates", "KX26", "ctDR", [](Host& h) { Names(h); PressYes(h); DismissResult(h); }},
    {"count unique", "KX27", "ctUR", [](Host& h) { Names(h); PressYes(h); DismissResult(h); }},
    {"duplicate preventer", "KX28", "rDP",
     [](Host& h) {
       Names(h);
       h.screen.WhenShown("frmDupPrev").Press("Command1").Press("Command2");
     }},
    {"about", "KX21", "hAB", [](Host& h) { h.screen.WhenShown("frmUG").Close(); }},
    {"online guide", "KX15", "hOH", [](Host&) {}},
    {"a selection the command cannot use", "KX19", "rDA",
     [](Host& h) {
       h.Select("A1:B3");
       PressYes(h);
     }},
    {"a chart selected", "KX26", "ctDR",
     [](Host& h) {
       Names(h);
       h.app->SelectDrawingObject();
       PressYes(h);
     }},
    {"no workbook open", "KX18", "rDK",
     [](Host& h) {
       h.app->CloseBook(h.app->ActiveBook());
       PressYes(h);
     }},
    {"stopped at the third step", "KX20", "rUA",
     [](Host& h) {
       Names(h);
       PressYes(h);
       h.screen.AtYield(3, "frmPrgBar").Press("CommandButton3");
     }},
    {"the host refuses every count", "KX19", "rDA",
     [](Host& h) {
       Names(h);
       h.app->faults().FailAlways("WorksheetFunction.CountIf", 1004);
       PressYes(h);
     }},
    {"the host refuses to clear", "KX18", "rDK",
     [](Host& h) {
       Names(h);
       h.app->faults().FailAlways("Range.Clear", 1004);
       PressYes(h);
     }},
    {"the host refuses a fill", "KX25", "cUR",
     [](Host& h) {
       Names(h);
       h.app->faults().FailOnce("Interior.SetColorIndex", 1004);
       PressYes(h);
       ChooseColour(h);
       DismissResult(h);
     }},
};

class ThroughCom : public RegisteredModuleSuite {
 protected:

  // Runs the command on a fresh host on one road and returns what came of it.
  Outcome RunOn(Road road, const char* version, const Command& command) {
    Outcome outcome;
    {
      Host host(road, version);
      command.prepare(host);
      host.Run(command.tag, command.ribbonId);
      // A modeless window (About from the menu) is closed while the host idles.
      host.screen.Idle();
      EXPECT_THAT(host.screen.Finish(), IsEmpty()) << command.name;
      outcome = host.Seen();
      // The host shuts down and disconnects the add-in, which lets go of all it was given.
      host.app->Shutdown();
      EXPECT_EQ(standin::LiveObjects(), 0) << command.name << " left host objects referenced";
    }
    return outcome;
  }

};

TEST_F(ThroughCom, EveryCommandFromTheMenuDoesWhatItDoesCalledDirectly) {
  for (const Command& command : kCommands) {
    SCOPED_TRACE(command.name);
    Outcome native = RunOn(Road::Native, "11.0", command);
    Outcome com = RunOn(Road::Com, "11.0", command);
    EXPECT_EQ(com, native);
    EXPECT_EQ(native.menu.size(), 13u);
  }
}

TEST_F(ThroughCom, EveryCommandFromTheRibbonDoesWhatItDoesCalledDirectly) {
  for (const Command& command : kCommands) {
    SCOPED_TRACE(command.name);
    Outcome native = RunOn(Road::Native, "16.0", command);
    Outcome com = RunOn(Road::Com, "16.0", command);
    EXPECT_EQ(com, native);
    EXPECT_THAT(native.menu, IsEmpty());
  }
}

// Undo lives on the menu only: it brings back what the last removal cleared.
TEST_F(ThroughCom, UndoFromTheMenuRestoresWhatTheRemovalCleared) {
  auto removeThenUndo = [](Road road) {
    Outcome outcome;
    Host host(road, "11.0");
    Names(host);
    PressYes(host);
    host.Run("KX19", nullptr);
    host.Run("KX16", nullptr);
    host.Run("KX16", nullptr);  // as often as the user likes
    EXPECT_THAT(host.screen.Finish(), IsEmpty());
    outcome = host.Seen();
    host.app->Shutdown();
    EXPECT_EQ(standin::LiveObjects(), 0);
    return outcome;
  };
  Outcome native = removeThenUndo(Road::Native);
  EXPECT_EQ(removeThenUndo(Road::Com), native);
  EXPECT_EQ(native.cells[1], "A2 \"Ann\" fill -4142");
}

// The add-in's own Exit unloads it from inside its click or ribbon callback; the user then
// ticks it again in the host's add-in list, and later unticks it.
TEST_F(ThroughCom, ExitUntickAndTickAgainLeaveOneMenuAndNoReference) {
  for (const char* version : {"11.0", "16.0"}) {
    SCOPED_TRACE(version);
    Host host(Road::Com, version);
    host.Run("KX17", "hTO");
    EXPECT_FALSE(host.Connected());
    EXPECT_EQ(standin::LiveObjects(), 0);
    EXPECT_THAT(host.Seen().menu, IsEmpty());

    auto entry = host.app->COMAddIns().value()->Item("Kestrix.Connect").value();
    ASSERT_TRUE(entry->SetConnect(true).ok());
    EXPECT_TRUE(host.Connected());
    ASSERT_TRUE(entry->SetConnect(true).ok());  // ticking a ticked add-in changes nothing
    EXPECT_EQ(host.Seen().menu.size(), std::string(version) == "11.0" ? 13u : 0u);

    // Still working after coming back.
    Names(host);
    PressYes(host);
    DismissResult(host);
    host.Run("KX26", "ctDR");
    EXPECT_THAT(host.screen.Finish(), IsEmpty());
    EXPECT_EQ(host.screen.Showings().back().Form, "frmResult");

    ASSERT_TRUE(entry->SetConnect(false).ok());
    EXPECT_THAT(host.Seen().menu, IsEmpty());
    entry.reset();
    EXPECT_EQ(standin::LiveObjects(), 0);
  }
}

}  // namespace
}  // namespace kx::testing
