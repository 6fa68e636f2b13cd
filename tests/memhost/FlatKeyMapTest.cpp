// The value index's key table against the standard map: any mix of inserts and erases, with
// keys that collide in their home slots, must leave both holding the same keys and values.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <unordered_map>

#include "memhost/index/FlatKeyMap.h"

namespace kx::memhost {
namespace {

// Every third key is too long to be kept inside its item.
std::string KeyOf(long k) {
  return (k % 3 == 0 ? std::string(30, '-') + "key " : "key ") + std::to_string(k);
}

void ExpectSame(FlatKeyMap<int>& table, const std::unordered_map<std::string, int>& expected,
                int keys) {
  ASSERT_EQ(table.size(), expected.size());
  for (int k = 0; k < keys; ++k) {
    std::string key = KeyOf(k);
    auto it = expected.find(key);
    const int* found = table.Find(key);
    if (it == expected.end()) {
      EXPECT_EQ(found, nullptr) << key;
    } else {
      ASSERT_NE(found, nullptr) << key;
      EXPECT_EQ(*found, it->second) << key;
    }
  }
}

TEST(FlatKeyMap, AgreesWithTheStandardMapThroughInsertsAndErases) {
  // Few keys wrap round a small table; many make it grow while erases punch holes in runs.
  for (int keys : {5, 40, 3000}) {
    FlatKeyMap<int> table;
    std::unordered_map<std::string, int> expected;
    std::mt19937 random(static_cast<unsigned>(keys));
    for (int step = 0; step < keys * 20; ++step) {
      std::string key = KeyOf(random() % static_cast<unsigned>(keys));
      if (random() % 3 == 0) {
        table.Erase(key);
        expected.erase(key);
      } else {
        table[key] += step;
        expected[key] += step;
      }
    }
    ExpectSame(table, expected, keys);
    // Erasing many at once by their values keeps every other key reachable.
    table.EraseIf([](int value) { return value % 2 == 0; });
    std::erase_if(expected, [](const auto& item) { return item.second % 2 == 0; });
    ExpectSame(table, expected, keys);
    // Emptied completely, it answers nothing and fills again.
    for (int k = 0; k < keys; ++k) table.Erase(KeyOf(k));
    EXPECT_EQ(table.size(), 0u);
    EXPECT_EQ(table.Find("key 0"), nullptr);
    table["key 1"] = 7;
    EXPECT_EQ(*table.Find("key 1"), 7);
  }
}

TEST(FlatKeyMap, ReservedAheadOrNeverFilledItStillAnswers) {
  FlatKeyMap<int> empty;
  EXPECT_EQ(empty.Find("anything"), nullptr);
  empty.Erase("anything");
  FlatKeyMap<int> reserved;
  reserved.reserve(1000);
  reserved[""] = 1;  // the empty key is a key like any other
  EXPECT_EQ(*reserved.Find(""), 1);
  EXPECT_EQ(reserved.Find("x"), nullptr);
}

}  // namespace
}  // namespace kx::memhost
