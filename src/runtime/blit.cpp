// Keyed rectangle copiers for transparent puts. A figure frame is about half
// magenta, so a per-pixel branch would mispredict constantly; instead a vector
// of pixels is compared with the key and only the others reach the target.
// Each copier loops over the rows itself, so the row body is compiled for its
// instruction set and inlined, with no call per row.
// On x86 each runtime chooses its copiers by the processor's features when
// it first copies pixels; the WebAssembly build has one vector width, and its SSE2 intrinsics
// become WebAssembly SIMD.
#include <immintrin.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "runtime/internal.h"

namespace wimmel::rt::detail {
namespace {

constexpr uint32_t kKey32 = 0x00FF00FF;
constexpr uint32_t kLow24 = 0x00FFFFFF;
constexpr uint16_t kKey16 = 0xF81F;

// ---------------------------------------------------------------- SSE2 / AVX2
// Without mask registers the key test is blended with the target's pixels.
// A row's last partial vector is handled by redoing the final full vector:
// the keyed copy is idempotent (a key pixel keeps what the target holds, any
// other pixel writes itself again), so overlapping the previous one is safe.
// Rows shorter than one vector take the scalar path, still without a branch
// per pixel.

inline void Keyed32Scalar(uint32_t* d, const uint32_t* s, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    const uint32_t v = s[i] & kLow24;
    const uint32_t keep = 0u - static_cast<uint32_t>(v == kKey32);
    d[i] = (d[i] & keep) | (v & ~keep);
  }
}

inline void Keyed16Scalar(uint16_t* d, const uint16_t* s, int32_t n) {
  for (int32_t i = 0; i < n; ++i) {
    const uint16_t v = s[i];
    const auto keep = static_cast<uint16_t>(0u - static_cast<uint32_t>(v == kKey16));
    d[i] = static_cast<uint16_t>((d[i] & keep) | (v & ~keep));
  }
}

inline void Step32Sse2(uint32_t* d, const uint32_t* s) {
  const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
  const __m128i v = _mm_and_si128(sv, _mm_set1_epi32(kLow24));
  const __m128i keep = _mm_cmpeq_epi32(v, _mm_set1_epi32(kKey32));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d),
                   _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, v)));
}

inline void Step16Sse2(uint16_t* d, const uint16_t* s) {
  const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
  const __m128i keep = _mm_cmpeq_epi16(sv, _mm_set1_epi16(static_cast<int16_t>(kKey16)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d),
                   _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, sv)));
}

void Keyed32Sse2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                 int32_t width, int32_t height) noexcept {
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    auto* d = reinterpret_cast<uint32_t*>(dst);
    const auto* s = reinterpret_cast<const uint32_t*>(src);
    if (width < 4) {
      Keyed32Scalar(d, s, width);
      continue;
    }
    // Two vectors per pass: the loop's own work halves, which counts
    // where the vectors are narrow (WebAssembly has no wider ones).
    int32_t i = 0;
    for (; i + 8 <= width; i += 8) {
      Step32Sse2(d + i, s + i);
      Step32Sse2(d + i + 4, s + i + 4);
    }
    if (i + 4 <= width) {
      Step32Sse2(d + i, s + i);
      i += 4;
    }
    if (i < width) Step32Sse2(d + width - 4, s + width - 4);
  }
}

void Keyed16Sse2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                 int32_t width, int32_t height) noexcept {
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    auto* d = reinterpret_cast<uint16_t*>(dst);
    const auto* s = reinterpret_cast<const uint16_t*>(src);
    if (width < 8) {
      Keyed16Scalar(d, s, width);
      continue;
    }
    int32_t i = 0;
    for (; i + 16 <= width; i += 16) {
      Step16Sse2(d + i, s + i);
      Step16Sse2(d + i + 8, s + i + 8);
    }
    if (i + 8 <= width) {
      Step16Sse2(d + i, s + i);
      i += 8;
    }
    if (i < width) Step16Sse2(d + width - 8, s + width - 8);
  }
}

#if defined(__x86_64__) || defined(__i386__)
#define WIMMEL_BLIT_X86 1

#define WIMMEL_AVX2 __attribute__((target("avx2")))

WIMMEL_AVX2 inline void Step32Avx2(uint32_t* d, const uint32_t* s) {
  const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
  const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
  const __m256i v = _mm256_and_si256(sv, _mm256_set1_epi32(kLow24));
  const __m256i keep = _mm256_cmpeq_epi32(v, _mm256_set1_epi32(kKey32));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_blendv_epi8(v, dv, keep));
}

WIMMEL_AVX2 inline void Step16Avx2(uint16_t* d, const uint16_t* s) {
  const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
  const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
  const __m256i keep = _mm256_cmpeq_epi16(sv, _mm256_set1_epi16(static_cast<int16_t>(kKey16)));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_blendv_epi8(sv, dv, keep));
}

WIMMEL_AVX2 void Keyed32Avx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                             int32_t width, int32_t height) noexcept {
  if (width < 8) {
    Keyed32Sse2(dst, dstPitch, src, srcPitch, width, height);
    return;
  }
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    auto* d = reinterpret_cast<uint32_t*>(dst);
    const auto* s = reinterpret_cast<const uint32_t*>(src);
    int32_t i = 0;
    for (; i + 8 <= width; i += 8) Step32Avx2(d + i, s + i);
    if (i < width) Step32Avx2(d + width - 8, s + width - 8);
  }
}

WIMMEL_AVX2 void Keyed16Avx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                             int32_t width, int32_t height) noexcept {
  if (width < 16) {
    Keyed16Sse2(dst, dstPitch, src, srcPitch, width, height);
    return;
  }
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    auto* d = reinterpret_cast<uint16_t*>(dst);
    const auto* s = reinterpret_cast<const uint16_t*>(src);
    int32_t i = 0;
    for (; i + 16 <= width; i += 16) Step16Avx2(d + i, s + i);
    if (i < width) Step16Avx2(d + width - 16, s + width - 16);
  }
}

// ---------------------------------------------------------------- AVX-512
// With mask registers the key test yields the set of opaque lanes, and a
// masked store writes only those: the target is never read, and a row's tail
// is one more masked step. 256-bit vectors measure faster here than 512-bit
// ones, whose stores straddle two cache lines at almost every position.

#define WIMMEL_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl")))

constexpr uint32_t TailLanes(int32_t left) {
  return (1u << left) - 1;
}

WIMMEL_AVX512 void Keyed32Avx512(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                 int32_t srcPitch, int32_t width, int32_t height) noexcept {
  const __m256i low = _mm256_set1_epi32(kLow24);
  const __m256i key = _mm256_set1_epi32(kKey32);
  const int32_t full = width & ~7;
  const auto tail = static_cast<__mmask8>(TailLanes(width - full));
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    auto* d = reinterpret_cast<uint32_t*>(dst);
    const auto* s = reinterpret_cast<const uint32_t*>(src);
    for (int32_t i = 0; i < full; i += 8) {
      const __m256i v =
          _mm256_and_si256(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i)), low);
      _mm256_mask_storeu_epi32(d + i, _mm256_cmpneq_epi32_mask(v, key), v);
    }
    if (tail) {
      const __m256i v = _mm256_and_si256(_mm256_maskz_loadu_epi32(tail, s + full), low);
      _mm256_mask_storeu_epi32(d + full, _mm256_mask_cmpneq_epi32_mask(tail, v, key), v);
    }
  }
}

WIMMEL_AVX512 void Keyed16Avx512(uint8_t* dst, int32_t dstPitch, const uint8_t* src,
                                 int32_t srcPitch, int32_t width, int32_t height) noexcept {
  const __m256i key = _mm256_set1_epi16(static_cast<int16_t>(kKey16));
  const int32_t full = width & ~15;
  const auto tail = static_cast<__mmask16>(TailLanes(width - full));
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    auto* d = reinterpret_cast<uint16_t*>(dst);
    const auto* s = reinterpret_cast<const uint16_t*>(src);
    for (int32_t i = 0; i < full; i += 16) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
      _mm256_mask_storeu_epi16(d + i, _mm256_cmpneq_epi16_mask(v, key), v);
    }
    if (tail) {
      const __m256i v = _mm256_maskz_loadu_epi16(tail, s + full);
      _mm256_mask_storeu_epi16(d + full, _mm256_mask_cmpneq_epi16_mask(tail, v, key), v);
    }
  }
}

#endif  // x86

// ---------------------------------------------------------------- opaque
// Sprite rows are short (96 or 192 bytes for a figure), where a call to
// memcpy per row costs about as much as the copy; these copy inline, ending
// each row with one overlapping vector. Long rows go to memcpy. Source and
// target never overlap here (PutImage moves within one image itself).
constexpr int32_t kInlineRowLimit = 1024;

void CopyRowsSse2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                  int32_t bytes, int32_t height) noexcept {
  if (bytes < 16 || bytes > kInlineRowLimit) {
    for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
      std::memcpy(dst, src, static_cast<size_t>(bytes));
    }
    return;
  }
  const auto move = [](uint8_t* d, const uint8_t* s) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d),
                     _mm_loadu_si128(reinterpret_cast<const __m128i*>(s)));
  };
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    // Four vectors a pass: in WebAssembly, where these are the widest, the
    // loop's own work counts.
    int32_t i = 0;
    for (; i + 64 <= bytes; i += 64) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 16));
      const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 32));
      const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i + 48));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), a);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 16), b);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 32), c);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i + 48), d);
    }
    for (; i + 16 <= bytes; i += 16) move(dst + i, src + i);
    if (i < bytes) move(dst + bytes - 16, src + bytes - 16);
  }
}

#ifdef WIMMEL_BLIT_X86
WIMMEL_AVX2 void CopyRowsAvx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                              int32_t bytes, int32_t height) noexcept {
  if (bytes < 32 || bytes > kInlineRowLimit) {
    CopyRowsSse2(dst, dstPitch, src, srcPitch, bytes, height);
    return;
  }
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    int32_t i = 0;
    for (; i + 32 <= bytes; i += 32) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i)));
    }
    if (i < bytes) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + bytes - 32),
                          _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + bytes - 32)));
    }
  }
}

#endif  // x86

constexpr Blitters kSse2{Keyed16Sse2, Keyed32Sse2, CopyRowsSse2, "sse2"};

#ifdef WIMMEL_BLIT_X86
constexpr Blitters kAvx2{Keyed16Avx2, Keyed32Avx2, CopyRowsAvx2, "avx2"};
constexpr Blitters kAvx512{Keyed16Avx512, Keyed32Avx512, CopyRowsAvx2, "avx512"};

const Blitters* Choose(BlitLevel level) {
  __builtin_cpu_init();
  if (level >= BlitLevel::Avx512 && __builtin_cpu_supports("avx512f") &&
      __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl")) {
    return &kAvx512;
  }
  if (level >= BlitLevel::Avx2 && __builtin_cpu_supports("avx2")) return &kAvx2;
  return &kSse2;
}

// ---------------------------------------------------------------- the choice
// Features alone do not decide between the AVX-512 and the AVX2 keyed copy.
// The masked store writes only the opaque lanes and never reads the target;
// the AVX2 blend reads the target and stores whole vectors. Which one is
// faster is the processor's matter: on AMD's Zen 4 a masked store costs as
// much with an empty mask as with a full one, and a load that shares its
// low twelve address bits with a pending masked store waits for it, so at
// unlucky distances between sprite and target rows the masked copy takes
// half as long again, while the blend hardly notices. (Where the copy's
// loop lies in memory mattered as much; the build aligns it.) So the two
// are timed once per runtime, before its first copy, for each pixel size, on a figure-sized sprite
// put onto a small scratch target, and the clearly faster one is taken.

constexpr int32_t kSide = 48;
// The scratch target is wider than a figure and its rows lie 896 or 448
// bytes apart, and the sprite is there in several copies 576 bytes further
// apart modulo 4096 each: the puts meet the target at many distances modulo
// 4096, as figures put over a screen do, and no single lucky or unlucky
// distance decides.
constexpr int32_t kScratchWidth = 224;
constexpr int32_t kScratchHeight = 64;
constexpr int32_t kPutsPerSample = 16;
constexpr int32_t kSpriteCopies = 8;
constexpr int32_t kRounds = 12;

// A sprite like a figure frame: about half of it transparent, in runs of
// varying length on every row.
void FillSprite(uint8_t* pixels, int32_t pitch, int32_t bytesPerPixel) {
  for (int32_t y = 0; y < kSide; ++y) {
    for (int32_t x = 0; x < kSide; ++x) {
      const int32_t dx = x - kSide / 2;
      const int32_t dy = y - kSide / 2;
      const bool opaque = (dx < 0 ? -dx : dx) * 2 + (dy < 0 ? -dy : dy) < kSide - 4 - (y % 7);
      uint8_t* p = pixels + static_cast<size_t>(y) * pitch + static_cast<size_t>(x) * bytesPerPixel;
      if (bytesPerPixel == 2) {
        const auto v = static_cast<uint16_t>(opaque ? 0x1234 + x * 37 + y : kKey16);
        std::memcpy(p, &v, 2);
      } else {
        const uint32_t v = opaque ? 0x203040u + static_cast<uint32_t>(x * 0x30201 + y) : kKey32;
        std::memcpy(p, &v, 4);
      }
    }
  }
}

// The shortest time of kRounds samples for each of two copiers, taken in
// turns so that a disturbance of the machine falls on both alike; the
// shortest sample is the one least disturbed.
void TimeTwo(RectCopy first, RectCopy second, int32_t bytesPerPixel, double& firstTime,
             double& secondTime) {
  const int32_t spritePitch = kSide * bytesPerPixel;
  const int32_t targetPitch = kScratchWidth * bytesPerPixel;
  // Aligned as the runtime's images are, so rows start where theirs do.
  struct Aligned {
    explicit Aligned(size_t bytes) : data(AllocPixels(bytes)) {
      if (!data) throw std::bad_alloc();
      std::memset(data, 0, bytes);
    }
    ~Aligned() { FreePixels(data); }
    Aligned(const Aligned&) = delete;
    Aligned& operator=(const Aligned&) = delete;
    uint8_t* data;
  };
  const size_t spriteBytes = static_cast<size_t>(spritePitch) * kSide;
  const size_t spriteStride = (spriteBytes + 4095) / 4096 * 4096 + 576;
  const Aligned spriteBlock(spriteStride * kSpriteCopies);
  const Aligned targetBlock(static_cast<size_t>(targetPitch) * kScratchHeight);
  uint8_t* const target = targetBlock.data;
  for (int32_t k = 0; k < kSpriteCopies; ++k) {
    FillSprite(spriteBlock.data + spriteStride * k, spritePitch, bytesPerPixel);
  }
  auto sample = [&](RectCopy copy) {
    const auto start = std::chrono::steady_clock::now();
    for (int32_t i = 0; i < kPutsPerSample; ++i) {
      // Positions at every alignment within a vector, as figures land.
      const int32_t x = (i * 37) % (kScratchWidth - kSide);
      const int32_t y = (i * 5) % (kScratchHeight - kSide);
      const uint8_t* sprite = spriteBlock.data + spriteStride * (i % kSpriteCopies);
      copy(target + static_cast<size_t>(y) * targetPitch + static_cast<size_t>(x) * bytesPerPixel,
           targetPitch, sprite, spritePitch, kSide, kSide);
    }
    // The copies write memory that nothing reads afterwards; the barrier
    // keeps them from being dropped.
    __asm__ __volatile__("" : : "r"(target) : "memory");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  sample(first);  // the first use pays for faults and cold caches
  sample(second);
  firstTime = secondTime = 1e9;
  for (int32_t round = 0; round < kRounds; ++round) {
    firstTime = std::min(firstTime, sample(first));
    secondTime = std::min(secondTime, sample(second));
  }
}

Blitters MeasureBlitters() {
  const Blitters* best = Choose(BlitLevel::Best);
  if (best != &kAvx512) return *best;
  double higher = 0, lower = 0;
  bool lower32 = false, lower16 = false;
  // The first put times the copiers, and a put never throws: without
  // memory for the scratch images the features alone decide.
  try {
    TimeTwo(kAvx512.keyed32, kAvx2.keyed32, 4, higher, lower);
    lower32 = PreferLowerLevel(higher, lower);
    TimeTwo(kAvx512.keyed16, kAvx2.keyed16, 2, higher, lower);
    lower16 = PreferLowerLevel(higher, lower);
  } catch (const std::bad_alloc&) {
    return *best;
  }
  Blitters chosen = kAvx512;
  chosen.keyed32 = lower32 ? kAvx2.keyed32 : kAvx512.keyed32;
  chosen.keyed16 = lower16 ? kAvx2.keyed16 : kAvx512.keyed16;
  if (lower16 && lower32) {
    chosen.name = "avx2";
  } else if (lower32) {
    chosen.name = "avx512 16-bit, avx2 32-bit";
  } else if (lower16) {
    chosen.name = "avx2 16-bit, avx512 32-bit";
  }
  return chosen;
}

#else

const Blitters* Choose(BlitLevel) {
  return &kSse2;
}

Blitters MeasureBlitters() {
  return kSse2;
}

#endif  // x86

}  // namespace

bool PreferLowerLevel(double higherSeconds, double lowerSeconds) {
  return lowerSeconds < higherSeconds * (1.0 - kLowerLevelMargin);
}

const Blitters& RestoreTimedBlitters() {
  BlitterChoice& choice = State().blitters;
  if (!choice.made) {
    choice.timed = MeasureBlitters();
    choice.made = true;
  }
  choice.active = &choice.timed;
  return choice.timed;
}

const Blitters& SelectBlitters(BlitLevel level) {
  BlitterChoice& choice = State().blitters;
  choice.active = Choose(level);
  return *choice.active;
}

}  // namespace wimmel::rt::detail
