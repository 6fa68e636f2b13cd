#pragma once
// The "&Kestrix" popup the add-in adds to the host's worksheet menu bar on a host with classic
// menus, button by button.

#include <array>
#include <optional>
#include <string_view>

namespace kx::addin {

inline constexpr std::string_view kMenuBarName = "Worksheet Menu Bar";
inline constexpr std::string_view kPopupCaption = "&Kestrix";

struct MenuButton {
  std::string_view caption;
  long faceId;
  std::string_view tag;
  bool beginGroup;                          // a separator above the button
  std::optional<long> parameter;
  std::optional<std::string_view> onAction;
};

// In menu order.
inline constexpr std::array<MenuButton, 13> kMenuButtons{{
    {"Undo Changes", 128, "KX16", false, std::nullopt, std::nullopt},
    {"Remove Duplicates(Keep First) in Selection", 450, "KX18", true, std::nullopt, std::nullopt},
    {"Remove all Duplicates in Selection", 486, "KX19", false, 1, std::nullopt},
    {"Remove all Unique Values in Selection", 452, "KX20", false, 1, std::nullopt},
    {"Remove Entries from 1st List exist in the other", 543, "KX22", true, std::nullopt,
     std::nullopt},
    {"Duplicate Preventer", 357, "KX28", false, std::nullopt, std::nullopt},
    {"&Color Duplicate Rows", 419, "KX24", true, std::nullopt, std::nullopt},
    {"&Color Unique Rows", 1084, "KX25", false, std::nullopt, std::nullopt},
    {"Count &Duplicates in Selection", 537, "KX26", true, std::nullopt, std::nullopt},
    {"Count &Unique Values in Selection", 2131, "KX27", false, std::nullopt, std::nullopt},
    {"&About Kestrix", 487, "KX21", true, std::nullopt, std::nullopt},
    {"Online &User Guide", 984, "KX15", false, 1, "help_file"},
    {"E&xit Kestrix", 7640, "KX17", true, 1, "exit"},
}};

}  // namespace kx::addin
