#include "ui/win32/Gdi.h"

#include <cmath>
#include <cstdint>
#include <cwchar>

#include "com/Text.h"

namespace kx::ui::win32 {

COLORREF ToColorRef(OleColor colour) {
  const auto bits = static_cast<std::uint32_t>(colour);
  if ((bits & 0xFF000000u) == 0x80000000u) return ::GetSysColor(static_cast<int>(bits & 0xFFu));
  return static_cast<COLORREF>(bits & 0x00FFFFFFu);
}

Gdi::~Gdi() {
  for (const auto& [colour, brush] : brushes_) ::DeleteObject(brush);
  for (const auto& [key, font] : fonts_) ::DeleteObject(font);
}

HBRUSH Gdi::Brush(COLORREF colour) {
  auto& brush = brushes_[colour];
  if (brush == nullptr) brush = ::CreateSolidBrush(colour);
  return brush;
}

HFONT Gdi::Font(const ui::Font& font, int dpi) {
  const std::wstring face = com::Utf8ToWide(font.Name);
  const int height = -static_cast<int>(std::lround(static_cast<double>(font.Size) * dpi / 72.0));
  auto& made = fonts_[{face, height, font.Bold}];
  if (made == nullptr) {
    LOGFONTW log{};
    log.lfHeight = height;
    log.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    log.lfCharSet = DEFAULT_CHARSET;
    log.lfQuality = CLEARTYPE_QUALITY;
    std::wcsncpy(log.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    made = ::CreateFontIndirectW(&log);
  }
  return made;
}

}  // namespace kx::ui::win32
