#include "com/Variants.h"

#include "com/Text.h"
#include "host/ErrorNumbers.h"

namespace kx::com {

namespace {

// VT_ERROR codes of cell error values: FACILITY_CONTROL with the CVErr number.
constexpr SCODE kCellErrorBase = static_cast<SCODE>(0x800A0000);

host::Error Mismatch() { return host::Fail(host::err::TypeMismatch, "Type mismatch"); }

// The value a VARIANT holds, looking through a reference.
const VARIANT& Deref(const VARIANT& value) {
  if (value.vt == (VT_BYREF | VT_VARIANT) && value.pvarVal != nullptr) return *value.pvarVal;
  return value;
}

bool IsCellError(SCODE code) {
  if ((code & static_cast<SCODE>(0xFFFF0000)) != kCellErrorBase) return false;
  auto value = static_cast<host::ErrorValue>(code - kCellErrorBase);
  return host::ErrorValueFromText(host::ErrorValueText(value)) == value;
}

host::Result<host::Variant> FromScalar(const VARIANT& in) {
  // A by-reference scalar is read as its value.
  VARIANT plain;
  ::VariantInit(&plain);
  const VARIANT* v = &in;
  if ((in.vt & VT_BYREF) != 0) {
    if (FAILED(::VariantCopyInd(&plain, const_cast<VARIANT*>(&in)))) return Mismatch();
    v = &plain;
  }
  host::Result<host::Variant> result = host::Variant();
  switch (v->vt) {
    case VT_EMPTY:
    case VT_NULL:
      break;
    case VT_BSTR:
      result = host::Variant(BstrToUtf8(v->bstrVal));
      break;
    case VT_BOOL:
      result = host::Variant(v->boolVal != VARIANT_FALSE);
      break;
    case VT_DATE:
      result = host::Variant(host::Date{SerialFromOleDate(v->date)});
      break;
    case VT_ERROR:
      if (IsCellError(v->scode)) {
        result = host::Variant(static_cast<host::ErrorValue>(v->scode - kCellErrorBase));
      } else if (v->scode != DISP_E_PARAMNOTFOUND) {
        result = Mismatch();
      }
      break;
    default: {
      VARIANT number;
      ::VariantInit(&number);
      if (SUCCEEDED(::VariantChangeTypeEx(&number, const_cast<VARIANT*>(v), 1033, 0, VT_R8))) {
        result = host::Variant(number.dblVal);
      } else {
        result = Mismatch();
      }
      break;
    }
  }
  ::VariantClear(&plain);
  return result;
}

}  // namespace

ComVariant::ComVariant(const host::Variant& value) : v_(ToVariant(value)) {}

ComVariant ComVariant::Bool(bool value) {
  ComVariant v;
  v.v_.vt = VT_BOOL;
  v.v_.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

ComVariant ComVariant::Long(long value) {
  ComVariant v;
  v.v_.vt = VT_I4;
  v.v_.lVal = value;
  return v;
}

ComVariant ComVariant::Text(std::string_view utf8) {
  ComVariant v;
  v.v_.vt = VT_BSTR;
  v.v_.bstrVal = Bstr(utf8).Detach();
  return v;
}

ComVariant ComVariant::Object(IDispatch* object) {
  ComVariant v;
  v.v_.vt = VT_DISPATCH;
  v.v_.pdispVal = object;
  if (object != nullptr) object->AddRef();
  return v;
}

ComVariant ComVariant::Missing() {
  ComVariant v;
  v.v_.vt = VT_ERROR;
  v.v_.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

host::Result<host::Variant> FromVariant(const VARIANT& in) {
  const VARIANT& value = Deref(in);
  if ((value.vt & VT_ARRAY) != 0) {
    SAFEARRAY* array = (value.vt & VT_BYREF) != 0 ? *value.pparray : value.parray;
    if (array == nullptr || ::SafeArrayGetDim(array) == 0) return host::Variant();
    if ((value.vt & VT_TYPEMASK) != VT_VARIANT) return Mismatch();
    // The first element: the lower bound of every dimension.
    UINT dims = ::SafeArrayGetDim(array);
    LONG indices[8] = {};
    if (dims > 8) return Mismatch();
    for (UINT d = 0; d < dims; ++d) {
      ::SafeArrayGetLBound(array, d + 1, &indices[d]);
      // SafeArrayGetElement takes the indices rightmost dimension first.
    }
    ComVariant first;
    LONG reversed[8] = {};
    for (UINT d = 0; d < dims; ++d) reversed[d] = indices[dims - 1 - d];
    if (FAILED(::SafeArrayGetElement(array, reversed, first.get()))) return Mismatch();
    return FromScalar(*first.get());
  }
  if (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) return Mismatch();
  return FromScalar(value);
}

VARIANT ToVariant(const host::Variant& value) {
  VARIANT v;
  ::VariantInit(&v);
  switch (value.kind()) {
    case host::Variant::Kind::Empty:
      break;
    case host::Variant::Kind::Number:
      v.vt = VT_R8;
      v.dblVal = value.AsNumber();
      break;
    case host::Variant::Kind::Text:
      v.vt = VT_BSTR;
      v.bstrVal = Bstr(value.AsText()).Detach();
      break;
    case host::Variant::Kind::Boolean:
      v.vt = VT_BOOL;
      v.boolVal = value.AsBoolean() ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case host::Variant::Kind::Date:
      v.vt = VT_DATE;
      v.date = OleDateFromSerial(value.AsDate().serial);
      break;
    case host::Variant::Kind::Error:
      v.vt = VT_ERROR;
      v.scode = kCellErrorBase + static_cast<SCODE>(value.AsError());
      break;
  }
  return v;
}

host::Result<long> ToLong(const VARIANT& value) {
  VARIANT out;
  ::VariantInit(&out);
  if (FAILED(::VariantChangeTypeEx(&out, const_cast<VARIANT*>(&Deref(value)), 1033, 0, VT_I4))) {
    return Mismatch();
  }
  return static_cast<long>(out.lVal);
}

host::Result<double> ToDouble(const VARIANT& value) {
  VARIANT out;
  ::VariantInit(&out);
  if (FAILED(::VariantChangeTypeEx(&out, const_cast<VARIANT*>(&Deref(value)), 1033, 0, VT_R8))) {
    return Mismatch();
  }
  return out.dblVal;
}

host::Result<bool> ToBool(const VARIANT& value) {
  VARIANT out;
  ::VariantInit(&out);
  if (FAILED(::VariantChangeTypeEx(&out, const_cast<VARIANT*>(&Deref(value)), 1033, 0, VT_BOOL))) {
    return Mismatch();
  }
  return out.boolVal != VARIANT_FALSE;
}

host::Result<std::string> ToText(const VARIANT& value) {
  ComVariant out;
  if (FAILED(::VariantChangeTypeEx(out.get(), const_cast<VARIANT*>(&Deref(value)), 1033, 0,
                                   VT_BSTR))) {
    return Mismatch();
  }
  return BstrToUtf8(out.get()->bstrVal);
}

host::Result<IDispatch*> ToObject(const VARIANT& in) {
  const VARIANT& value = Deref(in);
  switch (value.vt) {
    case VT_DISPATCH:
      return value.pdispVal;
    case VT_DISPATCH | VT_BYREF:
      return value.ppdispVal != nullptr ? *value.ppdispVal : nullptr;
    case VT_EMPTY:
    case VT_NULL:
      return static_cast<IDispatch*>(nullptr);
    case VT_ERROR:
      if (value.scode == DISP_E_PARAMNOTFOUND) return static_cast<IDispatch*>(nullptr);
      return Mismatch();
    default:
      return Mismatch();
  }
}

bool IsMissing(const VARIANT& in) {
  const VARIANT& value = Deref(in);
  return value.vt == VT_EMPTY || (value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND);
}

double OleDateFromSerial(double serial) {
  // Serial 1 is 1900-01-01, which OLE counts as day 2; from 1900-03-01 (serial 61) the two
  // agree, the spreadsheet having counted a 1900-02-29 that never was.
  return serial < 61 ? serial + 1 : serial;
}

double SerialFromOleDate(double oleDate) {
  return oleDate < 61 ? oleDate - 1 : oleDate;
}

}  // namespace kx::com
