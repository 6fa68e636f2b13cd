#pragma once
// standin/: memhost served as an automation server, for the Windows tests.
//
// The add-in DLL reaches its host only through IDispatch (names looked up once, then Invoke,
// locale 1033). The stand-in wraps any implementation of host/ as IDispatch objects that answer
// as the spreadsheet's object model does over late binding: its member and parameter names,
// named and optional arguments, default members, errors as run-time error numbers, Range
// enumeration and the command-bar button's Click event. Every object reached from the
// Application is a stand-in object too, and each one is counted, so a test can prove that the
// add-in let go of everything it was given.

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "com/ComPtr.h"
#include "host/AddIn.h"
#include "host/Forward.h"

namespace kx::standin {

com::ComPtr<IDispatch> MakeApplication(host::ApplicationRef app);
com::ComPtr<IDispatch> MakeCOMAddIn(host::COMAddInRef addIn);

// Stand-in objects alive now, each counted from construction to its final Release.
long LiveObjects();
// Calls received so far: every Invoke, and every step of a range's enumerator.
long CallsReceived();

// Registers a COM add-in with a host's add-in list: Create makes the class registered for the
// ProgID in-process, and the host's calls on it reach the object's _IDTExtensibility2,
// IRibbonExtensibility and IDispatch with stand-in objects for arguments.
host::AddInRegistration ComAddInRegistration(std::string progId, std::string friendlyName,
                                             std::string description, long loadBehavior);

}  // namespace kx::standin
