#pragma once
// The controls a form is drawn from, as plain structs with the members a form designer offers.
// Geometry is in the owning form's units (points on a user form, twips on a classic form).

#include <string>
#include <variant>

#include "ui/Color.h"
#include "ui/ControlBase.h"
#include "ui/ProgressBar.h"
#include "ui/Watched.h"

namespace kx::ui {

struct Label : ControlBase {
  // Watched so that every text the user is shown (such as a percentage) can be followed.
  Watched<std::string> Caption;
  OleColor BackColor = kButtonFace;
  OleColor ForeColor = kBlack;
  ui::Font Font;
  bool WordWrap = false;
  TextAlign Alignment = TextAlign::Left;
  SpecialEffect Effect = SpecialEffect::Flat;
  MousePointer Pointer = MousePointer::Default;
};

struct CommandButton : ControlBase {
  std::string Caption;
  OleColor BackColor = kButtonFace;
  ui::Font Font;
};

// A click selects the button and clears the others of its group (the form's option buttons
// that share GroupName).
struct OptionButton : ControlBase {
  std::string Caption;
  bool Value = false;
  std::string GroupName;
  OleColor BackColor = kButtonFace;
};

// A click turns the box on or off.
struct CheckBox : ControlBase {
  std::string Caption;
  bool Value = false;
  OleColor BackColor = kButtonFace;
};

struct Frame : ControlBase {
  std::string Caption;
  OleColor BackColor = kButtonFace;
};

struct Image : ControlBase {
  // The name of the picture the driver draws; empty for none.
  std::string Picture;
  bool Stretch = false;
};

// Decorative only: a rectangle drawn on the form.
struct Shape : ControlBase {
  OleColor BorderColor = kBlack;
  OleColor FillColor = kWhite;
  bool Filled = false;
};

// Decorative only: a line between two points.
struct Line : ControlBase {
  float X1 = 0;
  float Y1 = 0;
  float X2 = 0;
  float Y2 = 0;
  OleColor BorderColor = kBlack;
};

// One control of a form, of whichever kind, as a driver reaches it to draw it or press it.
using ControlRef =
    std::variant<Label*, CommandButton*, OptionButton*, CheckBox*, Frame*, ProgressBar*, Image*, Shape*, Line*>;

// The members all kinds share.
inline ControlBase& Common(const ControlRef& control) {
  return std::visit([](auto* c) -> ControlBase& { return *c; }, control);
}

}  // namespace kx::ui
