// The kestrix program run on real files, as a script runs it: each command with what it prints,
// what it writes and its exit status.

#include <gmock/gmock.h>

#include "tests/cli/KestrixProcess.h"

namespace kx::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class CliTest : public KestrixTest {
 protected:
  void SetUp() override {
    KestrixTest::SetUp();
    book = MakeBook("fruit.xlsx", {{"Fruit", "apple", "pear", "Apple", "", "7", "pear", "plum", "7"}});
    original = Bytes("fruit.xlsx");
  }
  std::string book;
  std::string original;
};

struct CommandCase {
  const char* command;
  std::vector<std::string> column;  // rows 1..9 afterwards
  const char* printed;              // standard output
  const char* counts;               // as --json reports them
};

TEST_F(CliTest, EachCommandDoesWhatItsButtonDoes) {
  const std::vector<CommandCase> cases = {
      {"remove-duplicates", {"Fruit", "apple", "pear", "Apple", "", "7", "", "plum", ""}, "",
       "\"cleared\":2,\"coloured\":0"},
      {"remove-all-duplicates", {"Fruit", "", "", "", "", "", "", "plum", ""}, "",
       "\"cleared\":6,\"coloured\":0"},
      {"remove-unique", {"Fruit", "apple", "pear", "Apple", "", "7", "pear", "", "7"}, "",
       "\"cleared\":1,\"coloured\":0"},
      {"count-duplicates", {"Fruit", "apple", "pear", "Apple", "", "7", "pear", "plum", "7"},
       "6 Duplicate Entries Found in Selection!\n", "\"cleared\":0,\"coloured\":0"},
      {"count-unique", {"Fruit", "apple", "pear", "Apple", "", "7", "pear", "plum", "7"},
       "5 Unique Entries Found in Selection!\n", "\"cleared\":0,\"coloured\":0"},
      {"color-duplicates", {"Fruit", "apple", "pear", "Apple", "", "7", "pear", "plum", "7"},
       "6 Duplicate Entries Found in Selection!\n", "\"cleared\":0,\"coloured\":6"},
      {"color-unique", {"Fruit", "apple", "pear", "Apple", "", "7", "pear", "plum", "7"},
       "5 Unique Entries Found in Selection!\n", "\"cleared\":0,\"coloured\":5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    for (const bool menu : {false, true}) {
      SCOPED_TRACE(menu ? "worksheet menu" : "ribbon");
      std::vector<std::string> args{c.command, "--yes", "-s", "A2:A9", "-o", "out.xlsx", book};
      if (menu) args.push_back("--menu");
      const auto plain = Run(args);
      EXPECT_EQ(plain.status, 0) << plain.err;
      EXPECT_EQ(plain.out, c.printed);
      EXPECT_THAT(Column("out.xlsx", 1, 9), ElementsAreArray(c.column));

      args.push_back("--json");
      const auto json = Run(args);
      EXPECT_EQ(json.status, 0);
      EXPECT_THAT(json.out, HasSubstr(c.counts));
    }
    EXPECT_EQ(Bytes("fruit.xlsx"), original) << "--output leaves the workbook alone";
  }
}

TEST_F(CliTest, SavesOverTheWorkbookOnlyWhenSomethingChanged) {
  auto counted = Run({"count-unique", "-y", "-s", "A2:A9", book});
  EXPECT_EQ(counted.status, 0);
  EXPECT_EQ(Bytes("fruit.xlsx"), original) << "a count filters and unfilters: nothing to save";

  auto removed = Run({"remove-all-duplicates", "-y", "-s", "A2:A9", book});
  EXPECT_EQ(removed.status, 0);
  EXPECT_THAT(removed.err, HasSubstr("Saved " + book));
  EXPECT_THAT(Column("fruit.xlsx", 1, 9), ElementsAre("Fruit", "", "", "", "", "", "", "plum", ""));
  EXPECT_THAT(FilesInFolder(), ElementsAre("fruit.xlsx")) << "no temporary file is left";
}

TEST_F(CliTest, JsonReportsTheWholeRun) {
  auto run = Run({"color-duplicates", "-y", "-c", "36", "-s", "A2:A9", "--json", book});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "{\"command\":\"color-duplicates\",\"selection\":\"Sheet1!$A$2:$A$9\",\"messages\":[],"
            "\"result\":{\"number\":\"6\",\"message\":\"Duplicate Entries Found in Selection!\"},"
            "\"cleared\":0,\"coloured\":6,\"stopped\":false,\"answeredNo\":false,\"written\":\"" +
                book + "\",\"exit\":0}\n");
  auto shown = Run({"show", "-s", "A2:A3", "--json", book});
  EXPECT_THAT(shown.out, HasSubstr("{\"cell\":\"A2\",\"text\":\"apple\",\"fill\":36,"));
}

TEST_F(CliTest, RefusalsShowTheAddInsMessageAndWriteNothing) {
  const std::string twoColumns = MakeBook("two.xlsx", {{"a", "b", "a"}, {"x", "y", "z"}});
  const std::string blank = MakeBook("blank.xlsx", {{"title"}});
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {{"remove-duplicates", "-y", "-s", "A1:B3", twoColumns}, "Kestrix: Please Select Single Column!\n"},
      {{"count-unique", "-y", "-s", "A1:B3", twoColumns}, "Kestrix: Please Select Single Column!\n"},
      {{"remove-list-entries", "-y", "-s", "A1:A3", twoColumns}, "Kestrix: Please Select Two Column!\n"},
      {{"prevent-duplicates", "-s", "A1:B3", twoColumns}, "Kestrix: Please Select Single Column!\n"},
      {{"remove-unique", "-y", "-s", "C5:C9", blank}, "Kestrix: Selection is Empty!\n"},
  };
  const std::string twoBefore = Bytes("two.xlsx");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0]);
    auto run = Run(c.args);
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, c.message);
    auto json = Run([&] { auto a = c.args; a.push_back("--json"); return a; }());
    EXPECT_THAT(json.out, HasSubstr("\"messages\":[\"" + c.message.substr(9, c.message.size() - 10) + "\"]"));
    EXPECT_THAT(json.out, HasSubstr("\"written\":null,\"exit\":1"));
  }
  EXPECT_EQ(Bytes("two.xlsx"), twoBefore);
  EXPECT_THAT(FilesInFolder(), ElementsAre("blank.xlsx", "fruit.xlsx", "two.xlsx"));
}

TEST_F(CliTest, BadUsageStopsBeforeAnythingChanges) {
  struct Case {
    std::vector<std::string> args;
    const char* error;
  };
  const std::vector<Case> cases = {
      {{"remove-duplicates", "-y", "-s", "A2:A99999999", book}, "not a range: A2:A99999999"},
      {{"remove-duplicates", "-y", "-s", "A2:", book}, "not a range: A2:"},
      {{"remove-duplicates", "-y", "-s", "'Prices'!A:A", book}, "no sheet named 'Prices'"},
      {{"remove-duplicates", "-s", "A2:A9", book}, "answer in advance with --yes"},
      {{"color-duplicates", "-y", "-c", "99", "-s", "A2:A9", book}, "no swatch has the colour index 99"},
      {{"remove-duplicates", "-y", book, "other.xlsx"}, "one workbook at a time"},
      {{"dedupe", book}, "unknown command dedupe"},
      {{"remove-duplicates", "--frobnicate", book}, "unknown option --frobnicate"},
      {{"remove-duplicates", "-y", "-o", "out.txt", book}, "--output needs a .xlsx or .csv"},
      {{"count-duplicates", "-y", "-c", "6", book}, "--color belongs to"},
      {{"remove-duplicates", "-y"}, "needs a WORKBOOK"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    auto run = Run(c.args);
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr(c.error));
  }
  EXPECT_EQ(Bytes("fruit.xlsx"), original);
  EXPECT_THAT(FilesInFolder(), ElementsAre("fruit.xlsx"));
}

TEST_F(CliTest, UnreadableWorkbooksAreNamedAndNothingIsWritten) {
  {
    std::ofstream damaged(folder / "damaged.xlsx", std::ios::binary);
    damaged << "PK\x03\x04 this is not really a workbook";
  }
  const std::string damagedBefore = Bytes("damaged.xlsx");
  for (const char* name : {"missing.xlsx", "damaged.xlsx"}) {
    SCOPED_TRACE(name);
    auto run = Run({"remove-duplicates", "-y", "-s", "A:A", "-o", "out.xlsx", name});
    EXPECT_EQ(run.status, 3);
    EXPECT_THAT(run.err, HasSubstr(name));
    EXPECT_THAT(run.out, IsEmpty());
  }
  EXPECT_EQ(Bytes("damaged.xlsx"), damagedBefore);
  EXPECT_THAT(FilesInFolder(), ElementsAre("damaged.xlsx", "fruit.xlsx"));

  auto unwritable = Run({"remove-all-duplicates", "-y", "-s", "A2:A9", "-o", "no/such/dir/out.xlsx", book});
  EXPECT_EQ(unwritable.status, 3);
  EXPECT_THAT(unwritable.err, HasSubstr("out.xlsx"));
}

TEST_F(CliTest, DryRunReportsButSavesNothing) {
  auto run = Run({"remove-all-duplicates", "-y", "-n", "--json", "-s", "A2:A9", book});
  EXPECT_EQ(run.status, 0);
  EXPECT_THAT(run.out, HasSubstr("\"cleared\":6"));
  EXPECT_THAT(run.out, HasSubstr("\"written\":null"));
  EXPECT_EQ(Bytes("fruit.xlsx"), original);
  EXPECT_THAT(FilesInFolder(), ElementsAre("fruit.xlsx"));
}

TEST_F(CliTest, OutputChoosesItsFormatByExtension) {
  auto run = Run({"remove-duplicates", "-y", "-s", "A2:A9", "-o", "fruit.csv", book});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_THAT(Column("fruit.csv", 1, 9), ElementsAre("Fruit", "apple", "pear", "Apple", "", "7", "", "plum", ""));
  EXPECT_EQ(Bytes("fruit.csv").substr(0, 7), "Fruit\r\n");
  EXPECT_EQ(Bytes("fruit.xlsx"), original);
}

TEST_F(CliTest, ThePreventerInstallsAndRemovesItsRule) {
  auto applied = Run({"prevent-duplicates", "-s", "A2:A9", book});
  EXPECT_EQ(applied.status, 0) << applied.err;
  auto shown = Run({"show", "-s", "A1:A2", book});
  EXPECT_THAT(shown.out, HasSubstr("A1      Fruit  [validation =CountIf($A:$A,A1)=1]"))
      << "the whole column is protected";

  auto removed = Run({"prevent-duplicates", "--deactivate", "-s", "A:A", book});
  EXPECT_EQ(removed.status, 0);
  EXPECT_THAT(Run({"show", "-s", "A1:A2", book}).out, Not(HasSubstr("validation")));

  auto kept = Run({"prevent-duplicates", "--keep-selection", "-s", "A2:A3", book});
  EXPECT_EQ(kept.status, 0);
  shown = Run({"show", "-s", "A1:A4", book});
  EXPECT_THAT(shown.out, Not(HasSubstr("A1      Fruit  [validation")));
  EXPECT_THAT(shown.out, HasSubstr("A2      apple  [validation"));
  EXPECT_THAT(shown.out, Not(HasSubstr("A4      Apple  [validation")));
}

TEST_F(CliTest, AboutAndGuideNeedNoWorkbook) {
  auto about = Run({"about"});
  EXPECT_EQ(about.status, 0);
  EXPECT_THAT(about.out, HasSubstr("Kestrix"));
  // Without a desktop opener on the path, the address is printed for the user to follow.
  auto guide = Run({"guide", "--json"}, "", {"PATH=/nonexistent"});
  EXPECT_EQ(guide.status, 0);
  EXPECT_THAT(guide.out, HasSubstr("\"opened\":[\"http"));
}

TEST_F(CliTest, NoAtTheTerminalChangesNothing) {
  // `script` gives the program a terminal whose keyboard is this test's pipe.
  if (!std::filesystem::exists("/usr/bin/script")) GTEST_SKIP() << "no script(1) for a terminal";
  const std::string command = std::string(KX_KESTRIX) + " remove-all-duplicates -s A2:A9 " + book;
  KestrixProcess process({"-qec", command, "/dev/null"}, folder, {}, "/usr/bin/script");
  process.Write("n\n");
  const Finished done = process.Wait();
  EXPECT_EQ(done.status, 5) << done.out;
  EXPECT_THAT(done.out, HasSubstr("Do You want to remove All 'Duplicate' Values in Selection? [y/N]"));
  EXPECT_EQ(Bytes("fruit.xlsx"), original);
  EXPECT_THAT(FilesInFolder(), ElementsAre("fruit.xlsx"));
}

TEST_F(CliTest, HelpCoversEveryOption) {
  auto help = Run({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--select", "--yes", "--color", "--deactivate", "--keep-selection",
                             "--output", "--dry-run", "--json", "--menu", "--quiet",
                             "remove-list-entries", "prevent-duplicates", "shell", "Exit status"}) {
    EXPECT_THAT(help.out, HasSubstr(option));
  }
}

}  // namespace
}  // namespace kx::testing
