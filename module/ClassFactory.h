#pragma once
// ClassFactory: what DllGetClassObject hands out for each class of the module's table.

#include <windows.h>
#include <unknwn.h>

namespace kx::module {

struct ClassEntry {
  const CLSID* clsid;
  // Makes a new object and answers for `iid`.
  HRESULT (*create)(REFIID iid, void** out);
};

class ClassFactory final : public IClassFactory {
 public:
  static HRESULT Make(const ClassEntry& entry, REFIID iid, void** out);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  explicit ClassFactory(const ClassEntry& entry);
  ~ClassFactory();
  ULONG refs_ = 1;
  const ClassEntry& entry_;
};

}  // namespace kx::module
