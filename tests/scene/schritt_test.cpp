// The figure step on the headless display: time gate, restore, frames,
// moves, edges, object turns, draw order, marker, numbers, circles, status
// line, the click, and failures met inside the step.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <tuple>

#include "runtime/display.h"
#include "runtime/image.h"
#include "scene/intern.h"
#include "scene/scene.h"
#include "shared/settings.h"
#include "szene_hilfe.h"
#include "text/text.h"

namespace rt = wimmel::rt;

namespace {

using namespace testhilfe;
using wimmel::Figur;
using wimmel::Layout;
using wimmel::Settings;
using wimmel::scene::FigurAnsehen;
using wimmel::scene::FigurEinblick;

FigurEinblick Ansehen(int32_t nr) {
  FigurEinblick e;
  EXPECT_TRUE(FigurAnsehen(nr, e));
  return e;
}

int32_t Art(int32_t nr) {
  const std::string name = Ansehen(nr).name;
  for (int32_t k = 1; k <= wimmel::kFigureKinds; ++k) {
    if (wimmel::FigurTyp()[k].name == name) return k;
  }
  return 0;
}

// The colour figure nr shows inside its current frame.
uint32_t FigurFarbe(int32_t nr) {
  const FigurEinblick f = Ansehen(nr);
  return Erwartet(FrameFarbe(Art(nr), f.Bildnummer, f.frame));
}

uint32_t Grund(int32_t x, int32_t y) {
  return Erwartet(HintergrundFarbe(x, y - 44));
}

// Sets a figure's steps to exactly sx, sy (step lengths |sx|, |sy|) through
// the width commands, which keep the current sense.
void Setze(int32_t nr, int32_t sx, int32_t sy) {
  auto eine = [nr](const char* wort, int32_t jetzt, int32_t soll) {
    if (soll == 0) {
      Figur(wort, nr, 0, 0, "");
      return;
    }
    if ((soll > 0) != (jetzt > 0)) Figur(wort, nr, -1, 0, "");  // flips the sense
    Figur(wort, nr, soll > 0 ? soll : -soll, 0, "");
  };
  eine("SetzXRichtung", Ansehen(nr).SchrittX, sx);
  eine("SetzYRichtung", Ansehen(nr).SchrittY, sy);
}

// Moves every figure in one step to its target (or leaves it where it is)
// and then lets all of them stand still.
void Versetze(const std::vector<std::tuple<int32_t, int32_t, int32_t>>& ziele) {
  for (int32_t nr = 1; nr <= Settings().FigurenAnzahl; ++nr) Setze(nr, 0, 0);
  for (const auto& [nr, x, y] : ziele) Setze(nr, x - Ansehen(nr).x, y - Ansehen(nr).y);
  Schritt();
  for (int32_t nr = 1; nr <= Settings().FigurenAnzahl; ++nr) Setze(nr, 0, 0);
  for (const auto& [nr, x, y] : ziele) {
    ASSERT_EQ(Ansehen(nr).x, x);
    ASSERT_EQ(Ansehen(nr).y, y);
  }
}

class SchrittTest : public ::testing::Test {
 protected:
  void Aufbauen(int32_t modus, int32_t tiefe, int32_t n) {
    Bildschirm(modus, tiefe);
    SzeneAufraeumen();
    const rt::ScreenInfo info = rt::GetScreenInfo();
    SchreibeHintergrund(info.width, info.height - 144);
    SchreibeObjekte(20);
    SchreibeFiguren();
    BaueHintergrund();
    Settings().FigurenAnzahl = n;
    BaueSzene();
  }
  void TearDown() override { SzeneAufraeumen(); }
  Arbeitsordner ordner_;
};

TEST_F(SchrittTest, FiguresMoveByTheirStepsAndTheBackgroundIsRestored) {
  Aufbauen(18, 16, 2);
  Versetze({{1, 100, 100}, {2, 300, 200}});
  Setze(1, 5, 3);
  const int32_t frame = Ansehen(1).frame;
  Schritt();
  const FigurEinblick f = Ansehen(1);
  EXPECT_EQ(f.x, 105);
  EXPECT_EQ(f.y, 103);
  EXPECT_EQ(f.frame, frame == 11 ? 0 : frame + 1);
  EXPECT_EQ(f.srcX, 48 * f.frame);
  EXPECT_EQ(Pixel(105 + 24, 103 + 24), FigurFarbe(1));
  EXPECT_EQ(Pixel(105 + 1, 103 + 24), Grund(106, 127)) << "magenta is transparent";
  EXPECT_EQ(Pixel(101, 110), Grund(101, 110)) << "the old place shows the background again";
  EXPECT_EQ(Pixel(300 + 24, 200 + 24), FigurFarbe(2)) << "a standing figure is drawn too";
  Schritt();
  EXPECT_EQ(Ansehen(1).x, 110);
  EXPECT_EQ(Ansehen(1).y, 106);
}

TEST_F(SchrittTest, TimeGateHoldsBackStepsWithinWarten) {
  Aufbauen(18, 16, 1);
  Versetze({{1, 200, 200}});
  Setze(1, 2, 1);
  Schritt();
  const int32_t x = Ansehen(1).x;
  rt::SetPixel(nullptr, 5, 300, 0xFFFFFFFF);
  Figur("LaufEinSchritt", 1, 200, 200, "");
  EXPECT_EQ(Ansehen(1).x, x) << "the timer has not moved";
  rt::headless::AdvanceClock(0.015);
  Figur("LaufEinSchritt", 1, 200, 200, "");
  EXPECT_EQ(Ansehen(1).x, x) << "0.015 s is not above Warten = 0.02 s";
  EXPECT_EQ(Pixel(5, 300), Erwartet(0xFFFFFF)) << "nothing was drawn";
  rt::headless::AdvanceClock(0.01);
  Figur("LaufEinSchritt", 1, 200, 200, "");
  EXPECT_EQ(Ansehen(1).x, x + 2);
}

TEST_F(SchrittTest, FiguresTurnAtEachEdgeWithTheRightPicture) {
  Aufbauen(18, 16, 4);
  // Right edge alone; right and bottom together; left; top.
  Versetze({{1, 591, 200}, {2, 591, 332}, {3, 4, 200}, {4, 200, 47}});
  Setze(1, 3, 1);
  Setze(2, 3, 1);
  Setze(3, -3, 1);
  Setze(4, 2, -2);
  Schritt();
  EXPECT_EQ(Ansehen(1).x, 594) << "the position is not corrected";
  EXPECT_EQ(Ansehen(1).SchrittX, -3);
  EXPECT_EQ(Ansehen(1).Bildnummer, 3);
  EXPECT_EQ(Ansehen(2).SchrittX, -3);
  EXPECT_EQ(Ansehen(2).SchrittY, -1);
  EXPECT_EQ(Ansehen(2).Bildnummer, 4) << "left and up";
  EXPECT_EQ(Ansehen(3).SchrittX, 3);
  EXPECT_EQ(Ansehen(3).Bildnummer, 2);
  EXPECT_EQ(Ansehen(4).SchrittY, 2);
  EXPECT_EQ(Ansehen(4).Bildnummer, 2);
  EXPECT_EQ(Ansehen(4).fileName, "figure\\" + Ansehen(4).name + "\\2.bmp");
  // Drawn with the new picture already.
  EXPECT_EQ(Pixel(594 + 24, 201 + 24), FigurFarbe(1));
  EXPECT_EQ(Pixel(1 + 24, 201 + 24), FigurFarbe(3));
  Schritt();
  EXPECT_EQ(Ansehen(1).x, 591);
}

TEST_F(SchrittTest, FiguresTurnAwayFromHouses) {
  Aufbauen(18, 16, 1);
  // HausA's circle: centre (430, 176) in the background, radius 10. The
  // figure's centre arrives at (400, 166): distance 32 <= 24 + 10, the house
  // lies down and to the right ("3"): up, then left.
  Versetze({{1, 370, 183}});
  Setze(1, 6, 3);
  Schritt();
  const FigurEinblick f = Ansehen(1);
  EXPECT_EQ(f.x, 376);
  EXPECT_EQ(f.SchrittX, -6);
  EXPECT_EQ(f.SchrittY, -3);
  EXPECT_EQ(f.Bildnummer, 4);
  Schritt();
  Schritt();
  EXPECT_EQ(Ansehen(1).x, 364) << "heading away";
  EXPECT_EQ(Ansehen(1).Bildnummer, 4);
}

TEST_F(SchrittTest, LowerFiguresAreDrawnFirstAndClicksPickTheFirstInOrder) {
  Aufbauen(18, 16, 3);
  Versetze({{1, 200, 200}, {2, 220, 210}, {3, 500, 100}});
  Schritt();
  // Keys: 224, 234 and 124; the lowest on the screen comes first.
  EXPECT_EQ(wimmel::scene::FigurZeichenfolge(), (std::vector<int32_t>{2, 1, 3}));
  EXPECT_EQ(Pixel(230, 230), FigurFarbe(1)) << "figure 1 is drawn over figure 2";
  EXPECT_EQ(Pixel(250, 250), FigurFarbe(2));
  // A click on the overlap takes figure 2, first in the order.
  Settings().MausX = 230;
  Settings().MausY = 230;
  Figur("LinksKlick", 0, 0, 0, "");
  EXPECT_EQ(Ansehen(2).active, 1);
  EXPECT_EQ(Ansehen(1).active, 0);
  EXPECT_EQ(Settings().AktiveFigur, 2);
  EXPECT_EQ(Settings().GewaehlteFigur, 2);
  // The right edge x + frameW still belongs to a figure.
  Settings().MausX = 248;
  Settings().MausY = 200;
  Figur("LinksKlick", 0, 0, 0, "");
  EXPECT_EQ(Settings().AktiveFigur, 1);
  // A click beside every figure leaves none active but keeps the numbers.
  Settings().MausX = 10;
  Settings().MausY = 400;
  Figur("LinksKlick", 0, 0, 0, "");
  for (int32_t i = 1; i <= 3; ++i) EXPECT_EQ(Ansehen(i).active, 0);
  EXPECT_EQ(Settings().AktiveFigur, 1);
}

TEST_F(SchrittTest, ActiveFigureCarriesItsBlueMarker) {
  Aufbauen(18, 16, 2);
  Versetze({{1, 100, 100}, {2, 300, 100}});
  Schritt();
  for (int32_t x = 102; x <= 146; ++x) {
    EXPECT_EQ(rt::GetPixel(rt::ScreenImage(), x, 101), 0x001Fu) << x;
    EXPECT_EQ(rt::GetPixel(rt::ScreenImage(), x, 102), 0x001Fu) << x;
  }
  EXPECT_EQ(Pixel(147, 101), Grund(147, 101));
  EXPECT_EQ(Pixel(101, 101), Grund(101, 101));
  EXPECT_EQ(Pixel(302, 101), Grund(302, 101)) << "figure 2 is not active";
  Figur("MachAktiv", 2, 0, 0, "");
  Schritt();
  EXPECT_EQ(rt::GetPixel(rt::ScreenImage(), 302, 101), 0x001Fu);
  EXPECT_EQ(Pixel(102, 101), Grund(102, 101));
}

TEST_F(SchrittTest, MarkerAndStatusLineIn32Bit) {
  Aufbauen(21, 32, 2);
  Versetze({{1, 100, 100}, {2, 700, 500}});
  Schritt();
  EXPECT_EQ(rt::GetPixel(rt::ScreenImage(), 120, 101), 0x000000FFu);
  EXPECT_EQ(Pixel(700 + 24, 500 + 24), FigurFarbe(2));
  EXPECT_EQ(Pixel(1269, 1022), Erwartet(0x300000)) << "the status box reaches W - 10, H - 2";
  EXPECT_EQ(Pixel(1271, 1022), 0u);
}

// Draws text as MaleText does into a scratch image and reports its pixels.
std::vector<std::pair<int32_t, int32_t>> Schrift(const std::string& text, int32_t font) {
  rt::Image bild = rt::CreateImage(400, 40, 0);
  wimmel::MaleText(text, 0, 0, 0xFFFFFFFF, font, bild);
  std::vector<std::pair<int32_t, int32_t>> punkte;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 400; ++x) {
      if (rt::GetPixel(bild, x, y) != 0) punkte.emplace_back(x, y);
    }
  }
  rt::DestroyImage(bild);
  return punkte;
}

TEST_F(SchrittTest, NumbersShowWithTheSwitch) {
  Aufbauen(18, 16, 12);
  Versetze({{12, 100, 100}});
  const auto punkte = Schrift("12", 0);
  ASSERT_FALSE(punkte.empty());
  Schritt();
  for (const auto& [x, y] : punkte) EXPECT_NE(Pixel(103 + x, 103 + y), Erwartet(0xFFFFFF));
  Settings().SchalterN = 1;
  Schritt();
  int32_t weiss = 0;
  for (int32_t y = 103; y < 103 + wimmel::FontHoehe(0); ++y) {
    for (int32_t x = 103; x < 103 + 2 * wimmel::FontBreite(0); ++x) {
      if (Pixel(x, y) == Erwartet(0xFFFFFF)) ++weiss;
    }
  }
  EXPECT_EQ(weiss, static_cast<int32_t>(punkte.size())) << "the number, not the position";
  for (const auto& [x, y] : punkte) EXPECT_EQ(Pixel(103 + x, 103 + y), Erwartet(0xFFFFFF));
}

TEST_F(SchrittTest, CirclesShowWithTheSwitchAndAreWipedNextStep) {
  Aufbauen(18, 16, 2);
  Versetze({{1, 370, 183}, {2, 100, 250}});
  Setze(1, 6, 3);
  Settings().SchalterC = 1;
  rt::SetPixel(nullptr, 600, 100, 0xFFFFFFFF);
  Schritt();
  EXPECT_EQ(Pixel(600, 100), Grund(600, 100)) << "the whole background was put back";
  // HausA's circle around (430, 220) on the screen, radius 10, and the
  // figure's around (400, 210), radius 24 (its lowest point lies outside
  // both the figure and the house).
  EXPECT_EQ(Pixel(440, 220), Erwartet(0xFFFF00));
  EXPECT_EQ(Pixel(430, 230), Erwartet(0xFFFF00));
  EXPECT_EQ(Pixel(400, 234), Erwartet(0xFF0000));
  Schritt();  // moving away: no hit, and the old circles are gone
  EXPECT_EQ(Pixel(440, 220), Grund(440, 220));
  EXPECT_EQ(Pixel(400, 234), Grund(400, 234));
}

TEST_F(SchrittTest, StatusLineShowsCountTimeModeAndWait) {
  Aufbauen(18, 16, 2);
  Figur("Langsamer", 0, 0, 0, "");
  Schritt();
  rt::Image soll = rt::CreateImage(640, 480, 0);
  rt::DrawLine(soll, 10, 466, 630, 478, 0xFF300000, 2);
  wimmel::MaleText("2 Figuren ein Frame anzeigen: 0.0000 sec", 12, 466, 0xFFFF8030, 2, soll);
  wimmel::MaleText("640x480x16", 380, 468, 0xFF00FF00, 2, soll);
  wimmel::MaleText("0.03 secs warten", 510, 468, 0xFF8080FF, 2, soll);
  int32_t falsch = 0;
  for (int32_t y = 466; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      if (rt::GetPixel(rt::ScreenImage(), x, y) != rt::GetPixel(soll, x, y)) ++falsch;
    }
  }
  EXPECT_EQ(falsch, 0);
  rt::DestroyImage(soll);
}

// True when another thread can take the screen lock. A free lock is taken at
// once; the wait of up to ten seconds only keeps a busy machine (the
// sanitizer run, fuzzers beside it) from failing the test.
bool SperreFrei() {
  auto frei = std::make_shared<std::atomic<bool>>(false);
  std::thread([frei] {
    rt::LockScreenRaw();
    frei->store(true);
    rt::UnlockScreenRaw();
  }).detach();
  for (int i = 0; i < 10000 && !frei->load(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return frei->load();
}

TEST_F(SchrittTest, MissingPictureInTheStepIsReportedAfterTheUnlock) {
  Aufbauen(18, 16, 1);
  Taste('x');
  Figur("WechsleBild", 1, 0, 0, "grunzyli");
  Konsole().clear();
  Versetze({{1, 591, 200}});
  Setze(1, 3, 1);
  bool gefragt = false;
  bool frei = false;
  std::size_t zeilen = 0;
  rt::headless::SetOnPoll([&] {
    if (gefragt) return;
    gefragt = true;
    frei = SperreFrei();
    zeilen = Konsole().size();
    rt::headless::PushKey('w');
  });
  Schritt();
  EXPECT_TRUE(gefragt) << "the message waits for a key";
  EXPECT_TRUE(frei) << "nobody waits for a key with the screen locked";
  EXPECT_EQ(zeilen, 1u);
  ASSERT_EQ(Konsole().size(), 1u);
  EXPECT_EQ(Konsole()[0],
            "(LadeBild) Soll der Figur Nr 1 die Bilddatei figure\\grunzyli\\3.bmp zuordnen, "
            "Datei existiert jedoch nicht. Taste = weiter");
  EXPECT_EQ(Ansehen(1).SchrittX, -3) << "the turn itself took place";
}

TEST_F(SchrittTest, BrokenPictureInTheStepEndsTheProgramAfterTheUnlock) {
  Aufbauen(18, 16, 2);
  for (int b = 1; b <= 4; ++b) {
    SchreibeBmp("figure\\kaputt\\" + std::to_string(b) + ".bmp", 0, 48,
                [](int32_t, int32_t) { return 0u; });
  }
  Versetze({{1, 591, 200}, {2, 100, 100}});
  Setze(1, 3, 1);
  // The name changes without a load: the broken file is met by the turn.
  SchreibeFigurBild("kaputt", Ansehen(1).Bildnummer, {}, 1);
  Figur("WechsleBild", 1, 0, 0, "kaputt");
  SchreibeBmp("figure\\kaputt\\" + std::to_string(Ansehen(1).Bildnummer) + ".bmp", 0, 48,
              [](int32_t, int32_t) { return 0u; });
  Setze(1, 3, 1);
  bool frei = false;
  rt::headless::SetOnPoll([&] {
    frei = SperreFrei();
    rt::headless::PushKey('w');
  });
  int code = -1;
  try {
    Schritt();
  } catch (const rt::ProgramEnd& e) {
    code = e.code;
  }
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(frei);
  ASSERT_EQ(Konsole().size(), 4u);
  EXPECT_EQ(Konsole()[0],
            "Figur(): Soll fuer Figur Nr: 1 die Datei figure\\kaputt\\3.bmp einlesen");
  EXPECT_EQ(Konsole()[1], "Bildformat in Datei = 0 X 48)");
  EXPECT_TRUE(SperreFrei());
}

TEST_F(SchrittTest, HugeStepsSaturateInsteadOfOverflowing) {
  Aufbauen(18, 16, 1);
  Versetze({{1, 300, 200}});
  Setze(1, INT32_MAX, 0);
  Schritt();
  EXPECT_EQ(Ansehen(1).x, INT32_MAX);
  EXPECT_EQ(Ansehen(1).SchrittX, -INT32_MAX) << "turned left at the right edge";
  Schritt();
  EXPECT_EQ(Ansehen(1).x, 0);
  EXPECT_EQ(Ansehen(1).SchrittX, INT32_MAX) << "turned right at the left edge";
  Figur("SetzXRichtung", 1, INT32_MIN, 0, "");
  EXPECT_EQ(Ansehen(1).SchrittX, INT32_MIN);
  Schritt();
  EXPECT_EQ(Ansehen(1).x, INT32_MIN);
}

}  // namespace
