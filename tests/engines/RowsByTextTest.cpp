// The list engine's table of rows by text, against a plain map of vectors: through growth,
// texts that share slots, rows refused and offered again, and groups emptied in between.

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "engines/RowsByText.h"

namespace kx::engines {
namespace {

TEST(RowsByText, OffersEachTextsRowsInOrderUntilTakenOut) {
  std::mt19937 random(11);
  RowsByText table(4);  // far too small: it must grow
  std::map<std::string, std::vector<long>> expected;
  for (long row = 1000; row >= 1; --row) {
    std::string text = "t" + std::to_string(random() % 300);
    if (row % 7 == 0) text += std::string(40, 'x');  // beyond any inline storage
    // Every length from none to past two of the table's units of text storage.
    if (row % 11 == 0) text = std::string(static_cast<size_t>(row % 37), 'e');
    table.Add(text, row);
    expected[text].push_back(row);
  }
  for (int round = 0; round < 3; ++round) {
    for (auto& [text, rows] : expected) {
      std::vector<long> offered;
      std::vector<long> kept;
      // Every third row offered is refused and must come back next time, in order.
      table.TakeOut(text, [&](long row) {
        offered.push_back(row);
        if (row % 3 == 0) {
          kept.push_back(row);
          return false;
        }
        return true;
      });
      EXPECT_EQ(offered, rows) << text << " round " << round;
      rows = kept;
    }
  }
  // A text never filed offers nothing.
  table.TakeOut("absent", [](long) -> bool {
    ADD_FAILURE() << "a row of a text never filed";
    return true;
  });
}

}  // namespace
}  // namespace kx::engines
