#pragma once
// The ribbon definition: the file CaseRibbon.xml in the module's folder, read in the system's
// ANSI code page. A missing or unreadable file gives an empty definition (the ribbon then shows
// nothing of the add-in); reading never creates or changes the file.

#include <string>

namespace kx::module {

std::wstring ReadRibbonDefinition(const std::wstring& moduleFolder);

}  // namespace kx::module
