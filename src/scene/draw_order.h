// The draw order of the figure step: figures sorted by the screen height of
// their centres, the largest key (lowest on the screen) first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wimmel::scene {

struct DrawOrderEntry {
  int32_t key = 0;
  int32_t figure = 0;
};

// Puts entries [0, n) into exactly the order that the program's exchange sort
// gives: for p = 1 .. n-1, for q = p+1 .. n, swap when key[q] > key[p].
// Ties are not kept stable by that sort; this reproduces its order for equal
// keys too, without the n^2 / 2 comparisons: the keys are put in order by
// counting them (by a comparison sort when they spread much wider than the
// number of entries), and each group of equal keys by rotations counted from
// the positions of the larger keys. The sorter keeps its working buffers from
// one sort to the next, so a step allocates nothing.
class DrawOrderSorter {
 public:
  void Sort(DrawOrderEntry* entries, int32_t n);

 private:
  // Counts marked positions (0-based): a bit per position, and per word of
  // 64 bits the number marked in the words before it. Marking costs a pass
  // over the words (16 for a full scene); counting costs one look.
  class MarkedPositions {
   public:
    void Reset(int32_t n);
    void Mark(int32_t position);
    // Marked positions below position.
    int32_t Before(int32_t position) const;

   private:
    std::vector<uint64_t> bits_;
    std::vector<int32_t> below_;
  };

  // A queue of positions with a cheap rotation: front element to the back.
  class RotatingQueue {
   public:
    void Reset(int32_t capacity);
    void PushBack(int32_t value);
    void Rotate(int64_t steps);
    int32_t Size() const { return size_; }
    int32_t operator[](int32_t i) const { return slots_[Slot(i)]; }

   private:
    // head_ and i both lie below the capacity, so one subtraction wraps
    // their sum; the sort asks for slots often enough that a division shows.
    size_t Slot(int32_t i) const {
      const auto slot = static_cast<size_t>(head_ + i);
      return slot >= slots_.size() ? slot - slots_.size() : slot;
    }
    std::vector<int32_t> slots_;
    int32_t head_ = 0;
    int32_t size_ = 0;
  };

  // Fills order_ with the entries' keys and positions, key descending, then
  // position ascending.
  void OrderByKey(const DrawOrderEntry* entries, int32_t n);

  // Key descending, then position ascending, packed into one word each.
  std::vector<uint64_t> order_;
  std::vector<int32_t> starts_;  // per key, where its positions go
  std::vector<DrawOrderEntry> result_;
  MarkedPositions marked_;
  RotatingQueue queue_;
};

}  // namespace wimmel::scene
