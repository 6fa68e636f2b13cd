#pragma once
// frmDupPrev: the Duplicate Preventer dialog. The user chooses to activate or deactivate the
// preventer, whether to widen the selection to its whole column, and presses Apply as often as
// wanted; Close ends the dialog, so each opening starts again from the initial choices.

#include <array>
#include <string_view>

#include "ui/AddinState.h"
#include "ui/Form.h"

namespace kx::preventer {

class frmDupPrev : public ui::Form {
 public:
  explicit frmDupPrev(ui::AddinState& state);

  // The order in which Tab moves through the controls; they are registered in this order too.
  static constexpr std::array<std::string_view, 7> kTabOrder{
      "Frame1", "chkSelCol", "Frame2", "optAct", "optDeAct", "Command1", "Command2"};

  ui::Frame Frame1;           // holds chkSelCol and Frame2
  ui::CheckBox chkSelCol;     // "Select Column (If not Selected)"
  ui::Frame Frame2;           // holds the two option buttons
  ui::OptionButton optAct;    // "Activate Duplicate Preventer"
  ui::OptionButton optDeAct;  // "Deactivate Duplicate Preventer"
  ui::CommandButton Command1; // "&Apply"
  ui::CommandButton Command2; // "&Close"

  void Command1_Click();
  void Command2_Click();

 private:
  ui::AddinState& state_;
};

}  // namespace kx::preventer
