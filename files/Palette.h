#pragma once
// The spreadsheet's default 56-colour palette, and how a fill's colour as a file states it
// (an indexed colour, an RGB value, or a theme colour with a tint) becomes the ColorIndex the
// host reports: the palette entry itself, or the nearest one.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kx::files {

using Rgb = std::uint32_t;  // 0xRRGGBB

// ColorIndex 1..56 -> its colour.
Rgb PaletteColor(std::int32_t colorIndex);
// The palette entry nearest to a colour (the lowest index on a tie).
std::int32_t NearestColorIndex(Rgb rgb);

// The file's indexed colour n for ColorIndex 1..56 is n + 7.
inline constexpr std::int32_t kIndexedOffset = 7;

// The twelve colours of a theme, in the order fills refer to them (0 light 1, 1 dark 1,
// 2 light 2, 3 dark 2, 4..9 accents, 10 hyperlink, 11 followed hyperlink).
using ThemeColors = std::array<Rgb, 12>;
// The colours of the default office theme, for workbooks without a theme part.
ThemeColors DefaultThemeColors();
// Reads a theme part's colour scheme; missing entries keep the defaults.
ThemeColors ParseThemeColors(std::string_view themeXml);

// Lightens (tint > 0) or darkens (tint < 0) a colour in the way spreadsheet tints do.
Rgb ApplyTint(Rgb rgb, double tint);

// "FF3366CC" or "3366CC" -> 0x3366CC.
std::optional<Rgb> ParseArgb(std::string_view text);

}  // namespace kx::files
