#include "addin/Commands.h"

namespace kx::addin {

std::optional<CommandId> CommandForTag(std::string_view tag) {
  for (const auto& route : kRoutes) {
    if (route.menuTag == tag) return route.id;
  }
  return std::nullopt;
}

std::optional<CommandId> CommandForRibbonId(std::string_view id) {
  for (const auto& route : kRoutes) {
    if (route.ribbonId && *route.ribbonId == id) return route.id;
  }
  return std::nullopt;
}

}  // namespace kx::addin
