#include "preventer/ApplyDuplicatePreventer.h"

#include <string>

#include "host/ContinueOnFailure.h"
#include "host/Host.h"
#include "host/Shorthands.h"
#include "preventer/PreventerFormula.h"
#include "preventer/PreventerTexts.h"
#include "preventer/frmDupPrev.h"
#include "ui/AddinTexts.h"

namespace kx::preventer {

namespace {

// Fails for a selection that is not a range of cells (a chart or a shape).
host::Result<bool> MoreThanOneColumn(host::Application& app) {
  auto selection = KX_TRY(host::SelectedRange(app));
  // The host counts the columns of the first area only. A rule laid over several areas would
  // count the first area alone and refuse entries in the others that are not duplicates, so a
  // selection of several areas is not one column either.
  if (KX_TRY(selection->Areas()).size() > 1) return true;
  auto columns = KX_TRY(selection->Columns());
  return KX_TRY(columns->Count()) > 1;
}

host::Result<long> NonEmptyCount(host::Application& app) {
  auto selection = KX_TRY(host::SelectedRange(app));
  auto function = KX_TRY(app.WorksheetFunction());
  return static_cast<long>(KX_TRY(function->CountA(selection)));
}

host::Result<void> SelectEntireColumns(host::Application& app) {
  auto selection = KX_TRY(host::SelectedRange(app));
  auto columns = KX_TRY(selection->EntireColumn());
  return columns->Select();
}

host::Result<host::ValidationRef> SelectionValidation(host::Application& app) {
  auto selection = KX_TRY(host::SelectedRange(app));
  auto validation = KX_TRY(selection->Validation());
  if (!validation) return host::Fail(host::err::ObjectNotSet, "no validation object");
  return validation;
}

// Puts the preventer's rule on the selected cells in place of whatever rule they had.
void InstallRule(host::Application& app, host::ContinueOnFailure& onFailure) {
  auto selection = onFailure.Do(host::SelectedRange(app));
  if (!selection) return;
  // Without its formula there is no rule to put in: the cells keep the rule they have rather
  // than lose it to a rule that cannot be added.
  auto formula = onFailure.Do(PreventerFormulaFor(**selection));
  if (!formula) return;
  auto found = onFailure.Do((*selection)->Validation());
  if (!found || !*found) return;
  host::Validation& validation = **found;

  onFailure.Do(validation.Delete());
  host::ValidationAddArgs rule;
  rule.Type = host::xl::ValidateCustom;
  rule.AlertStyle = host::xl::ValidAlertStop;
  rule.Operator = host::xl::Between;
  rule.Formula1 = host::Variant(*formula);
  onFailure.Do(validation.Add(rule));
  onFailure.Do(validation.SetIgnoreBlank(true));
  onFailure.Do(validation.SetInCellDropdown(true));
  onFailure.Do(validation.SetInputTitle(std::string(text::RuleInputTitle)));
  onFailure.Do(validation.SetErrorTitle(""));
  onFailure.Do(validation.SetInputMessage(""));
  onFailure.Do(validation.SetErrorMessage(std::string(text::RuleErrorMessage)));
  onFailure.Do(validation.SetShowError(true));
}

// Removes every rule, of whatever origin, from the selected columns.
void RemoveRules(host::Application& app, host::ContinueOnFailure& onFailure) {
  onFailure.Do(SelectEntireColumns(app));
  auto validation = onFailure.Do(SelectionValidation(app));
  if (validation) onFailure.Do((*validation)->Delete());
}

// Leaves the host as after every Apply that got past the checks, whatever happened between.
void Finish(host::Application& app, host::ContinueOnFailure& onFailure) {
  onFailure.Do(app.OnUndo(std::string(text::UndoText), std::string(text::UndoProcedure)));
  onFailure.Do(app.OnKey(std::string(text::UndoKey), std::string(text::UndoProcedure)));
  onFailure.Do(app.SetCalculation(host::xl::CalculationAutomatic));
  onFailure.Do(app.SetStatusBar(host::Variant("")));
  onFailure.Do(app.SetScreenUpdating(true));
}

}  // namespace

void ApplyDuplicatePreventer(ui::AddinState& state) {
  // Every failing host call past the checks is skipped without a message.
  host::ContinueOnFailure onFailure;

  // Without the host every call fails, and a failed test shows the message.
  if (!state.HostApp || onFailure.RunsBodyOnFailure(host::NoWorkbookOpen(*state.HostApp))) {
    state.Ui.MsgBox(ui::text::NoWorkbook);
    return;
  }
  host::Application& app = *state.HostApp;
  // A selection whose columns cannot be counted is not a single column.
  if (onFailure.RunsBodyOnFailure(MoreThanOneColumn(app))) {
    state.Ui.MsgBox(ui::text::SelectSingleColumn);
    return;
  }

  onFailure.Do(app.SetEnableCancelKey(host::xl::CancelKeyErrorHandler));
  onFailure.Do(app.SetStatusBar(host::Variant(text::Applying)));
  onFailure.Do(app.SetScreenUpdating(false));
  onFailure.Do(app.SetCalculation(host::xl::CalculationManual));

  // Counted on the selection as the user made it, before any column is selected; a count the
  // host cannot give counts as empty. An empty selection can be neither protected nor released.
  const frmDupPrev& dialog = state.Forms.Get<frmDupPrev>();
  const bool activate = dialog.optAct.Value;
  const bool selectColumn = dialog.chkSelCol.Value;
  if (onFailure.Do(NonEmptyCount(app)).value_or(0) == 0) {
    state.Ui.MsgBox(ui::text::SelectionEmpty);
  } else if (activate) {
    if (selectColumn) onFailure.Do(SelectEntireColumns(app));
    InstallRule(app, onFailure);
  } else {
    RemoveRules(app, onFailure);
  }
  Finish(app, onFailure);
}

}  // namespace kx::preventer
