// The type library the module carries, as the host and Visual Basic read it.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "com/Text.h"
#include "tests/windows/module/InstalledModule.h"

namespace kx::testing {
namespace {

using com::ComPtr;
using ::testing::ElementsAre;

struct Member {
  std::string name;
  INVOKEKIND kind;
  SHORT slot;  // vtable slot
  std::vector<std::string> params;
  friend bool operator==(const Member&, const Member&) = default;
};

void PrintTo(const Member& m, std::ostream* os) { *os << m.name << "@" << m.slot; }

std::string NameOf(ITypeInfo* info, MEMBERID id) {
  BSTR name = nullptr;
  info->GetDocumentation(id, &name, nullptr, nullptr, nullptr);
  std::string text = com::BstrToUtf8(name);
  ::SysFreeString(name);
  return text;
}

std::vector<Member> MembersOf(ITypeInfo* info) {
  TYPEATTR* attr = nullptr;
  info->GetTypeAttr(&attr);
  std::vector<Member> members;
  for (WORD i = 0; i < attr->cFuncs; ++i) {
    FUNCDESC* func = nullptr;
    info->GetFuncDesc(i, &func);
    BSTR names[8] = {};
    UINT count = 0;
    info->GetNames(func->memid, names, 8, &count);
    Member m{com::BstrToUtf8(names[0]), func->invkind,
             static_cast<SHORT>(func->oVft / static_cast<SHORT>(sizeof(void*))), {}};
    for (UINT n = 1; n < count; ++n) m.params.push_back(com::BstrToUtf8(names[n]));
    for (UINT n = 0; n < count; ++n) ::SysFreeString(names[n]);
    members.push_back(m);
    info->ReleaseFuncDesc(func);
  }
  info->ReleaseTypeAttr(attr);
  return members;
}

class TypeLibrary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::LoadTypeLibEx(module.Path().c_str(), REGKIND_NONE, library.Out()), S_OK);
  }
  ComPtr<ITypeInfo> Info(const char* name) {
    std::wstring wide = com::Utf8ToWide(name);
    ComPtr<ITypeInfo> found;
    MEMBERID id = 0;
    USHORT count = 1;
    ITypeInfo* info = nullptr;
    if (library->FindName(wide.data(), 0, &info, &id, &count) == S_OK && count == 1) {
      found = ComPtr<ITypeInfo>::Adopt(info);
    }
    return found;
  }

  InstalledModule module;
  ComPtr<ITypeLib> library;
};

TEST_F(TypeLibrary, IsKestrixVersionOneInEnglish) {
  BSTR name = nullptr, help = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, &name, &help, nullptr, nullptr), S_OK);
  EXPECT_EQ(com::BstrToUtf8(name), "Kestrix");
  EXPECT_EQ(com::BstrToUtf8(help), "Powerful Excel Add-In to Manage Duplicates");
  ::SysFreeString(name);
  ::SysFreeString(help);
  TLIBATTR* attr = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attr), S_OK);
  EXPECT_EQ(attr->wMajorVerNum, 1);
  EXPECT_EQ(attr->wMinorVerNum, 0);
  EXPECT_EQ(attr->lcid, 1033u);
  library->ReleaseTLibAttr(attr);
}

TEST_F(TypeLibrary, ConnectsDefaultInterfaceHasItsThreeMethodsInSlotOrder) {
  auto connect = Info("_Connect");
  ASSERT_TRUE(connect);
  TYPEATTR* attr = nullptr;
  connect->GetTypeAttr(&attr);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
  connect->ReleaseTypeAttr(attr);
  // The dual interface's own view comes after IDispatch's seven methods.
  HREFTYPE vtable = 0;
  ComPtr<ITypeInfo> dual;
  if (SUCCEEDED(connect->GetRefTypeOfImplType(-1, &vtable))) connect->GetRefTypeInfo(vtable, dual.Out());
  ITypeInfo* view = dual ? dual.get() : connect.get();
  auto members = MembersOf(view);
  std::vector<Member> own;
  for (const auto& m : members) {
    if (m.slot >= 7) own.push_back(m);
  }
  EXPECT_THAT(own, ElementsAre(Member{"RibbonHandler", INVOKE_FUNC, 7, {"Ctrl"}},
                               Member{"remMenuBar", INVOKE_FUNC, 8, {}},
                               Member{"txtRemoverMB_Add", INVOKE_FUNC, 9, {}}));
}

TEST_F(TypeLibrary, TheClassesAndTheButtonProperty) {
  auto connect = Info("Connect");
  ASSERT_TRUE(connect);
  TYPEATTR* attr = nullptr;
  connect->GetTypeAttr(&attr);
  EXPECT_EQ(attr->typekind, TKIND_COCLASS);
  EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FCANCREATE);
  EXPECT_EQ(attr->cImplTypes, 3);
  connect->ReleaseTypeAttr(attr);
  std::vector<std::string> implemented;
  for (UINT i = 0; i < 3; ++i) {
    HREFTYPE ref = 0;
    connect->GetRefTypeOfImplType(i, &ref);
    ComPtr<ITypeInfo> info;
    connect->GetRefTypeInfo(ref, info.Out());
    implemented.push_back(NameOf(info.get(), -1));
  }
  EXPECT_THAT(implemented, ElementsAre("_Connect", "_IDTExtensibility2", "IRibbonExtensibility"));

  auto button = Info("cbDupRem");
  ASSERT_TRUE(button);
  button->GetTypeAttr(&attr);
  EXPECT_EQ(attr->typekind, TKIND_COCLASS);
  button->ReleaseTypeAttr(attr);

  auto sink = Info("_cbDupRem");
  ASSERT_TRUE(sink);
  std::vector<std::pair<std::string, INVOKEKIND>> properties;
  for (const auto& m : MembersOf(sink.get())) {
    if (m.kind != INVOKE_FUNC) properties.emplace_back(m.name, m.kind);
  }
  EXPECT_THAT(properties, ElementsAre(std::pair{std::string("cbBtn"), INVOKE_PROPERTYGET},
                                      std::pair{std::string("cbBtn"), INVOKE_PROPERTYPUTREF}));
}

}  // namespace
}  // namespace kx::testing
