#pragma once
// Kestrix.dll as a test installs it: copied with its ribbon definition into a folder of its own
// (a name with a space and an accent, as a user's profile may have), loaded and registered for
// the current user through its own entry point, and unregistered again.

#include <windows.h>

#include <optional>
#include <string>

namespace kx::testing {

class InstalledModule {
 public:
  // Copies the module (and, unless told otherwise, CaseRibbon.xml) from beside the test
  // program into a new folder under the user's temporary folder.
  explicit InstalledModule(bool withRibbonDefinition = true);
  ~InstalledModule();
  InstalledModule(const InstalledModule&) = delete;
  InstalledModule& operator=(const InstalledModule&) = delete;

  const std::wstring& Folder() const { return folder_; }
  std::wstring Path() const { return folder_ + L"\\Kestrix.dll"; }

  // The module's own DllRegisterServer and DllUnregisterServer.
  HRESULT Register();
  HRESULT Unregister();

 private:
  HRESULT CallExport(const char* name);
  std::wstring folder_;
};

// The folder of this test program.
std::wstring ProgramFolder();
// True under Wine, which reads COM classes only from the machine-wide classes root: a class
// registered for the user is mirrored there for the test's lifetime.
bool UnderWine();
void MirrorUserClassesForWine();
void RemoveClassMirrorForWine();

// A registry value of HKEY_CURRENT_USER as text (REG_SZ) or number (REG_DWORD); nothing when
// the key or value is missing.
std::optional<std::wstring> UserText(const std::wstring& key, const std::wstring& name = L"");
std::optional<DWORD> UserNumber(const std::wstring& key, const std::wstring& name);
bool UserKeyExists(const std::wstring& key);
// A file's bytes; empty when it cannot be read.
std::string FileText(const std::wstring& path);

}  // namespace kx::testing
