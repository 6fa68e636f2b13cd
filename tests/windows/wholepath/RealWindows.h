#pragma once
// The add-in's windows as a user of the whole path finds them: by what they show, not by the
// model behind them, which lives inside Kestrix.dll. Shared by the whole-path tests and the
// benchmark of the same path.

#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "memhost/objects/Application.h"

namespace kx::testing {

// The ribbon host's main window, which owns the add-in's windows.
class RibbonHostWindow {
 public:
  RibbonHostWindow();
  ~RibbonHostWindow();
  RibbonHostWindow(const RibbonHostWindow&) = delete;
  RibbonHostWindow& operator=(const RibbonHostWindow&) = delete;
  HWND window = nullptr;
};

struct Found {
  std::wstring type;
  std::wstring text;
  HWND window;
};

// The add-in's windows up now, and their shown children.
std::vector<HWND> AddinWindows();
std::vector<Found> Children(HWND window);
// The add-in's window showing a child with this text, and that child; nulls when none is up.
std::pair<HWND, HWND> Showing(const std::wstring& text);
HWND ChildOfType(HWND window, const wchar_t* type);

// A ribbon host with one workbook and the add-in loaded through COM; the module must be
// registered.
std::shared_ptr<memhost::Application> StartRibbonHost();

}  // namespace kx::testing
