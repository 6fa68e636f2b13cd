#include "runner/FrontEnds.h"

#include <string>

#include "runner/frmPrgBar.h"

namespace kx::runner {

void ConfirmOperation(ui::AddinState& state, const Operation& op) {
  state.CurrentOperation = std::string(op.code);
  // The first reference creates the window (its initialisation runs) and so also loads it.
  auto& window = state.Forms.Get<frmPrgBar>();
  window.lblStatus.Caption = std::string(op.question);
  window.Show(ui::ShowStyle::Modal);
}

void ConfirmRemoveDuplicatesKeepFirst(ui::AddinState& state) {
  ConfirmOperation(state, kRemoveDuplicatesKeepFirst);
}
void ConfirmRemoveAllDuplicates(ui::AddinState& state) {
  ConfirmOperation(state, kRemoveAllDuplicates);
}
void ConfirmRemoveAllUnique(ui::AddinState& state) { ConfirmOperation(state, kRemoveAllUnique); }
void ConfirmColorDuplicateRows(ui::AddinState& state) {
  ConfirmOperation(state, kColorDuplicateRows);
}
void ConfirmColorUniqueRows(ui::AddinState& state) { ConfirmOperation(state, kColorUniqueRows); }
void ConfirmCountDuplicates(ui::AddinState& state) { ConfirmOperation(state, kCountDuplicates); }
void ConfirmCountUnique(ui::AddinState& state) { ConfirmOperation(state, kCountUnique); }
void ConfirmRemoveListEntries(ui::AddinState& state) {
  ConfirmOperation(state, kRemoveListEntries);
}

}  // namespace kx::runner
