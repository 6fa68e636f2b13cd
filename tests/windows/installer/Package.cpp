#include "tests/windows/installer/Package.h"

#include <msi.h>
#include <shlobj.h>

#include <algorithm>

#include "tests/windows/module/InstalledModule.h"

namespace kx::testing {

namespace {

// The package's fixed upgrade code: every version and both bitnesses share it.
constexpr const wchar_t* kUpgradeCode = L"{52C410A7-EB88-496D-B91F-559ED1EAA162}";
constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const wchar_t* kScratchKey = L"Software\\Kestrix Test Scratch";

#ifdef _WIN64
constexpr const wchar_t* kPlatform = L"x64";
#else
constexpr const wchar_t* kPlatform = L"x86";
#endif

std::wstring Text(HKEY key, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD size = sizeof buffer;
  if (::RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS) {
    return L"(none)";
  }
  return buffer;
}

void ReadTree(HKEY root, const std::wstring& path, RegistryValues& values) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  values[path + L"\\"] = L"(key)";
  for (DWORD i = 0;; ++i) {
    wchar_t name[256] = {};
    DWORD nameLength = 256;
    BYTE data[4096] = {};
    DWORD dataSize = sizeof data;
    DWORD type = 0;
    if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS) {
      break;
    }
    std::wstring shown;
    if (type == REG_SZ) {
      shown = L"REG_SZ " + std::wstring(reinterpret_cast<const wchar_t*>(data));
    } else if (type == REG_DWORD) {
      shown = L"REG_DWORD " + std::to_wstring(*reinterpret_cast<const DWORD*>(data));
    } else {
      shown = L"type " + std::to_wstring(type);
    }
    values[path + L"\\" + (nameLength == 0 ? L"@" : name)] = shown;
  }
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256] = {};
    DWORD nameLength = 256;
    if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    subkeys.push_back(name);
  }
  ::RegCloseKey(key);
  for (const auto& subkey : subkeys) ReadTree(root, path + L"\\" + subkey, values);
}

}  // namespace

std::wstring PackagePath() { return ProgramFolder() + L"\\Kestrix-" + kPlatform + L".msi"; }
std::wstring OlderPackagePath() {
  return ProgramFolder() + L"\\Kestrix-" + kPlatform + L"-older.msi";
}
std::wstring RebuiltPackagePath() {
  return ProgramFolder() + L"\\Kestrix-" + kPlatform + L"-rebuilt.msi";
}

DWORD Msiexec(const std::wstring& arguments) {
  std::wstring command = L"msiexec.exe " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    return ::GetLastError();
  }
  DWORD code = WAIT_TIMEOUT;
  if (::WaitForSingleObject(process.hProcess, 5 * 60 * 1000) == WAIT_OBJECT_0) {
    ::GetExitCodeProcess(process.hProcess, &code);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

DWORD Install(const std::wstring& package) { return Msiexec(L"/i \"" + package + L"\" /qn"); }
DWORD Uninstall(const std::wstring& productCode) { return Msiexec(L"/x " + productCode + L" /qn"); }

std::vector<std::wstring> InstalledProducts() {
  std::vector<std::wstring> products;
  for (DWORD i = 0;; ++i) {
    wchar_t code[39] = {};
    if (::MsiEnumRelatedProductsW(kUpgradeCode, 0, i, code) != ERROR_SUCCESS) break;
    products.push_back(code);
  }
  return products;
}

std::optional<std::wstring> UserProductInfo(const std::wstring& productCode, const wchar_t* name) {
  wchar_t value[512] = {};
  DWORD size = 512;
  if (::MsiGetProductInfoExW(productCode.c_str(), nullptr, MSIINSTALLCONTEXT_USERUNMANAGED, name,
                             value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(value);
}

void UninstallAll() {
  for (const auto& product : InstalledProducts()) Uninstall(product);
}

std::optional<UninstallEntry> FindUninstallEntry(const std::wstring& productCode) {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
      HKEY key = nullptr;
      if (::RegOpenKeyExW(root, (kUninstallKey + productCode).c_str(), 0, KEY_READ | view, &key) !=
          ERROR_SUCCESS) {
        continue;
      }
      UninstallEntry entry{Text(key, L"DisplayName"), Text(key, L"DisplayVersion"),
                           Text(key, L"Publisher")};
      ::RegCloseKey(key);
      return entry;
    }
  }
  return std::nullopt;
}

RegistryValues ReadValues(HKEY root, const std::vector<std::wstring>& keys) {
  RegistryValues values;
  for (const auto& key : keys) ReadTree(root, key, values);
  return values;
}

RegistryValues SelfRegisteredValues(const std::wstring& modulePath,
                                    const std::vector<std::wstring>& keys) {
  RegistryValues values;
  HKEY scratch = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, kScratchKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &scratch, nullptr) != ERROR_SUCCESS) {
    return values;
  }
  // While overridden, the module's writes to HKEY_CURRENT_USER land in the scratch key.
  if (::RegOverridePredefKey(HKEY_CURRENT_USER, scratch) == ERROR_SUCCESS) {
    if (HMODULE module = ::LoadLibraryW(modulePath.c_str())) {
      using Entry = HRESULT(STDAPICALLTYPE*)();
      auto entry = reinterpret_cast<Entry>(
          reinterpret_cast<void (*)()>(::GetProcAddress(module, "DllRegisterServer")));
      if (entry != nullptr && entry() == S_OK) values = ReadValues(scratch, keys);
      ::FreeLibrary(module);
    }
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  }
  ::RegDeleteTreeW(scratch, nullptr);
  ::RegCloseKey(scratch);
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kScratchKey);
  return values;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

bool FolderExists(const std::wstring& folder) {
  DWORD attributes = ::GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::wstring ModuleVersion(const std::wstring& path) {
  DWORD handle = 0;
  DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return L"(no version)";
  std::vector<BYTE> data(size);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return L"(no version)";
  wchar_t* text = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data.data(), L"\\StringFileInfo\\040904B0\\ProductVersion",
                        reinterpret_cast<void**>(&text), &length)) {
    return L"(no version)";
  }
  return length > 0 ? std::wstring(text) : L"";
}

std::wstring LocalAppData() {
  wchar_t path[MAX_PATH] = {};
  ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

}  // namespace kx::testing
