// keyprobe's fixed test picture, as a function of the pixel, so that a
// screenshot can be checked against it pixel for pixel. Every colour has
// components of only 0x00 and 0xFF, which a 5-6-5 screen holds exactly, so
// the picture looks the same in 16 and 32 bits.
//
// For the 640 x 480 screen:
// - a red (FF0000) frame one pixel wide along the outermost rows and columns
//   (x = 0, x = 639, y = 0, y = 479);
// - rows 1 to 239: eight colour bars, each 80 pixels wide, from the left
//   white FFFFFF (x 0-79), yellow FFFF00 (80-159), cyan 00FFFF (160-239),
//   green 00FF00 (240-319), magenta FF00FF (320-399), red FF0000 (400-479),
//   blue 0000FF (480-559), black 000000 (560-639);
// - rows 240 to 478: a white 1-pixel grid on black, lines at every x that is
//   a multiple of 16 and every y = 240 + a multiple of 16 (240, 256, ... 464);
// - over the grid a 64 x 64 checkerboard of single pixels at x 560-623,
//   y 400-463, white where x + y is odd, black where it is even. Any
//   smoothing in the scaling would turn it grey.
// Other sizes scale the bar widths and move the grid and the checkerboard
// with the picture's size in the same way.
#pragma once

#include <cstdint>

namespace keyprobe {

constexpr uint32_t kBarColours[8] = {0xFFFFFF, 0xFFFF00, 0x00FFFF, 0x00FF00,
                                     0xFF00FF, 0xFF0000, 0x0000FF, 0x000000};
constexpr uint32_t kFrameColour = 0xFF0000;
constexpr uint32_t kGridColour = 0xFFFFFF;
constexpr int32_t kGridStep = 16;
constexpr int32_t kCheckerSize = 64;

// The colour (0x00RRGGBB) of pixel (x, y) of a width x height picture.
constexpr uint32_t TestPictureColour(int32_t x, int32_t y, int32_t width, int32_t height) {
  if (x == 0 || y == 0 || x == width - 1 || y == height - 1) return kFrameColour;
  const int32_t half = height / 2;
  if (y < half) return kBarColours[static_cast<int64_t>(x) * 8 / width];
  const int32_t checkerX = width - 80, checkerY = height - 80;
  if (x >= checkerX && x < checkerX + kCheckerSize && y >= checkerY &&
      y < checkerY + kCheckerSize) {
    return (x + y) % 2 == 1 ? 0xFFFFFF : 0x000000;
  }
  if (x % kGridStep == 0 || (y - half) % kGridStep == 0) return kGridColour;
  return 0x000000;
}

}  // namespace keyprobe
