#include "module/Registration.h"

#include "addin/Registration.h"
#include "com/Text.h"
#include "module/Kestrix.h"

namespace kx::module {

namespace {

// The spreadsheet's own add-in list for the current user.
constexpr const wchar_t* kAddinsKey = L"Software\\Microsoft\\Office\\Excel\\Addins";
// Automation's proxy for dual interfaces: the type library describes the calls.
constexpr const wchar_t* kAutomationProxy = L"{00020424-0000-0000-C000-000000000046}";
constexpr const wchar_t* kLibraryVersion = L"1.0";
constexpr const wchar_t* kLibraryHelp = L"Powerful Excel Add-In to Manage Duplicates";
#ifdef _WIN64
constexpr const wchar_t* kPlatform = L"win64";
#else
constexpr const wchar_t* kPlatform = L"win32";
#endif

std::wstring Text(const GUID& id) {
  wchar_t text[40] = {};
  ::StringFromGUID2(id, text, 40);
  return text;
}

std::wstring Wide(std::string_view utf8) { return com::Utf8ToWide(utf8); }

std::wstring ClassKey() { return L"Software\\Classes\\CLSID\\" + Text(CLSID_Connect); }
std::wstring ProgIdKey() { return L"Software\\Classes\\" + Wide(addin::kProgId); }
std::wstring LibraryKey() { return L"Software\\Classes\\TypeLib\\" + Text(LIBID_Kestrix); }
std::wstring InterfaceKey(const IID& iid) { return L"Software\\Classes\\Interface\\" + Text(iid); }
std::wstring AddinKey() { return std::wstring(kAddinsKey) + L"\\" + Wide(addin::kProgId); }

bool Write(const RegistryEntry& entry) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, entry.key.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const wchar_t* name = entry.name.empty() ? nullptr : entry.name.c_str();
  LSTATUS status;
  if (const auto* text = std::get_if<std::wstring>(&entry.value)) {
    status = ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                              static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
  } else {
    DWORD number = std::get<DWORD>(entry.value);
    status = ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                              sizeof number);
  }
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool IsEmptyKey(const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  DWORD subkeys = 0, values = 0;
  LSTATUS status = ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                      &values, nullptr, nullptr, nullptr, nullptr);
  ::RegCloseKey(key);
  return status == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

}  // namespace

std::vector<RegistryEntry> RegistrationEntries(const std::wstring& modulePath) {
  const std::wstring progId = Wide(addin::kProgId);
  const std::wstring folder = modulePath.substr(0, modulePath.find_last_of(L'\\'));
  const std::wstring library = Text(LIBID_Kestrix);
  std::vector<RegistryEntry> entries = {
      {ProgIdKey(), L"", Wide(addin::kFriendlyName)},
      {ProgIdKey() + L"\\CLSID", L"", Text(CLSID_Connect)},
      {ClassKey(), L"", progId},
      {ClassKey() + L"\\InprocServer32", L"", modulePath},
      {ClassKey() + L"\\InprocServer32", L"ThreadingModel", std::wstring(L"Apartment")},
      {ClassKey() + L"\\ProgID", L"", progId},
      {ClassKey() + L"\\TypeLib", L"", library},
      {ClassKey() + L"\\Version", L"", std::wstring(kLibraryVersion)},
      {LibraryKey() + L"\\" + kLibraryVersion, L"", std::wstring(kLibraryHelp)},
      {LibraryKey() + L"\\" + kLibraryVersion + L"\\0\\" + kPlatform, L"", modulePath},
      {LibraryKey() + L"\\" + kLibraryVersion + L"\\FLAGS", L"", std::wstring(L"0")},
      {LibraryKey() + L"\\" + kLibraryVersion + L"\\HELPDIR", L"", folder},
  };
  for (const auto& [iid, name] : {std::pair{&IID__Connect, L"_Connect"},
                                  std::pair{&IID__cbDupRem, L"_cbDupRem"}}) {
    const std::wstring key = InterfaceKey(*iid);
    entries.push_back({key, L"", std::wstring(name)});
    entries.push_back({key + L"\\ProxyStubClsid", L"", std::wstring(kAutomationProxy)});
    entries.push_back({key + L"\\ProxyStubClsid32", L"", std::wstring(kAutomationProxy)});
    entries.push_back({key + L"\\TypeLib", L"", library});
    entries.push_back({key + L"\\TypeLib", L"Version", std::wstring(kLibraryVersion)});
  }
  entries.push_back({AddinKey(), L"FriendlyName", Wide(addin::kFriendlyName)});
  entries.push_back({AddinKey(), L"Description", Wide(addin::kDescription)});
  entries.push_back({AddinKey(), L"LoadBehavior", static_cast<DWORD>(addin::kLoadBehavior)});
  return entries;
}

std::vector<std::wstring> RegisteredKeys() {
  return {ProgIdKey(), ClassKey(), LibraryKey(), InterfaceKey(IID__Connect),
          InterfaceKey(IID__cbDupRem), AddinKey()};
}

bool RegisterForUser(const std::wstring& modulePath) {
  if (modulePath.empty()) return false;
  for (const RegistryEntry& entry : RegistrationEntries(modulePath)) {
    if (!Write(entry)) {
      UnregisterForUser();
      return false;
    }
  }
  return true;
}

bool UnregisterForUser() {
  bool removed = true;
  for (const std::wstring& key : RegisteredKeys()) {
    LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    if (status == ERROR_SUCCESS) status = ::RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) removed = false;
  }
  // The add-in list's keys are the host's; those left empty were made by registration alone.
  for (std::wstring parent = kAddinsKey; parent != L"Software\\Microsoft";
       parent = parent.substr(0, parent.find_last_of(L'\\'))) {
    if (!IsEmptyKey(parent)) break;
    ::RegDeleteKeyW(HKEY_CURRENT_USER, parent.c_str());
  }
  return removed;
}

}  // namespace kx::module
