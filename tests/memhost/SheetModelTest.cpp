#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "memhost/model/Book.h"

namespace kx::memhost {
namespace {

struct RecordingListener : SheetListener {
  std::vector<CellPos> seen;
  void CellChanged(const Sheet&, CellPos pos, const Cell&, const Cell&) override {
    seen.push_back(pos);
  }
};

TEST(SheetModel, UsedAreaFollowsStoredCellsAndFormatting) {
  Sheet sheet("Sheet1");
  EXPECT_FALSE(sheet.UsedArea());
  sheet.SetCell({10, 1}, Cell{host::Variant("x")});
  EXPECT_EQ(*sheet.UsedArea(), (Area{10, 1, 10, 1}));
  sheet.SetCell({20, 3}, Cell{host::Variant(), "", 5});  // formatting only
  EXPECT_EQ(*sheet.UsedArea(), (Area{10, 1, 20, 3}));
  sheet.SetCell({10, 1}, Cell{});
  EXPECT_EQ(*sheet.UsedArea(), (Area{20, 3, 20, 3}));
  EXPECT_EQ(sheet.CellCount(), 1u);
}

TEST(SheetModel, ChangesAreRecordedAndToldButLoadingIsNot) {
  Sheet sheet("Sheet1");
  RecordingListener listener;
  sheet.AddListener(&listener);
  sheet.LoadCell({1, 1}, Cell{host::Variant(1.0)});
  EXPECT_FALSE(sheet.Changed());
  sheet.SetCell({2, 1}, Cell{host::Variant(2.0)});
  sheet.SetCell({2, 1}, Cell{host::Variant(2.0)});  // no change
  sheet.SetCell({1, 1}, Cell{});
  EXPECT_EQ(listener.seen, (std::vector<CellPos>{{2, 1}, {1, 1}}));
  EXPECT_EQ(sheet.changes().cells.size(), 2u);
  sheet.SetRowHidden(5, true);
  EXPECT_TRUE(sheet.RowHidden(5));
  EXPECT_EQ(sheet.HiddenRows(), std::vector<std::int32_t>{5});
  EXPECT_TRUE(sheet.changes().hiddenRows);
}

TEST(SheetModel, ColumnWalkSkipsBlanksAndGrowsUpwards) {
  Sheet sheet("Sheet1");
  sheet.SetCell({5, 2}, Cell{host::Variant("b")});
  sheet.SetCell({2, 2}, Cell{host::Variant("a")});
  sheet.SetCell({9, 2}, Cell{host::Variant("c")});
  std::vector<std::int32_t> rows;
  sheet.ForEachInColumn(2, 1, 6, [&](std::int32_t row, const Cell&) { rows.push_back(row); });
  EXPECT_EQ(rows, (std::vector<std::int32_t>{2, 5}));
  ASSERT_NE(sheet.CellAt({5, 2}), nullptr);
  EXPECT_EQ(sheet.CellAt({5, 2})->value, host::Variant("b"));
  EXPECT_EQ(sheet.CellAt({4, 2}), nullptr);
}

TEST(SheetModel, AColumnWrittenAndClearedAtRandomHoldsWhatWasWritten) {
  // Writes and clears in one column, in bands that move about, so that it grows and shrinks at
  // both ends: from a few cells to thousands and back, by one cell and by gaps wider than the
  // blocks it is kept in (a cell written far above or below the others, then cleared). After
  // each burst of changes every row holds what was last written to it, and the column's walk,
  // stored rows and cell count agree.
  Sheet sheet("Sheet1");
  std::map<std::int32_t, std::string> expected;
  std::mt19937 random(11);
  auto check = [&](int step) {
    for (std::int32_t row = 1; row <= 12000; ++row) {
      const Cell* cell = sheet.CellAt({row, 3});
      auto it = expected.find(row);
      if (it == expected.end()) {
        ASSERT_EQ(cell, nullptr) << "row " << row << " at step " << step;
      } else {
        ASSERT_NE(cell, nullptr) << "row " << row << " at step " << step;
        ASSERT_TRUE(cell->value.IsText()) << "row " << row << " at step " << step;
        ASSERT_EQ(cell->value.AsText(), it->second) << "row " << row << " at step " << step;
      }
    }
    std::vector<std::pair<std::int32_t, std::string>> walked;
    sheet.ForEachInColumn(3, 1, 12000, [&](std::int32_t row, const Cell& cell) {
      walked.emplace_back(row, cell.value.AsText());
    });
    ASSERT_EQ(walked, (std::vector<std::pair<std::int32_t, std::string>>(expected.begin(), expected.end())))
        << "at step " << step;
    ASSERT_EQ(sheet.CellCount(), expected.size());
    if (expected.empty()) {
      ASSERT_FALSE(sheet.StoredRows(3));
    } else {
      ASSERT_EQ(sheet.StoredRows(3), std::pair(expected.begin()->first, expected.rbegin()->first));
    }
  };
  auto write = [&](std::int32_t row, int step) {
    std::string text = "v" + std::to_string(step) + std::string(random() % 20, 'x');
    sheet.SetCell({row, 3}, Cell{host::Variant(text)});
    expected[row] = text;
  };
  auto clear = [&](std::int32_t row) {
    sheet.SetCell({row, 3}, Cell{});
    expected.erase(row);
  };
  for (int step = 1; step <= 3000; ++step) {
    // A band of rows, 5 to 3,000 of them, somewhere in the first 12,000.
    const auto width = static_cast<std::int32_t>(5 + random() % 3000);
    const auto low = static_cast<std::int32_t>(1 + random() % (12000 - width));
    for (int n = 0; n < 30; ++n) {
      const auto row = low + static_cast<std::int32_t>(random() % static_cast<unsigned>(width));
      if (random() % 3 == 0) clear(row);
      else write(row, step);
    }
    switch (random() % 4) {
      case 0:  // a cell far from the rest, there a moment
        if (!expected.empty()) {
          const bool above = random() % 2 == 0 && expected.begin()->first > 1;
          const std::int32_t row = above ? static_cast<std::int32_t>(1 + random() % expected.begin()->first)
                                         : static_cast<std::int32_t>(expected.rbegin()->first + 1 +
                                                                     random() % 3000);
          if (row <= 12000 && !expected.contains(row)) {
            write(row, step);
            clear(row);
          }
        }
        break;
      case 1:  // the top or bottom cells, a few or many
        for (int n = static_cast<int>(random() % 60); n >= 0 && !expected.empty(); --n) {
          clear(random() % 2 == 0 ? expected.begin()->first : expected.rbegin()->first);
        }
        break;
      case 2:  // everything in another band, leaving a short column or none
        if (random() % 4 == 0) {
          for (auto it = expected.begin(); it != expected.end();) {
            const std::int32_t row = (it++)->first;
            if (row < low || row >= low + 20) clear(row);
          }
        }
        break;
      default: break;
    }
    if (step % 25 == 0) check(step);
    if (HasFatalFailure()) return;
  }
}

TEST(SheetModel, StylesAreInterned) {
  StyleTable styles;
  Style yellow;
  yellow.colorIndex = 6;
  StyleId a = styles.Intern(yellow);
  EXPECT_NE(a, kDefaultStyle);
  EXPECT_EQ(styles.Intern(yellow), a);
  EXPECT_EQ(styles.Intern(Style{}), kDefaultStyle);
}

}  // namespace
}  // namespace kx::memhost
