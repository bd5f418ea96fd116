// The hash index under heavy collisions: every key hashes to one of a few slots near the
// end of the slots in use, so probe runs are long, wrap around, every removal shifts slots
// back and every doubling of the slots in use places colliding keys anew. Checked against
// a plain map of sorted element sets.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "drawing/KeyIndex.h"

namespace wirvela {
namespace {

struct CrowdedTraits {
  using Key = int;
  static bool Indexable(const Key& k) { return k >= 0; }  // negative keys stand for NaN
  // 64 elements give 128 slots, of which 16, 32, 64, then all are in use as keys come:
  // homes 124 … 127 fall on the last four slots in use at every size, so every run wraps
  // past slot 0, before and after each doubling.
  static std::uint64_t Hash(const Key& k) { return 124 + static_cast<std::uint64_t>(k % 4); }
  static bool Equal(const Key& a, const Key& b) { return a == b; }
};

constexpr int kElements = 64;

class KeyIndexCrowded : public testing::TestWithParam<unsigned> {};

TEST_P(KeyIndexCrowded, AnswersTheLowestElementOfEveryKeyAndKeepsChainsSorted) {
  std::mt19937 rng(GetParam());
  TKeyIndex<CrowdedTraits> index(kElements);
  std::map<int, int> keyOf;                // indexed element -> key
  std::map<int, std::set<int>> elementsOf;  // key -> indexed elements

  auto check = [&] {
    for (int key = -1; key < 40; ++key) {
      const auto it = elementsOf.find(key);
      if (it == elementsOf.end() || it->second.empty()) {
        ASSERT_EQ(index.First(key), -1) << "key " << key;
        continue;
      }
      int e = index.First(key);
      for (int expected : it->second) {
        ASSERT_EQ(e, expected) << "key " << key;
        e = index.Next(e);
      }
      ASSERT_EQ(e, -1) << "key " << key;
    }
  };

  for (int step = 0; step < 4000; ++step) {
    const int element = static_cast<int>(rng() % kElements);
    if (keyOf.count(element) != 0) {
      index.Remove(element, keyOf[element]);
      if (keyOf[element] >= 0) elementsOf[keyOf[element]].erase(element);
      keyOf.erase(element);
    } else {
      const int key = static_cast<int>(rng() % 41) - 1;  // -1 is never indexed
      index.Insert(element, key);
      keyOf[element] = key;
      if (key >= 0) elementsOf[key].insert(element);
    }
    if (step % 500 == 499 && rng() % 2 == 0) {
      index.Clear();
      keyOf.clear();
      elementsOf.clear();
    }
    check();
    if (HasFatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, KeyIndexCrowded, testing::Values(1u, 2u, 3u, 4u, 5u));

}  // namespace
}  // namespace wirvela
