#pragma once
// Guarded: how every COM method of the module runs the add-in's code. The call is marked as a
// call from the host (com::CallScope), nothing thrown ever crosses to the caller, and a failure
// the add-in returns reaches the caller as the HRESULT of its error number, with its text as
// the error information.

#include <windows.h>
#include <oleauto.h>

#include <new>

#include "com/CallScope.h"
#include "com/Failures.h"
#include "com/Text.h"
#include "host/Result.h"

namespace kx::module {

inline HRESULT ReportFailure(const host::Error& error) {
  com::ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(::CreateErrorInfo(create.Out()))) {
    create->SetSource(const_cast<LPOLESTR>(L"Kestrix"));
    std::wstring text = com::Utf8ToWide(error.description);
    create->SetDescription(text.data());
    com::ComPtr<IErrorInfo> info = create.As<IErrorInfo>(IID_IErrorInfo);
    ::SetErrorInfo(0, info.get());
  }
  return com::HResultFromError(error);
}

// Runs `body`, which returns a host::Result<void> or nothing.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
  try {
    com::CallScope scope;
    if constexpr (std::is_void_v<decltype(body())>) {
      body();
      return S_OK;
    } else {
      auto result = body();
      return result.ok() ? S_OK : ReportFailure(result.error());
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace kx::module
