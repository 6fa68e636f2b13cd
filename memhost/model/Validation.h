#pragma once
// A data-validation rule stored with the cells it covers.

#include <cstdint>
#include <string>
#include <vector>

#include "memhost/model/Grid.h"

namespace kx::memhost {

struct ValidationRule {
  std::vector<Area> areas;  // the cells it covers
  long type = 0;            // xl::ValidateCustom, ...
  long alertStyle = 1;      // xl::ValidAlertStop
  long op = 1;              // xl::Between
  // As the host's Formula1 gives them ("=COUNTIF($A:$A,A1)=1"), relative references written for
  // the first cell of the first area.
  std::string formula1;
  std::string formula2;
  bool ignoreBlank = true;
  bool inCellDropdown = true;
  bool showInput = true;
  bool showError = true;
  std::string inputTitle;
  std::string errorTitle;
  std::string inputMessage;
  std::string errorMessage;
  // The rule's position in the file it was read from, -1 for a rule made here; lets a writer
  // carry the original element through when the rule is unchanged.
  std::int32_t sourceIndex = -1;

  friend bool operator==(const ValidationRule&, const ValidationRule&) = default;
};

}  // namespace kx::memhost
