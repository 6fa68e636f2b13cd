// Kestrix-x64.msi (or -x86) as a user installs it, without administrator rights: the files in
// their local programs folder, the same registry values the module's own registration writes
// for that path, an entry in the installed-programs list, the add-in connected by the host from
// there; an upgrade that leaves one product; and a removal that leaves nothing.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <msi.h>
#include <objbase.h>
#include <oleauto.h>

#include "standin/Standin.h"
#include "tests/windows/installer/Package.h"
#include "tests/windows/module/InstalledModule.h"
#include "tests/windows/module/Scenario.h"

namespace kx::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

const std::wstring kClass = L"Software\\Classes\\CLSID\\{55E428FD-C98E-4626-95F7-7C2967E89BC7}";
const std::wstring kLibrary = L"Software\\Classes\\TypeLib\\{7F1E35F2-F8BB-4F51-AB41-AF74B0B7EC6F}";
#ifdef _WIN64
const std::wstring kLibraryPlatform = L"win64";
constexpr SYSKIND kSysKind = SYS_WIN64;
#else
const std::wstring kLibraryPlatform = L"win32";
constexpr SYSKIND kSysKind = SYS_WIN32;
#endif
const std::wstring kAddinsKey = L"Software\\Microsoft\\Office\\Excel\\Addins";
const std::wstring kAddin = kAddinsKey + L"\\Kestrix.Connect";
// Every key the module's registration makes.
const std::vector<std::wstring> kRegisteredKeys = {
    L"Software\\Classes\\Kestrix.Connect",
    kClass,
    kLibrary,
    L"Software\\Classes\\Interface\\{83E58BEA-284C-41AE-948F-46D01CE3DDA0}",
    L"Software\\Classes\\Interface\\{4844C76E-D5EF-45DE-AD85-A25A78558EA3}",
    kAddin,
};

class Package : public ::testing::Test {
 protected:
  // What an interrupted earlier run may have left installed.
  static void SetUpTestSuite() { UninstallAll(); }

  void SetUp() override {
    programs_ = LocalAppData() + L"\\Programs";
    folder_ = programs_ + L"\\Kestrix";
    module_ = folder_ + L"\\Kestrix.dll";
    programsExisted_ = FolderExists(programs_);
    addinsExisted_ = UserKeyExists(kAddinsKey);
    ASSERT_THAT(InstalledProducts(), IsEmpty());
    ASSERT_FALSE(FolderExists(folder_));
  }

  void TearDown() override {
    if (UnderWine()) RemoveClassMirrorForWine();
    ::CoFreeUnusedLibrariesEx(0, 0);
    UninstallAll();
  }

  std::wstring InstalledProduct() {
    auto products = InstalledProducts();
    EXPECT_THAT(products, SizeIs(1));
    return products.empty() ? L"(none)" : products.front();
  }

  std::wstring programs_, folder_, module_;
  bool programsExisted_ = false;
  bool addinsExisted_ = false;
};

TEST_F(Package, InstallsTheAddinForTheUserAsItsOwnRegistrationWould) {
  ASSERT_EQ(Install(PackagePath()), 0u);

  EXPECT_THAT(FilesIn(folder_),
              ElementsAre(L"CaseRibbon.xml", L"Kestrix.dll", L"LICENSE.txt", L"README.txt"));
  EXPECT_EQ(FileText(folder_ + L"\\CaseRibbon.xml"), FileText(ProgramFolder() + L"\\CaseRibbon.xml"));
  EXPECT_NE(FileText(folder_ + L"\\LICENSE.txt").find("All rights reserved"), std::string::npos);
  EXPECT_EQ(ModuleVersion(module_), KX_PRODUCT_VERSION);

  RegistryValues installed = ReadValues(HKEY_CURRENT_USER, kRegisteredKeys);
  EXPECT_EQ(installed[kClass + L"\\InprocServer32\\@"], L"REG_SZ " + module_);
  EXPECT_EQ(installed[kLibrary + L"\\1.0\\0\\" + kLibraryPlatform + L"\\@"], L"REG_SZ " + module_);
  EXPECT_EQ(installed[kAddin + L"\\LoadBehavior"], L"REG_DWORD 3");
  EXPECT_EQ(installed, SelfRegisteredValues(module_, kRegisteredKeys));
}

// The type library inside the installed module is laid out for this bitness: the host's
// Automation calls _Connect's methods through it.
TEST_F(Package, InstallsAModuleWhoseTypeLibraryFitsItsBitness) {
  ASSERT_EQ(Install(PackagePath()), 0u);
  ITypeLib* library = nullptr;
  ASSERT_EQ(::LoadTypeLibEx(module_.c_str(), REGKIND_NONE, &library), S_OK);
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->syskind, kSysKind);
  library->ReleaseTLibAttr(attributes);

  ITypeInfo* dispatch = nullptr;
  ASSERT_EQ(library->GetTypeInfoOfGuid(IID{0x83E58BEA, 0x284C, 0x41AE,
                                           {0x94, 0x8F, 0x46, 0xD0, 0x1C, 0xE3, 0xDD, 0xA0}},
                                       &dispatch),
            S_OK);
  // The dual interface's vtable view: RibbonHandler follows IDispatch's seven methods.
  HREFTYPE vtable = 0;
  ITypeInfo* connect = nullptr;
  ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &vtable), S_OK);
  ASSERT_EQ(dispatch->GetRefTypeInfo(vtable, &connect), S_OK);
  FUNCDESC* first = nullptr;
  ASSERT_EQ(connect->GetFuncDesc(0, &first), S_OK);
  EXPECT_EQ(first->oVft, static_cast<SHORT>(7 * sizeof(void*)));
  connect->ReleaseFuncDesc(first);
  connect->Release();
  dispatch->Release();
  library->Release();
}

TEST_F(Package, ShowsInTheInstalledProgramsAsKestrixForThisUser) {
  ASSERT_EQ(Install(PackagePath()), 0u);
  std::wstring product = InstalledProduct();

  EXPECT_EQ(::MsiQueryProductStateW(product.c_str()), INSTALLSTATE_DEFAULT);
  // Installed for this user alone: the installer knows it in the per-user context.
  EXPECT_EQ(UserProductInfo(product, L"ProductName"), L"Kestrix");
  EXPECT_EQ(UserProductInfo(product, L"Publisher"), L"Kestrix");
  EXPECT_EQ(UserProductInfo(product, L"VersionString"), KX_PRODUCT_VERSION);
  // Wine keeps every product's entry under an Uninstall key; Windows lists a per-user product
  // from the installer's own records read above.
  if (UnderWine()) {
    auto entry = FindUninstallEntry(product);
    ASSERT_TRUE(entry.has_value());
    EXPECT_EQ(entry->displayName, L"Kestrix");
    EXPECT_EQ(entry->publisher, L"Kestrix");
    EXPECT_EQ(entry->displayVersion, KX_PRODUCT_VERSION);
  }
}

// The host finds the add-in by its ProgID and loads it from the installed folder, which also
// holds the ribbon definition it hands over. Wine reads COM classes only from the machine-wide
// classes root, so the package's class keys are mirrored there meanwhile.
TEST_F(Package, TheHostConnectsTheAddinFromTheInstalledFolder) {
  ASSERT_EQ(Install(PackagePath()), 0u);
  if (UnderWine()) MirrorUserClassesForWine();
  {
    Host host(Road::Com, "16.0");
    EXPECT_TRUE(host.Connected());
    EXPECT_NE(::GetModuleHandleW(module_.c_str()), nullptr);
    std::string ribbon = host.app->CustomUI("Kestrix.Connect");
    EXPECT_NE(ribbon, "");
    EXPECT_EQ(ribbon, FileText(folder_ + L"\\CaseRibbon.xml"));
  }
  {
    Host host(Road::Com, "11.0");
    EXPECT_TRUE(host.Connected());
    EXPECT_THAT(host.Seen().menu, SizeIs(13));
  }
  EXPECT_EQ(standin::LiveObjects(), 0);
  // Unloaded again, so that removal can delete the file.
  ::CoFreeUnusedLibrariesEx(0, 0);
  EXPECT_EQ(::GetModuleHandleW(module_.c_str()), nullptr);
}

TEST_F(Package, RemovalLeavesNoFileNoKeyAndNoEntry) {
  ASSERT_EQ(Install(PackagePath()), 0u);
  std::wstring product = InstalledProduct();
  ASSERT_EQ(Uninstall(product), 0u);

  EXPECT_FALSE(FolderExists(folder_));
  EXPECT_EQ(FolderExists(programs_), programsExisted_);
  EXPECT_THAT(ReadValues(HKEY_CURRENT_USER, kRegisteredKeys), IsEmpty());
  EXPECT_EQ(UserKeyExists(kAddinsKey), addinsExisted_);
  EXPECT_THAT(InstalledProducts(), IsEmpty());
  EXPECT_EQ(::MsiQueryProductStateW(product.c_str()), INSTALLSTATE_UNKNOWN);
  EXPECT_EQ(UserProductInfo(product, L"ProductName"), std::nullopt);
  EXPECT_FALSE(FindUninstallEntry(product).has_value());
}

TEST_F(Package, ANewerVersionReplacesTheOlderAndAnOlderOneIsRefused) {
  ASSERT_EQ(Install(OlderPackagePath()), 0u);
  std::wstring older = InstalledProduct();
  EXPECT_EQ(UserProductInfo(older, L"VersionString"), KX_OLDER_VERSION);

  ASSERT_EQ(Install(PackagePath()), 0u);
  std::wstring newer = InstalledProduct();
  EXPECT_NE(newer, older);
  EXPECT_EQ(UserProductInfo(newer, L"VersionString"), KX_PRODUCT_VERSION);
  EXPECT_EQ(::MsiQueryProductStateW(older.c_str()), INSTALLSTATE_UNKNOWN);
  EXPECT_FALSE(FindUninstallEntry(older).has_value());
  // Removing the older one on the way took nothing the newer one installs.
  EXPECT_THAT(FilesIn(folder_), SizeIs(4));
  EXPECT_EQ(UserText(kClass + L"\\InprocServer32"), module_);
  EXPECT_EQ(UserNumber(kAddin, L"LoadBehavior"), 3u);

  EXPECT_EQ(Install(OlderPackagePath()), static_cast<DWORD>(ERROR_INSTALL_FAILURE));
  EXPECT_THAT(InstalledProducts(), ElementsAre(newer));
}

// A package of the same version with another product code (a rebuild, or the other bitness's
// package) replaces the installed one as well: the two would share one add-in entry.
TEST_F(Package, TheSameVersionBuiltAgainReplacesTheInstalledOne) {
  ASSERT_EQ(Install(PackagePath()), 0u);
  std::wstring first = InstalledProduct();
  ASSERT_EQ(Install(RebuiltPackagePath()), 0u);
  std::wstring second = InstalledProduct();
  EXPECT_NE(second, first);
  EXPECT_THAT(FilesIn(folder_), SizeIs(4));
  EXPECT_EQ(UserNumber(kAddin, L"LoadBehavior"), 3u);
}

}  // namespace
}  // namespace kx::testing
