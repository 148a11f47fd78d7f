// The draw order must be exactly the exchange sort's order, ties included:
// it decides which of two overlapping figures lies on top and which one a
// click selects.
#include "scene/zeichenfolge.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using wimmel::scene::FolgeEintrag;
using wimmel::scene::SortiereZeichenfolge;

// The sort as the program describes it, on positions 1..n.
std::vector<FolgeEintrag> Tauschsort(std::vector<FolgeEintrag> e) {
  const size_t n = e.size();
  for (size_t p = 0; p + 1 < n; ++p) {
    for (size_t q = p + 1; q < n; ++q) {
      if (e[q].key > e[p].key) std::swap(e[p], e[q]);
    }
  }
  return e;
}

std::vector<int32_t> Figuren(const std::vector<FolgeEintrag>& e) {
  std::vector<int32_t> f;
  for (const FolgeEintrag& x : e) f.push_back(x.figur);
  return f;
}

std::vector<FolgeEintrag> Zufall(std::mt19937& g, int32_t n, int32_t werte, int32_t basis) {
  std::vector<FolgeEintrag> e(static_cast<size_t>(n));
  for (int32_t i = 0; i < n; ++i) {
    e[static_cast<size_t>(i)] = {basis + static_cast<int32_t>(g() % static_cast<uint32_t>(werte)),
                                 i + 1};
  }
  return e;
}

void Vergleiche(std::vector<FolgeEintrag> e) {
  const std::vector<FolgeEintrag> erwartet = Tauschsort(e);
  SortiereZeichenfolge(e.data(), static_cast<int32_t>(e.size()));
  ASSERT_EQ(Figuren(e), Figuren(erwartet));
}

TEST(Zeichenfolge, TiesAreNotStableAndFollowTheExchangeSort) {
  // 1a 1b 2: the 2 swaps with 1a, which lands behind 1b.
  std::vector<FolgeEintrag> e = {{1, 1}, {1, 2}, {2, 3}};
  SortiereZeichenfolge(e.data(), 3);
  EXPECT_EQ(Figuren(e), (std::vector<int32_t>{3, 2, 1}));
  // 1a 2 1b: here the ties keep their order.
  e = {{1, 1}, {2, 2}, {1, 3}};
  SortiereZeichenfolge(e.data(), 3);
  EXPECT_EQ(Figuren(e), (std::vector<int32_t>{2, 1, 3}));
}

TEST(Zeichenfolge, SmallAndDegenerateInputs) {
  Vergleiche({});
  Vergleiche({{5, 1}});
  Vergleiche(std::vector<FolgeEintrag>(50, {7, 0}));
  std::vector<FolgeEintrag> e;
  for (int32_t i = 0; i < 64; ++i) e.push_back({i, i + 1});
  Vergleiche(e);  // ascending
  for (auto& x : e) x.key = -x.key;
  Vergleiche(e);  // already descending
}

TEST(Zeichenfolge, RandomKeysWithManyTies) {
  std::mt19937 g(20240611);
  for (int32_t runde = 0; runde < 20000; ++runde) {
    const int32_t n = 1 + static_cast<int32_t>(g() % 60);
    const int32_t werte = 1 + static_cast<int32_t>(g() % (runde % 2 == 0 ? 4 : 25));
    Vergleiche(Zufall(g, n, werte, -static_cast<int32_t>(werte / 2)));
  }
}

TEST(Zeichenfolge, FullSizeScenesAndExtremeKeys) {
  std::mt19937 g(7);
  for (int32_t runde = 0; runde < 30; ++runde) {
    // Keys like the screen heights of 1024 figure centres, and a few at the
    // ends of the 32-bit range.
    std::vector<FolgeEintrag> e = Zufall(g, 1024, runde % 3 == 0 ? 8 : 900, 44);
    e[static_cast<size_t>(g() % 1024)].key = INT32_MIN;
    e[static_cast<size_t>(g() % 1024)].key = INT32_MAX;
    e[static_cast<size_t>(g() % 1024)].key = INT32_MAX;
    Vergleiche(e);
  }
}

}  // namespace
