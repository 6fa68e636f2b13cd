#include "tests/windows/win32ui/AddinOnScreen.h"

#include "host/Host.h"

namespace kx::testing {

HostWindow::HostWindow() {
  WNDCLASSEXW type{sizeof type};
  type.lpfnWndProc = ::DefWindowProcW;
  type.hInstance = ::GetModuleHandleW(nullptr);
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  type.lpszClassName = L"KestrixTestHost";
  ::RegisterClassExW(&type);
  window_ = ::CreateWindowExW(0, L"KestrixTestHost", L"Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 1000,
                              720, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

HostWindow& HostWindow::Shared() {
  static HostWindow host;
  return host;
}

AddinOnScreen::AddinOnScreen() {
  state.HostApp = app;
  app->AddBook();
}

void AddinOnScreen::FillColumn(const std::vector<std::string>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    auto cell = app->Range("A" + std::to_string(i + 1));
    if (cell.ok()) (void)(*cell)->SetValue(host::Variant(values[i]));
  }
  (void)app->SelectAddress("A1:A" + std::to_string(values.size()));
}

void AddinOnScreen::Repaint() {
  // Longer than the driver waits between repaints.
  ::Sleep(60);
  driver.DoEvents();
}

}  // namespace kx::testing
