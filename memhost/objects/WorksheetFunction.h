#pragma once
// WorksheetFunction: COUNTA and COUNTIF with the host's rules.

#include <memory>

#include "host/WorksheetFunction.h"
#include "memhost/HostState.h"

namespace kx::memhost {

class WorksheetFunction final : public host::WorksheetFunction {
 public:
  explicit WorksheetFunction(std::shared_ptr<HostState> state) : state_(std::move(state)) {}

  // Counts every area of the range.
  host::Result<double> CountA(const host::RangeRef& range) override;
  // One area only: a range of several areas gives #VALUE! in the sheet, so the call fails
  // with 1004.
  host::Result<double> CountIf(const host::RangeRef& range, const host::Variant& criterion) override;

 private:
  std::shared_ptr<HostState> state_;
};

}  // namespace kx::memhost
