// A small, strict reader for the BMP files the generator writes, so the
// tests look at the files exactly as they lie on disk.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace assettest {

inline std::string DataDir() {
  return WIMMEL_DATA_DIR;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool IsMagenta() const { return r == 255 && g == 0 && b == 255; }
  double Luma() const { return 0.299 * r + 0.587 * g + 0.114 * b; }
};

struct Bmp {
  std::string error;  // empty when the file was read
  int32_t width = 0, height = 0;
  int bits = 0;
  uint32_t headerSize = 0, offset = 0;
  std::vector<Rgb> px;  // top row first
  const Rgb& At(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t{b[at + 3]} << 24);
}
inline uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

inline Bmp ReadBmp(const std::string& path) {
  Bmp bmp;
  const auto b = ReadBytes(path);
  if (b.size() < 54) return bmp.error = "missing or shorter than a BMP header", bmp;
  if (b[0] != 'B' || b[1] != 'M') return bmp.error = "no BM signature", bmp;
  bmp.offset = Le32(b, 10);
  bmp.headerSize = Le32(b, 14);
  bmp.width = static_cast<int32_t>(Le32(b, 18));
  bmp.height = static_cast<int32_t>(Le32(b, 22));
  bmp.bits = Le16(b, 28);
  if (bmp.headerSize != 40) return bmp.error = "header is not 40 bytes", bmp;
  if (Le16(b, 26) != 1) return bmp.error = "planes is not 1", bmp;
  if (Le32(b, 30) != 0) return bmp.error = "compressed", bmp;
  if (bmp.width <= 0 || bmp.height <= 0) return bmp.error = "not a bottom-up picture", bmp;
  if (bmp.bits != 4 && bmp.bits != 8 && bmp.bits != 24) return bmp.error = "unexpected depth", bmp;
  if (bmp.offset < 54 || (bmp.offset - 54) % 4 != 0) return bmp.error = "bad pixel offset", bmp;
  const size_t paletteCount = (bmp.offset - 54) / 4;
  if (bmp.bits < 24 && (paletteCount == 0 || paletteCount > (size_t{1} << bmp.bits)))
    return bmp.error = "bad palette size", bmp;
  const size_t row = ((static_cast<size_t>(bmp.width) * bmp.bits + 31) / 32) * 4;
  if (b.size() < bmp.offset + row * bmp.height) return bmp.error = "truncated", bmp;
  bmp.px.resize(static_cast<size_t>(bmp.width) * bmp.height);
  for (int y = 0; y < bmp.height; ++y) {
    const size_t r = bmp.offset + row * static_cast<size_t>(bmp.height - 1 - y);
    for (int x = 0; x < bmp.width; ++x) {
      Rgb c;
      if (bmp.bits == 24) {
        c = {b[r + 3 * x + 2], b[r + 3 * x + 1], b[r + 3 * x]};
      } else {
        const unsigned idx = bmp.bits == 8 ? b[r + x] : ((b[r + x / 2] >> (x % 2 ? 0 : 4)) & 15);
        if (idx >= paletteCount) return bmp.error = "pixel beyond the palette", bmp;
        const size_t p = 54 + 4 * idx;
        c = {b[p + 2], b[p + 1], b[p]};
      }
      bmp.px[static_cast<size_t>(y) * bmp.width + x] = c;
    }
  }
  return bmp;
}

}  // namespace assettest
