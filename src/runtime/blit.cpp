// Keyed row copiers for transparent puts. A figure frame is about half
// magenta, so a per-pixel branch would mispredict constantly; instead a vector
// of pixels is compared with the key and blended with the target in one go.
// The last partial vector is handled by redoing the final full vector: the
// keyed copy is idempotent (a key pixel keeps what the target holds, any other
// pixel writes itself again), so overlapping it with the previous one is safe.
#include <immintrin.h>

#include <cstring>

#include "runtime/internal.h"

namespace rt::detail {
namespace {

constexpr uint32_t kKey32 = 0x00FF00FF;
constexpr uint32_t kLow24 = 0x00FFFFFF;
constexpr uint16_t kKey16 = 0xF81F;

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
    const uint16_t keep = static_cast<uint16_t>(0u - static_cast<uint32_t>(v == kKey16));
    d[i] = static_cast<uint16_t>((d[i] & keep) | (v & ~keep));
  }
}

inline __m128i Blend32Sse2(__m128i s, __m128i d) {
  const __m128i v = _mm_and_si128(s, _mm_set1_epi32(kLow24));
  const __m128i keep = _mm_cmpeq_epi32(v, _mm_set1_epi32(kKey32));
  return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, v));
}

inline __m128i Blend16Sse2(__m128i s, __m128i d) {
  const __m128i keep = _mm_cmpeq_epi16(s, _mm_set1_epi16(static_cast<int16_t>(kKey16)));
  return _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, s));
}

void Keyed32Sse2(uint8_t* dst, const uint8_t* src, int32_t count) {
  auto* d = reinterpret_cast<uint32_t*>(dst);
  const auto* s = reinterpret_cast<const uint32_t*>(src);
  if (count < 4) {
    Keyed32Scalar(d, s, count);
    return;
  }
  auto step = [&](int32_t i) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), Blend32Sse2(sv, dv));
  };
  int32_t i = 0;
  for (; i + 4 <= count; i += 4) step(i);
  if (i < count) step(count - 4);
}

void Keyed16Sse2(uint8_t* dst, const uint8_t* src, int32_t count) {
  auto* d = reinterpret_cast<uint16_t*>(dst);
  const auto* s = reinterpret_cast<const uint16_t*>(src);
  if (count < 8) {
    Keyed16Scalar(d, s, count);
    return;
  }
  auto step = [&](int32_t i) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), Blend16Sse2(sv, dv));
  };
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) step(i);
  if (i < count) step(count - 8);
}

__attribute__((target("avx2"))) void Keyed32Avx2(uint8_t* dst, const uint8_t* src, int32_t count) {
  if (count < 8) {
    Keyed32Sse2(dst, src, count);
    return;
  }
  auto* d = reinterpret_cast<uint32_t*>(dst);
  const auto* s = reinterpret_cast<const uint32_t*>(src);
  const __m256i low = _mm256_set1_epi32(kLow24);
  const __m256i key = _mm256_set1_epi32(kKey32);
  auto step = [&](int32_t i) __attribute__((target("avx2"))) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i v = _mm256_and_si256(sv, low);
    const __m256i keep = _mm256_cmpeq_epi32(v, key);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(v, dv, keep));
  };
  int32_t i = 0;
  for (; i + 8 <= count; i += 8) step(i);
  if (i < count) step(count - 8);
}

__attribute__((target("avx2"))) void Keyed16Avx2(uint8_t* dst, const uint8_t* src, int32_t count) {
  if (count < 16) {
    Keyed16Sse2(dst, src, count);
    return;
  }
  auto* d = reinterpret_cast<uint16_t*>(dst);
  const auto* s = reinterpret_cast<const uint16_t*>(src);
  const __m256i key = _mm256_set1_epi16(static_cast<int16_t>(kKey16));
  auto step = [&](int32_t i) __attribute__((target("avx2"))) {
    const __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
    const __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
    const __m256i keep = _mm256_cmpeq_epi16(sv, key);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(sv, dv, keep));
  };
  int32_t i = 0;
  for (; i + 16 <= count; i += 16) step(i);
  if (i < count) step(count - 16);
}

constexpr Blitters kSse2{Keyed16Sse2, Keyed32Sse2, "sse2"};
constexpr Blitters kAvx2{Keyed16Avx2, Keyed32Avx2, "avx2"};

const Blitters* Choose(bool allowAvx2) {
  __builtin_cpu_init();
  if (allowAvx2 && __builtin_cpu_supports("avx2")) return &kAvx2;
  return &kSse2;
}

const Blitters* gActive = Choose(true);

}  // namespace

const Blitters& ActiveBlitters() {
  return *gActive;
}
void SelectBlitters(bool allowAvx2) {
  gActive = Choose(allowAvx2);
}

}  // namespace rt::detail
