#include "contact.h"

#include <algorithm>

#include "font.h"

namespace assetgen {

namespace {

constexpr int kGap = 12, kLabelScale = 2, kFrameGap = 3;
const Rgb kBackground{52, 54, 60}, kLabel{230, 230, 235};

int ItemWidth(const SheetItem& it) {
  if (it.frameWidth > 0) {
    const int frames = it.pic->w / it.frameWidth;
    return frames * it.frameWidth * it.scale + (frames - 1) * kFrameGap;
  }
  return std::max(it.pic->w * it.scale, TextWidth(it.label, kLabelScale));
}
int ItemHeight(const SheetItem& it) {
  return it.pic->h * it.scale + kGlyphH * kLabelScale + 4;
}

void DrawItem(Picture& sheet, const SheetItem& it, int x, int y) {
  DrawText(sheet, x, y, it.label, kLabel, kLabelScale);
  const int top = y + kGlyphH * kLabelScale + 4;
  const Picture& p = *it.pic;
  for (int py = 0; py < p.h * it.scale; ++py)
    for (int px = 0; px < p.w * it.scale; ++px) {
      const int sx = px / it.scale, sy = py / it.scale;
      int dx = px;
      if (it.frameWidth > 0) dx += (sx / it.frameWidth) * kFrameGap;
      Rgb c = p.At(sx, sy);
      if (c == kMagenta) {
        // Transparent pixels show as a checkerboard, so holes and fringes stand out.
        const bool light = ((px / 8) + (py / 8)) % 2 == 0;
        c = light ? Rgb{172, 172, 176} : Rgb{140, 140, 146};
      }
      sheet.Set(x + dx, top + py, c);
    }
}

}  // namespace

Picture ContactSheet(const std::vector<SheetItem>& items, int width) {
  // Flow layout: left to right, a new row when the next item would not fit.
  struct Placed {
    int x, y;
  };
  std::vector<Placed> at;
  int x = kGap, y = kGap, rowH = 0;
  for (const SheetItem& it : items) {
    const int w = ItemWidth(it), h = ItemHeight(it);
    if (x > kGap && x + w > width - kGap) {
      x = kGap;
      y += rowH + kGap;
      rowH = 0;
    }
    at.push_back({x, y});
    x += w + kGap;
    rowH = std::max(rowH, h);
  }
  Picture sheet(width, y + rowH + kGap, kBackground);
  for (size_t i = 0; i < items.size(); ++i) DrawItem(sheet, items[i], at[i].x, at[i].y);
  return sheet;
}

}  // namespace assetgen
