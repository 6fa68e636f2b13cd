#pragma once
// The program's commands and how each reaches the add-in: the ribbon control it presses and
// the worksheet-menu button (by tag) it clicks on a version 11 host.

#include <array>
#include <optional>
#include <string_view>

namespace kx::cli {

enum class CommandKind {
  Question,   // runs through the progress window's question
  Preventer,  // opens the Duplicate Preventer dialog
  Window,     // About: a window to read
  Browse,     // the online guide: an address handed to the browser
  Show,       // prints cells; the add-in is not involved
  Shell,
};

struct CliCommand {
  std::string_view name;
  CommandKind kind;
  std::string_view ribbonId;
  std::string_view menuTag;
  std::string_view summary;
};

inline constexpr std::array<CliCommand, 13> kCommands{{
    {"remove-duplicates", CommandKind::Question, "rDK", "KX18",
     "Remove Duplicates (Keep First) in Selection"},
    {"remove-all-duplicates", CommandKind::Question, "rDA", "KX19",
     "Remove all Duplicates in Selection"},
    {"remove-unique", CommandKind::Question, "rUA", "KX20", "Remove all Unique Values in Selection"},
    {"remove-list-entries", CommandKind::Question, "rLE", "KX22",
     "Remove Entries from 1st List exist in the other"},
    {"color-duplicates", CommandKind::Question, "cDR", "KX24", "Color Duplicate Rows"},
    {"color-unique", CommandKind::Question, "cUR", "KX25", "Color Unique Rows"},
    {"count-duplicates", CommandKind::Question, "ctDR", "KX26", "Count Duplicates in Selection"},
    {"count-unique", CommandKind::Question, "ctUR", "KX27", "Count Unique Values in Selection"},
    {"prevent-duplicates", CommandKind::Preventer, "rDP", "KX28",
     "Duplicate Preventer: Apply once, then Close"},
    {"about", CommandKind::Window, "hAB", "KX21", "About Kestrix"},
    {"guide", CommandKind::Browse, "hOH", "KX15", "Online User Guide"},
    {"show", CommandKind::Show, "", "",
     "print the selection's cells: values, fill colours, hidden rows, validation"},
    {"shell", CommandKind::Shell, "", "", "an interactive session"},
}};

inline const CliCommand* FindCommand(std::string_view name) {
  for (const auto& command : kCommands) {
    if (command.name == name) return &command;
  }
  return nullptr;
}

}  // namespace kx::cli
