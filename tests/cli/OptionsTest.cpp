// Reading the command line and the selection, where a mistake would act on the wrong cells.

#include <gmock/gmock.h>

#include "cli/Options.h"
#include "cli/Session.h"

namespace kx::cli {
namespace {

TEST(SelectionSpecTest, SheetNamesQuotedOrNot) {
  struct Case {
    const char* selection;
    std::optional<std::string> sheet;
    const char* address;
  };
  const Case cases[] = {
      {"A2:A500", std::nullopt, "A2:A500"},
      {"Data!B:B", "Data", "B:B"},
      {"'My sheet'!A:A", "My sheet", "A:A"},
      {"'Bob''s list'!C1:D40", "Bob's list", "C1:D40"},
      {"'Q1!Q2'!A1", "Q1!Q2", "A1"},
  };
  for (const auto& c : cases) {
    auto parsed = ParseSelectionSpec(c.selection);
    ASSERT_TRUE(parsed.has_value()) << c.selection;
    EXPECT_EQ(parsed->sheet, c.sheet) << c.selection;
    EXPECT_EQ(parsed->address, c.address) << c.selection;
  }
  for (const char* bad : {"'Open!A1", "It's!A1", "!A1", "'a'b'!A1"}) {
    EXPECT_FALSE(ParseSelectionSpec(bad).has_value()) << bad;
  }
}

TEST(OptionsTest, ValuesJoinedOrSeparate) {
  auto parsed = ParseOptions({"color-unique", "--select=A:A", "-c", "36", "--yes", "b.xlsx"});
  ASSERT_TRUE(std::holds_alternative<Options>(parsed));
  const auto& options = std::get<Options>(parsed);
  EXPECT_EQ(options.select, "A:A");
  EXPECT_EQ(options.color, "36");
  EXPECT_TRUE(options.yes);
  EXPECT_EQ(options.workbook, "b.xlsx");

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"show", "-s"}, {"show", "--yes=1", "b.xlsx"},
        {"remove-duplicates", "-n", "-o", "c.xlsx", "b.xlsx"}}) {
    EXPECT_TRUE(std::holds_alternative<UsageError>(ParseOptions(bad))) << bad.back();
  }
}

}  // namespace
}  // namespace kx::cli
