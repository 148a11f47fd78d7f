// The window table and the window drawing commands, on a headless
// 1280 x 1024 x 32 screen. Window bitmaps are private to the window system,
// so every painting is checked after "ZeigAn" has copied it to the screen.
#include "windows/fenster.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "../runtime/hang_guard.h"
#include "runtime/image.h"
#include "runtime/runtime.h"
#include "shared/settings.h"
#include "testhilfe.h"
#include "text/text.h"

namespace rt = wimmel::rt;

namespace wimmel {
namespace {

using testhilfe::K;
using testhilfe::Pixel;

int32_t Zahl(const std::string& s) {
  return rt::RoundToInt(rt::TextToNumber(s));
}

std::string Fw(std::string_view wort, int32_t nr = 0, int32_t w1 = 0, int32_t w2 = 0,
               int32_t w3 = 0, int32_t w4 = 0, std::string_view text = "") {
  return Fenster(wort, nr, w1, w2, w3, w4, text);
}

class FensterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FontsInitialisieren();
    testhilfe::BildschirmOeffnen(21, 32);
    Fw("LoeschAlleFenster");
    FreeHintergrund();
    ResetSettings();
    Layout() = SceneLayout{};
    while (!rt::ReadKey().empty()) {
    }
    rt::ClearScreen();
    K().Leeren();
    testhilfe::TasteNach(3);
  }

  // A window without frame and title, in one colour, ready to be shown.
  int32_t Schlicht(int32_t x, int32_t y, int32_t w, int32_t h, int32_t r, int32_t g, int32_t b) {
    const int32_t n = Zahl(Fw("Erstellen", 0, 0, 0, 0, 0, "Probe"));
    Fw("SetzTitel", n, 1, 0, 0, 0, "Probe");
    Fw("SetzXY", n, x, y);
    Fw("SetzGrundfarbe", n, r, g, b);
    Fw("SetzGroesse", n, w, h);
    Fw("SetzRahmenBreite", n, 0);
    return n;
  }

  testhilfe::Arbeitsordner ordner_;
};

// ------------------------------------------------------------ numbering

TEST_F(FensterTest, NumbersRunFromOneToFiftyThenTheLimitIsReportedAndWaitsForAKey) {
  EXPECT_EQ(Fw("Erstellen", 0, 0, 0, 0, 0, "erstes"), "1");
  for (int32_t i = 2; i <= 50; ++i) EXPECT_EQ(Fw("Erstellen"), std::to_string(i));

  testhilfe::TasteNach(5);
  EXPECT_EQ(Fw("Erstellen"), "Fehler!, Max Fensterzahl war schon erreicht!");
  EXPECT_GE(testhilfe::T().polls, 5) << "the refusal must wait for a key";
  EXPECT_EQ(testhilfe::T().gedrueckt, 1);
  EXPECT_EQ(rt::ReadKey(), "") << "the awaited key is consumed";
  EXPECT_TRUE(K().Enthaelt("Function Fenster(): Soll ein neues Fenster erstellen"));
  EXPECT_TRUE(K().Enthaelt("Maximale Fensterzahl (50)aber bereits erreicht !"));

  // The refusal leaves the count alone: deleting 50 frees exactly one number.
  Fw("LoescheFenster", 50);
  EXPECT_EQ(Fw("Erstellen"), "50");

  Fw("LoeschAlleFenster");
  EXPECT_EQ(Fw("Erstellen"), "1");
}

TEST_F(FensterTest, DeletingBelowTheHighestKeepsItDeletingTheHighestLowersIt) {
  for (int i = 1; i <= 5; ++i) Fw("Erstellen");
  Fw("LoescheFenster", 3);
  EXPECT_EQ(Fw("Erstellen"), "6");

  Fw("LoeschAlleFenster");
  for (int i = 1; i <= 5; ++i) Fw("Erstellen");
  Fw("LoescheFenster", 3);
  Fw("LoescheFenster", 5);
  EXPECT_EQ(Fw("Erstellen"), "5");
}

TEST_F(FensterTest, CommandsForNumbersThatAreNotLiveAreIgnored) {
  // Number 0 is never handed out: deleting it must not pull the count below
  // zero, or a later window would get the number the panels use for "none".
  Fw("LoescheFenster", 0);
  Fw("LoescheFenster", 0);
  EXPECT_EQ(Fw("Erstellen"), "1");
  Fw("LoeschAlleFenster");

  const int32_t n = Schlicht(10, 10, 20, 20, 255, 0, 0);
  Fw("LoescheFenster", n);
  Fw("LoescheFenster", n);  // a second delete of a dead window changes nothing
  EXPECT_EQ(Fw("Erstellen"), "1");
  Fw("LoeschAlleFenster");

  // A panel that does not exist sends 0: nothing may reach the screen, not
  // even a title.
  testhilfe::BildschirmFuellen(0xFF102030);
  Fw("ZeigAn", 0);
  for (int32_t y = 0; y < 60; ++y) {
    for (int32_t x = 0; x < 400; ++x) ASSERT_EQ(Pixel(x, y), 0x102030u) << x << "," << y;
  }
  EXPECT_EQ(Fw("MerkeBild", 0, 0, 0, 0, 0, "fehlt.bmp"), "-1");
  EXPECT_TRUE(K().zeilen.empty()) << "no file check for a window that does not exist";
}

TEST_F(FensterTest, NumbersOutsideTheTableAreIgnored) {
  testhilfe::SchreibeEinfarbig("kachel.bmp", 4, 4, 0x00FF00);
  const int32_t n = Schlicht(0, 0, 10, 10, 0, 0, 0);
  for (int32_t nr : {-1, 51, 52, 1000, INT32_MIN, INT32_MAX}) {
    Fw("SetzXY", nr, 5, 5);
    Fw("SetzGroesse", nr, 20, 20);
    Fw("MalRechteck", nr, 0, 0, 5, 5);
    Fw("ZeigAn", nr, 0, 0, 0);
    Fw("LoescheAlleBilderEinesFensters", nr);
    Fw("LoescheFenster", nr);
    EXPECT_EQ(Fw("MerkeBild", nr, 0, 0, 0, 0, "kachel.bmp"), "-1");
    EXPECT_EQ(Fw("FuellDateiMuster", nr, 0, 0, 0, 0, "kachel.bmp"), "-1");
    EXPECT_EQ(Fw("PruefeBildDatei", nr, 0, 0, 0, 0, "kachel.bmp"), "BildDateiNichtDa");
  }
  EXPECT_EQ(Fw("Erstellen"), std::to_string(n + 1));
}

// ------------------------------------------------------------ results

TEST_F(FensterTest, OnlyTheListedCommandsSetTheResult) {
  EXPECT_EQ(Fw("Erstellen"), "1");
  EXPECT_EQ(Fw("SetzXY", 1, 30, 40), "1");
  EXPECT_EQ(Fw("SetzGrundfarbe", 1, 1, 2, 3), "1");
  EXPECT_EQ(Fw("ZeigAn", 1), "1");
  EXPECT_EQ(Fw("Zeigen", 1), "1");
  EXPECT_EQ(Fw("Erstellen"), "2");
  EXPECT_EQ(Fw("LoescheFenster", 2), "2");
}

TEST_F(FensterTest, TwentyImagesPerWindowTheTwentyFirstIsRefused) {
  testhilfe::SchreibeEinfarbig("b.bmp", 3, 2, 0x123456);
  const int32_t n = Zahl(Fw("Erstellen"));
  for (int32_t i = 1; i <= 20; ++i) {
    EXPECT_EQ(Fw("MerkeBild", n, 0, 0, 0, 0, "b.bmp"), std::to_string(i));
  }
  EXPECT_EQ(Fw("MerkeBild", n, 0, 0, 0, 0, "b.bmp"), "-1");
  EXPECT_EQ(Fw("FuellDateiMuster", n, 0, 0, 0, 0, "b.bmp"), "-1");
  EXPECT_TRUE(K().zeilen.empty()) << "a full window refuses without a message";
}

TEST_F(FensterTest, AMissingFileReportsWaitsUsesUpItsSlotAndKeepsTheBackground) {
  testhilfe::SchreibeEinfarbig("da.bmp", 2, 2, 0x00FF00);
  std::ofstream("leer.bmp").flush();  // an empty file counts as missing
  Layout().Hintergrund = rt::CreateImage(8, 8, 0xFF0000FF);
  ASSERT_NE(Layout().Hintergrund, nullptr);
  rt::Image hintergrund = Layout().Hintergrund;

  const int32_t n = Zahl(Fw("Erstellen"));
  testhilfe::TasteNach(4);
  EXPECT_EQ(Fw("MerkeBild", n, 0, 0, 0, 0, "fehlt.bmp"), "-1");
  EXPECT_GE(testhilfe::T().polls, 4) << "the message waits for a key";
  EXPECT_TRUE(K().Enthaelt(
      "Soll Bild aus der Datei fehlt.bmp einlesen, Datei existiert jedoch nicht. Taste = weiter"));
  EXPECT_EQ(Layout().Hintergrund, hintergrund) << "the scene background must survive";
  EXPECT_EQ(rt::GetPixel(Layout().Hintergrund, 3, 3) & 0xFFFFFF, 0x0000FFu);

  EXPECT_EQ(Fw("MerkeBild", n, 0, 0, 0, 0, "da.bmp"), "2");
  // An empty file, a folder and a named pipe count as missing; nothing waits
  // for the pipe.
  rttest::HangGuard wache(10);
  std::filesystem::create_directory("ordner.bmp");
  ASSERT_EQ(::mkfifo("rohr.bmp", 0644), 0);
  for (const char* name : {"leer.bmp", "ordner.bmp", "rohr.bmp"}) {
    testhilfe::TasteNach(1);
    EXPECT_EQ(Fw("PruefeBildDatei", n, 0, 0, 0, 0, name), "BildDateiNichtDa") << name;
  }
  EXPECT_EQ(Fw("PruefeBildDatei", n, 0, 0, 0, 0, "da.bmp"), "BildDateiIstOK");
}

TEST_F(FensterTest, AnUnknownWordIsReportedAsSpelled) {
  Fw("Erstellen");
  EXPECT_EQ(Fw("Zeigen", 1, 0, 0, 0, 0, ""), "1");
  ASSERT_EQ(K().zeilen.size(), 1u);
  EXPECT_EQ(K().zeilen[0], "SelectCase in Fenster-Sub kennt folgende Aufgabe nicht: Zeigen");
}

TEST_F(FensterTest, CommandWordsAreMatchedInAnyCase) {
  const int32_t n = Zahl(Fw("eRsTeLlEn"));
  Fw("setzxy", n, 100, 100);
  Fw("SETZGRUNDFARBE", n, 9, 8, 7);
  Fw("setzGroesse", n, 4, 4);
  Fw("SetzTitel", n, 1);
  Fw("SetzRahmenBreite", n, 0);
  Fw("zeigan", n);
  EXPECT_EQ(Pixel(100, 100), 0x090807u);
  EXPECT_TRUE(K().zeilen.empty());
}

// ------------------------------------------------------------ colours

TEST_F(FensterTest, ColourComponentsSpillIntoTheNeighbouringChannels) {
  const int32_t n = Schlicht(0, 0, 4, 4, 128, 128, 128);
  Fw("ZeigAn", n);
  EXPECT_EQ(Pixel(0, 0), 0x808080u);

  Fw("SetzGrundfarbe", n, 0, 0, 300);
  Fw("SetzGroesse", n, 4, 4);
  Fw("ZeigAn", n);
  EXPECT_EQ(Pixel(0, 0), 0x00012Cu);

  // A negative component sets every bit above it.
  Fw("SetzGrundfarbe", n, 0, -1, 5);
  Fw("SetzGroesse", n, 4, 4);
  Fw("ZeigAn", n);
  EXPECT_EQ(Pixel(0, 0), 0xFFFF05u);
}

TEST_F(FensterTest, ResizingRepaintsInTheBaseColourAndLosesThePainting) {
  const int32_t n = Schlicht(0, 0, 6, 6, 10, 20, 30);
  Fw("SetzNextAktionFarbe", n, 200, 0, 0);
  Fw("MalRechteck", n, 0, 0, 5, 5);
  Fw("SetzGrundfarbe", n, 1, 2, 3);  // does not repaint by itself
  Fw("ZeigAn", n);
  EXPECT_EQ(Pixel(2, 2), 0xC80000u);
  Fw("SetzGroesse", n, 8, 3);
  testhilfe::BildschirmFuellen(0xFFFFFFFF);
  Fw("ZeigAn", n);
  for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(Pixel(x, 2), 0x010203u);
  EXPECT_EQ(Pixel(8, 0), 0xFFFFFFu);
  EXPECT_EQ(Pixel(0, 3), 0xFFFFFFu);
}

// Both corners are inclusive, and a size that carries the far corner past
// the 32-bit range still ends beyond the far edge instead of wrapping round
// to the other side of the bitmap.
TEST_F(FensterTest, MalRechteckCornersAreInclusiveAndHugeSizesReachTheFarEdge) {
  struct Fall {
    int32_t w1, w2, w3, w4;
    bool (*innen)(int32_t x, int32_t y);
  };
  const Fall faelle[] = {
      {5, 5, 0, 0, [](int32_t x, int32_t y) { return x == 5 && y == 5; }},
      {10, 3, INT32_MAX, 2, [](int32_t x, int32_t y) { return x >= 10 && y >= 3 && y <= 5; }},
      {2, 7, 3, INT32_MAX, [](int32_t x, int32_t y) { return x >= 2 && x <= 5 && y >= 7; }},
      {-5, 4, INT32_MIN, 0, [](int32_t, int32_t) { return false; }},
      {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, [](int32_t, int32_t) { return false; }},
  };
  for (const Fall& f : faelle) {
    const int32_t n = Schlicht(100, 100, 40, 30, 0, 0, 50);
    Fw("SetzNextAktionFarbe", n, 255, 0, 0);
    Fw("MalRechteck", n, f.w1, f.w2, f.w3, f.w4);
    Fw("ZeigAn", n);
    for (int32_t y = 0; y < 30; ++y) {
      for (int32_t x = 0; x < 40; ++x) {
        ASSERT_EQ(Pixel(100 + x, 100 + y), f.innen(x, y) ? 0xFF0000u : 0x000032u)
            << "MalRechteck " << f.w1 << ", " << f.w2 << ", " << f.w3 << ", " << f.w4 << ": pixel "
            << x << "," << y;
      }
    }
  }
}

// ------------------------------------------------------------ tiling

// A 16 x 16 tile whose every pixel is different, so each screen pixel tells
// which tile pixel landed there.
uint32_t KachelFarbe(int32_t x, int32_t y) {
  return 0x100000u + static_cast<uint32_t>(x) * 0x0100u + static_cast<uint32_t>(y) * 4u;
}

class KachelTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    testhilfe::SchreibeBmp("kachel.bmp", 16, 16, KachelFarbe);
    n_ = Schlicht(0, 0, 100, 90, 1, 2, 3);
    slot_ = Fw("MerkeBild", n_, 0, 0, 0, 0, "kachel.bmp");
    ASSERT_EQ(slot_, "1");
  }

  // Every bitmap pixel: the tile anchored at (x0, y0) inside the covered
  // rectangle, the base colour elsewhere.
  void PruefeFlaeche(int64_t x0, int64_t y0, int64_t breite, int64_t hoehe) {
    Fw("ZeigAn", n_);
    for (int32_t y = 0; y < 90; ++y) {
      for (int32_t x = 0; x < 100; ++x) {
        const bool innen = x >= x0 && x < x0 + breite && y >= y0 && y < y0 + hoehe;
        const uint32_t soll = innen ? KachelFarbe(static_cast<int32_t>(((x - x0) % 16 + 16) % 16),
                                                  static_cast<int32_t>(((y - y0) % 16 + 16) % 16))
                                    : 0x010203u;
        ASSERT_EQ(Pixel(x, y), soll) << "pixel " << x << "," << y;
      }
    }
  }

  int32_t n_ = 0;
  std::string slot_;
};

TEST_F(KachelTest, WholeTilesEdgePiecesAndCornerCoverExactlyTheRectangle) {
  Fw("FuellRechteck", n_, 10, 20, 39, 39, slot_);
  PruefeFlaeche(10, 20, 40, 40);
}

TEST_F(KachelTest, AnExactMultipleHasNoEdgePiece) {
  Fw("FuellRechteck", n_, 10, 20, 31, 15, slot_);
  PruefeFlaeche(10, 20, 32, 16);
}

TEST_F(KachelTest, NarrowerThanOneTileIsOnlyTheCornerPiece) {
  Fw("FuellRechteck", n_, 3, 4, 4, 2, slot_);
  PruefeFlaeche(3, 4, 5, 3);
}

TEST_F(KachelTest, TheTilingIsAnchoredAtTheRectangleEvenOutsideTheBitmap) {
  Fw("FuellRechteck", n_, -5, -9, 60, 40, slot_);
  PruefeFlaeche(-5, -9, 61, 41);
}

TEST_F(KachelTest, AHugeRectangleFillsTheBitmapWithoutVisitingEveryTile) {
  // A billion tiles on each side: only those on the bitmap may cost time.
  Fw("FuellRechteck", n_, -1000000007, -999999999, 2147483646, 2147483646, slot_);
  PruefeFlaeche(-1000000007, -999999999, 2147483647, 2147483647);
}

TEST_F(KachelTest, FillDateiMusterCoversTheWholeBitmapFromTheOrigin) {
  EXPECT_EQ(Fw("FuellDateiMuster", n_, 50, 45, 0, 0, "kachel.bmp"), "2");
  PruefeFlaeche(0, 0, 100, 90);
}

TEST_F(KachelTest, FillsWithoutAUsableTilePaintNothing) {
  // A header that claims width 0, and one with a negative height.
  testhilfe::SchreibeEinfarbig("null.bmp", 1, 1, 0xFF0000);
  testhilfe::SchreibeEinfarbig("kopfueber.bmp", 2, 2, 0xFF0000);
  {
    std::fstream f("null.bmp", std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(18);
    f.write("\0\0\0\0", 4);
    std::fstream g("kopfueber.bmp", std::ios::in | std::ios::out | std::ios::binary);
    g.seekp(22);
    g.write("\xFE\xFF\xFF\xFF", 4);
  }
  EXPECT_EQ(Fw("MerkeBild", n_, 0, 0, 0, 0, "null.bmp"), "2");
  EXPECT_EQ(Fw("MerkeBild", n_, 0, 0, 0, 0, "kopfueber.bmp"), "3");
  for (const char* slot : {"-1", "0", "2", "3", "4", "20", "21", "999", "-2147483648", "abc"}) {
    Fw("FuellRechteck", n_, 0, 0, 99, 89, slot);
  }
  for (int32_t slot : {-1, 0, 2, 3, 4, 21, INT32_MIN, INT32_MAX}) {
    Fw("SetzeBildTransparent", n_, 0, 0, slot);
  }
  testhilfe::TasteNach(1);
  EXPECT_EQ(Fw("FuellDateiMuster", n_, 0, 0, 0, 0, "fehlt.bmp"), "-1");
  PruefeFlaeche(0, 0, 0, 0);
}

TEST_F(KachelTest, MaskColouredTilePixelsLetTheBitmapShowThrough) {
  auto maske = [](int32_t x, int32_t y) {
    return (x + y) % 3 == 0 ? 0xFF00FFu : KachelFarbe(x, y);
  };
  testhilfe::SchreibeBmp("loch.bmp", 16, 16, maske);
  const std::string loch = Fw("MerkeBild", n_, 0, 0, 0, 0, "loch.bmp");
  Fw("FuellRechteck", n_, 10, 20, 39, 39, loch);
  Fw("SetzeBildTransparent", n_, 70, 5, Zahl(loch));
  Fw("ZeigAn", n_);
  for (int32_t y = 0; y < 90; ++y) {
    for (int32_t x = 0; x < 100; ++x) {
      uint32_t soll = 0x010203u;
      if (x >= 10 && x < 50 && y >= 20 && y < 60) soll = maske((x - 10) % 16, (y - 20) % 16);
      if (x >= 70 && x < 86 && y >= 5 && y < 21) soll = maske(x - 70, y - 5);
      if (soll == 0xFF00FFu) soll = 0x010203u;
      ASSERT_EQ(Pixel(x, y), soll) << "pixel " << x << "," << y;
    }
  }
}

// ------------------------------------------------------------ text

class TextTest : public FensterTest {
 protected:
  // Draws with the window, then the same text directly with the expected
  // colours on a twin image, and compares both pixel by pixel.
  void Vergleiche(std::string_view befehl, int32_t d, int32_t r, int32_t g, int32_t b,
                  uint32_t rechtsUnten, uint32_t linksOben) {
    const int32_t n = Schlicht(0, 0, 80, 40, 0, 0, 0);
    Fw("SetzSchriftfarbe", n, r, g, b);
    Fw("SetzFontNr", n, 0);
    Fw(befehl, n, 10, 10, d, 0, "AW");
    Fw("ZeigAn", n);

    rt::Image zwilling = rt::CreateImage(80, 40, 0xFF000000);
    const uint32_t gesicht = 0xFF000000u | static_cast<uint32_t>(r) << 16 |
                             static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
    MaleText3D("AW", 10, 10, gesicht, rechtsUnten, linksOben, 0, zwilling);
    rt::PutImage(nullptr, 200, 0, zwilling, 0, 0, 80, 40, rt::PutMode::Opaque);
    rt::DestroyImage(zwilling);
    int unten = 0, oben = 0;
    for (int32_t y = 0; y < 40; ++y) {
      for (int32_t x = 0; x < 80; ++x) {
        ASSERT_EQ(Pixel(x, y), Pixel(200 + x, y)) << befehl << " pixel " << x << "," << y;
        unten += Pixel(x, y) == (rechtsUnten & 0xFFFFFF);
        oben += Pixel(x, y) == (linksOben & 0xFFFFFF);
      }
    }
    EXPECT_GT(unten, 0);
    EXPECT_GT(oben, 0);
  }
};

TEST_F(TextTest, RaisedTextHasTheDarkShadeBelowRightAndTheLightAboveLeft) {
  Vergleiche("Schreib3DText", 0, 128, 128, 128, 0xFF6C6C6C, 0xFF949494);
  Vergleiche("Schreib3DText", 60, 128, 128, 128, 0xFF444444, 0xFFBCBCBC);
}

TEST_F(TextTest, EngravedTextSwapsTheShades) {
  Vergleiche("SchreibGravText", 60, 96, 96, 96, 0xFF9C9C9C, 0xFF242424);
}

TEST_F(TextTest, ShadesAreNotClamped) {
  // Blue 0 - 20 = -20: its sign bits reach every channel.
  Vergleiche("Schreib3DText", 20, 10, 10, 0, 0xFFFFFFEC, 0xFF1E1E14);
}

TEST_F(TextTest, ExtremeComponentsAndDistancesWrapInsteadOfOverflowing) {
  // Face: red INT32_MAX shifted leaves 0xFFFF, green INT32_MIN leaves 0.
  // Dark: 0, INT32_MIN - INT32_MAX = 1, 0x40 - INT32_MAX = 0x80000041.
  // Light: -2, -1, 0x8000003F, whose high bits fill red and green.
  Vergleiche("Schreib3DText", INT32_MAX, INT32_MAX, INT32_MIN, 0x40, 0xFF000141, 0xFFFFFF3F);
  // A distance of INT32_MIN only flips bit 31 of each component, which the
  // shifts push out or the alpha byte covers: all three copies are the face.
  Vergleiche("SchreibGravText", INT32_MIN, 0x12, 0x34, 0x56, 0xFF123456, 0xFF123456);

  // A font number that names no font draws nothing at all.
  const int32_t n = Schlicht(0, 0, 40, 30, 0, 0, 0);
  Fw("SetzSchriftfarbe", n, 255, 255, 255);
  Fw("SetzFontNr", n, 7);
  Fw("SchreibText", n, 5, 5, 0, 0, "X");
  Fw("Schreib3DText", n, 5, 5, 0, 0, "X");
  Fw("ZeigAn", n);
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 40; ++x)
      ASSERT_EQ(Pixel(x, y), 0u) << "font 7: pixel " << x << "," << y;
  }
}

TEST_F(TextTest, PlainTextUsesTheWindowsColourAndFont) {
  const int32_t n = Schlicht(0, 0, 60, 30, 0, 0, 0);
  Fw("SetzSchriftfarbe", n, 1, 200, 3);
  Fw("SetzFontNr", n, 2);
  Fw("SchreibText", n, 4, 6, 0, 0, "Hi");
  Fw("ZeigAn", n);
  rt::Image zwilling = rt::CreateImage(60, 30, 0xFF000000);
  MaleText("Hi", 4, 6, 0xFF01C803, 2, zwilling);
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 60; ++x) {
      ASSERT_EQ(Pixel(x, y), rt::GetPixel(zwilling, x, y) & 0xFFFFFF) << x << "," << y;
    }
  }
  rt::DestroyImage(zwilling);
}

// ------------------------------------------------------------ showing

TEST_F(FensterTest, TheFrameLiesOutsideTheBitmapWithDistanceZero) {
  testhilfe::BildschirmFuellen(0xFFFFFFFF);
  const int32_t n = Schlicht(100, 50, 200, 40, 0, 0, 200);
  Fw("SetzRahmenBreite", n, 1);
  Fw("SetzRahmenfarbe", n, 100, 100, 100);
  Fw("SetzRahmenAbstand", n, 0, 0);
  Fw("ZeigAn", n, 0, 0, 0);
  for (int32_t y = 48; y <= 91; ++y) {
    for (int32_t x = 98; x <= 301; ++x) {
      uint32_t soll = 0xFFFFFFu;
      if (x >= 99 && x <= 300 && y >= 49 && y <= 90) soll = 0x646464u;
      if (x >= 100 && x <= 299 && y >= 50 && y <= 89) soll = 0x0000C8u;
      ASSERT_EQ(Pixel(x, y), soll) << x << "," << y;
    }
  }
}

TEST_F(FensterTest, FrameDistancesMoveTheFrameInwards) {
  const int32_t n = Schlicht(100, 50, 20, 10, 0, 0, 200);
  Fw("SetzRahmenBreite", n, 1);
  Fw("SetzRahmenfarbe", n, 100, 100, 100);
  Fw("SetzRahmenAbstand", n, 1, 1);
  Fw("ZeigAn", n);
  EXPECT_EQ(Pixel(100, 50), 0x646464u);
  EXPECT_EQ(Pixel(119, 59), 0x646464u);
  EXPECT_EQ(Pixel(101, 51), 0x0000C8u);
  EXPECT_EQ(Pixel(99, 50), 0u);

  Fw("SetzRahmenAbstand", n, 3, 2);  // x 3, y 2
  Fw("ZeigAn", n);
  EXPECT_EQ(Pixel(102, 51), 0x646464u);
  EXPECT_EQ(Pixel(117, 58), 0x646464u);
  EXPECT_EQ(Pixel(101, 51), 0x0000C8u);
}

// Frame corners past the 32-bit range stay beyond the far edge: the frame
// then runs from its near corner to the screen's edge, and neither it nor the
// title wraps round to the other side of the screen.
TEST_F(FensterTest, FrameAndTitleCornersBeyondTheRangeStayOffTheScreen) {
  const rt::ScreenInfo info = rt::GetScreenInfo();
  // Compares every screen pixel with the frame's rows and columns.
  auto pruefe = [&](const char* was, auto rahmen) {
    int32_t fehler = 0;
    for (int32_t y = 0; y < info.height; ++y) {
      for (int32_t x = 0; x < info.width; ++x) {
        const uint32_t soll = rahmen(x, y) ? 0x646464u : 0u;
        if (Pixel(x, y) != soll && ++fehler <= 5) {
          ADD_FAILURE() << was << ": pixel " << x << "," << y << " is 0x" << std::hex
                        << Pixel(x, y);
        }
      }
    }
    EXPECT_EQ(fehler, 0) << was;
  };

  // x + width and y + height pass INT32_MAX: the bitmap is too big to exist,
  // and only the top and left sides of the frame lie on the screen.
  int32_t n = Schlicht(100, 50, INT32_MAX - 50, INT32_MAX - 60, 0, 0, 200);
  Fw("SetzRahmenBreite", n, 1);
  Fw("SetzRahmenfarbe", n, 100, 100, 100);
  Fw("SetzRahmenAbstand", n, 0, 0);
  Fw("ZeigAn", n);
  pruefe("huge size",
         [](int32_t x, int32_t y) { return (y == 49 && x >= 99) || (x == 99 && y >= 49); });

  // A window at INT32_MAX with a horizontal distance of INT32_MAX: its left
  // side lies far beyond the right edge, its right side at x + 20 - INT32_MAX
  // = 20, and the title after the left side is not on the screen.
  rt::ClearScreen();
  n = Schlicht(0, 0, 20, 10, 0, 0, 200);
  Fw("SetzTitel", n, 0, 0, 0, 0, "Titel");
  Fw("SetzRahmenBreite", n, 1);
  Fw("SetzRahmenfarbe", n, 100, 100, 100);
  Fw("SetzRahmenAbstand", n, INT32_MAX, 0);
  Fw("ZeigAn", n, INT32_MAX, 60);
  pruefe("huge place and distance", [](int32_t x, int32_t y) {
    return ((y == 59 || y == 70) && x >= 20) || (x == 20 && y >= 59 && y <= 70);
  });
}

TEST_F(FensterTest, ZeigAnMovesTheWindowAndTheNewPlaceIsKept) {
  const int32_t n = Schlicht(100, 50, 5, 5, 0, 0, 200);
  Fw("ZeigAn", n, 30, 0, 0);
  EXPECT_EQ(Pixel(30, 50), 0x0000C8u);
  rt::ClearScreen();
  Fw("ZeigAn", n, 0, 0, 0);
  EXPECT_EQ(Pixel(30, 50), 0x0000C8u);
  EXPECT_EQ(Pixel(29, 50), 0u);
  Fw("ZeigAn", n, 0, 70, 0);
  EXPECT_EQ(Pixel(30, 70), 0x0000C8u);
  EXPECT_EQ(Pixel(30, 69), 0u);
}

TEST_F(FensterTest, AWindowCanBeShownIntoAnotherWindowsBitmap) {
  const int32_t ziel = Schlicht(0, 0, 30, 30, 0, 0, 255);
  const int32_t quelle = Schlicht(0, 0, 6, 4, 255, 0, 0);
  Fw("SetzRahmenBreite", quelle, 1);
  Fw("SetzRahmenfarbe", quelle, 0, 255, 0);
  Fw("SetzRahmenAbstand", quelle, 0, 0);
  Fw("ZeigAn", quelle, 10, 20, ziel);
  EXPECT_EQ(Pixel(10, 20), 0u) << "nothing reaches the screen yet";
  Fw("ZeigAn", ziel);
  EXPECT_EQ(Pixel(10, 20), 0xFF0000u);
  EXPECT_EQ(Pixel(15, 23), 0xFF0000u);
  EXPECT_EQ(Pixel(9, 19), 0x00FF00u);
  EXPECT_EQ(Pixel(16, 24), 0x00FF00u);
  EXPECT_EQ(Pixel(17, 24), 0x0000FFu);
}

TEST_F(FensterTest, AWindowShownIntoItselfCopiesFromASnapshot) {
  const int32_t n = Schlicht(0, 0, 20, 2, 0, 0, 0);
  Fw("SetzNextAktionFarbe", n, 255, 0, 0);
  Fw("MalRechteck", n, 0, 0, 4, 1);
  Fw("ZeigAn", n, 5, 0, n);  // the bitmap onto itself, 5 pixels right
  Fw("ZeigAn", n, 0, 0, 0);  // then to the screen at (5, 0)
  for (int32_t x = 0; x < 20; ++x) EXPECT_EQ(Pixel(5 + x, 0), x < 10 ? 0xFF0000u : 0u) << x;
}

TEST_F(FensterTest, ABadTargetIsReportedAndNothingIsDrawn) {
  // Away from the console lines at the top of the screen.
  const int32_t n = Schlicht(400, 400, 10, 10, 255, 0, 0);
  Fw("SetzRahmenBreite", n, 1);
  Fw("ZeigAn", n, 0, 0, 60);
  ASSERT_EQ(K().zeilen.size(), 1u);
  EXPECT_EQ(K().zeilen[0],
            "Fenster(): Soll das Fenster " + std::to_string(n) +
                "in Bitmap des Fensters 60 blitten, ZielfensterNr ist aber nicht OK");
  // A deleted window below the highest number is no target either.
  const int32_t tot = Schlicht(0, 0, 10, 10, 0, 0, 0);
  Schlicht(0, 0, 10, 10, 0, 0, 0);
  Fw("LoescheFenster", tot);
  Fw("ZeigAn", n, 0, 0, tot);
  Fw("ZeigAn", n, 0, 0, -3);
  EXPECT_EQ(K().zeilen.size(), 3u) << "dead windows and negative numbers are no targets";
  for (int32_t y = 398; y < 412; ++y) {
    for (int32_t x = 398; x < 412; ++x) ASSERT_EQ(Pixel(x, y), 0u) << x << "," << y;
  }
}

TEST_F(FensterTest, TheTitleIsDrawnOnTheScreenCutToFortyCharacters) {
  // Blanks after the first forty: if they were kept, the 41st cell would be
  // empty instead of holding the first digit of the bitmap's number.
  const std::string lang = std::string(40, 'M') + std::string(20, ' ');
  const int32_t n = Schlicht(100, 200, 30, 10, 0, 0, 0);
  Fw("SetzTitel", n, 0, 0, 0, 0, lang);
  Fw("SetzRahmenAbstand", n, 10, 8);
  Fw("ZeigAn", n);
  // Title at (left + 15, top + font height): left = 100 + 10 - 1, top = 200 + 8 - 1.
  const int32_t w = FontBreite(1), h = FontHoehe(1);
  const int32_t tx = 124, ty = 207 + h;
  std::vector<uint32_t> gezeigt;
  for (int32_t y = ty; y < ty + h; ++y) {
    for (int32_t x = tx; x < tx + 41 * w; ++x) gezeigt.push_back(Pixel(x, y));
  }
  rt::ClearScreen();
  MaleText(std::string(40, 'M'), tx, ty, 0xFFFFFFFF, 1, nullptr);
  size_t i = 0;
  bool ziffer = false;
  for (int32_t y = ty; y < ty + h; ++y) {
    for (int32_t x = tx; x < tx + 40 * w; ++x, ++i) {
      ASSERT_EQ(gezeigt[i], Pixel(x, y)) << x << "," << y;
    }
    for (int32_t x = 0; x < w; ++x, ++i) ziffer |= gezeigt[i] == 0xFFFFFFu;
  }
  EXPECT_TRUE(ziffer) << "the bitmap number follows the 40th character";

  rt::ClearScreen();
  Fw("SetzTitel", n, 1, 0, 0, 0, lang);
  Fw("ZeigAn", n);
  for (int32_t y = ty; y < ty + h; ++y) {
    for (int32_t x = tx; x < tx + 41 * w; ++x) ASSERT_EQ(Pixel(x, y), 0u) << x << "," << y;
  }
}

// ------------------------------------------------------------ deleting

TEST_F(FensterTest, AWindowWithoutBitmapPaintsNothingOnTheScreen) {
  testhilfe::SchreibeEinfarbig("k.bmp", 4, 4, 0x00FF00);
  const int32_t n = Schlicht(0, 0, 20, 20, 0, 0, 0);
  Fw("MerkeBild", n, 0, 0, 0, 0, "k.bmp");
  Fw("LoescheAlleBilderEinesFensters", n);
  Fw("SetzNextAktionFarbe", n, 255, 255, 255);
  Fw("MalRechteck", n, 0, 0, 10, 10);
  Fw("FuellRechteck", n, 0, 0, 10, 10, "1");
  Fw("SetzeBildTransparent", n, 0, 0, 1);
  Fw("SchreibText", n, 0, 0, 0, 0, "WWW");
  Fw("Schreib3DText", n, 0, 0, 0, 0, "WWW");
  Fw("ZeigAn", n);
  for (int32_t y = 0; y < 30; ++y) {
    for (int32_t x = 0; x < 40; ++x) ASSERT_EQ(Pixel(x, y), 0u) << x << "," << y;
  }
  // The window itself lives on: a new size gives it a bitmap again.
  Fw("SetzGroesse", n, 3, 3);
  Fw("ZeigAn", n);
  EXPECT_EQ(Pixel(2, 2), 0u);
  EXPECT_EQ(Fw("MerkeBild", n, 0, 0, 0, 0, "k.bmp"), "2");
}

TEST_F(FensterTest, LogLinesAreWrittenOnlyWhenTheSwitchIsOn) {
  Fw("Erstellen", 0, 0, 0, 0, 0, "leise");
  EXPECT_TRUE(testhilfe::LogZeilen().empty());
  Fw("LoeschAlleFenster");

  Settings().ProtokollAn = 1;
  Fw("Erstellen", 0, 0, 0, 0, 0, "Kopf");
  Fw("Erstellen", 0, 0, 0, 0, 0, "");
  Fw("LoescheFenster", 2);
  Fw("LoeschAlleFenster", 0, 0, 0, 0, 0, "Aufloesungfertig");
  const std::vector<std::string> soll = {
      "   Fenster(): Erstelle Fenster mit Nummer 1  und Textuebergabe:Kopf",
      "   Fenster(): Erstelle Fenster mit Nummer 2  und Textuebergabe:",
      "   Fenster(): Loesche Fenster 2",
      "   Fenster(): alle Bilder des Fensters 2 werden geloescht",
      "   Fenster(): Loesche ALLE Fenster (0-1)",
  };
  EXPECT_EQ(testhilfe::LogZeilen(), soll);
}

}  // namespace
}  // namespace wimmel

namespace wimmel {
namespace {

// The start screen runs at 640 x 480 x 16: colours are reduced to 5-6-5 and
// the mask colour is 0xF81F there.
TEST(FensterHiColour, ColoursAndTransparentTilesOnA16BitScreen) {
  testhilfe::Arbeitsordner ordner;
  Fw("LoeschAlleFenster");
  testhilfe::BildschirmOeffnen(18, 16);
  auto muster = [](int32_t x, int32_t y) { return (x + y) % 2 == 0 ? 0xFF00FFu : 0xF0F0F0u; };
  testhilfe::SchreibeBmp("loch.bmp", 4, 4, muster);
  const int32_t n = Zahl(Fw("Erstellen"));
  Fw("SetzTitel", n, 1);
  Fw("SetzXY", n, 0, 0);
  Fw("SetzGrundfarbe", n, 0, 0, 300);
  Fw("SetzGroesse", n, 8, 8);
  Fw("SetzRahmenBreite", n, 0);
  EXPECT_EQ(Fw("FuellDateiMuster", n, 0, 0, 0, 0, "loch.bmp"), "1");
  Fw("ZeigAn", n);
  for (int32_t y = 0; y < 8; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      const uint32_t soll = muster(x % 4, y % 4) == 0xFF00FFu ? 0xFF00012Cu : 0xFFF0F0F0u;
      ASSERT_EQ(Pixel(x, y), rt::To565(soll)) << x << "," << y;
    }
  }
  Fw("LoeschAlleFenster");
}

}  // namespace
}  // namespace wimmel
