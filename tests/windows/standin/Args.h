#pragma once
// Args: a call's arguments laid out by parameter, as the object model reads them. Positional
// arguments come in reverse order in DISPPARAMS and named ones carry their parameter's
// position; an optional argument may be left out by omission or passed as missing.
//
// A bad argument is the call's own fault, not the host's: it is answered with its HRESULT
// (DISP_E_TYPEMISMATCH with the argument's index, DISP_E_PARAMNOTFOUND) rather than as an
// exception, so the readers below record it and return an error only to end the handler.

#include <windows.h>
#include <oaidl.h>

#include <array>
#include <optional>
#include <string>

#include "host/Forward.h"
#include "host/Result.h"
#include "host/Variant.h"
#include "standin/Object.h"

namespace kx::standin {

// The slot of the value a property put assigns.
inline constexpr std::size_t kAssigned = kMaxParams;

class Args {
 public:
  Args() = default;
  Args(const Member& member, const DISPPARAMS& params, bool put);

  // S_OK, or the HRESULT that answers the call, with the index of the argument at fault.
  HRESULT failure() const { return failure_; }
  UINT failedArg() const { return failedArg_; }

  // Whether an argument was given for the parameter (missing counts as not given).
  bool Has(std::size_t slot) const;
  // Whether the argument is text, for an Index that is a number or a name.
  bool IsText(std::size_t slot) const;

  host::Result<long> Long(std::size_t slot);
  host::Result<bool> Bool(std::size_t slot);
  host::Result<std::string> Text(std::size_t slot);
  host::Result<host::Variant> Value(std::size_t slot);
  // A stand-in Range, or null for Nothing.
  host::Result<host::RangeRef> Range(std::size_t slot);

  host::Result<std::optional<long>> OptLong(std::size_t slot);
  host::Result<std::optional<bool>> OptBool(std::size_t slot);
  host::Result<std::optional<std::string>> OptText(std::size_t slot);
  host::Result<std::optional<host::Variant>> OptValue(std::size_t slot);
  host::Result<host::RangeRef> OptRange(std::size_t slot);

 private:
  host::Error Fail(HRESULT hr, std::size_t slot);
  // The argument, or a failure when a required one is missing.
  host::Result<const VARIANT*> Required(std::size_t slot);
  template <class T>
  host::Result<T> Checked(std::size_t slot, host::Result<T> converted);

  std::array<const VARIANT*, kMaxParams + 1> slots_{};
  std::array<UINT, kMaxParams + 1> positions_{};  // each argument's index in rgvarg
  HRESULT failure_ = S_OK;
  UINT failedArg_ = 0;
};

}  // namespace kx::standin
