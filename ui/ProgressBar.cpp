#include "ui/ProgressBar.h"

#include <algorithm>
#include <cmath>

namespace kx::ui {

void ProgressBar::SetMin(float min) {
  if (std::isnan(min)) return;
  min_ = min;
  if (max_ < min_) {
    max_ = min_;
    Report("Max", max_);
  }
  Report("Min", min_);
  KeepValueInRange();
}

void ProgressBar::SetMax(float max) {
  if (std::isnan(max)) return;
  max_ = max;
  if (min_ > max_) {
    min_ = max_;
    Report("Min", min_);
  }
  Report("Max", max_);
  KeepValueInRange();
}

void ProgressBar::SetValue(float value) {
  // A value that is not a number shows as an empty bar rather than poisoning the percentage.
  value_ = std::isnan(value) ? min_ : std::clamp(value, min_, max_);
  Report("Value", value_);
}

void ProgressBar::KeepValueInRange() {
  const float kept = std::clamp(value_, min_, max_);
  if (kept != value_) {
    value_ = kept;
    Report("Value", value_);
  }
}

}  // namespace kx::ui
