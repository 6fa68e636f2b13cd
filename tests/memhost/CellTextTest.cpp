// What a cell holds after typing, and the text it shows.

#include <gtest/gtest.h>

#include "HostFixture.h"
#include "memhost/rules/DisplayText.h"
#include "memhost/rules/TypedInput.h"

namespace kx::memhost {
namespace {

using host::Variant;

TEST(TypedInput, ReadsTextAsTheHostReadsTyping) {
  const struct {
    const char* typed;
    Variant value;
    const char* format;  // "" when the entry brings none
  } cases[] = {
      {"42", 42.0, ""},
      {"-1.5", -1.5, ""},
      {"1e3", 1000.0, ""},
      {"1,000", 1000.0, "#,##0"},
      {"1,00", "1,00", ""},  // not a thousands group: text
      {"50%", 0.5, "0%"},
      {"12.5%", 0.125, "0.00%"},
      {"$5", 5.0, ""},
      {"(7)", -7.0, ""},
      {"1/15/2020", host::Date{43845}, "m/d/yyyy"},
      {"2/29/1900", host::Date{60}, "m/d/yyyy"},
      {"2020-01-15", host::Date{43845}, "m/d/yyyy"},
      {"2/30/2020", "2/30/2020", ""},
      {"true", true, ""},
      {"#N/A", host::ErrorValue::NA, ""},
      {"'0042", "0042", ""},
      {"abc", "abc", ""},
      {" 7 ", 7.0, ""},
      {"9:30", host::Date{9.5 / 24}, "h:mm"},
      {"6:00 PM", host::Date{0.75}, "h:mm AM/PM"},
      {"12:00:30 am", host::Date{30.0 / 86400}, "h:mm:ss AM/PM"},
      {"25:00", "25:00", ""},
      {"1/15/2020 9:30", "1/15/2020 9:30", ""},
  };
  for (const auto& c : cases) {
    TypedInput entry = ReadTypedInput(c.typed);
    EXPECT_EQ(entry.value, c.value) << c.typed << " gave " << host::DebugString(entry.value);
    EXPECT_EQ(entry.numberFormat.value_or(""), c.format) << c.typed;
  }
}

TEST(TypedInput, FormulasKeepTheirTextAndLiteralsTheirValue) {
  const struct {
    const char* formula;
    std::optional<Variant> value;
  } cases[] = {
      {"=\"\"", Variant("")},          {"=\"x\"\"y\"", Variant("x\"y")},
      {"=5", Variant(5.0)},            {"=TRUE", Variant(true)},
      {"=#N/A", Variant(host::ErrorValue::NA)},
      {"=A1+1", std::nullopt},         {"=\"a\"&\"b\"", std::nullopt},
  };
  for (const auto& c : cases) {
    TypedInput entry = ReadTypedInput(c.formula);
    EXPECT_EQ(entry.formula, c.formula);
    EXPECT_EQ(entry.valueKnown, c.value.has_value()) << c.formula;
    if (c.value) {
      EXPECT_EQ(entry.value, *c.value) << c.formula;
    }
  }
}

TEST(DisplayText, ShowsValuesThroughTheirFormat) {
  const struct {
    Variant value;
    const char* format;
    const char* shown;
  } cases[] = {
      {5.0, "General", "5"},
      {1.5, "General", "1.5"},
      {0.1 + 0.2, "General", "0.3"},
      {1234567890.0, "General", "1234567890"},
      {123456789012.0, "General", "1.23457E+11"},
      {1e20, "General", "1E+20"},
      {-2.25, "General", "-2.25"},
      {1.5, "0.00", "1.50"},
      {1234567.891, "#,##0.00", "1,234,567.89"},
      {-1234.0, "#,##0", "-1,234"},
      {0.256, "0%", "26%"},
      {0.256, "0.00%", "25.60%"},
      {12345.0, "0.00E+00", "1.23E+04"},
      {-5.0, "#,##0 ;(#,##0)", "(5)"},
      {0.0, "0;-0;\"zero\"", "zero"},
      {3.0, "\"Qty \"0", "Qty 3"},
      {43845.0, "m/d/yyyy", "1/15/2020"},
      {host::Date{43845}, "d-mmm-yy", "15-Jan-20"},
      {host::Date{43845}, "General", "1/15/2020"},
      {43845.75, "m/d/yyyy h:mm", "1/15/2020 18:00"},
      {0.75, "h:mm AM/PM", "6:00 PM"},
      {43845.0, "dddd, mmmm d", "Wednesday, January 15"},
      {true, "General", "TRUE"},
      {host::ErrorValue::Div0, "0.00", "#DIV/0!"},
      {"text", "0.00", "text"},
      {"id", "\"#\"@", "#id"},
      {Variant(), "0.00", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DisplayText(c.value, c.format), c.shown)
        << host::DebugString(c.value) << " as " << c.format;
  }
}

TEST(DisplayText, TextShowsAsItselfUnlessItsSectionSaysOtherwise) {
  // Whatever the answer, it must agree with what DisplayText shows.
  for (const char* format : {"General", "0.00", "@", "#,##0;(#,##0)", "0;-0;0;@", "0;-0;0;\"Name: \"@",
                             "\"Name: \"@", "@\" kg\"", "[Red]0.00", "m/d/yyyy"}) {
    bool same = DisplayText(host::Variant("Smith, Ann"), format) == "Smith, Ann";
    EXPECT_EQ(TextShowsAsItself(format), same) << format;
  }
  EXPECT_FALSE(TextShowsAsItself("\"Name: \"@"));
  EXPECT_TRUE(TextShowsAsItself("0.00"));
}

TEST(DisplayText, FormulaBarKeepsFifteenDigits) {
  EXPECT_EQ(FormulaBarNumber(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormulaBarNumber(123456789012345678.0), "1.23456789012346E+17");
  EXPECT_EQ(FormulaBarNumber(1e15), "1E+15");
  EXPECT_EQ(FormulaBarNumber(123456789012.0), "123456789012");
}

class CellContentsTest : public testing::HostTest {};

TEST_F(CellContentsTest, ValueFormulaAndTextOfWrittenCells) {
  const struct {
    Variant written;
    Variant value;
    Variant formula;
    const char* text;
  } cases[] = {
      {"50%", 0.5, "0.5", "50%"},
      {"1/15/2020", host::Date{43845}, "1/15/2020", "1/15/2020"},
      {"'5", "5", "5", "5"},
      {"=\"\"", "", "=\"\"", ""},
      {"=A1*2", Variant(), "=A1*2", ""},
      {5.0, 5.0, "5", "5"},
      {host::Date{43845}, host::Date{43845}, "1/15/2020", "1/15/2020"},
      {true, true, "TRUE", "TRUE"},
  };
  for (const auto& c : cases) {
    Put("B2", c.written);
    auto cell = At("B2");
    EXPECT_EQ(cell->Value().value(), c.value) << host::DebugString(c.written);
    EXPECT_EQ(cell->Formula().value(), c.formula) << host::DebugString(c.written);
    EXPECT_EQ(cell->Text().value(), c.text) << host::DebugString(c.written);
    ASSERT_TRUE(cell->Clear().ok());
  }
}

TEST_F(CellContentsTest, UnevaluatedFormulasKeepTheirLastValueWhenReentered) {
  sheet().LoadCell({1, 1}, Cell{Variant(10.0), "=B1*2"});
  EXPECT_FALSE(book_->needsRecalculation);
  Put("A1", "=B1*2");
  EXPECT_EQ(At("A1")->Value().value(), Variant(10.0));
  Put("A1", "=B1*3");
  EXPECT_TRUE(At("A1")->Value().value().IsEmpty());
  EXPECT_TRUE(book_->needsRecalculation);
}

TEST_F(CellContentsTest, CellsFormattedAsTextKeepTypedText) {
  Style text;
  text.numberFormat = "@";
  sheet().LoadCell({1, 1}, Cell{Variant(), "", book_->styles.Intern(text)});
  Put("A1", "00123");
  EXPECT_EQ(At("A1")->Value().value(), Variant("00123"));
}

}  // namespace
}  // namespace kx::memhost
