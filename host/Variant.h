#pragma once
// Variant: the value of a cell as the host hands it over: empty, number, text, boolean, date or
// error value. Text is UTF-8.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kx::host {

struct Empty {
  friend bool operator==(Empty, Empty) = default;
};

// A date-time as the host keeps it: a serial day number in the 1900 date system (1 is
// 1900-01-01, with the host's fictitious 1900-02-29 as 60), fractions being the time of day.
struct Date {
  double serial = 0;
  friend bool operator==(Date, Date) = default;
};

// The cell error values, numbered as the object model numbers them (CVErr codes).
enum class ErrorValue : std::int32_t {
  Null = 2000,
  Div0 = 2007,
  Value = 2015,
  Ref = 2023,
  Name = 2029,
  Num = 2036,
  NA = 2042,
  GettingData = 2043,
};

// "#N/A", "#DIV/0!" and so on; ErrorValueFromText is the inverse (exact, upper case).
std::string_view ErrorValueText(ErrorValue e);
std::optional<ErrorValue> ErrorValueFromText(std::string_view text);

class Variant {
 public:
  enum class Kind : std::uint8_t { Empty, Number, Text, Boolean, Date, Error };

  Variant() = default;
  Variant(Empty) {}                                                     // NOLINT
  Variant(double n) : v_(n) {}                                          // NOLINT
  Variant(int n) : v_(static_cast<double>(n)) {}                        // NOLINT
  Variant(long n) : v_(static_cast<double>(n)) {}                       // NOLINT
  Variant(long long n) : v_(static_cast<double>(n)) {}                  // NOLINT
  Variant(std::string s) : v_(std::move(s)) {}                          // NOLINT
  Variant(std::string_view s) : v_(std::string(s)) {}                   // NOLINT
  Variant(const char* s) : v_(std::string(s)) {}                        // NOLINT
  Variant(bool b) : v_(b) {}                                            // NOLINT
  Variant(Date d) : v_(d) {}                                            // NOLINT
  Variant(ErrorValue e) : v_(e) {}                                      // NOLINT

  Kind kind() const { return static_cast<Kind>(v_.index()); }
  bool IsEmpty() const { return kind() == Kind::Empty; }
  bool IsNumber() const { return kind() == Kind::Number; }
  bool IsText() const { return kind() == Kind::Text; }
  bool IsBoolean() const { return kind() == Kind::Boolean; }
  bool IsDate() const { return kind() == Kind::Date; }
  bool IsError() const { return kind() == Kind::Error; }

  // Accessors for a known kind; calling one for another kind is a bug (asserts).
  double AsNumber() const { return std::get<double>(v_); }
  const std::string& AsText() const& { return std::get<std::string>(v_); }
  // The text taken out of a variant that goes, without copying it.
  std::string AsText() && { return std::get<std::string>(std::move(v_)); }
  bool AsBoolean() const { return std::get<bool>(v_); }
  Date AsDate() const { return std::get<Date>(v_); }
  ErrorValue AsError() const { return std::get<ErrorValue>(v_); }

  // The number a Number or Date holds.
  std::optional<double> NumericValue() const;

  // Strict equality of kind and value (text compared exactly); not any host matching rule.
  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  std::variant<Empty, double, std::string, bool, Date, ErrorValue> v_;
};

// A short description for test failure messages and the terminal: 5, "abc", TRUE, #N/A, date(45000).
std::string DebugString(const Variant& v);

}  // namespace kx::host
