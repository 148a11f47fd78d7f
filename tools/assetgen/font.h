// A tiny 5 × 7 pixel font of our own for labels and signs.
#pragma once

#include <string_view>

#include "picture.h"

namespace assetgen {

constexpr int kGlyphW = 5, kGlyphH = 7;

// Draws `text` with its top-left at (x, y), each font pixel as a
// `scale` × `scale` block; lower-case letters are drawn as capitals.
// Returns the x after the last glyph.
int DrawText(Picture& pic, int x, int y, std::string_view text, Rgb colour, int scale = 1);
int TextWidth(std::string_view text, int scale = 1);
// True when the glyph of `c` has its pixel (gx, gy) set.
bool GlyphPixel(char c, int gx, int gy);

}  // namespace assetgen
