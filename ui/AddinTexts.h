#pragma once
// Texts of the add-in that several of its parts show.

#include <string_view>

namespace kx::ui::text {

inline constexpr std::string_view NoWorkbook = "Please add a New Workbook!";
inline constexpr std::string_view SelectSingleColumn = "Please Select Single Column!";
inline constexpr std::string_view SelectTwoColumns = "Please Select Two Column!";
inline constexpr std::string_view SelectionEmpty = "Selection is Empty!";
inline constexpr std::string_view Processing = "Processing...!";

}  // namespace kx::ui::text
