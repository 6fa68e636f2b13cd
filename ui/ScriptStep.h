#pragma once
// ScriptStep: one thing a scripted user does, and the moment it happens.

#include <functional>
#include <optional>
#include <string>

namespace kx::ui {

struct ScriptStep {
  enum class Trigger {
    WhenShown,   // as soon as the form is on screen and reachable (not behind a modal window)
    AtYield,     // at the Nth yield after the step before it happened (or after the start)
    MessageBox,  // when a message box comes up
  };
  enum class Action {
    Press,        // click a control
    Close,        // the title bar's close box: unloads without running any button handler
    MouseDown,    // a mouse press on the form's background
    Run,          // a test's own code, e.g. to look at a window while it is up
    AnswerOk,     // the OK button of a message box
  };

  Trigger When = Trigger::WhenShown;
  Action Do = Action::Press;
  std::string Form;
  std::string Control;
  int Index = -1;
  long Yield = 0;
  std::function<void()> Code;
  std::optional<std::string> ExpectedText;  // AnswerOk: the text the message box should show

  // Set by the driver: the yield count when the step became the next one due.
  long ArmedAtYield = 0;

  // "at yield 3, press CommandButton3 of frmPrgBar"
  std::string Describe() const;
};

}  // namespace kx::ui
