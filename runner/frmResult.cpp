#include "runner/frmResult.h"

namespace kx::runner {

frmResult::frmResult() : Form("frmResult") {
  Caption = "Result";
  BackColor = 0x00FFC0C0;
  Width = 296.25f;
  Height = 95.25f;

  ui::Place(Image1, 5.25f, 9.0f, 58.5f, 75.0f);
  Image1.Picture = "result";
  Image1.Stretch = true;
  ui::Place(lblResult, 71.25f, 11.25f, 213.75f, 15.75f);
  lblResult.Caption = "0";
  lblResult.Font = {"Verdana", 11.25f, true};
  lblResult.ForeColor = 0x00800000;
  lblResult.BackColor = BackColor;
  ui::Place(lblMessage, 68.25f, 36.0f, 219.75f, 27.0f);
  lblMessage.Caption = "Entries Found in Selection!";
  lblMessage.Font = {"Verdana", 9.0f, false};
  lblMessage.ForeColor = 0x00000080;
  lblMessage.BackColor = BackColor;
  ui::Place(Command1, 133.5f, 70.5f, 80.25f, 18.75f);
  Command1.Caption = "&OK";
  Command1.BackColor = BackColor;

  Add("Image1", Image1);
  Add("lblResult", lblResult);
  Add("lblMessage", lblMessage);
  Add("Command1", Command1);
  Handle("Command1", ui::Event::Click, &frmResult::Command1_Click);
}

}  // namespace kx::runner
