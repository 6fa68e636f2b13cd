#pragma once
// Validation: the data-validation rule of a range's cells.

#include <optional>
#include <string>

#include "host/Result.h"
#include "host/Variant.h"

namespace kx::host {

struct ValidationAddArgs {
  long Type = 0;  // xl::ValidateCustom, ...
  std::optional<long> AlertStyle;
  std::optional<long> Operator;
  std::optional<Variant> Formula1;
  std::optional<Variant> Formula2;
};

class Validation {
 public:
  virtual ~Validation() = default;

  // Fails with 1004 when the cells already have a rule (Delete it first), as the host does.
  virtual Result<void> Add(const ValidationAddArgs& args) = 0;
  virtual Result<void> Delete() = 0;

  // Reading a member of cells without a rule fails with 1004.
  virtual Result<long> Type() = 0;
  virtual Result<long> AlertStyle() = 0;
  virtual Result<long> Operator() = 0;
  virtual Result<std::string> Formula1() = 0;
  virtual Result<std::string> Formula2() = 0;
  virtual Result<bool> IgnoreBlank() = 0;
  virtual Result<void> SetIgnoreBlank(bool value) = 0;
  virtual Result<bool> InCellDropdown() = 0;
  virtual Result<void> SetInCellDropdown(bool value) = 0;
  virtual Result<std::string> InputTitle() = 0;
  virtual Result<void> SetInputTitle(const std::string& value) = 0;
  virtual Result<std::string> ErrorTitle() = 0;
  virtual Result<void> SetErrorTitle(const std::string& value) = 0;
  virtual Result<std::string> InputMessage() = 0;
  virtual Result<void> SetInputMessage(const std::string& value) = 0;
  virtual Result<std::string> ErrorMessage() = 0;
  virtual Result<void> SetErrorMessage(const std::string& value) = 0;
  virtual Result<bool> ShowInput() = 0;
  virtual Result<void> SetShowInput(bool value) = 0;
  virtual Result<bool> ShowError() = 0;
  virtual Result<void> SetShowError(bool value) = 0;
  // True when the cell's content meets its rule.
  virtual Result<bool> Value() = 0;
};

}  // namespace kx::host
