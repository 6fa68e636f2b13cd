#pragma once
// com/: the add-in's side of COM on Windows.
//
// The host interfaces of host/ implemented over the spreadsheet's object model through IDispatch
// late binding (Objects.h, Dispatch.h), and the plumbing both directions share: UTF-16 text
// (Text.h), VARIANTs (Variants.h), failures as error numbers and back (Failures.h), owned
// references (ComPtr.h). The host's own interfaces that the add-in implements are declared in
// HostInterfaces.idl. Nothing here knows the add-in.

#include "com/ComPtr.h"
#include "host/Host.h"

namespace kx::com {

// The host's application object as the add-in's HostApp: the first object of a new session.
// Every object reached from it holds a reference of its own, released with its handle.
host::ApplicationRef ApplicationOver(IDispatch* application);
// The add-in's own entry in the host's COM add-in list, as the connection event passes it.
host::COMAddInRef COMAddInOver(IDispatch* addIn);

}  // namespace kx::com
