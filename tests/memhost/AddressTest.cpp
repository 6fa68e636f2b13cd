#include <gtest/gtest.h>

#include "memhost/model/Address.h"

namespace kx::memhost {
namespace {

TEST(Address, ReadsCellsBlocksColumnsAndRows) {
  struct Case {
    const char* text;
    Area area;
  };
  const Case cases[] = {
      {"B7", {7, 2, 7, 2}},
      {"$a$2:$A$20", {2, 1, 20, 1}},
      {"A20:A2", {2, 1, 20, 1}},
      {"A:A", {1, 1, kMaxRows, 1}},
      {"$B:$C", {1, 2, kMaxRows, 3}},
      {"3:5", {3, 1, 5, kMaxColumns}},
      {"$3:$3", {3, 1, 3, kMaxColumns}},
      {"XFD1048576", {kMaxRows, kMaxColumns, kMaxRows, kMaxColumns}},
  };
  for (const auto& c : cases) {
    auto area = ParseArea(c.text);
    ASSERT_TRUE(area) << c.text;
    EXPECT_EQ(*area, c.area) << c.text;
  }
}

TEST(Address, RejectsWhatTheHostCannotRead) {
  for (const char* text : {"", "A", "7", "A0", "XFE1", "A1048577", "A1:B", "A:3", "A1:", "1A",
                           "A$", "$$A1", "A1 B2"}) {
    EXPECT_FALSE(ParseArea(text)) << text;
  }
}

TEST(Address, WritesTheAbsoluteFormTheHostGives) {
  EXPECT_EQ(FormatArea({1, 1, 1, 1}), "$A$1");
  EXPECT_EQ(FormatArea({2, 1, 20, 1}), "$A$2:$A$20");
  EXPECT_EQ(FormatArea({1, 1, kMaxRows, 1}), "$A:$A");
  EXPECT_EQ(FormatArea({1, 27, kMaxRows, 28}), "$AA:$AB");
  EXPECT_EQ(FormatArea({4, 1, 4, kMaxColumns}), "$4:$4");
  EXPECT_EQ(FormatAreas({{1, 1, 2, 2}, {3, 3, 4, 4}}), "$A$1:$B$2,$C$3:$D$4");
  EXPECT_EQ(FormatAreaRelative({2, 1, 20, 1}), "A2:A20");
  EXPECT_EQ(ColumnLetters(16384), "XFD");
  auto areas = ParseAreas("A1:B2, D4");
  ASSERT_TRUE(areas);
  EXPECT_EQ(areas->size(), 2u);
}

}  // namespace
}  // namespace kx::memhost
