#include "scene/draw_order.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

// Why this gives the exchange sort's order, ties included.
//
// The exchange sort works pass by pass. Pass p leaves at position p the first
// occurrence of the largest key among positions p..n; on the way it moves the
// elements that were strict left-to-right maxima ("records", starting with the
// element at p itself) one record position further to the right. No other
// element moves.
//
// 1. Restrict attention to the elements with key >= v. An element with a key
//    below v never lies between two of them in the chain in a way that changes
//    their relative order: a record with key >= v is a record of the whole
//    pass exactly when it is one among the elements >= v, and the largest
//    element goes to position p, in front of all of them, just as it would go
//    to the front of their own subsequence. So the relative order of the
//    elements >= v at the end equals the order the exchange sort gives to their
//    subsequence alone.
// 2. In that subsequence, take the elements with key exactly v (the smallest
//    there) and call every larger element B. While B elements remain, each
//    pass takes one B to the front. An element of key v can be a record only
//    if it stands at the front (everything before it is >= v, so it is not
//    strictly greater). So:
//    - if the front element is a B, the v elements do not move;
//    - if the front element is a v, it moves to the position of the first B
//      behind it, that is behind the run of v elements that leads the
//      sequence.
//    Either way one B leaves. Reading the subsequence left to right as a
//    pattern of v elements and B's, the leading run of v elements behaves as
//    a queue: each v appends itself, each B rotates the queue by one (front
//    to back; nothing happens while it is empty). After the last B the
//    queue is the final order of the key-v elements, and once no B is left
//    the sort leaves equal keys where they are.
// 3. The whole result is the keys in descending order, each tie group in its
//    queue order. For one group only the number of larger keys between its
//    consecutive members matters (a rotation by that count, taken modulo the
//    queue length), which a count of marked positions answers while the
//    groups are visited from the largest key down.

namespace wimmel::scene {

void DrawOrderSorter::MarkedPositions::Reset(int32_t n) {
  const auto words = static_cast<size_t>(n / 64 + 1);
  bits_.assign(words, 0);
  // Whole vectors of counts, so that marking needs no scalar tail.
  below_.assign((words + 3) / 4 * 4, 0);
}

void DrawOrderSorter::MarkedPositions::Mark(int32_t position) {
  const int32_t word = position / 64;
  bits_[static_cast<size_t>(word)] |= uint64_t{1} << (position % 64);
  // Every later word counts one more below it. The loop runs over all words,
  // four at a time, with no early end: a scene's 16 words take four vector
  // steps, and nothing mispredicts, unlike a walk of varying length.
  const __m128i here = _mm_set1_epi32(word);
  __m128i index = _mm_setr_epi32(0, 1, 2, 3);
  const __m128i four = _mm_set1_epi32(4);
  for (size_t w = 0; w < below_.size(); w += 4) {
    auto* counts = reinterpret_cast<__m128i*>(below_.data() + w);
    // A comparison gives -1 for the words past this one; subtracting it adds 1.
    _mm_storeu_si128(counts, _mm_sub_epi32(_mm_loadu_si128(counts), _mm_cmpgt_epi32(index, here)));
    index = _mm_add_epi32(index, four);
  }
}

namespace {

// The program is built for every x86-64, whose base set has no population
// count instruction; std::popcount then calls a library routine. The same
// bit-parallel sum inline costs a dozen plain operations.
int32_t CountBits(uint64_t v) {
  v -= (v >> 1) & 0x5555555555555555u;
  v = (v & 0x3333333333333333u) + ((v >> 2) & 0x3333333333333333u);
  v = (v + (v >> 4)) & 0x0F0F0F0F0F0F0F0Fu;
  return static_cast<int32_t>((v * 0x0101010101010101u) >> 56);
}

}  // namespace

int32_t DrawOrderSorter::MarkedPositions::Before(int32_t position) const {
  const auto word = static_cast<size_t>(position / 64);
  const uint64_t lower = (uint64_t{1} << (position % 64)) - 1;
  return below_[word] + CountBits(bits_[word] & lower);
}

void DrawOrderSorter::RotatingQueue::Reset(int32_t capacity) {
  slots_.resize(static_cast<size_t>(capacity));
  head_ = 0;
  size_ = 0;
}

void DrawOrderSorter::RotatingQueue::PushBack(int32_t value) {
  slots_[Slot(size_)] = value;
  ++size_;
}

void DrawOrderSorter::RotatingQueue::Rotate(int64_t steps) {
  if (size_ < 2) return;
  if (steps >= size_) steps %= size_;
  const int32_t capacity = static_cast<int32_t>(slots_.size());
  if (size_ == capacity) {
    head_ += static_cast<int32_t>(steps);
    if (head_ >= capacity) head_ -= capacity;
    return;
  }
  for (int64_t i = 0; i < steps; ++i) {
    const int32_t front = slots_[static_cast<size_t>(head_)];
    if (++head_ == capacity) head_ = 0;
    slots_[Slot(size_ - 1)] = front;
  }
}

void DrawOrderSorter::OrderByKey(const DrawOrderEntry* entries, int32_t n) {
  auto pack = [](int32_t key, int32_t position) {
    const uint32_t descending = ~(static_cast<uint32_t>(key) ^ 0x80000000u);
    return (static_cast<uint64_t>(descending) << 32) | static_cast<uint32_t>(position);
  };
  order_.resize(static_cast<size_t>(n));
  int32_t low = entries[0].key;
  int32_t high = low;
  for (int32_t i = 1; i < n; ++i) {
    low = std::min(low, entries[i].key);
    high = std::max(high, entries[i].key);
  }
  // The keys of a scene are screen heights, so they span a few hundred
  // values at most: counting them beats a comparison sort. Far-flung keys
  // (step widths typed by the user) take the comparison sort.
  const int64_t span = static_cast<int64_t>(high) - low + 1;
  if (span > 4 * static_cast<int64_t>(n) + 4096) {
    for (int32_t i = 0; i < n; ++i) order_[static_cast<size_t>(i)] = pack(entries[i].key, i);
    std::sort(order_.begin(), order_.end());
    return;
  }
  // Slot k counts the key high - k, so the largest key comes first; placing
  // positions in increasing order keeps them ascending within a key.
  starts_.assign(static_cast<size_t>(span) + 1, 0);
  for (int32_t i = 0; i < n; ++i) ++starts_[static_cast<size_t>(high - entries[i].key) + 1];
  for (size_t k = 1; k < starts_.size(); ++k) starts_[k] += starts_[k - 1];
  for (int32_t i = 0; i < n; ++i) {
    int32_t& slot = starts_[static_cast<size_t>(high - entries[i].key)];
    order_[static_cast<size_t>(slot++)] = pack(entries[i].key, i);
  }
}

void DrawOrderSorter::Sort(DrawOrderEntry* entries, int32_t n) {
  if (n < 2) return;
  OrderByKey(entries, n);
  result_.clear();
  result_.reserve(static_cast<size_t>(n));
  marked_.Reset(n);

  int32_t markedCount = 0;
  size_t first = 0;
  while (first < order_.size()) {
    const uint32_t key = static_cast<uint32_t>(order_[first] >> 32);
    size_t end = first + 1;
    while (end < order_.size() && static_cast<uint32_t>(order_[end] >> 32) == key) ++end;
    auto position = [&](size_t k) { return static_cast<int32_t>(order_[k] & 0xFFFFFFFFu); };
    if (end - first == 1) {
      result_.push_back(entries[position(first)]);
    } else {
      queue_.Reset(static_cast<int32_t>(end - first));
      int32_t before = marked_.Before(position(first));
      queue_.PushBack(position(first));
      for (size_t k = first + 1; k < end; ++k) {
        const int32_t upTo = marked_.Before(position(k));
        queue_.Rotate(upTo - before);
        queue_.PushBack(position(k));
        before = upTo;
      }
      queue_.Rotate(markedCount - before);
      for (int32_t i = 0; i < queue_.Size(); ++i) result_.push_back(entries[queue_[i]]);
    }
    for (size_t k = first; k < end; ++k) {
      marked_.Mark(position(k));
      ++markedCount;
    }
    first = end;
  }
  std::memcpy(entries, result_.data(), sizeof(DrawOrderEntry) * static_cast<size_t>(n));
}

}  // namespace wimmel::scene
