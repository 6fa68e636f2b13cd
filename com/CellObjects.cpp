// Interior, Validation and WorksheetFunction over the object model.

#include "com/Results.h"

namespace kx::com {

host::Result<host::Variant> InteriorObject::ColorIndex() {
  return ValueOf(late_.Get(L"ColorIndex"));
}

host::Result<void> InteriorObject::SetColorIndex(const host::Variant& index) {
  return late_.Put(L"ColorIndex", ComVariant(index));
}

host::Result<void> ValidationObject::Add(const host::ValidationAddArgs& args) {
  std::vector<NamedArg> named;
  named.push_back({L"Type", ComVariant::Long(args.Type)});
  if (args.AlertStyle) named.push_back({L"AlertStyle", ComVariant::Long(*args.AlertStyle)});
  if (args.Operator) named.push_back({L"Operator", ComVariant::Long(*args.Operator)});
  if (args.Formula1) named.push_back({L"Formula1", ComVariant(*args.Formula1)});
  if (args.Formula2) named.push_back({L"Formula2", ComVariant(*args.Formula2)});
  return Done(late_.Call(L"Add", {}, std::move(named)));
}

host::Result<void> ValidationObject::Delete() { return Done(late_.Call(L"Delete")); }
host::Result<long> ValidationObject::Type() { return LongOf(late_.Get(L"Type")); }
host::Result<long> ValidationObject::AlertStyle() { return LongOf(late_.Get(L"AlertStyle")); }
host::Result<long> ValidationObject::Operator() { return LongOf(late_.Get(L"Operator")); }
host::Result<std::string> ValidationObject::Formula1() { return TextOf(late_.Get(L"Formula1")); }
host::Result<std::string> ValidationObject::Formula2() { return TextOf(late_.Get(L"Formula2")); }
host::Result<bool> ValidationObject::IgnoreBlank() { return BoolOf(late_.Get(L"IgnoreBlank")); }
host::Result<void> ValidationObject::SetIgnoreBlank(bool value) {
  return late_.Put(L"IgnoreBlank", ComVariant::Bool(value));
}
host::Result<bool> ValidationObject::InCellDropdown() {
  return BoolOf(late_.Get(L"InCellDropdown"));
}
host::Result<void> ValidationObject::SetInCellDropdown(bool value) {
  return late_.Put(L"InCellDropdown", ComVariant::Bool(value));
}
host::Result<std::string> ValidationObject::InputTitle() {
  return TextOf(late_.Get(L"InputTitle"));
}
host::Result<void> ValidationObject::SetInputTitle(const std::string& value) {
  return late_.Put(L"InputTitle", ComVariant::Text(value));
}
host::Result<std::string> ValidationObject::ErrorTitle() {
  return TextOf(late_.Get(L"ErrorTitle"));
}
host::Result<void> ValidationObject::SetErrorTitle(const std::string& value) {
  return late_.Put(L"ErrorTitle", ComVariant::Text(value));
}
host::Result<std::string> ValidationObject::InputMessage() {
  return TextOf(late_.Get(L"InputMessage"));
}
host::Result<void> ValidationObject::SetInputMessage(const std::string& value) {
  return late_.Put(L"InputMessage", ComVariant::Text(value));
}
host::Result<std::string> ValidationObject::ErrorMessage() {
  return TextOf(late_.Get(L"ErrorMessage"));
}
host::Result<void> ValidationObject::SetErrorMessage(const std::string& value) {
  return late_.Put(L"ErrorMessage", ComVariant::Text(value));
}
host::Result<bool> ValidationObject::ShowInput() { return BoolOf(late_.Get(L"ShowInput")); }
host::Result<void> ValidationObject::SetShowInput(bool value) {
  return late_.Put(L"ShowInput", ComVariant::Bool(value));
}
host::Result<bool> ValidationObject::ShowError() { return BoolOf(late_.Get(L"ShowError")); }
host::Result<void> ValidationObject::SetShowError(bool value) {
  return late_.Put(L"ShowError", ComVariant::Bool(value));
}
host::Result<bool> ValidationObject::Value() { return BoolOf(late_.Get(L"Value")); }

host::Result<double> WorksheetFunctionObject::CountA(const host::RangeRef& range) {
  ComVariant cells = KX_TRY(ObjectArg(range));
  return DoubleOf(late_.Call(L"CountA", {cells}));
}

host::Result<double> WorksheetFunctionObject::CountIf(const host::RangeRef& range,
                                                      const host::Variant& criterion) {
  ComVariant cells = KX_TRY(ObjectArg(range));
  return DoubleOf(late_.Call(L"CountIf", {cells, ComVariant(criterion)}));
}

}  // namespace kx::com
