#include "files/Palette.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "files/XmlScan.h"

namespace kx::files {

namespace {
constexpr std::array<Rgb, 56> kPalette{
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
};

int Channel(Rgb rgb, int shift) {
  return static_cast<int>((rgb >> shift) & 0xFF);
}
}  // namespace

Rgb PaletteColor(std::int32_t colorIndex) {
  if (colorIndex < 1 || colorIndex > 56) return 0;
  return kPalette[static_cast<size_t>(colorIndex - 1)];
}

std::int32_t NearestColorIndex(Rgb rgb) {
  std::int32_t best = 1;
  long bestDistance = -1;
  for (std::int32_t i = 1; i <= 56; ++i) {
    Rgb p = PaletteColor(i);
    long dr = Channel(p, 16) - Channel(rgb, 16);
    long dg = Channel(p, 8) - Channel(rgb, 8);
    long db = Channel(p, 0) - Channel(rgb, 0);
    long d = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

ThemeColors DefaultThemeColors() {
  return {0xFFFFFF, 0x000000, 0xE7E6E6, 0x44546A, 0x4472C4, 0xED7D31,
          0xA5A5A5, 0xFFC000, 0x5B9BD5, 0x70AD47, 0x0563C1, 0x954F72};
}

std::optional<Rgb> ParseArgb(std::string_view text) {
  if (text.size() == 8) text.remove_prefix(2);
  if (text.size() != 6) return std::nullopt;
  Rgb value = 0;
  auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (ec != std::errc{} || p != text.data() + text.size()) return std::nullopt;
  return value;
}

ThemeColors ParseThemeColors(std::string_view themeXml) {
  ThemeColors colors = DefaultThemeColors();
  pugi::xml_document doc;
  if (!doc.load_buffer(themeXml.data(), themeXml.size(), pugi::parse_default)) return colors;
  pugi::xml_node scheme;
  // Find the colour scheme without depending on the namespace prefix the file uses.
  struct Finder : pugi::xml_tree_walker {
    pugi::xml_node found;
    bool for_each(pugi::xml_node& node) override {
      if (LocalName(node.name()) == "clrScheme") {
        found = node;
        return false;
      }
      return true;
    }
  } finder;
  doc.traverse(finder);
  scheme = finder.found;
  if (!scheme) return colors;
  // The file lists dark 1 before light 1; fills number light 1 as 0.
  static constexpr std::array<std::pair<std::string_view, size_t>, 12> kSlots{{
      {"lt1", 0},
      {"dk1", 1},
      {"lt2", 2},
      {"dk2", 3},
      {"accent1", 4},
      {"accent2", 5},
      {"accent3", 6},
      {"accent4", 7},
      {"accent5", 8},
      {"accent6", 9},
      {"hlink", 10},
      {"folHlink", 11},
  }};
  for (pugi::xml_node entry : scheme.children()) {
    std::string_view name = LocalName(entry.name());
    for (const auto& [slotName, slot] : kSlots) {
      if (name != slotName) continue;
      pugi::xml_node value = entry.first_child();
      std::string_view kind = LocalName(value.name());
      std::optional<Rgb> rgb;
      if (kind == "srgbClr")
        rgb = ParseArgb(value.attribute("val").value());
      else if (kind == "sysClr")
        rgb = ParseArgb(value.attribute("lastClr").value());
      if (rgb) colors[slot] = *rgb;
    }
  }
  return colors;
}

Rgb ApplyTint(Rgb rgb, double tint) {
  if (tint == 0) return rgb;
  // Through HSL: the tint moves the lightness towards white or black.
  double r = Channel(rgb, 16) / 255.0, g = Channel(rgb, 8) / 255.0, b = Channel(rgb, 0) / 255.0;
  double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  double l = (mx + mn) / 2, h = 0, s = 0;
  if (mx != mn) {
    double d = mx - mn;
    s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
    if (mx == r)
      h = (g - b) / d + (g < b ? 6 : 0);
    else if (mx == g)
      h = (b - r) / d + 2;
    else
      h = (r - g) / d + 4;
    h /= 6;
  }
  l = tint < 0 ? l * (1 + tint) : l * (1 - tint) + tint;
  auto hueToRgb = [](double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 0.5) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  double nr = l, ng = l, nb = l;
  if (s != 0) {
    double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    double p = 2 * l - q;
    nr = hueToRgb(p, q, h + 1.0 / 3);
    ng = hueToRgb(p, q, h);
    nb = hueToRgb(p, q, h - 1.0 / 3);
  }
  auto to255 = [](double v) {
    return static_cast<Rgb>(std::clamp(std::lround(v * 255), 0L, 255L));
  };
  return (to255(nr) << 16) | (to255(ng) << 8) | to255(nb);
}

}  // namespace kx::files
