// Ctrl-C in the middle of a long run: the progress window's "Stop". The test waits for the
// progress output to start, then signals. It stops reading a four-kilobyte pipe meanwhile, so
// the program is held at a progress line until the signal is in: the stop lands mid-run
// however fast or slow the machine is.

#include <gmock/gmock.h>

#include "tests/cli/KestrixProcess.h"

namespace kx::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class StopTest : public KestrixTest {
 protected:
  static constexpr int kRows = 30001;
  // Under a header, every value twice in a row: the second of each pair is a duplicate.
  void MakePairedList() {
    std::vector<std::string> column{"Item"};
    for (int r = 2; r <= kRows; ++r) column.push_back("item " + std::to_string(r / 2));
    MakeBook("list.xlsx", {column});
  }
};

TEST_F(StopTest, CtrlCStopsTheRemovalAndSavesWhatItRemoved) {
  MakePairedList();

  KestrixProcess process({"remove-duplicates", "-y", "-s", "A1:A" + std::to_string(kRows),
                          "--json", "list.xlsx"},
                         folder);
  ASSERT_GE(fcntl(process.ErrorPipe(), F_SETPIPE_SZ, 4096), 4096);
  const std::string started = process.ReadErrorLineUntil(
      [](const std::string& line) { return line.find("]   1 %") != std::string::npos; });
  ASSERT_FALSE(started.empty()) << "the progress never showed";
  ASSERT_GT(process.Pid(), 0);
  kill(process.Pid(), SIGINT);
  const Finished done = process.Wait();

  EXPECT_EQ(done.status, 4) << done.err;
  EXPECT_THAT(done.out, HasSubstr("\"stopped\":true"));
  EXPECT_THAT(done.out, HasSubstr("\"written\":\"list.xlsx\""));
  EXPECT_THAT(done.err, Not(HasSubstr("] 100 %")));

  // The saved file reads back whole: the cells cleared are exactly the duplicates of a leading
  // part of the list, and every other cell is as it was.
  const auto after = Column("list.xlsx", 1, kRows);
  int cleared = 0;
  int firstKept = 0;  // the first duplicate left in place
  for (int r = 2; r <= kRows; ++r) {
    const std::string& cell = after[static_cast<size_t>(r - 1)];
    const bool duplicate = r % 2 == 1;
    if (cell.empty()) {
      ASSERT_TRUE(duplicate) << "row " << r << " held a first occurrence";
      ASSERT_EQ(firstKept, 0) << "row " << r << " cleared after row " << firstKept << " was kept";
      ++cleared;
    } else {
      ASSERT_EQ(cell, "item " + std::to_string(r / 2)) << r;
      if (duplicate && firstKept == 0) firstKept = r;
    }
  }
  EXPECT_GT(cleared, 0);
  EXPECT_GT(firstKept, 0) << "the run was stopped before its end";
}

TEST_F(StopTest, ASecondCtrlCAbandonsAndWritesNothing) {
  MakePairedList();
  const std::string before = Bytes("list.xlsx");

  KestrixProcess process({"remove-duplicates", "-y", "-s", "A:A", "list.xlsx"}, folder);
  ASSERT_GE(fcntl(process.ErrorPipe(), F_SETPIPE_SZ, 4096), 4096);
  const std::string started = process.ReadErrorLineUntil(
      [](const std::string& line) { return line.find("]   1 %") != std::string::npos; });
  ASSERT_FALSE(started.empty());
  // Nobody reads its progress now, so the program is soon held writing its next line: there
  // it sees each press. Two presses that arrive together count as one, so press until it is gone.
  const std::string wchan = "/proc/" + std::to_string(process.Pid()) + "/wchan";
  auto blockedWriting = [&] {
    std::ifstream in(wchan);
    std::string where;
    in >> where;
    // The kernel's name for the wait varies with its version ("pipe_write", "anon_pipe_write").
    return where.find("pipe_write") != std::string::npos || where == "pipe_wait_writable";
  };
  while (!blockedWriting()) usleep(1000);
  int status = 0;
  while (waitpid(process.Pid(), &status, WNOHANG) == 0) {
    kill(process.Pid(), SIGINT);
    usleep(20000);
  }
  process.MarkReaped();
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_TRUE(Bytes("list.xlsx") == before) << "the workbook was written";
  EXPECT_THAT(FilesInFolder(), ::testing::ElementsAre("list.xlsx"));
}

}  // namespace
}  // namespace kx::testing
