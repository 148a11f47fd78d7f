// Keyed rectangle copiers for transparent puts. A figure frame is about half
// magenta, so a per-pixel branch would mispredict constantly; instead a vector
// of pixels is compared with the key and only the others reach the target.
// Each copier loops over the rows itself, so the row body is compiled for its
// instruction set and inlined, with no call per row.
#include <immintrin.h>

#include <cstring>

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
                 int32_t width, int32_t height) {
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    auto* d = reinterpret_cast<uint32_t*>(dst);
    const auto* s = reinterpret_cast<const uint32_t*>(src);
    if (width < 4) {
      Keyed32Scalar(d, s, width);
      continue;
    }
    int32_t i = 0;
    for (; i + 4 <= width; i += 4) Step32Sse2(d + i, s + i);
    if (i < width) Step32Sse2(d + width - 4, s + width - 4);
  }
}

void Keyed16Sse2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                 int32_t width, int32_t height) {
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    auto* d = reinterpret_cast<uint16_t*>(dst);
    const auto* s = reinterpret_cast<const uint16_t*>(src);
    if (width < 8) {
      Keyed16Scalar(d, s, width);
      continue;
    }
    int32_t i = 0;
    for (; i + 8 <= width; i += 8) Step16Sse2(d + i, s + i);
    if (i < width) Step16Sse2(d + width - 8, s + width - 8);
  }
}

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
                             int32_t width, int32_t height) {
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
                             int32_t width, int32_t height) {
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
                                 int32_t srcPitch, int32_t width, int32_t height) {
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
                                 int32_t srcPitch, int32_t width, int32_t height) {
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

// ---------------------------------------------------------------- opaque
// Sprite rows are short (96 or 192 bytes for a figure), where a call to
// memcpy per row costs about as much as the copy; these copy inline, ending
// each row with one overlapping vector. Long rows go to memcpy. Source and
// target never overlap here (PutImage moves within one image itself).
constexpr int32_t kInlineRowLimit = 1024;

void CopyRowsSse2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                  int32_t bytes, int32_t height) {
  if (bytes < 16 || bytes > kInlineRowLimit) {
    for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
      std::memcpy(dst, src, static_cast<size_t>(bytes));
    }
    return;
  }
  for (int32_t y = 0; y < height; ++y, dst += dstPitch, src += srcPitch) {
    int32_t i = 0;
    for (; i + 16 <= bytes; i += 16) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i)));
    }
    if (i < bytes) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + bytes - 16),
                       _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + bytes - 16)));
    }
  }
}

WIMMEL_AVX2 void CopyRowsAvx2(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                              int32_t bytes, int32_t height) {
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

constexpr Blitters kSse2{Keyed16Sse2, Keyed32Sse2, CopyRowsSse2, "sse2"};
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

const Blitters* gActive = Choose(BlitLevel::Best);

}  // namespace

const Blitters& ActiveBlitters() {
  return *gActive;
}

const Blitters& SelectBlitters(BlitLevel level) {
  gActive = Choose(level);
  return *gActive;
}

const Blitters& RestoreStartupBlitters() {
  gActive = Choose(BlitLevel::Best);
  return *gActive;
}

}  // namespace wimmel::rt::detail
