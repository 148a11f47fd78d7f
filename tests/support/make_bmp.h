// Builds BMP files in memory for the loader tests and the pictures other
// tests write.
#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace wimmel::test {

inline void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A BMP with a 40-byte header. pixel(x, y) gives 0x00RRGGBB for 24/32-bit
// files and a palette index for 1/4/8-bit ones; y counts from the top of the
// picture. A negative height writes the rows top-down.
template <typename PixelFn>
std::vector<uint8_t> MakeBmp(int32_t width, int32_t height, int bits,
                             const std::vector<uint32_t>& palette, PixelFn pixel) {
  const int64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
  const int64_t rowSize = (static_cast<int64_t>(width) * bits + 31) / 32 * 4;
  const size_t offset = 54 + 4 * palette.size();
  std::vector<uint8_t> b(offset + rowSize * rows, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(b.size()));
  Put32(b, 10, static_cast<uint32_t>(offset));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<uint32_t>(width));
  Put32(b, 22, static_cast<uint32_t>(height));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<uint32_t>(bits));
  for (size_t i = 0; i < palette.size(); ++i) Put32(b, 54 + 4 * i, palette[i]);
  for (int64_t fileRow = 0; fileRow < rows; ++fileRow) {
    const int64_t y = height < 0 ? fileRow : rows - 1 - fileRow;
    uint8_t* row = b.data() + offset + fileRow * rowSize;
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t v = pixel(x, static_cast<int32_t>(y));
      switch (bits) {
        case 1:
          row[x / 8] |= static_cast<uint8_t>((v & 1) << (7 - x % 8));
          break;
        case 4:
          row[x / 2] |= static_cast<uint8_t>((v & 15) << (x % 2 ? 0 : 4));
          break;
        case 8:
          row[x] = static_cast<uint8_t>(v);
          break;
        case 24:
          row[3 * x] = static_cast<uint8_t>(v);
          row[3 * x + 1] = static_cast<uint8_t>(v >> 8);
          row[3 * x + 2] = static_cast<uint8_t>(v >> 16);
          break;
        case 32:
          for (int i = 0; i < 4; ++i) row[4 * x + i] = static_cast<uint8_t>(v >> (8 * i));
          break;
      }
    }
  }
  return b;
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace wimmel::test
