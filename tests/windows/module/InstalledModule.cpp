#include "tests/windows/module/InstalledModule.h"

#include <gtest/gtest.h>

namespace kx::testing {

namespace {

const wchar_t* kClassId = L"{55E428FD-C98E-4626-95F7-7C2967E89BC7}";

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
  std::wstring folder(buffer, length);
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

void DeleteFolder(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      ::DeleteFileW((folder + L"\\" + name).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }
  ::RemoveDirectoryW(folder.c_str());
}

void CopyTree(HKEY fromRoot, const std::wstring& from, HKEY toRoot, const std::wstring& to) {
  HKEY source = nullptr;
  if (::RegOpenKeyExW(fromRoot, from.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS) return;
  HKEY target = nullptr;
  if (::RegCreateKeyExW(toRoot, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                        nullptr) == ERROR_SUCCESS) {
    ::RegCopyTreeW(source, nullptr, target);
    ::RegCloseKey(target);
  }
  ::RegCloseKey(source);
}

}  // namespace

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\'));
}

InstalledModule::InstalledModule(bool withRibbonDefinition) {
  // A folder of its own each time: a module the process still holds cannot be replaced.
  static int made = 0;
  folder_ = TempFolder() + L"\\Kestrix T\u00e9st " + std::to_wstring(::GetCurrentProcessId()) +
            L"-" + std::to_wstring(++made);
  ::CreateDirectoryW(folder_.c_str(), nullptr);
  EXPECT_TRUE(::CopyFileW((ProgramFolder() + L"\\Kestrix.dll").c_str(), Path().c_str(), FALSE));
  if (withRibbonDefinition) {
    EXPECT_TRUE(::CopyFileW((ProgramFolder() + L"\\CaseRibbon.xml").c_str(),
                            (folder_ + L"\\CaseRibbon.xml").c_str(), FALSE));
  }
}

InstalledModule::~InstalledModule() {
  // COM may still hold the module; a copy it holds is left for the system's temporary files.
  ::CoFreeUnusedLibraries();
  DeleteFolder(folder_);
}

HRESULT InstalledModule::CallExport(const char* name) {
  HMODULE module = ::LoadLibraryW(Path().c_str());
  if (module == nullptr) return HRESULT_FROM_WIN32(::GetLastError());
  using Entry = HRESULT(STDAPICALLTYPE*)();
  auto entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
  HRESULT hr = entry != nullptr ? entry() : E_NOTIMPL;
  ::FreeLibrary(module);
  return hr;
}

HRESULT InstalledModule::Register() {
  HRESULT hr = CallExport("DllRegisterServer");
  if (SUCCEEDED(hr) && UnderWine()) MirrorUserClassesForWine();
  return hr;
}

HRESULT InstalledModule::Unregister() {
  if (UnderWine()) RemoveClassMirrorForWine();
  return CallExport("DllUnregisterServer");
}

bool UnderWine() {
  HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

void MirrorUserClassesForWine() {
  const std::wstring classKey = std::wstring(L"Software\\Classes\\CLSID\\") + kClassId;
  CopyTree(HKEY_CURRENT_USER, classKey, HKEY_LOCAL_MACHINE, classKey);
  CopyTree(HKEY_CURRENT_USER, L"Software\\Classes\\Kestrix.Connect", HKEY_LOCAL_MACHINE,
           L"Software\\Classes\\Kestrix.Connect");
}

void RemoveClassMirrorForWine() {
  const std::wstring classKey = std::wstring(L"Software\\Classes\\CLSID\\") + kClassId;
  for (const std::wstring& key : {classKey, std::wstring(L"Software\\Classes\\Kestrix.Connect")}) {
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
  }
}

std::optional<std::wstring> UserText(const std::wstring& key, const std::wstring& name) {
  wchar_t buffer[2048] = {};
  DWORD size = sizeof buffer;
  DWORD type = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.empty() ? nullptr : name.c_str(),
                     RRF_RT_ANY, &type, buffer, &size) != ERROR_SUCCESS ||
      type != REG_SZ) {
    return std::nullopt;
  }
  return std::wstring(buffer);
}

std::optional<DWORD> UserNumber(const std::wstring& key, const std::wstring& name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  DWORD type = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name.c_str(), RRF_RT_ANY, &type, &value,
                     &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    return std::nullopt;
  }
  return value;
}

bool UserKeyExists(const std::wstring& key) {
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(opened);
  return true;
}

std::string FileText(const std::wstring& path) {
  std::string text;
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  ::CloseHandle(file);
  return text;
}

}  // namespace kx::testing
