#include "memhost/objects/Validation.h"

#include "memhost/rules/DisplayText.h"
#include "memhost/rules/TextMatch.h"
#include "memhost/rules/ValidationCheck.h"

namespace kx::memhost {

namespace {

host::Error Refused(std::string what) {
  return host::Fail(host::err::ApplicationDefined, std::move(what));
}

std::string FormulaText(const std::optional<host::Variant>& v) {
  if (!v) return {};
  if (v->IsNumber()) return FormulaBarNumber(v->AsNumber());
  return DisplayText(*v, "General");
}

}  // namespace

host::Result<const ValidationRule*> Validation::Rule(const char* member) {
  KX_MEMHOST_ENTER(*sheet_.state, member);
  if (!sheet_.Alive()) return ObjectGone();
  const ValidationRule* rule =
      RuleAt(*sheet_.sheet, {areas_[0].firstRow, areas_[0].firstColumn});
  if (!rule) return Refused("Application-defined or object-defined error: the cells have no validation");
  return rule;
}

host::Result<ValidationRule*> Validation::MutableRule(const char* member) {
  const ValidationRule* rule = KX_TRY(Rule(member));
  for (ValidationRule& r : sheet_.sheet->MutableValidations()) {
    if (&r == rule) return &r;
  }
  return Refused("the validation rule is gone");
}

template <class T>
host::Result<T> Validation::Get(const char* member, T ValidationRule::*field) {
  const ValidationRule* rule = KX_TRY(Rule(member));
  return rule->*field;
}

template <class T>
host::Result<void> Validation::Set(const char* member, T ValidationRule::*field, const T& value) {
  ValidationRule* rule = KX_TRY(MutableRule(member));
  rule->*field = value;
  return {};
}

host::Result<void> Validation::Add(const host::ValidationAddArgs& args) {
  KX_MEMHOST_ENTER(*sheet_.state, "Validation.Add");
  if (!sheet_.Alive()) return ObjectGone();
  Sheet& sheet = *sheet_.sheet;
  for (const ValidationRule& rule : sheet.validations()) {
    for (const Area& a : rule.areas) {
      for (const Area& mine : areas_) {
        Area overlap;
        if (Intersect(a, mine, overlap)) {
          return Refused("Application-defined or object-defined error: the cells already have validation");
        }
      }
    }
  }
  if (args.Type < host::xl::ValidateInputOnly || args.Type > host::xl::ValidateCustom) {
    return Refused("Validation.Add: unknown Type");
  }
  std::string formula1 = FormulaText(args.Formula1);
  bool needsFormula = args.Type != host::xl::ValidateInputOnly;
  if (needsFormula && formula1.empty()) return Refused("Validation.Add: Formula1 is required");
  if (CharCount(formula1) > 255) return Refused("Validation.Add: Formula1 exceeds 255 characters");
  long alert = args.AlertStyle.value_or(host::xl::ValidAlertStop);
  if (alert < host::xl::ValidAlertStop || alert > host::xl::ValidAlertInformation) {
    return Refused("Validation.Add: unknown AlertStyle");
  }
  ValidationRule rule;
  rule.areas = areas_;
  rule.type = args.Type;
  rule.alertStyle = alert;
  rule.op = args.Operator.value_or(host::xl::Between);
  rule.formula1 = std::move(formula1);
  // Custom rules ignore Formula2, as the host does.
  if (args.Type != host::xl::ValidateCustom) rule.formula2 = FormulaText(args.Formula2);
  sheet.MutableValidations().push_back(std::move(rule));
  return {};
}

host::Result<void> Validation::Delete() {
  KX_MEMHOST_ENTER(*sheet_.state, "Validation.Delete");
  if (!sheet_.Alive()) return ObjectGone();
  RemoveRulesFrom(*sheet_.sheet, areas_);
  return {};
}

host::Result<long> Validation::Type() { return Get("Validation.Type", &ValidationRule::type); }
host::Result<long> Validation::AlertStyle() {
  return Get("Validation.AlertStyle", &ValidationRule::alertStyle);
}
host::Result<long> Validation::Operator() { return Get("Validation.Operator", &ValidationRule::op); }
host::Result<std::string> Validation::Formula1() {
  return Get("Validation.Formula1", &ValidationRule::formula1);
}
host::Result<std::string> Validation::Formula2() {
  return Get("Validation.Formula2", &ValidationRule::formula2);
}
host::Result<bool> Validation::IgnoreBlank() {
  return Get("Validation.IgnoreBlank", &ValidationRule::ignoreBlank);
}
host::Result<void> Validation::SetIgnoreBlank(bool value) {
  return Set("Validation.SetIgnoreBlank", &ValidationRule::ignoreBlank, value);
}
host::Result<bool> Validation::InCellDropdown() {
  return Get("Validation.InCellDropdown", &ValidationRule::inCellDropdown);
}
host::Result<void> Validation::SetInCellDropdown(bool value) {
  return Set("Validation.SetInCellDropdown", &ValidationRule::inCellDropdown, value);
}
host::Result<std::string> Validation::InputTitle() {
  return Get("Validation.InputTitle", &ValidationRule::inputTitle);
}
host::Result<void> Validation::SetInputTitle(const std::string& value) {
  return Set("Validation.SetInputTitle", &ValidationRule::inputTitle, value);
}
host::Result<std::string> Validation::ErrorTitle() {
  return Get("Validation.ErrorTitle", &ValidationRule::errorTitle);
}
host::Result<void> Validation::SetErrorTitle(const std::string& value) {
  return Set("Validation.SetErrorTitle", &ValidationRule::errorTitle, value);
}
host::Result<std::string> Validation::InputMessage() {
  return Get("Validation.InputMessage", &ValidationRule::inputMessage);
}
host::Result<void> Validation::SetInputMessage(const std::string& value) {
  return Set("Validation.SetInputMessage", &ValidationRule::inputMessage, value);
}
host::Result<std::string> Validation::ErrorMessage() {
  return Get("Validation.ErrorMessage", &ValidationRule::errorMessage);
}
host::Result<void> Validation::SetErrorMessage(const std::string& value) {
  return Set("Validation.SetErrorMessage", &ValidationRule::errorMessage, value);
}
host::Result<bool> Validation::ShowInput() {
  return Get("Validation.ShowInput", &ValidationRule::showInput);
}
host::Result<void> Validation::SetShowInput(bool value) {
  return Set("Validation.SetShowInput", &ValidationRule::showInput, value);
}
host::Result<bool> Validation::ShowError() {
  return Get("Validation.ShowError", &ValidationRule::showError);
}
host::Result<void> Validation::SetShowError(bool value) {
  return Set("Validation.SetShowError", &ValidationRule::showError, value);
}

host::Result<bool> Validation::Value() {
  const ValidationRule* rule = KX_TRY(Rule("Validation.Value"));
  CellPos pos{areas_[0].firstRow, areas_[0].firstColumn};
  return RuleAccepts(sheet_, *rule, pos, sheet_.sheet->CellAt(pos));
}

}  // namespace kx::memhost
