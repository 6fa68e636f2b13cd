#pragma once
// The user at the screen, for the Win32 driver's tests: steps that wait until a window shows what
// they need and then act on it with window messages, as clicks and keys arrive from Windows.
// A thread timer looks at the steps while the add-in's own loops run (a modal show, DoEvents, a
// message box), so the test queues what the user does and then runs the command.
//
//   User user;
//   user.When("press Yes", [&] { return Reachable(driver.ControlWindowOf(bar, "CommandButton1")); },
//             [&] { Click(driver.ControlWindowOf(bar, "CommandButton1")); });
//   runner::ConfirmCountDuplicates(state);
//   EXPECT_THAT(user.Pending(), IsEmpty());

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kx::testing {

class User {
 public:
  User();
  User(const User&) = delete;
  User& operator=(const User&) = delete;
  ~User();

  // Queues a step; steps happen in order, each once its condition holds.
  void When(std::string what, std::function<bool()> ready, std::function<void()> act);
  // The steps that have not happened, by what they do. A step still waiting after 20 seconds is
  // given up, and so is a show still running 20 seconds after the last step: every window of
  // the program but the host's is closed, and should the show go on two seconds more, it is
  // ended as when the program quits, so that a failing test ends instead of waiting for ever in
  // a modal show.
  std::vector<std::string> Pending() const;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  void Step();
  void GiveUp(std::string why);

  struct Pend {
    std::string what;
    std::function<bool()> ready;
    std::function<void()> act;
  };
  std::deque<Pend> steps_;
  std::vector<std::string> givenUp_;
  std::chrono::steady_clock::time_point waitingSince_ = std::chrono::steady_clock::now();
  UINT_PTR timer_ = 0;
  bool busy_ = false;
  // Since when the steps were given up; whether the show was then ended by a quit.
  std::optional<std::chrono::steady_clock::time_point> gaveUpAt_;
  bool quitPosted_ = false;
};

// The control and the window it is on are shown and enabled: the user can reach it.
bool Reachable(HWND control);
// A click with the left button in the middle of the control.
void Click(HWND control);
// A key pressed and let go while the focus is on the control.
void PressKey(HWND control, UINT key);
// The message box up now with the given owner, or null.
HWND MessageBoxOwnedBy(HWND owner);
// Lets Windows deliver what is waiting, for about the given time or until the condition holds.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10));

// What Windows tells of a child window.
struct ChildWindow {
  std::wstring type;  // its window class
  std::wstring text;
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT box{};  // on its parent's client area
};
ChildWindow Describe(HWND child);
std::wstring TextOf(HWND window);
// The face name, height and weight of the font the window draws with.
LOGFONTW FontOf(HWND window);
// The colour on screen at a point of a window's client area.
COLORREF PixelAt(HWND window, int x, int y);

}  // namespace kx::testing
