// The panels on a headless 32-bit screen: where each window lands, where its
// plates, buttons, captions and labels are painted, which key string every
// button answers, and the log lines. The artwork here is small one-colour
// pictures written into a scratch folder, so every pixel tells which
// picture put it there.
#include "panels/panels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "runtime/image.h"
#include "runtime/runtime.h"
#include "shared/settings.h"
#include "testhilfe.h"
#include "text/text.h"
#include "windows/fenster.h"

namespace rt = wimmel::rt;

namespace wimmel {
namespace {

using testhilfe::K;
using testhilfe::Pixel;

constexpr uint32_t kMaske = 0x203040;    // pattern\maskiert.bmp
constexpr uint32_t kBuerste = 0x806020;  // pattern\buerste.bmp
constexpr uint32_t kChrom = 0x608090;    // pattern\Chrom3.bmp
constexpr uint32_t kStein = 0x705030;    // pattern\Stein1.bmp
constexpr uint32_t kTaste = 0xC0C0B0;    // HG_bild\TastLeer.bmp
constexpr uint32_t kTab = 0x11AA11, kRueck = 0x1111AA, kBlock = 0x999900, kTarzan = 0x00EEEE;
constexpr uint32_t kRahmen = 0x646464;
constexpr uint32_t kLeer = 0xFEDCBA;  // the screen before a panel is shown

const char* const kFiguren[] = {"koenigin", "koenigbl", "arnolauf", "arnorenn", "tarzan01",
                                "hottehue", "gelbzyli", "rotekuge", "landfrau", "grunzyli"};

uint32_t FigurFarbe(int i) {
  return 0x300000u + static_cast<uint32_t>(i) * 0x1108u;
}

void ArtworkSchreiben() {
  using testhilfe::SchreibeEinfarbig;
  SchreibeEinfarbig("pattern/maskiert.bmp", 8, 8, kMaske);
  SchreibeEinfarbig("pattern/buerste.bmp", 30, 30, kBuerste);
  SchreibeEinfarbig("pattern/Chrom3.bmp", 24, 29, kChrom);
  SchreibeEinfarbig("pattern/Stein1.bmp", 16, 16, kStein);
  SchreibeEinfarbig("HG_bild/TastLeer.bmp", 30, 30, kTaste);
  SchreibeEinfarbig("HG_bild/tabtast.bmp", 46, 30, kTab);
  SchreibeEinfarbig("HG_bild/Rucktast.bmp", 46, 30, kRueck);
  SchreibeEinfarbig("HG_bild/Zahlblck.bmp", 62, 62, kBlock);
  SchreibeEinfarbig("HG_bild/tarzan01.bmp", 30, 29, kTarzan);
  for (int i = 0; i < 10; ++i) {
    SchreibeEinfarbig(std::string("HG_bild/figur/") + kFiguren[i] + ".bmp", 30, 30, FigurFarbe(i));
  }
}

std::string Probe() {
  return Fenster("Erstellen", 0, 0, 0, 0, 0, "Probe");
}

void AllePanelsWeg() {
  KopfFenster("Loeschen", "");
  AnzeigeFensterUnten("Loeschen");
  AnzeigeHilfe1("Loeschen");
  AnzeigeHilfe2("Loeschen");
  AnzeigeHilfe3("Loeschen");
  AnzeigeStartFussFenster("Loeschen");
  Fenster("LoeschAlleFenster", 0, 0, 0, 0, 0, "");
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FontsInitialisieren();
    ResetSettings();
    AllePanelsWeg();
    FreeHintergrund();
    Layout() = SceneLayout{};
    ArtworkSchreiben();
    K().Leeren();
  }

  void TearDown() override { AllePanelsWeg(); }

  // Opens the screen and sets the scene layout of the program: 44 rows of
  // header above the scene, 100 rows below it.
  void Bildschirm(int32_t breite, int32_t hoehe) {
    const int32_t modus = breite == 640 ? 18 : breite == 800 ? 19 : 21;
    testhilfe::BildschirmOeffnen(modus, 32);
    Layout().screenWidth = breite;
    Layout().screenHeight = hoehe;
    Layout().SzeneY0 = 44;
    Layout().height = hoehe - 144;
    testhilfe::BildschirmFuellen(0xFF000000u | kLeer);
  }

  // Paints `malen` onto a twin of the given background and compares it with
  // the screen rectangle at (sx, sy).
  void WieZwilling(int32_t sx, int32_t sy, int32_t w, int32_t h, uint32_t grund,
                   const std::function<void(rt::Image)>& malen, const std::string& was) {
    rt::Image zwilling = rt::CreateImage(w, h, 0xFF000000u | grund);
    ASSERT_NE(zwilling, nullptr);
    malen(zwilling);
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        ASSERT_EQ(Pixel(sx + x, sy + y), rt::GetPixel(zwilling, x, y) & 0xFFFFFF)
            << was << ": screen pixel " << sx + x << "," << sy + y;
      }
    }
    rt::DestroyImage(zwilling);
  }

  // A caption in black, font 0, on an empty key at screen (bx, by).
  // The help pages lay the H button's plate over the F1 button's two right
  // columns, so there only 28 columns are compared.
  void Beschriftung(int32_t bx, int32_t by, int32_t dx, int32_t dy, const std::string& text,
                    int32_t breite = 30) {
    WieZwilling(
        bx, by, breite, 30, kTaste, [&](rt::Image z) { MaleText(text, dx, dy, 0xFF000000, 0, z); },
        "caption " + text);
  }

  // An engraved label (colour 96, shade distance 60) at screen (x, y) on a plate.
  void Gravur(int32_t x, int32_t y, const std::string& text, uint32_t platte) {
    const int32_t w = static_cast<int32_t>(text.size()) * FontBreite(0) + 2;
    WieZwilling(
        x - 1, y - 1, w, FontHoehe(0) + 2, platte,
        [&](rt::Image z) { MaleText3D(text, 1, 1, 0xFF606060, 0xFF9C9C9C, 0xFF242424, 0, z); },
        "label " + text);
  }

  // The window's one-pixel frame on its outermost pixels, and nothing of it
  // one pixel outside.
  void RahmenAufDemRand(int32_t x, int32_t y, int32_t w, int32_t h) {
    for (int32_t i = 0; i < w; ++i) {
      ASSERT_EQ(Pixel(x + i, y), kRahmen) << "top " << x + i;
      ASSERT_EQ(Pixel(x + i, y + h - 1), kRahmen) << "bottom " << x + i;
    }
    for (int32_t j = 0; j < h; ++j) {
      ASSERT_EQ(Pixel(x, y + j), kRahmen) << "left " << y + j;
      ASSERT_EQ(Pixel(x + w - 1, y + j), kRahmen) << "right " << y + j;
    }
    EXPECT_EQ(Pixel(x + 1, y + 1), kMaske);
    EXPECT_EQ(Pixel(x + w, y + 1), kLeer);
    if (y > 0) {
      EXPECT_EQ(Pixel(x + 1, y - 1), kLeer);
    }
  }

  testhilfe::Arbeitsordner ordner_;
};

// ------------------------------------------------------------ hit boxes

struct Box {
  int32_t x, y, w, h;  // hit box from (x, y) to (x + w, y + h), both included
  std::string antwort;
};

// Probes each box at its four corners and one pixel beyond each side; a
// probe outside the box expects whatever other box holds that point, or "".
void PruefeBoxen(const std::function<std::string()>& klick, const std::vector<Box>& boxen,
                 bool klickPause) {
  auto erwartet = [&](int32_t x, int32_t y) {
    std::string a;
    for (const Box& b : boxen) {
      if (x >= b.x && x <= b.x + b.w && y >= b.y && y <= b.y + b.h) a = b.antwort;
    }
    return a;
  };
  for (const Box& b : boxen) {
    const int32_t punkte[][2] = {
        {b.x, b.y},     {b.x + b.w, b.y},     {b.x, b.y + b.h}, {b.x + b.w, b.y + b.h},
        {b.x - 1, b.y}, {b.x + b.w + 1, b.y}, {b.x, b.y - 1},   {b.x + b.w, b.y + b.h + 1}};
    for (const auto& p : punkte) {
      Settings().MausX = p[0];
      Settings().MausY = p[1];
      Settings().KlickPause = 0;
      const std::string soll = erwartet(p[0], p[1]);
      EXPECT_EQ(klick(), soll) << "click at " << p[0] << "," << p[1];
      EXPECT_EQ(Settings().KlickPause, klickPause && !soll.empty() ? 1 : 0)
          << "click pause after a click at " << p[0] << "," << p[1];
    }
    EXPECT_FALSE(b.antwort.empty());
  }
}

std::string Klick(int32_t x, int32_t y, const std::function<std::string()>& klick) {
  Settings().MausX = x;
  Settings().MausY = y;
  return klick();
}

// ------------------------------------------------------------ header

TEST_F(PanelTest, HeaderAt640x480IsAStripWithTheCaptionRaisedOnACentredPlate) {
  Bildschirm(640, 480);
  const std::string text = "ABCDEFGHIJKL";
  KopfFenster("Erstellen", text);
  EXPECT_EQ(Pixel(0, 0), kLeer) << "created, not shown";
  KopfFenster("Anzeigen", "");
  // 639 x 44 at (0, 0); the plate covers (261, 9) to (377, 35).
  for (int32_t y = 0; y < 44; ++y) {
    for (int32_t x = 0; x < 639; ++x) {
      const bool platte = x >= 261 && x <= 377 && y >= 9 && y <= 35;
      if (!platte) {
        ASSERT_EQ(Pixel(x, y), kMaske) << x << "," << y;
      }
    }
  }
  WieZwilling(
      261, 9, 117, 27, kStein,
      [&](rt::Image z) { MaleText3D(text, 10, 6, 0xFF808080, 0xFF444444, 0xFFBCBCBC, 0, z); },
      "caption on the plate");
  // The frame lies outside the bitmap: only its right column and bottom row show.
  for (int32_t y = 0; y <= 44; ++y) EXPECT_EQ(Pixel(639, y), kRahmen) << y;
  for (int32_t x = 0; x <= 639; ++x) EXPECT_EQ(Pixel(x, 44), kRahmen) << x;
  EXPECT_EQ(Pixel(0, 45), kLeer);
}

TEST_F(PanelTest, HeaderAt800x600SpansTheScreenAndIsMadeOnce) {
  Bildschirm(800, 600);
  KopfFenster("Erstellen", "WIMMEL 0.1");
  KopfFenster("Erstellen", "anders");
  EXPECT_EQ(Probe(), "2") << "the second Erstellen made no window";
  KopfFenster("Anzeigen", "");
  EXPECT_EQ(Pixel(798, 43), kMaske);
  EXPECT_EQ(Pixel(799, 43), kRahmen);
  EXPECT_EQ(Pixel(799, 44), kRahmen);
  // The plate is centred: 10 characters give 100 x 26 at (349, 9).
  EXPECT_EQ(Pixel(349, 9), kStein);
  EXPECT_EQ(Pixel(348, 9), kMaske);
  EXPECT_EQ(Pixel(449, 35), kStein);
  EXPECT_EQ(Pixel(450, 35), kMaske);
  EXPECT_TRUE(K().zeilen.empty());
}

TEST_F(PanelTest, HeaderNeedsMoreThanSixteenRowsAboveTheScene) {
  Bildschirm(640, 480);
  for (int32_t y0 : {16, 0}) {
    K().Leeren();
    Layout().SzeneY0 = y0;
    KopfFenster("Erstellen", "Kopf");
    ASSERT_EQ(K().zeilen.size(), 1u);
    EXPECT_EQ(K().zeilen[0],
              "Sub KopfFenster():  Soll ein Kopffenster errichten, es ist oben aber gar kein Platz "
              "dafuer (kleiner 16 Pixel)");
    EXPECT_EQ(Probe(), "1") << "no window was made";
    Fenster("LoeschAlleFenster", 0, 0, 0, 0, 0, "");
  }
  Layout().SzeneY0 = 17;
  KopfFenster("Erstellen", "Kopf");
  EXPECT_EQ(Probe(), "2");
}

TEST_F(PanelTest, HeaderReportsAnUnknownWord) {
  Bildschirm(640, 480);
  KopfFenster("Zeigen", "");
  ASSERT_EQ(K().zeilen.size(), 1u);
  EXPECT_EQ(K().zeilen[0],
            "SelectCase in der KopfFenster-Sub kennt folgende Aufgabe nicht: Zeigen");
}

TEST_F(PanelTest, HeaderDeletedAndMadeAgainGetsTheNextFreeNumber) {
  Bildschirm(640, 480);
  KopfFenster("Erstellen", "Kopf");
  EXPECT_EQ(Probe(), "2");
  KopfFenster("Loeschen", "");
  KopfFenster("Erstellen", "Kopf");
  EXPECT_EQ(Probe(), "4");
  // Showing a header that does not exist draws nothing.
  KopfFenster("Loeschen", "");
  testhilfe::BildschirmFuellen(0xFF000000u | kLeer);
  KopfFenster("Anzeigen", "");
  for (int32_t x = 0; x < 640; x += 7) EXPECT_EQ(Pixel(x, 10), kLeer);
}

// ------------------------------------------------------------ bottom bar

TEST_F(PanelTest, BottomBarAt800x600StandsAt0x499With799x101) {
  Bildschirm(800, 600);
  AnzeigeFensterUnten("Erstellen");
  EXPECT_EQ(Pixel(5, 505), kLeer) << "created, not shown";
  AnzeigeFensterUnten("Anzeigen");
  RahmenAufDemRand(0, 499, 799, 101);

  // Plates of brush: (18, 511) over 189 x 33, (261 - 2, 511) over 149, (462 - 2, 511) over 103.
  const int32_t platten[][2] = {{18, 188}, {259, 148}, {460, 102}};
  for (const auto& p : platten) {
    EXPECT_EQ(Pixel(p[0], 511), kBuerste) << p[0];
    EXPECT_EQ(Pixel(p[0] + p[1], 543), kBuerste) << p[0];
    EXPECT_EQ(Pixel(p[0] - 1, 511), kMaske) << p[0];
    EXPECT_EQ(Pixel(p[0] + p[1] + 1, 543), kMaske) << p[0];
    EXPECT_EQ(Pixel(p[0], 544), kMaske) << p[0];
  }
  Beschriftung(20, 513, 12, 7, "H");
  Beschriftung(60, 513, 8, 7, "F1");
  Beschriftung(261, 513, 4, 7, "Esc");
  Beschriftung(462, 513, 12, 7, "A");
  Gravur(100, 520, "Hilfe / Help", kBuerste);
  Gravur(301, 520, "Programmende", kBuerste);
  Gravur(502, 520, "About", kBuerste);
}

TEST_F(PanelTest, BottomBarButtonsAnswerTheirKeysWithoutAClickPause) {
  Bildschirm(800, 600);
  AnzeigeFensterUnten("Erstellen");
  PruefeBoxen([] { return AnzeigeFensterUnten("Mausklick"); },
              {{20, 513, 30, 30, "H"},
               {60, 513, 30, 30, "H"},
               {261, 513, 30, 30, "\x1B"},
               {462, 513, 30, 30, "A"}},
              false);
  EXPECT_EQ(Klick(400, 560, [] { return AnzeigeFensterUnten("Mausklick"); }), "");
  EXPECT_EQ(AnzeigeFensterUnten("Zeigen"), "");
  EXPECT_TRUE(K().zeilen.empty());
}

TEST_F(PanelTest, BottomBarAt640x480AndWithATallSceneStaysFiftyRowsFromTheBottom) {
  Bildschirm(640, 480);
  AnzeigeFensterUnten("Erstellen");
  AnzeigeFensterUnten("Anzeigen");
  RahmenAufDemRand(0, 379, 639, 101);
  EXPECT_EQ(Klick(20, 393, [] { return AnzeigeFensterUnten("Mausklick"); }), "H");
  AnzeigeFensterUnten("Loeschen");

  Bildschirm(800, 600);
  Layout().height = 1000;
  AnzeigeFensterUnten("Erstellen");
  AnzeigeFensterUnten("Anzeigen");
  RahmenAufDemRand(0, 550, 799, 50);
}

TEST_F(PanelTest, BottomBarIsMadeOnceAndAfterDeletingGetsANewNumber) {
  Bildschirm(800, 600);
  AnzeigeFensterUnten("Erstellen");
  AnzeigeFensterUnten("Erstellen");
  EXPECT_EQ(Probe(), "2");
  AnzeigeFensterUnten("Loeschen");
  AnzeigeFensterUnten("Erstellen");
  EXPECT_EQ(Probe(), "4");
  AnzeigeFensterUnten("Anzeigen");
  EXPECT_EQ(Pixel(0, 499), kRahmen);
}

// ------------------------------------------------------------ help pages

TEST_F(PanelTest, HelpPagesStandWhereTheBottomBarStands) {
  Bildschirm(800, 600);
  for (auto seite : {AnzeigeHilfe1, AnzeigeHilfe2, AnzeigeHilfe3}) {
    testhilfe::BildschirmFuellen(0xFF000000u | kLeer);
    seite("Erstellen");
    EXPECT_EQ(Pixel(5, 505), kLeer) << "created, not shown";
    seite("Anzeigen");
    RahmenAufDemRand(0, 499, 799, 101);
  }
}

TEST_F(PanelTest, HelpPage1Layout) {
  Bildschirm(800, 600);
  AnzeigeHilfe1("Erstellen");
  AnzeigeHilfe1("Anzeigen");
  // Plates of chrome: F1 (13, 511), H and Esc (43, 511/546) and C, N 16W + 47 = 175 wide;
  // + and - 15W + 49 = 169 wide at 438.
  EXPECT_EQ(Pixel(13, 511), kChrom);
  EXPECT_EQ(Pixel(12, 511), kMaske);
  EXPECT_EQ(Pixel(218, 543), kChrom);
  EXPECT_EQ(Pixel(219, 543), kMaske);
  EXPECT_EQ(Pixel(218, 578), kChrom);
  EXPECT_EQ(Pixel(218, 579), kMaske);
  EXPECT_EQ(Pixel(238, 511), kChrom);
  EXPECT_EQ(Pixel(413, 578), kChrom);
  EXPECT_EQ(Pixel(414, 578), kMaske);
  EXPECT_EQ(Pixel(438, 546), kChrom);
  EXPECT_EQ(Pixel(607, 578), kChrom);
  EXPECT_EQ(Pixel(608, 578), kMaske);
  Beschriftung(15, 513, 8, 7, "F1", 28);
  Beschriftung(45, 513, 12, 7, "H");
  Beschriftung(45, 548, 4, 7, "Esc");
  Beschriftung(240, 513, 12, 7, "C");
  Beschriftung(240, 548, 12, 7, "N");
  Beschriftung(440, 513, 12, 7, "+");
  Beschriftung(440, 548, 12, 7, "-");
  Gravur(85, 520, "Hilfe bl\xE4ttern", kChrom);
  Gravur(85, 555, "Programmende", kChrom);
  Gravur(280, 520, "Kollision An/Aus", kChrom);
  Gravur(280, 555, "FigurNr An/Aus", kChrom);
  Gravur(480, 520, "Spiel schneller", kChrom);
  Gravur(480, 555, "Spiel langsamer", kChrom);
}

TEST_F(PanelTest, HelpPage1ButtonsAnswerAndSetTheClickPause) {
  Bildschirm(800, 600);
  AnzeigeHilfe1("Erstellen");
  PruefeBoxen([] { return AnzeigeHilfe1("Mausklick"); },
              {{240, 513, 30, 30, "c"},
               {240, 548, 30, 30, "n"},
               {440, 513, 30, 30, "+"},
               {440, 548, 30, 30, "-"},
               {45, 513, 30, 30, "h"},
               {45, 548, 30, 30, "\x1B"},
               {15, 513, 30, 30, "h"}},
              true);
  Settings().KlickPause = 0;
  EXPECT_EQ(Klick(700, 560, [] { return AnzeigeHilfe1("Mausklick"); }), "");
  EXPECT_EQ(Settings().KlickPause, 0);
}

TEST_F(PanelTest, HelpPage2Layout) {
  Bildschirm(800, 600);
  AnzeigeHilfe2("Erstellen");
  AnzeigeHilfe2("Anzeigen");
  // Navigation plates 16W + 68 = 196 wide, 31 + 1 high; the number block plate 8W + 84 = 148
  // wide and 67 high at (476, 511).
  EXPECT_EQ(Pixel(239, 542), kChrom);
  EXPECT_EQ(Pixel(240, 542), kMaske);
  EXPECT_EQ(Pixel(239, 543), kMaske);
  EXPECT_EQ(Pixel(258, 511), kChrom);
  EXPECT_EQ(Pixel(454, 577), kChrom);
  EXPECT_EQ(Pixel(455, 577), kMaske);
  EXPECT_EQ(Pixel(624, 577), kChrom);
  EXPECT_EQ(Pixel(625, 577), kMaske);
  EXPECT_EQ(Pixel(624, 578), kMaske);
  // Pictures at their places: tab, backspace, the number block and the figure on it.
  EXPECT_EQ(Pixel(260, 513), kTab);
  EXPECT_EQ(Pixel(305, 542), kTab);
  EXPECT_EQ(Pixel(260, 548), kRueck);
  EXPECT_EQ(Pixel(305, 577), kRueck);
  EXPECT_EQ(Pixel(478, 513), kBlock);
  EXPECT_EQ(Pixel(539, 574), kBlock);
  EXPECT_EQ(Pixel(490, 530), kBlock);
  EXPECT_EQ(Pixel(491, 530), kTarzan);
  EXPECT_EQ(Pixel(520, 558), kTarzan);
  EXPECT_EQ(Pixel(521, 558), kBlock);
  Beschriftung(15, 513, 8, 7, "F1", 28);
  Beschriftung(45, 513, 12, 7, "H");
  Gravur(316, 520,
         "N\xE4"
         "chste FigurNr",
         kChrom);
  Gravur(316, 555, "Vorige FigurNr", kChrom);
  // The second line's upper shade touches the first line's last row: one twin for both.
  WieZwilling(
      549, 519, 8 * FontBreite(0) + 2, 2 * FontHoehe(0) + 2, kChrom,
      [](rt::Image z) {
        MaleText3D("Richtung", 1, 1, 0xFF606060, 0xFF9C9C9C, 0xFF242424, 0, z);
        MaleText3D(" \xC4ndern", 1, 1 + FontHoehe(0), 0xFF606060, 0xFF9C9C9C, 0xFF242424, 0, z);
      },
      "labels of the number block");
}

TEST_F(PanelTest, HelpPage2ButtonsAnswerAndSetTheClickPause) {
  Bildschirm(800, 600);
  AnzeigeHilfe2("Erstellen");
  PruefeBoxen([] { return AnzeigeHilfe2("Mausklick"); },
              {{15, 513, 30, 29, "h"},
               {45, 513, 30, 29, "h"},
               {45, 548, 30, 29, "\x1B"},
               {260, 513, 46, 29, "\t"},
               {260, 548, 46, 29, "\b"},
               {478, 513, 21, 21, "7"},
               {519, 513, 21, 21, "9"},
               {478, 554, 21, 21, "1"},
               {519, 554, 21, 21, "3"}},
              true);
  Settings().KlickPause = 0;
  EXPECT_EQ(Klick(509, 544, [] { return AnzeigeHilfe2("Mausklick"); }), "")
      << "the centre of the number block";
  EXPECT_EQ(Settings().KlickPause, 0);
}

TEST_F(PanelTest, HelpPage3Layout) {
  Bildschirm(800, 600);
  AnzeigeHilfe3("Erstellen");
  AnzeigeHilfe3("Anzeigen");
  EXPECT_EQ(Pixel(10, 511), kChrom);
  EXPECT_EQ(Pixel(9, 511), kMaske);
  EXPECT_EQ(Pixel(180, 543), kChrom);
  EXPECT_EQ(Pixel(181, 540), kMaske) << "the navigation plates are 140 wide";
  const char* buchstaben = "KLDSTPGRBZ";
  for (int i = 0; i < 10; ++i) {
    const int32_t x = 220 + 85 * (i / 2), y = i % 2 == 0 ? 513 : 548;
    EXPECT_EQ(Pixel(x - 2, y - 2), kChrom) << i;
    EXPECT_EQ(Pixel(x + 72, y + 30), kChrom) << i;
    EXPECT_EQ(Pixel(x + 73, y + 30), kMaske) << i;
    Beschriftung(x, y, 12, 7, std::string(1, buchstaben[i]));
    EXPECT_EQ(Pixel(x + 40, y), FigurFarbe(i)) << kFiguren[i];
    EXPECT_EQ(Pixel(x + 69, y + 29), FigurFarbe(i)) << kFiguren[i];
  }
  Beschriftung(12, 513, 8, 7, "F1", 28);
  Beschriftung(42, 513, 12, 7, "H");
  Beschriftung(42, 548, 4, 7, "Esc");
}

TEST_F(PanelTest, HelpPage3ButtonsAnswerAndSetTheClickPause) {
  Bildschirm(800, 600);
  AnzeigeHilfe3("Erstellen");
  std::vector<Box> boxen = {
      {42, 513, 30, 30, "h"}, {12, 513, 30, 30, "h"}, {42, 548, 30, 30, "\x1B"}};
  const char* antworten = "kldstpgrbz";
  for (int i = 0; i < 10; ++i) {
    boxen.push_back(
        {220 + 85 * (i / 2), i % 2 == 0 ? 513 : 548, 30, 30, std::string(1, antworten[i])});
  }
  PruefeBoxen([] { return AnzeigeHilfe3("Mausklick"); }, boxen, true);
  EXPECT_EQ(Klick(560, 513, [] { return AnzeigeHilfe3("Mausklick"); }), "b");
  EXPECT_EQ(Klick(600, 513, [] { return AnzeigeHilfe3("Mausklick"); }), "")
      << "the picture beside B";
}

TEST_F(PanelTest, HelpPagesAreMadeOnceIgnoreUnknownWordsAndRenumberAfterDeleting) {
  Bildschirm(800, 600);
  for (auto seite : {AnzeigeHilfe1, AnzeigeHilfe2, AnzeigeHilfe3}) {
    Fenster("LoeschAlleFenster", 0, 0, 0, 0, 0, "");
    seite("Loeschen");
    seite("Erstellen");
    seite("Erstellen");
    EXPECT_EQ(Probe(), "2");
    seite("Loeschen");
    seite("Erstellen");
    EXPECT_EQ(Probe(), "4");
    EXPECT_EQ(seite("Irgendwas"), "");
  }
  EXPECT_TRUE(K().zeilen.empty()) << "missing artwork would have been reported";
}

// ------------------------------------------------------------ start footer

TEST_F(PanelTest, StartFooterAt640x480) {
  Bildschirm(640, 480);
  AnzeigeStartFussFenster("Erstellen");
  EXPECT_EQ(Pixel(5, 385), kLeer) << "created, not shown";
  AnzeigeStartFussFenster("Anzeigen");
  RahmenAufDemRand(0, 380, 639, 100);
  EXPECT_EQ(Pixel(638, 479), kRahmen);
  // Plates 341 x 30 at (18, 392) and (18, 427).
  EXPECT_EQ(Pixel(18, 392), kChrom);
  EXPECT_EQ(Pixel(358, 421), kChrom);
  EXPECT_EQ(Pixel(359, 421), kMaske);
  EXPECT_EQ(Pixel(358, 422), kMaske);
  EXPECT_EQ(Pixel(18, 427), kChrom);
  EXPECT_EQ(Pixel(358, 456), kChrom);
  EXPECT_EQ(Pixel(358, 457), kMaske);
  Beschriftung(20, 394, 12, 7, "A");
  Beschriftung(84, 394, 12, 7, "P");
  Beschriftung(20, 429, 12, 7, "+");
  Beschriftung(54, 429, 12, 7, "-");
  Gravur(56, 401, "bis", kChrom);
  Gravur(126, 401, "Spielstart mit Screen", kChrom);
  Gravur(90, 436, "Anzahl gezeiger Figuren \xE4ndern", kChrom);
}

TEST_F(PanelTest, StartFooterIsMadeOnceAndIgnoresUnknownWords) {
  Bildschirm(640, 480);
  AnzeigeStartFussFenster("Erstellen");
  AnzeigeStartFussFenster("Erstellen");
  EXPECT_EQ(Probe(), "2");
  AnzeigeStartFussFenster("Loeschen");
  AnzeigeStartFussFenster("Erstellen");
  EXPECT_EQ(Probe(), "4");
  AnzeigeStartFussFenster("Zeigen");
  EXPECT_TRUE(K().zeilen.empty());
  EXPECT_EQ(Pixel(0, 380), kLeer);
}

// ------------------------------------------------------------ log

TEST_F(PanelTest, PanelsLogTheirLifeOnlyWhenTheSwitchIsOn) {
  Bildschirm(800, 600);
  KopfFenster("Erstellen", "Kopf");
  AnzeigeFensterUnten("Erstellen");
  EXPECT_TRUE(testhilfe::LogZeilen().empty());
  AllePanelsWeg();

  Settings().ProtokollAn = 1;
  KopfFenster("Erstellen", "Kopf");
  AnzeigeFensterUnten("Erstellen");
  AnzeigeHilfe1("Erstellen");
  AnzeigeHilfe2("Erstellen");
  AnzeigeHilfe3("Erstellen");
  AnzeigeHilfe3("Loeschen");
  AnzeigeHilfe2("Loeschen");
  AnzeigeHilfe1("Loeschen");
  AnzeigeFensterUnten("Loeschen");
  KopfFenster("Loeschen", "");
  AnzeigeStartFussFenster("Erstellen");
  AnzeigeStartFussFenster("Loeschen");
  std::vector<std::string> eigene;
  for (const std::string& z : testhilfe::LogZeilen()) {
    if (z.rfind("   Fenster()", 0) != 0) eigene.push_back(z);
  }
  const std::vector<std::string> soll = {
      "KopfFenster(): wird erstellt",
      "KopfFenster ist mit FensterNummer 1 erstellt",
      "AnzeigeFensterUnten wird erstellt",
      "AnzeigeFensterUnten mit Nummer 2 ist erstellt",
      "AnzeigeHilfe1 wird erstellt",
      "AnzeigeHilfe1 mit Nummer 3 ist erstellt",
      "AnzeigeHilfe2 wird erstellt",
      "AnzeigeHilfe2 mit Nummer 4 ist erstellt",
      "AnzeigeHilfe3 wird erstellt",
      "AnzeigeHilfe3 mit Nummer 5 ist erstellt",
      "AnzeigeHilfe3 mit Nummer 5 wird geloescht",
      "AnzeigeHilfe3 ist geloescht",
      "AnzeigeHilfe2 mit Nummer 4 wird geloescht",
      "AnzeigeHilfe2 ist geloescht",
      "AnzeigeHilfe1  mit Nummer 3 wird geloescht",
      "AnzeigeHilfe1 ist geloescht",
      "AnzeigeFensterUnten  mit Nummer 2 wird geloescht",
      "AnzeigeFensterUnten ist geloescht",
      "KopfFenster mit Nummer 1 wird geloescht",
      "KopfFenster ist geloescht",
      "StartFuss(): Fenster wird erstellt",
      "AnzeigeStartFussFenster mit Nummer 1 ist erstellt",
      "AnzeigeStartFussFenster mit Nummer 1 wird geloescht",
      "AnzeigeStartFussFenster ist geloescht",
  };
  EXPECT_EQ(eigene, soll);
}

// ------------------------------------------------------------ real artwork

// Each panel built from the generated artwork at 800 x 600 (palette pictures
// of 4 and 8 bits among it, with magenta transparent parts) and written as
// PNG for a look by eye. Every pixel is checked: the screen outside the
// window and its frame stays black, the frame is whole, no magenta of the
// artwork shows through, and the panel's labels are there.
TEST(PanelBilder, RealArtworkAt800x600) {
  const std::filesystem::path daten = WIMMEL_DATA_DIR;
  if (!std::filesystem::exists(daten / "pattern" / "maskiert.bmp")) {
    GTEST_SKIP() << "no generated artwork in " << daten;
  }
  const std::filesystem::path aus = WIMMEL_PANEL_SHOTS;
  std::filesystem::create_directories(aus);
  const std::filesystem::path vorher = std::filesystem::current_path();
  std::filesystem::current_path(daten);

  FontsInitialisieren();
  ResetSettings();
  AllePanelsWeg();
  testhilfe::BildschirmOeffnen(19, 32);
  testhilfe::TasteNach(1000000);
  K().Leeren();
  Layout() = SceneLayout{};
  Layout().screenWidth = 800;
  Layout().screenHeight = 600;
  Layout().SzeneY0 = 44;
  Layout().height = 456;

  struct Aufnahme {
    const char* datei;
    std::function<void()> zeigen;
    // The frame's corners, both included; the bitmap lies within them,
    // except for the header, whose frame runs one pixel outside it.
    int32_t links, oben, rechts, unten;
    uint32_t schrift;  // the face colour of the panel's raised or engraved text
  };
  const std::vector<Aufnahme> aufnahmen = {
      {"kopf.png",
       [] {
         KopfFenster("Erstellen", "WIMMEL 0.1");
         KopfFenster("Anzeigen", "");
       },
       -1, -1, 799, 44, 0x808080},
      {"unten.png",
       [] {
         AnzeigeFensterUnten("Erstellen");
         AnzeigeFensterUnten("Anzeigen");
       },
       0, 499, 798, 599, 0x606060},
      {"hilfe1.png",
       [] {
         AnzeigeHilfe1("Erstellen");
         AnzeigeHilfe1("Anzeigen");
       },
       0, 499, 798, 599, 0x606060},
      {"hilfe2.png",
       [] {
         AnzeigeHilfe2("Erstellen");
         AnzeigeHilfe2("Anzeigen");
       },
       0, 499, 798, 599, 0x606060},
      {"hilfe3.png",
       [] {
         AnzeigeHilfe3("Erstellen");
         AnzeigeHilfe3("Anzeigen");
       },
       0, 499, 798, 599, 0x606060},
      {"startfuss.png",
       [] {
         AnzeigeStartFussFenster("Erstellen");
         AnzeigeStartFussFenster("Anzeigen");
       },
       0, 500, 798, 599, 0x606060},
  };
  for (const Aufnahme& a : aufnahmen) {
    rt::ClearScreen();
    a.zeigen();
    EXPECT_TRUE(rt::WritePng(nullptr, (aus / a.datei).c_str())) << a.datei;
    int32_t fehler = 0, schrift = 0;
    for (int32_t y = 0; y < 600; ++y) {
      for (int32_t x = 0; x < 800; ++x) {
        const uint32_t p = Pixel(x, y);
        const bool innen = x >= a.links && x <= a.rechts && y >= a.oben && y <= a.unten;
        const bool rand = innen && (x == a.links || x == a.rechts || y == a.oben || y == a.unten);
        bool gut = true;
        if (rand) {
          gut = p == kRahmen;
        } else if (innen) {
          gut = p != 0xFF00FFu;
          schrift += p == a.schrift;
        } else {
          gut = p == 0u;
        }
        if (!gut && ++fehler <= 5) {
          ADD_FAILURE() << a.datei << ": pixel " << x << "," << y << " is 0x" << std::hex << p
                        << (rand    ? " on the frame"
                            : innen ? " inside"
                                    : " outside");
        }
      }
    }
    EXPECT_EQ(fehler, 0) << a.datei;
    EXPECT_GT(schrift, 0) << a.datei << ": no text in its face colour";
    AllePanelsWeg();
  }
  std::filesystem::current_path(vorher);
  EXPECT_TRUE(K().zeilen.empty()) << "artwork missing: "
                                  << (K().zeilen.empty() ? "" : K().zeilen[0]);
}

}  // namespace
}  // namespace wimmel
