#pragma once
// The events a form delivers to its handlers, and what they carry.

#include <string_view>

namespace kx::ui {

enum class Event { Click, MouseDown, Initialize, Load };

std::string_view EventName(Event event);

// The name under which a form registers handlers of its own events (UserForm_Initialize,
// UserForm_MouseDown, Form_Load).
inline constexpr std::string_view kFormItself = "UserForm";

struct EventArgs {
  // The element of a control array that raised the event; -1 for a single control.
  int Index = -1;
  // Mouse events: 1 left, 2 right, 4 middle; the shift state; where, in form units.
  int Button = 1;
  int Shift = 0;
  float X = 0;
  float Y = 0;
};

enum class ShowStyle { Modeless = 0, Modal = 1 };

}  // namespace kx::ui
