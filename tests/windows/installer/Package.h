#pragma once
// The installer package as a user meets it: run by msiexec without a window, found again in
// the system's list of installed programs, and what it leaves in the user's folder and registry.

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kx::testing {

// The package of this test program's bitness beside it, one of an earlier version, and one of
// the same version built again.
std::wstring PackagePath();
std::wstring OlderPackagePath();
std::wstring RebuiltPackagePath();

// msiexec's exit code for `arguments` (0: done; 1603: the package refused or failed).
DWORD Msiexec(const std::wstring& arguments);
DWORD Install(const std::wstring& package);
DWORD Uninstall(const std::wstring& productCode);

// The products installed under Kestrix's upgrade code, as Windows Installer tracks them.
std::vector<std::wstring> InstalledProducts();
// A property of an installed product as the installer holds it for the current user alone
// ("ProductName", "VersionString", ...); nothing when the product is not installed for this user.
std::optional<std::wstring> UserProductInfo(const std::wstring& productCode, const wchar_t* name);
// Removes every Kestrix product, so a test starts from a machine without one.
void UninstallAll();

// The product's entry under ...\CurrentVersion\Uninstall, wherever the installer keeps it:
// the current user's or the machine's, in either registry view.
struct UninstallEntry {
  std::wstring displayName, displayVersion, publisher;
};
std::optional<UninstallEntry> FindUninstallEntry(const std::wstring& productCode);

// Every value under `root`'s `keys` and their subkeys: "key\name" to "REG_SZ text" or
// "REG_DWORD n". Keys without values appear as "key\" mapped to "(key)".
using RegistryValues = std::map<std::wstring, std::wstring>;
RegistryValues ReadValues(HKEY root, const std::vector<std::wstring>& keys);

// What the module's own DllRegisterServer writes for the module at `path`, run with the
// current user's registry pointed at a scratch key that is removed again.
RegistryValues SelfRegisteredValues(const std::wstring& modulePath,
                                    const std::vector<std::wstring>& keys);

// The names of the files in `folder`, sorted; `folder` itself missing gives nothing.
std::vector<std::wstring> FilesIn(const std::wstring& folder);
bool FolderExists(const std::wstring& folder);
// The ProductVersion of a module's version resource.
std::wstring ModuleVersion(const std::wstring& path);

// %LOCALAPPDATA%
std::wstring LocalAppData();

}  // namespace kx::testing
