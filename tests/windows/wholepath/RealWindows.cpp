#include "tests/windows/wholepath/RealWindows.h"

#include "standin/Standin.h"
#include "tests/windows/win32ui/User.h"

namespace kx::testing {

RibbonHostWindow::RibbonHostWindow() {
  WNDCLASSEXW type{sizeof type};
  type.lpfnWndProc = &::DefWindowProcW;
  type.hInstance = ::GetModuleHandleW(nullptr);
  type.lpszClassName = L"KestrixTestHost";
  ::RegisterClassExW(&type);
  window = ::CreateWindowExW(0, L"KestrixTestHost", L"Book1", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 900, 700,
                             nullptr, nullptr, type.hInstance, nullptr);
  ::SetForegroundWindow(window);
  ::SetActiveWindow(window);
}

RibbonHostWindow::~RibbonHostWindow() { ::DestroyWindow(window); }

std::vector<HWND> AddinWindows() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM list) -> BOOL {
        wchar_t type[64] = {};
        ::GetClassNameW(window, type, 64);
        if (std::wstring(type) == L"KestrixForm" && ::IsWindowVisible(window)) {
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<Found> Children(HWND window) {
  std::vector<Found> children;
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM list) -> BOOL {
        wchar_t type[64] = {};
        ::GetClassNameW(child, type, 64);
        if (::IsWindowVisible(child)) {
          reinterpret_cast<std::vector<Found>*>(list)->push_back({type, TextOf(child), child});
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

std::pair<HWND, HWND> Showing(const std::wstring& text) {
  for (HWND window : AddinWindows()) {
    for (const Found& child : Children(window)) {
      if (child.text.find(text) != std::wstring::npos) return {window, child.window};
    }
  }
  return {nullptr, nullptr};
}

HWND ChildOfType(HWND window, const wchar_t* type) {
  for (const Found& child : Children(window)) {
    if (_wcsicmp(child.type.c_str(), type) == 0) return child.window;
  }
  return nullptr;
}

std::shared_ptr<memhost::Application> StartRibbonHost() {
  auto app = std::make_shared<memhost::Application>("16.0");
  app->AddBook();
  app->RegisterAddIn(standin::ComAddInRegistration("Kestrix.Connect", "Kestrix", "Add-In Project Template", 3));
  if (!app->Start().ok()) return nullptr;
  return app;
}

}  // namespace kx::testing
