#pragma once
// Showing: what the user saw when a form came up.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kx::ui {

struct Showing {
  std::string Form;
  bool Modal = false;
  std::string Caption;
  // Every label's caption at that moment, by its display name ("lblStatus", "lblColIndex(3)").
  std::vector<std::pair<std::string, std::string>> Labels;

  std::optional<std::string> Label(std::string_view name) const {
    for (const auto& [labelName, caption] : Labels) {
      if (labelName == name) return caption;
    }
    return std::nullopt;
  }
};

}  // namespace kx::ui
