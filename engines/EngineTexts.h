#pragma once
// The texts the engines show.

#include <string_view>

namespace kx::engines::text {

inline constexpr std::string_view NoWorkbook = "Please add a New Workbook!";
inline constexpr std::string_view SelectSingleColumn = "Please Select Single Column!";
inline constexpr std::string_view SelectTwoColumns = "Please Select Two Column!";
inline constexpr std::string_view SelectionEmpty = "Selection is Empty!";
inline constexpr std::string_view Processing = "Processing...!";

}  // namespace kx::engines::text
