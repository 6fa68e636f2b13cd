#pragma once
// VARIANT and the host's Variant: a cell value crosses the COM boundary as the object model
// hands it over. Text is UTF-16 there and UTF-8 here; dates keep the spreadsheet's serial day
// numbers; error values travel as VT_ERROR with the code 0x800A0000 + their number (CVErr);
// currency and decimals read as plain numbers.

#include <windows.h>
#include <oaidl.h>

#include <utility>

#include "host/Result.h"
#include "host/Variant.h"

namespace kx::com {

// An owned VARIANT, cleared when it goes.
class ComVariant {
 public:
  ComVariant() { ::VariantInit(&v_); }
  explicit ComVariant(const host::Variant& value);
  ComVariant(const ComVariant& other) : ComVariant() {
    ::VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
  }
  ComVariant(ComVariant&& other) noexcept : v_(other.v_) { ::VariantInit(&other.v_); }
  ComVariant& operator=(ComVariant other) noexcept {
    std::swap(v_, other.v_);
    return *this;
  }
  ~ComVariant() { ::VariantClear(&v_); }

  static ComVariant Bool(bool value);
  static ComVariant Long(long value);
  static ComVariant Text(std::string_view utf8);
  // A reference to the object, added here and released with the variant; a null object is
  // Nothing (VT_DISPATCH holding null).
  static ComVariant Object(IDispatch* object);
  // An optional argument left out, as a caller that omits it passes it.
  static ComVariant Missing();

  VARIANT* get() { return &v_; }
  const VARIANT* get() const { return &v_; }
  VARIANT Detach() {
    VARIANT v = v_;
    ::VariantInit(&v_);
    return v;
  }

 private:
  VARIANT v_;
};

// A value for the host's Variant. Arrays (a range of several cells) give their first element;
// objects and other kinds that are no cell value fail with a type mismatch.
host::Result<host::Variant> FromVariant(const VARIANT& value);
// The value as a VARIANT the caller owns (VariantClear).
VARIANT ToVariant(const host::Variant& value);

// VARIANT coercions as the object model applies them to an argument or a property value.
host::Result<long> ToLong(const VARIANT& value);
host::Result<double> ToDouble(const VARIANT& value);
host::Result<bool> ToBool(const VARIANT& value);
host::Result<std::string> ToText(const VARIANT& value);
// The object a VARIANT holds, null for Nothing (also for Empty and a missing argument).
host::Result<IDispatch*> ToObject(const VARIANT& value);
// True for an optional argument the caller left out (VT_ERROR DISP_E_PARAMNOTFOUND) and Empty.
bool IsMissing(const VARIANT& value);

// The 1900 date system's serial number and OLE automation's date, which count from
// 1899-12-30 and have no 1900-02-29.
double OleDateFromSerial(double serial);
double SerialFromOleDate(double oleDate);

}  // namespace kx::com
