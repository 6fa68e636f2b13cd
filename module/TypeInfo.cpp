// The module carries its type library as its resource 1 (TYPELIB); it is read from there, not
// from the registry, so it always matches the code.

#include "module/ModuleState.h"
#include "module/TypedDispatch.h"

namespace kx::module {

com::ComPtr<ITypeInfo> LoadTypeInfo(REFIID iid) {
  com::ComPtr<ITypeLib> library;
  if (FAILED(::LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.Out()))) return nullptr;
  com::ComPtr<ITypeInfo> info;
  if (FAILED(library->GetTypeInfoOfGuid(iid, info.Out()))) return nullptr;
  return info;
}

}  // namespace kx::module
