// The user at the add-in's windows, with clicks and keys as Windows delivers them: the progress
// window's Yes, No and Stop, the colour chooser, the Duplicate Preventer's choices, the About
// window's link, message boxes, dragging, the keyboard alone and the title bar's close box.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "addin/frmUG.h"
#include "engines/frmCol.h"
#include "host/Host.h"
#include "preventer/frmDupPrev.h"
#include "runner/FrontEnds.h"
#include "runner/frmPrgBar.h"
#include "runner/frmResult.h"
#include "tests/windows/win32ui/AddinOnScreen.h"
#include "tests/windows/win32ui/User.h"
#include "ui/AddinTexts.h"

namespace kx::testing {
namespace {

using ::testing::IsEmpty;
using runner::frmPrgBar;
using runner::frmResult;

class PlayingTheUser : public ::testing::Test {
 protected:
  template <class F>
  bool CanPress(const std::string& name, int index = -1) {
    return Reachable(on.ControlOf<F>(name, index));
  }
  template <class F>
  void Press(const std::string& name, int index = -1) {
    Click(on.ControlOf<F>(name, index));
  }
  // The result window's number and message once it is up; then its OK.
  void ReadResultThenOk(std::wstring& number, std::wstring& message) {
    user.When("read the result and press OK", [this] { return CanPress<frmResult>("Command1"); }, [&, this] {
      number = TextOf(on.ControlOf<frmResult>("lblResult"));
      message = TextOf(on.ControlOf<frmResult>("lblMessage"));
      Press<frmResult>("Command1");
    });
  }
  void ExpectEverythingClosed() {
    EXPECT_THAT(user.Pending(), IsEmpty());
    EXPECT_FALSE(on.state.Forms.IsLoaded<frmPrgBar>());
    EXPECT_FALSE(on.state.Forms.IsLoaded<frmResult>());
    EXPECT_FALSE(on.state.Forms.IsLoaded<engines::frmCol>());
    EXPECT_TRUE(::IsWindowEnabled(on.host.Handle())) << "the host is usable again";
  }

  AddinOnScreen on;
  User user;
};

TEST_F(PlayingTheUser, YesRunsTheCountWhileTheHostWaitsAndOkClosesTheResult) {
  on.FillColumn({"a", "b", "a", "c", "b", "a"});
  HWND progress = nullptr;
  bool hostWaited = false;
  HWND active = nullptr;
  user.When("press Yes", [this] { return CanPress<frmPrgBar>("CommandButton1"); }, [&, this] {
    progress = on.WindowOf<frmPrgBar>();
    hostWaited = !::IsWindowEnabled(on.host.Handle());
    active = ::GetActiveWindow();
    EXPECT_EQ(::GetWindow(progress, GW_OWNER), on.host.Handle());
    EXPECT_EQ(TextOf(on.ControlOf<frmPrgBar>("lblStatus")), L"Do You want to Count 'Duplicate' Entries in Selection?");
    Press<frmPrgBar>("CommandButton1");
  });
  std::wstring number, message;
  ReadResultThenOk(number, message);

  runner::ConfirmCountDuplicates(on.state);

  EXPECT_TRUE(hostWaited);
  EXPECT_EQ(active, progress);
  EXPECT_EQ(number, L"5");
  EXPECT_EQ(message, L"Duplicate Entries Found in Selection!");
  EXPECT_FALSE(::IsWindow(progress)) << "an unloaded form leaves no window";
  ExpectEverythingClosed();
}

TEST_F(PlayingTheUser, NoClosesTheProgressWindowWithoutRunning) {
  on.FillColumn({"a", "a"});
  HWND progress = nullptr;
  user.When("press No", [this] { return CanPress<frmPrgBar>("CommandButton2"); }, [&, this] {
    progress = on.WindowOf<frmPrgBar>();
    Press<frmPrgBar>("CommandButton2");
  });
  runner::ConfirmCountDuplicates(on.state);
  EXPECT_EQ(on.screen.Yields(), 0) << "no engine ran";
  EXPECT_FALSE(::IsWindow(progress));
  ExpectEverythingClosed();
}

TEST_F(PlayingTheUser, StopClickedDuringTheRunEndsItAndTheRowsVisitedAreCounted) {
  constexpr long kRows = 200000;
  on.FillColumn(std::vector<std::string>(kRows, "same"));
  user.When("press Yes", [this] { return CanPress<frmPrgBar>("CommandButton1"); },
            [this] { Press<frmPrgBar>("CommandButton1"); });
  // The first yield is the Yes handler's own; from the second on, one as each row starts. The
  // driver looks at the user's clicks every few milliseconds, not at every yield: the click
  // posted after the 100th is taken a little later, and the run ends at the row it was taken on.
  long barAtClick = -1;
  bool stopInPlaceOfYes = false;
  bool stopHasFocus = false;
  on.screen.AtYield(100, [&, this] {
    stopHasFocus = ::GetFocus() == on.ControlOf<frmPrgBar>("CommandButton3");
    on.Repaint();
    barAtClick = static_cast<long>(::SendMessageW(on.ControlOf<frmPrgBar>("ProgressBar1"), PBM_GETPOS, 0, 0));
    stopInPlaceOfYes = CanPress<frmPrgBar>("CommandButton3") && !::IsWindowVisible(on.ControlOf<frmPrgBar>("CommandButton1")) &&
                       !::IsWindowVisible(on.ControlOf<frmPrgBar>("CommandButton2"));
    Press<frmPrgBar>("CommandButton3");
  });
  std::wstring number, message;
  ReadResultThenOk(number, message);

  runner::ConfirmCountDuplicates(on.state);

  EXPECT_TRUE(stopInPlaceOfYes);
  EXPECT_TRUE(stopHasFocus) << "the keyboard can reach Stop at once";
  EXPECT_EQ(barAtClick, 98) << "the bar follows the rows done";
  const long visited = on.screen.Yields() - 1;
  EXPECT_GE(visited, 100) << "the click came after row 99";
  EXPECT_LT(visited, kRows) << "the run ended when Stop was taken";
  EXPECT_EQ(number, std::to_wstring(visited)) << "every row visited is a duplicate, and only those were counted";
  ExpectEverythingClosed();
}

TEST_F(PlayingTheUser, SwatchThenOkColoursWithThatIndexAndCancelAsksAgain) {
  on.FillColumn({"x", "y", "x"});
  HWND progress = nullptr;
  user.When("press Yes", [this] { return CanPress<frmPrgBar>("CommandButton1"); }, [&, this] {
    progress = on.WindowOf<frmPrgBar>();
    Press<frmPrgBar>("CommandButton1");
  });
  user.When("click swatch 36", [this] { return CanPress<engines::frmCol>("Command1"); }, [&, this] {
    HWND chooser = on.WindowOf<engines::frmCol>();
    EXPECT_EQ(::GetWindow(chooser, GW_OWNER), progress) << "shown over the progress window";
    EXPECT_FALSE(::IsWindowEnabled(progress));
    Press<engines::frmCol>("lblColIndex", 7);
  });
  user.When("see the preview, press OK",
            [this] { return TextOf(on.ControlOf<engines::frmCol>("lblColIndexFinal")) == L"36"; }, [this] {
              EXPECT_EQ(PixelAt(on.ControlOf<engines::frmCol>("lblColIndexFinal"), 4, 4), RGB(255, 255, 192));
              Press<engines::frmCol>("Command1");
            });
  std::wstring number, message;
  ReadResultThenOk(number, message);
  runner::ConfirmColorDuplicateRows(on.state);
  EXPECT_EQ(on.state.SelectedColorIndex, host::Variant("36"));
  EXPECT_EQ(number, L"2");
  EXPECT_EQ(on.app->Range("A1").value()->Interior().value()->ColorIndex().value(), host::Variant(36.0));

  // Again, and CANCEL: the question comes back, Stop hidden, and No ends it.
  user.When("press Yes", [this] { return CanPress<frmPrgBar>("CommandButton1"); },
            [this] { Press<frmPrgBar>("CommandButton1"); });
  user.When("press CANCEL", [this] { return CanPress<engines::frmCol>("Command2"); },
            [this] { Press<engines::frmCol>("Command2"); });
  bool askedAgain = false;
  user.When("press No", [this] { return CanPress<frmPrgBar>("CommandButton2"); }, [&, this] {
    askedAgain = CanPress<frmPrgBar>("CommandButton1") && !::IsWindowVisible(on.ControlOf<frmPrgBar>("CommandButton3"));
    Press<frmPrgBar>("CommandButton2");
  });
  runner::ConfirmColorDuplicateRows(on.state);
  EXPECT_TRUE(askedAgain);
  EXPECT_TRUE(on.state.ColorChoiceCancelled);
  EXPECT_EQ(on.state.SelectedColorIndex, host::Variant("36"));
  ExpectEverythingClosed();
}

TEST_F(PlayingTheUser, ClosingTheChooserByItsTitleBarRunsNeitherButton) {
  on.FillColumn({"x", "x"});
  on.state.SelectedColorIndex = host::Variant("44");
  user.When("press Yes", [this] { return CanPress<frmPrgBar>("CommandButton1"); },
            [this] { Press<frmPrgBar>("CommandButton1"); });
  user.When("click a swatch, close by the title bar", [this] { return CanPress<engines::frmCol>("Command1"); },
            [this] {
              Press<engines::frmCol>("lblColIndex", 7);
              ::PostMessageW(on.WindowOf<engines::frmCol>(), WM_SYSCOMMAND, SC_CLOSE, 0);
            });
  std::wstring number, message;
  ReadResultThenOk(number, message);
  runner::ConfirmColorDuplicateRows(on.state);
  EXPECT_EQ(on.state.SelectedColorIndex, host::Variant("44"));
  EXPECT_FALSE(on.state.ColorChoiceCancelled);
  ExpectEverythingClosed();
}

TEST_F(PlayingTheUser, PreventerChoicesFollowTheModelAndApplyUsesThem) {
  on.FillColumn({"p", "q", "r"});
  auto& dialog = on.state.Forms.Get<preventer::frmDupPrev>();
  const auto checked = [this](const char* name) {
    return ::SendMessageW(on.ControlOf<preventer::frmDupPrev>(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
  };
  user.When("choose Deactivate", [this] { return CanPress<preventer::frmDupPrev>("Command1"); },
            [this] { Press<preventer::frmDupPrev>("optDeAct"); });
  user.When("arrow back up to Activate", [&] { return checked("optDeAct"); }, [&, this] {
    EXPECT_FALSE(checked("optAct"));
    EXPECT_TRUE(dialog.optDeAct.Value);
    PressKey(on.ControlOf<preventer::frmDupPrev>("optDeAct"), VK_UP);
  });
  user.When("untick the column", [&] { return checked("optAct"); }, [&, this] {
    EXPECT_FALSE(checked("optDeAct"));
    EXPECT_EQ(::GetFocus(), on.ControlOf<preventer::frmDupPrev>("optAct"));
    Press<preventer::frmDupPrev>("chkSelCol");
  });
  user.When("Apply", [&] { return !checked("chkSelCol"); }, [&, this] {
    EXPECT_FALSE(dialog.chkSelCol.Value);
    Press<preventer::frmDupPrev>("Command1");
  });
  user.When("close by the title bar",
            [this] { return on.app->Range("A2").value()->Validation().value()->Type().ok(); },
            [this] { ::PostMessageW(on.WindowOf<preventer::frmDupPrev>(), WM_CLOSE, 0, 0); });
  dialog.Show(ui::ShowStyle::Modal);

  EXPECT_THAT(user.Pending(), IsEmpty());
  EXPECT_FALSE(on.state.Forms.IsLoaded<preventer::frmDupPrev>());
  EXPECT_FALSE(on.app->Range("A5").value()->Validation().value()->Type().ok())
      << "the rule covers the selection only, as the unticked box asked";
  EXPECT_TRUE(::IsWindowEnabled(on.host.Handle()));
}

TEST_F(PlayingTheUser, KeyboardAloneMovesByTabAndPressesWithEnterAndSpace) {
  on.FillColumn({"k", "k"});
  std::vector<HWND> stops;
  user.When("Tab from Yes", [this] { return CanPress<frmPrgBar>("CommandButton1"); }, [&, this] {
    stops.push_back(::GetFocus());
    PressKey(::GetFocus(), VK_TAB);
  });
  user.When("Escape, then Enter on No", [this] { return ::GetFocus() == on.ControlOf<frmPrgBar>("CommandButton2"); },
            [&] {
              stops.push_back(::GetFocus());
              PressKey(::GetFocus(), VK_ESCAPE);  // no cancel button: nothing happens
              PressKey(::GetFocus(), VK_RETURN);
            });
  runner::ConfirmCountDuplicates(on.state);
  ASSERT_EQ(stops.size(), 2u);
  EXPECT_EQ(on.screen.Yields(), 0) << "Enter pressed No, not Yes";
  EXPECT_FALSE(on.state.Forms.IsLoaded<frmPrgBar>());

  // The preventer: Tab follows the model's order, one stop for the option group; Space ticks.
  auto& dialog = on.state.Forms.Get<preventer::frmDupPrev>();
  std::vector<std::string> order;
  const auto nameOf = [this](HWND focus) {
    for (const auto name : preventer::frmDupPrev::kTabOrder) {
      if (on.ControlOf<preventer::frmDupPrev>(std::string(name)) == focus) return std::string(name);
    }
    return std::string("?");
  };
  for (int i = 0; i < 4; ++i) {
    user.When("Tab", [this] { return CanPress<preventer::frmDupPrev>("Command2"); }, [&] {
      order.push_back(nameOf(::GetFocus()));
      PressKey(::GetFocus(), VK_TAB);
    });
  }
  user.When("Space on the box", [this] { return ::GetFocus() == on.ControlOf<preventer::frmDupPrev>("chkSelCol"); },
            [&] {
              order.push_back(nameOf(::GetFocus()));
              PressKey(::GetFocus(), VK_SPACE);
            });
  user.When("Tab to Close, Enter", [&] { return !dialog.chkSelCol.Value; }, [this] {
    for (int i = 0; i < 3; ++i) PressKey(on.ControlOf<preventer::frmDupPrev>("chkSelCol"), VK_TAB);
  });
  user.When("Enter", [this] { return ::GetFocus() == on.ControlOf<preventer::frmDupPrev>("Command2"); },
            [] { PressKey(::GetFocus(), VK_RETURN); });
  dialog.Show(ui::ShowStyle::Modal);
  EXPECT_THAT(user.Pending(), IsEmpty());
  EXPECT_THAT(order, ::testing::ElementsAre("chkSelCol", "optAct", "Command1", "Command2", "chkSelCol"));
  EXPECT_FALSE(on.state.Forms.IsLoaded<preventer::frmDupPrev>());
}

TEST_F(PlayingTheUser, PressOnTheBackgroundDragsTheProgressWindow) {
  on.FillColumn({"d"});
  RECT before{}, after{};
  user.When("drag by the background", [this] { return CanPress<frmPrgBar>("CommandButton2"); }, [&, this] {
    HWND window = on.WindowOf<frmPrgBar>();
    ::GetWindowRect(window, &before);
    POINT from{30, 70};  // below the question, above the bar: bare background
    ::ClientToScreen(window, &from);
    // The mouse is a device: its moves come from another thread while this one runs the drag.
    // On a busy machine the press may reach this thread late, so the hand waits until the
    // window is being moved before moving, and lets go again until the move has ended: a
    // let-go that arrived before the move began would leave the move waiting for one.
    const DWORD runner = ::GetCurrentThreadId();
    std::thread hand([from, runner] {
      const auto move = [](int x, int y, DWORD buttons) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = x * 65535 / (::GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = y * 65535 / (::GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | buttons;
        ::SendInput(1, &input, sizeof input);
        ::Sleep(60);
      };
      const auto moving = [runner] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return ::GetGUIThreadInfo(runner, &info) && ((info.flags & GUI_INMOVESIZE) || info.hwndMoveSize);
      };
      move(from.x, from.y, 0);
      move(from.x, from.y, MOUSEEVENTF_LEFTDOWN);
      bool seen = false;  // whether the window was seen being moved
      for (int wait = 0; wait < 400 && !(seen = moving()); ++wait) ::Sleep(30);
      for (int step = 1; step <= 4; ++step) move(from.x + 15 * step, from.y + 10 * step, 0);
      // Let go until the move has been seen to end. A move that begins only now (the press
      // came later still) gets its let-go too, rather than waiting for one for ever.
      move(from.x + 60, from.y + 40, MOUSEEVENTF_LEFTUP);
      for (int wait = 0; wait < 200; ++wait) {
        const bool now = moving();
        seen = seen || now;
        if (now) move(from.x + 60, from.y + 40, MOUSEEVENTF_LEFTUP);
        else if (seen) break;
        else ::Sleep(50);
      }
    });
    hand.detach();
  });
  // Not while Windows still moves the window: its move ends at the next let-go it reads, and a
  // let-go posted to the button would end the move instead of the click.
  user.When("press No once it moved", [&, this] {
    ::GetWindowRect(on.WindowOf<frmPrgBar>(), &after);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const bool moving = ::GetGUIThreadInfo(::GetCurrentThreadId(), &info) &&
                        ((info.flags & GUI_INMOVESIZE) || info.hwndMoveSize);
    return after.left != before.left && !moving && !(::GetAsyncKeyState(VK_LBUTTON) & 0x8000);
  }, [this] { Press<frmPrgBar>("CommandButton2"); });
  runner::ConfirmCountDuplicates(on.state);
  EXPECT_THAT(user.Pending(), IsEmpty());
  EXPECT_EQ(after.left - before.left, 60);
  EXPECT_EQ(after.top - before.top, 40);
}

TEST_F(PlayingTheUser, AboutLinkOpensTheMakersSiteAndTheTitleBarClosesIt) {
  auto& about = on.state.Forms.Get<addin::frmUG>();
  about.Show(ui::ShowStyle::Modeless);
  HWND window = on.driver.WindowOf(about);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(::IsWindowEnabled(on.host.Handle())) << "shown from the menu, the host stays usable";
  Click(on.driver.ControlWindowOf(about, "Label21"));
  ASSERT_TRUE(PumpUntil([this] { return !on.opened.empty(); }));
  EXPECT_EQ(on.opened.front().address, L"https://kestrix.example");
  EXPECT_EQ(on.opened.front().owner, window);

  ::PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(PumpUntil([this] { return !on.state.Forms.IsLoaded<addin::frmUG>(); }));
  EXPECT_FALSE(::IsWindow(window));
}

TEST_F(PlayingTheUser, MessageBoxIsTheSystemsWithOkOnlyOwnedByTheHost) {
  std::wstring title, text;
  bool hostWaited = false, okOnly = false;
  user.When("read the box and press OK", [this] { return MessageBoxOwnedBy(on.host.Handle()) != nullptr; }, [&, this] {
    HWND box = MessageBoxOwnedBy(on.host.Handle());
    title = TextOf(box);
    text = TextOf(::GetDlgItem(box, 0xFFFF));
    hostWaited = !::IsWindowEnabled(on.host.Handle());
    okOnly = ::IsWindowVisible(::GetDlgItem(box, IDOK)) && ::GetDlgItem(box, IDCANCEL) == nullptr &&
             ::GetDlgItem(box, IDNO) == nullptr;
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  on.screen.MsgBox(ui::text::SelectionEmpty);
  EXPECT_THAT(user.Pending(), IsEmpty());
  EXPECT_EQ(title, L"Kestrix");
  EXPECT_EQ(text, L"Selection is Empty!");
  EXPECT_TRUE(hostWaited);
  EXPECT_TRUE(okOnly);
  EXPECT_TRUE(::IsWindowEnabled(on.host.Handle()));
}

TEST_F(PlayingTheUser, NoWindowOutlivesItsForm) {
  auto& result = on.state.Forms.Get<frmResult>();
  result.Show(ui::ShowStyle::Modeless);
  HWND shown = on.driver.WindowOf(result);
  ASSERT_TRUE(::IsWindow(shown));
  on.state.Forms.Unload<frmResult>();
  EXPECT_FALSE(::IsWindow(shown)) << "unloading destroys the window at once";

  HWND about = nullptr;
  {
    ui::AddinState gone(on.screen);
    auto& form = gone.Forms.Get<addin::frmUG>();
    form.Show(ui::ShowStyle::Modeless);
    about = on.driver.WindowOf(form);
    ASSERT_TRUE(::IsWindow(about));
  }
  // The form went with its state, never unloaded: the driver's next turn takes its window.
  on.screen.DoEvents();
  EXPECT_FALSE(::IsWindow(about));
}

}  // namespace
}  // namespace kx::testing
