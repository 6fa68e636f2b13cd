#pragma once
// Small forms built the way the add-in builds its windows, for exercising the toolkit: a
// confirm-then-run window with a bar and a Stop button, a swatch chooser shown on top of it,
// a modeless notice with a link, and two plain forms for modal shows one on top of the other.

#include <array>
#include <cmath>
#include <string>

#include "ui/Ui.h"

namespace kx::ui::testing {

class frmSwatches;

// Yes runs a short job of Items steps, yielding before each; No hides then unloads; Stop sets
// the state's flag. With PickFirst, Yes asks frmSwatches first and goes back to the question
// when that is cancelled.
class frmJob : public Form {
 public:
  static inline int Created = 0;
  static inline int Items = 4;
  static inline bool PickFirst = false;
  static inline int Processed = 0;

  explicit frmJob(AddinState& state) : Form("frmJob"), state_(state) {
    ++Created;
    Caption = "";
    BackColor = 0x00FFC0C0;
    lblStatus.Caption = "placeholder";
    lblPer.Caption = "0%";
    CommandButton1.Caption = "Yes";
    CommandButton2.Caption = "No";
    CommandButton3.Caption = "Stop";
    CommandButton3.Visible = false;
    Add("lblStatus", lblStatus);
    Add("lblPer", lblPer);
    Add("ProgressBar1", ProgressBar1);
    Add("CommandButton1", CommandButton1);
    Add("CommandButton2", CommandButton2);
    Add("CommandButton3", CommandButton3);
    HandleForm(Event::Initialize, &frmJob::UserForm_Initialize);
    HandleForm(Event::MouseDown, &frmJob::UserForm_MouseDown);
    Handle("CommandButton1", Event::Click, &frmJob::CommandButton1_Click);
    Handle("CommandButton2", Event::Click, &frmJob::CommandButton2_Click);
    Handle("CommandButton3", Event::Click, &frmJob::CommandButton3_Click);
  }

  Label lblStatus;
  Label lblPer;
  ProgressBar ProgressBar1;
  CommandButton CommandButton1;
  CommandButton CommandButton2;
  CommandButton CommandButton3;

  void UserForm_Initialize() { state_.ColorChoiceCancelled = false; }
  void UserForm_MouseDown(int, int, float, float) { Ui().BeginWindowDrag(*this); }

  void CommandButton1_Click();
  void CommandButton2_Click() {
    Hide();
    Unload();
  }
  void CommandButton3_Click() { state_.StopRequested = true; }

 private:
  // The engine-like part: unloads its own window through the default instance when it ends.
  void RunJob() {
    state_.StopRequested = false;
    ProgressBar1.SetMax(static_cast<float>(Items));
    for (int i = 1; i <= Items; ++i) {
      Ui().DoEvents();
      ++Processed;
      ProgressBar1.SetValue(static_cast<float>(i));
      lblPer.Caption = std::to_string(static_cast<int>(std::nearbyint(ProgressBar1.Value() * 100 / ProgressBar1.Max()))) + " %";
      if (state_.StopRequested) break;
    }
    state_.Forms.Unload<frmJob>();
  }

  AddinState& state_;
};

// Four swatches in a control array and a preview; OK hands on the preview's caption.
class frmSwatches : public Form {
 public:
  static inline int ButtonClicks = 0;

  explicit frmSwatches(AddinState& state) : Form("frmSwatches"), state_(state) {
    Caption = "Choose";
    const std::array<const char*, 4> indexes{"6", "4", "8", "7"};
    for (std::size_t i = 0; i < lblColIndex.size(); ++i) lblColIndex[i].Caption = indexes[i];
    lblColIndexFinal.Caption = "6";
    Command1.Caption = "OK";
    Command2.Caption = "CANCEL";
    Add("lblColIndex", lblColIndex);
    Add("lblColIndexFinal", lblColIndexFinal);
    Add("Command1", Command1);
    Add("Command2", Command2);
    Handle("lblColIndex", Event::Click, &frmSwatches::lblColIndex_Click);
    Handle("Command1", Event::Click, &frmSwatches::Command1_Click);
    Handle("Command2", Event::Click, &frmSwatches::Command2_Click);
  }

  std::array<Label, 4> lblColIndex;
  Label lblColIndexFinal;
  CommandButton Command1;
  CommandButton Command2;

  void lblColIndex_Click(int index) {
    lblColIndexFinal.Caption = lblColIndex[static_cast<std::size_t>(index)].Caption.Get();
  }
  void Command1_Click() {
    ++ButtonClicks;
    state_.SelectedColorIndex = lblColIndexFinal.Caption.Get();
    state_.ColorChoiceCancelled = false;
    Unload();
  }
  void Command2_Click() {
    ++ButtonClicks;
    state_.ColorChoiceCancelled = true;
    Unload();
  }

 private:
  AddinState& state_;
};

// Modeless, built without the add-in's state; Form_Load fills the text, the link opens a page.
class frmNote : public Form {
 public:
  frmNote() : Form("frmNote") {
    Caption = "About";
    Add("Label2", Label2);
    Add("Label21", Label21);
    Add("optAct", optAct);
    Add("optDeAct", optDeAct);
    Add("chkSelCol", chkSelCol);
    optAct.Value = true;
    chkSelCol.Value = true;
    HandleForm(Event::Load, &frmNote::Form_Load);
    Handle("Label21", Event::Click, &frmNote::Label21_Click);
  }

  Label Label2;
  Label Label21;
  OptionButton optAct;
  OptionButton optDeAct;
  CheckBox chkSelCol;

  void Form_Load() { Label2.Caption = "Loaded"; }
  void Label21_Click() { Ui().OpenUrl("https://example.com/"); }
};

inline void frmJob::CommandButton1_Click() {
  Ui().DoEvents();
  CommandButton1.Visible = false;
  CommandButton2.Visible = false;
  CommandButton3.Visible = true;
  if (PickFirst) {
    state_.Forms.Get<frmSwatches>().Show(ShowStyle::Modal);
    if (state_.ColorChoiceCancelled) {
      CommandButton1.Visible = true;
      CommandButton2.Visible = true;
      CommandButton3.Visible = false;
      return;
    }
  }
  lblStatus.Caption = "Working...";
  RunJob();
}

// Hides itself, unloads itself, or unloads the form beneath it, as its buttons say.
class frmPlain : public Form {
 public:
  explicit frmPlain(AddinState& state) : Form("frmPlain"), state_(state) {
    Add("btnHide", btnHide);
    Add("btnUnload", btnUnload);
    Add("btnOpenOnTop", btnOpenOnTop);
    Handle("btnHide", Event::Click, &frmPlain::btnHide_Click);
    Handle("btnUnload", Event::Click, &frmPlain::btnUnload_Click);
    Handle("btnOpenOnTop", Event::Click, &frmPlain::btnOpenOnTop_Click);
  }
  CommandButton btnHide;
  CommandButton btnUnload;
  CommandButton btnOpenOnTop;

  void btnHide_Click() { Hide(); }
  void btnUnload_Click() { Unload(); }
  void btnOpenOnTop_Click();

 private:
  AddinState& state_;
};

// Shown modally on top of frmPlain; its buttons close frmPlain beneath it, or itself.
class frmOnTop : public Form {
 public:
  explicit frmOnTop(AddinState& state) : Form("frmOnTop"), state_(state) {
    Add("btnUnloadBeneath", btnUnloadBeneath);
    Add("btnHideBeneath", btnHideBeneath);
    Add("btnClose", btnClose);
    Handle("btnUnloadBeneath", Event::Click, &frmOnTop::btnUnloadBeneath_Click);
    Handle("btnHideBeneath", Event::Click, &frmOnTop::btnHideBeneath_Click);
    Handle("btnClose", Event::Click, &frmOnTop::btnClose_Click);
  }
  CommandButton btnUnloadBeneath;
  CommandButton btnHideBeneath;
  CommandButton btnClose;

  void btnUnloadBeneath_Click() { state_.Forms.Unload<frmPlain>(); }
  void btnHideBeneath_Click() { state_.Forms.Get<frmPlain>().Hide(); }
  void btnClose_Click() { Unload(); }

 private:
  AddinState& state_;
};

inline void frmPlain::btnOpenOnTop_Click() {
  state_.Forms.Get<frmOnTop>().Show(ShowStyle::Modal);
  state_.CurrentOperation = "returned from the form on top";
}

}  // namespace kx::ui::testing
