#include "preventer/frmDupPrev.h"

#include "preventer/ApplyDuplicatePreventer.h"

namespace kx::preventer {

namespace {

// The form and every control on it share one light blue-violet.
constexpr ui::OleColor kBackground = ui::Rgb(192, 192, 255);

}  // namespace

frmDupPrev::frmDupPrev(ui::AddinState& state) : Form("frmDupPrev"), state_(state) {
  Caption = "Duplicate Preventer";
  BackColor = kBackground;
  Font = {"Verdana", 8.25f, false};
  Width = 246.0f;
  Height = 150.0f;

  // Positions are on the form; the frames are drawn around the controls they hold.
  ui::Place(Frame1, 6.0f, 6.0f, 228.0f, 90.0f);
  Frame1.BackColor = kBackground;
  ui::Place(chkSelCol, 12.0f, 12.0f, 210.0f, 18.0f);
  chkSelCol.Caption = "Select Column (If not Selected)";
  chkSelCol.Value = true;
  chkSelCol.BackColor = kBackground;
  ui::Place(Frame2, 12.0f, 36.0f, 216.0f, 54.0f);
  Frame2.BackColor = kBackground;
  // Sharing a frame makes them one group: choosing one clears the other.
  ui::Place(optAct, 18.0f, 42.0f, 204.0f, 18.0f);
  optAct.Caption = "Activate Duplicate Preventer";
  optAct.Value = true;
  optAct.GroupName = "Frame2";
  optAct.BackColor = kBackground;
  ui::Place(optDeAct, 18.0f, 66.0f, 204.0f, 18.0f);
  optDeAct.Caption = "Deactivate Duplicate Preventer";
  optDeAct.Value = false;
  optDeAct.GroupName = "Frame2";
  optDeAct.BackColor = kBackground;
  ui::Place(Command1, 6.0f, 102.0f, 72.0f, 24.0f);
  Command1.Caption = "&Apply";
  Command1.BackColor = kBackground;
  Command1.Font = Font;
  ui::Place(Command2, 162.0f, 102.0f, 72.0f, 24.0f);
  Command2.Caption = "&Close";
  Command2.BackColor = kBackground;
  Command2.Font = Font;

  Add("Frame1", Frame1);
  Add("chkSelCol", chkSelCol);
  Add("Frame2", Frame2);
  Add("optAct", optAct);
  Add("optDeAct", optDeAct);
  Add("Command1", Command1);
  Add("Command2", Command2);
  // The dialog reacts to its two buttons only.
  Handle("Command1", ui::Event::Click, &frmDupPrev::Command1_Click);
  Handle("Command2", ui::Event::Click, &frmDupPrev::Command2_Click);
}

// Apply: the dialog stays open, so the user may apply again or switch what to do.
void frmDupPrev::Command1_Click() { ApplyDuplicatePreventer(state_); }

void frmDupPrev::Command2_Click() {
  Hide();
  Unload();
}

}  // namespace kx::preventer
