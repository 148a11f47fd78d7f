// The size and place of a window that shows the screen, number by number.
#include "runtime/sdl/sdl_window.h"

#include <gtest/gtest.h>

namespace wimmel::rt::sdl {
namespace {

constexpr FrameExtents kOpenbox{20, 1, 5, 1};

void ExpectWindow(const DesktopRect& r, int32_t x, int32_t y, int32_t w, int32_t h) {
  EXPECT_EQ(r, (DesktopRect{x, y, w, h}))
      << "got " << r.w << "x" << r.h << " at (" << r.x << ", " << r.y << ")";
}

TEST(PlaceWindow, TheStartScreenDoubledAndCentredWithItsFrame) {
  // 1282 x 985 with the frame, in 1920 x 1080: 319 to the left, 47 above.
  ExpectWindow(PlaceWindow({0, 0, 1920, 1080}, kOpenbox, 640, 480), 320, 67, 1280, 960);
  // Back from a scene the same again, and each scene at its own size.
  ExpectWindow(PlaceWindow({0, 0, 1920, 1080}, kOpenbox, 800, 600), 560, 247, 800, 600);
  ExpectWindow(PlaceWindow({0, 0, 1920, 1080}, kOpenbox, 1024, 768), 448, 163, 1024, 768);
  ExpectWindow(PlaceWindow({0, 0, 1920, 1080}, kOpenbox, 1280, 1024), 320, 35, 1280, 1024);
}

TEST(PlaceWindow, WithinTheUsableAreaOnly) {
  // A panel of 40 rows at the top and one of 30 columns on the left.
  ExpectWindow(PlaceWindow({30, 40, 1890, 1040}, kOpenbox, 800, 600), 575, 267, 800, 600);
  // A second monitor to the right of the first.
  ExpectWindow(PlaceWindow({1920, 0, 2560, 1440}, kOpenbox, 640, 480), 2560, 247, 1280, 960);
}

TEST(PlaceWindow, TheLargestWholeFactorThatLeavesRoomForTheFrame) {
  // 1280 + 2 columns of frame fit into 1282, not into 1281.
  EXPECT_EQ(PlaceWindow({0, 0, 1282, 1200}, kOpenbox, 640, 480).w, 1280);
  EXPECT_EQ(PlaceWindow({0, 0, 1281, 1200}, kOpenbox, 640, 480).w, 640);
  EXPECT_EQ(PlaceWindow({0, 0, 2560, 1600}, kOpenbox, 640, 480).w, 1920);
}

TEST(PlaceWindow, AScreenLargerThanTheRoomShrinksWithItsAspect) {
  // 1280 x 1024 on a 1280 x 1024 desktop: 1278 x 999 is left inside the
  // frame; the height limits, 999 * 1280 / 1024 = 1248 columns.
  ExpectWindow(PlaceWindow({0, 0, 1280, 1024}, kOpenbox, 1280, 1024), 16, 20, 1248, 999);
}

TEST(PlaceWindow, NothingForNoScreenAndTheCornerForATinyRoom) {
  ExpectWindow(PlaceWindow({0, 0, 1920, 1080}, kOpenbox, 0, 480), 0, 0, 0, 0);
  const DesktopRect tiny = PlaceWindow({10, 10, 2, 2}, kOpenbox, 640, 480);
  EXPECT_EQ(tiny.x, 11);
  EXPECT_EQ(tiny.y, 30);
  EXPECT_GE(tiny.w, 1);
  EXPECT_GE(tiny.h, 1);
}

}  // namespace
}  // namespace wimmel::rt::sdl
