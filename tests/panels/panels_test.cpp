// The panels on a headless 32-bit screen: where each window lands, where its
// plates, buttons, captions and labels are painted, which key string every
// button answers, and the log lines. The artwork here is small one-colour
// pictures written into a scratch folder, so every pixel tells which
// picture put it there.
#include "panels/panels.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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

constexpr uint32_t kMasked = 0x203040;  // pattern\maskiert.bmp
constexpr uint32_t kBrush = 0x806020;   // pattern\buerste.bmp
constexpr uint32_t kChrome = 0x608090;  // pattern\Chrom3.bmp
constexpr uint32_t kStone = 0x705030;   // pattern\Stein1.bmp
constexpr uint32_t kKey = 0xC0C0B0;     // HG_bild\TastLeer.bmp
constexpr uint32_t kTab = 0x11AA11, kBackspace = 0x1111AA, kBlock = 0x999900, kTarzan = 0x00EEEE;
constexpr uint32_t kFrame = 0x646464;
constexpr uint32_t kBlank = 0xFEDCBA;  // the screen before a panel is shown

const char* const kFigures[] = {"koenigin", "koenigbl", "arnolauf", "arnorenn", "tarzan01",
                                "hottehue", "gelbzyli", "rotekuge", "landfrau", "grunzyli"};

uint32_t FigureColour(int i) {
  return 0x300000u + static_cast<uint32_t>(i) * 0x1108u;
}

void WriteArtwork() {
  using test::WriteSolidBmp;
  WriteSolidBmp("pattern/maskiert.bmp", 8, 8, kMasked);
  WriteSolidBmp("pattern/buerste.bmp", 30, 30, kBrush);
  WriteSolidBmp("pattern/Chrom3.bmp", 24, 29, kChrome);
  WriteSolidBmp("pattern/Stein1.bmp", 16, 16, kStone);
  WriteSolidBmp("HG_bild/TastLeer.bmp", 30, 30, kKey);
  WriteSolidBmp("HG_bild/tabtast.bmp", 46, 30, kTab);
  WriteSolidBmp("HG_bild/Rucktast.bmp", 46, 30, kBackspace);
  WriteSolidBmp("HG_bild/Zahlblck.bmp", 62, 62, kBlock);
  WriteSolidBmp("HG_bild/tarzan01.bmp", 30, 29, kTarzan);
  for (int i = 0; i < 10; ++i) {
    WriteSolidBmp(std::string("HG_bild/figur/") + kFigures[i] + ".bmp", 30, 30, FigureColour(i));
  }
}

int32_t ProbeWindow() {
  return windows::Create("Probe");
}

void DeleteAllPanels() {
  KopfFenster("Loeschen", "");
  AnzeigeFensterUnten("Loeschen");
  AnzeigeHilfe1("Loeschen");
  AnzeigeHilfe2("Loeschen");
  AnzeigeHilfe3("Loeschen");
  AnzeigeStartFussFenster("Loeschen");
  windows::DeleteAll();
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FontsInitialisieren();
    WriteArtwork();
  }

  // Opens the screen and sets the scene layout of the program: 44 rows of
  // header above the scene, 100 rows below it.
  void OpenPanelScreen(int32_t width, int32_t height) {
    const int32_t mode = width == 640 ? 18 : width == 800 ? 19 : 21;
    screen_ = test::OpenScreen(mode, 32);
    Layout().screenWidth = width;
    Layout().screenHeight = height;
    Layout().SzeneY0 = 44;
    Layout().height = height - 144;
    test::FillScreen(0xFF000000u | kBlank);
  }

  // Paints `paint` onto a twin of the given background and compares it with
  // the screen rectangle at (sx, sy).
  void CompareWithTwin(int32_t sx, int32_t sy, int32_t w, int32_t h, uint32_t ground,
                       const std::function<void(rt::Image)>& paint, const std::string& what) {
    rt::OwnedImage twin(rt::CreateImage(w, h, 0xFF000000u | ground));
    ASSERT_NE(twin, nullptr);
    paint(twin);
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        ASSERT_EQ(Pixel(sx + x, sy + y), rt::GetPixel(twin, x, y) & 0xFFFFFF)
            << what << ": screen pixel " << sx + x << "," << sy + y;
      }
    }
  }

  // A caption in black, font 0, on an empty key at screen (bx, by).
  // The help pages lay the H button's plate over the F1 button's two right
  // columns, so there only 28 columns are compared.
  void Caption(int32_t bx, int32_t by, int32_t dx, int32_t dy, const std::string& text,
               int32_t width = 30) {
    CompareWithTwin(
        bx, by, width, 30, kKey,
        [&](rt::Image twin) { MaleText(text, dx, dy, 0xFF000000, 0, twin); }, "caption " + text);
  }

  // An engraved label (colour 96, shade distance 60) at screen (x, y) on a plate.
  void Label(int32_t x, int32_t y, const std::string& text, uint32_t plate) {
    const int32_t w = static_cast<int32_t>(text.size()) * FontBreite(0) + 2;
    CompareWithTwin(
        x - 1, y - 1, w, FontHoehe(0) + 2, plate,
        [&](rt::Image twin) {
          MaleText3D(text, 1, 1, 0xFF606060, 0xFF9C9C9C, 0xFF242424, 0, twin);
        },
        "label " + text);
  }

  // The window's one-pixel frame on its outermost pixels, and nothing of it
  // one pixel outside.
  void FrameOnTheEdge(int32_t x, int32_t y, int32_t w, int32_t h) {
    for (int32_t i = 0; i < w; ++i) {
      ASSERT_EQ(Pixel(x + i, y), kFrame) << "top " << x + i;
      ASSERT_EQ(Pixel(x + i, y + h - 1), kFrame) << "bottom " << x + i;
    }
    for (int32_t j = 0; j < h; ++j) {
      ASSERT_EQ(Pixel(x, y + j), kFrame) << "left " << y + j;
      ASSERT_EQ(Pixel(x + w - 1, y + j), kFrame) << "right " << y + j;
    }
    EXPECT_EQ(Pixel(x + 1, y + 1), kMasked);
    EXPECT_EQ(Pixel(x + w, y + 1), kBlank);
    if (y > 0) {
      EXPECT_EQ(Pixel(x + 1, y - 1), kBlank);
    }
  }

  // The console lines of the screen opened last.
  test::ScreenRecord& Screen() { return *screen_; }

  test::ScratchFolder folder_;
  std::shared_ptr<test::ScreenRecord> screen_;
};

// ------------------------------------------------------------ hit boxes

struct Box {
  int32_t x, y, w, h;  // hit box from (x, y) to (x + w, y + h), both included
  std::string answer;
};

// Probes each box at its four corners and one pixel beyond each side; a
// probe outside the box expects whatever other box holds that point, or "".
void CheckBoxes(const std::function<std::string()>& click, const std::vector<Box>& boxes,
                bool clickPause) {
  auto expectedAt = [&](int32_t x, int32_t y) {
    std::string a;
    for (const Box& b : boxes) {
      if (x >= b.x && x <= b.x + b.w && y >= b.y && y <= b.y + b.h) a = b.answer;
    }
    return a;
  };
  for (const Box& b : boxes) {
    const int32_t points[][2] = {
        {b.x, b.y},     {b.x + b.w, b.y},     {b.x, b.y + b.h}, {b.x + b.w, b.y + b.h},
        {b.x - 1, b.y}, {b.x + b.w + 1, b.y}, {b.x, b.y - 1},   {b.x + b.w, b.y + b.h + 1}};
    for (const auto& p : points) {
      Settings().MausX = p[0];
      Settings().MausY = p[1];
      Settings().KlickPause = 0;
      const std::string expected = expectedAt(p[0], p[1]);
      EXPECT_EQ(click(), expected) << "click at " << p[0] << "," << p[1];
      EXPECT_EQ(Settings().KlickPause, clickPause && !expected.empty() ? 1 : 0)
          << "click pause after a click at " << p[0] << "," << p[1];
    }
    EXPECT_FALSE(b.answer.empty());
  }
}

std::string ClickAt(int32_t x, int32_t y, const std::function<std::string()>& click) {
  Settings().MausX = x;
  Settings().MausY = y;
  return click();
}

// ------------------------------------------------------------ header

TEST_F(PanelTest, HeaderAt640x480IsAStripWithTheCaptionRaisedOnACentredPlate) {
  OpenPanelScreen(640, 480);
  const std::string text = "ABCDEFGHIJKL";
  KopfFenster("Erstellen", text);
  EXPECT_EQ(Pixel(0, 0), kBlank) << "created, not shown";
  KopfFenster("Anzeigen", "");
  // 639 x 44 at (0, 0); the plate covers (261, 9) to (377, 35).
  for (int32_t y = 0; y < 44; ++y) {
    for (int32_t x = 0; x < 639; ++x) {
      const bool plate = x >= 261 && x <= 377 && y >= 9 && y <= 35;
      if (!plate) {
        ASSERT_EQ(Pixel(x, y), kMasked) << x << "," << y;
      }
    }
  }
  CompareWithTwin(
      261, 9, 117, 27, kStone,
      [&](rt::Image twin) { MaleText3D(text, 10, 6, 0xFF808080, 0xFF444444, 0xFFBCBCBC, 0, twin); },
      "caption on the plate");
  // The frame lies outside the bitmap: only its right column and bottom row show.
  for (int32_t y = 0; y <= 44; ++y) EXPECT_EQ(Pixel(639, y), kFrame) << y;
  for (int32_t x = 0; x <= 639; ++x) EXPECT_EQ(Pixel(x, 44), kFrame) << x;
  EXPECT_EQ(Pixel(0, 45), kBlank);
}

TEST_F(PanelTest, HeaderAt800x600SpansTheScreenAndIsMadeOnce) {
  OpenPanelScreen(800, 600);
  KopfFenster("Erstellen", "WIMMEL 0.1");
  KopfFenster("Erstellen", "anders");
  EXPECT_EQ(ProbeWindow(), 2) << "the second Erstellen made no window";
  KopfFenster("Anzeigen", "");
  EXPECT_EQ(Pixel(798, 43), kMasked);
  EXPECT_EQ(Pixel(799, 43), kFrame);
  EXPECT_EQ(Pixel(799, 44), kFrame);
  // The plate is centred: 10 characters give 100 x 26 at (349, 9).
  EXPECT_EQ(Pixel(349, 9), kStone);
  EXPECT_EQ(Pixel(348, 9), kMasked);
  EXPECT_EQ(Pixel(449, 35), kStone);
  EXPECT_EQ(Pixel(450, 35), kMasked);
  EXPECT_TRUE(Screen().lines.empty());
}

TEST_F(PanelTest, HeaderNeedsMoreThanSixteenRowsAboveTheScene) {
  OpenPanelScreen(640, 480);
  for (int32_t y0 : {16, 0}) {
    Screen().ClearLines();
    Layout().SzeneY0 = y0;
    KopfFenster("Erstellen", "Kopf");
    ASSERT_EQ(Screen().lines.size(), 1u);
    EXPECT_EQ(Screen().lines[0],
              "Sub KopfFenster():  Soll ein Kopffenster errichten, es ist oben aber gar kein Platz "
              "dafuer (kleiner 16 Pixel)");
    EXPECT_EQ(ProbeWindow(), 1) << "no window was made";
    windows::DeleteAll();
  }
  Layout().SzeneY0 = 17;
  KopfFenster("Erstellen", "Kopf");
  EXPECT_EQ(ProbeWindow(), 2);
}

TEST_F(PanelTest, HeaderReportsAnUnknownWord) {
  OpenPanelScreen(640, 480);
  KopfFenster("Zeigen", "");
  ASSERT_EQ(Screen().lines.size(), 1u);
  EXPECT_EQ(Screen().lines[0],
            "SelectCase in der KopfFenster-Sub kennt folgende Aufgabe nicht: Zeigen");
}

TEST_F(PanelTest, HeaderDeletedAndMadeAgainGetsTheNextFreeNumber) {
  OpenPanelScreen(640, 480);
  KopfFenster("Erstellen", "Kopf");
  EXPECT_EQ(ProbeWindow(), 2);
  KopfFenster("Loeschen", "");
  KopfFenster("Erstellen", "Kopf");
  EXPECT_EQ(ProbeWindow(), 4);
  // Showing a header that does not exist draws nothing.
  KopfFenster("Loeschen", "");
  test::FillScreen(0xFF000000u | kBlank);
  KopfFenster("Anzeigen", "");
  for (int32_t x = 0; x < 640; x += 7) EXPECT_EQ(Pixel(x, 10), kBlank);
}

// ------------------------------------------------------------ bottom bar

TEST_F(PanelTest, BottomBarAt800x600StandsAt0x499With799x101) {
  OpenPanelScreen(800, 600);
  AnzeigeFensterUnten("Erstellen");
  EXPECT_EQ(Pixel(5, 505), kBlank) << "created, not shown";
  AnzeigeFensterUnten("Anzeigen");
  FrameOnTheEdge(0, 499, 799, 101);

  // Plates of brush: (18, 511) over 189 x 33, (261 - 2, 511) over 149, (462 - 2, 511) over 103.
  const int32_t plates[][2] = {{18, 188}, {259, 148}, {460, 102}};
  for (const auto& p : plates) {
    EXPECT_EQ(Pixel(p[0], 511), kBrush) << p[0];
    EXPECT_EQ(Pixel(p[0] + p[1], 543), kBrush) << p[0];
    EXPECT_EQ(Pixel(p[0] - 1, 511), kMasked) << p[0];
    EXPECT_EQ(Pixel(p[0] + p[1] + 1, 543), kMasked) << p[0];
    EXPECT_EQ(Pixel(p[0], 544), kMasked) << p[0];
  }
  Caption(20, 513, 12, 7, "H");
  Caption(60, 513, 8, 7, "F1");
  Caption(261, 513, 4, 7, "Esc");
  Caption(462, 513, 12, 7, "A");
  Label(100, 520, "Hilfe / Help", kBrush);
  Label(301, 520, "Programmende", kBrush);
  Label(502, 520, "About", kBrush);
}

TEST_F(PanelTest, BottomBarButtonsAnswerTheirKeysWithoutAClickPause) {
  OpenPanelScreen(800, 600);
  AnzeigeFensterUnten("Erstellen");
  CheckBoxes([] { return AnzeigeFensterUnten("Mausklick"); },
             {{20, 513, 30, 30, "H"},
              {60, 513, 30, 30, "H"},
              {261, 513, 30, 30, "\x1B"},
              {462, 513, 30, 30, "A"}},
             false);
  EXPECT_EQ(ClickAt(400, 560, [] { return AnzeigeFensterUnten("Mausklick"); }), "");
  EXPECT_EQ(AnzeigeFensterUnten("Zeigen"), "");
  EXPECT_TRUE(Screen().lines.empty());
}

TEST_F(PanelTest, BottomBarAt640x480AndWithATallSceneStaysFiftyRowsFromTheBottom) {
  OpenPanelScreen(640, 480);
  AnzeigeFensterUnten("Erstellen");
  AnzeigeFensterUnten("Anzeigen");
  FrameOnTheEdge(0, 379, 639, 101);
  EXPECT_EQ(ClickAt(20, 393, [] { return AnzeigeFensterUnten("Mausklick"); }), "H");
  AnzeigeFensterUnten("Loeschen");

  OpenPanelScreen(800, 600);
  Layout().height = 1000;
  AnzeigeFensterUnten("Erstellen");
  AnzeigeFensterUnten("Anzeigen");
  FrameOnTheEdge(0, 550, 799, 50);
}

TEST_F(PanelTest, BottomBarIsMadeOnceAndAfterDeletingGetsANewNumber) {
  OpenPanelScreen(800, 600);
  AnzeigeFensterUnten("Erstellen");
  AnzeigeFensterUnten("Erstellen");
  EXPECT_EQ(ProbeWindow(), 2);
  AnzeigeFensterUnten("Loeschen");
  AnzeigeFensterUnten("Erstellen");
  EXPECT_EQ(ProbeWindow(), 4);
  AnzeigeFensterUnten("Anzeigen");
  EXPECT_EQ(Pixel(0, 499), kFrame);
}

// ------------------------------------------------------------ help pages

TEST_F(PanelTest, HelpPagesStandWhereTheBottomBarStands) {
  OpenPanelScreen(800, 600);
  for (auto page : {AnzeigeHilfe1, AnzeigeHilfe2, AnzeigeHilfe3}) {
    test::FillScreen(0xFF000000u | kBlank);
    page("Erstellen");
    EXPECT_EQ(Pixel(5, 505), kBlank) << "created, not shown";
    page("Anzeigen");
    FrameOnTheEdge(0, 499, 799, 101);
  }
}

TEST_F(PanelTest, HelpPage1Layout) {
  OpenPanelScreen(800, 600);
  AnzeigeHilfe1("Erstellen");
  AnzeigeHilfe1("Anzeigen");
  // Plates of chrome: F1 (13, 511), H and Esc (43, 511/546) and C, N 16W + 47 = 175 wide;
  // + and - 15W + 49 = 169 wide at 438.
  EXPECT_EQ(Pixel(13, 511), kChrome);
  EXPECT_EQ(Pixel(12, 511), kMasked);
  EXPECT_EQ(Pixel(218, 543), kChrome);
  EXPECT_EQ(Pixel(219, 543), kMasked);
  EXPECT_EQ(Pixel(218, 578), kChrome);
  EXPECT_EQ(Pixel(218, 579), kMasked);
  EXPECT_EQ(Pixel(238, 511), kChrome);
  EXPECT_EQ(Pixel(413, 578), kChrome);
  EXPECT_EQ(Pixel(414, 578), kMasked);
  EXPECT_EQ(Pixel(438, 546), kChrome);
  EXPECT_EQ(Pixel(607, 578), kChrome);
  EXPECT_EQ(Pixel(608, 578), kMasked);
  Caption(15, 513, 8, 7, "F1", 28);
  Caption(45, 513, 12, 7, "H");
  Caption(45, 548, 4, 7, "Esc");
  Caption(240, 513, 12, 7, "C");
  Caption(240, 548, 12, 7, "N");
  Caption(440, 513, 12, 7, "+");
  Caption(440, 548, 12, 7, "-");
  Label(85, 520, "Hilfe bl\xE4ttern", kChrome);
  Label(85, 555, "Programmende", kChrome);
  Label(280, 520, "Kollision An/Aus", kChrome);
  Label(280, 555, "FigurNr An/Aus", kChrome);
  Label(480, 520, "Spiel schneller", kChrome);
  Label(480, 555, "Spiel langsamer", kChrome);
}

TEST_F(PanelTest, HelpPage1ButtonsAnswerAndSetTheClickPause) {
  OpenPanelScreen(800, 600);
  AnzeigeHilfe1("Erstellen");
  CheckBoxes([] { return AnzeigeHilfe1("Mausklick"); },
             {{240, 513, 30, 30, "c"},
              {240, 548, 30, 30, "n"},
              {440, 513, 30, 30, "+"},
              {440, 548, 30, 30, "-"},
              {45, 513, 30, 30, "h"},
              {45, 548, 30, 30, "\x1B"},
              {15, 513, 30, 30, "h"}},
             true);
  Settings().KlickPause = 0;
  EXPECT_EQ(ClickAt(700, 560, [] { return AnzeigeHilfe1("Mausklick"); }), "");
  EXPECT_EQ(Settings().KlickPause, 0);
}

TEST_F(PanelTest, HelpPage2Layout) {
  OpenPanelScreen(800, 600);
  AnzeigeHilfe2("Erstellen");
  AnzeigeHilfe2("Anzeigen");
  // Navigation plates 16W + 68 = 196 wide, 31 + 1 high; the number block plate 8W + 84 = 148
  // wide and 67 high at (476, 511).
  EXPECT_EQ(Pixel(239, 542), kChrome);
  EXPECT_EQ(Pixel(240, 542), kMasked);
  EXPECT_EQ(Pixel(239, 543), kMasked);
  EXPECT_EQ(Pixel(258, 511), kChrome);
  EXPECT_EQ(Pixel(454, 577), kChrome);
  EXPECT_EQ(Pixel(455, 577), kMasked);
  EXPECT_EQ(Pixel(624, 577), kChrome);
  EXPECT_EQ(Pixel(625, 577), kMasked);
  EXPECT_EQ(Pixel(624, 578), kMasked);
  // Pictures at their places: tab, backspace, the number block and the figure on it.
  EXPECT_EQ(Pixel(260, 513), kTab);
  EXPECT_EQ(Pixel(305, 542), kTab);
  EXPECT_EQ(Pixel(260, 548), kBackspace);
  EXPECT_EQ(Pixel(305, 577), kBackspace);
  EXPECT_EQ(Pixel(478, 513), kBlock);
  EXPECT_EQ(Pixel(539, 574), kBlock);
  EXPECT_EQ(Pixel(490, 530), kBlock);
  EXPECT_EQ(Pixel(491, 530), kTarzan);
  EXPECT_EQ(Pixel(520, 558), kTarzan);
  EXPECT_EQ(Pixel(521, 558), kBlock);
  Caption(15, 513, 8, 7, "F1", 28);
  Caption(45, 513, 12, 7, "H");
  Label(316, 520,
        "N\xE4"
        "chste FigurNr",
        kChrome);
  Label(316, 555, "Vorige FigurNr", kChrome);
  // The second line's upper shade touches the first line's last row: one twin for both.
  CompareWithTwin(
      549, 519, 8 * FontBreite(0) + 2, 2 * FontHoehe(0) + 2, kChrome,
      [](rt::Image twin) {
        MaleText3D("Richtung", 1, 1, 0xFF606060, 0xFF9C9C9C, 0xFF242424, 0, twin);
        MaleText3D(" \xC4ndern", 1, 1 + FontHoehe(0), 0xFF606060, 0xFF9C9C9C, 0xFF242424, 0, twin);
      },
      "labels of the number block");
}

TEST_F(PanelTest, HelpPage2ButtonsAnswerAndSetTheClickPause) {
  OpenPanelScreen(800, 600);
  AnzeigeHilfe2("Erstellen");
  CheckBoxes([] { return AnzeigeHilfe2("Mausklick"); },
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
  EXPECT_EQ(ClickAt(509, 544, [] { return AnzeigeHilfe2("Mausklick"); }), "")
      << "the centre of the number block";
  EXPECT_EQ(Settings().KlickPause, 0);
}

TEST_F(PanelTest, HelpPage3Layout) {
  OpenPanelScreen(800, 600);
  AnzeigeHilfe3("Erstellen");
  AnzeigeHilfe3("Anzeigen");
  EXPECT_EQ(Pixel(10, 511), kChrome);
  EXPECT_EQ(Pixel(9, 511), kMasked);
  EXPECT_EQ(Pixel(180, 543), kChrome);
  EXPECT_EQ(Pixel(181, 540), kMasked) << "the navigation plates are 140 wide";
  const char* letters = "KLDSTPGRBZ";
  for (int i = 0; i < 10; ++i) {
    const int32_t x = 220 + 85 * (i / 2), y = i % 2 == 0 ? 513 : 548;
    EXPECT_EQ(Pixel(x - 2, y - 2), kChrome) << i;
    EXPECT_EQ(Pixel(x + 72, y + 30), kChrome) << i;
    EXPECT_EQ(Pixel(x + 73, y + 30), kMasked) << i;
    Caption(x, y, 12, 7, std::string(1, letters[i]));
    EXPECT_EQ(Pixel(x + 40, y), FigureColour(i)) << kFigures[i];
    EXPECT_EQ(Pixel(x + 69, y + 29), FigureColour(i)) << kFigures[i];
  }
  Caption(12, 513, 8, 7, "F1", 28);
  Caption(42, 513, 12, 7, "H");
  Caption(42, 548, 4, 7, "Esc");
}

TEST_F(PanelTest, HelpPage3ButtonsAnswerAndSetTheClickPause) {
  OpenPanelScreen(800, 600);
  AnzeigeHilfe3("Erstellen");
  std::vector<Box> boxes = {
      {42, 513, 30, 30, "h"}, {12, 513, 30, 30, "h"}, {42, 548, 30, 30, "\x1B"}};
  const char* answers = "kldstpgrbz";
  for (int i = 0; i < 10; ++i) {
    boxes.push_back(
        {220 + 85 * (i / 2), i % 2 == 0 ? 513 : 548, 30, 30, std::string(1, answers[i])});
  }
  CheckBoxes([] { return AnzeigeHilfe3("Mausklick"); }, boxes, true);
  EXPECT_EQ(ClickAt(560, 513, [] { return AnzeigeHilfe3("Mausklick"); }), "b");
  EXPECT_EQ(ClickAt(600, 513, [] { return AnzeigeHilfe3("Mausklick"); }), "")
      << "the picture beside B";
}

TEST_F(PanelTest, HelpPagesAreMadeOnceIgnoreUnknownWordsAndRenumberAfterDeleting) {
  OpenPanelScreen(800, 600);
  for (auto page : {AnzeigeHilfe1, AnzeigeHilfe2, AnzeigeHilfe3}) {
    windows::DeleteAll();
    page("Loeschen");
    page("Erstellen");
    page("Erstellen");
    EXPECT_EQ(ProbeWindow(), 2);
    page("Loeschen");
    page("Erstellen");
    EXPECT_EQ(ProbeWindow(), 4);
    EXPECT_EQ(page("Irgendwas"), "");
  }
  EXPECT_TRUE(Screen().lines.empty()) << "missing artwork would have been reported";
}

// ------------------------------------------------------------ start footer

TEST_F(PanelTest, StartFooterAt640x480) {
  OpenPanelScreen(640, 480);
  AnzeigeStartFussFenster("Erstellen");
  EXPECT_EQ(Pixel(5, 385), kBlank) << "created, not shown";
  AnzeigeStartFussFenster("Anzeigen");
  FrameOnTheEdge(0, 380, 639, 100);
  EXPECT_EQ(Pixel(638, 479), kFrame);
  // Plates 341 x 30 at (18, 392) and (18, 427).
  EXPECT_EQ(Pixel(18, 392), kChrome);
  EXPECT_EQ(Pixel(358, 421), kChrome);
  EXPECT_EQ(Pixel(359, 421), kMasked);
  EXPECT_EQ(Pixel(358, 422), kMasked);
  EXPECT_EQ(Pixel(18, 427), kChrome);
  EXPECT_EQ(Pixel(358, 456), kChrome);
  EXPECT_EQ(Pixel(358, 457), kMasked);
  Caption(20, 394, 12, 7, "A");
  Caption(84, 394, 12, 7, "P");
  Caption(20, 429, 12, 7, "+");
  Caption(54, 429, 12, 7, "-");
  Label(56, 401, "bis", kChrome);
  Label(126, 401, "Spielstart mit Screen", kChrome);
  Label(90, 436, "Anzahl gezeiger Figuren \xE4ndern", kChrome);
}

TEST_F(PanelTest, StartFooterIsMadeOnceAndIgnoresUnknownWords) {
  OpenPanelScreen(640, 480);
  AnzeigeStartFussFenster("Erstellen");
  AnzeigeStartFussFenster("Erstellen");
  EXPECT_EQ(ProbeWindow(), 2);
  AnzeigeStartFussFenster("Loeschen");
  AnzeigeStartFussFenster("Erstellen");
  EXPECT_EQ(ProbeWindow(), 4);
  AnzeigeStartFussFenster("Zeigen");
  EXPECT_TRUE(Screen().lines.empty());
  EXPECT_EQ(Pixel(0, 380), kBlank);
}

// ------------------------------------------------------------ log

TEST_F(PanelTest, PanelsLogTheirLifeOnlyWhenTheSwitchIsOn) {
  OpenPanelScreen(800, 600);
  KopfFenster("Erstellen", "Kopf");
  AnzeigeFensterUnten("Erstellen");
  EXPECT_TRUE(test::LogLines().empty());
  DeleteAllPanels();

  Settings().ProtokollAn = 1;
  // A panel without a window still logs its deletion, with an empty number,
  // and asks the window system to delete window 0.
  AnzeigeHilfe2("Loeschen");
  const std::vector<std::string> noWindow = {
      "AnzeigeHilfe2 mit Nummer  wird geloescht",
      "   Fenster(): Loesche Fenster 0",
      "   Fenster(): alle Bilder des Fensters 0 werden geloescht",
      "AnzeigeHilfe2 ist geloescht",
  };
  EXPECT_EQ(test::LogLines(), noWindow);
  std::remove("wimmelprt.txt");
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
  std::vector<std::string> own;
  for (const std::string& z : test::LogLines()) {
    if (z.rfind("   Fenster()", 0) != 0) own.push_back(z);
  }
  const std::vector<std::string> expected = {
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
  EXPECT_EQ(own, expected);
}

// ------------------------------------------------------------ real artwork

// Each panel built from the generated artwork at 800 x 600 (palette pictures
// of 4 and 8 bits among it, with magenta transparent parts) and written as
// PNG for a look by eye. Every pixel is checked: the screen outside the
// window and its frame stays black, the frame is whole, no magenta of the
// artwork shows through, and the panel's labels are there.
TEST(PanelArtwork, RealArtworkAt800x600) {
  const std::filesystem::path data = WIMMEL_DATA_DIR;
  if (!std::filesystem::exists(data / "pattern" / "maskiert.bmp")) {
    GTEST_SKIP() << "no generated artwork in " << data;
  }
  const std::filesystem::path shotFolder = WIMMEL_PANEL_SHOTS;
  std::filesystem::create_directories(shotFolder);
  // The artwork folders are linked into a scratch folder, so that nothing
  // the panels might write lands among the generated data.
  test::ScratchFolder folder;
  for (const char* artwork : {"pattern", "HG_bild"}) {
    std::filesystem::create_directory_symlink(data / artwork, artwork);
  }

  FontsInitialisieren();
  const std::shared_ptr<test::ScreenRecord> screen = test::OpenScreen(19, 32);
  screen->KeyAfter(1000000);
  Layout().screenWidth = 800;
  Layout().screenHeight = 600;
  Layout().SzeneY0 = 44;
  Layout().height = 456;

  struct Shot {
    const char* file;
    std::function<void()> show;
    // The frame's corners, both included; the bitmap lies within them,
    // except for the header, whose frame runs one pixel outside it.
    int32_t left, top, right, bottom;
    uint32_t face;  // the face colour of the panel's raised or engraved text
  };
  const std::vector<Shot> shots = {
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
  for (const Shot& a : shots) {
    rt::ClearScreen();
    a.show();
    EXPECT_TRUE(rt::WritePng(nullptr, (shotFolder / a.file).c_str())) << a.file;
    int32_t errors = 0, faceCount = 0;
    for (int32_t y = 0; y < 600; ++y) {
      for (int32_t x = 0; x < 800; ++x) {
        const uint32_t p = Pixel(x, y);
        const bool inside = x >= a.left && x <= a.right && y >= a.top && y <= a.bottom;
        const bool edge = inside && (x == a.left || x == a.right || y == a.top || y == a.bottom);
        bool good = true;
        if (edge) {
          good = p == kFrame;
        } else if (inside) {
          good = p != 0xFF00FFu;
          faceCount += p == a.face;
        } else {
          good = p == 0u;
        }
        if (!good && ++errors <= 5) {
          ADD_FAILURE() << a.file << ": pixel " << x << "," << y << " is 0x" << std::hex << p
                        << (edge     ? " on the frame"
                            : inside ? " inside"
                                     : " outside");
        }
      }
    }
    EXPECT_EQ(errors, 0) << a.file;
    EXPECT_GT(faceCount, 0) << a.file << ": no text in its face colour";
    DeleteAllPanels();
  }
  EXPECT_TRUE(screen->lines.empty())
      << "artwork missing: " << (screen->lines.empty() ? "" : screen->lines[0]);
}

}  // namespace
}  // namespace wimmel
