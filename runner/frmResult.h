#pragma once
// frmResult: shows what a counting or colouring command found: a number and a one-line message.

#include "ui/Form.h"

namespace kx::runner {

class frmResult : public ui::Form {
 public:
  frmResult();

  ui::Image Image1;
  ui::Label lblResult;   // the count
  ui::Label lblMessage;  // what was counted
  ui::CommandButton Command1;  // "&OK"

  void Command1_Click() { Unload(); }
};

}  // namespace kx::runner
