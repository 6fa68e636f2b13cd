#pragma once
// The add-in's commands and the two roads that reach them: a menu button's tag and a ribbon
// control's id. Both are compared exactly, character by character.

#include <array>
#include <optional>
#include <string_view>

namespace kx::addin {

enum class CommandId {
  OnlineGuide,
  Undo,
  Exit,
  RemoveDuplicatesKeepFirst,
  RemoveAllDuplicates,
  RemoveAllUnique,
  About,
  RemoveListEntries,
  ColorDuplicateRows,
  ColorUniqueRows,
  CountDuplicates,
  CountUnique,
  DuplicatePreventer,
};

struct CommandRoute {
  CommandId id;
  std::string_view menuTag;
  std::optional<std::string_view> ribbonId;  // undo has no ribbon control
};

// In the order the menu handler tests its tags.
inline constexpr std::array<CommandRoute, 13> kRoutes{{
    {CommandId::OnlineGuide, "KX15", "hOH"},
    {CommandId::Undo, "KX16", std::nullopt},
    {CommandId::Exit, "KX17", "hTO"},
    {CommandId::RemoveDuplicatesKeepFirst, "KX18", "rDK"},
    {CommandId::RemoveAllDuplicates, "KX19", "rDA"},
    {CommandId::RemoveAllUnique, "KX20", "rUA"},
    {CommandId::About, "KX21", "hAB"},
    {CommandId::RemoveListEntries, "KX22", "rLE"},
    {CommandId::ColorDuplicateRows, "KX24", "cDR"},
    {CommandId::ColorUniqueRows, "KX25", "cUR"},
    {CommandId::CountDuplicates, "KX26", "ctDR"},
    {CommandId::CountUnique, "KX27", "ctUR"},
    {CommandId::DuplicatePreventer, "KX28", "rDP"},
}};

std::optional<CommandId> CommandForTag(std::string_view tag);
std::optional<CommandId> CommandForRibbonId(std::string_view id);

}  // namespace kx::addin
