#pragma once
// What the module's classes share with its entry points: the module's handle and its count of
// live objects and locks, which decides whether the host may unload it.

#include <windows.h>

#include <string>

namespace kx::module {

HMODULE ThisModule();
void LockModule();
void UnlockModule();

// The module's full path, and its folder without a trailing separator.
std::wstring ModulePath();
std::wstring ModuleFolder();

}  // namespace kx::module
