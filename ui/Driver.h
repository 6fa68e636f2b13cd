#pragma once
// Driver: what the add-in asks of the screen. A driver draws forms from their models (every
// control's state is readable through Form::Controls), runs modal shows, hands the user's pending
// actions to their handlers when the add-in yields, and shows message boxes.

#include <string_view>

#include "ui/PropertyChange.h"

namespace kx::ui {

class Form;

// Every message box of the add-in carries this title and an OK button only.
inline constexpr std::string_view kMessageBoxTitle = "Kestrix";

class Driver {
 public:
  virtual ~Driver() = default;

  // Shows the form (already marked visible) and runs a nested loop delivering the user's actions
  // until the form is hidden or unloaded, whichever handler that happens in.
  virtual void ShowModal(Form& form) = 0;
  // Shows the form and returns at once; the user reaches it whenever actions are delivered.
  virtual void ShowModeless(Form& form) = 0;
  // Yields: delivers the user's pending actions (a "Stop" click) to their handlers.
  virtual void DoEvents() = 0;
  // Shows the text with an OK button under kMessageBoxTitle and waits until the user closes it.
  virtual void MsgBox(std::string_view text) = 0;
  // Asks the system to open the address in the default browser; the outcome is not reported.
  virtual void OpenUrl(std::string_view address) = 0;
  // Lets the user move the form with the mouse as if its title bar had been grabbed.
  virtual void BeginWindowDrag(Form& form) = 0;

  // Notifications from forms, for redrawing or recording.
  virtual void WindowClosed(Form& /*form*/) {}
  virtual void PropertyChanged(const PropertyChange& /*change*/) {}
};

}  // namespace kx::ui
