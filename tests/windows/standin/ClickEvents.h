#pragma once
// A command-bar button's Click event as its connection point delivers it: each advised sink is
// attached to the host control's Click and called through IDispatch (DISPID 1) with the
// clicked control and the shared CancelDefault flag by reference. A sink is held from Advise to
// Unadvise, or until the control's stand-in goes.

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <map>

#include "com/ComPtr.h"
#include "host/CommandBars.h"

namespace kx::standin {

class ClickEvents {
 public:
  explicit ClickEvents(host::CommandBarControlRef control) : control_(std::move(control)) {}
  HRESULT Advise(IUnknown* sink, DWORD* cookie);
  HRESULT Unadvise(DWORD cookie);

 private:
  host::CommandBarControlRef control_;
  std::map<DWORD, host::EventConnection> connections_;
  DWORD nextCookie_ = 1;
};

// The connection point for the button events; it holds its container, which owns `events`.
com::ComPtr<IConnectionPoint> MakeClickPoint(IConnectionPointContainer* container,
                                             ClickEvents& events);

}  // namespace kx::standin
