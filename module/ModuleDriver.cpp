#include "module/ModuleDriver.h"

#include <windows.h>

#include <cwchar>

#include "module/ActivatedDriver.h"
#include "module/ModuleState.h"
#include "ui/win32/Win32Driver.h"

namespace kx::module {

namespace {

using TestDriverExport = ui::Driver* (*)();

bool IsOurs(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return std::wcscmp(name, L"KestrixForm") == 0;
}

BOOL CALLBACK TakeMainWindow(HWND window, LPARAM found) {
  if (!::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER) != nullptr || IsOurs(window)) {
    return TRUE;
  }
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// The host's main window: the top-level window of this (the host's user-interface) thread that
// the active window belongs to, else its first visible top-level window that is not ours.
HWND HostMainWindow() {
  HWND active = ::GetActiveWindow();
  if (active != nullptr) {
    HWND root = ::GetAncestor(active, GA_ROOTOWNER);
    if (root != nullptr && !IsOurs(root)) return root;
  }
  HWND found = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &TakeMainWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}

}  // namespace

ui::Driver& ModuleDriver() {
  static ui::Driver* driver = []() -> ui::Driver* {
    auto provided = reinterpret_cast<TestDriverExport>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleW(nullptr), "KestrixTestDriver")));
    if (provided != nullptr) {
      if (ui::Driver* own = provided()) return own;
    }
    // The windows' procedures and hook live in this module: once it has drawn a window it stays
    // loaded for the rest of the host's life, and the driver with it (never destroyed from
    // DllMain at process exit, where destroying windows is not safe).
    LockModule();
    auto* windows = new ui::Win32Driver(&HostMainWindow);
    return new ActivatedDriver(*windows, ActivatedDriver::ModuleContext(ThisModule()));
  }();
  return *driver;
}

}  // namespace kx::module
