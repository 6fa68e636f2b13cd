#pragma once
// A COUNTIF criterion: read once from its value into an operator and an operand, then matched
// against each cell. Literal "=" and "<>" criteria can also be answered from the value index by
// their key.

#include <optional>
#include <string>

#include "host/Result.h"
#include "host/Variant.h"
#include "memhost/rules/TextMatch.h"
#include "memhost/model/Cell.h"

namespace kx::memhost {

class Criterion {
 public:
  enum class Op { Eq, Ne, Lt, Le, Gt, Ge };
  enum class Kind { Blank, Number, Boolean, Error, Text };

  // Fails with 1004 (the #VALUE! of the worksheet function) when a text operand stands for more
  // than 255 characters.
  static host::Result<Criterion> Parse(const host::Variant& criterion);

  Op op() const { return op_; }
  Kind kind() const { return kind_; }

  // Whether a cell (nullptr or a stored cell) matches.
  bool Matches(const Cell* cell) const;

  // For "=" or "<>" criteria the index can answer: the key whose count is the "=" count.
  // nullptr for wildcard patterns, comparisons and the blank rules. Made once, when the
  // criterion is read.
  const std::string* EqualityKey() const { return key_ ? &*key_ : nullptr; }

  // The blank rules: "" counts empty cells and empty text, "=" empty cells only, "<>" every
  // cell that is not empty.
  bool CountsEmptyText() const { return kind_ == Kind::Blank && op_ == Op::Eq && emptyTextToo_; }

 private:
  Criterion(Op op, Kind kind) : op_(op), kind_(kind) {}
  bool MatchesEqual(const host::Variant& value) const;
  bool MatchesOrder(const host::Variant& value) const;
  // The operator and operand, without the key.
  static host::Result<Criterion> Read(const host::Variant& criterion);
  std::optional<std::string> MakeEqualityKey() const;

  Op op_;
  Kind kind_;
  double number_ = 0;
  bool boolean_ = false;
  host::ErrorValue error_ = host::ErrorValue::NA;
  std::string text_;  // the operand, folded, for "<", ">" and the like against text
  std::optional<Pattern> pattern_;
  std::optional<std::string> key_;
  bool emptyTextToo_ = false;
};

}  // namespace kx::memhost
