// Drawing: rectangle copies, lines, boxes, circles and single pixels. Every
// operation clips first and then touches only visible pixels, so a shape
// reaching far beyond the target costs no more than what shows of it.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "runtime/internal.h"

namespace wimmel::rt {

using namespace detail;

namespace {

inline void Plot(ImageData& img, int32_t x, int32_t y, uint32_t value) {
  uint8_t* line = img.pixels + static_cast<size_t>(y) * img.pitch;
  if (img.bytesPerPixel == 2) {
    reinterpret_cast<uint16_t*>(line)[x] = static_cast<uint16_t>(value);
  } else {
    reinterpret_cast<uint32_t*>(line)[x] = value;
  }
}

// Fills the box [x0, x1] x [y0, y1] (inclusive, any values) clipped to img.
void FillBoxClipped(ImageData& img, int64_t x0, int64_t y0, int64_t x1, int64_t y1, uint32_t value,
                    bool isScreen) {
  x0 = std::max<int64_t>(x0, 0);
  y0 = std::max<int64_t>(y0, 0);
  x1 = std::min<int64_t>(x1, img.width - 1);
  y1 = std::min<int64_t>(y1, img.height - 1);
  if (x0 > x1 || y0 > y1) return;
  FillRect(img, static_cast<int32_t>(x0), static_cast<int32_t>(y0),
           static_cast<int32_t>(x1 - x0 + 1), static_cast<int32_t>(y1 - y0 + 1), value);
  if (isScreen) {
    MarkRect(static_cast<int32_t>(x0), static_cast<int32_t>(y0), static_cast<int32_t>(x1),
             static_cast<int32_t>(y1));
  }
}

// The line from (x1, y1) to (x2, y2): along the major axis every step, the
// minor coordinate at step i is the start plus floor((2 i d + D) / (2 D)),
// which is what Bresenham's error walk produces. The visible steps are found
// first, so only they are walked.
void Line(ImageData& img, int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t value,
          bool isScreen) {
  const int64_t dx = x2 - x1, dy = y2 - y1;
  const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
  // Work in (major, minor) coordinates.
  const int64_t a0 = xMajor ? x1 : y1, b0 = xMajor ? y1 : x1;
  const int64_t da = xMajor ? dx : dy, db = xMajor ? dy : dx;
  const int64_t sa = da < 0 ? -1 : 1, sb = db < 0 ? -1 : 1;
  const int64_t D = da < 0 ? -da : da, d = db < 0 ? -db : db;
  const int64_t aSize = xMajor ? img.width : img.height;
  const int64_t bSize = xMajor ? img.height : img.width;

  auto minorAt = [&](int64_t i) -> int64_t {
    if (D == 0) return b0;
    const __int128 num = static_cast<__int128>(2) * i * d + D;
    return b0 + sb * static_cast<int64_t>(num / (2 * static_cast<__int128>(D)));
  };
  // Steps whose major coordinate lies in [0, aSize - 1].
  int64_t lo = 0, hi = D;
  if (sa > 0) {
    lo = std::max(lo, -a0);
    hi = std::min(hi, aSize - 1 - a0);
  } else {
    lo = std::max(lo, a0 - (aSize - 1));
    hi = std::min(hi, a0);
  }
  if (lo > hi) return;
  // The minor coordinate is monotone in i; narrow [lo, hi] to where it lies
  // within [0, bSize - 1] by binary search.
  auto inMinor = [&](int64_t i) {
    const int64_t b = minorAt(i);
    return b >= 0 && b < bSize;
  };
  auto beforeRange = [&](int64_t i) {  // minor coordinate not yet reached the target
    const int64_t b = minorAt(i);
    return sb > 0 ? b < 0 : b >= bSize;
  };
  if (!inMinor(lo)) {
    if (!beforeRange(lo)) return;
    int64_t l = lo, h = hi + 1;  // first i with !beforeRange
    while (l < h) {
      const int64_t m = l + (h - l) / 2;
      if (beforeRange(m)) {
        l = m + 1;
      } else {
        h = m;
      }
    }
    lo = l;
    if (lo > hi || !inMinor(lo)) return;
  }
  if (!inMinor(hi)) {
    int64_t l = lo, h = hi;  // last i with inMinor
    while (l < h) {
      const int64_t m = l + (h - l + 1) / 2;
      if (inMinor(m)) {
        l = m;
      } else {
        h = m - 1;
      }
    }
    hi = l;
  }
  // Walk the visible steps incrementally from the state at lo.
  int64_t b = minorAt(lo);
  int64_t rem = 0;
  if (D > 0) {
    const __int128 num = static_cast<__int128>(2) * lo * d + D;
    rem = static_cast<int64_t>(num % (2 * static_cast<__int128>(D)));
  }
  int64_t a = a0 + sa * lo;
  int64_t minRow = INT64_MAX, maxRow = INT64_MIN, minColumn = INT64_MAX, maxColumn = INT64_MIN;
  for (int64_t i = lo; i <= hi; ++i) {
    const int64_t x = xMajor ? a : b, y = xMajor ? b : a;
    Plot(img, static_cast<int32_t>(x), static_cast<int32_t>(y), value);
    minRow = std::min(minRow, y);
    maxRow = std::max(maxRow, y);
    minColumn = std::min(minColumn, x);
    maxColumn = std::max(maxColumn, x);
    a += sa;
    rem += 2 * d;
    if (rem >= 2 * D && D > 0) {
      rem -= 2 * D;
      b += sb;
    }
  }
  if (isScreen) {
    MarkRect(static_cast<int32_t>(minColumn), static_cast<int32_t>(minRow),
             static_cast<int32_t>(maxColumn), static_cast<int32_t>(maxRow));
  }
}

}  // namespace

int32_t PutImage(Image target, int32_t x, int32_t y, Image image, int32_t srcX, int32_t srcY,
                 int32_t srcW, int32_t srcH, PutMode mode) noexcept {
  if (!image || !ScreenOpen()) return 1;
  bool isScreen = false;
  ImageData* dst = ResolveTarget(target, isScreen);
  if (!dst) return 1;
  ScreenGuard guard(isScreen);
  if (image->bytesPerPixel != dst->bytesPerPixel) return 1;

  int64_t sx = srcX, sy = srcY, w = srcW, h = srcH, dx = x, dy = y;
  // The source rectangle within the image...
  if (sx < 0) {
    w += sx;
    dx -= sx;
    sx = 0;
  }
  if (sy < 0) {
    h += sy;
    dy -= sy;
    sy = 0;
  }
  w = std::min<int64_t>(w, image->width - sx);
  h = std::min<int64_t>(h, image->height - sy);
  // ...then its place within the target.
  if (dx < 0) {
    w += dx;
    sx -= dx;
    dx = 0;
  }
  if (dy < 0) {
    h += dy;
    sy -= dy;
    dy = 0;
  }
  w = std::min<int64_t>(w, dst->width - dx);
  h = std::min<int64_t>(h, dst->height - dy);
  if (w <= 0 || h <= 0) return 0;

  const int32_t bpp = dst->bytesPerPixel;
  const uint8_t* s = image->pixels + sy * image->pitch + sx * bpp;
  uint8_t* d = dst->pixels + dy * dst->pitch + dx * bpp;
  const auto count = static_cast<int32_t>(w);
  if (mode == PutMode::Transparent) {
    const RectCopy copy = bpp == 2 ? ActiveBlitters().keyed16 : ActiveBlitters().keyed32;
    copy(d, dst->pitch, s, image->pitch, count, static_cast<int32_t>(h));
  } else {
    const size_t bytes = static_cast<size_t>(w) * bpp;
    if (image == dst) {
      // Copying within one image: rows may overlap, and the order of rows
      // must not read a row already overwritten.
      if (dy > sy) {
        for (int64_t row = h - 1; row >= 0; --row) {
          std::memmove(d + row * dst->pitch, s + row * image->pitch, bytes);
        }
      } else {
        for (int64_t row = 0; row < h; ++row) {
          std::memmove(d + row * dst->pitch, s + row * image->pitch, bytes);
        }
      }
    } else {
      ActiveBlitters().copyRows(d, dst->pitch, s, image->pitch, static_cast<int32_t>(bytes),
                                static_cast<int32_t>(h));
    }
  }
  if (isScreen) {
    MarkRect(static_cast<int32_t>(dx), static_cast<int32_t>(dy), static_cast<int32_t>(dx + w - 1),
             static_cast<int32_t>(dy + h - 1));
  }
  return 0;
}

void DrawLine(Image target, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
              int32_t kind) {
  if (!ScreenOpen()) return;
  bool isScreen = false;
  ImageData* img = ResolveTarget(target, isScreen);
  if (!img) return;
  ScreenGuard guard(isScreen);
  const uint32_t value = NativeColour(*img, colour);
  const int64_t left = std::min(x1, x2), right = std::max(x1, x2);
  const int64_t top = std::min(y1, y2), bottom = std::max(y1, y2);
  switch (kind) {
    case 0:
      Line(*img, x1, y1, x2, y2, value, isScreen);
      break;
    case 1:
      FillBoxClipped(*img, left, top, right, top, value, isScreen);
      FillBoxClipped(*img, left, bottom, right, bottom, value, isScreen);
      FillBoxClipped(*img, left, top, left, bottom, value, isScreen);
      FillBoxClipped(*img, right, top, right, bottom, value, isScreen);
      break;
    case 2:
      FillBoxClipped(*img, left, top, right, bottom, value, isScreen);
      break;
    default:
      break;
  }
}

void DrawCircle(Image target, int32_t x, int32_t y, int32_t radius, uint32_t colour) {
  if (!ScreenOpen() || radius < 0) return;
  bool isScreen = false;
  ImageData* img = ResolveTarget(target, isScreen);
  if (!img) return;
  ScreenGuard guard(isScreen);
  const uint32_t value = NativeColour(*img, colour);
  // The aspect is the ratio of the vertical to the horizontal radius; the
  // given radius is the larger of the two.
  const ImageData& screen = Screen();
  const double aspect = (screen.height * 4.0) / (screen.width * 3.0);
  const double rx = aspect > 1.0 ? radius / aspect : radius;
  const double ry = aspect > 1.0 ? static_cast<double>(radius) : radius * aspect;
  const int64_t cx = x, cy = y;
  int64_t minRow = INT64_MAX, maxRow = INT64_MIN, minColumn = INT64_MAX, maxColumn = INT64_MIN;
  auto plot = [&](int64_t px, int64_t py) {
    if (px >= 0 && py >= 0 && px < img->width && py < img->height) {
      Plot(*img, static_cast<int32_t>(px), static_cast<int32_t>(py), value);
      minRow = std::min(minRow, py);
      maxRow = std::max(maxRow, py);
      minColumn = std::min(minColumn, px);
      maxColumn = std::max(maxColumn, px);
    }
  };
  if (radius == 0) {
    plot(cx, cy);
  } else {
    // One pass over the visible rows and one over the visible columns; each
    // pass alone leaves gaps where the outline runs flat in its direction.
    const auto ryi = static_cast<int64_t>(std::floor(ry));
    const auto rxi = static_cast<int64_t>(std::floor(rx));
    const int64_t rowLo = std::max<int64_t>(cy - ryi, 0);
    const int64_t rowHi = std::min<int64_t>(cy + ryi, img->height - 1);
    for (int64_t py = rowLo; py <= rowHi; ++py) {
      const double t = static_cast<double>(py - cy) / ry;
      const double off = rx * std::sqrt(std::max(0.0, 1.0 - t * t));
      const auto o = static_cast<int64_t>(std::nearbyint(off));
      plot(cx - o, py);
      plot(cx + o, py);
    }
    const int64_t colLo = std::max<int64_t>(cx - rxi, 0);
    const int64_t colHi = std::min<int64_t>(cx + rxi, img->width - 1);
    for (int64_t px = colLo; px <= colHi; ++px) {
      const double t = static_cast<double>(px - cx) / rx;
      const double off = ry * std::sqrt(std::max(0.0, 1.0 - t * t));
      const auto o = static_cast<int64_t>(std::nearbyint(off));
      plot(px, cy - o);
      plot(px, cy + o);
    }
  }
  if (isScreen && minRow <= maxRow) {
    MarkRect(static_cast<int32_t>(minColumn), static_cast<int32_t>(minRow),
             static_cast<int32_t>(maxColumn), static_cast<int32_t>(maxRow));
  }
}

namespace detail {

namespace {

template <typename Pixel>
void DrawMonoRows(ImageData& img, bool isScreen, int64_t x, int64_t y, const uint32_t* rows,
                  int32_t c0, int32_t c1, int32_t r0, int32_t r1, uint32_t ink,
                  const uint32_t* paper) {
  const uint32_t visible = (~uint32_t{0} >> (32 - (c1 - c0))) << c0;
  const auto inkPixel = static_cast<Pixel>(ink);
  int32_t top = r1, bottom = -1, left = c1, right = -1;  // what was drawn, in glyph cells
  for (int32_t r = r0; r < r1; ++r) {
    auto* line = reinterpret_cast<Pixel*>(img.pixels + static_cast<size_t>(y + r) * img.pitch);
    uint32_t bits = rows[r] & visible;
    if (paper) {
      const auto paperPixel = static_cast<Pixel>(*paper);
      for (int32_t c = c0; c < c1; ++c) line[x + c] = ((bits >> c) & 1) ? inkPixel : paperPixel;
      continue;
    }
    if (bits == 0) continue;
    top = std::min(top, r);
    bottom = r;
    left = std::min(left, std::countr_zero(bits));
    right = std::max(right, 31 - std::countl_zero(bits));
    for (; bits != 0; bits &= bits - 1) line[x + std::countr_zero(bits)] = inkPixel;
  }
  if (paper) top = r0, bottom = r1 - 1, left = c0, right = c1 - 1;
  if (isScreen && bottom >= top) {
    MarkRect(static_cast<int32_t>(x + left), static_cast<int32_t>(y + top),
             static_cast<int32_t>(x + right), static_cast<int32_t>(y + bottom));
  }
}

}  // namespace

void DrawMonoBits(ImageData& img, bool isScreen, int64_t x, int64_t y, const uint32_t* rows,
                  int32_t width, int32_t height, uint32_t ink, const uint32_t* paper) {
  // The glyph's columns [c0, c1) and rows [r0, r1) that lie on the image.
  const auto c0 = static_cast<int32_t>(std::clamp<int64_t>(-x, 0, 32));
  const int64_t columns = std::clamp(width, 0, 32), lines = std::max(height, 0);
  const auto c1 = static_cast<int32_t>(std::clamp<int64_t>(img.width - x, 0, columns));
  const auto r0 = static_cast<int32_t>(std::clamp<int64_t>(-y, 0, lines));
  const auto r1 = static_cast<int32_t>(std::clamp<int64_t>(img.height - y, 0, lines));
  if (c0 >= c1 || r0 >= r1) return;
  if (img.bytesPerPixel == 2) {
    DrawMonoRows<uint16_t>(img, isScreen, x, y, rows, c0, c1, r0, r1, ink, paper);
  } else {
    DrawMonoRows<uint32_t>(img, isScreen, x, y, rows, c0, c1, r0, r1, ink, paper);
  }
}

}  // namespace detail

void DrawMonoGlyph(Image target, int32_t x, int32_t y, const uint32_t* rows, int32_t width,
                   int32_t height, uint32_t colour) {
  if (!ScreenOpen() || rows == nullptr) return;
  bool isScreen = false;
  ImageData* img = ResolveTarget(target, isScreen);
  if (!img) return;
  ScreenGuard guard(isScreen);
  DrawMonoBits(*img, isScreen, x, y, rows, width, height, NativeColour(*img, colour), nullptr);
}

void SetPixel(Image target, int32_t x, int32_t y, uint32_t colour) {
  if (!ScreenOpen()) return;
  bool isScreen = false;
  ImageData* img = ResolveTarget(target, isScreen);
  if (!img) return;
  ScreenGuard guard(isScreen);
  if (x < 0 || y < 0 || x >= img->width || y >= img->height) return;
  Plot(*img, x, y, NativeColour(*img, colour));
  if (isScreen) MarkRect(x, y, x, y);
}

}  // namespace wimmel::rt
