// Transparent puts from runs found once. A keyed copy tests every pixel of
// the rectangle on every put and reads the target under it; with the runs
// of a figure's frame at hand, a put only copies the pixels that show, and
// a row's transparent stretches cost nothing. The runs keep the values a
// keyed copy writes: on 32-bit screens with the top byte cleared.
#include <emmintrin.h>

#include <algorithm>
#include <cstring>

#include "runtime/internal.h"

namespace wimmel::rt {

using namespace detail;

namespace {

constexpr uint32_t kKey32 = 0x00FF00FF;
constexpr uint32_t kLow24 = 0x00FFFFFF;
constexpr uint16_t kKey16 = 0xF81F;

// The value a keyed copy writes for the pixel at p, and whether it writes
// one at all.
inline bool Shown(const uint8_t* p, int32_t bytesPerPixel, uint32_t& value) {
  if (bytesPerPixel == 2) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    value = v;
    return v != kKey16;
  }
  uint32_t v;
  std::memcpy(&v, p, 4);
  value = v & kLow24;
  return value != kKey32;
}

// Copies n bytes (an even number, at least 2) between places that do not
// overlap, in a few wide moves: the last one overlaps the one before.
inline void CopyRun(uint8_t* d, const uint8_t* s, size_t n) {
  if (n >= 16) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
    }
    if (i < n) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 16),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 16)));
    }
  } else if (n >= 8) {
    uint64_t a, b;
    std::memcpy(&a, s, 8);
    std::memcpy(&b, s + n - 8, 8);
    std::memcpy(d, &a, 8);
    std::memcpy(d + n - 8, &b, 8);
  } else if (n >= 4) {
    uint32_t a, b;
    std::memcpy(&a, s, 4);
    std::memcpy(&b, s + n - 4, 4);
    std::memcpy(d, &a, 4);
    std::memcpy(d + n - 4, &b, 4);
  } else {
    std::memcpy(d, s, 2);
  }
}

}  // namespace

OpaqueRuns FindOpaqueRuns(Image image, int32_t srcX, int32_t srcY, int32_t srcW, int32_t srcH) {
  OpaqueRuns runs;
  if (!image || !image->pixels) return runs;
  const int64_t x0 = std::max<int64_t>(srcX, 0), y0 = std::max<int64_t>(srcY, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{srcX} + std::max(srcW, 0), image->width);
  const int64_t y1 = std::min<int64_t>(int64_t{srcY} + std::max(srcH, 0), image->height);
  if (x0 >= x1 || y0 >= y1) return runs;
  const int32_t bpp = image->bytesPerPixel;
  runs.bytesPerPixel_ = bpp;
  runs.left_ = static_cast<int32_t>(x0 - srcX);
  runs.top_ = static_cast<int32_t>(y0 - srcY);
  runs.width_ = static_cast<int32_t>(x1 - x0);
  runs.height_ = static_cast<int32_t>(y1 - y0);
  runs.rows_.reserve(static_cast<size_t>(runs.height_) + 1);
  for (int64_t y = y0; y < y1; ++y) {
    runs.rows_.push_back(
        {static_cast<uint32_t>(runs.runs_.size()), static_cast<uint32_t>(runs.bytes_.size())});
    const uint8_t* row = image->pixels + static_cast<size_t>(y) * image->pitch;
    int32_t start = -1;
    for (int64_t x = x0; x <= x1; ++x) {
      uint32_t value = 0;
      const bool shown = x < x1 && Shown(row + x * bpp, bpp, value);
      const auto column = static_cast<int32_t>(x - x0);
      if (shown) {
        if (start < 0) start = column;
        const size_t at = runs.bytes_.size();
        runs.bytes_.resize(at + static_cast<size_t>(bpp));
        std::memcpy(runs.bytes_.data() + at, &value, static_cast<size_t>(bpp));
      } else if (start >= 0) {
        runs.runs_.push_back({static_cast<uint16_t>(start), static_cast<uint16_t>(column - start)});
        start = -1;
      }
    }
  }
  runs.rows_.push_back(
      {static_cast<uint32_t>(runs.runs_.size()), static_cast<uint32_t>(runs.bytes_.size())});
  return runs;
}

int32_t PutRuns(Image target, int32_t x, int32_t y, const OpaqueRuns& runs) noexcept {
  if (runs.Empty() || !ScreenOpen()) return 1;
  bool isScreen = false;
  ImageData* dst = ResolveTarget(target, isScreen);
  if (!dst) return 1;
  ScreenGuard guard(isScreen);
  const int32_t bpp = runs.bytesPerPixel_;
  if (bpp != dst->bytesPerPixel) return 1;
  // The runs' rectangle on the target, clipped to it.
  const int64_t left = int64_t{x} + runs.left_, top = int64_t{y} + runs.top_;
  const int64_t x0 = std::max<int64_t>(left, 0), y0 = std::max<int64_t>(top, 0);
  const int64_t x1 = std::min<int64_t>(left + runs.width_, dst->width);
  const int64_t y1 = std::min<int64_t>(top + runs.height_, dst->height);
  if (x0 >= x1 || y0 >= y1) return 0;
  const OpaqueRuns::Run* const allRuns = runs.runs_.data();
  const uint8_t* const allBytes = runs.bytes_.data();
  if (x0 == left && x1 == left + runs.width_) {
    // Every column shows: each run goes over whole.
    uint8_t* line = dst->pixels + static_cast<size_t>(y0) * dst->pitch + left * bpp;
    for (int64_t ty = y0; ty < y1; ++ty, line += dst->pitch) {
      const OpaqueRuns::Row& row = runs.rows_[static_cast<size_t>(ty - top)];
      const uint32_t end = (&row)[1].firstRun;
      const uint8_t* bytes = allBytes + row.firstByte;
      for (uint32_t k = row.firstRun; k < end; ++k) {
        const OpaqueRuns::Run run = allRuns[k];
        const size_t n = static_cast<size_t>(run.count) * bpp;
        CopyRun(line + static_cast<size_t>(run.x) * bpp, bytes, n);
        bytes += n;
      }
    }
  } else {
    for (int64_t ty = y0; ty < y1; ++ty) {
      const OpaqueRuns::Row& row = runs.rows_[static_cast<size_t>(ty - top)];
      const OpaqueRuns::Row& next = (&row)[1];
      uint8_t* line = dst->pixels + static_cast<size_t>(ty) * dst->pitch;
      const uint8_t* bytes = allBytes + row.firstByte;
      for (uint32_t k = row.firstRun; k < next.firstRun; ++k) {
        const OpaqueRuns::Run run = allRuns[k];
        const int64_t from = left + run.x, to = from + run.count;
        const int64_t a = std::max(from, x0), b = std::min(to, x1);
        if (a < b) {
          CopyRun(line + a * bpp, bytes + (a - from) * bpp, static_cast<size_t>((b - a) * bpp));
        }
        bytes += static_cast<size_t>(run.count) * bpp;
      }
    }
  }
  if (isScreen) {
    MarkRect(static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1 - 1),
             static_cast<int32_t>(y1 - 1));
  }
  return 0;
}

}  // namespace wimmel::rt
