// The draw order must be exactly the exchange sort's order, ties included:
// it decides which of two overlapping figures lies on top and which one a
// click selects.
#include "scene/draw_order.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace wimmel::test {
namespace {

using scene::DrawOrderEntry;
using scene::DrawOrderSorter;

// The sort as the program describes it, on positions 1..n.
std::vector<DrawOrderEntry> ExchangeSort(std::vector<DrawOrderEntry> e) {
  const size_t n = e.size();
  for (size_t p = 0; p + 1 < n; ++p) {
    for (size_t q = p + 1; q < n; ++q) {
      if (e[q].key > e[p].key) std::swap(e[p], e[q]);
    }
  }
  return e;
}

std::vector<int32_t> Figures(const std::vector<DrawOrderEntry>& e) {
  std::vector<int32_t> f;
  for (const DrawOrderEntry& x : e) f.push_back(x.figure);
  return f;
}

std::vector<DrawOrderEntry> RandomEntries(std::mt19937& g, int32_t n, int32_t values,
                                          int32_t base) {
  std::vector<DrawOrderEntry> e(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    e[static_cast<size_t>(i)] = {base + static_cast<int32_t>(g() % static_cast<uint32_t>(values)),
                                 i + 1};
  }
  return e;
}

// One sorter for all comparisons, as the step keeps one: buffers left from
// a longer sort must not leak into a shorter one.
void Compare(DrawOrderSorter& sorter, std::vector<DrawOrderEntry> e) {
  const std::vector<DrawOrderEntry> expected = ExchangeSort(e);
  sorter.Sort(e.data(), static_cast<int32_t>(e.size()));
  ASSERT_EQ(Figures(e), Figures(expected));
}

TEST(DrawOrder, TiesAreNotStableAndFollowTheExchangeSort) {
  DrawOrderSorter sorter;
  // 1a 1b 2: the 2 swaps with 1a, which lands behind 1b.
  std::vector<DrawOrderEntry> e = {{1, 1}, {1, 2}, {2, 3}};
  sorter.Sort(e.data(), 3);
  EXPECT_EQ(Figures(e), (std::vector<int32_t>{3, 2, 1}));
  // 1a 2 1b: here the ties keep their order.
  e = {{1, 1}, {2, 2}, {1, 3}};
  sorter.Sort(e.data(), 3);
  EXPECT_EQ(Figures(e), (std::vector<int32_t>{2, 1, 3}));
}

TEST(DrawOrder, SmallAndDegenerateInputs) {
  DrawOrderSorter sorter;
  Compare(sorter, {});
  Compare(sorter, {{5, 1}});
  Compare(sorter, std::vector<DrawOrderEntry>(50, {7, 0}));
  std::vector<DrawOrderEntry> e;
  for (int32_t i = 0; i < 64; ++i) e.push_back({i, i + 1});
  Compare(sorter, e);  // ascending
  for (auto& x : e) x.key = -x.key;
  Compare(sorter, e);  // already descending
}

TEST(DrawOrder, RandomKeysWithManyTies) {
  DrawOrderSorter sorter;
  std::mt19937 g(20240611);
  for (int32_t round = 0; round < 20000; ++round) {
    const int32_t n = 1 + static_cast<int32_t>(g() % 60);
    const int32_t values = 1 + static_cast<int32_t>(g() % (round % 2 == 0 ? 4 : 25));
    Compare(sorter, RandomEntries(g, n, values, -static_cast<int32_t>(values / 2)));
  }
}

TEST(DrawOrder, FullSizeScenesAndExtremeKeys) {
  DrawOrderSorter sorter;
  std::mt19937 g(7);
  for (int32_t round = 0; round < 30; ++round) {
    // Keys like the screen heights of 1024 figure centres, and in every
    // other round a few at the ends of the 32-bit range, so both the narrow
    // and the far-flung spread of keys are sorted.
    std::vector<DrawOrderEntry> e = RandomEntries(g, 1024, round % 3 == 0 ? 8 : 900, 44);
    if (round % 2 == 1) {
      e[static_cast<size_t>(g() % 1024)].key = INT32_MIN;
      e[static_cast<size_t>(g() % 1024)].key = INT32_MAX;
      e[static_cast<size_t>(g() % 1024)].key = INT32_MAX;
    }
    Compare(sorter, e);
  }
}

}  // namespace
}  // namespace wimmel::test
