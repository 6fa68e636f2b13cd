#include "preventer/UndoLastChange.h"

#include <vector>

#include "host/Host.h"
#include "host/Shorthands.h"
#include "preventer/PreventerTexts.h"

namespace kx::preventer {

namespace {

// Steps that end at their first failure, which the command then reports by its number.
host::Result<void> Restore(ui::AddinState& state) {
  host::Application& app = *state.HostApp;
  KX_TRY(app.SetEnableCancelKey(host::xl::CancelKeyErrorHandler));
  KX_TRY(app.SetScreenUpdating(false));
  KX_TRY(app.SetCalculation(host::xl::CalculationManual));

  if (!state.UndoWorkbook) return host::Fail(host::err::ObjectNotSet, "no workbook recorded");
  KX_TRY(state.UndoWorkbook->Activate());
  if (!state.UndoWorksheet) return host::Fail(host::err::ObjectNotSet, "no sheet recorded");
  KX_TRY(state.UndoWorksheet->Activate());

  if (!state.UndoEntries) {
    return host::Fail(host::err::SubscriptOutOfRange, "Subscript out of range");
  }
  // The bound is read once: the store is not expected to change while it is written back.
  const std::vector<ui::UndoEntry> entries = *state.UndoEntries;
  for (size_t i = 1; i < entries.size(); ++i) {
    auto cell = KX_TRY(app.Range(entries[i].CellAddress));
    KX_TRY(cell->SetFormula(entries[i].FormulaToWrite()));
  }
  return {};
}

}  // namespace

host::Result<void> UndoLastChange(ui::AddinState& state) {
  if (!state.HostApp) {
    state.Ui.MsgBox(text::NothingToUndo);
    return {};
  }
  host::Application& app = *state.HostApp;
  // Asked before the failure handling begins: the caller gets the failure, nothing is shown
  // and no setting is touched.
  const bool noWorkbook = KX_TRY(host::NoWorkbookOpen(app));
  if (noWorkbook) {
    state.Ui.MsgBox(text::NothingToUndo);
  } else {
    auto restored = Restore(state);
    if (!restored.ok()) {
      long number = restored.error().number;
      if (number == host::err::ObjectNotSet) {
        state.Ui.MsgBox(text::NothingToUndo);
      } else if (number != host::err::ApplicationDefined) {
        // The host's own refusals (1004) it has shown or needs no word from us.
        state.Ui.MsgBox(text::UndoFailed);
      }
    }
  }
  // A host that refuses these ends the command here; the caller is told, not the user.
  KX_TRY(app.SetCalculation(host::xl::CalculationAutomatic));
  return app.SetScreenUpdating(true);
}

}  // namespace kx::preventer
