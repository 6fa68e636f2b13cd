#include "tests/windows/win32ui/User.h"

namespace kx::testing {

namespace {

thread_local User* t_user = nullptr;

LPARAM ClientPoint(int x, int y) {
  return static_cast<LPARAM>(static_cast<unsigned long>(static_cast<unsigned short>(x)) |
                             (static_cast<unsigned long>(static_cast<unsigned short>(y)) << 16));
}

}  // namespace

User::User() {
  t_user = this;
  timer_ = ::SetTimer(nullptr, 0, 20, &User::Tick);
}

User::~User() {
  ::KillTimer(nullptr, timer_);
  if (t_user == this) t_user = nullptr;
  // A quit that ended a stuck show is not left for the next test's loops.
  if (quitPosted_) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
}

void User::When(std::string what, std::function<bool()> ready, std::function<void()> act) {
  if (steps_.empty()) waitingSince_ = std::chrono::steady_clock::now();
  steps_.push_back(Pend{std::move(what), std::move(ready), std::move(act)});
}

std::vector<std::string> User::Pending() const {
  std::vector<std::string> pending = givenUp_;
  for (const auto& step : steps_) pending.push_back(step.what);
  return pending;
}

void CALLBACK User::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (t_user != nullptr) t_user->Step();
}

void User::Step() {
  // A step that lets Windows deliver messages must not see the timer start it again.
  if (busy_) return;
  const auto now = std::chrono::steady_clock::now();
  if (gaveUpAt_) {
    // The windows were asked to close; a show that still runs is ended as when the program
    // quits, which every modal loop of the driver gives way to.
    if (!quitPosted_ && now - *gaveUpAt_ >= std::chrono::seconds(2)) {
      quitPosted_ = true;
      ::PostQuitMessage(0);
    }
    return;
  }
  if (steps_.empty()) {
    // Every step has happened and a loop still runs long after: the steps did not end the show
    // as the test meant them to.
    const bool stuck = now - waitingSince_ >= std::chrono::seconds(20);
    if (stuck) GiveUp("the show to end after the last step");
    return;
  }
  if (!steps_.front().ready()) {
    const bool stuck = now - waitingSince_ >= std::chrono::seconds(20);
    if (stuck) GiveUp("waiting to " + steps_.front().what);
    return;
  }
  busy_ = true;
  Pend step = std::move(steps_.front());
  steps_.pop_front();
  step.act();
  waitingSince_ = std::chrono::steady_clock::now();
  busy_ = false;
}

void User::GiveUp(std::string why) {
  givenUp_.push_back("gave up " + std::move(why));
  steps_.clear();
  gaveUpAt_ = std::chrono::steady_clock::now();
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM) -> BOOL {
        wchar_t type[64] = {};
        ::GetClassNameW(window, type, 64);
        if (::IsWindowVisible(window) && std::wstring(type) != L"KestrixTestHost") {
          ::PostMessageW(window, WM_CLOSE, 0, 0);
        }
        return TRUE;
      },
      0);
}

bool Reachable(HWND control) {
  if (control == nullptr || !::IsWindowVisible(control) || !::IsWindowEnabled(control)) return false;
  HWND root = ::GetAncestor(control, GA_ROOT);
  return ::IsWindowVisible(root) && ::IsWindowEnabled(root);
}

void Click(HWND control) {
  RECT box;
  ::GetClientRect(control, &box);
  const LPARAM at = ClientPoint(box.right / 2, box.bottom / 2);
  ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(control, WM_LBUTTONUP, 0, at);
}

void PressKey(HWND control, UINT key) {
  const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  ::PostMessageW(control, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
  ::PostMessageW(control, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
}

HWND MessageBoxOwnedBy(HWND owner) {
  struct Search {
    HWND owner;
    HWND found;
  } search{owner, nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        wchar_t type[64] = {};
        ::GetClassNameW(window, type, 64);
        if (std::wstring(type) == L"#32770" && ::IsWindowVisible(window) &&
            ::GetWindow(window, GW_OWNER) == s.owner) {
          s.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return true;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

ChildWindow Describe(HWND child) {
  ChildWindow seen;
  wchar_t type[64] = {};
  ::GetClassNameW(child, type, 64);
  seen.type = type;
  seen.text = TextOf(child);
  seen.style = static_cast<DWORD>(::GetWindowLongPtrW(child, GWL_STYLE));
  seen.exStyle = static_cast<DWORD>(::GetWindowLongPtrW(child, GWL_EXSTYLE));
  ::GetWindowRect(child, &seen.box);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&seen.box), 2);
  return seen;
}

LOGFONTW FontOf(HWND window) {
  LOGFONTW font{};
  auto handle = reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
  if (handle != nullptr) ::GetObjectW(handle, sizeof font, &font);
  return font;
}

COLORREF PixelAt(HWND window, int x, int y) {
  ::RedrawWindow(::GetAncestor(window, GA_ROOT), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  ::GdiFlush();
  // Read off the screen, as the user sees it, whichever window painted it.
  POINT at{x, y};
  ::ClientToScreen(window, &at);
  HDC screen = ::GetDC(nullptr);
  const COLORREF colour = ::GetPixel(screen, at.x, at.y);
  ::ReleaseDC(nullptr, screen);
  return colour;
}

}  // namespace kx::testing
