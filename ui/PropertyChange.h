#pragma once
// PropertyChange: one assignment to a watched control property, as a form reports it.

#include <string>
#include <variant>

namespace kx::ui {

struct PropertyChange {
  std::string Form;      // "frmPrgBar"
  std::string Control;   // "lblPer"
  int Index = -1;        // the element of a control array, -1 for a single control
  std::string Property;  // "Caption", "Min", "Max", "Value"
  std::variant<std::string, double> Value;
};

}  // namespace kx::ui
