// Registration as regsvr32 or an installer runs it: everything under the current user, exactly
// removed again, and safe to run twice.

#include <gtest/gtest.h>
#include <objbase.h>

#include "tests/windows/module/InstalledModule.h"

namespace kx::testing {
namespace {

const std::wstring kClass = L"Software\\Classes\\CLSID\\{55E428FD-C98E-4626-95F7-7C2967E89BC7}";
const std::wstring kProgId = L"Software\\Classes\\Kestrix.Connect";
const std::wstring kLibrary = L"Software\\Classes\\TypeLib\\{7F1E35F2-F8BB-4F51-AB41-AF74B0B7EC6F}";
const std::wstring kConnectInterface =
    L"Software\\Classes\\Interface\\{83E58BEA-284C-41AE-948F-46D01CE3DDA0}";
const std::wstring kButtonInterface =
    L"Software\\Classes\\Interface\\{4844C76E-D5EF-45DE-AD85-A25A78558EA3}";
const std::wstring kAddinsKey = L"Software\\Microsoft\\Office\\Excel\\Addins";
const std::wstring kAddin = kAddinsKey + L"\\Kestrix.Connect";
const std::wstring kAutomationProxy = L"{00020424-0000-0000-C000-000000000046}";

TEST(Registration, WritesTheClassTheLibraryAndTheAddinKeyForTheUser) {
  InstalledModule module;
  ASSERT_EQ(module.Register(), S_OK);

  EXPECT_EQ(UserText(kProgId + L"\\CLSID"), L"{55E428FD-C98E-4626-95F7-7C2967E89BC7}");
  EXPECT_EQ(UserText(kClass + L"\\InprocServer32"), module.Path());
  EXPECT_EQ(UserText(kClass + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(UserText(kClass + L"\\ProgID"), L"Kestrix.Connect");
  EXPECT_EQ(UserText(kClass + L"\\TypeLib"), L"{7F1E35F2-F8BB-4F51-AB41-AF74B0B7EC6F}");
  EXPECT_EQ(UserText(kLibrary + L"\\1.0"), L"Powerful Excel Add-In to Manage Duplicates");
  EXPECT_EQ(UserText(kLibrary + L"\\1.0\\0\\win64"), module.Path());
  EXPECT_EQ(UserText(kLibrary + L"\\1.0\\FLAGS"), L"0");
  EXPECT_EQ(UserText(kLibrary + L"\\1.0\\HELPDIR"), module.Folder());
  for (const auto& key : {kConnectInterface, kButtonInterface}) {
    EXPECT_EQ(UserText(key + L"\\ProxyStubClsid32"), kAutomationProxy);
    EXPECT_EQ(UserText(key + L"\\TypeLib"), L"{7F1E35F2-F8BB-4F51-AB41-AF74B0B7EC6F}");
    EXPECT_EQ(UserText(key + L"\\TypeLib", L"Version"), L"1.0");
  }
  EXPECT_EQ(UserText(kAddin, L"FriendlyName"), L"Kestrix");
  EXPECT_EQ(UserText(kAddin, L"Description"), L"Add-In Project Template");
  EXPECT_EQ(UserNumber(kAddin, L"LoadBehavior"), 3u);

  // The host finds the class by its ProgID.
  CLSID clsid{};
  ASSERT_EQ(::CLSIDFromProgID(L"Kestrix.Connect", &clsid), S_OK);
  IUnknown* object = nullptr;
  ASSERT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                               reinterpret_cast<void**>(&object)),
            S_OK);
  object->Release();
  ::CoFreeUnusedLibraries();

  EXPECT_EQ(module.Unregister(), S_OK);
}

TEST(Registration, UnregistrationRemovesExactlyWhatRegistrationWrote) {
  InstalledModule module;
  // The host's own add-in list with another add-in in it stays as it is.
  HKEY other = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (kAddinsKey + L"\\Other.Addin").c_str(), 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &other, nullptr),
            ERROR_SUCCESS);
  ::RegCloseKey(other);

  ASSERT_EQ(module.Register(), S_OK);
  ASSERT_EQ(module.Register(), S_OK);  // twice changes nothing
  ASSERT_EQ(module.Unregister(), S_OK);
  for (const auto& key : {kClass, kProgId, kLibrary, kConnectInterface, kButtonInterface, kAddin}) {
    EXPECT_FALSE(UserKeyExists(key)) << std::string(key.begin(), key.end());
  }
  EXPECT_TRUE(UserKeyExists(kAddinsKey + L"\\Other.Addin"));
  EXPECT_EQ(module.Unregister(), S_OK);  // twice too

  ::RegDeleteKeyW(HKEY_CURRENT_USER, (kAddinsKey + L"\\Other.Addin").c_str());
  // With no other add-in, the list's keys that registration made go as well.
  ASSERT_EQ(module.Register(), S_OK);
  ASSERT_EQ(module.Unregister(), S_OK);
  EXPECT_FALSE(UserKeyExists(kAddinsKey));
}

}  // namespace
}  // namespace kx::testing
