#pragma once
// What every control has: its place on the form, its visibility and availability, a tooltip, and
// the font and text styles the text-bearing controls share.

#include <string>

namespace kx::ui {

struct Geometry {
  float Left = 0;
  float Top = 0;
  float Width = 0;
  float Height = 0;
};

// Sets a control's place and size in one statement, as the designer lists them.
inline void Place(Geometry& control, float left, float top, float width, float height) {
  control.Left = left;
  control.Top = top;
  control.Width = width;
  control.Height = height;
}

struct Font {
  std::string Name = "Tahoma";
  float Size = 8.25F;
  bool Bold = false;
};

enum class TextAlign { Left, Center, Right };
enum class SpecialEffect { Flat, Raised, Sunken, Etched, Bump };
enum class MousePointer { Default, Hand };

// Members every control has; Visible and Enabled decide whether the user can press it.
struct ControlBase : Geometry {
  bool Visible = true;
  bool Enabled = true;
  std::string ControlTipText;
};

}  // namespace kx::ui
