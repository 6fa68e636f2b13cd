#pragma once
// Registration for the current user: the class Connect and its ProgID, the type library and
// the module's interfaces under HKEY_CURRENT_USER\Software\Classes, and the host's add-in key
// with FriendlyName, Description and LoadBehavior. No administrator is needed. Unregistration
// removes exactly the keys registration makes; both can run twice.

#include <windows.h>

#include <string>
#include <variant>
#include <vector>

namespace kx::module {

// One value registration writes under HKEY_CURRENT_USER.
struct RegistryEntry {
  std::wstring key;
  std::wstring name;  // empty: the key's default value
  std::variant<std::wstring, DWORD> value;
};

// Every value registration writes for the module at `modulePath`, in writing order.
std::vector<RegistryEntry> RegistrationEntries(const std::wstring& modulePath);
// The keys registration makes and unregistration removes with all they hold.
std::vector<std::wstring> RegisteredKeys();

// True when every value was written; on a failure nothing of it is left behind.
bool RegisterForUser(const std::wstring& modulePath);
bool UnregisterForUser();

}  // namespace kx::module
