// Small shared helpers of the asset generator: colours, vectors, a seeded
// random generator and tileable value noise. Everything here is deterministic
// so that two runs of the same binary write identical files.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace assetgen {

constexpr double kPi = 3.14159265358979323846;

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr Rgb kMagenta{255, 0, 255};

// Linear-ish working colour with components in 0..1.
struct Col {
  double r = 0, g = 0, b = 0;
  Col operator+(const Col& o) const { return {r + o.r, g + o.g, b + o.b}; }
  Col operator-(const Col& o) const { return {r - o.r, g - o.g, b - o.b}; }
  Col operator*(double k) const { return {r * k, g * k, b * k}; }
  Col operator*(const Col& o) const { return {r * o.r, g * o.g, b * o.b}; }
  Col& operator+=(const Col& o) {
    r += o.r;
    g += o.g;
    b += o.b;
    return *this;
  }
};

inline Col Hex(uint32_t v) {
  return {((v >> 16) & 255) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0};
}
inline Col Mix(const Col& a, const Col& b, double t) {
  return a + (b - a) * t;
}
inline double Luma(const Col& c) {
  return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}
inline double Clamp01(double v) {
  return v < 0 ? 0 : (v > 1 ? 1 : v);
}
inline double SmoothStep(double e0, double e1, double x) {
  double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// Converts a working colour to bytes. Colours that would come out close to the
// transparent magenta are pulled away from it, so no drawn pixel can be taken
// for (or blended towards) the mask colour.
inline Rgb ToRgb(const Col& c) {
  auto q = [](double v) { return static_cast<uint8_t>(std::nearbyint(Clamp01(v) * 255.0)); };
  Rgb o{q(c.r), q(c.g), q(c.b)};
  if (o.r > 180 && o.b > 180 && o.g < 80) o.g = 80;
  return o;
}
inline Col FromRgb(Rgb p) {
  return {p.r / 255.0, p.g / 255.0, p.b / 255.0};
}

struct V3 {
  double x = 0, y = 0, z = 0;
  V3 operator+(const V3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  V3 operator-(const V3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  V3 operator*(double k) const { return {x * k, y * k, z * k}; }
  V3 operator-() const { return {-x, -y, -z}; }
};
inline double Dot(const V3& a, const V3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 Cross(const V3& a, const V3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Len(const V3& a) {
  return std::sqrt(Dot(a, a));
}
inline V3 Norm(const V3& a) {
  double l = Len(a);
  return l > 0 ? a * (1.0 / l) : V3{0, 1, 0};
}

// SplitMix64: tiny, fast and defined to the bit, unlike the standard engines'
// distributions whose output may differ between library versions.
class Rng {
 public:
  explicit Rng(uint64_t seed) : s_(seed) {}
  uint64_t Next() {
    uint64_t z = (s_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Range(double a, double b) { return a + (b - a) * Uniform(); }
  int Int(int lo, int hi) {  // inclusive bounds
    return lo + static_cast<int>(Next() % static_cast<uint64_t>(hi - lo + 1));
  }

 private:
  uint64_t s_;
};

inline uint32_t Hash3(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B1u;
  h ^= static_cast<uint32_t>(x) * 0x85EBCA77u;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<uint32_t>(y) * 0xC2B2AE3Du;
  h *= 0x27D4EB2Fu;
  h ^= h >> 15;
  h *= 0x85EBCA77u;
  h ^= h >> 13;
  return h;
}
inline double HashUnit(int32_t x, int32_t y, uint32_t seed) {
  return (Hash3(x, y, seed) & 0xFFFFFF) / 16777216.0;
}
inline int Wrap(int v, int p) {
  return ((v % p) + p) % p;
}

// Smooth value noise in 0..1 on a lattice of the given cell size that repeats
// after periodX × periodY cells (use huge periods for non-repeating noise).
inline double ValueNoise(double x, double y, double cell, int periodX, int periodY, uint32_t seed) {
  double fx = x / cell, fy = y / cell;
  int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
  double tx = fx - ix, ty = fy - iy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  auto at = [&](int a, int b) { return HashUnit(Wrap(a, periodX), Wrap(b, periodY), seed); };
  double v00 = at(ix, iy), v10 = at(ix + 1, iy), v01 = at(ix, iy + 1), v11 = at(ix + 1, iy + 1);
  return (v00 * (1 - tx) + v10 * tx) * (1 - ty) + (v01 * (1 - tx) + v11 * tx) * ty;
}

// Fractal sum of value noise; `size` is the tile size in pixels the noise
// repeats after (it must be a multiple of every octave's cell).
inline double TileNoise(double x, double y, double cell, int octaves, int sizeX, int sizeY,
                        uint32_t seed) {
  double sum = 0, amp = 1, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    int px = std::max(1, static_cast<int>(std::nearbyint(sizeX / cell)));
    int py = std::max(1, static_cast<int>(std::nearbyint(sizeY / cell)));
    sum += amp * ValueNoise(x, y, cell, px, py, seed + 977u * static_cast<uint32_t>(o));
    norm += amp;
    amp *= 0.5;
    cell *= 0.5;
  }
  return sum / norm;
}

}  // namespace assetgen
