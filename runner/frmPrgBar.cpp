#include "runner/frmPrgBar.h"

#include <string>

#include "engines/CountOrColourDuplicates.h"
#include "engines/RemoveDuplicateValues.h"
#include "engines/RemoveListEntries.h"
#include "engines/frmCol.h"
#include "runner/frmResult.h"
#include "runner/Operations.h"
#include "ui/Driver.h"

namespace kx::runner {

namespace {

constexpr ui::OleColor kLightBlue = 0x00FFC0C0;
constexpr ui::OleColor kPaleYellow = 0x0080FFFF;

}  // namespace

frmPrgBar::frmPrgBar(ui::AddinState& state) : Form("frmPrgBar"), state_(state) {
  Caption = "";
  BackColor = kLightBlue;
  Width = 277.5f;
  Height = 123.8f;

  ui::Place(lblStatus, 8.2f, 8.3f, 261.0f, 32.2f);
  lblStatus.Caption = "Please wait...";
  lblStatus.Font = {"Tahoma", 9.0f};
  lblStatus.WordWrap = true;
  lblStatus.BackColor = kLightBlue;

  ui::Place(Label4, 26.3f, 65.7f, 191.5f, 15.0f);
  Label4.BackColor = kPaleYellow;
  Label4.Effect = ui::SpecialEffect::Etched;

  ui::Place(ProgressBar1, 27.8f, 67.2f, 188.2f, 11.3f);

  ui::Place(lblPer, 218.2f, 65.7f, 30.0f, 15.0f);
  lblPer.Caption = "0%";
  lblPer.BackColor = kPaleYellow;
  lblPer.Effect = ui::SpecialEffect::Etched;
  lblPer.Alignment = ui::TextAlign::Center;

  ui::Place(CommandButton1, 82.5f, 91.6f, 57.0f, 19.5f);
  CommandButton1.Caption = "Yes";
  CommandButton1.BackColor = kLightBlue;
  ui::Place(CommandButton2, 138.4f, 91.5f, 56.2f, 19.5f);
  CommandButton2.Caption = "No";
  CommandButton2.BackColor = kLightBlue;
  // "Stop" takes the place of "Yes" and "No" while an engine runs.
  ui::Place(CommandButton3, 79.9f, 89.2f, 116.9f, 24.0f);
  CommandButton3.Caption = "Stop";
  CommandButton3.BackColor = kLightBlue;
  CommandButton3.Visible = false;

  Add("lblStatus", lblStatus);
  Add("Label4", Label4);
  Add("ProgressBar1", ProgressBar1);
  Add("lblPer", lblPer);
  Add("CommandButton1", CommandButton1);
  Add("CommandButton2", CommandButton2);
  Add("CommandButton3", CommandButton3);
  HandleForm(ui::Event::Initialize, &frmPrgBar::UserForm_Initialize);
  HandleForm(ui::Event::MouseDown, &frmPrgBar::UserForm_MouseDown);
  Handle("CommandButton1", ui::Event::Click, &frmPrgBar::CommandButton1_Click);
  Handle("CommandButton2", ui::Event::Click, &frmPrgBar::CommandButton2_Click);
  Handle("CommandButton3", ui::Event::Click, &frmPrgBar::CommandButton3_Click);
}

void frmPrgBar::UserForm_Initialize() { state_.ColorChoiceCancelled = false; }

void frmPrgBar::ShowStatus(std::string_view statusLine) {
  lblStatus.Caption = std::string(statusLine) + "\r\n" + std::string(kStopHint);
}

void frmPrgBar::CommandButton1_Click() {
  Ui().DoEvents();
  CommandButton1.Visible = false;
  CommandButton2.Visible = false;
  CommandButton3.Visible = true;

  const auto& code = state_.CurrentOperation;
  if (!code) return;
  for (const Operation* op : kOperations) {
    if (*code == op->code) {
      RunEngine(*op);
      return;
    }
  }
}

void frmPrgBar::RunEngine(const Operation& op) {
  if (op.statusLine) ShowStatus(*op.statusLine);
  if (&op == &kColorUniqueRows || &op == &kColorDuplicateRows) {
    // The colouring commands ask for the colour first; a cancelled choice brings the question
    // back, ready for another "Yes" or "No".
    state_.Forms.Get<engines::frmCol>().Show(ui::ShowStyle::Modal);
    if (state_.ColorChoiceCancelled) {
      CommandButton1.Visible = true;
      CommandButton2.Visible = true;
      CommandButton3.Visible = false;
      return;
    }
  }
  if (&op == &kRemoveDuplicatesKeepFirst) {
    engines::RemoveDuplicateValues(state_, *this, true, false, false);
  } else if (&op == &kRemoveAllDuplicates) {
    engines::RemoveDuplicateValues(state_, *this, false, true, false);
  } else if (&op == &kRemoveAllUnique) {
    engines::RemoveDuplicateValues(state_, *this, false, false, true);
  } else if (&op == &kCountDuplicates) {
    engines::CountOrColourDuplicates(state_, *this, false, false, false);
  } else if (&op == &kCountUnique) {
    engines::CountOrColourDuplicates(state_, *this, true, false, false);
  } else if (&op == &kRemoveListEntries) {
    engines::RemoveListEntries(state_, *this);
  } else if (&op == &kColorUniqueRows) {
    engines::CountOrColourDuplicates(state_, *this, true, false, true);
  } else if (&op == &kColorDuplicateRows) {
    engines::CountOrColourDuplicates(state_, *this, false, true, false);
  }
}

void frmPrgBar::ShowResult(std::string_view message, long count) {
  auto& result = state_.Forms.Get<frmResult>();
  result.lblMessage.Caption = std::string(message);
  result.lblResult.Caption = std::to_string(count);
  result.Show(ui::ShowStyle::Modal);
}

void frmPrgBar::CommandButton2_Click() {
  Hide();
  Unload();
}

void frmPrgBar::CommandButton3_Click() { state_.StopRequested = true; }

void frmPrgBar::UserForm_MouseDown(int /*button*/, int /*shift*/, float /*x*/, float /*y*/) {
  Ui().BeginWindowDrag(*this);
}

}  // namespace kx::runner
