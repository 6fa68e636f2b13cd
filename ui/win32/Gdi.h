#pragma once
// Colours and fonts as Windows draws them: OLE colours (a system colour or a BGR value) become
// COLORREFs, and the brushes and fonts the windows need are made once and kept until the driver
// goes.

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "ui/Color.h"
#include "ui/ControlBase.h"

namespace kx::ui::win32 {

// A system colour (0x800000nn) is looked up now; any other value is already blue-green-red.
COLORREF ToColorRef(OleColor colour);

class Gdi {
 public:
  Gdi() = default;
  Gdi(const Gdi&) = delete;
  Gdi& operator=(const Gdi&) = delete;
  ~Gdi();

  HBRUSH Brush(COLORREF colour);
  // The font at the display's DPI; sizes are points whatever units the form uses.
  HFONT Font(const ui::Font& font, int dpi);

 private:
  std::map<COLORREF, HBRUSH> brushes_;
  std::map<std::tuple<std::wstring, int, bool>, HFONT> fonts_;
};

}  // namespace kx::ui::win32
