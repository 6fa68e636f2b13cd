// A member's name is looked up once per kind of object; every later call is one Invoke.

#include <gtest/gtest.h>

#include <cwchar>

#include "com/Bridge.h"
#include "com/ComPtr.h"

namespace kx::com {
namespace {

// An object model of two members that counts what it is asked: Workbooks gives another such
// object, Count gives 3.
class CountingObject final : public IDispatch {
 public:
  static int lookups;
  static int invokes;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch) {
      *out = this;
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID locale,
                                          DISPID* ids) override {
    ++lookups;
    EXPECT_EQ(locale, 1033u);
    if (_wcsicmp(names[0], L"Workbooks") == 0) {
      ids[0] = 1;
    } else if (_wcsicmp(names[0], L"Count") == 0) {
      ids[0] = 2;
    } else {
      return DISP_E_UNKNOWNNAME;
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    ++invokes;
    if (id == 1) {
      result->vt = VT_DISPATCH;
      result->pdispVal = new CountingObject();
    } else {
      result->vt = VT_I4;
      result->lVal = 3;
    }
    return S_OK;
  }

 private:
  ULONG refs_ = 1;
};
int CountingObject::lookups = 0;
int CountingObject::invokes = 0;

TEST(Lookup, NamesAreLookedUpOncePerKindOfObject) {
  auto* raw = new CountingObject();
  auto app = ApplicationOver(raw);
  raw->Release();
  for (int i = 0; i < 3; ++i) {
    auto books = app->Workbooks();
    ASSERT_TRUE(books.ok());
    EXPECT_EQ((*books)->Count().value(), 3);
  }
  // "Workbooks" on the application, "Count" on the collection: two lookups for six calls.
  EXPECT_EQ(CountingObject::lookups, 2);
  EXPECT_EQ(CountingObject::invokes, 6);
  // A member the object does not have is error 438, as late binding raises it.
  EXPECT_EQ(app->Calculation().error().number, 438);
}

}  // namespace
}  // namespace kx::com
