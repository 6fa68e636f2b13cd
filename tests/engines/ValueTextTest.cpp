#include <gtest/gtest.h>

#include "engines/ValueText.h"
#include "host/ContinueOnFailure.h"
#include "host/ErrorNumbers.h"

namespace kx::engines {
namespace {

using host::Variant;

TEST(ValueText, ConvertsValuesAsTheAddInLanguageDoes) {
  struct Case {
    Variant value;
    const char* text;
  };
  const Case cases[] = {
      {Variant(), ""},
      {Variant("abc"), "abc"},
      {Variant(5.0), "5"},
      {Variant(-5.0), "-5"},
      {Variant(1.5), "1.5"},
      {Variant(0.1 + 0.2), "0.3"},
      {Variant(1234567.125), "1234567.125"},
      {Variant(123456789012345.0), "123456789012345"},
      {Variant(1e15), "1E+15"},
      {Variant(1e20), "1E+20"},
      {Variant(123456789012345678.0), "1.23456789012346E+17"},
      {Variant(0.00001), "0.00001"},
      {Variant(0.000001), "1E-06"},
      {Variant(-2.5e-7), "-2.5E-07"},
      {Variant(true), "True"},
      {Variant(false), "False"},
      {Variant(host::Date{43845}), "1/15/2020"},
      {Variant(host::Date{43845.5}), "1/15/2020 12:00:00 PM"},
      {Variant(host::Date{0.25}), "6:00:00 AM"},
      {Variant(host::Date{1}), "1/1/1900"},
      {Variant(host::Date{60}), "2/29/1900"},
      {Variant(host::Date{61}), "3/1/1900"},
  };
  for (const auto& c : cases) {
    auto text = ValueAsText(c.value);
    ASSERT_TRUE(text) << DebugString(c.value);
    EXPECT_EQ(*text, c.text) << DebugString(c.value);
  }
  EXPECT_FALSE(ValueAsText(Variant(host::ErrorValue::NA)));
  EXPECT_FALSE(ComparisonText(Variant(host::ErrorValue::Div0)));
}

TEST(ValueText, ComparisonTextKeepsTheFirst255Characters) {
  std::string longText(300, 'x');
  EXPECT_EQ(ComparisonText(Variant(longText))->size(), 255u);
  // Characters, not bytes: each "é" is two bytes of UTF-8.
  std::string accented;
  for (int i = 0; i < 300; ++i) accented += "é";
  auto cut = *ComparisonText(Variant(accented));
  EXPECT_EQ(cut.size(), 510u);
  EXPECT_EQ(LeadingCharacters("abc", 5), "abc");
}

TEST(ValueText, LiteralCriterionStandsForTheValueItself) {
  EXPECT_EQ(LiteralCriterion("abc"), "=abc");
  EXPECT_EQ(LiteralCriterion("a*"), "=a~*");
  EXPECT_EQ(LiteralCriterion("what?~"), "=what~?~~");
  EXPECT_EQ(LiteralCriterion("<5"), "=<5");
  EXPECT_EQ(LiteralCriterion("=abc"), "==abc");
  EXPECT_EQ(EscapeWildcards("*"), "~*");
}

// The first wildcard is looked for eight bytes at a time: each of the three at every place of
// texts that fill words, end in a part word, and hold bytes of other characters, against
// looking at each byte.
TEST(ValueText, EveryWildcardIsEscapedWhereverItStands) {
  const std::string base = "Ändere 0123456789 ÿ abcdefgh";  // UTF-8, with bytes over 0x7F
  for (size_t length = 0; length <= base.size(); ++length) {
    for (size_t at = 0; at < length; ++at) {
      for (char wildcard : {'*', '?', '~'}) {
        std::string text = base.substr(0, length);
        text[at] = wildcard;
        std::string expected;
        for (char c : text) {
          if (c == '*' || c == '?' || c == '~') expected += '~';
          expected += c;
        }
        ASSERT_EQ(EscapeWildcards(text), expected) << text;
      }
    }
    ASSERT_EQ(EscapeWildcards(base.substr(0, length)), base.substr(0, length));
  }
  // Bytes one away from a wildcard's, and the bytes where a word's borrow could spill over.
  EXPECT_EQ(EscapeWildcards(std::string("+)>@}\x7F\x01\x00*", 9)),
            std::string("+)>@}\x7F\x01\x00~*", 10));
}

TEST(CriterionMisreads, TextsTheHostReadsAsAnotherValue) {
  for (const char* misread :
       {"TRUE", "true", "False", "#N/A", "#div/0!", "#VALUE!", "#REF!", "#NUM!", "#NULL!",
        "4111111111111111", "-4111111111111111", "4,111,111,111,111,111", "0.1234567890123456",
        "1234567890123456E3", " 4111111111111111 ", "00004111111111111111"}) {
    EXPECT_TRUE(CriterionMisreads(misread)) << misread;
  }
  // "#NAME?" escapes its "?" and so stands for the text; 15 digits are read whole; leading
  // zeros are no digits of the number.
  for (const char* stands :
       {"#NAME?", "TRUE ", "truth", "411111111111111", "0004111111111111", "0000000000000000000",
        "4111-1111-1111-1111", "12/31/2020", "abc", ""}) {
    EXPECT_FALSE(CriterionMisreads(stands)) << stands;
  }
}

TEST(ContinueOnFailure, SkipsFailingStepsAndReadsFailedTestsByTheirRule) {
  host::ContinueOnFailure onFailure;
  host::Result<bool> failed = host::Fail(host::err::ApplicationDefined, "refused");
  EXPECT_TRUE(onFailure.RunsBodyOnFailure(failed));
  EXPECT_FALSE(onFailure.SkipsBodyOnFailure(failed));
  EXPECT_FALSE(onFailure.RunsBodyOnFailure(host::Result<bool>(false)));
  EXPECT_TRUE(onFailure.SkipsBodyOnFailure(host::Result<bool>(true)));
  EXPECT_EQ(onFailure.Do(host::Result<int>(7)), 7);
  EXPECT_FALSE(onFailure.Do(host::Result<int>(host::Fail(13, "type"))));
  ASSERT_TRUE(onFailure.last());
  EXPECT_EQ(onFailure.last()->number, 13);
}

}  // namespace
}  // namespace kx::engines
