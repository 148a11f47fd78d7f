// The layout of an image buffer, for the runtime itself, its displays,
// tools, benchmarks and tests. Modules above the runtime never read it.
#pragma once

#include <cstdint>
#include <string>

#include "runtime.h"

namespace wimmel::rt {

struct ImageData {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bytesPerPixel = 0;  // 2 (5-6-5) or 4 (0xAARRGGBB)
  int32_t pitch = 0;          // bytes per row, a multiple of 16
  uint8_t* pixels = nullptr;  // row 0 first, 16-byte aligned
  uint32_t id = 0;
};

// Reads the stored pixel value (5-6-5 or 0xAARRGGBB); 0 outside the image.
uint32_t GetPixel(Image image, int32_t x, int32_t y);
// Reduces a 0xAARRGGBB colour to 5-6-5.
constexpr uint16_t To565(uint32_t c) {
  return static_cast<uint16_t>(((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F));
}
// Expands a 5-6-5 value to 0x00RRGGBB (for PNG output).
constexpr uint32_t From565(uint16_t p) {
  uint32_t r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
  return ((r << 3 | r >> 2) << 16) | ((g << 2 | g >> 4) << 8) | (b << 3 | b >> 2);
}
// Writes an image (null = screen) as a 24-bit PNG, whole or not at all: a
// failed write leaves the file that was there as it was. Returns false on
// failure, with the reason in why when given; nothing is printed.
bool WritePng(Image image, const char* path, std::string* why = nullptr);

}  // namespace wimmel::rt
