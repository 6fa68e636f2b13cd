#include "com/Failures.h"

#include "com/Text.h"
#include "host/ErrorNumbers.h"

namespace kx::com {

namespace {

constexpr HRESULT kControlFacility = static_cast<HRESULT>(0x800A0000);

bool InControlFacility(HRESULT hr) {
  return (hr & static_cast<HRESULT>(0xFFFF0000)) == kControlFacility;
}

const char* DescriptionOf(long number) {
  switch (number) {
    case host::err::SubscriptOutOfRange:
      return "Subscript out of range";
    case host::err::TypeMismatch:
      return "Type mismatch";
    case host::err::ObjectNotSet:
      return "Object variable or With block variable not set";
    case host::err::NotSupported:
      return "Object doesn't support this property or method";
    case host::err::ApplicationDefined:
      return "Application-defined or object-defined error";
    case 7:
      return "Out of memory";
    case 448:
      return "Named argument not found";
    case 450:
      return "Wrong number of arguments or invalid property assignment";
    default:
      return "Automation error";
  }
}

}  // namespace

host::Error ErrorFromHResult(HRESULT hr) {
  long number;
  if (InControlFacility(hr)) {
    number = static_cast<long>(hr & 0xFFFF);
  } else {
    switch (hr) {
      case DISP_E_UNKNOWNNAME:
      case DISP_E_MEMBERNOTFOUND:
      case E_NOINTERFACE:
      case E_NOTIMPL:
        number = host::err::NotSupported;
        break;
      case DISP_E_TYPEMISMATCH:
        number = host::err::TypeMismatch;
        break;
      case DISP_E_BADINDEX:
        number = host::err::SubscriptOutOfRange;
        break;
      case DISP_E_OVERFLOW:
        number = host::err::Overflow;
        break;
      case DISP_E_PARAMNOTFOUND:
        number = 448;
        break;
      case DISP_E_BADPARAMCOUNT:
        number = 450;
        break;
      case E_OUTOFMEMORY:
        number = 7;
        break;
      default:
        number = static_cast<long>(hr);
        break;
    }
  }
  return host::Fail(number, DescriptionOf(number));
}

host::Error ErrorFromCall(HRESULT hr, EXCEPINFO* exception) {
  if (hr != DISP_E_EXCEPTION || exception == nullptr) return ErrorFromHResult(hr);
  if (exception->pfnDeferredFillIn != nullptr) exception->pfnDeferredFillIn(exception);
  HRESULT code = exception->scode;
  if (code == S_OK) {
    // An exception given by its 16-bit code only.
    code = exception->wCode != 0 ? kControlFacility + exception->wCode : E_FAIL;
  }
  host::Error error = ErrorFromHResult(code);
  if (exception->bstrDescription != nullptr && ::SysStringLen(exception->bstrDescription) > 0) {
    error.description = BstrToUtf8(exception->bstrDescription);
  }
  ::SysFreeString(exception->bstrSource);
  ::SysFreeString(exception->bstrDescription);
  ::SysFreeString(exception->bstrHelpFile);
  *exception = EXCEPINFO{};
  return error;
}

HRESULT HResultFromError(const host::Error& error) {
  // A number that is itself an HRESULT travels as it is.
  if (error.number < 0) return static_cast<HRESULT>(error.number);
  return kControlFacility + static_cast<HRESULT>(error.number & 0xFFFF);
}

HRESULT ReportToCaller(const host::Error& error, EXCEPINFO* exception, const wchar_t* source) {
  HRESULT code = HResultFromError(error);
  if (exception == nullptr) return code;
  *exception = EXCEPINFO{};
  exception->scode = code;
  exception->bstrSource = ::SysAllocString(source);
  exception->bstrDescription = Bstr(error.description).Detach();
  return DISP_E_EXCEPTION;
}

}  // namespace kx::com
