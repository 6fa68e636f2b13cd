#include "ui/ScriptStep.h"

namespace kx::ui {

std::string ScriptStep::Describe() const {
  std::string text;
  switch (When) {
    case Trigger::WhenShown: text = "when " + Form + " is shown, "; break;
    case Trigger::AtYield: text = "at yield " + std::to_string(Yield) + ", "; break;
    case Trigger::MessageBox: text = "when a message box comes up, "; break;
  }
  const std::string control = Index < 0 ? Control : Control + "(" + std::to_string(Index) + ")";
  switch (Do) {
    case Action::Press: return text + "press " + control + " of " + Form;
    case Action::Close: return text + "close " + Form + " by its close box";
    case Action::MouseDown: return text + "press the mouse on " + Form;
    case Action::Run: return text + "run the test's check";
    case Action::AnswerOk:
      return text + "press OK" + (ExpectedText ? " on \"" + *ExpectedText + "\"" : std::string());
  }
  return text;
}

}  // namespace kx::ui
