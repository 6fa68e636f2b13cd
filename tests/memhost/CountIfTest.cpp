// COUNTIF as the host counts: one case per rule, over one column of mixed cells. "=" criteria
// with a literal operand are answered by the value index, the others by a pass over the cells;
// IndexAgreesWithCellByCellMatching checks that both ways agree.

#include <cmath>
#include <vector>
#include <cstdlib>
#include <cstdio>
#include <random>

#include "HostFixture.h"
#include "memhost/index/CellKeys.h"
#include "memhost/index/ValueIndex.h"
#include "memhost/rules/Criterion.h"
#include "memhost/rules/TextMatch.h"
#include "memhost/rules/TypedInput.h"

namespace kx::memhost {
namespace {

using host::Variant;

class CountIfTest : public testing::HostTest {
 protected:
  CountIfTest() {
    const Variant cells[] = {
        5.0,
        "5",
        "1.50",
        1.5,
        "1e3",
        1000.0,
        "apple",
        "Apple",
        "APPLE ",
        Variant(""),
        Variant(),
        true,
        1.0,
        host::ErrorValue::NA,
        "a*b",
        "axb",
        "éclair",
        "Éclair",
        "123456789012345111",
        "123456789012345222",
        0.0,
        "=abc",
        "abc",
        "TRUE",
        host::Date{43845},
    };
    std::int32_t row = 1;
    for (const Variant& v : cells) {
      // Row 10 is a formula giving empty text; row 11 stays empty.
      if (row == 10)
        sheet().LoadCell({row, 1}, Cell{v, "=\"\""});
      else if (!v.IsEmpty())
        sheet().LoadCell({row, 1}, Cell{v});
      ++row;
    }
  }
  static constexpr const char* kColumn = "A1:A25";
};

struct Case {
  const char* what;
  Variant criterion;
  double expected;
};

TEST_F(CountIfTest, CriteriaMatchAsTheHostMatches) {
  const Case cases[] = {
      {"number matches numbers and numeric text", 5.0, 2},
      {"numeric text criterion", "5", 2},
      {"explicit equals", "=5", 2},
      {"not equal counts everything else, blanks too", "<>5", 23},
      {"comparison sees numbers only", "<6", 4},
      {"comparison includes dates as numbers", ">=1000", 2},
      {"decimal text by value", 1.5, 2},
      {"exponent text by value", "1000", 2},
      {"text ignores case", "apple", 2},
      {"upper-case criterion", "APPLE", 2},
      {"spaces are significant, * matches them", "apple*", 3},
      {"? matches one character", "a?b", 2},
      {"~* is a literal star", "a~*b", 1},
      {"* matches every text, empty text included", "*", 16},
      {"?* leaves out empty text", "?*", 15},
      {"empty criterion: empty cells and empty text", "", 2},
      {"= alone: empty cells only", "=", 1},
      {"<> alone: every cell not empty", "<>", 24},
      {"an empty cell as criterion means 0", Variant(), 1},
      {"boolean matches booleans only", true, 1},
      {"TRUE as text is the boolean", "TRUE", 1},
      {"1 does not match TRUE", 1.0, 1},
      {"error literal", "#N/A", 1},
      {"keywords are read in any case", "tRuE", 1},
      {"error literal in lower case", "#n/a", 1},
      {"not an error, in lower case", "<>#n/a", 24},
      {"error value", host::ErrorValue::NA, 1},
      {"not an error", "<>#N/A", 24},
      {"letters beyond ASCII ignore case", "ÉCLAIR", 2},
      {"long numbers compare at 15 digits", "123456789012345333", 2},
      {"=abc is the operator and abc", "=abc", 1},
      {"==abc finds the text =abc", "==abc", 1},
      {"text order ignores case", "<b", 13},
      {"a date criterion is its serial", "1/15/2020", 1},
      {"not equal to a text", "<>apple", 23},
      {"not equal to a pattern", "<>a*", 19},
      {"no match", "pear", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CountIf(kColumn, c.criterion), c.expected) << c.what;
  }
}

TEST_F(CountIfTest, ACellsOwnValueAsCriterion) {
  // The duplicate rules the add-in relies on: COUNTIF(column, cell) for cells of the column.
  const struct {
    const char* cell;
    double expected;
  } cases[] = {
      {"A1", 2},   // 5 and "5"
      {"A7", 2},   // apple, Apple
      {"A15", 2},  // a*b is a pattern: also axb
      {"A22", 1},  // "=abc" counts abc, not itself
      {"A19", 2},  // 15-digit collision
      {"A11", 1},  // empty: the zeros
      {"A10", 2},  // "" : empty cells and empty text
      {"A14", 1},  // #N/A
  };
  auto functions = app_->WorksheetFunction().value();
  for (const auto& c : cases) {
    Variant value = At(c.cell)->Value().value();
    EXPECT_EQ(functions->CountIf(At(kColumn), value).value(), c.expected) << c.cell;
  }
}

TEST_F(CountIfTest, CriterionOver255CharactersFailsWith1004) {
  auto functions = app_->WorksheetFunction().value();
  auto tooLong = functions->CountIf(At(kColumn), std::string(256, 'x'));
  ASSERT_FALSE(tooLong.ok());
  EXPECT_EQ(tooLong.error().number, host::err::ApplicationDefined);
  // Escape tildes do not count towards the limit; the operator does not either.
  EXPECT_TRUE(functions->CountIf(At(kColumn), "=" + std::string(255, 'x')).ok());
  std::string escaped;
  for (int i = 0; i < 255; ++i) escaped += "~*";
  EXPECT_TRUE(functions->CountIf(At(kColumn), escaped).ok());
  EXPECT_FALSE(functions->CountIf(At(kColumn), escaped + "x").ok());
}

TEST_F(CountIfTest, LongTextsAgreeingInTheirFirst255CharactersAreOneValue) {
  std::string stem(255, 'q');
  Put("C1", stem + "A");
  Put("C2", stem + "b");
  Put("C3", stem.substr(1) + "z");
  EXPECT_EQ(CountIf("C1:C3", stem), 2);
  host::FindArgs find;
  find.What = stem + "zzz";
  find.LookAt = host::xl::LookAtWhole;
  auto found = At("C1:C3")->Find(find).value();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->Address().value(), "$C$2");  // after C1, wrapping: C2 first
}

TEST_F(CountIfTest, SeveralAreasOrAShapeAreRefused) {
  auto functions = app_->WorksheetFunction().value();
  EXPECT_EQ(functions->CountIf(At("A1:A2,B1:B2"), 5.0).error().number,
            host::err::ApplicationDefined);
  app_->SelectDrawingObject();
  EXPECT_EQ(functions->CountIf(app_->Selection().value(), 5.0).error().number,
            host::err::TypeMismatch);
  EXPECT_EQ(functions->CountA(app_->Selection().value()).error().number, host::err::TypeMismatch);
}

TEST_F(CountIfTest, CountACountsValuesEmptyTextAndErrors) {
  EXPECT_EQ(app_->WorksheetFunction().value()->CountA(At(kColumn)).value(), 24);
  EXPECT_EQ(app_->WorksheetFunction().value()->CountA(At("A1:A3,A10:A11")).value(), 4);
  // A cell with a fill but no value is stored, yet empty; a value written later counts.
  sheet().LoadCell({30, 1}, Cell{Variant(), "", 1});
  Put("A31", "pear");
  EXPECT_EQ(app_->WorksheetFunction().value()->CountA(At("A:A")).value(), 25);
}

TEST_F(CountIfTest, TheIndexFollowsEveryWrite) {
  EXPECT_EQ(CountIf("A:A", "apple"), 2);  // builds the index of A:A
  Put("A30", "APPLE");
  EXPECT_EQ(CountIf("A:A", "apple"), 3);
  ASSERT_TRUE(At("A7")->Clear().ok());
  EXPECT_EQ(CountIf("A:A", "apple"), 2);
  Put("A8", 5.0);  // Apple becomes a number
  EXPECT_EQ(CountIf("A:A", "apple"), 1);
  EXPECT_EQ(CountIf("A:A", "5"), 3);
  ASSERT_TRUE(At("A1:A30")->SetValue(Variant()).ok());
  EXPECT_EQ(CountIf("A:A", "5"), 0);
  EXPECT_EQ(CountIf("A:A", ""), kMaxRows);
}

TEST_F(CountIfTest, IndexAgreesWithCellByCellMatching) {
  // Random writes of values chosen to collide under the rules; after each batch every
  // criterion counts the same through the index as by matching each cell.
  std::mt19937 random(7);
  const Variant pool[] = {"x",      "X",         "5",  5.0, "05", true,
                          "TRUE",   Variant(""), "x*", "é", "É",  host::ErrorValue::Div0,
                          Variant(), -5.0, "-5", 0.0, -0.0, "0", 123456789012345.0,
                          1234567890123456.0, "1234567890123450", "Jürgen", "JÜRGEN", "jürgen",
                          "a?b", "a~b", "=x", "4000000000123455", 4000000000123460.0,
                          "4000000000123465", "12345678901234567890", 12345678901234500000.0,
                          9007199254740990.0, "-1234567890123456"};
  const Variant criteria[] = {"x", "=X", "<>x", 5.0,       "5",   true,     "",
                              "=", "<>", "é",   "#DIV/0!", "x~*", Variant(),
                              // whole numbers as the add-in writes them, and near misses
                              "=5", "=-5", "=0", "=-0", "=05", "=5.0", "=+5", "=-",
                              "=123456789012345", "=1234567890123456", "=1234567890123450",
                              // card numbers and longer digits kept as text
                              "=4000000000123455", "=4000000000123465", "=4000000000123469",
                              "=12345678901234567890", "=1234567890123456789012",
                              "=9007199254740993", "=-1234567890123456", "=00123456789012345"};
  for (int batch = 0; batch < 20; ++batch) {
    for (int i = 0; i < 10; ++i) {
      std::int32_t row = static_cast<std::int32_t>(random() % 30) + 1;
      const Variant& v = pool[random() % std::size(pool)];
      sheet().SetCell({row, 4}, v.IsEmpty() ? Cell{} : Cell{v});
    }
    // Each cell's own value just after reading it (the index then looks first where that cell
    // was filed, a place rewrites may have moved), and the fixed criteria after reading some
    // other cell.
    for (std::int32_t row = 1; row <= 30; ++row) {
      Variant own = At("D" + std::to_string(row))->Value().value();
      auto parsed = Criterion::Parse(own).value();
      double expected = 0;
      for (std::int32_t r = 1; r <= 30; ++r) expected += parsed.Matches(sheet().CellAt({r, 4}));
      EXPECT_EQ(CountIf("D1:D30", own), expected) << "batch " << batch << " row " << row;
      if (!own.IsText()) continue;
      // As the add-in asks for a text it has just read: "=" and the text, its wildcards
      // escaped; and the same text in capitals, which the cell just read does not hold.
      for (std::string text : {own.AsText(), AsciiUpper(own.AsText())}) {
        std::string literal = "=";
        for (char c : text) {
          if (c == '*' || c == '?' || c == '~') literal += '~';
          literal += c;
        }
        (void)At("D" + std::to_string(row))->Value();
        auto asked = Criterion::Parse(Variant(literal)).value();
        double matching = 0;
        for (std::int32_t r = 1; r <= 30; ++r) matching += asked.Matches(sheet().CellAt({r, 4}));
        EXPECT_EQ(CountIf("D1:D30", Variant(literal)), matching)
            << "batch " << batch << " row " << row << " " << literal;
      }
    }
    for (const Variant& criterion : criteria) {
      (void)At("D" + std::to_string(random() % 30 + 1))->Value();
      auto parsed = Criterion::Parse(criterion).value();
      double expected = 0;
      for (std::int32_t row = 1; row <= 30; ++row)
        expected += parsed.Matches(sheet().CellAt({row, 4}));
      EXPECT_EQ(CountIf("D1:D30", criterion), expected)
          << "batch " << batch << " criterion " << host::DebugString(criterion);
    }
  }
}

TEST_F(CountIfTest, TheIndexKeepsToTheValuesItHolds) {
  // Values cleared leave their entries unused until the table needs room; values written in
  // their place then reuse it. A column rewritten a hundred times with new values keeps an
  // index near its own size, and counts stay right throughout, read through the cell just read
  // (the entries it remembers by row follow them when the unused ones go).
  SheetIndexes indexes(book_, book_->sheets[0]);
  const Area column{1, 3, 200, 3};
  for (std::int32_t row = 1; row <= 200; ++row) sheet().SetCell({row, 3}, Cell{"v" + std::to_string(row % 50)});
  AreaIndex& index = indexes.For(column);
  for (int round = 1; round <= 100; ++round) {
    for (std::int32_t row = 1; row <= 200; ++row) {
      sheet().SetCell({row, 3}, Cell{"r" + std::to_string(round) + "-" + std::to_string(row % 50)});
    }
    for (std::int32_t row = 1; row <= 200; row += 37) {
      std::string key = TextKey("R" + std::to_string(round) + "-" + std::to_string(row % 50));
      ASSERT_EQ(index.Count(key, {row, 3}), 4) << "round " << round << " row " << row;
      ASSERT_EQ(index.Count(TextKey("r" + std::to_string(round - 1) + "-1")), 0);
    }
  }
  EXPECT_LE(index.EntryCount(), 400u);
  for (std::int32_t row = 1; row <= 200; ++row) sheet().SetCell({row, 3}, Cell{});
  EXPECT_EQ(index.NonBlankCount(), 0);
}

TEST_F(CountIfTest, ABigAreaIsIndexedAsASmallOne) {
  // Big enough for tables on huge pages, mapped as they fill: every kind of cell,
  // texts past the key's inline bytes among them, counted through the index as cell by cell.
  std::mt19937 random(3);
  const Variant pool[] = {"x",
                          "X",
                          "5",
                          5.0,
                          "05",
                          true,
                          "TRUE",
                          "x*",
                          "é",
                          "É",
                          std::string(40, 'L') + "ong",
                          std::string(40, 'l') + "ONG",
                          host::ErrorValue::Div0,
                          Variant()};
  for (std::int32_t column : {6, 7}) {
    for (std::int32_t row = 1; row <= 70000; ++row) {
      const Variant& v = pool[random() % std::size(pool)];
      if (!v.IsEmpty())
        sheet().LoadCell({row, column}, Cell{v});
      else if (row % 1000 == 0)
        sheet().LoadCell({row, column}, Cell{Variant(""), "=\"\""});
    }
  }
  const Variant criteria[] = {
      "x", "=X", "<>x", 5.0, "5", true, "", "é", "#DIV/0!", "x~*", std::string(40, 'l') + "ong"};
  for (const char* area : {"F1:F70000", "F1:G70000"}) {
    for (const Variant& criterion : criteria) {
      auto parsed = Criterion::Parse(criterion).value();
      double expected = 0;
      for (std::int32_t column : {6, 7}) {
        if (column == 7 && std::string_view(area) == "F1:F70000") continue;
        for (std::int32_t row = 1; row <= 70000; ++row) {
          expected += parsed.Matches(sheet().CellAt({row, column}));
        }
      }
      EXPECT_EQ(CountIf(area, criterion), expected)
          << area << " criterion " << host::DebugString(criterion);
    }
  }
}

TEST(Round15, NumbersCompareAtFifteenSignificantDigits) {
  const struct {
    double value, rounded;
  } cases[] = {
      {0.0, 0.0},
      {-0.0, 0.0},
      {123.0, 123.0},
      {-5.0, -5.0},
      {999999999999999.0, 999999999999999.0},  // 15 digits: whole numbers stay
      {1e15, 1e15},
      {1234567890123456.0, 1234567890123460.0},  // 16 digits lose the last
      {0.1 + 0.2, 0.3},
      {1.0000000000000002, 1.0},
      {-2.5, -2.5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Round15(c.value), c.rounded) << c.value;
    EXPECT_FALSE(std::signbit(Round15(c.value)) && c.rounded == 0) << "no negative zero";
  }
  // Whole numbers of 16 digits, ties to an odd and to an even ten, and the last below 2^53,
  // round as printing to 15 digits and reading back does.
  auto printed = [](double value) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    return std::strtod(buf, nullptr);
  };
  std::mt19937_64 random(15);
  std::vector<double> wholes = {1e15 + 5, 1e15 + 15, 9999999999999995.0, 9007199254740991.0,
                                4000000000123455.0, 4000000000123465.0, 1234567890123456.0};
  for (int i = 0; i < 20000; ++i) {
    wholes.push_back(static_cast<double>(1000000000000000 + random() % 8007199254740991));
  }
  for (double whole : wholes) {
    ASSERT_EQ(Round15(whole), printed(whole)) << std::to_string(whole);
    ASSERT_EQ(Round15(-whole), printed(-whole)) << std::to_string(-whole);
  }
}

// The add-in's criterion for a value ("=" and the text with ~ before * ? ~) is answered without
// reading it as a Criterion: the count must be the one the full reading gives.
TEST_F(CountIfTest, TheAddinsLiteralCriteriaCountAsTheFullReadingDoes) {
  auto escaped = [](std::string_view text) {
    std::string out = "=";
    for (char c : text) {
      if (c == '*' || c == '?' || c == '~') out += '~';
      out += c;
    }
    return out;
  };
  for (const char* text : {"apple", "APPLE ", "a*b", "axb", "a~b", "x?",
                           "\xC3\xA9"
                           "clair",
                           "TRUE", "true", "#N/A", "=abc", "abc", "1e3", "1.50", " 5", "Apple"}) {
    const Variant criterion(escaped(text));
    auto parsed = Criterion::Parse(criterion);
    ASSERT_TRUE(parsed.ok()) << text;
    double expected = 0;
    for (std::int32_t row = 1; row <= 25; ++row)
      expected += parsed->Matches(sheet().CellAt({row, 1}));
    EXPECT_EQ(CountIf(kColumn, criterion), expected) << text;
  }
  // A tilde before an ordinary character, and more than 255 characters, go the full way.
  const Variant tilde("=a~xb");
  double expected = 0;
  for (std::int32_t row = 1; row <= 25; ++row) {
    expected += Criterion::Parse(tilde)->Matches(sheet().CellAt({row, 1}));
  }
  EXPECT_EQ(CountIf(kColumn, tilde), expected);
  EXPECT_FALSE(app_->WorksheetFunction()
                   .value()
                   ->CountIf(At(kColumn), Variant("=" + std::string(256, 'x')))
                   .ok());
}

// Numeric text keeps its first 15 significant digits and the rest become zeros, as the host
// reads it wherever it reads text as a number: criteria, typed entries, validation.
TEST(ReadNumberText, KeepsFifteenSignificantDigitsAndCutsTheRest) {
  const struct {
    const char* text;
    double value;
  } cases[] = {
      {"123456789012345", 123456789012345.0},            // 15 digits: as they are
      {"4111111111111111", 4111111111111110.0},          // 16: the last becomes 0
      {"4111111111111119", 4111111111111110.0},          // cut, not rounded up
      {"41111111111111199", 41111111111111100.0},        // 17
      {"12345678901234567890", 12345678901234500000.0},  // 20
      {"99999999999999999", 99999999999999900.0},        // no carry into a new digit
      {"-4111111111111119", -4111111111111110.0},
      {"+4111111111111119", 4111111111111110.0},
      {"000004111111111111119", 4111111111111110.0},  // leading zeros are no digits
      {"0.00012345678901234567", 0.000123456789012345},
      {"1234567890.123456789", 1234567890.12345},
      {"4111111111111119E2", 411111111111111000.0},  // the mantissa's digits
      {"4.111111111111119e-3", 0.00411111111111111},
      {"$4,111,111,111,111,119", 4111111111111110.0},
  };
  for (const auto& c : cases) {
    auto n = ReadNumberText(c.text);
    ASSERT_TRUE(n.has_value()) << c.text;
    EXPECT_EQ(n->value, c.value) << c.text;
  }
  // Typed into a cell, such a number is cut the same way.
  EXPECT_EQ(ReadTypedInput("4111111111111119").value, Variant(4111111111111110.0));
  // Digits alone, of every length to 22 and with leading zeros, read as the same digits behind
  // a plus sign, which goes the whole way through the number reader.
  std::mt19937 random(22);
  for (int i = 0; i < 5000; ++i) {
    std::string digits(random() % 22 + 1, '0');
    const size_t zeros = random() % 3 == 0 ? random() % digits.size() : 0;
    for (size_t d = zeros; d < digits.size(); ++d) digits[d] = static_cast<char>('0' + random() % 10);
    auto plain = ReadNumberText(digits);
    auto signed_ = ReadNumberText("+" + digits);
    ASSERT_TRUE(plain && signed_) << digits;
    ASSERT_EQ(plain->value, signed_->value) << digits;
    ASSERT_FALSE(std::signbit(plain->value)) << digits;
  }
  // Digits are read eight at a time: a byte next to a digit's, or one beyond ASCII whose low
  // bits spell a digit, at any place of a card number makes it no digits at all.
  for (char other : {'/', ':', ' ', '.', 'a', '\x80', '\xB9', '\xF0', '\xFF'}) {
    for (size_t at = 0; at < 16; ++at) {
      std::string text = "4111111111111119";
      text[at] = other;
      EXPECT_FALSE(ReadDigits(text).has_value()) << at << " " << int(other);
    }
  }
}

TEST_F(CountIfTest, CardNumbersAreOneValueWhenTheirFirstFifteenDigitsAgree) {
  sheet().LoadCell({1, 3}, Cell{Variant("4111111111111111")});
  sheet().LoadCell({2, 3}, Cell{Variant("4111111111111119")});
  sheet().LoadCell({3, 3}, Cell{Variant("4111111111111121")});
  sheet().LoadCell({4, 3}, Cell{Variant(4111111111111110.0)});
  EXPECT_EQ(CountIf("C1:C4", Variant("=4111111111111111")), 3);
  EXPECT_EQ(CountIf("C1:C4", Variant("4111111111111114")), 3);
  EXPECT_EQ(CountIf("C1:C4", Variant("=4111111111111121")), 1);
  EXPECT_EQ(CountIf("C1:C4", Variant(4111111111111110.0)), 3);
}

}  // namespace
}  // namespace kx::memhost
