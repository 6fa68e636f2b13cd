// Big tables on huge pages: their pages are mapped by another thread while the table is being
// filled, which must never disturb what is written.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "host/HugePages.h"

namespace kx::host {
namespace {

TEST(HugePages, WhatIsWrittenStaysWhileThePagesAreMappedBehind) {
  for (int round = 0; round < 8; ++round) {
    // 6 MB and a bit: three pieces and part of a fourth, freed at once on some rounds.
    const size_t n = (size_t{6} << 20) / sizeof(std::uint64_t) + 1000 * static_cast<size_t>(round);
    std::vector<std::uint64_t, HugePageAllocator<std::uint64_t>> table;
    table.reserve(n);
    if (round % 2 == 1) continue;
    for (size_t i = 0; i < n; ++i) table.push_back(i * 2654435761u + static_cast<size_t>(round));
    size_t wrong = 0;
    for (size_t i = 0; i < n; ++i)
      wrong += table[i] != i * 2654435761u + static_cast<size_t>(round);
    EXPECT_EQ(wrong, 0u) << "round " << round;
  }
}

}  // namespace
}  // namespace kx::host
