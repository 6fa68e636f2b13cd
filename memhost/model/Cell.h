#pragma once
// A cell as memhost stores it: its value, its formula (if any) and its style.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>

#include "host/Variant.h"

namespace kx::memhost {

using StyleId = std::uint32_t;
inline constexpr StyleId kDefaultStyle = 0;

// A cell's formula text, or none. Few cells hold a formula, so the text lives apart and a
// constant pays one pointer for it rather than a whole string: a million-row column is 24 MB
// smaller.
class CellFormulaText {
 public:
  CellFormulaText() = default;
  CellFormulaText(std::string text)  // NOLINT: reads like the string it stands for
      : text_(text.empty() ? nullptr : std::make_unique<std::string>(std::move(text))) {}
  CellFormulaText(const char* text) : CellFormulaText(std::string(text)) {}  // NOLINT
  CellFormulaText(const CellFormulaText& other) : CellFormulaText(other.str()) {}
  CellFormulaText(CellFormulaText&&) noexcept = default;
  CellFormulaText& operator=(const CellFormulaText& other) { return *this = CellFormulaText(other); }
  CellFormulaText& operator=(CellFormulaText&&) noexcept = default;

  bool empty() const { return text_ == nullptr; }
  const std::string& str() const { return text_ ? *text_ : Empty(); }
  operator const std::string&() const { return str(); }  // NOLINT: used where a string is
  operator std::string_view() const { return str(); }     // NOLINT

  friend bool operator==(const CellFormulaText& a, const CellFormulaText& b) { return a.str() == b.str(); }
  friend bool operator==(const CellFormulaText& a, const std::string& b) { return a.str() == b; }
  friend bool operator==(const CellFormulaText& a, const char* b) { return a.str() == b; }
  friend std::ostream& operator<<(std::ostream& out, const CellFormulaText& f) { return out << f.str(); }

 private:
  static const std::string& Empty() {
    static const std::string kNone;
    return kNone;
  }
  std::unique_ptr<std::string> text_;
};

struct Cell {
  host::Variant value;  // for a formula cell, its last calculated value
  CellFormulaText formula;  // "=A1+1" as the host shows it; empty for a constant
  StyleId style = kDefaultStyle;

  bool HasFormula() const { return !formula.empty(); }
  // A cell the sheet need not keep: no value, no formula, default style.
  bool IsBlank() const { return value.IsEmpty() && formula.empty() && style == kDefaultStyle; }
  friend bool operator==(const Cell&, const Cell&) = default;
};

}  // namespace kx::memhost
