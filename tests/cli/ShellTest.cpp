// The shell through a pipe: one host and one connected add-in for the whole session, so undo,
// the preventer's rule and the add-in list behave as inside a spreadsheet.

#include <gmock/gmock.h>

#include "tests/cli/KestrixProcess.h"

namespace kx::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class ShellTest : public KestrixTest {
 protected:
  void SetUp() override {
    KestrixTest::SetUp();
    MakeBook("fruit.xlsx", {{"Fruit", "apple", "pear", "apple", "plum", "pear"}});
  }
};

TEST_F(ShellTest, UndoAfterARemovalRestoresTheCells) {
  auto run = Run({"shell", "--menu", "-q", "fruit.xlsx"},
                 "select A2:A6\n"
                 "click KX18 --yes\n"
                 "show\n"
                 "menu 1\n"        // Undo Changes
                 "show\n"
                 "save\n"
                 "quit\n");
  EXPECT_EQ(run.status, 0) << run.err;
  const auto removed = run.out.find("A5      plum\nA6      \n");
  ASSERT_NE(removed, std::string::npos) << run.out;
  EXPECT_THAT(run.out.substr(removed), HasSubstr("A4      apple\nA5      plum\nA6      pear\n"));
  EXPECT_THAT(Column("fruit.xlsx", 1, 6), ElementsAre("Fruit", "apple", "pear", "apple", "plum", "pear"));
}

TEST_F(ShellTest, AnsweringTheQuestionFromThePipe) {
  auto run = Run({"shell", "-q", "fruit.xlsx"},
                 "select A2:A6\n"
                 "click rDA\n"
                 "n\n"          // "No": nothing happens
                 "show A2:A3\n"
                 "select A2:A6\n"
                 "click cDR\n"
                 "y\n"
                 "5\n"          // the blue swatch
                 "show A2:A3\n"
                 "quit\n");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(run.out, HasSubstr("A2      apple\nA3      pear\n"));
  EXPECT_THAT(run.out, HasSubstr("4 Duplicate Entries Found in Selection!\n"));
  EXPECT_THAT(run.out, HasSubstr("A2      apple  [fill 5]\nA3      pear  [fill 5]\n"));
  EXPECT_THAT(run.err, HasSubstr("Do You want to remove All 'Duplicate' Values in Selection? [y/N]"));
}

TEST_F(ShellTest, ADuplicateTypedIntoAProtectedColumnIsRefused) {
  auto run = Run({"shell", "fruit.xlsx"},
                 "select A2:A6\n"
                 "click rDP\n"
                 "set A8 Apple\n"
                 "set A8 cherry\n"
                 "show A7:A8\n"
                 "quit\n");
  EXPECT_EQ(run.status, 1) << "a refused entry counts as a failed line";
  EXPECT_THAT(run.out, HasSubstr("Duplicate Entry!"));
  EXPECT_THAT(run.out, HasSubstr("A8      cherry"));
  EXPECT_THAT(run.out, Not(HasSubstr("A8      Apple")));
}

TEST_F(ShellTest, ExitThenTickTheAddInAgain) {
  auto run = Run({"shell", "--menu", "fruit.xlsx"},
                 "addins\n"
                 "click KX17\n"     // Exit Kestrix
                 "addins\n"
                 "menu\n"
                 "addins on\n"
                 "menu\n"
                 "quit\n");
  EXPECT_THAT(run.out, HasSubstr("[x] Kestrix (Kestrix.Connect)\n[ ] Kestrix (Kestrix.Connect)\n"
                                 "[x] Kestrix (Kestrix.Connect)\n1   Undo Changes\n"));
  EXPECT_THAT(run.err, HasSubstr("the Kestrix menu is not there"));
}

TEST_F(ShellTest, NoWorkbookOpenIsTheAddInsOwnMessage) {
  auto run = Run({"shell"},
                 "click ctDR --yes\n"
                 "new\n"
                 "set A1 x\n"
                 "save\n"
                 "open missing.xlsx\n"
                 "frobnicate\n"
                 "quit\n");
  EXPECT_THAT(run.out, HasSubstr("Kestrix: Please add a New Workbook!\n"));
  EXPECT_THAT(run.err, HasSubstr("a new workbook needs a file name"));
  EXPECT_THAT(run.err, HasSubstr("missing.xlsx"));
  EXPECT_THAT(run.err, HasSubstr("not understood: frobnicate"));
}

TEST_F(ShellTest, TheBundledExampleBuildsThroughTheShell) {
  std::ifstream script(std::string(KX_EXAMPLES) + "/customers.kx");
  const std::string text((std::istreambuf_iterator<char>(script)), {});
  auto run = Run({"shell"}, text);
  EXPECT_EQ(run.status, 0) << run.err;
  auto counted = Run({"count-duplicates", "-y", "-s", "A2:A17", "customers.xlsx"});
  EXPECT_EQ(counted.out, "9 Duplicate Entries Found in Selection!\n");
}

}  // namespace
}  // namespace kx::testing
