// The draw order of the figure step: figures sorted by the screen height of
// their centres, the largest key (lowest on the screen) first.
#pragma once

#include <cstdint>
#include <vector>

namespace wimmel::scene {

struct FolgeEintrag {
  int32_t key = 0;
  int32_t figur = 0;
};

// Puts entries [0, n) into exactly the order that the program's exchange sort
// gives: for p = 1 .. n-1, for q = p+1 .. n, swap when key[q] > key[p].
// Ties are not kept stable by that sort; this reproduces its order for equal
// keys too, in O(n log n) instead of n^2 / 2 comparisons.
void SortiereZeichenfolge(FolgeEintrag* eintraege, int32_t n);

}  // namespace wimmel::scene
