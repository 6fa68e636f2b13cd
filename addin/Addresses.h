#pragma once
// The maker's and the product's fixed addresses.

#include <string_view>

namespace kx::addin {

inline constexpr std::string_view kProductGuideAddress = "https://kestrix.example/guide";
inline constexpr std::string_view kMakerSiteAddress = "https://kestrix.example";
inline constexpr std::string_view kMakerEmail = "feedback@kestrix.example";

}  // namespace kx::addin
