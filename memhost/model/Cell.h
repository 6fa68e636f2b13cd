#pragma once
// A cell as memhost stores it: its value, its formula (if any) and its style.

#include <cstdint>
#include <string>

#include "host/Variant.h"

namespace kx::memhost {

using StyleId = std::uint32_t;
inline constexpr StyleId kDefaultStyle = 0;

struct Cell {
  host::Variant value;  // for a formula cell, its last calculated value
  std::string formula;  // "=A1+1" as the host shows it; empty for a constant
  StyleId style = kDefaultStyle;

  bool HasFormula() const { return !formula.empty(); }
  // A cell the sheet need not keep: no value, no formula, default style.
  bool IsBlank() const { return value.IsEmpty() && formula.empty() && style == kDefaultStyle; }
  friend bool operator==(const Cell&, const Cell&) = default;
};

}  // namespace kx::memhost
