#pragma once
// Calls by name on a stand-in object, made the way a late-binding client makes them: the names
// looked up with GetIDsOfNames, then one Invoke with the arguments in reverse order.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "com/ComPtr.h"
#include "com/Text.h"
#include "com/Variants.h"

namespace kx::standin::testing {

using com::ComPtr;
using com::ComVariant;

struct Outcome {
  HRESULT hr = E_FAIL;
  ComVariant value;
  SCODE scode = S_OK;  // of the exception, when hr is DISP_E_EXCEPTION
  UINT argError = ~0u;

  bool ok() const { return SUCCEEDED(hr); }
  long Long() const { return com::ToLong(*value.get()).value_or(-99999); }
  std::string Text() const { return com::ToText(*value.get()).value_or("<not text>"); }
  bool Bool() const { return com::ToBool(*value.get()).value_or(false); }
  // The object returned; null for Nothing or anything else.
  ComPtr<IDispatch> Object() const {
    const VARIANT& v = *value.get();
    return v.vt == VT_DISPATCH ? ComPtr<IDispatch>::Share(v.pdispVal) : nullptr;
  }
};

struct Named {
  const wchar_t* name;
  ComVariant value;
};

inline ComVariant Arg(long n) { return ComVariant::Long(n); }
inline ComVariant Arg(const char* text) { return ComVariant::Text(text); }
inline ComVariant Arg(IDispatch* object) { return ComVariant::Object(object); }
inline ComVariant Arg(const ComPtr<IDispatch>& object) { return ComVariant::Object(object.get()); }

inline Outcome InvokeId(IDispatch* object, DISPID id, WORD flags, std::vector<ComVariant> args,
                        std::vector<DISPID> namedIds = {}) {
  // rgvarg holds the named arguments first, then the positional ones last to first.
  std::vector<VARIANT> raw;
  for (auto it = args.rbegin(); it != args.rend(); ++it) raw.push_back(*it->get());
  DISPPARAMS params{raw.data(), namedIds.data(), static_cast<UINT>(raw.size()),
                    static_cast<UINT>(namedIds.size())};
  Outcome out;
  EXCEPINFO exception{};
  out.hr = object->Invoke(id, IID_NULL, 1033, flags, &params, out.value.get(), &exception,
                          &out.argError);
  if (out.hr == DISP_E_EXCEPTION) out.scode = exception.scode;
  ::SysFreeString(exception.bstrSource);
  ::SysFreeString(exception.bstrDescription);
  ::SysFreeString(exception.bstrHelpFile);
  return out;
}

// The DISPIDs of a member and of the named parameters after it; DISPID_UNKNOWN where unknown.
inline std::vector<DISPID> Ids(IDispatch* object, std::vector<std::wstring> names,
                               HRESULT* hr = nullptr) {
  std::vector<LPOLESTR> raw;
  for (auto& name : names) raw.push_back(name.data());
  std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
  HRESULT got = object->GetIDsOfNames(IID_NULL, raw.data(), static_cast<UINT>(raw.size()), 1033,
                                      ids.data());
  if (hr != nullptr) *hr = got;
  return ids;
}

// Positional arguments in their natural order, then named ones.
inline Outcome Call(IDispatch* object, const wchar_t* member, std::vector<ComVariant> args = {},
                    std::vector<Named> named = {}, WORD flags = DISPATCH_METHOD | DISPATCH_PROPERTYGET) {
  std::vector<std::wstring> names{member};
  for (const auto& n : named) names.emplace_back(n.name);
  HRESULT hr;
  std::vector<DISPID> ids = Ids(object, names, &hr);
  if (FAILED(hr)) return Outcome{hr};
  // rgvarg holds the named arguments first (in the order of their DISPIDs), then the positional
  // ones last to first; InvokeId reverses what it is given.
  std::vector<ComVariant> ordered = std::move(args);
  std::vector<DISPID> namedIds(named.size());
  for (std::size_t i = named.size(); i-- > 0;) {
    ordered.push_back(named[i].value);
    namedIds[i] = ids[1 + i];
  }
  return InvokeId(object, ids[0], flags, std::move(ordered), std::move(namedIds));
}

inline Outcome Put(IDispatch* object, const wchar_t* member, ComVariant value,
                   std::vector<ComVariant> args = {}) {
  HRESULT hr;
  std::vector<DISPID> ids = Ids(object, {member}, &hr);
  if (FAILED(hr)) return Outcome{hr};
  args.push_back(std::move(value));
  return InvokeId(object, ids[0], DISPATCH_PROPERTYPUT, std::move(args), {DISPID_PROPERTYPUT});
}

// A member that must give an object.
inline ComPtr<IDispatch> Obj(IDispatch* object, const wchar_t* member,
                             std::vector<ComVariant> args = {}) {
  Outcome out = Call(object, member, std::move(args));
  EXPECT_TRUE(out.ok()) << com::WideToUtf8(member) << std::hex << " hr 0x" << out.hr;
  ComPtr<IDispatch> result = out.Object();
  EXPECT_TRUE(result) << com::WideToUtf8(member) << " gave no object";
  return result;
}

}  // namespace kx::standin::testing
