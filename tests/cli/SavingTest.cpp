// What the program says about the workbook on disk is what is there: Ctrl-C or a kill while it
// saves, a second run on the same file, a file changed by another program, a read-only file, a
// FIFO where a workbook should be.

#include <sys/stat.h>

#include <gmock/gmock.h>

#include "tests/cli/KestrixProcess.h"

namespace kx::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class SavingTest : public KestrixTest {
 protected:
  static constexpr int kRows = 30001;
  void MakePairedList() {
    std::vector<std::string> column{"Item"};
    for (int r = 2; r <= kRows; ++r) column.push_back("item " + std::to_string(r / 2));
    MakeBook("list.xlsx", {column});
  }
  // Waits until the process holds `name` in the test's folder open.
  bool Holds(pid_t pid, const std::string& name) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    for (int tries = 0; tries < 10000; ++tries) {
      std::error_code error;
      for (const auto& entry : std::filesystem::directory_iterator(fds, error)) {
        if (std::filesystem::read_symlink(entry.path(), error) == folder / name) return true;
      }
      usleep(1000);
    }
    return false;
  }
  // Waits until the process has a file open in the test's folder other than the workbook (its
  // temporary file, named or not), or a hidden file appears there: the save has begun.
  bool WaitForTheSave(pid_t pid) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    for (int tries = 0; tries < 200000; ++tries) {
      std::error_code error;
      for (const auto& entry : std::filesystem::directory_iterator(fds, error)) {
        const std::string to = std::filesystem::read_symlink(entry.path(), error).string();
        if (!error && to.rfind(folder.string() + "/", 0) == 0 &&
            to != (folder / "list.xlsx").string()) {
          return true;
        }
      }
      for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string()[0] == '.') return true;
      }
      if (error) return false;  // the process is gone
      usleep(100);
    }
    return false;
  }
};

TEST_F(SavingTest, CtrlCWhileSavingEitherKeepsTheFileOrReportsItWritten) {
  MakePairedList();
  const std::string before = Bytes("list.xlsx");
  // Once pressed and twice pressed: neither may claim what is not so.
  for (int presses : {1, 2}) {
    KestrixProcess process({"remove-duplicates", "-y", "-q", "--json", "-s",
                            "A1:A" + std::to_string(kRows), "list.xlsx"},
                           folder);
    ASSERT_TRUE(WaitForTheSave(process.Pid())) << "the save was never seen";
    for (int i = 0; i < presses; ++i) kill(process.Pid(), SIGINT);
    const Finished done = process.Wait();
    const bool unchanged = Bytes("list.xlsx") == before;
    if (done.status == 130) {
      EXPECT_TRUE(unchanged) << "said nothing was written, but the file changed";
      EXPECT_THAT(done.err, HasSubstr("nothing written"));
      EXPECT_THAT(done.out, HasSubstr("\"written\":null"));
    } else {
      EXPECT_EQ(done.status, 0) << done.err;
      EXPECT_FALSE(unchanged);
      EXPECT_THAT(done.out, HasSubstr("\"written\":\"list.xlsx\""));
      EXPECT_THAT(done.err, Not(HasSubstr("nothing written")));
      MakePairedList();  // the next round starts from the full list again
    }
    EXPECT_THAT(FilesInFolder(), ::testing::ElementsAre("list.xlsx"));
  }
}

TEST_F(SavingTest, AKillWhileSavingLeavesNoTemporaryFileBehind) {
  MakePairedList();
  for (int round = 0; round < 3; ++round) {
    KestrixProcess process({"remove-duplicates", "-y", "-q", "-s", "A1:A" + std::to_string(kRows),
                            "list.xlsx"},
                           folder);
    ASSERT_TRUE(WaitForTheSave(process.Pid()));
    kill(process.Pid(), SIGKILL);
    process.Wait();
    EXPECT_THAT(FilesInFolder(), ::testing::ElementsAre("list.xlsx")) << round;
    EXPECT_EQ(Column("list.xlsx", 1, 1), std::vector<std::string>{"Item"});  // it reads whole
  }
}

TEST_F(SavingTest, ASecondRunOnTheSameFileIsRefusedAndAChangedFileIsNotOverwritten) {
  MakeBook("list.xlsx", {{"a", "a", "b", "b"}});
  KestrixProcess shell({"shell", "list.xlsx"}, folder);
  // Once the shell holds the file, a second run finds it locked.
  ASSERT_TRUE(Holds(shell.Pid(), "list.xlsx"));
  const std::string before = Bytes("list.xlsx");
  const Finished second = Run({"remove-all-duplicates", "-y", "-s", "A1:A4", "list.xlsx"});
  EXPECT_EQ(second.status, 3);
  EXPECT_THAT(second.err, HasSubstr("list.xlsx: is in use by another kestrix run"));
  EXPECT_EQ(Bytes("list.xlsx"), before);

  // Another program saves the file meanwhile: the shell's save refuses to overwrite it.
  MakeBook("theirs.xlsx", {{"theirs"}});
  std::filesystem::rename(folder / "theirs.xlsx", folder / "list.xlsx");
  const std::string theirs = Bytes("list.xlsx");
  shell.Write("click rDA --yes\nsave\nquit\n");
  const Finished first = shell.Wait();
  EXPECT_EQ(first.status, 1);
  EXPECT_THAT(first.err, HasSubstr("changed on disk since it was opened"));
  EXPECT_THAT(first.out, Not(HasSubstr("Saved")));
  EXPECT_EQ(Bytes("list.xlsx"), theirs);
  EXPECT_THAT(FilesInFolder(), ::testing::ElementsAre("list.xlsx"));
}

TEST_F(SavingTest, AReadOnlyFileIsRefusedAndOutputElsewhereWorks) {
  MakeBook("list.xlsx", {{"a", "a", "b"}});
  ASSERT_EQ(chmod((folder / "list.xlsx").c_str(), 0444), 0);
  const std::string before = Bytes("list.xlsx");
  const Finished refused = Run({"remove-all-duplicates", "-y", "-s", "A1:A3", "list.xlsx"});
  EXPECT_EQ(refused.status, 3);
  EXPECT_THAT(refused.err, HasSubstr("list.xlsx: is read-only"));
  EXPECT_THAT(refused.err, Not(HasSubstr("Saved")));
  EXPECT_EQ(Bytes("list.xlsx"), before);

  const Finished elsewhere =
      Run({"remove-all-duplicates", "-y", "-s", "A1:A3", "-o", "out.xlsx", "list.xlsx"});
  EXPECT_EQ(elsewhere.status, 0) << elsewhere.err;
  EXPECT_EQ(Column("out.xlsx", 1, 3), (std::vector<std::string>{"", "", "b"}));
}

TEST_F(SavingTest, AFifoIsRefusedAtOnce) {
  ASSERT_EQ(mkfifo((folder / "list.csv").c_str(), 0644), 0);
  KestrixProcess process({"count-duplicates", "-y", "-s", "A:A", "list.csv"}, folder);
  int status = 0;
  for (int waited = 0; waitpid(process.Pid(), &status, WNOHANG) == 0; ++waited) {
    ASSERT_LT(waited, 1000) << "still waiting on the FIFO after ten seconds";
    usleep(10000);
  }
  process.MarkReaped();
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  EXPECT_THAT(process.Wait().err, HasSubstr("list.csv: is a named pipe, not a workbook file"));
}

}  // namespace
}  // namespace kx::testing
