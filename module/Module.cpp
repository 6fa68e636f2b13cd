// Kestrix.dll: the four entry points of an in-process COM server, the module's reference count
// and the table of the classes it serves. Everything else lives beside this file.

#include <windows.h>
#include <olectl.h>

#include "module/ClassFactory.h"
#include "module/ConnectObject.h"
#include "module/ModuleState.h"
#include "module/Registration.h"

namespace kx::module {

namespace {

HMODULE module = nullptr;
LONG locks = 0;  // live objects and class-factory locks

// The classes a caller may create. cbDupRem is made by the add-in itself, never by a caller.
const ClassEntry kClasses[] = {
    {&kConnectClassId, &ConnectObject::Create},
};

}  // namespace

HMODULE ThisModule() { return module; }
void LockModule() { ::InterlockedIncrement(&locks); }
void UnlockModule() { ::InterlockedDecrement(&locks); }

}  // namespace kx::module

using namespace kx::module;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    module = instance;
    ::DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

// Called by COM when a caller asks for one of our classes.
extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  for (const ClassEntry& entry : kClasses) {
    if (*entry.clsid == clsid) return ClassFactory::Make(entry, iid, out);
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

// Called by COM from time to time: the module may go once nothing of it is alive.
extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return locks == 0 ? S_OK : S_FALSE; }

// regsvr32 and installers: registration for the current user, no administrator needed.
extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
  return RegisterForUser(ModulePath()) ? S_OK : SELFREG_E_CLASS;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
  return UnregisterForUser() ? S_OK : SELFREG_E_CLASS;
}
