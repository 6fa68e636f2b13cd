// How many calls each command makes into the host per row through the COM boundary, measured on
// two column lengths so that the fixed cost of a run drops out. The figures are printed, not
// asserted; each run must still give what the add-in gives linked in directly.

#include <cstdio>

#include "standin/Standin.h"
#include "tests/windows/module/Scenario.h"

namespace kx::testing {
namespace {

using ::testing::IsEmpty;

struct Measured {
  const char* name;
  const char* ribbonId;
  bool colours;
  bool counts;
  bool twoColumns;
};

const Measured kMeasured[] = {
    {"remove-duplicates", "rDK", false, false, false},
    {"remove-all-duplicates", "rDA", false, false, false},
    {"remove-unique", "rUA", false, false, false},
    {"remove-list-entries", "rLE", false, false, true},
    {"color-duplicates", "cDR", true, true, false},
    {"color-unique", "cUR", true, true, false},
    {"count-duplicates", "ctDR", false, true, false},
    {"count-unique", "ctUR", false, true, false},
};

// A column of texts, about half of them repeating an earlier one, under a heading.
std::vector<host::Variant> Column(long rows, long salt) {
  std::vector<host::Variant> values{host::Variant("Customer")};
  for (long r = 1; r < rows; ++r) values.emplace_back("c" + std::to_string((r * 7 + salt) % (rows / 2 + 1)));
  return values;
}

class HostCalls : public RegisteredModuleSuite {
 protected:

  // The calls the command made, and what came of it.
  std::pair<long, Outcome> Run(Road road, const Measured& command, long rows) {
    Host host(road, "16.0");
    host.Column("A", Column(rows, 0));
    if (command.twoColumns) host.Column("B", Column(rows, 3));
    host.Select(command.twoColumns ? "A1:B" + std::to_string(rows) : "A1:A" + std::to_string(rows));
    host.screen.WhenShown("frmPrgBar").Press("CommandButton1");
    if (command.colours) host.screen.WhenShown("frmCol").Press("lblColIndex", 7).Press("Command1");
    if (command.counts) host.screen.WhenShown("frmResult").Press("Command1");
    long before = standin::CallsReceived();
    host.Run("", command.ribbonId);
    long calls = standin::CallsReceived() - before;
    EXPECT_THAT(host.screen.Finish(), IsEmpty());
    Outcome outcome = host.Seen();
    outcome.seen.clear();  // hundreds of progress steps; the cells say what matters
    host.app->Shutdown();
    return {calls, outcome};
  }

};

TEST_F(HostCalls, PerRowOfEachCommand) {
  constexpr long kShort = 200, kLong = 400;
  std::printf("%-24s %10s %10s %10s\n", "command", "calls@200", "calls@400", "per row");
  for (const Measured& command : kMeasured) {
    SCOPED_TRACE(command.name);
    auto [shortCalls, shortOutcome] = Run(Road::Com, command, kShort);
    auto [longCalls, longOutcome] = Run(Road::Com, command, kLong);
    EXPECT_EQ(longOutcome, Run(Road::Native, command, kLong).second);
    double perRow = static_cast<double>(longCalls - shortCalls) / (kLong - kShort);
    std::printf("%-24s %10ld %10ld %10.2f\n", command.name, shortCalls, longCalls, perRow);
    RecordProperty(command.name, std::to_string(perRow));
  }
  EXPECT_EQ(standin::LiveObjects(), 0);
}

}  // namespace
}  // namespace kx::testing
