#pragma once
// frmPrgBar: the progress window every duplicate command runs through. It asks the command's
// question ("Yes"/"No"), launches the engine on "Yes", shows the engine's progress with a "Stop"
// button, and is closed by the engine when it ends.

#include "engines/EngineWindow.h"
#include "runner/Operations.h"
#include "ui/AddinState.h"
#include "ui/Form.h"

namespace kx::runner {

class frmPrgBar : public ui::Form, public engines::EngineWindow {
 public:
  explicit frmPrgBar(ui::AddinState& state);

  ui::Label lblStatus;
  ui::Label Label4;
  ui::ProgressBar ProgressBar1;
  ui::Label lblPer;
  ui::CommandButton CommandButton1;  // "Yes"
  ui::CommandButton CommandButton2;  // "No"
  ui::CommandButton CommandButton3;  // "Stop"

  void UserForm_Initialize();
  void CommandButton1_Click();
  void CommandButton2_Click();
  void CommandButton3_Click();
  void UserForm_MouseDown(int button, int shift, float x, float y);

  // EngineWindow
  ui::ProgressBar& Bar() override { return ProgressBar1; }
  ui::Label& Percentage() override { return lblPer; }
  void UnloadWindow() override { Unload(); }
  void ShowResult(std::string_view message, long count) override;

 private:
  // Writes the status line with the stop hint under it.
  void ShowStatus(std::string_view statusLine);
  // Runs the engine that the operation names.
  void RunEngine(const Operation& op);

  ui::AddinState& state_;
};

}  // namespace kx::runner
