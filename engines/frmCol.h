#pragma once
// frmCol: the colour chooser. Sixteen swatches, each standing for one index of the host's colour
// palette; OK hands on the index of the swatch shown in the preview, CANCEL hands on nothing.

#include <array>

#include "ui/AddinState.h"
#include "ui/Form.h"

namespace kx::engines {

class frmCol : public ui::Form {
 public:
  explicit frmCol(ui::AddinState& state);

  ui::Frame Frame9;
  std::array<ui::Label, 16> lblColIndex;  // the swatches; each caption is its palette index
  ui::Label lblColIndexFinal;             // the preview: the last swatch clicked
  ui::CommandButton Command1;             // "OK"
  ui::CommandButton Command2;             // "CANCEL"

  void lblColIndex_Click(int index);
  void Command1_Click();
  void Command2_Click();

 private:
  ui::AddinState& state_;
};

}  // namespace kx::engines
