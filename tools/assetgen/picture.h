// Pictures in memory and their file formats: BMP (24-bit, 8-bit and 4-bit
// palette) for the program, PNG for the contact sheet and the icons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core.h"

namespace assetgen {

struct Picture {
  int w = 0, h = 0;
  std::vector<Rgb> px;

  Picture() = default;
  Picture(int width, int height, Rgb fill = kMagenta)
      : w(width), h(height), px(static_cast<size_t>(width) * height, fill) {}
  Rgb& At(int x, int y) { return px[static_cast<size_t>(y) * w + x]; }
  const Rgb& At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h; }
  bool IsMask(int x, int y) const { return At(x, y) == kMagenta; }
  void Set(int x, int y, Rgb c) {
    if (Inside(x, y)) At(x, y) = c;
  }
  // Copies `src` with its top-left at (x, y); magenta pixels of `src` are
  // skipped when `transparent` is set.
  void Paste(const Picture& src, int x, int y, bool transparent = true);
};

enum class BmpKind { kRgb24, kPalette8, kPalette4 };

// Encodes as a bottom-up BMP with a 40-byte information header. Palette
// files get a palette of the picture's own colours (reduced by median cut when
// there are too many); magenta always keeps an exact entry of its own.
std::vector<uint8_t> EncodeBmp(const Picture& pic, BmpKind kind);
std::vector<uint8_t> EncodePng(const Picture& pic);
// A PNG with an alpha channel in which the magenta pixels are transparent.
std::vector<uint8_t> EncodePngWithAlpha(const Picture& pic);

// Writes the bytes, creating missing folders. Returns false on failure.
bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

// Scales by an integer factor with nearest neighbour.
Picture Enlarge(const Picture& pic, int factor);

}  // namespace assetgen
