#include "scene_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>

#include "runtime/display.h"
#include "runtime/image.h"
#include "scene/scene.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel::test {

void OpenScreen(int32_t mode, int32_t depth, int64_t limit) {
  OpenScriptedScreen(mode, depth, limit);
  if (::testing::Test::HasFatalFailure()) return;
  FontsInitialisieren();
  FillFigureKinds();
  const rt::ScreenInfo info = rt::GetScreenInfo();
  Layout().screenWidth = info.width;
  Layout().screenHeight = info.height;
  Layout().screenDepth = info.depth;
}

void BuildBackground() {
  FreeHintergrund();
  const std::string path = "HG_bild" + Settings().Trenner + "Karogrun.bmp";
  int32_t w = 0, h = 0;
  ASSERT_GT(rt::ProbeBmpSize(path, w, h), 0) << path;
  const rt::OwnedImage bitmap(rt::CreateImage(w, h, 0));
  ASSERT_TRUE(bitmap);
  rt::LoadBmp(path, bitmap);
  const int32_t sw = Layout().screenWidth;
  const int32_t sh = Layout().screenHeight;
  const int32_t hb = sw;
  const int32_t hh = sh - Settings().KopfHoehe - Settings().FussHoehe;
  Layout().Hintergrund.reset(rt::CreateImage(hb, hh, 0));
  ASSERT_TRUE(Layout().Hintergrund);
  rt::PutImage(Layout().Hintergrund, 0, 0, bitmap, 0, 0, std::min(hb, w), std::min(hh, h),
               rt::PutMode::Opaque);
  Layout().visibleCornerX = hb < sw ? hb - 1 : sw - 1;
  Layout().visibleCornerY = hh < sh ? hh - 1 : sh - 1;
  Layout().width = hb;
  Layout().height = hh;
  Layout().SzeneX0 = sw > hb ? (sw - hb) / 2 : 0;
  Layout().SzeneX1 = hb + Layout().SzeneX0 < sw ? hb + Layout().SzeneX0 : sw;
  Layout().SzeneY0 = Settings().KopfHoehe + hh < sh ? Settings().KopfHoehe : 0;
  Layout().SzeneY1 = hh + Layout().SzeneY0 < sh ? hh + Layout().SzeneY0 : sh;
}

void BuildScene() {
  Objekt("Erstellen", 0, 0, 0, 0, 0, "AufloesungFragen");
  Objekt("InHintergrundEinbinden", 1, 0, 0, 0, 0, "AufloesungFragen");
  Objekt("InHintergrundEinbinden", 2, 0, 0, 0, 0, "AufloesungFragen");
  rt::PutImage(nullptr, Layout().SzeneX0, Layout().SzeneY0, Layout().Hintergrund, 0, 0,
               Layout().visibleCornerX + 1, Layout().visibleCornerY + 1, rt::PutMode::Opaque);
  Settings().GewaehlteFigur = 1;
  Figur("FigurenInit", 0, 0, 0, "AufloesungFragen");
  Figur("MachAktiv", Settings().GewaehlteFigur, 0, 0, "");
}

uint32_t FrameColour(int32_t kind, int32_t picture, int32_t frame) {
  const uint32_t r = static_cast<uint32_t>(kind * 24) & 0xF8;
  const uint32_t g = static_cast<uint32_t>(picture * 60) & 0xFC;
  const uint32_t b = static_cast<uint32_t>(frame * 20) & 0xF8;
  return r << 16 | g << 8 | b;
}

void WriteFigurePicture(const std::string& kind, int32_t picture, const FigureSet& set,
                        int32_t kindNumber) {
  const int32_t size = set.frameSize;
  WriteBmp("figure\\" + kind + "\\" + std::to_string(picture) + ".bmp", size * set.frames, size,
           [&](int32_t x, int32_t y) -> uint32_t {
             const int32_t lx = x % size;
             if (lx < set.border || lx >= size - set.border || y < set.border ||
                 y >= size - set.border) {
               return 0xFF00FF;
             }
             return FrameColour(kindNumber, picture, x / size);
           });
}

void WriteFigures(const FigureSet& set) {
  for (int32_t k = 1; k <= kFigureKinds; ++k) {
    for (int32_t b = 1; b <= 4; ++b) WriteFigurePicture(FigurTyp()[k].name, b, set, k);
  }
}

void WriteObjects(int32_t size) {
  static constexpr const char* kNames[] = {"QumyH", "HausA", "HausC", "HausD", "Kreisel1"};
  for (int32_t k = 0; k < 5; ++k) {
    const uint32_t colour = 0x102030u * static_cast<uint32_t>(k + 1) + 0x400000;
    WriteBmp(std::string("objekte\\") + kNames[k] + ".bmp", size, size,
             [&](int32_t x, int32_t y) { return x < 4 && y < 4 ? 0xFF00FFu : colour; });
  }
}

uint32_t BackgroundColour(int32_t x, int32_t y) {
  return ((x / 8 + y / 8) & 1) != 0 ? 0x206020u : 0x40A040u;
}

void WriteBackground(int32_t width, int32_t height) {
  WriteBmp("HG_bild\\Karogrun.bmp", width, height, BackgroundColour);
}

uint32_t ScreenColour(uint32_t rgb) {
  return rt::GetScreenInfo().bytesPerPixel == 2 ? rt::To565(rgb) : (rgb & 0xFFFFFF);
}

uint32_t Pixel(int32_t x, int32_t y) {
  const uint32_t p = rt::GetPixel(rt::ScreenImage(), x, y);
  return rt::GetScreenInfo().bytesPerPixel == 2 ? p : (p & 0xFFFFFF);
}

void Step() {
  rt::headless::AdvanceClock(1.0);
  Figur("LaufEinSchritt", 1, 200, 200, "");
}

scene::FigureView View(int32_t nr) {
  scene::FigureView view;
  EXPECT_TRUE(scene::ViewFigure(nr, view));
  return view;
}

}  // namespace wimmel::test
