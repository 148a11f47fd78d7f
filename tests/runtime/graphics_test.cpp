// Screen modes, images, blits, drawing, the lock and the console, checked by
// exact pixels on the headless display.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "runtime/console_font.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/internal.h"
#include "runtime/owned_image.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

namespace wimmel::rt {
void PrintTo(const ScreenRect& r, std::ostream* out) {
  *out << "{" << r.x << ", " << r.y << ", " << r.w << ", " << r.h << "}";
}
}  // namespace wimmel::rt

namespace {

// Pixel values as the 5-6-5 reduction defines them, written independently of
// To565: red bits 23-19, green 15-10, blue 7-3.
uint16_t Reduce(uint32_t c) {
  const uint32_t r = (c >> 19) & 31, g = (c >> 10) & 63, b = (c >> 3) & 31;
  return static_cast<uint16_t>(r << 11 | g << 5 | b);
}

void OpenScreen(int32_t depth, int32_t mode = 18) {
  rt::headless::Install();
  ASSERT_EQ(rt::SetScreenMode(mode, depth, 0, 1, 0), 0);
}

// Every pixel of an image, for whole-image comparisons.
std::vector<uint32_t> Pixels(rt::Image img) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < img->height; ++y) {
    for (int32_t x = 0; x < img->width; ++x) out.push_back(rt::GetPixel(img, x, y));
  }
  return out;
}

void Poke(rt::Image img, int32_t x, int32_t y, uint32_t value) {
  uint8_t* line = img->pixels + static_cast<size_t>(y) * img->pitch;
  if (img->bytesPerPixel == 2) {
    reinterpret_cast<uint16_t*>(line)[x] = static_cast<uint16_t>(value);
  } else {
    reinterpret_cast<uint32_t*>(line)[x] = value;
  }
}

// What the display would take now: the changed rectangles of the screen.
std::vector<rt::ScreenRect> Changed(size_t maxRects = 256) {
  std::vector<rt::ScreenRect> rects;
  rt::LockScreenRaw();
  rt::TakeChangedRects(rects, maxRects);
  rt::UnlockScreenRaw();
  return rects;
}

using Rects = std::vector<rt::ScreenRect>;

// ---------------------------------------------------------------- screen

TEST(Screen, ReportsDesktopBeforeAnyScreen) {
  rt::HeadlessConfig cfg;
  cfg.desktop = {1600, 900, 24};
  rt::headless::Install(cfg);
  const rt::ScreenInfo info = rt::GetScreenInfo();
  EXPECT_EQ(info.width, 1600);
  EXPECT_EQ(info.height, 900);
  EXPECT_EQ(info.depth, 24);
  EXPECT_EQ(info.driver, "");
  EXPECT_EQ(rt::ScreenImage(), nullptr);
  EXPECT_EQ(rt::CreateImage(4, 4, 0), nullptr) << "images need a screen";
}

TEST(Screen, DepthsMapToTwoFormats) {
  struct Case {
    int32_t mode, depth, width, height, reported, bpp;
  };
  for (const Case c : {Case{18, 15, 640, 480, 16, 2}, Case{19, 16, 800, 600, 16, 2},
                       Case{20, 24, 1024, 768, 32, 4}, Case{21, 32, 1280, 1024, 32, 4}}) {
    rt::headless::Install();
    ASSERT_EQ(rt::SetScreenMode(c.mode, c.depth, 0, 1, 0), 0);
    const rt::ScreenInfo info = rt::GetScreenInfo();
    EXPECT_EQ(info.width, c.width) << "depth " << c.depth;
    EXPECT_EQ(info.height, c.height);
    EXPECT_EQ(info.depth, c.reported);
    EXPECT_EQ(info.bytesPerPixel, c.bpp);
    EXPECT_EQ(info.pitch % 16, 0);
    EXPECT_GE(info.pitch, c.width * c.bpp);
    EXPECT_EQ(info.driver, "headless");
    rt::OwnedImage img(rt::CreateImage(3, 3, 0));
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->bytesPerPixel, c.bpp);
    EXPECT_EQ(rt::MaskColour(), c.bpp == 2 ? 0xF81Fu : 0xFF00FFu);
  }
}

TEST(Screen, RejectsBadModesAndSizes) {
  EXPECT_NE(rt::SetScreenMode(17, 32, 0, 1, 0), 0);
  EXPECT_NE(rt::SetScreenMode(22, 32, 0, 1, 0), 0);
  EXPECT_NE(rt::SetScreenMode(18, 12, 0, 1, 0), 0);
  EXPECT_NE(rt::SetScreenSize(0, 480, 32), 0);
  EXPECT_NE(rt::SetScreenSize(640, -1, 32), 0);
  EXPECT_NE(rt::SetScreenSize(640, 480, 3), 0);
  EXPECT_NE(rt::SetScreenSize(640, 480, 0), 0);
  EXPECT_EQ(rt::ScreenImage(), nullptr) << "a rejected request opens nothing";
  ASSERT_EQ(rt::SetScreenSize(1600, 900, 8), 0);
  EXPECT_EQ(rt::GetScreenInfo().width, 1600);
  EXPECT_EQ(rt::GetScreenInfo().height, 900);
  EXPECT_EQ(rt::GetScreenInfo().depth, 32) << "palette depths open a 32-bit framebuffer";
  ASSERT_EQ(rt::SetScreenSize(333, 77, 15), 0);
  EXPECT_EQ(rt::GetScreenInfo().depth, 16);
  EXPECT_EQ(rt::GetScreenInfo().pitch, 672);
}

TEST(Screen, ListsOfferedSizesInIncreasingOrder) {
  std::vector<uint32_t> all;
  for (uint32_t m = rt::ListScreenModes(32); m != 0; m = rt::ListScreenModes(0)) all.push_back(m);
  EXPECT_EQ(all, (std::vector<uint32_t>{0x028001E0, 0x03200258, 0x04000300, 0x05000400}));
  EXPECT_EQ(rt::ListScreenModes(0), 0u) << "the listing stays ended";

  rt::HeadlessConfig cfg;
  cfg.offers = {{1024, 768, 16}, {640, 480, 16}, {800, 600, 24}};
  rt::headless::Install(cfg);
  std::vector<uint32_t> sixteen;
  for (uint32_t m = rt::ListScreenModes(16); m != 0; m = rt::ListScreenModes(0)) {
    sixteen.push_back(m);
  }
  EXPECT_EQ(sixteen, (std::vector<uint32_t>{0x028001E0, 0x04000300}));
  EXPECT_EQ(rt::ListScreenModes(32), 0u) << "a depth with no offered size ends at once";
  EXPECT_EQ(rt::ListScreenModes(0), 0u);
  EXPECT_EQ(rt::ListScreenModes(24), 0x03200258u);
  EXPECT_EQ(rt::ListScreenModes(0), 0u);
}

TEST(Screen, NewScreenIsBlackAndFullyChanged) {
  OpenScreen(32, 18);
  rt::SetPixel(nullptr, 5, 5, 0xFFFFFFFF);
  ASSERT_EQ(rt::SetScreenMode(19, 16, 0, 1, 0), 0);
  EXPECT_EQ(Changed(), (Rects{{0, 0, 800, 600}}));
  EXPECT_EQ(rt::GetPixel(nullptr, 5, 5), 0u);
}

// ---------------------------------------------------------------- images

TEST(Images, RefusesImpossibleSizes) {
  OpenScreen(32);
  EXPECT_EQ(rt::CreateImage(0, 5, 0), nullptr);
  EXPECT_EQ(rt::CreateImage(5, -1, 0), nullptr);
  EXPECT_EQ(rt::CreateImage(16385, 1, 0), nullptr);
  EXPECT_EQ(rt::CreateImage(1, 16385, 0), nullptr);
  EXPECT_EQ(rt::CreateImage(16384, 16384, 0), nullptr) << "1 GiB is above the limit";
  EXPECT_EQ(rt::CreateImage(3000000, 2000000, 0), nullptr);
  EXPECT_EQ(rt::CreateImage(INT32_MAX, INT32_MAX, 0), nullptr);
  rt::OwnedImage wide(rt::CreateImage(16384, 1, 0));
  ASSERT_NE(wide, nullptr);
}

TEST(Images, LayoutAndFill) {
  for (const int32_t depth : {16, 32}) {
    OpenScreen(depth);
    for (int32_t w = 1; w <= 20; ++w) {
      rt::OwnedImage img(rt::CreateImage(w, 3, 0xFF123456));
      ASSERT_NE(img, nullptr);
      EXPECT_EQ(img->pitch % 16, 0);
      EXPECT_GE(img->pitch, w * img->bytesPerPixel);
      EXPECT_LT(img->pitch, w * img->bytesPerPixel + 16);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(img->pixels) % 16, 0u);
      const uint32_t want = depth == 16 ? Reduce(0xFF123456) : 0xFF123456u;
      for (uint32_t v : Pixels(img)) ASSERT_EQ(v, want) << "depth " << depth;
    }
    rt::OwnedImage masked(rt::CreateImage(5, 5, 0x1234, 0, rt::CreateImageFlagMask));
    for (uint32_t v : Pixels(masked)) ASSERT_EQ(v, rt::MaskColour());
  }
}

TEST(Images, IdsAreSmallAndDistinct) {
  OpenScreen(32);
  rt::OwnedImage a(rt::CreateImage(2, 2, 0));
  rt::OwnedImage b(rt::CreateImage(2, 2, 0));
  EXPECT_NE(rt::ImageId(a), 0u);
  EXPECT_NE(rt::ImageId(a), rt::ImageId(b));
  EXPECT_LT(rt::ImageId(b), 1000000u);
  EXPECT_EQ(rt::ImageId(nullptr), 0u);
}

TEST(Images, ReductionTo565) {
  OpenScreen(16);
  for (uint32_t c :
       {0xFF000000u, 0xFFFFFFFFu, 0xFFFF0000u, 0x00123456u, 0xFF0807F8u, 0xFFFF00FFu}) {
    rt::SetPixel(nullptr, 1, 1, c);
    EXPECT_EQ(rt::GetPixel(nullptr, 1, 1), Reduce(c)) << std::hex << c;
  }
  EXPECT_EQ(Reduce(0xFFFF00FF), 0xF81F) << "magenta is the mask in 16 bit";
  EXPECT_EQ(rt::From565(0xF81F), 0xFF00FFu);
}

// ---------------------------------------------------------------- blits

// The reference for one put: where the pixel at image (sx, sy) lands and
// whether it lands at all.
void ReferencePut(std::vector<uint32_t>& target, int32_t tw, int32_t th, int32_t x, int32_t y,
                  const std::vector<uint32_t>& src, int32_t iw, int32_t ih, int32_t srcX,
                  int32_t srcY, int32_t srcW, int32_t srcH, bool transparent, int bpp) {
  for (int64_t sy = std::max(0, srcY); sy < std::min<int64_t>(ih, int64_t{srcY} + srcH); ++sy) {
    for (int64_t sx = std::max(0, srcX); sx < std::min<int64_t>(iw, int64_t{srcX} + srcW); ++sx) {
      const int64_t tx = x + (sx - srcX), ty = y + (sy - srcY);
      if (tx < 0 || ty < 0 || tx >= tw || ty >= th) continue;
      uint32_t v = src[sy * iw + sx];
      if (transparent) {
        if (bpp == 2 ? v == 0xF81F : (v & 0xFFFFFF) == 0xFF00FF) continue;
        if (bpp == 4) v &= 0xFFFFFF;
      }
      target[ty * tw + tx] = v;
    }
  }
}

// Every test of the keyed copy runs on each instruction set the processor
// offers (a lower level stands in for a missing one).
using Level = rt::detail::BlitLevel;
class Blit : public ::testing::TestWithParam<std::tuple<int32_t, Level>> {
 protected:
  void SetUp() override { blitters_ = rt::detail::SelectBlitters(std::get<1>(GetParam())).name; }
  void TearDown() override { rt::detail::RestoreTimedBlitters(); }
  int32_t Depth() const { return std::get<0>(GetParam()); }
  std::string blitters_;
};

TEST_P(Blit, ClipsAtEveryEdgeLikeTheReference) {
  const int32_t depth = Depth();
  OpenScreen(depth);
  const int32_t tw = 23, th = 17, iw = 13, ih = 9;
  rt::OwnedImage target(rt::CreateImage(tw, th, 0));
  rt::OwnedImage image(rt::CreateImage(iw, ih, 0));
  const uint32_t key = depth == 16 ? 0xF81F : 0xFF00FF;
  std::vector<uint32_t> src;
  for (int32_t y = 0; y < ih; ++y) {
    for (int32_t x = 0; x < iw; ++x) {
      uint32_t v =
          (x * 7 + y * 13) % 5 == 0 ? key : 0x11000000u * (x % 3) + 0x010203u * (x + 16 * y);
      if (depth == 16) v = (x * 7 + y * 13) % 5 == 0 ? key : (0x1234 + x * 97 + y * 31) & 0xFFFF;
      Poke(image, x, y, v);
      src.push_back(v);
    }
  }
  const int32_t positions[] = {INT32_MIN, -20, -13, -12, -5, -1, 0,        1,
                               7,         10,  16,  22,  23, 30, INT32_MAX};
  struct Rect {
    int32_t x, y, w, h;
  };
  const Rect rects[] = {{0, 0, iw, ih},
                        {2, 3, 5, 4},
                        {-3, -2, 8, 6},
                        {10, 6, 10, 10},
                        {-5, -5, 100, 100},
                        {0, 0, 0, 5},
                        {4, 4, -2, 3},
                        {iw, 0, 3, 3},
                        {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                        {INT32_MAX, 0, INT32_MAX, 2}};
  for (const bool transparent : {false, true}) {
    for (const int32_t x : positions) {
      for (const int32_t y : {-8, -1, 0, 3, 16, 17, INT32_MIN, INT32_MAX}) {
        for (const Rect r : rects) {
          std::vector<uint32_t> expected(tw * th);
          for (int32_t i = 0; i < tw * th; ++i) expected[i] = 0x0AAA + i;
          for (int32_t i = 0; i < tw * th; ++i) Poke(target, i % tw, i / tw, expected[i]);
          ReferencePut(expected, tw, th, x, y, src, iw, ih, r.x, r.y, r.w, r.h, transparent,
                       target->bytesPerPixel);
          EXPECT_EQ(rt::PutImage(target, x, y, image, r.x, r.y, r.w, r.h,
                                 transparent ? rt::PutMode::Transparent : rt::PutMode::Opaque),
                    0);
          ASSERT_EQ(Pixels(target), expected)
              << blitters_ << " depth " << depth << (transparent ? " transparent" : " opaque")
              << " at " << x << "," << y << " rect " << r.x << "," << r.y << "," << r.w << ","
              << r.h;
          if (!transparent) continue;
          // The same put from the rectangle's runs.
          for (int32_t i = 0; i < tw * th; ++i) Poke(target, i % tw, i / tw, 0x0AAA + i);
          const rt::OpaqueRuns runs = rt::FindOpaqueRuns(image, r.x, r.y, r.w, r.h);
          EXPECT_EQ(rt::PutRuns(target, x, y, runs), runs.Empty() ? 1 : 0);
          ASSERT_EQ(Pixels(target), expected)
              << "runs, depth " << depth << " at " << x << "," << y << " rect " << r.x << ","
              << r.y << "," << r.w << "," << r.h;
        }
      }
    }
  }
}

TEST_P(Blit, EveryRowLength) {
  // Widths 1..70 run every vector width and every tail length, keyed and
  // plain.
  const int32_t depth = Depth();
  OpenScreen(depth);
  for (int32_t w = 1; w <= 70; ++w) {
    rt::OwnedImage target(rt::CreateImage(w, 2, 0));
    rt::OwnedImage image(rt::CreateImage(w, 2, 0));
    std::vector<uint32_t> expected;
    for (int32_t y = 0; y < 2; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        const uint32_t old = depth == 16 ? 0x0841u * (x % 7) : 0xAB000000u | (x * 0x10101u);
        Poke(target, x, y, old);
        uint32_t v;
        uint32_t want;
        if (depth == 16) {
          const bool key = (x * 3 + y) % 4 < 2;
          v = key ? 0xF81F : (0xF81E + x) & 0xFFFF;
          if (v == 0xF81F && !key) v = 0xF820;
          want = key ? old : v;
        } else {
          switch ((x + y) % 5) {
            case 0:
              v = 0xFFFF00FF;
              break;  // magenta with any top byte is the key
            case 1:
              v = 0x00FF00FF;
              break;
            case 2:
              v = 0x7FFF00FF;
              break;
            case 3:
              v = 0xFFFF00FE;
              break;  // one bit off: copied
            default:
              v = 0x80000000u | (x * 0x30507u & 0xFFFFFF);
              break;
          }
          const bool key = (v & 0xFFFFFF) == 0xFF00FF;
          want = key ? old : (v & 0xFFFFFF);
        }
        Poke(image, x, y, v);
        expected.push_back(want);
      }
    }
    const std::vector<uint32_t> before = Pixels(target);
    ASSERT_EQ(rt::PutImage(target, 0, 0, image, 0, 0, w, 2, rt::PutMode::Transparent), 0);
    ASSERT_EQ(Pixels(target), expected) << blitters_ << " depth " << depth << " width " << w;
    for (int32_t i = 0; i < w * 2; ++i) Poke(target, i % w, i / w, before[i]);
    ASSERT_EQ(rt::PutRuns(target, 0, 0, rt::FindOpaqueRuns(image, 0, 0, w, 2)), 0);
    ASSERT_EQ(Pixels(target), expected) << "runs, depth " << depth << " width " << w;
    ASSERT_EQ(rt::PutImage(target, 0, 0, image, 0, 0, w, 2, rt::PutMode::Opaque), 0);
    ASSERT_EQ(Pixels(target), Pixels(image))
        << blitters_ << " opaque, depth " << depth << " width " << w;
  }
}

std::string BlitName(const ::testing::TestParamInfo<std::tuple<int32_t, Level>>& info) {
  static const char* const kNames[] = {"Sse2", "Avx2", "Avx512"};
  return "Depth" + std::to_string(std::get<0>(info.param)) +
         kNames[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(DepthsAndLevels, Blit,
                         ::testing::Combine(::testing::Values(16, 32),
                                            ::testing::Values(Level::Sse2, Level::Avx2,
                                                              Level::Avx512)),
                         BlitName);

TEST(Blits, StartUpTakesTheLowerLevelOnlyWhenClearlyFaster) {
  using rt::detail::PreferLowerLevel;
  EXPECT_FALSE(PreferLowerLevel(100e-9, 95e-9)) << "within the margin the higher level stays";
  EXPECT_FALSE(PreferLowerLevel(100e-9, 130e-9));
  EXPECT_TRUE(PreferLowerLevel(100e-9, 80e-9));
  // Whatever was measured, each start-up copier is one of a level the
  // processor has, whose pixels the tests above check.
  const rt::detail::Blitters startup = rt::detail::RestoreTimedBlitters();
  std::vector<rt::detail::RectCopy> keyed16, keyed32;
  for (const Level level : {Level::Sse2, Level::Avx2, Level::Avx512}) {
    keyed16.push_back(rt::detail::SelectBlitters(level).keyed16);
    keyed32.push_back(rt::detail::SelectBlitters(level).keyed32);
  }
  rt::detail::RestoreTimedBlitters();
  EXPECT_NE(std::find(keyed16.begin(), keyed16.end(), startup.keyed16), keyed16.end());
  EXPECT_NE(std::find(keyed32.begin(), keyed32.end(), startup.keyed32), keyed32.end());
  EXPECT_EQ(startup.copyRows, rt::detail::SelectBlitters(Level::Best).copyRows);
  rt::detail::RestoreTimedBlitters();
}

TEST(Blits, EachRuntimeTimesItsCopiersAtItsFirstCopy) {
  // Nothing is timed before a runtime exists nor before it copies pixels:
  // a test or tool that never copies never pays for the timing.
  const rt::detail::BlitterChoice& choice = rt::detail::State().blitters;
  EXPECT_EQ(choice.active, nullptr);
  EXPECT_FALSE(choice.made);
  OpenScreen(32);
  const rt::OwnedImage image(rt::CreateImage(4, 1, 0));
  rt::PutImage(nullptr, 0, 0, image, 0, 0, 4, 1, rt::PutMode::Transparent);
  EXPECT_TRUE(choice.made);
  EXPECT_EQ(choice.active, &choice.timed);
}

TEST(Blits, OpaqueKeepsTheTopByte) {
  OpenScreen(32);
  rt::OwnedImage image(rt::CreateImage(4, 1, 0));
  Poke(image, 0, 0, 0xFFFF00FF);
  Poke(image, 1, 0, 0x12345678);
  rt::OwnedImage target(rt::CreateImage(4, 1, 0));
  ASSERT_EQ(rt::PutImage(target, 0, 0, image, 0, 0, 4, 1, rt::PutMode::Opaque), 0);
  EXPECT_EQ(rt::GetPixel(target, 0, 0), 0xFFFF00FFu);
  EXPECT_EQ(rt::GetPixel(target, 1, 0), 0x12345678u);
}

TEST(Blits, MaskImageLeavesTargetUnchanged) {
  for (const int32_t depth : {16, 32}) {
    OpenScreen(depth);
    rt::OwnedImage masked(rt::CreateImage(10, 10, 0, 0, rt::CreateImageFlagMask));
    rt::DrawLine(nullptr, 0, 0, 30, 30, 0xFF336699, 2);
    const std::vector<uint32_t> before = Pixels(rt::ScreenImage());
    ASSERT_EQ(rt::PutImage(nullptr, 5, 5, masked, 0, 0, 10, 10, rt::PutMode::Transparent), 0);
    EXPECT_EQ(Pixels(rt::ScreenImage()), before) << "depth " << depth;
  }
}

TEST(Blits, SixteenBitMagentaColourIsTransparent) {
  OpenScreen(16);
  rt::OwnedImage img(rt::CreateImage(2, 2, 0xFFFF00FF));
  EXPECT_EQ(rt::GetPixel(img, 1, 1), 0xF81Fu);
  rt::SetPixel(nullptr, 1, 1, 0xFF00FF00);
  ASSERT_EQ(rt::PutImage(nullptr, 0, 0, img, 0, 0, 2, 2, rt::PutMode::Transparent), 0);
  EXPECT_EQ(rt::GetPixel(nullptr, 1, 1), Reduce(0xFF00FF00));
}

TEST(Blits, RefusesWhatCannotBeDrawn) {
  OpenScreen(32);
  rt::OwnedImage four(rt::CreateImage(4, 4, 0xFFFFFFFF));
  EXPECT_EQ(rt::PutImage(nullptr, 0, 0, nullptr, 0, 0, 4, 4, rt::PutMode::Opaque), 1);
  ASSERT_EQ(rt::SetScreenMode(18, 16, 0, 1, 0), 0);
  EXPECT_EQ(rt::PutImage(nullptr, 0, 0, four, 0, 0, 4, 4, rt::PutMode::Opaque), 1)
      << "an image of the old depth no longer fits the screen";
  EXPECT_EQ(rt::GetPixel(nullptr, 0, 0), 0u);
  rt::OwnedImage two(rt::CreateImage(4, 4, 0));
  EXPECT_EQ(rt::PutImage(two, 0, 0, four, 0, 0, 4, 4, rt::PutMode::Opaque), 1);
  EXPECT_EQ(rt::PutImage(nullptr, 0, 0, two, 0, 0, 4, 4, rt::PutMode::Opaque), 0);
  EXPECT_EQ(rt::PutImage(nullptr, 5000, 0, two, 0, 0, 4, 4, rt::PutMode::Opaque), 0)
      << "nothing visible is not a failure";
  rt::headless::Install();  // no screen
  EXPECT_EQ(rt::PutImage(two, 0, 0, two, 0, 0, 4, 4, rt::PutMode::Opaque), 1);
}

TEST(Blits, ScreenPutsMarkTheirTiles) {
  OpenScreen(32);
  rt::OwnedImage img(rt::CreateImage(8, 8, 0xFFFFFFFF));
  Changed();
  // Columns 100..107 lie in the tile from 96, rows 470..477 in the one from 464.
  ASSERT_EQ(rt::PutImage(nullptr, 100, 470, img, 0, 0, 8, 8, rt::PutMode::Opaque), 0);
  EXPECT_EQ(Changed(), (Rects{{96, 464, 32, 16}}));
  EXPECT_TRUE(Changed().empty()) << "taking the changes clears the marks";
  // A put across tile borders and partly off the screen marks what shows.
  ASSERT_EQ(rt::PutImage(nullptr, 630, -4, img, 0, 0, 8, 8, rt::PutMode::Transparent), 0);
  EXPECT_EQ(Changed(), (Rects{{608, 0, 32, 16}}));
}

// ---------------------------------------------------------------- drawing

TEST(Drawing, BoxCornersAreInclusiveInAnyOrder) {
  OpenScreen(32);
  rt::OwnedImage img(rt::CreateImage(12, 12, 0));
  const int32_t corners[][4] = {{2, 3, 6, 8}, {6, 8, 2, 3}, {6, 3, 2, 8}, {2, 8, 6, 3}};
  for (const auto& c : corners) {
    for (const int32_t kind : {1, 2}) {
      rt::DrawLine(img, 0, 0, 11, 11, 0, 2);
      rt::DrawLine(img, c[0], c[1], c[2], c[3], 0xFFABCDEF, kind);
      for (int32_t y = 0; y < 12; ++y) {
        for (int32_t x = 0; x < 12; ++x) {
          const bool inside = x >= 2 && x <= 6 && y >= 3 && y <= 8;
          const bool edge = inside && (x == 2 || x == 6 || y == 3 || y == 8);
          const bool set = kind == 2 ? inside : edge;
          ASSERT_EQ(rt::GetPixel(img, x, y), set ? 0xFFABCDEFu : 0u)
              << "kind " << kind << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST(Drawing, LineHitsBothEndsAndOnePixelPerStep) {
  OpenScreen(32);
  rt::OwnedImage img(rt::CreateImage(40, 40, 0));
  const int32_t lines[][4] = {{3, 5, 30, 12}, {30, 12, 3, 5},  {5, 2, 9, 37},  {0, 39, 39, 0},
                              {7, 7, 7, 7},   {1, 20, 38, 20}, {20, 1, 20, 38}};
  for (const auto& l : lines) {
    rt::DrawLine(img, 0, 0, 39, 39, 0, 2);
    rt::DrawLine(img, l[0], l[1], l[2], l[3], 0xFFFFFFFF, 0);
    EXPECT_EQ(rt::GetPixel(img, l[0], l[1]), 0xFFFFFFFFu);
    EXPECT_EQ(rt::GetPixel(img, l[2], l[3]), 0xFFFFFFFFu);
    const bool xMajor = std::abs(l[2] - l[0]) >= std::abs(l[3] - l[1]);
    const int32_t steps = std::max(std::abs(l[2] - l[0]), std::abs(l[3] - l[1])) + 1;
    int32_t count = 0;
    for (int32_t a = 0; a < 40; ++a) {
      int32_t onThisStep = 0;
      for (int32_t b = 0; b < 40; ++b) {
        if (rt::GetPixel(img, xMajor ? a : b, xMajor ? b : a)) ++onThisStep;
      }
      EXPECT_LE(onThisStep, 1);
      count += onThisStep;
    }
    EXPECT_EQ(count, steps);
  }
}

TEST(Drawing, ClippedLinesMatchTheUnclippedLine) {
  // A line drawn into a small window must give exactly the pixels that the
  // same line shows in that window of a big image.
  OpenScreen(32);
  const int32_t big = 400, off = 150, small = 60;
  rt::OwnedImage whole(rt::CreateImage(big, big, 0));
  rt::OwnedImage window(rt::CreateImage(small, small, 0));
  const int32_t lines[][4] = {{0, 0, 399, 399},   {10, 390, 390, 5},  {0, 170, 399, 190},
                              {180, 0, 170, 399}, {399, 120, 0, 260}, {155, 10, 201, 399},
                              {0, 151, 399, 152}, {152, 152, 300, 3}};
  for (const auto& l : lines) {
    rt::DrawLine(whole, 0, 0, big, big, 0, 2);
    rt::DrawLine(window, 0, 0, small, small, 0, 2);
    rt::DrawLine(whole, l[0], l[1], l[2], l[3], 0xFFFFFFFF, 0);
    rt::DrawLine(window, l[0] - off, l[1] - off, l[2] - off, l[3] - off, 0xFFFFFFFF, 0);
    for (int32_t y = 0; y < small; ++y) {
      for (int32_t x = 0; x < small; ++x) {
        ASSERT_EQ(rt::GetPixel(window, x, y), rt::GetPixel(whole, x + off, y + off))
            << "line " << l[0] << "," << l[1] << " - " << l[2] << "," << l[3] << " at " << x << ","
            << y;
      }
    }
  }
}

TEST(Drawing, HugeShapesOnlyTouchTheVisiblePart) {
  // These would loop for billions of steps if they walked their whole size.
  OpenScreen(32, 21);
  rt::DrawLine(nullptr, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0xFFFFFFFF, 0);
  EXPECT_EQ(rt::GetPixel(nullptr, 0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(rt::GetPixel(nullptr, 1000, 1000), 0xFFFFFFFFu);
  EXPECT_EQ(rt::GetPixel(nullptr, 1000, 999), 0u);
  rt::DrawLine(nullptr, INT32_MIN, INT32_MAX, INT32_MAX, INT32_MIN, 0xFF0000FF, 1);
  rt::DrawLine(nullptr, -1000000000, 5, 2000000000, 6, 0xFF00FF00, 0);
  rt::DrawLine(nullptr, INT32_MIN, -3, INT32_MAX, INT32_MIN, 0xFF00FF00, 0);
  rt::DrawLine(nullptr, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0xFF0000FF, 2);
  EXPECT_EQ(rt::GetPixel(nullptr, 1279, 1023), 0xFF0000FFu);
  OpenScreen(32, 21);
  rt::DrawCircle(nullptr, 640, 512, 1000000000, 0xFFFFFFFF);
  rt::DrawCircle(nullptr, 640, 512, INT32_MAX, 0xFFFFFFFF);
  rt::DrawCircle(nullptr, INT32_MIN, INT32_MAX, INT32_MAX, 0xFFFFFFFF);
  rt::DrawCircle(nullptr, -1000000000, 512, 1066667200, 0xFFFFFFFF);
  int32_t lit = 0;
  for (int32_t y = 0; y < 1024; ++y) {
    for (int32_t x = 0; x < 1280; ++x) lit += rt::GetPixel(nullptr, x, y) != 0;
  }
  EXPECT_GT(lit, 0) << "the circle reaching in from the left shows";
  EXPECT_LT(lit, 1280 * 30);
}

// The extent of the lit pixels of a circle drawn at (cx, cy).
struct Extent {
  int32_t left = INT32_MAX, right = INT32_MIN, top = INT32_MAX, bottom = INT32_MIN;
};
Extent CircleExtent(int32_t cx, int32_t cy, int32_t r) {
  rt::ClearScreen();
  rt::DrawCircle(nullptr, cx, cy, r, 0xFFFFFFFF);
  const rt::ScreenInfo info = rt::GetScreenInfo();
  Extent e;
  for (int32_t y = 0; y < info.height; ++y) {
    for (int32_t x = 0; x < info.width; ++x) {
      if (rt::GetPixel(nullptr, x, y)) {
        e.left = std::min(e.left, x);
        e.right = std::max(e.right, x);
        e.top = std::min(e.top, y);
        e.bottom = std::max(e.bottom, y);
      }
    }
  }
  return e;
}

TEST(Drawing, CircleIsRoundInFourThirdsModes) {
  for (const int32_t mode : {18, 19, 20}) {
    OpenScreen(32, mode);
    const Extent e = CircleExtent(200, 150, 40);
    EXPECT_EQ(e.left, 160) << "mode " << mode;
    EXPECT_EQ(e.right, 240);
    EXPECT_EQ(e.top, 110);
    EXPECT_EQ(e.bottom, 190);
  }
}

TEST(Drawing, CircleAspectIn1280x1024) {
  // Aspect 1024/1280 * 4/3 = 16/15: the radius is the vertical one, the
  // horizontal radius 15/16 of it.
  OpenScreen(32, 21);
  const Extent e = CircleExtent(300, 300, 160);
  EXPECT_EQ(e.top, 140);
  EXPECT_EQ(e.bottom, 460);
  EXPECT_EQ(e.left, 150);
  EXPECT_EQ(e.right, 450);
}

TEST(Drawing, CircleOutlineHasNoGaps) {
  OpenScreen(32, 21);
  for (const int32_t r : {1, 2, 5, 17, 100}) {
    rt::ClearScreen();
    rt::DrawCircle(nullptr, 400, 400, r, 0xFFFFFFFF);
    // Every lit pixel has at least two lit neighbours among its eight.
    for (int32_t y = 400 - r - 1; y <= 400 + r + 1; ++y) {
      for (int32_t x = 400 - r - 1; x <= 400 + r + 1; ++x) {
        if (!rt::GetPixel(nullptr, x, y)) continue;
        int32_t n = 0;
        for (int32_t dy = -1; dy <= 1; ++dy) {
          for (int32_t dx = -1; dx <= 1; ++dx) {
            if ((dx || dy) && rt::GetPixel(nullptr, x + dx, y + dy)) ++n;
          }
        }
        ASSERT_GE(n, 2) << "radius " << r << " at " << x << "," << y;
      }
    }
  }
  rt::ClearScreen();
  rt::DrawCircle(nullptr, 10, 10, 0, 0xFFFFFFFF);
  EXPECT_EQ(rt::GetPixel(nullptr, 10, 10), 0xFFFFFFFFu);
}

TEST(Drawing, SetPixelIsClipped) {
  OpenScreen(32);
  rt::OwnedImage img(rt::CreateImage(3, 3, 0));
  for (const int32_t v : {-1, 3, INT32_MIN, INT32_MAX}) {
    rt::SetPixel(img, v, 1, 0xFFFFFFFF);
    rt::SetPixel(img, 1, v, 0xFFFFFFFF);
  }
  for (uint32_t p : Pixels(img)) EXPECT_EQ(p, 0u);
  rt::SetPixel(img, 2, 2, 0xFF010203);
  EXPECT_EQ(rt::GetPixel(img, 2, 2), 0xFF010203u);
  EXPECT_EQ(rt::GetPixel(img, 3, 2), 0u) << "outside reads 0";
}

TEST(Drawing, MonoGlyphSetsWhatSetPixelWouldSet) {
  for (const int32_t depth : {16, 32}) {
    OpenScreen(depth);
    rt::OwnedImage mine(rt::CreateImage(40, 30, 0));
    rt::OwnedImage reference(rt::CreateImage(40, 30, 0));
    uint32_t rows[32];
    uint32_t seed = 12345;
    for (uint32_t& r : rows) r = seed = seed * 1664525u + 1013904223u;
    // Corners inside, across every edge and far outside, several widths.
    const int32_t places[][2] = {{3, 2},
                                 {-5, 4},
                                 {30, -7},
                                 {25, 20},
                                 {-31, -3},
                                 {39, 29},
                                 {INT32_MIN, 0},
                                 {0, INT32_MAX},
                                 {40, 0},
                                 {-32, -32},
                                 {INT32_MAX, INT32_MAX}};
    for (const int32_t width : {1, 6, 8, 31, 32}) {
      for (const auto& [x, y] : places) {
        rt::DrawMonoGlyph(mine, x, y, rows, width, 20, 0xFF80C040u + static_cast<uint32_t>(width));
        for (int64_t r = 0; r < 20; ++r) {
          for (int64_t c = 0; c < width; ++c) {
            const int64_t px = int64_t{x} + c, py = int64_t{y} + r;
            if (((rows[r] >> c) & 1) == 0 || px > INT32_MAX || py > INT32_MAX) continue;
            rt::SetPixel(reference, static_cast<int32_t>(px), static_cast<int32_t>(py),
                         0xFF80C040u + static_cast<uint32_t>(width));
          }
        }
        ASSERT_EQ(Pixels(mine), Pixels(reference)) << depth << " " << width << " " << x << " " << y;
      }
    }
  }
}

TEST(Drawing, MonoGlyphOnTheScreenMarksWhatItDrew) {
  OpenScreen(32);
  Changed();
  // One pixel in row 3, column 2 of the glyph.
  uint32_t rows[20] = {};
  rows[3] = 1u << 2;
  rt::DrawMonoGlyph(nullptr, 60, 40, rows, 8, 20, 0xFFFFFFFF);
  EXPECT_EQ(rt::GetPixel(nullptr, 62, 43), 0xFFFFFFFFu);
  EXPECT_EQ(Changed(), (Rects{{32, 32, 32, 16}})) << "the glyph's box spans four tiles";
}

// Before the first screen and after a screen was closed, drawing on the
// screen reaches nothing: no screen opens, and the next screen starts black
// with nothing marked but itself.
TEST(Drawing, NothingHappensWithoutAScreen) {
  for (const char* when : {"before any screen", "after the screen was closed"}) {
    rt::DrawLine(nullptr, 0, 0, 10, 10, 0xFFFFFFFF, 2);
    rt::DrawCircle(nullptr, 5, 5, 3, 0xFFFFFFFF);
    rt::SetPixel(nullptr, 1, 1, 0xFFFFFFFF);
    const uint32_t rows[2] = {3, 3};
    rt::DrawMonoGlyph(nullptr, 0, 0, rows, 2, 2, 0xFFFFFFFF);
    rt::ClearScreen();
    EXPECT_EQ(rt::ScreenImage(), nullptr) << when;
    OpenScreen(32);
    EXPECT_EQ(Changed(), (Rects{{0, 0, 640, 480}})) << when;
    const std::vector<uint32_t> pixels = Pixels(rt::ScreenImage());
    EXPECT_EQ(std::count(pixels.begin(), pixels.end(), 0u), 640 * 480) << when;
    rt::SetPixel(nullptr, 1, 1, 0xFFFFFFFF);
    rt::headless::Install();  // closes the screen
  }
}

// ---------------------------------------------------------------- lock

TEST(Lock, DrawingMarksTheTilesItChanged) {
  OpenScreen(16);
  Changed();
  rt::SetPixel(nullptr, 3, 37, 0xFFFFFFFF);
  EXPECT_EQ(Changed(), (Rects{{0, 32, 32, 16}}));
  // The line covers columns 10..50 and rows 90..100, the clipped box
  // columns 0..5 and rows 200..220: tiles of 32 x 16, merged downwards.
  rt::DrawLine(nullptr, 10, 100, 50, 90, 0xFFFFFFFF, 0);
  rt::DrawLine(nullptr, -10, 200, 5, 220, 0xFFFFFFFF, 2);
  EXPECT_EQ(Changed(), (Rects{{0, 80, 64, 32}, {0, 192, 32, 32}}));
  rt::DrawCircle(nullptr, 600, 400, 10, 0xFFFFFFFF);
  EXPECT_EQ(Changed(), (Rects{{576, 384, 64, 32}}));
  rt::SetPixel(nullptr, -1, 5, 0xFFFFFFFF);
  EXPECT_TRUE(Changed().empty()) << "a clipped-away pixel changes nothing";
  // A bracket shows what was drawn in it, nothing more.
  rt::LockScreen();
  rt::SetPixel(nullptr, 3, 5, 0xFFFFFFFF);
  rt::UnlockScreen();
  EXPECT_EQ(Changed(), (Rects{{0, 0, 32, 16}}));
  // Wider than 64 tiles: a row of tiles spans two words of marks.
  ASSERT_EQ(rt::SetScreenSize(2600, 40, 32), 0);
  EXPECT_EQ(Changed(), (Rects{{0, 0, 2600, 40}})) << "a new screen is shown whole";
  rt::DrawLine(nullptr, 2000, 20, 2100, 20, 0xFFFFFFFF, 0);
  rt::SetPixel(nullptr, 2599, 39, 0xFFFFFFFF);
  EXPECT_EQ(Changed(), (Rects{{1984, 16, 128, 16}, {2592, 32, 8, 8}}));
}

TEST(Lock, ManyScatteredChangesBecomeOneRectangle) {
  OpenScreen(32);
  Changed();
  // Every other tile of a diagonal band: more pieces than allowed.
  for (int32_t i = 0; i < 10; ++i) rt::SetPixel(nullptr, 64 * i + 1, 32 * i + 1, 0xFFFFFFFF);
  EXPECT_EQ(Changed(16).size(), 10u);
  for (int32_t i = 0; i < 10; ++i) rt::SetPixel(nullptr, 64 * i + 1, 32 * i + 1, 0xFF000000);
  EXPECT_EQ(Changed(4), (Rects{{0, 0, 608, 304}})) << "the rectangle around them all";
}

// A thread that takes the screen lock and gives it back; finished tells
// whether it did within a time. A thread still waiting for the lock at the
// end is left behind, so that a lock never freed fails the case instead of
// hanging it.
class LockTaker {
 public:
  LockTaker()
      : done_(std::make_shared<std::atomic<bool>>(false)), thread_([done = done_] {
          rt::LockScreenRaw();
          rt::UnlockScreenRaw();
          done->store(true);
        }) {}
  ~LockTaker() {
    if (Finished(std::chrono::seconds(10))) {
      thread_.join();
    } else {
      thread_.detach();
    }
  }
  LockTaker(const LockTaker&) = delete;
  LockTaker& operator=(const LockTaker&) = delete;
  bool Finished(std::chrono::milliseconds limit) const {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done_->load() && std::chrono::steady_clock::now() < end) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done_->load();
  }

 private:
  std::shared_ptr<std::atomic<bool>> done_;
  std::thread thread_;
};

TEST(Lock, IsRecursiveAndSharedWithTheDisplay) {
  OpenScreen(32);
  rt::LockScreen();
  rt::LockScreen();
  rt::SetPixel(nullptr, 1, 1, 0xFFFFFFFF);
  rt::UnlockScreen();
  {
    // Taken twice and given back once, the lock is still held: another
    // thread (the display's) waits for it until it is given back again.
    LockTaker taker;
    EXPECT_FALSE(taker.Finished(std::chrono::milliseconds(50))) << "released too early";
    rt::UnlockScreen();
    EXPECT_TRUE(taker.Finished(std::chrono::seconds(10))) << "never released";
  }
  LockTaker free;
  EXPECT_TRUE(free.Finished(std::chrono::seconds(10)));
}

// ---------------------------------------------------------------- console

// Whether the cell at (row, column) shows the glyph of code in white on black.
::testing::AssertionResult ShowsGlyph(int32_t row, int32_t column, uint8_t code) {
  const uint32_t white = rt::GetScreenInfo().bytesPerPixel == 2 ? 0xFFFFu : 0xFFFFFFFFu;
  for (int32_t gy = 0; gy < 16; ++gy) {
    for (int32_t gx = 0; gx < 8; ++gx) {
      const bool on = rt::kConsoleFont[code][gy] & (0x80 >> gx);
      const uint32_t p = rt::GetPixel(nullptr, (column - 1) * 8 + gx, (row - 1) * 16 + gy);
      if (p != (on ? white : 0u)) {
        return ::testing::AssertionFailure()
               << "code " << int{code} << " cell " << row << "," << column << " pixel " << gx << ","
               << gy << " is " << std::hex << p;
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(Console, PrintsAtTheCursorInTheOwnFont) {
  for (const int32_t depth : {16, 32}) {
    OpenScreen(depth);
    rt::PrintText("Ab", false);
    EXPECT_TRUE(ShowsGlyph(1, 1, 'A'));
    EXPECT_TRUE(ShowsGlyph(1, 2, 'b'));
    rt::LocateText(3, 10);
    rt::PrintText("x", true);
    EXPECT_TRUE(ShowsGlyph(3, 10, 'x'));
    rt::PrintText("y", false);
    EXPECT_TRUE(ShowsGlyph(4, 1, 'y')) << "newline moves to the next row's start";
    rt::LocateText(0, 5);
    rt::PrintText("z", false);
    EXPECT_TRUE(ShowsGlyph(4, 5, 'z')) << "row 0 keeps the row";
    rt::LocateText(31, 1);
    rt::LocateText(1, 81);
    rt::LocateText(-1, 1);
    rt::PrintText("w", false);
    EXPECT_TRUE(ShowsGlyph(4, 6, 'w')) << "positions outside leave the cursor";
  }
  EXPECT_NE(std::memcmp(rt::kConsoleFont[static_cast<unsigned char>('A')],
                        rt::kConsoleFont[static_cast<unsigned char>('B')], 16),
            0);
}

TEST(Console, GermanLettersUseTheirGlyphs) {
  OpenScreen(32);
  rt::PrintText("\xE4\xF6\xFC\xC4\xD6\xDC\xDF", false);
  const uint8_t cp437[] = {132, 148, 129, 142, 153, 154, 225};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(std::memcmp(rt::kConsoleFont[static_cast<uint8_t>("\xE4\xF6\xFC\xC4\xD6\xDC\xDF"[i])],
                          rt::kConsoleFont[cp437[i]], 16),
              0)
        << i;
    EXPECT_TRUE(ShowsGlyph(1, 1 + i, cp437[i]));
  }
  int32_t lit = 0;
  for (int c = 33; c < 127; ++c) {
    for (int r = 0; r < 16; ++r) lit += rt::kConsoleFont[c][r] != 0;
  }
  EXPECT_GT(lit, 94 * 4) << "every printable ASCII glyph has ink";
}

TEST(Console, ScrollsAtTheBottomAndWrapsLongLines) {
  OpenScreen(16);
  rt::LocateText(30, 1);
  rt::PrintText("last", true);
  EXPECT_TRUE(ShowsGlyph(29, 1, 'l')) << "printing past the last row scrolls up one row";
  rt::PrintText("next", false);
  EXPECT_TRUE(ShowsGlyph(30, 1, 'n'));
  rt::ClearScreen();
  rt::PrintText(std::string(80, '-') + "W", false);
  EXPECT_TRUE(ShowsGlyph(1, 80, '-'));
  EXPECT_TRUE(ShowsGlyph(2, 1, 'W'));
  rt::ClearScreen();
  EXPECT_EQ(rt::GetPixel(nullptr, 3, 20), 0u);
  rt::PrintText("H", false);
  EXPECT_TRUE(ShowsGlyph(1, 1, 'H')) << "ClearScreen homes the cursor";
}

TEST(Console, StandardOutputBeforeAScreenUnlessTheDisplayTakesTheText) {
  // The runtime's own headless display has no console callback: text before
  // a screen goes to stdout.
  ::testing::internal::CaptureStdout();
  rt::PrintText("Grafik", false);
  rt::PrintText("-Treiber", true);
  rt::PrintLine(0, "zwei");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Grafik-Treiber\nzwei\n");

  // A display that takes every text (the runner's echo): nothing is printed twice.
  std::vector<std::pair<std::string, bool>> seen;
  rt::HeadlessConfig cfg;
  cfg.onConsole = [&](std::string_view t, bool nl) { seen.emplace_back(std::string(t), nl); };
  rt::headless::Install(cfg);
  ::testing::internal::CaptureStdout();
  rt::PrintText("Grafik", false);
  rt::PrintText("-Treiber", true);
  rt::PrintLine(0, "zwei");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
  ::testing::internal::CaptureStdout();
  rt::PrintText("auf dem Schirm", true);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  const std::vector<std::pair<std::string, bool>> want = {
      {"Grafik", false}, {"-Treiber", true}, {"zwei", true}, {"auf dem Schirm", true}};
  EXPECT_EQ(seen, want);
  EXPECT_TRUE(ShowsGlyph(1, 1, 'a'));
}

}  // namespace
