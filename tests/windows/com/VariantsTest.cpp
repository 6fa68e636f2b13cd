// Values across the COM boundary: what the object model hands over becomes the host's Variant,
// and back, without losing what a comparison of cells depends on.

#include <gtest/gtest.h>

#include "com/Failures.h"
#include "com/Variants.h"
#include "host/ErrorNumbers.h"

namespace kx::com {
namespace {

host::Variant RoundTrip(const host::Variant& value) {
  ComVariant v(value);
  auto back = FromVariant(*v.get());
  EXPECT_TRUE(back.ok());
  return back.ok() ? *back : host::Variant("(failed)");
}

TEST(Variants, CellValuesSurviveTheRoundTrip) {
  for (const host::Variant& value :
       {host::Variant(), host::Variant(42.5), host::Variant("plain"), host::Variant(true),
        host::Variant("\xC3\x9C" "ber \xF0\x9D\x84\x9E"), host::Variant(""),
        host::Variant(host::Date{45000.25}), host::Variant(host::Date{1}),
        host::Variant(host::Date{59})}) {
    EXPECT_EQ(RoundTrip(value), value) << host::DebugString(value);
  }
  for (auto e : {host::ErrorValue::Null, host::ErrorValue::Div0, host::ErrorValue::Value,
                 host::ErrorValue::Ref, host::ErrorValue::Name, host::ErrorValue::Num,
                 host::ErrorValue::NA, host::ErrorValue::GettingData}) {
    EXPECT_EQ(RoundTrip(host::Variant(e)), host::Variant(e));
  }
}

TEST(Variants, DatesKeepTheSpreadsheetsSerialNumbers) {
  // 1900-01-01 is serial 1 and OLE day 2; from 1900-03-01 on the two agree.
  ComVariant first(host::Variant(host::Date{1}));
  EXPECT_EQ(first.get()->vt, VT_DATE);
  EXPECT_EQ(first.get()->date, 2.0);
  ComVariant march(host::Variant(host::Date{61}));
  EXPECT_EQ(march.get()->date, 61.0);
}

TEST(Variants, NumbersOfEveryAutomationTypeReadAsNumbers) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_CY;
  v.cyVal.int64 = 125000;  // 12.5 in ten-thousandths
  EXPECT_EQ(*FromVariant(v), host::Variant(12.5));
  v.vt = VT_DECIMAL;
  ::VarDecFromR8(0.1, &v.decVal);
  v.vt = VT_DECIMAL;
  EXPECT_EQ(*FromVariant(v), host::Variant(0.1));
  v.vt = VT_I2;
  v.iVal = -7;
  EXPECT_EQ(*FromVariant(v), host::Variant(-7.0));
  v.vt = VT_UI1;
  v.bVal = 200;
  EXPECT_EQ(*FromVariant(v), host::Variant(200.0));
  v.vt = VT_NULL;
  EXPECT_EQ(*FromVariant(v), host::Variant());
}

TEST(Variants, ByReferenceAndArraysGiveTheValueTheyHold) {
  ComVariant inner(host::Variant("held"));
  VARIANT ref;
  ::VariantInit(&ref);
  ref.vt = VT_VARIANT | VT_BYREF;
  ref.pvarVal = inner.get();
  EXPECT_EQ(*FromVariant(ref), host::Variant("held"));

  // A block of cells comes as a two-dimensional array based at 1: its first cell is (1, 1).
  SAFEARRAYBOUND bounds[2] = {{3, 1}, {2, 1}};
  SAFEARRAY* array = ::SafeArrayCreate(VT_VARIANT, 2, bounds);
  for (LONG r = 1; r <= 3; ++r) {
    for (LONG c = 1; c <= 2; ++c) {
      LONG at[2] = {r, c};
      ComVariant cell(host::Variant(static_cast<double>(r * 10 + c)));
      ::SafeArrayPutElement(array, at, cell.get());
    }
  }
  VARIANT block;
  ::VariantInit(&block);
  block.vt = VT_ARRAY | VT_VARIANT;
  block.parray = array;
  EXPECT_EQ(*FromVariant(block), host::Variant(11.0));
  ::VariantClear(&block);
}

TEST(Variants, WhatIsNoCellValueIsATypeMismatch) {
  VARIANT v;
  ::VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = E_FAIL;
  EXPECT_EQ(FromVariant(v).error().number, host::err::TypeMismatch);
  v.scode = DISP_E_PARAMNOTFOUND;  // a missing value is empty
  EXPECT_EQ(*FromVariant(v), host::Variant());
  v.vt = VT_ERROR;
  v.scode = static_cast<SCODE>(0x800A0000 + 1234);  // no cell error has that number
  EXPECT_FALSE(FromVariant(v).ok());
  ComVariant object = ComVariant::Object(nullptr);
  EXPECT_EQ(FromVariant(*object.get()).error().number, host::err::TypeMismatch);
}

TEST(Failures, ACallsFailureIsTheNumberVisualBasicWouldRaise) {
  struct Case {
    HRESULT hr;
    SCODE scode;  // inside DISP_E_EXCEPTION when not zero
    long number;
  };
  const Case cases[] = {
      {DISP_E_EXCEPTION, static_cast<SCODE>(0x800A03EC), 1004},
      {DISP_E_EXCEPTION, static_cast<SCODE>(0x800A0009), 9},
      {DISP_E_EXCEPTION, static_cast<SCODE>(0x800A01B6), 438},
      {static_cast<HRESULT>(0x800A005B), 0, 91},
      {DISP_E_UNKNOWNNAME, 0, 438},
      {DISP_E_MEMBERNOTFOUND, 0, 438},
      {DISP_E_TYPEMISMATCH, 0, 13},
      {DISP_E_BADINDEX, 0, 9},
      {E_OUTOFMEMORY, 0, 7},
      {RPC_E_CALL_REJECTED, 0, static_cast<long>(RPC_E_CALL_REJECTED)},
  };
  for (const Case& c : cases) {
    // Exception information comes only with DISP_E_EXCEPTION, and is the caller's to free.
    EXCEPINFO info{};
    info.scode = c.scode;
    if (c.hr == DISP_E_EXCEPTION) info.bstrDescription = ::SysAllocString(L"The host's own words");
    host::Error error = ErrorFromCall(c.hr, &info);
    EXPECT_EQ(error.number, c.number) << std::hex << c.hr << " " << c.scode;
    EXPECT_EQ(info.bstrDescription, nullptr);
    if (c.hr == DISP_E_EXCEPTION) {
      EXPECT_EQ(error.description, "The host's own words");
    }
  }
  // And back: what the add-in returns to its caller carries its number.
  EXPECT_EQ(HResultFromError(host::Fail(1004, "")), static_cast<HRESULT>(0x800A03EC));
  EXCEPINFO info{};
  EXPECT_EQ(ReportToCaller(host::Fail(91, "not set"), &info, L"Kestrix"), DISP_E_EXCEPTION);
  EXPECT_EQ(info.scode, static_cast<SCODE>(0x800A005B));
  ::SysFreeString(info.bstrSource);
  ::SysFreeString(info.bstrDescription);
}

}  // namespace
}  // namespace kx::com
