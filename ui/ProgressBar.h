#pragma once
// ProgressBar: a bar with a minimum, a maximum and a value, all settable and readable.
//
// The value always stays within [Min, Max]: a value set above the maximum shows as the maximum
// and one below the minimum as the minimum, so a percentage computed as Value * 100 / Max from
// what the bar reports never passes 100. Moving Max below the value pulls the value down with
// it, and the two bounds never cross (setting one past the other moves the other along).

#include <functional>
#include <string_view>

#include "ui/ControlBase.h"

namespace kx::ui {

class ProgressBar : public ControlBase {
 public:
  float Min() const { return min_; }
  float Max() const { return max_; }
  float Value() const { return value_; }

  void SetMin(float min);
  void SetMax(float max);
  void SetValue(float value);

  // Installed by the form when it registers the bar; hears "Min", "Max" or "Value" and the
  // value the bar now holds.
  void ReportTo(std::function<void(std::string_view property, float value)> onSet) {
    onSet_ = std::move(onSet);
  }

 private:
  void Report(std::string_view property, float value) const {
    if (onSet_) onSet_(property, value);
  }
  void KeepValueInRange();

  float min_ = 0;
  float max_ = 100;
  float value_ = 0;
  std::function<void(std::string_view, float)> onSet_;
};

}  // namespace kx::ui
