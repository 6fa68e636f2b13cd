// win32ui_screens: every window of the add-in as a user meets it, each held still while
// scripts/screenshots.sh photographs the screen. For each picture the program writes
// "SHOT <name> <left> <top> <right> <bottom>" (the screen rectangle to keep) and waits for a line
// back before it goes on.

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "addin/frmUG.h"
#include "engines/frmCol.h"
#include "preventer/frmDupPrev.h"
#include "runner/FrontEnds.h"
#include "runner/frmPrgBar.h"
#include "runner/frmResult.h"
#include "tests/windows/win32ui/AddinOnScreen.h"
#include "tests/windows/win32ui/User.h"
#include "ui/AddinTexts.h"

namespace kx::testing {
namespace {

// Lets Windows paint everything and hand it to the display before the picture is taken.
void Settle() {
  for (int i = 0; i < 8; ++i) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 40, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
}

// The window's rectangle, widened to any tooltip of this program that is up.
RECT Around(HWND window) {
  RECT box;
  ::GetWindowRect(window, &box);
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND other, LPARAM data) -> BOOL {
        wchar_t type[64] = {};
        ::GetClassNameW(other, type, 64);
        if (std::wstring(type) == TOOLTIPS_CLASSW && ::IsWindowVisible(other)) {
          RECT tip;
          ::GetWindowRect(other, &tip);
          ::UnionRect(reinterpret_cast<RECT*>(data), reinterpret_cast<RECT*>(data), &tip);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&box));
  return box;
}

void Shot(const char* name, HWND window) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Settle();
  const RECT box = Around(window);
  std::printf("SHOT %s %ld %ld %ld %ld\n", name, box.left, box.top, box.right, box.bottom);
  std::fflush(stdout);
  char answer[64];
  if (std::fgets(answer, sizeof answer, stdin) == nullptr) std::exit(1);
}

// The mouse rests on the middle of a control, so that its tooltip comes up.
void HoverOver(HWND control) {
  RECT box;
  ::GetWindowRect(control, &box);
  const int width = ::GetSystemMetrics(SM_CXSCREEN);
  const int height = ::GetSystemMetrics(SM_CYSCREEN);
  INPUT move{};
  move.type = INPUT_MOUSE;
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  move.mi.dx = ((box.left + box.right) / 2) * 65535 / (width - 1);
  move.mi.dy = ((box.top + box.bottom) / 2) * 65535 / (height - 1);
  ::SendInput(1, &move, sizeof move);
  move.mi.dx += 40;  // a second small move, as a resting hand makes
  ::SendInput(1, &move, sizeof move);
  for (int i = 0; i < 30; ++i) Settle();
}

std::vector<std::string> Values(int rows) {
  std::vector<std::string> values;
  for (int i = 0; i < rows; ++i) values.push_back("Item " + std::to_string(i % 700));
  return values;
}

void Run() {
  AddinOnScreen on;
  on.FillColumn(Values(3000));
  User user;

  // Count duplicates: the question, the run, the result.
  user.When("asking", [&] { return Reachable(on.ControlOf<runner::frmPrgBar>("CommandButton1")); },
            [&] {
              Shot("progress-asking", on.WindowOf<runner::frmPrgBar>());
              Click(on.ControlOf<runner::frmPrgBar>("CommandButton1"));
            });
  on.screen.AtYield(1200, [&] {
    on.Repaint();
    Shot("progress-running", on.WindowOf<runner::frmPrgBar>());
  });
  user.When("result", [&] { return Reachable(on.ControlOf<runner::frmResult>("Command1")); },
            [&] {
              Shot("result", on.WindowOf<runner::frmResult>());
              Click(on.ControlOf<runner::frmResult>("Command1"));
            });
  runner::ConfirmCountDuplicates(on.state);

  // Colour duplicates: the chooser, a swatch picked and another one's tooltip; then cancelled.
  user.When("yes", [&] { return Reachable(on.ControlOf<runner::frmPrgBar>("CommandButton1")); },
            [&] { Click(on.ControlOf<runner::frmPrgBar>("CommandButton1")); });
  user.When("pick", [&] { return Reachable(on.ControlOf<engines::frmCol>("Command1")); },
            [&] { Click(on.ControlOf<engines::frmCol>("lblColIndex", 7)); });
  user.When("hover", [&] { return on.WindowOf<engines::frmCol>() != nullptr; },
            [&] {
              HoverOver(on.ControlOf<engines::frmCol>("lblColIndex", 5));
              Shot("colour-chooser", on.WindowOf<engines::frmCol>());
              Click(on.ControlOf<engines::frmCol>("Command2"));
            });
  user.When("no", [&] { return Reachable(on.ControlOf<runner::frmPrgBar>("CommandButton2")); },
            [&] { Click(on.ControlOf<runner::frmPrgBar>("CommandButton2")); });
  runner::ConfirmColorDuplicateRows(on.state);

  user.When("preventer", [&] { return Reachable(on.ControlOf<preventer::frmDupPrev>("Command2")); },
            [&] {
              Shot("duplicate-preventer", on.WindowOf<preventer::frmDupPrev>());
              Click(on.ControlOf<preventer::frmDupPrev>("Command2"));
            });
  on.state.Forms.Get<preventer::frmDupPrev>().Show(ui::ShowStyle::Modal);

  on.state.Forms.Get<addin::frmUG>().Show(ui::ShowStyle::Modeless);
  Shot("about", on.WindowOf<addin::frmUG>());
  on.state.Forms.Unload<addin::frmUG>();

  user.When("message", [&] { return MessageBoxOwnedBy(on.host.Handle()) != nullptr; },
            [&] {
              HWND box = MessageBoxOwnedBy(on.host.Handle());
              Shot("message-box", box);
              ::PostMessageW(box, WM_COMMAND, IDOK, 0);
            });
  on.screen.MsgBox(ui::text::SelectSingleColumn);
}

}  // namespace
}  // namespace kx::testing

int main() {
  kx::testing::Run();
  std::printf("DONE\n");
  std::fflush(stdout);
  return 0;
}
