#include "memhost/rules/Criterion.h"

#include <cctype>

#include "host/ErrorNumbers.h"
#include "memhost/index/CellKeys.h"
#include "memhost/objects/CellWrite.h"
#include "memhost/rules/TypedInput.h"

namespace kx::memhost {

namespace {


template <class T>
bool Compare(Criterion::Op op, const T& a, const T& b) {
  switch (op) {
    case Criterion::Op::Lt: return a < b;
    case Criterion::Op::Le: return a <= b;
    case Criterion::Op::Gt: return a > b;
    case Criterion::Op::Ge: return a >= b;
    default: return false;
  }
}

}  // namespace

host::Result<Criterion> Criterion::Parse(const host::Variant& criterion) {
  Criterion c = KX_TRY(Read(criterion));
  c.key_ = c.MakeEqualityKey();
  return c;
}

host::Result<Criterion> Criterion::Read(const host::Variant& criterion) {
  switch (criterion.kind()) {
    case host::Variant::Kind::Empty: {
      // A reference to an empty cell stands for 0, not for the blanks.
      Criterion c(Op::Eq, Kind::Number);
      return c;
    }
    case host::Variant::Kind::Number:
    case host::Variant::Kind::Date: {
      Criterion c(Op::Eq, Kind::Number);
      c.number_ = Round15(*criterion.NumericValue());
      return c;
    }
    case host::Variant::Kind::Boolean: {
      Criterion c(Op::Eq, Kind::Boolean);
      c.boolean_ = criterion.AsBoolean();
      return c;
    }
    case host::Variant::Kind::Error: {
      Criterion c(Op::Eq, Kind::Error);
      c.error_ = criterion.AsError();
      return c;
    }
    case host::Variant::Kind::Text:
      break;
  }
  std::string_view text = criterion.AsText();
  // The longest leading operator; none means "=".
  Op op = Op::Eq;
  bool explicitOp = true;
  if (text.starts_with("<=")) op = Op::Le, text.remove_prefix(2);
  else if (text.starts_with(">=")) op = Op::Ge, text.remove_prefix(2);
  else if (text.starts_with("<>")) op = Op::Ne, text.remove_prefix(2);
  else if (text.starts_with("<")) op = Op::Lt, text.remove_prefix(1);
  else if (text.starts_with(">")) op = Op::Gt, text.remove_prefix(1);
  else if (text.starts_with("=")) op = Op::Eq, text.remove_prefix(1);
  else explicitOp = false;

  bool ordered = op != Op::Eq && op != Op::Ne;
  Pattern pattern(text, /*caseSensitive=*/false, /*wildcards=*/!ordered);
  if (pattern.Length() > kComparedChars) {
    return host::Fail(host::err::ApplicationDefined,
                      "Unable to get the CountIf property of the WorksheetFunction class");
  }
  if (text.empty()) {
    Criterion c(op, Kind::Blank);
    c.emptyTextToo_ = !explicitOp;
    if (ordered) {
      // "<" or ">" with nothing after it compares text with the empty text.
      c.kind_ = Kind::Text;
    }
    return c;
  }
  if (auto n = ReadNumberText(text)) {
    Criterion c(op, Kind::Number);
    c.number_ = Round15(n->value);
    return c;
  }
  // Only TRUE, FALSE and the error texts (which start with '#') are keywords: other texts are
  // not upper-cased, since COUNTIF parses a criterion on every call.
  if (text.size() == 4 || text.size() == 5 || text.front() == '#') {
    std::string upper = AsciiUpper(text);
    if (upper == "TRUE" || upper == "FALSE") {
      Criterion c(op, Kind::Boolean);
      c.boolean_ = upper == "TRUE";
      return c;
    }
    if (auto e = host::ErrorValueFromText(upper)) {
      Criterion c(op, Kind::Error);
      c.error_ = *e;
      return c;
    }
  }
  Criterion c(op, Kind::Text);
  if (ordered) c.text_ = Fold(text);
  c.pattern_ = std::move(pattern);
  return c;
}

bool Criterion::Matches(const Cell* cell) const {
  bool blank = IsEmptyCell(cell);
  if (kind_ == Kind::Blank) {
    if (op_ == Op::Ne) return !blank;
    if (blank) return true;
    return emptyTextToo_ && cell->value.IsText() && cell->value.AsText().empty();
  }
  static const host::Variant kEmpty;
  const host::Variant& value = blank ? kEmpty : cell->value;
  switch (op_) {
    case Op::Eq: return MatchesEqual(value);
    case Op::Ne: return !MatchesEqual(value);
    default: return MatchesOrder(value);
  }
}

bool Criterion::MatchesEqual(const host::Variant& value) const {
  switch (kind_) {
    case Kind::Number:
      if (auto n = value.NumericValue()) return Round15(*n) == number_;
      if (value.IsText()) {
        auto n = ReadNumberText(value.AsText());
        return n && Round15(n->value) == number_;
      }
      return false;
    case Kind::Boolean:
      return value.IsBoolean() && value.AsBoolean() == boolean_;
    case Kind::Error:
      return value.IsError() && value.AsError() == error_;
    case Kind::Text:
      if (!value.IsText()) return false;
      if (pattern_->IsLiteral()) {
        return Fold(FirstChars(value.AsText(), kComparedChars)) == pattern_->Literal();
      }
      return pattern_->MatchesWhole(value.AsText());
    case Kind::Blank:
      return false;
  }
  return false;
}

bool Criterion::MatchesOrder(const host::Variant& value) const {
  switch (kind_) {
    case Kind::Number:
      if (auto n = value.NumericValue()) return Compare(op_, Round15(*n), number_);
      return false;
    case Kind::Boolean:
      return value.IsBoolean() && Compare(op_, value.AsBoolean(), boolean_);
    case Kind::Text:
      return value.IsText() && Compare(op_, Fold(value.AsText()), text_);
    default:
      return false;
  }
}

std::optional<std::string> Criterion::MakeEqualityKey() const {
  if (op_ != Op::Eq && op_ != Op::Ne) return std::nullopt;
  switch (kind_) {
    case Kind::Number: return NumberKey(number_);
    case Kind::Boolean: return std::string(boolean_ ? "b1" : "b0");
    case Kind::Error: return "e" + std::to_string(static_cast<int>(error_));
    case Kind::Text: {
      if (!pattern_->IsLiteral()) return std::nullopt;
      std::string key;
      key.reserve(pattern_->Literal().size() + 1);
      key += 't';
      key += pattern_->Literal();
      return key;
    }
    case Kind::Blank: return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace kx::memhost
