#pragma once
// PropertyChange: one assignment to a watched control property, as a form reports it.

#include <string>
#include <string_view>
#include <variant>

namespace kx::ui {

// The texts are views, valid during the report only: a progress window reports its bar and
// label at every step of a run, and copying four strings each time cost more than the step.
struct PropertyChange {
  std::string_view Form;      // "frmPrgBar"
  std::string_view Control;   // "lblPer"
  int Index = -1;             // the element of a control array, -1 for a single control
  std::string_view Property;  // "Caption", "Min", "Max", "Value"
  std::variant<std::string_view, double> Value;
};

// A change kept after its report, owning its texts.
struct RecordedChange {
  explicit RecordedChange(const PropertyChange& change)
      : Form(change.Form), Control(change.Control), Index(change.Index), Property(change.Property) {
    if (const auto* text = std::get_if<std::string_view>(&change.Value)) Value = std::string(*text);
    else Value = std::get<double>(change.Value);
  }
  std::string Form;
  std::string Control;
  int Index = -1;
  std::string Property;
  std::variant<std::string, double> Value;
};

}  // namespace kx::ui
