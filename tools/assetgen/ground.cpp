#include "ground.h"

#include <cmath>
#include <limits>
#include <vector>

namespace assetgen {

namespace {

struct P2 {
  double x, y;
};

// Catmull-Rom spline through the points, sampled finely.
std::vector<P2> Spline(const std::vector<P2>& pts) {
  std::vector<P2> out;
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const P2 p0 = pts[i == 0 ? 0 : i - 1], p1 = pts[i], p2 = pts[i + 1],
             p3 = pts[i + 2 < pts.size() ? i + 2 : i + 1];
    for (int k = 0; k < 24; ++k) {
      const double t = k / 24.0, t2 = t * t, t3 = t2 * t;
      auto f = [&](double a, double b, double c, double d) {
        return 0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                      (-a + 3 * b - 3 * c + d) * t3);
      };
      out.push_back({f(p0.x, p1.x, p2.x, p3.x), f(p0.y, p1.y, p2.y, p3.y)});
    }
  }
  out.push_back(pts.back());
  return out;
}

// Stamps the distance to the polyline into `dist` near the line only.
void StampDistance(std::vector<double>& dist, int w, int h, const std::vector<P2>& line,
                   double reach) {
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    const P2 a = line[i], b = line[i + 1];
    const int x0 = std::max(0, static_cast<int>(std::min(a.x, b.x) - reach));
    const int x1 = std::min(w - 1, static_cast<int>(std::max(a.x, b.x) + reach));
    const int y0 = std::max(0, static_cast<int>(std::min(a.y, b.y) - reach));
    const int y1 = std::min(h - 1, static_cast<int>(std::max(a.y, b.y) + reach));
    const double vx = b.x - a.x, vy = b.y - a.y, vv = vx * vx + vy * vy;
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
        const double t = vv > 0 ? std::clamp((px * vx + py * vy) / vv, 0.0, 1.0) : 0.0;
        const double dx = px - t * vx, dy = py - t * vy;
        double& d = dist[static_cast<size_t>(y) * w + x];
        d = std::min(d, std::sqrt(dx * dx + dy * dy));
      }
  }
}

}  // namespace

Picture Meadow(int w, int h) {
  Picture pic(w, h);
  // The path leaves the cottage door in the top left corner, winds down and
  // forks: one arm runs off to the right, the other down to the bottom.
  const std::vector<P2> main = {{72, 112},  {86, 160},   {140, 212},  {235, 236}, {330, 226},
                                {420, 246}, {482, 296},  {520, 362},  {610, 398}, {735, 392},
                                {880, 366}, {1020, 388}, {1150, 362}, {1300, 352}};
  const std::vector<P2> fork = {{520, 362}, {500, 450}, {528, 548}, {610, 630},
                                {640, 740}, {598, 830}, {585, 900}};
  std::vector<double> dist(static_cast<size_t>(w) * h, std::numeric_limits<double>::infinity());
  StampDistance(dist, w, h, Spline(main), 40);
  StampDistance(dist, w, h, Spline(fork), 40);

  const Col grassA{0.37, 0.62, 0.25}, grassB{0.42, 0.68, 0.28};
  const Col sand{0.83, 0.73, 0.52}, sandDark{0.70, 0.60, 0.40};
  const int cell = 40;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool odd = ((x / cell) + (y / cell)) % 2 == 1;
      Col g = odd ? grassB : grassA;
      const double broad = ValueNoise(x, y, 160, 1 << 20, 1 << 20, 61);
      const double mid = ValueNoise(x, y, 24, 1 << 20, 1 << 20, 62);
      const double fine = HashUnit(x, y, 63);
      // Grass blades: short vertical streaks of lighter or darker green.
      const double blade = ValueNoise(x, y * 0.25, 1.5, 1 << 20, 1 << 20, 64);
      double shade =
          0.93 + 0.12 * broad + 0.06 * (mid - 0.5) + 0.05 * (fine - 0.5) + 0.07 * (blade - 0.5);
      g = g * shade;
      g.b *= 0.96 + 0.08 * broad;
      const double d = dist[static_cast<size_t>(y) * w + x];
      const double edge = 12.5 + 3.0 * (ValueNoise(x, y, 18, 1 << 20, 1 << 20, 65) - 0.5);
      Col c = g;
      if (d < edge + 2.5) {
        const double s = 0.94 + 0.1 * ValueNoise(x, y, 6, 1 << 20, 1 << 20, 66) +
                         0.06 * (HashUnit(x, y, 67) - 0.5);
        Col sc = Mix(sand, sandDark, SmoothStep(edge - 4, edge, d)) * s;
        // Ruts worn along the middle of the path.
        if (d < 3.0) sc = sc * 0.96;
        if (d < edge)
          c = sc;
        else  // a darker rim where grass meets sand
          c = Mix(sc * 0.8, g * 0.82, (d - edge) / 2.5);
      }
      pic.At(x, y) = ToRgb(c);
    }

  // Pebbles on the path.
  Rng rng(71);
  for (int k = 0; k < 900; ++k) {
    const int x = rng.Int(0, w - 2), y = rng.Int(0, h - 2);
    const double d = dist[static_cast<size_t>(y) * w + x];
    if (d > 9) continue;
    const double v = rng.Range(0.55, 0.75);
    pic.At(x, y) = ToRgb(Col{v, v * 0.97, v * 0.92});
    pic.At(x + 1, y) = ToRgb(Col{v * 0.8, v * 0.78, v * 0.74});
  }
  // A few small clusters of flowers away from the path.
  const Col petals[] = {{0.98, 0.98, 0.96}, {0.99, 0.88, 0.22}, {0.92, 0.22, 0.24},
                        {0.58, 0.64, 0.99}, {0.98, 0.98, 0.96}, {0.98, 0.62, 0.80}};
  for (int k = 0; k < 70; ++k) {
    const int cx = rng.Int(8, w - 9), cy = rng.Int(8, h - 9);
    const int kindOf = rng.Int(0, 5);
    const Col petal = petals[kindOf];
    const int count = rng.Int(1, 4);
    for (int j = 0; j < count; ++j) {
      const int x = cx + rng.Int(-6, 6), y = cy + rng.Int(-4, 4);
      if (dist[static_cast<size_t>(y) * w + x] < 24) continue;
      // A little shadow below, four petals round a yellow heart.
      for (auto [dx, dy] : {std::pair{-1, 2}, {0, 2}, {1, 2}, {2, 1}, {-2, 1}}) {
        const Col under = FromRgb(pic.At(x + dx, y + dy)) * 0.78;
        pic.At(x + dx, y + dy) = ToRgb(under);
      }
      pic.At(x - 1, y) = ToRgb(petal);
      pic.At(x + 1, y) = ToRgb(petal * 0.88);
      pic.At(x, y - 1) = ToRgb(petal);
      pic.At(x, y + 1) = ToRgb(petal * 0.8);
      pic.At(x, y) = ToRgb(kindOf == 1 ? Col{0.85, 0.45, 0.1} : Col{0.99, 0.82, 0.15});
    }
  }
  return pic;
}

}  // namespace assetgen
