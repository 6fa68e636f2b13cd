#include "standin/Args.h"

#include "host/ErrorNumbers.h"
#include "standin/Wrap.h"

namespace kx::standin {

namespace {

// An argument passed as missing: VT_ERROR DISP_E_PARAMNOTFOUND, possibly by reference.
bool PassedAsMissing(const VARIANT& v) {
  const VARIANT& value = v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal != nullptr ? *v.pvarVal : v;
  return value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND;
}

std::size_t ParamCount(const Member& member) {
  std::size_t n = 0;
  while (n < kMaxParams && member.params[n] != nullptr) ++n;
  return n;
}

}  // namespace

Args::Args(const Member& member, const DISPPARAMS& params, bool put) {
  const std::size_t declared = ParamCount(member);
  for (UINT i = 0; i < params.cNamedArgs; ++i) {
    DISPID id = params.rgdispidNamedArgs[i];
    std::size_t slot;
    if (put && id == DISPID_PROPERTYPUT) {
      slot = kAssigned;
    } else if (id >= 0 && static_cast<std::size_t>(id) < declared) {
      slot = static_cast<std::size_t>(id);
    } else {
      failure_ = DISP_E_PARAMNOTFOUND;
      failedArg_ = i;
      return;
    }
    if (PassedAsMissing(params.rgvarg[i])) continue;
    slots_[slot] = &params.rgvarg[i];
    positions_[slot] = i;
  }
  const UINT positional = params.cArgs - params.cNamedArgs;
  if (positional > declared) {
    failure_ = DISP_E_BADPARAMCOUNT;
    return;
  }
  for (UINT p = 0; p < positional; ++p) {
    UINT index = params.cArgs - 1 - p;
    if (slots_[p] != nullptr || PassedAsMissing(params.rgvarg[index])) continue;
    slots_[p] = &params.rgvarg[index];
    positions_[p] = index;
  }
  // A put whose value is passed as missing has nothing to assign.
  if (put && slots_[kAssigned] == nullptr) failure_ = DISP_E_PARAMNOTFOUND;
}

host::Error Args::Fail(HRESULT hr, std::size_t slot) {
  if (failure_ == S_OK) {
    failure_ = hr;
    failedArg_ = positions_[slot];
  }
  return host::Fail(host::err::TypeMismatch, "Bad argument");
}

bool Args::Has(std::size_t slot) const {
  return slots_[slot] != nullptr && !com::IsMissing(*slots_[slot]);
}

bool Args::IsText(std::size_t slot) const {
  if (slots_[slot] == nullptr) return false;
  const VARIANT& v = *slots_[slot];
  VARTYPE type = v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal != nullptr ? v.pvarVal->vt : v.vt;
  return (type & VT_TYPEMASK) == VT_BSTR;
}

host::Result<const VARIANT*> Args::Required(std::size_t slot) {
  if (slots_[slot] == nullptr) return Fail(DISP_E_PARAMNOTFOUND, slot);
  return slots_[slot];
}

template <class T>
host::Result<T> Args::Checked(std::size_t slot, host::Result<T> converted) {
  if (!converted.ok()) return Fail(DISP_E_TYPEMISMATCH, slot);
  return converted;
}

host::Result<long> Args::Long(std::size_t slot) {
  return Checked(slot, com::ToLong(*KX_TRY(Required(slot))));
}

host::Result<bool> Args::Bool(std::size_t slot) {
  return Checked(slot, com::ToBool(*KX_TRY(Required(slot))));
}

host::Result<std::string> Args::Text(std::size_t slot) {
  return Checked(slot, com::ToText(*KX_TRY(Required(slot))));
}

host::Result<host::Variant> Args::Value(std::size_t slot) {
  return Checked(slot, com::FromVariant(*KX_TRY(Required(slot))));
}

host::Result<host::RangeRef> Args::Range(std::size_t slot) {
  const VARIANT* v = KX_TRY(Required(slot));
  IDispatch* object = KX_TRY(Checked(slot, com::ToObject(*v)));
  if (object == nullptr) return host::RangeRef();
  host::RangeRef range = RangeOf(object);
  if (!range) return Fail(DISP_E_TYPEMISMATCH, slot);
  return range;
}

host::Result<std::optional<long>> Args::OptLong(std::size_t slot) {
  if (!Has(slot)) return std::optional<long>();
  return std::optional<long>(KX_TRY(Long(slot)));
}

host::Result<std::optional<bool>> Args::OptBool(std::size_t slot) {
  if (!Has(slot)) return std::optional<bool>();
  return std::optional<bool>(KX_TRY(Bool(slot)));
}

host::Result<std::optional<std::string>> Args::OptText(std::size_t slot) {
  if (!Has(slot)) return std::optional<std::string>();
  return std::optional<std::string>(KX_TRY(Text(slot)));
}

host::Result<std::optional<host::Variant>> Args::OptValue(std::size_t slot) {
  if (!Has(slot)) return std::optional<host::Variant>();
  return std::optional<host::Variant>(KX_TRY(Value(slot)));
}

host::Result<host::RangeRef> Args::OptRange(std::size_t slot) {
  if (!Has(slot)) return host::RangeRef();
  return Range(slot);
}

}  // namespace kx::standin
