#pragma once
// ContinueOnFailure: how most of the add-in's procedures treat a failing host call.
//
// A procedure that declares one runs every step even when an earlier one failed: a failing step
// is skipped without a message and the next one runs. Where the failing step is the test of a
// conditional, the spreadsheet's own rule runs the conditional's body — RunsBodyOnFailure says so
// at the call site. Where running the body would lose data (a failed comparison clearing a
// cell), the sound rule wins instead: SkipsBodyOnFailure.
//
//   ContinueOnFailure onFailure;
//   onFailure.Do(app.SetScreenUpdating(false));
//   if (onFailure.RunsBodyOnFailure(ColumnCountAbove(1))) ...

#include <optional>
#include <utility>

#include "host/Result.h"

namespace kx::host {

class ContinueOnFailure {
 public:
  // Runs a step; its failure, if any, is remembered and otherwise ignored.
  void Do(const Result<void>& step) { Note(step); }

  // The step's value, or nothing when it failed.
  template <class T>
  std::optional<T> Do(Result<T> step) {
    if (!step.ok()) {
      last_ = step.error();
      return std::nullopt;
    }
    return std::move(step).value();
  }

  // A conditional's test under the host's rule: a test that fails runs the body.
  bool RunsBodyOnFailure(const Result<bool>& test) {
    Note(test);
    return !test.ok() || test.value();
  }

  // A conditional's test where a failure must not run the body.
  bool SkipsBodyOnFailure(const Result<bool>& test) {
    Note(test);
    return test.ok() && test.value();
  }

  // The most recent failure seen, for diagnostics.
  const std::optional<Error>& last() const { return last_; }

 private:
  template <class R>
  void Note(const R& r) {
    if (!r.ok()) last_ = r.error();
  }
  std::optional<Error> last_;
};

}  // namespace kx::host
