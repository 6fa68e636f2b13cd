#pragma once
// Validation: the data-validation rule of a range's cells, kept on the sheet with the areas it
// covers (one rule per cell, as the host keeps it).

#include <vector>

#include "host/Validation.h"
#include "memhost/SheetHandle.h"

namespace kx::memhost {

class Validation final : public host::Validation {
 public:
  Validation(SheetHandle sheet, std::vector<Area> areas)
      : sheet_(std::move(sheet)), areas_(std::move(areas)) {}

  host::Result<void> Add(const host::ValidationAddArgs& args) override;
  host::Result<void> Delete() override;

  host::Result<long> Type() override;
  host::Result<long> AlertStyle() override;
  host::Result<long> Operator() override;
  host::Result<std::string> Formula1() override;
  host::Result<std::string> Formula2() override;
  host::Result<bool> IgnoreBlank() override;
  host::Result<void> SetIgnoreBlank(bool value) override;
  host::Result<bool> InCellDropdown() override;
  host::Result<void> SetInCellDropdown(bool value) override;
  host::Result<std::string> InputTitle() override;
  host::Result<void> SetInputTitle(const std::string& value) override;
  host::Result<std::string> ErrorTitle() override;
  host::Result<void> SetErrorTitle(const std::string& value) override;
  host::Result<std::string> InputMessage() override;
  host::Result<void> SetInputMessage(const std::string& value) override;
  host::Result<std::string> ErrorMessage() override;
  host::Result<void> SetErrorMessage(const std::string& value) override;
  host::Result<bool> ShowInput() override;
  host::Result<void> SetShowInput(bool value) override;
  host::Result<bool> ShowError() override;
  host::Result<void> SetShowError(bool value) override;
  host::Result<bool> Value() override;

 private:
  // The rule of the range's first cell; 1004 when it has none.
  host::Result<const ValidationRule*> Rule(const char* member);
  host::Result<ValidationRule*> MutableRule(const char* member);
  template <class T>
  host::Result<T> Get(const char* member, T ValidationRule::*field);
  template <class T>
  host::Result<void> Set(const char* member, T ValidationRule::*field, const T& value);

  SheetHandle sheet_;
  std::vector<Area> areas_;
};

}  // namespace kx::memhost
