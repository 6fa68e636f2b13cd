#pragma once
// Colours as the host and its forms keep them: a long holding blue, green and red bytes
// (0x00BBGGRR), so 0x00FFC0C0 is a light blue.

#include <cstdint>

namespace kx::ui {

using OleColor = long;

// The BGR long for a colour given as red, green and blue, as the form designer's RGB() builds it.
constexpr OleColor Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<OleColor>(red) | (static_cast<OleColor>(green) << 8) |
         (static_cast<OleColor>(blue) << 16);
}

inline constexpr OleColor kBlack = 0x00000000;
inline constexpr OleColor kWhite = 0x00FFFFFF;
// The face colour of an unstyled button or form, as the designer starts it.
inline constexpr OleColor kButtonFace = 0x00F0F0F0;

}  // namespace kx::ui
