// Values the host's criterion cannot stand for: card numbers kept as text, longer than the 15
// digits the host reads of a number, and texts that spell TRUE, FALSE or an error value. Every
// command that compares must keep apart what a user would call distinct, and still find every
// true repeat.

#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engines/WorkingCells.h"
#include "runner/Operations.h"
#include "tests/engines/EngineScenario.h"

namespace kx::testing {
namespace {

using ::testing::ElementsAre;
using namespace runner;

constexpr long kNoFill = host::xl::ColorIndexNone;
constexpr int kSwatch36 = 7;  // the chooser's swatch whose palette index is "36"

class TextComparedValues : public EngineScenario {
 protected:
  // Card numbers typed with an apostrophe, as users keep them, under a heading: texts that
  // differ only past the fifteenth digit, and one true repeat (rows 2 and 4).
  void Cards() {
    Column("A", {"Card", "'4111111111111111", "'4111111111111119", "'4111111111111111",
                 "'5500000000000004", "'5500000000000009"});
    Select("A1:A6");
  }
  // Texts spelling keywords beside the values themselves: two texts TRUE (one in lower case)
  // and two texts #DIV/0! repeat; the boolean TRUE, the boolean FALSE, the text FALSE, the text
  // #N/A and the error value #N/A occur once each.
  void Keywords() {
    Column("A", {"'TRUE", "TRUE", "'true", "'FALSE", "FALSE", "'#N/A", "#N/A", "'#DIV/0!",
                 "'#DIV/0!"});
    Select("A1:A9");
  }
  void Count(const Operation& op, bool colour) {
    screen.WhenShown("frmPrgBar").Press("CommandButton1");
    if (colour) screen.WhenShown("frmCol").Press("lblColIndex", kSwatch36).Press("Command1");
    screen.WhenShown("frmResult").Press("Command1");
    Run(op, /*pressYes=*/false);
  }
  std::string Counted() {
    for (auto it = screen.Showings().rbegin(); it != screen.Showings().rend(); ++it) {
      if (it->Form == "frmResult") return it->Label("lblResult").value_or("?");
    }
    return "?";
  }
  std::vector<long> Fills(size_t n) {
    std::vector<long> out;
    for (size_t i = 1; i <= n; ++i) {
      auto index = app->Range("A" + std::to_string(i)).value()->Interior().value()->ColorIndex();
      out.push_back(static_cast<long>(index.value().AsNumber()));
    }
    return out;
  }
  // Which rows still hold something.
  std::vector<bool> Kept(size_t n) {
    std::vector<bool> out;
    for (size_t i = 1; i <= n; ++i) {
      out.push_back(!app->Range("A" + std::to_string(i)).value()->Value().value().IsEmpty());
    }
    return out;
  }
};

TEST_F(TextComparedValues, CardNumbersDifferingPastTheFifteenthDigitStayApart) {
  Cards();
  Run(kRemoveAllDuplicates);
  EXPECT_THAT(Kept(6), ElementsAre(true, false, true, false, true, true));
  EXPECT_THAT(Shown("A", 3), ElementsAre("Card", "", "4111111111111119"));
}

TEST_F(TextComparedValues, RemovingUniqueCardNumbersKeepsOnlyTheTrueRepeat) {
  Cards();
  Run(kRemoveAllUnique);
  EXPECT_THAT(Kept(6), ElementsAre(false, true, false, true, false, false));
}

TEST_F(TextComparedValues, CountingAndColouringCardNumbers) {
  Cards();
  Count(kColorDuplicateRows, /*colour=*/true);
  EXPECT_EQ(Counted(), "2");
  EXPECT_THAT(Fills(6), ElementsAre(kNoFill, 36, kNoFill, 36, kNoFill, kNoFill));
  Count(kCountDuplicates, /*colour=*/false);
  EXPECT_EQ(Counted(), "2");
  // The unique filter compares what the cells show: the header and four values.
  Count(kCountUnique, /*colour=*/false);
  EXPECT_EQ(Counted(), "4");
  EXPECT_THAT(screen.Finish(), ::testing::IsEmpty());
}

TEST_F(TextComparedValues, KeepFirstAndListEntriesCompareCardNumbersByText) {
  Cards();
  Run(kRemoveDuplicatesKeepFirst);
  EXPECT_THAT(Kept(6), ElementsAre(true, true, true, false, true, true));

  Column("B", {"'4111111111111119"});
  Column("A", {"'4111111111111111", "'4111111111111119", "'4111111111111112"});
  Select("A1:B3");
  Run(kRemoveListEntries);
  EXPECT_THAT(Kept(3), ElementsAre(true, false, true));
}

TEST_F(TextComparedValues, TextsSpellingKeywordsAreNotTheirValues) {
  Keywords();
  Count(kColorDuplicateRows, /*colour=*/true);
  EXPECT_EQ(Counted(), "4");
  EXPECT_THAT(Fills(9), ElementsAre(36, kNoFill, 36, kNoFill, kNoFill, kNoFill, kNoFill, 36, 36));
  Count(kCountDuplicates, /*colour=*/false);
  EXPECT_EQ(Counted(), "4");
  EXPECT_THAT(screen.Finish(), ::testing::IsEmpty());
}

TEST_F(TextComparedValues, RemovingKeywordTextsClearsOnlyTheirRepeats) {
  Keywords();
  Run(kRemoveAllDuplicates);
  // The texts TRUE, true and the two #DIV/0! go; the boolean, FALSE, #N/A and the error stay.
  EXPECT_THAT(Kept(9), ElementsAre(false, true, false, true, true, true, true, false, false));
  EXPECT_EQ(app->Range("A2").value()->Value().value(), host::Variant(true));
  EXPECT_EQ(app->Range("A7").value()->Value().value(), host::Variant(host::ErrorValue::NA));
}

TEST_F(TextComparedValues, RemovingUniqueKeywordTextsKeepsTheirRepeats) {
  Keywords();
  Run(kRemoveAllUnique);
  // An error value has no text: it is never compared, and stays.
  EXPECT_THAT(Kept(9), ElementsAre(true, false, true, false, false, false, true, true, true));
}

// A column of many card numbers in groups of one to four, each group's numbers sharing their
// first 15 digits, with long numbers in exponent form written in either case: every command
// that counts must give each row the count of the cells holding its very text, however often
// the same texts come round.
TEST_F(TextComparedValues, ManyCardNumbersEachCountedByItsOwnText) {
  std::vector<std::string> cells{"Card"};
  std::map<std::string, int> times;  // by the text as the search matches it
  for (int group = 0; group < 40; ++group) {
    const std::string first15 = "4" + std::to_string(10000000000000 + group * 7919);
    for (int last = 0; last <= group % 4; ++last) {
      const std::string number = first15 + std::to_string(last);
      for (int copy = 0; copy <= (group + last) % 3; ++copy) cells.push_back("'" + number);
    }
  }
  for (const char* text : {"1234567890123456E5", "1234567890123456e5", "1234567890123457E5"}) {
    cells.push_back(std::string("'") + text);
  }
  for (size_t i = 1; i < cells.size(); ++i) {
    std::string key = cells[i].substr(1);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ++times[key];
  }
  auto repeated = [&](size_t row) {
    std::string key = cells[row - 1].substr(1);
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return times[key] > 1;
  };
  const size_t n = cells.size();
  Column("A", cells);
  Select("A1:A" + std::to_string(n));

  size_t duplicates = 0;
  std::vector<long> fills{kNoFill};
  std::vector<bool> kept{true};
  for (size_t row = 2; row <= n; ++row) {
    duplicates += repeated(row) ? 1 : 0;
    fills.push_back(repeated(row) ? 36 : kNoFill);
    kept.push_back(repeated(row));
  }
  Count(kColorDuplicateRows, /*colour=*/true);
  EXPECT_EQ(Counted(), std::to_string(duplicates));
  EXPECT_EQ(Fills(n), fills);
  Count(kCountDuplicates, /*colour=*/false);
  EXPECT_EQ(Counted(), std::to_string(duplicates));
  EXPECT_THAT(screen.Finish(), ::testing::IsEmpty());
  // The heading occurs once, so it goes too.
  kept[0] = false;
  Run(kRemoveAllUnique);
  EXPECT_EQ(Kept(n), kept);

  Column("A", cells);
  for (auto&& k : kept) k = !k;
  Run(kRemoveAllDuplicates);
  EXPECT_EQ(Kept(n), kept);
}

TEST(SearchedCounts, KeepsEachTextsCountThroughGrowthWithTheCaseAside) {
  engines::SearchedCounts counts;
  auto text = [](int i) { return "4" + std::to_string(100000000000000LL + i * 7LL) + "E3"; };
  for (int i = 0; i < 5000; ++i) {
    counts.Expect(text(i));
    ASSERT_FALSE(counts.Find().has_value()) << i;
    counts.Remember(i % 9 + 1);
  }
  for (int i = 0; i < 5000; ++i) {
    std::string lower = text(i);
    lower[lower.size() - 2] = 'e';
    counts.Expect(lower);
    ASSERT_EQ(counts.Find(), std::optional<double>(i % 9 + 1)) << i;
  }
  counts.Expect(text(5000));
  EXPECT_FALSE(counts.Find().has_value());
  // Capitals anywhere are the same text; a text one letter longer, or with other than ASCII
  // characters anywhere, is not: its case is not the search's to fold.
  counts.Expect("TRUE-4111111111111111-X");
  counts.Remember(2);
  counts.Expect("true-4111111111111111-x");
  EXPECT_EQ(counts.Find(), std::optional<double>(2));
  counts.Expect("true-4111111111111111-xy");
  EXPECT_FALSE(counts.Find().has_value());
  for (const char* accented : {"\xc3\xa9" "1234567890123456", "1234567890123456\xc3\xa9",
                               "12345678\xc3\xa9" "90123456"}) {
    counts.Expect(accented);
    counts.Remember(3);
    EXPECT_FALSE(counts.Find().has_value()) << accented;
  }
}

}  // namespace
}  // namespace kx::testing
