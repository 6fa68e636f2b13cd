// Range.Find over displayed text, and the in-place unique-records filter with ShowAllData.

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>

#include "HostFixture.h"
#include "memhost/index/ValueIndex.h"
#include "memhost/objects/CellWrite.h"
#include "memhost/rules/Criterion.h"
#include "memhost/rules/TextMatch.h"

namespace kx::memhost {
namespace {

using host::Variant;

// Columns of `from` stored cells or more have their index built on two threads while it lives.
struct SplitBuildFrom {
  size_t was;
  explicit SplitBuildFrom(size_t from) : was(std::exchange(AreaIndex::splitBuildFrom, from)) {}
  ~SplitBuildFrom() { AreaIndex::splitBuildFrom = was; }
};

class FindTest : public testing::HostTest {
 protected:
  FindTest() {
    // A1:B6 by rows: apple | 5 ; APPLE | 1.50 (shown 1.5) ; pineapple | "5" ; a*b | x ;
    // apple | 1/15/2020 ; (empty) | axb
    Put("A1", "apple");
    Put("B1", 5);
    Put("A2", "APPLE");
    Put("B2", "1.50");
    Put("A3", "pineapple");
    Put("B3", "'5");
    Put("A4", "'a*b");
    Put("B4", "x");
    Put("A5", "apple");
    Put("B5", "1/15/2020");
    Put("B6", "axb");
  }
  std::string Find(const char* range, host::FindArgs args) {
    auto found = At(range)->Find(args);
    EXPECT_TRUE(found.ok());
    return found.ok() && *found ? (*found)->Address().value() : "Nothing";
  }
  // The style of a cell shown in `numberFormat`.
  StyleId Formatted(std::string numberFormat) {
    Style style;
    style.numberFormat = std::move(numberFormat);
    return book_->styles.Intern(style);
  }
  static host::FindArgs Whole(Variant what) {
    host::FindArgs args;
    args.What = std::move(what);
    args.LookIn = host::xl::LookInValues;
    args.LookAt = host::xl::LookAtWhole;
    args.SearchOrder = host::xl::SearchByRows;
    args.MatchCase = false;
    return args;
  }
};

TEST_F(FindTest, FindsByDisplayedText) {
  const struct {
    const char* what;
    host::FindArgs args;
    const char* range;
    const char* found;
  } cases[] = {
      {"starts after the first cell and ignores case", Whole("apple"), "A1:A6", "$A$2"},
      {"a number finds number and text alike", Whole(5), "B1:B6", "$B$3"},
      {"what is shown, not the value", Whole("1.5"), "B1:B6", "$B$2"},
      {"dates as shown", Whole("1/15/2020"), "B1:B6", "$B$5"},
      {"absent", Whole("pear"), "A1:B6", "Nothing"},
      {"wildcards", Whole("a?b"), "A1:B6", "$A$4"},
      {"escaped star", Whole("a~*b"), "A1:B6", "$A$4"},
      {"whole text only", Whole("pple"), "A1:A6", "Nothing"},
  };
  for (const auto& c : cases) EXPECT_EQ(Find(c.range, c.args), c.found) << c.what;
}

TEST_F(FindTest, AfterDirectionOrderAndWrapping) {
  auto args = Whole("apple");
  args.After = At("A2");
  EXPECT_EQ(Find("A1:A6", args), "$A$5");
  args.After = At("A5");
  EXPECT_EQ(Find("A1:A6", args), "$A$1");  // wraps round
  args.SearchDirection = host::xl::SearchPrevious;
  EXPECT_EQ(Find("A1:A6", args), "$A$2");
  args.After = At("A1");
  EXPECT_EQ(Find("A1:A6", args), "$A$5");  // backwards wraps to the end

  auto onlyOne = Whole("pineapple");
  onlyOne.After = At("A3");
  EXPECT_EQ(Find("A1:A6", onlyOne), "$A$3");  // After itself is searched last

  auto byColumns = Whole("5");
  byColumns.SearchOrder = host::xl::SearchByColumns;
  EXPECT_EQ(Find("A1:B6", byColumns), "$B$1");
  auto byRows = Whole("5");
  byRows.After = At("B1");
  EXPECT_EQ(Find("A1:B6", byRows), "$B$3");

  auto outside = Whole("apple");
  outside.After = At("C1");
  EXPECT_EQ(At("A1:A6")->Find(outside).error().number, host::err::ApplicationDefined);
}

TEST_F(FindTest, PartMatchCaseAndRememberedOptions) {
  host::FindArgs part;
  part.What = "APP";
  part.LookAt = host::xl::LookAtPart;
  part.MatchCase = true;
  EXPECT_EQ(Find("A1:A6", part), "$A$2");
  // Omitted options keep the last ones: part match, case-sensitive.
  host::FindArgs again;
  again.What = "PPL";
  EXPECT_EQ(Find("A1:A6", again), "$A$2");
  again.MatchCase = false;
  again.After = At("A2");
  EXPECT_EQ(Find("A1:A6", again), "$A$3");
  auto exact = Whole("APPLE");
  exact.MatchCase = true;
  exact.After = At("A2");
  EXPECT_EQ(Find("A1:A6", exact), "$A$2");
}

TEST_F(FindTest, FindDoesNotMoveTheSelectionAndSeesWrites) {
  ASSERT_TRUE(app_->SelectAddress("D4").ok());
  EXPECT_EQ(Find("A:A", Whole("pineapple")), "$A$3");
  EXPECT_EQ(app_->Selection().value()->Address().value(), "$D$4");
  Put("A3", "pear");
  EXPECT_EQ(Find("A:A", Whole("pineapple")), "Nothing");
  EXPECT_EQ(Find("A:A", Whole("PEAR")), "$A$3");
  ASSERT_TRUE(At("A3")->Clear().ok());
  EXPECT_EQ(Find("A:A", Whole("pear")), "Nothing");
}

TEST_F(FindTest, TheIndexFollowsANewNumberFormatButNotANewFill) {
  Put("C1", 0.5);
  EXPECT_EQ(Find("C:C", Whole("0.5")), "$C$1");
  EXPECT_EQ(CountIf("C:C", 0.5), 1);
  ASSERT_TRUE(At("C1")->Interior().value()->SetColorIndex(Variant(6.0)).ok());
  EXPECT_EQ(Find("C:C", Whole("0.5")), "$C$1");
  EXPECT_EQ(CountIf("C:C", 0.5), 1);
  Style percent;
  percent.numberFormat = "0%";
  sheet().SetCell({1, 3}, Cell{0.5, "", book_->styles.Intern(percent)});
  EXPECT_EQ(Find("C:C", Whole("0.5")), "Nothing");
  EXPECT_EQ(Find("C:C", Whole("50%")), "$C$1");
  EXPECT_EQ(CountIf("C:C", 0.5), 1);
}

TEST_F(FindTest, ARepeatedValuesCellsAreFoundInOrderBeforeAndAfterChanges) {
  // Counting builds the index; the cells of a repeated value are found in row order at the
  // first Find, after a clear and after a write, texts in the Text format ("@") among them.
  const StyleId asText = Formatted("@");
  const Cell column[] = {Cell{"kiwi"},
                         Cell{"Kiwi", "", asText},
                         Cell{"fig"},
                         Cell{"KIWI"},
                         Cell{"kiwi", "", asText},
                         Cell{"fig"},
                         Cell{"kiwi"},
                         Cell{3.0}};
  for (std::int32_t row = 1; row <= 8; ++row) sheet().LoadCell({row, 5}, column[row - 1]);
  EXPECT_EQ(CountIf("E1:E8", "kiwi"), 5);
  auto expectKiwisAt = [&](std::vector<int> rows) {
    for (int after = 1; after <= 8; ++after) {
      auto next = std::upper_bound(rows.begin(), rows.end(), after);
      int row = next == rows.end() ? rows.front() : *next;
      auto args = Whole("kiwi");
      args.After = At("E" + std::to_string(after));
      EXPECT_EQ(Find("E1:E8", args), "$E$" + std::to_string(row)) << "after E" << after;
    }
  };
  expectKiwisAt({1, 2, 4, 5, 7});
  ASSERT_TRUE(At("E4")->Clear().ok());
  expectKiwisAt({1, 2, 5, 7});
  EXPECT_EQ(CountIf("E1:E8", "kiwi"), 4);

  // The same with changes before the first Find: a later kiwi cleared, a fig made a kiwi.
  for (std::int32_t row = 1; row <= 8; ++row) sheet().LoadCell({row, 6}, column[row - 1]);
  EXPECT_EQ(CountIf("F1:F8", "fig"), 2);
  ASSERT_TRUE(At("F5")->Clear().ok());
  Put("F3", "Kiwi");
  for (int after = 1; after <= 8; ++after) {
    const int rows[] = {1, 2, 3, 4, 7};
    auto next = std::upper_bound(std::begin(rows), std::end(rows), after);
    int row = next == std::end(rows) ? rows[0] : *next;
    auto args = Whole("KIWI");
    args.After = At("F" + std::to_string(after));
    EXPECT_EQ(Find("F1:F8", args), "$F$" + std::to_string(row)) << "after F" << after;
  }
}

TEST_F(FindTest, AColumnIndexedOnTwoThreadsIsFoundAndCountedAsOnOne) {
  // A column whose index is built on two threads: texts that repeat, some in every case and in
  // the Text format, numbers among them (some shown with two decimals), and numeric texts
  // (counted with the numbers they spell, 16-digit ones with every text sharing the first 15
  // digits, but found by their text). Each repeated value's cells are found in row order, and
  // counts read through the cell just read agree with the cells, before and after clearing some
  // of them.
  const SplitBuildFrom twoThreads(1000);
  const StyleId asText = Formatted("@");
  const StyleId withTwoPlaces = Formatted("0.00");
  constexpr std::int32_t kRows = 30000;
  std::mt19937 random(5);
  for (std::int32_t row = 1; row <= kRows; ++row) {
    switch (random() % 12) {
      case 0: sheet().LoadCell({row, 5}, Cell{"kiwi"}); break;
      case 1: sheet().LoadCell({row, 5}, Cell{"Kiwi", "", asText}); break;
      case 2: sheet().LoadCell({row, 5}, Cell{"FIG"}); break;
      case 3: sheet().LoadCell({row, 5}, Cell{3.0}); break;
      case 4: sheet().LoadCell({row, 5}, Cell{"0" + std::to_string(random() % 3)}); break;
      case 5: sheet().LoadCell({row, 5}, Cell{"40000000000000" + std::to_string(10 + random() % 30)}); break;
      case 6: sheet().LoadCell({row, 5}, Cell{1.0}); break;
      case 7: sheet().LoadCell({row, 5}, Cell{3.0, "", withTwoPlaces}); break;
      default: sheet().LoadCell({row, 5}, Cell{"item " + std::to_string(random() % 5000)});
    }
  }
  const std::string column = "E1:E" + std::to_string(kRows);
  // The rows showing each text, folded, as the cells stand.
  auto rowsByText = [&] {
    std::map<std::string, std::vector<std::int32_t>, std::less<>> rows;
    for (std::int32_t row = 1; row <= kRows; ++row) {
      const Cell* cell = sheet().CellAt({row, 5});
      if (cell != nullptr) rows[Fold(CellText(*book_, cell))].push_back(row);
    }
    return rows;
  };
  auto expectFoundInOrder = [&](const auto& shown, const std::string& what) {
    const std::vector<std::int32_t>& rows = shown.at(Fold(what));
    for (std::int32_t after = 1; after <= kRows; after += 2999) {
      auto next = std::upper_bound(rows.begin(), rows.end(), after);
      std::int32_t row = next == rows.end() ? rows.front() : *next;
      auto args = Whole(what);
      args.After = At("E" + std::to_string(after));
      ASSERT_EQ(Find(column.c_str(), args), "$E$" + std::to_string(row)) << what << " after " << after;
    }
  };
  // Texts that repeat, spread over both halves of the table, and the ones that differ by case
  // or format.
  auto expectEveryValueFoundInOrder = [&] {
    const auto shown = rowsByText();
    for (const char* what :
         {"KIWI", "fig", "3", "3.00", "01", "1", "4000000000000012", "4000000000000039"}) {
      expectFoundInOrder(shown, what);
    }
    for (int item = 0; item < 40; ++item) {
      if (shown.contains("item " + std::to_string(item))) {
        expectFoundInOrder(shown, "Item " + std::to_string(item));
      }
    }
  };
  auto expectCountsAsCells = [&] {
    double stored = 0;
    for (std::int32_t r = 1; r <= kRows; ++r) stored += sheet().CellAt({r, 5}) != nullptr;
    ASSERT_EQ(CountIf(column, "<>"), stored);
    for (std::int32_t row = 1; row <= kRows; row += 1999) {
      Variant value = At("E" + std::to_string(row))->Value().value();
      if (value.IsEmpty()) continue;
      auto criterion = Criterion::Parse(value).value();
      double expected = 0;
      for (std::int32_t r = 1; r <= kRows; ++r) expected += criterion.Matches(sheet().CellAt({r, 5}));
      ASSERT_EQ(CountIf(column, value), expected) << "row " << row;
    }
  };
  EXPECT_EQ(CountIf(column, "fig"), static_cast<double>(rowsByText().at("fig").size()));
  expectCountsAsCells();
  expectEveryValueFoundInOrder();
  for (std::int32_t row = kRows; row >= 1; row -= 7) {
    ASSERT_TRUE(At("E" + std::to_string(row))->Clear().ok());
  }
  expectCountsAsCells();
  expectEveryValueFoundInOrder();
}

TEST_F(FindTest, ValuesCountedByAnotherKeyAreFoundAfterChangesBeforeTheFirstFind) {
  // Until the first search, the index files a number, a short numeric text, a truth value and
  // the like by its count key alone; the first search files where they show. Cells of every
  // kind are counted, then cleared, rewritten as another kind and given another number format,
  // all before the first Find; then each text shown is found in row order and every count
  // agrees with the cells, and again after more changes. Once on each way of building.
  const StyleId withTwoPlaces = Formatted("0.00");
  const StyleId asText = Formatted("@");
  std::mt19937 random(17);
  auto anyCell = [&]() -> Cell {
    const auto k = static_cast<int>(random() % 12);
    const auto n = static_cast<double>(random() % 4);
    switch (k) {
      case 0: return Cell{n};
      case 1: return Cell{n, "", withTwoPlaces};
      case 2: return Cell{"0" + std::to_string(random() % 3)};
      case 3: return Cell{std::to_string(random() % 4)};
      case 4: return Cell{"40000000000000" + std::to_string(10 + random() % 4)};
      case 5: return Cell{random() % 2 ? " a spaced long text" : " A SPACED LONG TEXT"};
      case 6: return Cell{random() % 2 ? "-abc" : "-ABC"};
      case 7: return Cell{true};
      case 8: return Cell{"TRUE"};
      case 9: return Cell{Variant(host::ErrorValue::Value)};
      case 10: return Cell{"Kiwi", "", asText};
      default: return Cell{"kiwi"};
    }
  };
  constexpr std::int32_t kRows = 3000;
  for (const size_t splitFrom : {AreaIndex::splitBuildFrom, size_t{1000}}) {
    const SplitBuildFrom building(splitFrom);
    const std::int32_t col = splitFrom == 1000 ? 8 : 7;
    const std::string letter(1, static_cast<char>('A' + col - 1));
    const std::string column = letter + "1:" + letter + std::to_string(kRows);
    for (std::int32_t row = 1; row <= kRows; ++row) sheet().LoadCell({row, col}, anyCell());
    auto expectAsTheCellsStand = [&](const char* when) {
      std::map<std::string, std::vector<std::int32_t>> rows;
      for (std::int32_t row = 1; row <= kRows; ++row) {
        const Cell* cell = sheet().CellAt({row, col});
        if (cell != nullptr) rows[Fold(CellText(*book_, cell))].push_back(row);
      }
      rows.erase("");  // a cell left with a format alone: Find "" stops at any empty cell
      for (const auto& [shown, at] : rows) {
        for (std::int32_t after = 1; after <= kRows; after += 997) {
          auto next = std::upper_bound(at.begin(), at.end(), after);
          auto args = Whole(shown);
          args.After = At(letter + std::to_string(after));
          ASSERT_EQ(Find(column.c_str(), args),
                    "$" + letter + "$" + std::to_string(next == at.end() ? at.front() : *next))
              << when << ": " << shown << " after row " << after;
        }
      }
      for (std::int32_t row = 1; row <= kRows; row += 97) {
        Variant value = At(letter + std::to_string(row))->Value().value();
        if (value.IsEmpty()) continue;
        auto criterion = Criterion::Parse(value).value();
        double expected = 0;
        for (std::int32_t r = 1; r <= kRows; ++r) {
          expected += criterion.Matches(sheet().CellAt({r, col}));
        }
        ASSERT_EQ(CountIf(column, value), expected) << when << ": row " << row;
      }
    };
    auto change = [&] {
      for (std::int32_t row = 1; row <= kRows; ++row) {
        switch (random() % 9) {
          case 0: ASSERT_TRUE(At(letter + std::to_string(row))->Clear().ok()); break;
          case 1: sheet().SetCell({row, col}, anyCell()); break;
          case 2: sheet().SetStyle({row, col}, random() % 2 ? withTwoPlaces : kDefaultStyle); break;
          default: break;
        }
      }
    };
    ASSERT_EQ(CountIf(column, "<>"), kRows);  // builds the index
    change();
    expectAsTheCellsStand("changed before the first Find");
    change();
    expectAsTheCellsStand("changed after it");
  }
}

TEST_F(FindTest, CellsClearedAndWrittenBeforeTheFirstFindAreFoundAsTheyStand) {
  // 900 values in rows 1-900, each again 900 rows below; counting builds the index. Then,
  // before any Find: both cells of 600 values cleared, the lower cell of some others, and
  // enough new values written below for the table to need room, which drops the unused
  // entries. Each value left is found where it stands.
  constexpr int kValues = 900;
  auto value = [](int i) { return "value " + std::to_string(i); };
  for (std::int32_t row = 1; row <= 2 * kValues; ++row) {
    sheet().LoadCell({row, 5}, Cell{value((row - 1) % kValues)});
  }
  const char* column = "E1:E4000";
  EXPECT_EQ(CountIf(column, "value 7"), 2);
  for (std::int32_t row = 2 * kValues; row >= 1; --row) {
    int i = (row - 1) % kValues;
    if (i < 600 || (row > kValues && i % 3 == 0)) {
      ASSERT_TRUE(At("E" + std::to_string(row))->Clear().ok());
    }
  }
  for (std::int32_t row = 2 * kValues + 1; row <= 3500; ++row) {
    Put("E" + std::to_string(row), "new " + std::to_string(row));
  }
  for (int i = 600; i < kValues; i += 7) {
    std::vector<int> rows = {i + 1};
    if (i % 3 != 0) rows.push_back(i + 1 + kValues);
    for (int after : {1, i + 1, 1500, 3999}) {
      auto next = std::upper_bound(rows.begin(), rows.end(), after);
      int row = next == rows.end() ? rows.front() : *next;
      auto args = Whole(value(i));
      args.After = At("E" + std::to_string(after));
      ASSERT_EQ(Find(column, args), "$E$" + std::to_string(row)) << value(i) << " after " << after;
    }
  }
  EXPECT_EQ(Find(column, Whole(value(5))), "Nothing");
  EXPECT_EQ(Find(column, Whole("NEW 2500")), "$E$2500");
}

TEST_F(FindTest, SearchesForTheValuesJustClearedFindWhatStands) {
  // Remove-all-duplicates' pattern: counting bottom-up clears the later cells of repeated
  // values, then each cleared value is searched for in the order of clearing, and the cell
  // found is cleared. The searches here keep to that order, ask twice, skip some, ask for
  // values never cleared, and go on after new counts and clearings; texts in both cases and
  // numbers. Each answer is that of walking the column.
  constexpr int kRows = 600;
  auto value = [](int row) -> Variant {
    int v = (row * 37) % 250;
    if (v % 5 == 0) return Variant(static_cast<double>(v));
    return Variant((v % 2 ? "Item " : "ITEM ") + std::to_string(v));
  };
  for (std::int32_t row = 1; row <= kRows; ++row) sheet().LoadCell({row, 7}, Cell{value(row)});
  const std::string column = "G1:G" + std::to_string(kRows);
  auto expected = [&](const std::string& what, int after) {
    for (int step = 1; step <= kRows; ++step) {
      int row = (after - 1 + step) % kRows + 1;
      std::string text = Text("G" + std::to_string(row));
      if (!text.empty() && Fold(text) == Fold(what)) return "$G$" + std::to_string(row);
    }
    return std::string("Nothing");
  };
  auto search = [&](const std::string& what, int after, bool clear) {
    auto args = Whole(Variant(what));
    args.After = At("G" + std::to_string(after));
    std::string found = Find(column.c_str(), args);
    ASSERT_EQ(found, expected(what, after)) << what << " after " << after;
    if (clear && found != "Nothing") {
      ASSERT_TRUE(At(found)->Clear().ok());
    }
  };
  for (int round = 0; round < 2; ++round) {
    std::vector<std::string> cleared;
    for (std::int32_t row = kRows; row >= 1; --row) {
      std::string text = Text("G" + std::to_string(row));
      if (text.empty() || CountIf(column, Variant(text)) < 2) continue;
      if (round == 1 && row % 3 == 0) continue;
      cleared.push_back(text);
      ASSERT_TRUE(At("G" + std::to_string(row))->Clear().ok());
    }
    for (size_t k = 0; k < cleared.size(); ++k) {
      const int after = static_cast<int>(k % kRows) + 1;
      if (k % 11 == 3) continue;                          // a value not asked for
      if (k % 13 == 5) search("Item 1", after, false);    // one never cleared
      search(cleared[k], after, k % 2 == 0);
      if (k % 17 == 7) search(cleared[k], after, true);  // asked again
    }
    if (round == 0) {
      for (std::int32_t row = 1; row <= kRows; row += 4) {
        Put("G" + std::to_string(row), value(row + 1));
      }
    }
  }
}

TEST_F(FindTest, IndexedFindAgreesWithWalkingTheColumnAfterWrites) {
  // Random writes to D1:D40, then every (what, after) pair: the found cell must be the first
  // cell after After, wrapping, whose text equals What without regard to case.
  std::mt19937 random(11);
  const char* pool[] = {"a", "A", "b", "", "5", "05"};
  for (int batch = 0; batch < 15; ++batch) {
    for (int i = 0; i < 12; ++i) {
      std::string address = "D" + std::to_string(random() % 40 + 1);
      const char* v = pool[random() % std::size(pool)];
      if (*v == 0)
        ASSERT_TRUE(At(address)->Clear().ok());
      else
        Put(address, v);
    }
    for (const char* what : {"a", "b", "5"}) {
      for (int after = 1; after <= 40; after += 7) {
        std::string expected = "Nothing";
        for (int step = 1; step <= 40; ++step) {
          int row = (after - 1 + step) % 40 + 1;
          std::string text = Text("D" + std::to_string(row));
          if (text.size() == 1 && std::tolower(text[0]) == what[0]) {
            expected = "$D$" + std::to_string(row);
            break;
          }
        }
        auto args = Whole(what);
        args.After = At("D" + std::to_string(after));
        EXPECT_EQ(Find("D1:D40", args), expected) << "batch " << batch << " what " << what;
      }
    }
  }
}

TEST_F(FindTest, ACountedRangeAndTheWholeColumnSearchedAgreeAsTheirCellsDiverge) {
  // The add-in counts in its working range and searches the whole column selected. Thousands
  // of values, most cleared one by one (the index drops their entries many at a time), then a
  // value below the working range that the column's search sees and the count must not.
  const int rows = 6000;
  for (int row = 1; row <= rows; ++row) {
    sheet().LoadCell({row, 6}, Cell{Variant("v" + std::to_string(row % 5000))});
  }
  const std::string counted = "F1:F" + std::to_string(rows);
  EXPECT_EQ(CountIf(counted, "v7"), 2);
  EXPECT_EQ(Find("F:F", Whole("V7")), "$F$7");
  for (int row = 1; row <= 5500; ++row) ASSERT_TRUE(At("F" + std::to_string(row))->Clear().ok());
  EXPECT_EQ(CountIf(counted, "v7"), 0);
  EXPECT_EQ(CountIf(counted, "v5600"), 0);  // its cell at row 600 is gone
  EXPECT_EQ(CountIf(counted, "v600"), 1);   // row 5600 is left
  EXPECT_EQ(Find("F:F", Whole("v600")), "$F$5600");
  EXPECT_EQ(Find("F:F", Whole("v7")), "Nothing");
  Put("F9000", "v600");
  Put("F3", "V600");
  EXPECT_EQ(CountIf(counted, "v600"), 2);
  EXPECT_EQ(CountIf("F:F", "v600"), 3);
  auto args = Whole("v600");
  args.After = At("F5600");
  EXPECT_EQ(Find("F:F", args), "$F$9000");
  args.After = At("F5600");
  EXPECT_EQ(Find(counted.c_str(), args), "$F$3");
  ASSERT_TRUE(At("F9000")->Clear().ok());
  EXPECT_EQ(CountIf("F:F", "v600"), 2);
  EXPECT_EQ(CountIf(counted, "v600"), 2);
}

TEST_F(FindTest, WalkingOrderAcrossColumnsAndAreas) {
  // F1:G3 all "k": the order of the walk decides which comes next.
  for (const char* a : {"F1", "G1", "F2", "G2", "F3", "G3"}) Put(a, "k");
  const struct {
    const char* after;
    long order, direction;
    const char* found;
  } cases[] = {
      {"F1", host::xl::SearchByRows, host::xl::SearchNext, "$G$1"},
      {"G1", host::xl::SearchByRows, host::xl::SearchNext, "$F$2"},
      {"F1", host::xl::SearchByColumns, host::xl::SearchNext, "$F$2"},
      {"F3", host::xl::SearchByColumns, host::xl::SearchNext, "$G$1"},
      {"G3", host::xl::SearchByColumns, host::xl::SearchNext, "$F$1"},
      {"F1", host::xl::SearchByColumns, host::xl::SearchPrevious, "$G$3"},
      {"F2", host::xl::SearchByRows, host::xl::SearchPrevious, "$G$1"},
  };
  for (const auto& c : cases) {
    auto args = Whole("K");
    args.After = At(c.after);
    args.SearchOrder = c.order;
    args.SearchDirection = c.direction;
    EXPECT_EQ(Find("F1:G3", args), c.found) << c.after << " " << c.order << " " << c.direction;
  }
  // Several areas are searched area by area, wrapping from the last to the first.
  auto args = Whole("k");
  args.After = At("G3");
  EXPECT_EQ(Find("F3:G3,F1", args), "$F$1");
  args.After = At("F1");
  EXPECT_EQ(Find("F3:G3,F1", args), "$F$3");
}

class UniqueFilterTest : public testing::HostTest {};

TEST_F(UniqueFilterTest, HidesRowsRepeatingAnEarlierRowsDisplayedText) {
  const Variant column[] = {"Name", "apple",   "Apple", "5", 5.0,    "a*b",   "axb",
                            "",     Variant(), "Name",  1.5, "1.50", "apple "};
  std::int32_t row = 1;
  for (const Variant& v : column) {
    if (!v.IsEmpty())
      sheet().SetCell({row, 1}, Cell{v, v.IsText() && v.AsText().empty() ? "=\"\"" : ""});
    ++row;
  }
  auto sheetObject = app_->ActiveSheet().value();
  EXPECT_FALSE(sheetObject->FilterMode().value());
  host::AdvancedFilterArgs args;
  args.Action = host::xl::FilterInPlace;
  args.Unique = true;
  ASSERT_TRUE(At("A1:A13")->AdvancedFilter(args).ok());
  // Hidden: Apple (case), 5 (shown as "5"), the blank after "" , 1.50? no: shown differently.
  EXPECT_EQ(sheet().HiddenRows(), (std::vector<std::int32_t>{3, 5, 9}));
  EXPECT_TRUE(sheetObject->FilterMode().value());
  ASSERT_TRUE(sheetObject->ShowAllData().ok());
  EXPECT_TRUE(sheet().HiddenRows().empty());
  EXPECT_FALSE(sheetObject->FilterMode().value());
  EXPECT_EQ(sheetObject->ShowAllData().error().number, host::err::ApplicationDefined);
}

TEST_F(UniqueFilterTest, TextsAreComparedAsTheirFormatsShowThem) {
  // Rows 3 and 5 hold the text of row 2 behind a format that shows it as "Ref abc", which row 4
  // holds in capitals: the same text typed is no repeat where it shows otherwise.
  Style ref;
  ref.numberFormat = "\"Ref \"@";
  const StyleId shownAsRef = book_->styles.Intern(ref);
  sheet().SetCell({1, 1}, Cell{"Name"});
  sheet().SetCell({2, 1}, Cell{"abc"});
  sheet().SetCell({3, 1}, Cell{"abc", "", shownAsRef});
  sheet().SetCell({4, 1}, Cell{"REF ABC"});
  sheet().SetCell({5, 1}, Cell{"abc", "", shownAsRef});
  sheet().SetCell({6, 1}, Cell{"abc"});
  host::AdvancedFilterArgs args;
  args.Unique = true;
  ASSERT_TRUE(At("A1:A6")->AdvancedFilter(args).ok());
  EXPECT_EQ(sheet().HiddenRows(), (std::vector<std::int32_t>{4, 5, 6}));
}

TEST_F(UniqueFilterTest, SeveralColumnsCompareWholeRows) {
  const char* rows[][2] = {{"k", "v"}, {"a", "1"}, {"A", "2"}, {"a", "1"}, {"b", "1"}};
  for (std::int32_t r = 0; r < 5; ++r) {
    for (std::int32_t c = 0; c < 2; ++c) {
      Put(std::string(1, static_cast<char>('A' + c)) + std::to_string(r + 1), rows[r][c]);
    }
  }
  host::AdvancedFilterArgs args;
  args.Unique = true;
  ASSERT_TRUE(At("A:B")->AdvancedFilter(args).ok());
  EXPECT_EQ(sheet().HiddenRows(), (std::vector<std::int32_t>{4}));
  EXPECT_EQ(*sheet().filterRange, (Area{1, 1, 5, 2}));
  args.Action = host::xl::FilterCopy;
  EXPECT_EQ(At("A:B")->AdvancedFilter(args).error().number, host::err::ApplicationDefined);
}

TEST_F(UniqueFilterTest, ALongColumnHidesExactlyTheRowsSeenBefore) {
  // Thousands of rows drawn from a few hundred texts in mixed case, against a set of the folded
  // texts already seen: every later occurrence hidden, every first one shown.
  std::mt19937 random(5);
  std::set<std::string> seen;
  std::vector<std::int32_t> expected;
  sheet().LoadCell({1, 1}, Cell{"Header"});
  for (std::int32_t row = 2; row <= 5000; ++row) {
    std::string text = "Item " + std::to_string(random() % 700);
    if (random() % 2) text[0] = 'i';
    sheet().LoadCell({row, 1}, Cell{text});
    text[0] = 'i';
    if (!seen.insert(text).second) expected.push_back(row);
  }
  host::AdvancedFilterArgs args;
  args.Unique = true;
  ASSERT_TRUE(At("A:A")->AdvancedFilter(args).ok());
  EXPECT_EQ(sheet().HiddenRows(), expected);
}

}  // namespace
}  // namespace kx::memhost
