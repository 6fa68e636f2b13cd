#pragma once
// How the add-in is registered with the host's list of add-ins: the one place these values
// live, read by memhost's add-in list here and by the Windows registration later.

#include <string>
#include <string_view>

#include "host/AddIn.h"
#include "ui/Driver.h"

namespace kx::addin {

inline constexpr std::string_view kProgId = "Kestrix.Connect";
inline constexpr std::string_view kFriendlyName = "Kestrix";
inline constexpr std::string_view kDescription = "Add-In Project Template";
// Loaded now, and again at every start of the host.
inline constexpr long kLoadBehavior = 3;

// The registration whose factory makes a Connect drawing its windows with `ui` and finding its
// ribbon definition in `moduleFolder` (the folder of the add-in's binary).
host::AddInRegistration KestrixRegistration(ui::Driver& ui, std::string moduleFolder);

}  // namespace kx::addin
