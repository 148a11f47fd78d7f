// Compares a screenshot of the whole X screen (binary PPM) with keyprobe's
// test picture placed at (offsetX, offsetY) and scaled by a whole number,
// black everywhere else. Every pixel must match exactly.
//
//   shotcheck SHOT.ppm SCREEN_W SCREEN_H SCALE OFFSET_X OFFSET_Y
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "keyprobe/test_picture.h"

namespace {

// Reads the next header number of a PPM, skipping blanks and comments.
bool HeaderNumber(const std::vector<uint8_t>& data, size_t& i, int64_t& value) {
  for (;;) {
    while (i < data.size() && std::isspace(data[i])) ++i;
    if (i < data.size() && data[i] == '#') {
      while (i < data.size() && data[i] != '\n') ++i;
      continue;
    }
    break;
  }
  if (i >= data.size() || !std::isdigit(data[i])) return false;
  value = 0;
  while (i < data.size() && std::isdigit(data[i]) && value < 1000000) {
    value = value * 10 + (data[i++] - '0');
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(stderr, "usage: shotcheck SHOT.ppm SCREEN_W SCREEN_H SCALE OFFSET_X OFFSET_Y\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  const int32_t screenW = std::atoi(argv[2]), screenH = std::atoi(argv[3]);
  const int32_t scale = std::atoi(argv[4]);
  const int32_t offX = std::atoi(argv[5]), offY = std::atoi(argv[6]);

  size_t i = 2;
  int64_t width = 0, height = 0, maxval = 0;
  if (data.size() < 2 || data[0] != 'P' || data[1] != '6' || !HeaderNumber(data, i, width) ||
      !HeaderNumber(data, i, height) || !HeaderNumber(data, i, maxval) || maxval != 255) {
    std::fprintf(stderr, "shotcheck: %s is not an 8-bit binary PPM\n", argv[1]);
    return 1;
  }
  ++i;  // the single blank after the header
  if (data.size() - i < static_cast<size_t>(width * height * 3)) {
    std::fprintf(stderr, "shotcheck: %s is truncated\n", argv[1]);
    return 1;
  }

  int64_t wrong = 0;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* p = &data[i + (static_cast<size_t>(y) * width + x) * 3];
      const uint32_t got = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
      const int32_t sx = x - offX, sy = y - offY;
      uint32_t want = 0;
      if (sx >= 0 && sy >= 0 && sx < screenW * scale && sy < screenH * scale) {
        want = keyprobe::TestPictureColour(sx / scale, sy / scale, screenW, screenH);
      }
      if (got != want) {
        if (wrong < 10) {
          std::fprintf(stderr, "shotcheck: pixel (%d, %d) is %06X, expected %06X\n", x, y, got,
                       want);
        }
        ++wrong;
      }
    }
  }
  if (wrong > 0) {
    std::fprintf(stderr, "shotcheck: %lld of %lld pixels differ\n", static_cast<long long>(wrong),
                 static_cast<long long>(width * height));
    return 1;
  }
  std::printf("shotcheck: all %lld pixels match\n", static_cast<long long>(width * height));
  return 0;
}
