#include "engines/frmCol.h"

#include <string>

namespace kx::engines {

namespace {

struct Swatch {
  int row;  // place in the grid, from 1
  int column;
  const char* paletteIndex;
  ui::OleColor colour;
  const char* tip;
};

// By array index. The tips are the window's own names for its colours.
constexpr std::array<Swatch, 16> kSwatches{{
    {1, 1, "6", ui::Rgb(255, 255, 0), "Yellow"},
    {1, 2, "4", ui::Rgb(0, 255, 0), "BrightGreen"},
    {1, 3, "8", ui::Rgb(0, 255, 255), "Aqua"},
    {1, 4, "7", ui::Rgb(255, 0, 255), "Pink"},
    {2, 6, "43", ui::Rgb(0, 192, 0), "DarkGreen"},
    {2, 5, "53", ui::Rgb(192, 0, 0), "DarkRed"},
    {2, 4, "5", ui::Rgb(0, 0, 255), "Blue"},
    {2, 3, "36", ui::Rgb(255, 255, 192), "Grey50"},
    {2, 2, "15", ui::Rgb(224, 224, 224), "Grey25"},
    {2, 1, "42", ui::Rgb(0, 192, 192), "Teal"},
    {1, 6, "3", ui::Rgb(255, 0, 0), "Red"},
    {1, 5, "44", ui::Rgb(255, 192, 128), "Violet"},
    {3, 1, "55", ui::Rgb(0, 0, 128), "DarkBlue"},
    {1, 7, "39", ui::Rgb(192, 192, 255), "Red"},
    {2, 7, "48", ui::Rgb(192, 192, 192), "Red"},
    {3, 2, "45", ui::Rgb(255, 128, 0), "Yellow"},
}};

constexpr float kSwatchSize = 18.0f;
constexpr float kGap = 4.0f;

void Paint(ui::Label& label, const std::string& caption, ui::OleColor colour,
           const std::string& tip) {
  label.Caption = caption;
  // The number is written in the swatch's own colour: the user sees the colour only.
  label.BackColor = colour;
  label.ForeColor = colour;
  label.ControlTipText = tip;
}

}  // namespace

frmCol::frmCol(ui::AddinState& state) : Form("frmCol"), state_(state) {
  Caption = "Choose Color";
  BackColor = ui::Rgb(192, 192, 255);
  Width = 260.0f;
  Height = 110.0f;

  ui::Place(Frame9, 6.0f, 6.0f, 7 * (kSwatchSize + kGap) + kGap, 3 * (kSwatchSize + kGap) + kGap);
  Frame9.BackColor = BackColor;
  for (size_t i = 0; i < kSwatches.size(); ++i) {
    const Swatch& s = kSwatches[i];
    ui::Place(lblColIndex[i], kGap + static_cast<float>(s.column - 1) * (kSwatchSize + kGap),
              kGap + static_cast<float>(s.row - 1) * (kSwatchSize + kGap), kSwatchSize,
              kSwatchSize);
    Paint(lblColIndex[i], s.paletteIndex, s.colour, s.tip);
  }
  // The preview starts on the first swatch, so that what it shows is what OK hands on.
  ui::Place(lblColIndexFinal, 180.0f, 6.0f, 60.0f, 40.0f);
  Paint(lblColIndexFinal, kSwatches[0].paletteIndex, kSwatches[0].colour, kSwatches[0].tip);

  ui::Place(Command1, 180.0f, 52.0f, 60.0f, 20.0f);
  Command1.Caption = "OK";
  ui::Place(Command2, 180.0f, 76.0f, 60.0f, 20.0f);
  Command2.Caption = "CANCEL";

  Add("Frame9", Frame9);
  Add("lblColIndex", lblColIndex);
  Add("lblColIndexFinal", lblColIndexFinal);
  Add("Command1", Command1);
  Add("Command2", Command2);
  Handle("lblColIndex", ui::Event::Click, &frmCol::lblColIndex_Click);
  Handle("Command1", ui::Event::Click, &frmCol::Command1_Click);
  Handle("Command2", ui::Event::Click, &frmCol::Command2_Click);
}

void frmCol::lblColIndex_Click(int index) {
  if (index < 0 || index >= static_cast<int>(lblColIndex.size())) return;
  const ui::Label& swatch = lblColIndex[static_cast<size_t>(index)];
  Paint(lblColIndexFinal, swatch.Caption, swatch.BackColor, swatch.ControlTipText);
  lblColIndexFinal.ForeColor = swatch.ForeColor;
}

void frmCol::Command1_Click() {
  state_.SelectedColorIndex = host::Variant(lblColIndexFinal.Caption.Get());
  state_.ColorChoiceCancelled = false;
  Unload();
}

void frmCol::Command2_Click() {
  state_.ColorChoiceCancelled = true;
  Unload();
}

}  // namespace kx::engines
