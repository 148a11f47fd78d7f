// How the screen's picture becomes the pixels of a display's target (a
// window's surface, a canvas): where it lies in the target, scaled by
// nearest neighbour, and each screen pixel (5-6-5 for 15 and 16 bits,
// 0xAARRGGBB for 24 and 32) converted to the target's pixel format. Free of
// any window system and of threads, so every display shares it and a test
// can check it pixel by pixel.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"

namespace wimmel::rt {

// A target's pixels: 2, 3 or 4 bytes each, read as a little-endian number
// in which each colour has its mask of contiguous bits. The bits of
// alphaMask are always set (the picture is opaque).
struct PixelFormat {
  int32_t bytesPerPixel = 4;
  uint32_t redMask = 0x00FF0000;
  uint32_t greenMask = 0x0000FF00;
  uint32_t blueMask = 0x000000FF;
  uint32_t alphaMask = 0;
  bool operator==(const PixelFormat&) const = default;
};
// 0x00RRGGBB in 32 bits, the usual window format (the top byte unused).
inline constexpr PixelFormat kXrgb8888{4, 0x00FF0000, 0x0000FF00, 0x000000FF, 0};
// Red, green, blue and an opaque alpha byte in that order in memory, as a
// canvas holds them.
inline constexpr PixelFormat kRgbaBytes{4, 0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
inline constexpr PixelFormat kRgb565{2, 0xF800, 0x07E0, 0x001F, 0};

// The target pixel of a colour 0x..RRGGBB: each 8-bit component keeps its
// top bits where its mask is narrower and repeats them where it is wider.
uint32_t EncodePixel(const PixelFormat& format, uint32_t rgb);

// Where the screen picture lies in a target of outW x outH pixels: centred,
// as large as whole-number scaling allows, and when not even 1:1 fits, the
// largest picture with the screen's aspect.
struct Placement {
  int32_t x = 0, y = 0, w = 0, h = 0;
  bool operator==(const Placement&) const = default;
};
Placement PlaceScreen(int32_t outW, int32_t outH, int32_t screenW, int32_t screenH);

// The screen a converter was made for.
struct ScreenShape {
  int32_t width = 0, height = 0, bytesPerPixel = 0;
  bool operator==(const ScreenShape&) const = default;
};
inline ScreenShape ShapeOf(const ImageData& image) {
  return {image.width, image.height, image.bytesPerPixel};
}

// Copies rectangles of the screen into a target, for one screen shape, one
// placement and one target format; the tables that make this fast (screen
// column for each target column, target pixel for each 5-6-5 value) are
// built once by Prepare. A screen of another shape is never read: Copy
// writes nothing for it, and the display must prepare again first.
class PictureConverter {
 public:
  PictureConverter();
  ~PictureConverter();
  PictureConverter(const PictureConverter&) = delete;
  PictureConverter& operator=(const PictureConverter&) = delete;

  void Prepare(const ScreenShape& screen, const Placement& placement, const PixelFormat& format);
  // Forgets the preparation; Copy writes nothing until the next Prepare.
  void Reset();
  bool PreparedFor(const ScreenShape& screen) const { return prepared_ && shape_ == screen; }
  const ScreenShape& Shape() const { return shape_; }
  const Placement& Where() const { return placement_; }
  const PixelFormat& Format() const { return format_; }

  // Writes the target pixels that show the screen's rectangle r (clipped to
  // the screen) into target, pitch bytes per row, where target points at the
  // target's pixel (originX, originY) (a locked part of a texture starts
  // there). Returns the target rectangle written; empty when nothing was (r
  // is empty, or the screen is not the shape prepared for).
  Placement Copy(const ImageData& screen, const ScreenRect& r, uint8_t* target, int32_t pitch,
                 int32_t originX = 0, int32_t originY = 0) const;

 private:
  void ConvertRow(const uint8_t* in, int32_t x0, int32_t width, uint8_t* out) const;

  bool prepared_ = false;
  ScreenShape shape_;
  Placement placement_;
  PixelFormat format_;
  bool unscaled_ = false;
  bool xrgb_ = false;                  // the target's format is kXrgb8888
  bool rgba_ = false;                  // the target's format is kRgbaBytes
  std::vector<int32_t> columnSource_;  // for each target column of the picture, its screen column
  std::unique_ptr<std::array<uint32_t, 65536>> from565_;  // 16-bit screens only
  // Component shifts for 32-bit screens into other formats than kXrgb8888.
  int32_t shift_[3] = {0, 0, 0};
  int32_t bits_[3] = {0, 0, 0};
};

}  // namespace wimmel::rt
