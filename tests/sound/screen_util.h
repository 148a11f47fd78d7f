// Screen snapshots for the sound tests: the message lines are compared with
// the same lines printed on a fresh screen.
#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

namespace wimmel::test {

// A 640 x 480 x 16 headless screen with the text cursor at the top left.
inline void FreshScreen() {
  rt::SetScreenMode(18, 16, 0, 1, 0);
  rt::ClearScreen();
  rt::LocateText(1, 1);
}

inline std::vector<uint8_t> Snapshot() {
  const rt::ImageData* screen = rt::ScreenImage();
  std::vector<uint8_t> bytes;
  for (int32_t y = 0; y < screen->height; ++y) {
    const uint8_t* row = screen->pixels + static_cast<size_t>(y) * screen->pitch;
    bytes.insert(bytes.end(), row, row + screen->width * screen->bytesPerPixel);
  }
  return bytes;
}

// A box in the lower right corner, far from any message line.
inline void DrawMarker() {
  rt::DrawLine(nullptr, 600, 440, 630, 470, 0xFF30C060, 2);
}

// The screen that printing `lines` on a fresh screen gives, with or without
// the marker drawn first.
inline std::vector<uint8_t> ExpectedScreen(bool marker,
                                           std::initializer_list<std::string_view> lines) {
  FreshScreen();
  if (marker) DrawMarker();
  for (std::string_view line : lines) rt::PrintLine(0, line);
  return Snapshot();
}

inline bool AnyLitPixel(int32_t y0, int32_t y1) {
  for (int32_t y = y0; y < y1; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      if (rt::GetPixel(nullptr, x, y) != 0) return true;
    }
  }
  return false;
}

}  // namespace wimmel::test
