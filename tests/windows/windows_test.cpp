// The window table and the window drawing commands, on a headless
// 1280 x 1024 x 32 screen. Window bitmaps are private to the window system,
// so every painting is checked after "ZeigAn" has copied it to the screen.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "hang_guard.h"
#include "runtime/image.h"
#include "runtime/owned_image.h"
#include "runtime/runtime.h"
#include "shared/settings.h"
#include "text/text.h"
#include "window_test_support.h"
#include "windows/fenster.h"

namespace rt = wimmel::rt;

namespace wimmel {
namespace {

using test::Pixel;

int32_t NumberOf(const std::string& s) {
  return rt::RoundToInt(rt::TextToNumber(s));
}

std::string Send(std::string_view word, int32_t nr = 0, int32_t w1 = 0, int32_t w2 = 0,
                 int32_t w3 = 0, int32_t w4 = 0, std::string_view text = "") {
  return Fenster(word, nr, w1, w2, w3, w4, text);
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FontsInitialisieren();
    screen_ = test::OpenScreen(21, 32);
  }

  // The console lines and the scripted key of the screen.
  test::ScreenRecord& Screen() { return *screen_; }

  // A window without frame and title, in one colour, ready to be shown.
  int32_t PlainWindow(int32_t x, int32_t y, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b) {
    const int32_t n = NumberOf(Send("Erstellen", 0, 0, 0, 0, 0, "Probe"));
    Send("SetzTitel", n, 1, 0, 0, 0, "Probe");
    Send("SetzXY", n, x, y);
    Send("SetzGrundfarbe", n, r, g, b);
    Send("SetzGroesse", n, w, h);
    Send("SetzRahmenBreite", n, 0);
    return n;
  }

  test::ScratchFolder folder_;
  std::shared_ptr<test::ScreenRecord> screen_;
};

// ------------------------------------------------------------ numbering

TEST_F(WindowTest, NumbersRunFromOneToFiftyThenTheLimitIsReportedAndWaitsForAKey) {
  EXPECT_EQ(Send("Erstellen", 0, 0, 0, 0, 0, "erstes"), "1");
  for (int32_t i = 2; i <= 50; ++i) EXPECT_EQ(Send("Erstellen"), std::to_string(i));

  Screen().KeyAfter(5);
  EXPECT_EQ(Send("Erstellen"), "Fehler!, Max Fensterzahl war schon erreicht!");
  EXPECT_EQ(Screen().polls, 5) << "the refusal must wait for a key";
  EXPECT_EQ(Screen().keysPushed, 1);
  EXPECT_EQ(Screen().waits, std::vector<double>(4, std::numeric_limits<double>::infinity()))
      << "between the looks for a key it waits for input";
  EXPECT_EQ(rt::ReadKey(), "") << "the awaited key is consumed";
  EXPECT_TRUE(Screen().HasLine("Function Fenster(): Soll ein neues Fenster erstellen"));
  EXPECT_TRUE(Screen().HasLine("Maximale Fensterzahl (50)aber bereits erreicht !"));

  // The refusal leaves the count alone: deleting 50 frees exactly one number.
  Send("LoescheFenster", 50);
  EXPECT_EQ(Send("Erstellen"), "50");

  Send("LoeschAlleFenster");
  EXPECT_EQ(Send("Erstellen"), "1");
}

TEST_F(WindowTest, DeletingBelowTheHighestKeepsItDeletingTheHighestLowersIt) {
  for (int i = 1; i <= 5; ++i) Send("Erstellen");
  Send("LoescheFenster", 3);
  EXPECT_EQ(Send("Erstellen"), "6");

  Send("LoeschAlleFenster");
  for (int i = 1; i <= 5; ++i) Send("Erstellen");
  Send("LoescheFenster", 3);
  Send("LoescheFenster", 5);
  EXPECT_EQ(Send("Erstellen"), "5");
}

TEST_F(WindowTest, CommandsForNumbersThatAreNotLiveAreIgnored) {
  // Number 0 is never handed out: deleting it must not pull the count below
  // zero, or a later window would get the number the panels use for "none".
  Send("LoescheFenster", 0);
  Send("LoescheFenster", 0);
  EXPECT_EQ(Send("Erstellen"), "1");
  Send("LoeschAlleFenster");

  const int32_t n = PlainWindow(10, 10, 20, 20, 255, 0, 0);
  Send("LoescheFenster", n);
  Send("LoescheFenster", n);  // a second delete of a dead window changes nothing
  EXPECT_EQ(Send("Erstellen"), "1");
  Send("LoeschAlleFenster");

  // A panel that does not exist sends 0: nothing may reach the screen, not
  // even a title.
  test::FillScreen(0xFF102030);
  Send("ZeigAn", 0);
  for (int32_t y = 0; y < 60; ++y) {
    for (int32_t x = 0; x < 400; ++x) ASSERT_EQ(Pixel(x, y), 0x102030u) << x << "," << y;
  }
  EXPECT_EQ(Send("MerkeBild", 0, 0, 0, 0, 0, "missing.bmp"), "-1");
  EXPECT_TRUE(Screen().lines.empty()) << "no file check for a window that does not exist";
}

TEST_F(WindowTest, NumbersOutsideTheTableAreIgnored) {
  test::WriteSolidBmp("tile.bmp", 4, 4, 0x00FF00);
  const int32_t n = PlainWindow(0, 0, 10, 10, 0, 0, 0);
  for (int32_t nr : {-1, 51, 52, 1000, INT32_MIN, INT32_MAX}) {
    Send("SetzXY", nr, 5, 5);
    Send("SetzGroesse", nr, 20, 20);
    Send("MalRechteck", nr, 0, 0, 5, 5);
    Send("ZeigAn", nr, 0, 0, 0);
    Send("LoescheAlleBilderEinesFensters", nr);
    Send("LoescheFenster", nr);
    EXPECT_EQ(Send("MerkeBild", nr, 0, 0, 0, 0, "tile.bmp"), "-1");
    EXPECT_EQ(Send("FuellDateiMuster", nr, 0, 0, 0, 0, "tile.bmp"), "-1");
    EXPECT_EQ(Send("PruefeBildDatei", nr, 0, 0, 0, 0, "tile.bmp"), "BildDateiNichtDa");
  }
  EXPECT_EQ(Send("Erstellen"), std::to_string(n + 1));
}

// ------------------------------------------------------------ results

TEST_F(WindowTest, OnlyTheListedCommandsSetTheResult) {
  EXPECT_EQ(Send("Erstellen"), "1");
  EXPECT_EQ(Send("SetzXY", 1, 30, 40), "1");
  EXPECT_EQ(Send("SetzGrundfarbe", 1, 1, 2, 3), "1");
  EXPECT_EQ(Send("ZeigAn", 1), "1");
  EXPECT_EQ(Send("Zeigen", 1), "1");
  EXPECT_EQ(Send("Erstellen"), "2");
  EXPECT_EQ(Send("LoescheFenster", 2), "2");
}

TEST_F(WindowTest, TwentyImagesPerWindowTheTwentyFirstIsRefused) {
  test::WriteSolidBmp("b.bmp", 3, 2, 0x123456);
  const int32_t n = NumberOf(Send("Erstellen"));
  for (int32_t i = 1; i <= 20; ++i) {
    EXPECT_EQ(Send("MerkeBild", n, 0, 0, 0, 0, "b.bmp"), std::to_string(i));
  }
  EXPECT_EQ(Send("MerkeBild", n, 0, 0, 0, 0, "b.bmp"), "-1");
  EXPECT_EQ(Send("FuellDateiMuster", n, 0, 0, 0, 0, "b.bmp"), "-1");
  EXPECT_TRUE(Screen().lines.empty()) << "a full window refuses without a message";
}

TEST_F(WindowTest, AMissingFileReportsWaitsUsesUpItsSlotAndKeepsTheBackground) {
  test::WriteSolidBmp("present.bmp", 2, 2, 0x00FF00);
  std::ofstream("empty.bmp").flush();  // an empty file counts as missing
  Layout().Hintergrund.reset(rt::CreateImage(8, 8, 0xFF0000FF));
  ASSERT_TRUE(Layout().Hintergrund);
  rt::Image background = Layout().Hintergrund;

  const int32_t n = NumberOf(Send("Erstellen"));
  Screen().KeyAfter(4);
  EXPECT_EQ(Send("MerkeBild", n, 0, 0, 0, 0, "missing.bmp"), "-1");
  EXPECT_GE(Screen().polls, 4) << "the message waits for a key";
  EXPECT_TRUE(
      Screen().HasLine("Soll Bild aus der Datei missing.bmp einlesen, Datei existiert jedoch "
                       "nicht. Taste = weiter"));
  EXPECT_EQ(Layout().Hintergrund.get(), background) << "the scene background must survive";
  EXPECT_EQ(rt::GetPixel(Layout().Hintergrund, 3, 3) & 0xFFFFFF, 0x0000FFu);

  EXPECT_EQ(Send("MerkeBild", n, 0, 0, 0, 0, "present.bmp"), "2");
  // An empty file, a folder and a named pipe count as missing; nothing waits
  // for the pipe.
  test::HangGuard guard(10);
  std::filesystem::create_directory("folder.bmp");
  ASSERT_EQ(::mkfifo("pipe.bmp", 0644), 0);
  for (const char* name : {"empty.bmp", "folder.bmp", "pipe.bmp"}) {
    Screen().KeyAfter(1);
    EXPECT_EQ(Send("PruefeBildDatei", n, 0, 0, 0, 0, name), "BildDateiNichtDa") << name;
  }
  EXPECT_EQ(Send("PruefeBildDatei", n, 0, 0, 0, 0, "present.bmp"), "BildDateiIstOK");
  FreeHintergrund();  // made by this case, so freed by it too
}

TEST_F(WindowTest, AnUnknownWordIsReportedAsSpelled) {
  Send("Erstellen");
  EXPECT_EQ(Send("Zeigen", 1, 0, 0, 0, 0, ""), "1");
  ASSERT_EQ(Screen().lines.size(), 1u);
  EXPECT_EQ(Screen().lines[0], "SelectCase in Fenster-Sub kennt folgende Aufgabe nicht: Zeigen");
}

TEST_F(WindowTest, CommandWordsAreMatchedInAnyCase) {
  const int32_t n = NumberOf(Send("eRsTeLlEn"));
  Send("setzxy", n, 100, 100);
  Send("SETZGRUNDFARBE", n, 9, 8, 7);
  Send("setzGroesse", n, 4, 4);
  Send("SetzTitel", n, 1);
  Send("SetzRahmenBreite", n, 0);
  Send("zeigan", n);
  EXPECT_EQ(Pixel(100, 100), 0x090807u);
  EXPECT_TRUE(Screen().lines.empty());
}

// ------------------------------------------------------------ colours

TEST_F(WindowTest, ColourComponentsSpillIntoTheNeighbouringChannels) {
  const int32_t n = PlainWindow(0, 0, 4, 4, 128, 128, 128);
  Send("ZeigAn", n);
  EXPECT_EQ(Pixel(0, 0), 0x808080u);

  Send("SetzGrundfarbe", n, 0, 0, 300);
  Send("SetzGroesse", n, 4, 4);
  Send("ZeigAn", n);
  EXPECT_EQ(Pixel(0, 0), 0x00012Cu);

  // A negative component sets every bit above it.
  Send("SetzGrundfarbe", n, 0, -1, 5);
  Send("SetzGroesse", n, 4, 4);
  Send("ZeigAn", n);
  EXPECT_EQ(Pixel(0, 0), 0xFFFF05u);
}

TEST_F(WindowTest, ResizingRepaintsInTheBaseColourAndLosesThePainting) {
  const int32_t n = PlainWindow(0, 0, 6, 6, 10, 20, 30);
  Send("SetzNextAktionFarbe", n, 200, 0, 0);
  Send("MalRechteck", n, 0, 0, 5, 5);
  Send("SetzGrundfarbe", n, 1, 2, 3);  // does not repaint by itself
  Send("ZeigAn", n);
  EXPECT_EQ(Pixel(2, 2), 0xC80000u);
  Send("SetzGroesse", n, 8, 3);
  test::FillScreen(0xFFFFFFFF);
  Send("ZeigAn", n);
  for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(Pixel(x, 2), 0x010203u);
  EXPECT_EQ(Pixel(8, 0), 0xFFFFFFu);
  EXPECT_EQ(Pixel(0, 3), 0xFFFFFFu);
}

// Both corners are inclusive, and a size that carries the far corner past
// the 32-bit range still ends beyond the far edge instead of wrapping round
// to the other side of the bitmap.
TEST_F(WindowTest, MalRechteckCornersAreInclusiveAndHugeSizesReachTheFarEdge) {
  struct Case {
    int32_t w1, w2, w3, w4;
    bool (*inside)(int32_t x, int32_t y);
  };
  const Case cases[] = {
      {5, 5, 0, 0, [](int32_t x, int32_t y) { return x == 5 && y == 5; }},
      {10, 3, INT32_MAX, 2, [](int32_t x, int32_t y) { return x >= 10 && y >= 3 && y <= 5; }},
      {2, 7, 3, INT32_MAX, [](int32_t x, int32_t y) { return x >= 2 && x <= 5 && y >= 7; }},
      {-5, 4, INT32_MIN, 0, [](int32_t, int32_t) { return false; }},
      {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, [](int32_t, int32_t) { return false; }},
  };
  for (const Case& f : cases) {
    const int32_t n = PlainWindow(100, 100, 40, 30, 0, 0, 50);
    Send("SetzNextAktionFarbe", n, 255, 0, 0);
    Send("MalRechteck", n, f.w1, f.w2, f.w3, f.w4);
    Send("ZeigAn", n);
    for (int32_t y = 0; y < 30; ++y) {
      for (int32_t x = 0; x < 40; ++x) {
        ASSERT_EQ(Pixel(100 + x, 100 + y), f.inside(x, y) ? 0xFF0000u : 0x000032u)
            << "MalRechteck " << f.w1 << ", " << f.w2 << ", " << f.w3 << ", " << f.w4 << ": pixel "
            << x << "," << y;
      }
    }
  }
}

// ------------------------------------------------------------ tiling

// A 16 x 16 tile whose every pixel is different, so each screen pixel tells
// which tile pixel landed there.
uint32_t TileColour(int32_t x, int32_t y) {
  return 0x100000u + static_cast<uint32_t>(x) * 0x0100u + static_cast<uint32_t>(y) * 4u;
}

class TileTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    test::WriteBmp("tile.bmp", 16, 16, TileColour);
    n_ = PlainWindow(0, 0, 100, 90, 1, 2, 3);
    slot_ = Send("MerkeBild", n_, 0, 0, 0, 0, "tile.bmp");
    ASSERT_EQ(slot_, "1");
  }

  // Every bitmap pixel: the tile anchored at (x0, y0) inside the covered
  // rectangle, the base colour elsewhere.
  void CheckArea(int64_t x0, int64_t y0, int64_t width, int64_t height) {
    Send("ZeigAn", n_);
    for (int32_t y = 0; y < 90; ++y) {
      for (int32_t x = 0; x < 100; ++x) {
        const bool inside = x >= x0 && x < x0 + width && y >= y0 && y < y0 + height;
        const uint32_t expected = inside
                                      ? TileColour(static_cast<int32_t>(((x - x0) % 16 + 16) % 16),
                                                   static_cast<int32_t>(((y - y0) % 16 + 16) % 16))
                                      : 0x010203u;
        ASSERT_EQ(Pixel(x, y), expected) << "pixel " << x << "," << y;
      }
    }
  }

  int32_t n_ = 0;
  std::string slot_;
};

TEST_F(TileTest, WholeTilesEdgePiecesAndCornerCoverExactlyTheRectangle) {
  Send("FuellRechteck", n_, 10, 20, 39, 39, slot_);
  CheckArea(10, 20, 40, 40);
}

TEST_F(TileTest, AnExactMultipleHasNoEdgePiece) {
  Send("FuellRechteck", n_, 10, 20, 31, 15, slot_);
  CheckArea(10, 20, 32, 16);
}

TEST_F(TileTest, NarrowerThanOneTileIsOnlyTheCornerPiece) {
  Send("FuellRechteck", n_, 3, 4, 4, 2, slot_);
  CheckArea(3, 4, 5, 3);
}

TEST_F(TileTest, TheTilingIsAnchoredAtTheRectangleEvenOutsideTheBitmap) {
  Send("FuellRechteck", n_, -5, -9, 60, 40, slot_);
  CheckArea(-5, -9, 61, 41);
}

TEST_F(TileTest, AHugeRectangleFillsTheBitmapWithoutVisitingEveryTile) {
  // A billion tiles on each side: only those on the bitmap may cost time.
  Send("FuellRechteck", n_, -1000000007, -999999999, 2147483646, 2147483646, slot_);
  CheckArea(-1000000007, -999999999, 2147483647, 2147483647);
}

TEST_F(TileTest, FillDateiMusterCoversTheWholeBitmapFromTheOrigin) {
  EXPECT_EQ(Send("FuellDateiMuster", n_, 50, 45, 0, 0, "tile.bmp"), "2");
  CheckArea(0, 0, 100, 90);
}

TEST_F(TileTest, FillsWithoutAUsableTilePaintNothing) {
  // A header that claims width 0, and one with a negative height.
  test::WriteSolidBmp("zero.bmp", 1, 1, 0xFF0000);
  test::WriteSolidBmp("upsidedown.bmp", 2, 2, 0xFF0000);
  {
    std::fstream f("zero.bmp", std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(18);
    f.write("\0\0\0\0", 4);
    std::fstream g("upsidedown.bmp", std::ios::in | std::ios::out | std::ios::binary);
    g.seekp(22);
    g.write("\xFE\xFF\xFF\xFF", 4);
  }
  EXPECT_EQ(Send("MerkeBild", n_, 0, 0, 0, 0, "zero.bmp"), "2");
  EXPECT_EQ(Send("MerkeBild", n_, 0, 0, 0, 0, "upsidedown.bmp"), "3");
  for (const char* slot : {"-1", "0", "2", "3", "4", "20", "21", "999", "-2147483648", "abc"}) {
    Send("FuellRechteck", n_, 0, 0, 99, 89, slot);
  }
  for (int32_t slot : {-1, 0, 2, 3, 4, 21, INT32_MIN, INT32_MAX}) {
    Send("SetzeBildTransparent", n_, 0, 0, slot);
  }
  Screen().KeyAfter(1);
  EXPECT_EQ(Send("FuellDateiMuster", n_, 0, 0, 0, 0, "missing.bmp"), "-1");
  CheckArea(0, 0, 0, 0);
}

TEST_F(TileTest, MaskColouredTilePixelsLetTheBitmapShowThrough) {
  auto masked = [](int32_t x, int32_t y) {
    return (x + y) % 3 == 0 ? 0xFF00FFu : TileColour(x, y);
  };
  test::WriteBmp("holed.bmp", 16, 16, masked);
  const std::string holed = Send("MerkeBild", n_, 0, 0, 0, 0, "holed.bmp");
  Send("FuellRechteck", n_, 10, 20, 39, 39, holed);
  Send("SetzeBildTransparent", n_, 70, 5, NumberOf(holed));
  Send("ZeigAn", n_);
  for (int32_t y = 0; y < 90; ++y) {
    for (int32_t x = 0; x < 100; ++x) {
      uint32_t expected = 0x010203u;
      if (x >= 10 && x < 50 && y >= 20 && y < 60) expected = masked((x - 10) % 16, (y - 20) % 16);
      if (x >= 70 && x < 86 && y >= 5 && y < 21) expected = masked(x - 70, y - 5);
      if (expected == 0xFF00FFu) expected = 0x010203u;
      ASSERT_EQ(Pixel(x, y), expected) << "pixel " << x << "," << y;
    }
  }
}

// ------------------------------------------------------------ text

class TextTest : public WindowTest {
 protected:
  // Draws with the window, then the same text directly with the expected
  // colours on a twin image, and compares both pixel by pixel.
  void Compare(std::string_view command, int32_t d, int32_t r, int32_t g, int32_t b,
               uint32_t lowerRight, uint32_t upperLeft) {
    const int32_t n = PlainWindow(0, 0, 80, 40, 0, 0, 0);
    Send("SetzSchriftfarbe", n, r, g, b);
    Send("SetzFontNr", n, 0);
    Send(command, n, 10, 10, d, 0, "AW");
    Send("ZeigAn", n);

    rt::OwnedImage twin(rt::CreateImage(80, 40, 0xFF000000));
    const uint32_t face = 0xFF000000u | static_cast<uint32_t>(r) << 16 |
                          static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
    MaleText3D("AW", 10, 10, face, lowerRight, upperLeft, 0, twin);
    rt::PutImage(nullptr, 200, 0, twin, 0, 0, 80, 40, rt::PutMode::Opaque);
    int lower = 0, upper = 0;
    for (int32_t y = 0; y < 40; ++y) {
      for (int32_t x = 0; x < 80; ++x) {
        ASSERT_EQ(Pixel(x, y), Pixel(200 + x, y)) << command << " pixel " << x << "," << y;
        lower += Pixel(x, y) == (lowerRight & 0xFFFFFF);
        upper += Pixel(x, y) == (upperLeft & 0xFFFFFF);
      }
    }
    EXPECT_GT(lower, 0);
    EXPECT_GT(upper, 0);
  }
};

TEST_F(TextTest, RaisedTextHasTheDarkShadeBelowRightAndTheLightAboveLeft) {
  Compare("Schreib3DText", 0, 128, 128, 128, 0xFF6C6C6C, 0xFF949494);
  Compare("Schreib3DText", 60, 128, 128, 128, 0xFF444444, 0xFFBCBCBC);
}

TEST_F(TextTest, EngravedTextSwapsTheShades) {
  Compare("SchreibGravText", 60, 96, 96, 96, 0xFF9C9C9C, 0xFF242424);
}

TEST_F(TextTest, ShadesAreNotClamped) {
  // Blue 0 - 20 = -20: its sign bits reach every channel.
  Compare("Schreib3DText", 20, 10, 10, 0, 0xFFFFFFEC, 0xFF1E1E14);
}

TEST_F(TextTest, ExtremeComponentsAndDistancesWrapInsteadOfOverflowing) {
  // Face: red INT32_MAX shifted leaves 0xFFFF, green INT32_MIN leaves 0.
  // Dark: 0, INT32_MIN - INT32_MAX = 1, 0x40 - INT32_MAX = 0x80000041.
  // Light: -2, -1, 0x8000003F, whose high bits fill red and green.
  Compare("Schreib3DText", INT32_MAX, INT32_MAX, INT32_MIN, 0x40, 0xFF000141, 0xFFFFFF3F);
  // A distance of INT32_MIN only flips bit 31 of each component, which the
  // shifts push out or the alpha byte covers: all three copies are the face.
  Compare("SchreibGravText", INT32_MIN, 0x12, 0x34, 0x56, 0xFF123456, 0xFF123456);

  // A font number that names no font draws nothing at all.
  const int32_t n = PlainWindow(0, 0, 40, 30, 0, 0, 0);
  Send("SetzSchriftfarbe", n, 255, 255, 255);
  Send("SetzFontNr", n, 7);
  Send("SchreibText", n, 5, 5, 0, 0, "X");
  Send("Schreib3DText", n, 5, 5, 0, 0, "X");
  Send("ZeigAn", n);
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 40; ++x)
      ASSERT_EQ(Pixel(x, y), 0u) << "font 7: pixel " << x << "," << y;
  }
}

TEST_F(TextTest, PlainTextUsesTheWindowsColourAndFont) {
  const int32_t n = PlainWindow(0, 0, 60, 30, 0, 0, 0);
  Send("SetzSchriftfarbe", n, 1, 200, 3);
  Send("SetzFontNr", n, 2);
  Send("SchreibText", n, 4, 6, 0, 0, "Hi");
  Send("ZeigAn", n);
  rt::OwnedImage twin(rt::CreateImage(60, 30, 0xFF000000));
  MaleText("Hi", 4, 6, 0xFF01C803, 2, twin);
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 60; ++x) {
      ASSERT_EQ(Pixel(x, y), rt::GetPixel(twin, x, y) & 0xFFFFFF) << x << "," << y;
    }
  }
}

// ------------------------------------------------------------ showing

TEST_F(WindowTest, TheFrameLiesOutsideTheBitmapWithDistanceZero) {
  test::FillScreen(0xFFFFFFFF);
  const int32_t n = PlainWindow(100, 50, 200, 40, 0, 0, 200);
  Send("SetzRahmenBreite", n, 1);
  Send("SetzRahmenfarbe", n, 100, 100, 100);
  Send("SetzRahmenAbstand", n, 0, 0);
  Send("ZeigAn", n, 0, 0, 0);
  for (int32_t y = 48; y <= 91; ++y) {
    for (int32_t x = 98; x <= 301; ++x) {
      uint32_t expected = 0xFFFFFFu;
      if (x >= 99 && x <= 300 && y >= 49 && y <= 90) expected = 0x646464u;
      if (x >= 100 && x <= 299 && y >= 50 && y <= 89) expected = 0x0000C8u;
      ASSERT_EQ(Pixel(x, y), expected) << x << "," << y;
    }
  }
}

TEST_F(WindowTest, FrameDistancesMoveTheFrameInwards) {
  const int32_t n = PlainWindow(100, 50, 20, 10, 0, 0, 200);
  Send("SetzRahmenBreite", n, 1);
  Send("SetzRahmenfarbe", n, 100, 100, 100);
  Send("SetzRahmenAbstand", n, 1, 1);
  Send("ZeigAn", n);
  EXPECT_EQ(Pixel(100, 50), 0x646464u);
  EXPECT_EQ(Pixel(119, 59), 0x646464u);
  EXPECT_EQ(Pixel(101, 51), 0x0000C8u);
  EXPECT_EQ(Pixel(99, 50), 0u);

  Send("SetzRahmenAbstand", n, 3, 2);  // x 3, y 2
  Send("ZeigAn", n);
  EXPECT_EQ(Pixel(102, 51), 0x646464u);
  EXPECT_EQ(Pixel(117, 58), 0x646464u);
  EXPECT_EQ(Pixel(101, 51), 0x0000C8u);
}

// Frame corners past the 32-bit range stay beyond the far edge: the frame
// then runs from its near corner to the screen's edge, and neither it nor the
// title wraps round to the other side of the screen.
TEST_F(WindowTest, FrameAndTitleCornersBeyondTheRangeStayOffTheScreen) {
  const rt::ScreenInfo info = rt::GetScreenInfo();
  // Compares every screen pixel with the frame's rows and columns.
  auto check = [&](const char* what, auto frame) {
    int32_t errors = 0;
    for (int32_t y = 0; y < info.height; ++y) {
      for (int32_t x = 0; x < info.width; ++x) {
        const uint32_t expected = frame(x, y) ? 0x646464u : 0u;
        if (Pixel(x, y) != expected && ++errors <= 5) {
          ADD_FAILURE() << what << ": pixel " << x << "," << y << " is 0x" << std::hex
                        << Pixel(x, y);
        }
      }
    }
    EXPECT_EQ(errors, 0) << what;
  };

  // x + width and y + height pass INT32_MAX: the bitmap is too big to exist,
  // and only the top and left sides of the frame lie on the screen.
  int32_t n = PlainWindow(100, 50, INT32_MAX - 50, INT32_MAX - 60, 0, 0, 200);
  Send("SetzRahmenBreite", n, 1);
  Send("SetzRahmenfarbe", n, 100, 100, 100);
  Send("SetzRahmenAbstand", n, 0, 0);
  Send("ZeigAn", n);
  check("huge size",
        [](int32_t x, int32_t y) { return (y == 49 && x >= 99) || (x == 99 && y >= 49); });

  // A window at INT32_MAX with a horizontal distance of INT32_MAX: its left
  // side lies far beyond the right edge, its right side at x + 20 - INT32_MAX
  // = 20, and the title after the left side is not on the screen.
  rt::ClearScreen();
  n = PlainWindow(0, 0, 20, 10, 0, 0, 200);
  Send("SetzTitel", n, 0, 0, 0, 0, "Titel");
  Send("SetzRahmenBreite", n, 1);
  Send("SetzRahmenfarbe", n, 100, 100, 100);
  Send("SetzRahmenAbstand", n, INT32_MAX, 0);
  Send("ZeigAn", n, INT32_MAX, 60);
  check("huge place and distance", [](int32_t x, int32_t y) {
    return ((y == 59 || y == 70) && x >= 20) || (x == 20 && y >= 59 && y <= 70);
  });
}

TEST_F(WindowTest, ZeigAnMovesTheWindowAndTheNewPlaceIsKept) {
  const int32_t n = PlainWindow(100, 50, 5, 5, 0, 0, 200);
  Send("ZeigAn", n, 30, 0, 0);
  EXPECT_EQ(Pixel(30, 50), 0x0000C8u);
  rt::ClearScreen();
  Send("ZeigAn", n, 0, 0, 0);
  EXPECT_EQ(Pixel(30, 50), 0x0000C8u);
  EXPECT_EQ(Pixel(29, 50), 0u);
  Send("ZeigAn", n, 0, 70, 0);
  EXPECT_EQ(Pixel(30, 70), 0x0000C8u);
  EXPECT_EQ(Pixel(30, 69), 0u);
}

TEST_F(WindowTest, AWindowCanBeShownIntoAnotherWindowsBitmap) {
  const int32_t target = PlainWindow(0, 0, 30, 30, 0, 0, 255);
  const int32_t source = PlainWindow(0, 0, 6, 4, 255, 0, 0);
  Send("SetzRahmenBreite", source, 1);
  Send("SetzRahmenfarbe", source, 0, 255, 0);
  Send("SetzRahmenAbstand", source, 0, 0);
  Send("ZeigAn", source, 10, 20, target);
  EXPECT_EQ(Pixel(10, 20), 0u) << "nothing reaches the screen yet";
  Send("ZeigAn", target);
  EXPECT_EQ(Pixel(10, 20), 0xFF0000u);
  EXPECT_EQ(Pixel(15, 23), 0xFF0000u);
  EXPECT_EQ(Pixel(9, 19), 0x00FF00u);
  EXPECT_EQ(Pixel(16, 24), 0x00FF00u);
  EXPECT_EQ(Pixel(17, 24), 0x0000FFu);
}

TEST_F(WindowTest, AWindowShownIntoItselfCopiesFromASnapshot) {
  const int32_t n = PlainWindow(0, 0, 20, 2, 0, 0, 0);
  Send("SetzNextAktionFarbe", n, 255, 0, 0);
  Send("MalRechteck", n, 0, 0, 4, 1);
  Send("ZeigAn", n, 5, 0, n);  // the bitmap onto itself, 5 pixels right
  Send("ZeigAn", n, 0, 0, 0);  // then to the screen at (5, 0)
  for (int32_t x = 0; x < 20; ++x) EXPECT_EQ(Pixel(5 + x, 0), x < 10 ? 0xFF0000u : 0u) << x;
}

TEST_F(WindowTest, ABadTargetIsReportedAndNothingIsDrawn) {
  // Away from the console lines at the top of the screen.
  const int32_t n = PlainWindow(400, 400, 10, 10, 255, 0, 0);
  Send("SetzRahmenBreite", n, 1);
  Send("ZeigAn", n, 0, 0, 60);
  ASSERT_EQ(Screen().lines.size(), 1u);
  EXPECT_EQ(Screen().lines[0],
            "Fenster(): Soll das Fenster " + std::to_string(n) +
                "in Bitmap des Fensters 60 blitten, ZielfensterNr ist aber nicht OK");
  // A deleted window below the highest number is no target either.
  const int32_t dead = PlainWindow(0, 0, 10, 10, 0, 0, 0);
  PlainWindow(0, 0, 10, 10, 0, 0, 0);
  Send("LoescheFenster", dead);
  Send("ZeigAn", n, 0, 0, dead);
  Send("ZeigAn", n, 0, 0, -3);
  EXPECT_EQ(Screen().lines.size(), 3u) << "dead windows and negative numbers are no targets";
  for (int32_t y = 398; y < 412; ++y) {
    for (int32_t x = 398; x < 412; ++x) ASSERT_EQ(Pixel(x, y), 0u) << x << "," << y;
  }
}

TEST_F(WindowTest, TheTitleIsDrawnOnTheScreenCutToFortyCharacters) {
  // Blanks after the first forty: if they were kept, the 41st cell would be
  // empty instead of holding the first digit of the bitmap's number.
  const std::string longTitle = std::string(40, 'M') + std::string(20, ' ');
  const int32_t n = PlainWindow(100, 200, 30, 10, 0, 0, 0);
  Send("SetzTitel", n, 0, 0, 0, 0, longTitle);
  Send("SetzRahmenAbstand", n, 10, 8);
  Send("ZeigAn", n);
  // Title at (left + 15, top + font height): left = 100 + 10 - 1, top = 200 + 8 - 1.
  const int32_t w = FontBreite(1), h = FontHoehe(1);
  const int32_t tx = 124, ty = 207 + h;
  std::vector<uint32_t> shown;
  for (int32_t y = ty; y < ty + h; ++y) {
    for (int32_t x = tx; x < tx + 41 * w; ++x) shown.push_back(Pixel(x, y));
  }
  rt::ClearScreen();
  MaleText(std::string(40, 'M'), tx, ty, 0xFFFFFFFF, 1, nullptr);
  size_t i = 0;
  bool digit = false;
  for (int32_t y = ty; y < ty + h; ++y) {
    for (int32_t x = tx; x < tx + 40 * w; ++x, ++i) {
      ASSERT_EQ(shown[i], Pixel(x, y)) << x << "," << y;
    }
    for (int32_t x = 0; x < w; ++x, ++i) digit |= shown[i] == 0xFFFFFFu;
  }
  EXPECT_TRUE(digit) << "the bitmap number follows the 40th character";

  rt::ClearScreen();
  Send("SetzTitel", n, 1, 0, 0, 0, longTitle);
  Send("ZeigAn", n);
  for (int32_t y = ty; y < ty + h; ++y) {
    for (int32_t x = tx; x < tx + 41 * w; ++x) ASSERT_EQ(Pixel(x, y), 0u) << x << "," << y;
  }
}

// ------------------------------------------------------------ deleting

TEST_F(WindowTest, AWindowWithoutBitmapPaintsNothingOnTheScreen) {
  test::WriteSolidBmp("k.bmp", 4, 4, 0x00FF00);
  const int32_t n = PlainWindow(0, 0, 20, 20, 0, 0, 0);
  Send("MerkeBild", n, 0, 0, 0, 0, "k.bmp");
  Send("LoescheAlleBilderEinesFensters", n);
  Send("SetzNextAktionFarbe", n, 255, 255, 255);
  Send("MalRechteck", n, 0, 0, 10, 10);
  Send("FuellRechteck", n, 0, 0, 10, 10, "1");
  Send("SetzeBildTransparent", n, 0, 0, 1);
  Send("SchreibText", n, 0, 0, 0, 0, "WWW");
  Send("Schreib3DText", n, 0, 0, 0, 0, "WWW");
  Send("ZeigAn", n);
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 40; ++x) ASSERT_EQ(Pixel(x, y), 0u) << x << "," << y;
  }
  // The window itself lives on: a new size gives it a bitmap again.
  Send("SetzGroesse", n, 3, 3);
  Send("ZeigAn", n);
  EXPECT_EQ(Pixel(2, 2), 0u);
  EXPECT_EQ(Send("MerkeBild", n, 0, 0, 0, 0, "k.bmp"), "2");
}

TEST_F(WindowTest, LogLinesAreWrittenOnlyWhenTheSwitchIsOn) {
  Send("Erstellen", 0, 0, 0, 0, 0, "leise");
  EXPECT_TRUE(test::LogLines().empty());
  Send("LoeschAlleFenster");

  Settings().ProtokollAn = 1;
  Send("Erstellen", 0, 0, 0, 0, 0, "Kopf");
  Send("Erstellen", 0, 0, 0, 0, 0, "");
  Send("LoescheFenster", 2);
  Send("LoeschAlleFenster", 0, 0, 0, 0, 0, "Aufloesungfertig");
  const std::vector<std::string> expected = {
      "   Fenster(): Erstelle Fenster mit Nummer 1  und Textuebergabe:Kopf",
      "   Fenster(): Erstelle Fenster mit Nummer 2  und Textuebergabe:",
      "   Fenster(): Loesche Fenster 2",
      "   Fenster(): alle Bilder des Fensters 2 werden geloescht",
      "   Fenster(): Loesche ALLE Fenster (0-1)",
  };
  EXPECT_EQ(test::LogLines(), expected);
}

// ------------------------------------------------------------ typed calls

// The result Fenster answers now: a command without a result of its own, for
// no window, answers the last one.
std::string LastResult() {
  return Send("SetzXY", windows::kNoWindow);
}

// One command twice: as the word with its arguments, and as the typed call
// the other modules make. Each answers its result as text ("" for none).
struct TwinCase {
  const char* what;
  std::string (*word)(int32_t n, int32_t target);
  std::string (*typed)(int32_t n, int32_t target);
};

std::string Text(int32_t number) {
  return rt::IntToText(number);
}

const TwinCase kTwins[] = {
    {"create", [](int32_t, int32_t) { return Send("Erstellen", 0, 0, 0, 0, 0, "neu"); },
     [](int32_t, int32_t) { return Text(windows::Create("neu")); }},
    {"title hidden", [](int32_t n, int32_t) { return Send("SetzTitel", n, 1, 0, 0, 0, "Titel"); },
     [](int32_t n, int32_t) {
       windows::SetTitle(n, "Titel", windows::Title::Hidden);
       return LastResult();
     }},
    {"position", [](int32_t n, int32_t) { return Send("SetzXY", n, 30, 25); },
     [](int32_t n, int32_t) {
       windows::SetPosition(n, 30, 25);
       return LastResult();
     }},
    {"base colour and size",
     [](int32_t n, int32_t) {
       Send("SetzGrundfarbe", n, 200, 100, 300);
       return Send("SetzGroesse", n, 50, 30);
     },
     [](int32_t n, int32_t) {
       windows::SetBaseColour(n, {200, 100, 300});
       windows::SetSize(n, 50, 30);
       return LastResult();
     }},
    {"frame",
     [](int32_t n, int32_t) {
       Send("SetzRahmenBreite", n, 1);
       Send("SetzRahmenfarbe", n, 10, 250, 40);
       return Send("SetzRahmenAbstand", n, 3, 7);
     },
     [](int32_t n, int32_t) {
       windows::SetFrameWidth(n, 1);
       windows::SetFrameColour(n, {10, 250, 40});
       windows::SetFrameDistance(n, 3, 7);
       return LastResult();
     }},
    {"box",
     [](int32_t n, int32_t) {
       Send("SetzNextAktionFarbe", n, 255, 0, 99);
       return Send("MalRechteck", n, 4, 6, 20, 9);
     },
     [](int32_t n, int32_t) {
       windows::SetBoxColour(n, {255, 0, 99});
       windows::PaintBox(n, 4, 6, 20, 9);
       return LastResult();
     }},
    {"tiles", [](int32_t n, int32_t) { return Send("FuellRechteck", n, 5, 3, 40, 25, "1"); },
     [](int32_t n, int32_t) {
       windows::FillRect(n, 5, 3, 40, 25, 1);
       return LastResult();
     }},
    {"pattern", [](int32_t n, int32_t) { return Send("FuellDateiMuster", n, 0, 0, 0, 0, "b.bmp"); },
     [](int32_t n, int32_t) { return Text(windows::FillWithPattern(n, "b.bmp")); }},
    {"remember and paste",
     [](int32_t n, int32_t) {
       const std::string slot = Send("MerkeBild", n, 0, 0, 0, 0, "b.bmp");
       Send("SetzeBildTransparent", n, 12, 9, NumberOf(slot));
       return slot;
     },
     [](int32_t n, int32_t) {
       const int32_t slot = windows::RememberImage(n, "b.bmp");
       windows::PasteTransparent(n, 12, 9, slot);
       return Text(slot);
     }},
    {"remember into a window that is not live",
     [](int32_t, int32_t) { return Send("MerkeBild", 7, 0, 0, 0, 0, "b.bmp"); },
     [](int32_t, int32_t) { return Text(windows::RememberImage(7, "b.bmp")); }},
    {"plain text",
     [](int32_t n, int32_t) {
       Send("SetzSchriftfarbe", n, 1, 200, 3);
       Send("SetzFontNr", n, 2);
       return Send("SchreibText", n, 4, 6, 0, 0, "Hi");
     },
     [](int32_t n, int32_t) {
       windows::SetTextColour(n, {1, 200, 3});
       windows::SetFont(n, 2);
       windows::WriteText(n, 4, 6, "Hi");
       return LastResult();
     }},
    {"raised text with the default distance",
     [](int32_t n, int32_t) { return Send("Schreib3DText", n, 8, 8, 0, 0, "AW"); },
     [](int32_t n, int32_t) {
       windows::WriteRaisedText(n, 8, 8, 20, "AW");
       return LastResult();
     }},
    {"raised text", [](int32_t n, int32_t) { return Send("Schreib3DText", n, 8, 8, 70, 0, "AW"); },
     [](int32_t n, int32_t) {
       windows::WriteRaisedText(n, 8, 8, 70, "AW");
       return LastResult();
     }},
    {"engraved text",
     [](int32_t n, int32_t) { return Send("SchreibGravText", n, 8, 8, 70, 0, "AW"); },
     [](int32_t n, int32_t) {
       windows::WriteEngravedText(n, 8, 8, 70, "AW");
       return LastResult();
     }},
    {"shown into another window",
     [](int32_t n, int32_t target) { return Send("ZeigAn", n, 9, 4, target); },
     [](int32_t n, int32_t target) {
       windows::ShowAt(n, 9, 4, target);
       return LastResult();
     }},
    {"images deleted", [](int32_t n, int32_t) { return Send("LoescheAlleBilderEinesFensters", n); },
     [](int32_t n, int32_t) {
       windows::DeleteImages(n);
       return LastResult();
     }},
    {"window deleted",
     [](int32_t n, int32_t) {
       Send("LoescheFenster", n);
       return Send("Erstellen");
     },
     [](int32_t n, int32_t) {
       windows::Delete(n);
       return Text(windows::Create(""));
     }},
    // The new window 1 is shown afterwards: its title, which would show its
    // bitmap's number, is hidden.
    {"all deleted",
     [](int32_t, int32_t) {
       Send("LoeschAlleFenster");
       const std::string created = Send("Erstellen");
       Send("SetzTitel", 1, 1);
       return created;
     },
     [](int32_t, int32_t) {
       windows::DeleteAll();
       const int32_t created = windows::Create("");
       windows::SetTitle(1, "", windows::Title::Hidden);
       return Text(created);
     }},
};

// What one run of a twin left behind: its answer, the result Fenster
// answers afterwards, the screen and the log.
struct TwinRun {
  std::string answer, lastResult;
  std::vector<uint32_t> pixels;
  std::vector<std::string> log;
};

TEST_F(WindowTest, TypedCallsDrawAnswerAndLogAsTheirWords) {
  test::WriteBmp("b.bmp", 7, 5, [](int32_t x, int32_t y) {
    return (x + y) % 3 == 0 ? 0xFF00FFu : 0x300000u + static_cast<uint32_t>(x * 0x1100 + y * 9);
  });
  // Two windows with a remembered tile each, the second a target for the
  // first; then the command, and both shown on a known screen.
  auto run = [&](std::string (*command)(int32_t, int32_t)) {
    Send("LoeschAlleFenster");
    std::remove("wimmelprt.txt");
    test::FillScreen(0xFF102030);
    const int32_t n = PlainWindow(10, 10, 60, 40, 0, 0, 80);
    const int32_t target = PlainWindow(100, 10, 80, 50, 0, 90, 0);
    Send("MerkeBild", n, 0, 0, 0, 0, "b.bmp");
    Settings().ProtokollAn = 1;
    TwinRun result;
    result.answer = command(n, target);
    Settings().ProtokollAn = 0;
    result.lastResult = LastResult();
    Send("ZeigAn", n);
    Send("ZeigAn", target);
    for (int32_t y = 0; y < 80; ++y) {
      for (int32_t x = 0; x < 200; ++x) result.pixels.push_back(Pixel(x, y));
    }
    result.log = test::LogLines();
    return result;
  };
  for (const TwinCase& twin : kTwins) {
    const TwinRun word = run(twin.word);
    const TwinRun typed = run(twin.typed);
    EXPECT_EQ(typed.answer, word.answer) << twin.what;
    EXPECT_EQ(typed.lastResult, word.lastResult) << twin.what;
    EXPECT_EQ(typed.log, word.log) << twin.what;
    size_t differing = 0;
    for (size_t i = 0; i < word.pixels.size(); ++i) differing += typed.pixels[i] != word.pixels[i];
    EXPECT_EQ(differing, 0u) << twin.what << ": pixels that differ";
  }
  EXPECT_TRUE(Screen().lines.empty());
}

}  // namespace
}  // namespace wimmel

namespace wimmel {
namespace {

// The start screen runs at 640 x 480 x 16: colours are reduced to 5-6-5 and
// the mask colour is 0xF81F there.
TEST(WindowHiColour, ColoursAndTransparentTilesOnA16BitScreen) {
  test::ScratchFolder folder;
  test::OpenScreen(18, 16);
  auto pattern = [](int32_t x, int32_t y) { return (x + y) % 2 == 0 ? 0xFF00FFu : 0xF0F0F0u; };
  test::WriteBmp("holed.bmp", 4, 4, pattern);
  const int32_t n = NumberOf(Send("Erstellen"));
  Send("SetzTitel", n, 1);
  Send("SetzXY", n, 0, 0);
  Send("SetzGrundfarbe", n, 0, 0, 300);
  Send("SetzGroesse", n, 8, 8);
  Send("SetzRahmenBreite", n, 0);
  EXPECT_EQ(Send("FuellDateiMuster", n, 0, 0, 0, 0, "holed.bmp"), "1");
  Send("ZeigAn", n);
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      const uint32_t expected = pattern(x % 4, y % 4) == 0xFF00FFu ? 0xFF00012Cu : 0xFFF0F0F0u;
      ASSERT_EQ(Pixel(x, y), rt::To565(expected)) << x << "," << y;
    }
  }
}

}  // namespace
}  // namespace wimmel
