// The ribbon definition the module hands a ribbon host: the file beside it, read and never
// created.

#include <gtest/gtest.h>
#include <objbase.h>

#include "com/ComPtr.h"
#include "com/HostInterfaces.h"
#include "com/Text.h"
#include "tests/windows/module/InstalledModule.h"

namespace kx::testing {
namespace {

using com::ComPtr;

std::string CustomUI(InstalledModule& module) {
  EXPECT_EQ(module.Register(), S_OK);
  CLSID clsid{};
  EXPECT_EQ(::CLSIDFromProgID(L"Kestrix.Connect", &clsid), S_OK);
  ComPtr<IRibbonExtensibility> ribbon;
  EXPECT_EQ(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IRibbonExtensibility,
                               reinterpret_cast<void**>(ribbon.Out())),
            S_OK);
  std::string text = "(no answer)";
  if (ribbon) {
    com::Bstr id(std::string_view("Microsoft.Excel.Workbook"));
    com::Bstr xml;
    EXPECT_EQ(ribbon->GetCustomUI(id.get(), xml.Out()), S_OK);
    text = com::BstrToUtf8(xml.get());
  }
  ribbon.Reset();
  EXPECT_EQ(module.Unregister(), S_OK);
  return text;
}

TEST(RibbonDefinition, IsTheFileBesideTheModuleWhateverItsFoldersName) {
  InstalledModule module;
  std::string expected = FileText(module.Folder() + L"\\CaseRibbon.xml");
  ASSERT_NE(expected.find("onAction=\"RibbonHandler\""), std::string::npos);
  EXPECT_EQ(CustomUI(module), expected);
}

TEST(RibbonDefinition, AMissingFileGivesAnEmptyDefinitionAndIsNotCreated) {
  InstalledModule module(/*withRibbonDefinition=*/false);
  EXPECT_EQ(CustomUI(module), "");
  EXPECT_EQ(::GetFileAttributesW((module.Folder() + L"\\CaseRibbon.xml").c_str()),
            INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace kx::testing
