#include <gtest/gtest.h>

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
