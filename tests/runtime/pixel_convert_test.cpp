// The conversion of the screen's picture into a display's pixels, checked
// pixel by pixel: every screen depth into the formats windows and canvases
// use, the placement and nearest-neighbour scaling, rectangles, and a
// screen of another shape than the one prepared for.
#include "runtime/pixel_convert.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

namespace {

// A target buffer filled with a byte no conversion writes by itself.
struct Target {
  Target(int32_t w, int32_t h, int32_t bytes)
      : width(w),
        height(h),
        bytesPerPixel(bytes),
        pitch(w * bytes + 3),
        pixels(static_cast<size_t>(pitch) * h, 0xA5) {}
  uint32_t At(int32_t x, int32_t y) const {
    uint32_t v = 0;
    std::memcpy(&v, pixels.data() + static_cast<size_t>(y) * pitch + x * bytesPerPixel,
                static_cast<size_t>(bytesPerPixel));
    return v;
  }
  int32_t width, height, bytesPerPixel, pitch;
  std::vector<uint8_t> pixels;
};

std::string FormatName(const rt::PixelFormat& f) {
  char text[96];
  std::snprintf(text, sizeof text, "%d bytes R%08X G%08X B%08X A%08X", f.bytesPerPixel, f.redMask,
                f.greenMask, f.blueMask, f.alphaMask);
  return text;
}

TEST(PixelConvertTest, EncodePixelPutsEachComponentIntoItsMask) {
  EXPECT_EQ(rt::EncodePixel(rt::kXrgb8888, 0xFF123456), 0x00123456u);
  EXPECT_EQ(rt::EncodePixel(rt::kRgbaBytes, 0x00123456), 0xFF563412u);
  EXPECT_EQ(rt::EncodePixel(rt::kRgb565, 0x123456), 0x11AAu);
  EXPECT_EQ(rt::EncodePixel(rt::kRgb565, 0xFFFFFF), 0xFFFFu);
  EXPECT_EQ(rt::EncodePixel(rt::kRgb565, 0x000400), 0x0020u);
  const rt::PixelFormat bgr24{3, 0x0000FF, 0x00FF00, 0xFF0000, 0};
  EXPECT_EQ(rt::EncodePixel(bgr24, 0x123456), 0x563412u);
  const rt::PixelFormat rgb555{2, 0x7C00, 0x03E0, 0x001F, 0x8000};
  EXPECT_EQ(rt::EncodePixel(rgb555, 0xFF0408), 0xFC01u);
  // Ten bits a component: the eight are repeated from the top.
  const rt::PixelFormat argb2101010{4, 0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000};
  EXPECT_EQ(rt::EncodePixel(argb2101010, 0xFF8001),
            0xC0000000u | 0x3FF00000u | (0x202u << 10) | 0x004u);
}

// The stored pixels of a screen of each depth, in every target format:
// colours set through the runtime on a headless screen, the expected target
// pixels written out by hand.
struct DepthCase {
  int32_t depth;
  uint32_t colour;
  uint32_t xrgb, rgba, rgb565, bgr24;
};

TEST(PixelConvertTest, EveryScreenDepthIntoEveryTargetFormatExactly) {
  const DepthCase cases[] = {
      // 32 and 24 bits keep every component.
      {32, 0xFF123456, 0x123456, 0xFF563412, 0x11AA, 0x563412},
      {32, 0xFF000400, 0x000400, 0xFF000400, 0x0020, 0x000400},
      {32, 0xFF000300, 0x000300, 0xFF000300, 0x0000, 0x000300},
      {32, 0xFF808080, 0x808080, 0xFF808080, 0x8410, 0x808080},
      {24, 0xFFFEDCBA, 0xFEDCBA, 0xFFBADCFE, 0xFEF7, 0xBADCFE},
      {24, 0xFF0000FF, 0x0000FF, 0xFFFF0000, 0x001F, 0xFF0000},
      // 16 and 15 bits hold 5-6-5; each component's top bits repeat into
      // the bits below, so white stays white and the lowest green step shows.
      {16, 0xFF123456, 0x103452, 0xFF523410, 0x11AA, 0x523410},
      {16, 0xFF000400, 0x000400, 0xFF000400, 0x0020, 0x000400},
      {16, 0xFF00FC00, 0x00FF00, 0xFF00FF00, 0x07E0, 0x00FF00},
      {16, 0xFFFFFFFF, 0xFFFFFF, 0xFFFFFFFF, 0xFFFF, 0xFFFFFF},
      {15, 0xFF808080, 0x848284, 0xFF848284, 0x8410, 0x848284},
      {15, 0xFF0800F8, 0x0800FF, 0xFFFF0008, 0x081F, 0xFF0008},
  };
  const rt::PixelFormat bgr24{3, 0x0000FF, 0x00FF00, 0xFF0000, 0};
  for (const DepthCase& c : cases) {
    rt::headless::Install();
    ASSERT_EQ(rt::SetScreenMode(18, c.depth, 0, 1, 0), 0);
    rt::SetPixel(nullptr, 5, 7, c.colour);
    const rt::ImageData& screen = *rt::ScreenImage();
    const struct {
      rt::PixelFormat format;
      uint32_t want, keep;
    } targets[] = {{rt::kXrgb8888, c.xrgb, 0x00FFFFFF},
                   {rt::kRgbaBytes, c.rgba, 0xFFFFFFFF},
                   {rt::kRgb565, c.rgb565, 0xFFFF},
                   {bgr24, c.bgr24, 0xFFFFFF}};
    for (const auto& t : targets) {
      rt::PictureConverter converter;
      const rt::Placement whole{0, 0, 640, 480};
      converter.Prepare(rt::ShapeOf(screen), whole, t.format);
      Target out(640, 480, t.format.bytesPerPixel);
      const rt::Placement written =
          converter.Copy(screen, rt::ScreenRect{4, 6, 3, 3}, out.pixels.data(), out.pitch);
      EXPECT_EQ(written, (rt::Placement{4, 6, 3, 3}));
      EXPECT_EQ(out.At(5, 7) & t.keep, t.want) << "depth " << c.depth << ", colour " << std::hex
                                               << c.colour << ", " << FormatName(t.format);
      // Its neighbours are the screen's black.
      EXPECT_EQ(out.At(4, 7) & t.keep, t.format.alphaMask & t.keep) << FormatName(t.format);
    }
  }
  rt::headless::Install();
}

// Every 5-6-5 value survives the road into a 5-6-5 target and into the
// top bits of an XRGB one.
TEST(PixelConvertTest, EverySixteenBitValueKeepsItsBits) {
  constexpr int32_t kW = 256, kH = 256;
  std::vector<uint8_t> pixels(static_cast<size_t>(kW) * 2 * kH);
  for (uint32_t p = 0; p < 65536; ++p) {
    const auto v = static_cast<uint16_t>(p);
    std::memcpy(pixels.data() + p * 2, &v, 2);
  }
  const rt::ImageData screen{kW, kH, 2, kW * 2, pixels.data(), 0};
  const rt::Placement whole{0, 0, kW, kH};
  rt::PictureConverter to565, toXrgb;
  to565.Prepare(rt::ShapeOf(screen), whole, rt::kRgb565);
  toXrgb.Prepare(rt::ShapeOf(screen), whole, rt::kXrgb8888);
  Target a(kW, kH, 2), b(kW, kH, 4);
  to565.Copy(screen, rt::ScreenRect{0, 0, kW, kH}, a.pixels.data(), a.pitch);
  toXrgb.Copy(screen, rt::ScreenRect{0, 0, kW, kH}, b.pixels.data(), b.pitch);
  int32_t wrong = 0;
  for (uint32_t p = 0; p < 65536 && wrong < 5; ++p) {
    const int32_t x = static_cast<int32_t>(p % kW), y = static_cast<int32_t>(p / kW);
    const uint32_t c = b.At(x, y);
    const uint32_t back = ((c >> 8) & 0xF800) | ((c >> 5) & 0x07E0) | ((c >> 3) & 0x001F);
    if (a.At(x, y) != p || back != p) {
      ADD_FAILURE() << "5-6-5 value " << std::hex << p << " became " << a.At(x, y) << " and " << c;
      ++wrong;
    }
  }
}

// A 3 x 2 screen of 32 bits whose pixel (x, y) holds 0x10 * (y * 3 + x + 1).
struct SmallScreen {
  SmallScreen() {
    for (int32_t y = 0; y < 2; ++y) {
      for (int32_t x = 0; x < 3; ++x) {
        const uint32_t v = 0x10u * static_cast<uint32_t>(y * 3 + x + 1);
        std::memcpy(pixels + y * 16 + x * 4, &v, 4);
      }
    }
  }
  alignas(16) uint8_t pixels[32] = {};
  rt::ImageData image{3, 2, 4, 16, pixels, 0};
};

TEST(PixelConvertTest, ScaledUpByWholeStepsAndCentred) {
  SmallScreen s;
  const rt::Placement p = rt::PlaceScreen(8, 6, 3, 2);
  ASSERT_EQ(p, (rt::Placement{1, 1, 6, 4}));
  rt::PictureConverter converter;
  converter.Prepare(rt::ShapeOf(s.image), p, rt::kXrgb8888);
  Target out(8, 6, 4);
  EXPECT_EQ(converter.Copy(s.image, rt::ScreenRect{0, 0, 3, 2}, out.pixels.data(), out.pitch), p);
  const char* want[] = {
      "........",  //
      ".112233.",  //
      ".112233.",  //
      ".445566.",  //
      ".445566.",  //
      "........",
  };
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      const char w = want[y][x];
      const uint32_t expected = w == '.' ? 0xA5A5A5A5u : 0x10u * static_cast<uint32_t>(w - '0');
      EXPECT_EQ(out.At(x, y), expected) << "(" << x << ", " << y << ")";
    }
  }
}

// A canvas's rows of a 32-bit screen, long enough for any vector width and
// a rest, each pixel as EncodePixel makes it, unscaled and scaled by two.
TEST(PixelConvertTest, LongRowsIntoCanvasBytesPixelByPixel) {
  constexpr int32_t kW = 45, kH = 2;
  std::vector<uint32_t> pixels(static_cast<size_t>(kW) * kH);
  for (size_t i = 0; i < pixels.size(); ++i) {
    pixels[i] = 0x5A000000u ^ static_cast<uint32_t>(i * 0x0103F7u + 0x00C0FFEEu);
  }
  const rt::ImageData screen{kW, kH, 4, kW * 4, reinterpret_cast<uint8_t*>(pixels.data()), 0};
  for (int32_t scale : {1, 2}) {
    rt::PictureConverter converter;
    const rt::Placement whole{0, 0, kW * scale, kH * scale};
    converter.Prepare(rt::ShapeOf(screen), whole, rt::kRgbaBytes);
    Target out(kW * scale, kH * scale, 4);
    EXPECT_EQ(converter.Copy(screen, rt::ScreenRect{0, 0, kW, kH}, out.pixels.data(), out.pitch),
              whole);
    for (int32_t y = 0; y < kH * scale; ++y) {
      for (int32_t x = 0; x < kW * scale; ++x) {
        const uint32_t c = pixels[static_cast<size_t>(y / scale) * kW + x / scale];
        EXPECT_EQ(out.At(x, y), rt::EncodePixel(rt::kRgbaBytes, c))
            << "scale " << scale << " (" << x << ", " << y << ")";
      }
    }
  }
}

TEST(PixelConvertTest, OneRectangleWritesOnlyItsPixels) {
  SmallScreen s;
  rt::PictureConverter converter;
  converter.Prepare(rt::ShapeOf(s.image), rt::Placement{1, 1, 6, 4}, rt::kRgbaBytes);
  Target out(8, 6, 4);
  // Screen pixel (2, 1), and a rectangle reaching past the screen's edge.
  EXPECT_EQ(converter.Copy(s.image, rt::ScreenRect{2, 1, 5, 5}, out.pixels.data(), out.pitch),
            (rt::Placement{5, 3, 2, 2}));
  for (int32_t y = 0; y < 6; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      const bool inside = x >= 5 && x < 7 && y >= 3 && y < 5;
      EXPECT_EQ(out.At(x, y), inside ? 0xFF600000u : 0xA5A5A5A5u) << "(" << x << ", " << y << ")";
    }
  }
  EXPECT_EQ(converter.Copy(s.image, rt::ScreenRect{1, 1, 0, 1}, out.pixels.data(), out.pitch),
            rt::Placement{});
}

// A target that holds only the rectangle (a locked part of a texture).
TEST(PixelConvertTest, ATargetThatBeginsAtTheRectangle) {
  SmallScreen s;
  rt::PictureConverter converter;
  converter.Prepare(rt::ShapeOf(s.image), rt::Placement{0, 0, 3, 2}, rt::kXrgb8888);
  Target out(2, 1, 4);
  EXPECT_EQ(converter.Copy(s.image, rt::ScreenRect{1, 1, 2, 1}, out.pixels.data(), out.pitch, 1, 1),
            (rt::Placement{1, 1, 2, 1}));
  EXPECT_EQ(out.At(0, 0), 0x50u);
  EXPECT_EQ(out.At(1, 0), 0x60u);
}

TEST(PixelConvertTest, ScaledDownToTheLargestPictureThatFits) {
  // 4 x 4 screen, pixel value 1 + x + 4y, into a 2 x 3 target: 2 x 2 at (0, 0).
  alignas(16) uint8_t pixels[64] = {};
  for (uint32_t i = 0; i < 16; ++i) {
    const uint32_t v = i + 1;
    std::memcpy(pixels + i * 4, &v, 4);
  }
  const rt::ImageData screen{4, 4, 4, 16, pixels, 0};
  const rt::Placement p = rt::PlaceScreen(2, 3, 4, 4);
  ASSERT_EQ(p, (rt::Placement{0, 0, 2, 2}));
  rt::PictureConverter converter;
  converter.Prepare(rt::ShapeOf(screen), p, rt::kXrgb8888);
  Target out(2, 3, 4);
  converter.Copy(screen, rt::ScreenRect{0, 0, 4, 4}, out.pixels.data(), out.pitch);
  EXPECT_EQ(out.At(0, 0), 1u);
  EXPECT_EQ(out.At(1, 0), 3u);
  EXPECT_EQ(out.At(0, 1), 9u);
  EXPECT_EQ(out.At(1, 1), 11u);
  EXPECT_EQ(out.At(0, 2), 0xA5A5A5A5u);
}

// A screen of another size or depth than the one prepared for is never
// read: the tables were made for the other one.
TEST(PixelConvertTest, AScreenOfAnotherShapeIsNotRead) {
  SmallScreen s;
  rt::PictureConverter converter;
  converter.Prepare(rt::ScreenShape{4, 2, 4}, rt::Placement{0, 0, 8, 4}, rt::kXrgb8888);
  EXPECT_FALSE(converter.PreparedFor(rt::ShapeOf(s.image)));
  Target out(8, 4, 4);
  EXPECT_EQ(converter.Copy(s.image, rt::ScreenRect{0, 0, 3, 2}, out.pixels.data(), out.pitch),
            rt::Placement{});
  converter.Prepare(rt::ScreenShape{3, 2, 2}, rt::Placement{0, 0, 3, 2}, rt::kXrgb8888);
  EXPECT_EQ(converter.Copy(s.image, rt::ScreenRect{0, 0, 3, 2}, out.pixels.data(), out.pitch),
            rt::Placement{});
  for (uint8_t b : out.pixels) ASSERT_EQ(b, 0xA5);
  converter.Prepare(rt::ShapeOf(s.image), rt::Placement{0, 0, 3, 2}, rt::kXrgb8888);
  converter.Reset();
  EXPECT_EQ(converter.Copy(s.image, rt::ScreenRect{0, 0, 3, 2}, out.pixels.data(), out.pitch),
            rt::Placement{});
}

}  // namespace
