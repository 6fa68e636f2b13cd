#pragma once
// Failures across the COM boundary, both ways.
//
// A failed call reaches the add-in as the error number Visual Basic would raise for it: 1004 for
// the host's refusal (0x800A03EC), the number inside any other 0x800A.... code, 438 for a member
// the object does not have, 13 for a type mismatch, 9 for a bad index; anything else keeps its
// HRESULT as the number, as Visual Basic reports it. The other way, a failure the add-in returns
// to its caller becomes DISP_E_EXCEPTION carrying 0x800A0000 + the number.

#include <windows.h>
#include <oaidl.h>

#include "host/Result.h"

namespace kx::com {

// The error a failed IDispatch call stands for; `exception` is read when the call answered
// DISP_E_EXCEPTION (and is cleared here).
host::Error ErrorFromCall(HRESULT hr, EXCEPINFO* exception);
// The error of a failed call without exception information (QueryInterface, Next, ...).
host::Error ErrorFromHResult(HRESULT hr);

// The HRESULT a failure is reported with: 0x800A0000 + its number (1004 gives 0x800A03EC).
HRESULT HResultFromError(const host::Error& error);
// Fills the exception information of an Invoke and answers DISP_E_EXCEPTION, or answers the
// failure's own code when the caller gave no room for it.
HRESULT ReportToCaller(const host::Error& error, EXCEPINFO* exception, const wchar_t* source);

}  // namespace kx::com
