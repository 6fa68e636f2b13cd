#pragma once
// Handing a web address to the desktop's opener.

#include <string>

namespace kx::ui::terminal {

// Starts `xdg-open ADDRESS` (no shell, not waited for) and returns whether it could be started.
// Openers started earlier that have finished are reaped here.
bool SpawnOpener(const std::string& address);

}  // namespace kx::ui::terminal
