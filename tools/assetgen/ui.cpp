#include "ui.h"

#include <cmath>
#include <cstdlib>

#include "font.h"

namespace assetgen {

namespace {

// Inside test of a rounded rectangle [x0, x1] × [y0, y1] with corner radius r.
bool InRoundRect(int x, int y, int x0, int y0, int x1, int y1, double r) {
  if (x < x0 || x > x1 || y < y0 || y > y1) return false;
  const double cx = x < x0 + r ? x0 + r : (x > x1 - r ? x1 - r : x);
  const double cy = y < y0 + r ? y0 + r : (y > y1 - r ? y1 - r : y);
  const double dx = x - cx, dy = y - cy;
  return dx * dx + dy * dy <= (r + 0.35) * (r + 0.35);
}

const Rgb kInk{28, 28, 34};

void Line(Picture& p, int x0, int y0, int x1, int y1, Rgb c) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int err = dx + dy;
  for (;;) {
    p.Set(x0, y0, c);
    if (x0 == x1 && y0 == y1) break;
    const int e2 = 2 * err;
    if (e2 >= dy) err += dy, x0 += sx;
    if (e2 <= dx) err += dx, y0 += sy;
  }
}

// An arrow from the tail to the tip, with a filled head of `head` pixels.
void Arrow(Picture& p, int tx, int ty, int hx, int hy, int head, Rgb c, bool thick) {
  Line(p, tx, ty, hx, hy, c);
  const int ux = (hx > tx) - (hx < tx), uy = (hy > ty) - (hy < ty);
  if (thick) {
    if (uy == 0)
      Line(p, tx, ty + 1, hx, hy + 1, c);
    else if (ux == 0)
      Line(p, tx + 1, ty, hx + 1, hy, c);
    else
      Line(p, tx + ux, ty, hx, hy - uy, c);
  }
  for (int k = 1; k <= head; ++k) {
    if (uy == 0) {  // horizontal: a vertical bar of the head at each step back
      for (int j = -k; j <= k + (thick ? 1 : 0); ++j) p.Set(hx - ux * k, hy + j, c);
    } else if (ux == 0) {
      for (int j = -k; j <= k + (thick ? 1 : 0); ++j) p.Set(hx + j, hy - uy * k, c);
    } else {  // diagonal: the two legs along the axes, filled between them
      for (int j = 0; j <= k; ++j) {
        p.Set(hx - ux * k, hy - uy * j, c);
        p.Set(hx - ux * j, hy - uy * k, c);
      }
    }
  }
}

}  // namespace

Picture KeyCap(int w, int h) {
  Picture p(w, h);
  const double r = w >= 24 ? 3.0 : 2.0;
  const int skirtB = h >= 24 ? 4 : 3, skirtR = h >= 24 ? 3 : 2;
  const int fx0 = 2, fy0 = 1, fx1 = w - 1 - skirtR, fy1 = h - 1 - skirtB;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (!InRoundRect(x, y, 0, 0, w - 1, h - 1, r)) continue;
      Col c;
      if (InRoundRect(x, y, fx0, fy0, fx1, fy1, r - 1)) {
        // The face: slightly dished, lighter at the top left.
        const double t =
            (double(y - fy0) / (fy1 - fy0) + 0.4 * double(x - fx0) / (fx1 - fx0)) / 1.4;
        c = Mix(Col{0.90, 0.90, 0.92}, Col{0.78, 0.78, 0.81}, t);
        if (x == fx0 || y == fy0) c = Col{0.96, 0.96, 0.97};
        if (x == fx1 || y == fy1) c = Col{0.70, 0.70, 0.73};
      } else if (y > fy1 || x > fx1) {
        // The key's sides facing down and right are in shade.
        c = (y > fy1 && x > fx1) ? Col{0.46, 0.46, 0.50} : Col{0.56, 0.56, 0.60};
        if (y > fy1 && x <= fx1)
          c = Mix(Col{0.62, 0.62, 0.66}, Col{0.50, 0.50, 0.54}, double(y - fy1) / skirtB);
      } else {
        c = Col{0.80, 0.80, 0.83};
      }
      p.At(x, y) = ToRgb(c);
    }
  // Dark outline on the rim.
  Picture out = p;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      if (p.IsMask(x, y)) continue;
      const bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1 || p.IsMask(x - 1, y) ||
                        p.IsMask(x + 1, y) || p.IsMask(x, y - 1) || p.IsMask(x, y + 1);
      if (edge) out.At(x, y) = Rgb{38, 38, 44};
    }
  return out;
}

Picture TabKey() {
  Picture p = KeyCap(46, 29);
  // Upper arrow to the left against a bar, lower arrow to the right.
  Arrow(p, 31, 8, 13, 8, 3, kInk, false);
  Line(p, 11, 4, 11, 12, kInk);
  Arrow(p, 13, 17, 31, 17, 3, kInk, false);
  Line(p, 33, 13, 33, 21, kInk);
  return p;
}

Picture BackspaceKey() {
  Picture p = KeyCap(46, 30);
  Arrow(p, 35, 12, 10, 12, 4, kInk, true);
  return p;
}

Picture NumberPad() {
  Picture p(62, 62);
  const Rgb arrow{24, 64, 170};
  const Rgb greyInk{118, 118, 126};
  const int pos[3] = {0, 21, 42};
  const char digits[3][3] = {{'7', '8', '9'}, {'4', '5', '6'}, {'1', '2', '3'}};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) {
      Picture key = KeyCap(20, 20);
      const char d = digits[row][col];
      const bool corner = row != 1 && col != 1;
      if (corner) {
        // The digit sits in the corner the arrow points away from.
        const int ux = col == 0 ? -1 : 1, uy = row == 0 ? -1 : 1;
        const int tipX = ux < 0 ? 3 : 14, tipY = uy < 0 ? 2 : 13;
        const int digitX = ux < 0 ? 10 : 3, digitY = uy < 0 ? 7 : 2;
        Arrow(key, tipX - ux * 5, tipY - uy * 5, tipX, tipY, 3, arrow, true);
        DrawText(key, digitX, digitY, std::string(1, d), kInk);
      } else {
        DrawText(key, 6, 4, std::string(1, d), greyInk);
      }
      p.Paste(key, pos[col], pos[row]);
    }
  return p;
}

Picture MetalPattern() {
  Picture p(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      // Long horizontal streaks: noise stretched along x, new for every row.
      const double a = ValueNoise(x, y * 16.0, 16, 4, 64, 11);
      const double b = ValueNoise(x, y * 8.0, 8, 8, 64, 12);
      const double c = ValueNoise(x, y, 32, 2, 2, 13);
      const double v = 0.40 + 0.07 * (a - 0.5) + 0.05 * (b - 0.5) + 0.04 * (c - 0.5) +
                       0.015 * (HashUnit(x, y, 14) - 0.5);
      p.At(x, y) = ToRgb(Col{v, v * 1.01, v * 1.05});
    }
  return p;
}

Picture MaskedPattern() {
  Picture p(32, 32);
  const double cx[4] = {8, 24, 8, 24}, cy[4] = {8, 8, 24, 24};
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      double v = 0.19 + 0.025 * (ValueNoise(x, y, 8, 4, 4, 21) - 0.5);
      bool hole = false;
      for (int k = 0; k < 4; ++k) {
        const double dx = x + 0.5 - cx[k], dy = y + 0.5 - cy[k];
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < 4.2)
          hole = true;
        else if (d < 5.6) {
          // Bevelled rim: lit on the lower right inside edge, shaded top left.
          const double lit = (dx + dy) / d;
          v = 0.19 + 0.09 * lit;
        }
      }
      p.At(x, y) = hole ? kMagenta : ToRgb(Col{v, v * 1.02, v * 1.1});
    }
  return p;
}

Picture StonePattern() {
  Picture p(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      const double n = TileNoise(x, y, 32, 4, 64, 64, 31);
      const double fine = TileNoise(x, y, 8, 2, 64, 64, 32);
      double v = 0.36 + 0.16 * (n - 0.5) + 0.08 * (fine - 0.5);
      const double grain = HashUnit(x, y, 33);
      if (grain > 0.94) v -= 0.09;
      if (grain < 0.04) v += 0.10;
      p.At(x, y) = ToRgb(Col{v * 1.02, v, v * 0.98});
    }
  return p;
}

Picture BrushPattern() {
  Picture p(30, 30);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 30; ++x) {
      const double a = ValueNoise(x, y * 15.0, 15, 2, 30, 41);
      const double b = ValueNoise(x, y * 5.0, 5, 6, 30, 42);
      const double v =
          0.66 + 0.06 * (a - 0.5) + 0.04 * (b - 0.5) + 0.012 * (HashUnit(x, y, 43) - 0.5);
      p.At(x, y) = ToRgb(Col{v, v * 1.005, v * 1.025});
    }
  return p;
}

Picture ChromePattern() {
  Picture p(24, 29);
  struct Stop {
    double t;
    Col c;
  };
  // Sky above the horizon, a darker ground reflection below it.
  const Stop stops[] = {{0.00, {0.95, 0.96, 0.99}},
                        {0.40, {0.76, 0.80, 0.88}},
                        {0.52, {0.50, 0.52, 0.58}},
                        {0.60, {0.62, 0.62, 0.65}},
                        {1.00, {0.88, 0.88, 0.90}}};
  for (int y = 0; y < 29; ++y) {
    const double t = y / 28.0;
    Col c = stops[0].c;
    for (int k = 0; k + 1 < 5; ++k)
      if (t >= stops[k].t && t <= stops[k + 1].t)
        c = Mix(stops[k].c, stops[k + 1].c, (t - stops[k].t) / (stops[k + 1].t - stops[k].t));
    for (int x = 0; x < 24; ++x) {
      const double s = 1.0 + 0.04 * (ValueNoise(x, y * 6.0, 6, 4, 29, 51) - 0.5);
      p.At(x, y) = ToRgb(c * s);
    }
  }
  return p;
}

}  // namespace assetgen
