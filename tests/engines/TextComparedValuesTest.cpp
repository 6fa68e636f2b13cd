// Values the host's criterion cannot stand for: card numbers kept as text, longer than the 15
// digits the host reads of a number, and texts that spell TRUE, FALSE or an error value. Every
// command that compares must keep apart what a user would call distinct, and still find every
// true repeat.

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

}  // namespace
}  // namespace kx::testing
