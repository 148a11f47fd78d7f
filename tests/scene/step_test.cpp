// The figure step on the headless display: time gate, restore, frames,
// moves, edges, object turns, draw order, marker, numbers, circles, status
// line, the click, and failures met inside the step.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "scene/internal.h"
#include "scene/scene.h"
#include "scene_test_support.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel::test {
namespace {

using scene::FigureView;

int32_t KindOf(int32_t nr) {
  const std::string name = View(nr).name;
  for (int32_t k = 1; k <= kFigureKinds; ++k) {
    if (FigurTyp()[k].name == name) return k;
  }
  return 0;
}

// The colour figure nr shows inside its current frame.
uint32_t FigureColour(int32_t nr) {
  const FigureView f = View(nr);
  return ScreenColour(FrameColour(KindOf(nr), f.Bildnummer, f.frame));
}

uint32_t Ground(int32_t x, int32_t y) {
  return ScreenColour(BackgroundColour(x, y - 44));
}

// Sets a figure's steps to exactly sx, sy (step lengths |sx|, |sy|) through
// the width commands, which keep the current sense.
void SetSteps(int32_t nr, int32_t sx, int32_t sy) {
  auto one = [nr](const char* word, int32_t now, int32_t wanted) {
    if (wanted == 0) {
      Figur(word, nr, 0, 0, "");
      return;
    }
    if ((wanted > 0) != (now > 0)) Figur(word, nr, -1, 0, "");  // flips the sense
    Figur(word, nr, wanted > 0 ? wanted : -wanted, 0, "");
  };
  one("SetzXRichtung", View(nr).SchrittX, sx);
  one("SetzYRichtung", View(nr).SchrittY, sy);
}

// Moves every figure in one step to its target (or leaves it where it is)
// and then lets all of them stand still.
void MoveTo(const std::vector<std::tuple<int32_t, int32_t, int32_t>>& targets) {
  for (int32_t nr = 1; nr <= Settings().FigurenAnzahl; ++nr) SetSteps(nr, 0, 0);
  for (const auto& [nr, x, y] : targets) SetSteps(nr, x - View(nr).x, y - View(nr).y);
  Step();
  for (int32_t nr = 1; nr <= Settings().FigurenAnzahl; ++nr) SetSteps(nr, 0, 0);
  for (const auto& [nr, x, y] : targets) {
    ASSERT_EQ(View(nr).x, x);
    ASSERT_EQ(View(nr).y, y);
  }
}

class StepTest : public ::testing::Test {
 protected:
  void MakeScene(int32_t mode, int32_t depth, int32_t n) {
    OpenScreen(mode, depth);
    const rt::ScreenInfo info = rt::GetScreenInfo();
    WriteBackground(info.width, info.height - 144);
    WriteObjects(20);
    WriteFigures();
    BuildBackground();
    Settings().FigurenAnzahl = n;
    BuildScene();
  }
  ScratchFolder folder_;
};

TEST_F(StepTest, FiguresMoveByTheirStepsAndTheBackgroundIsRestored) {
  MakeScene(18, 16, 2);
  MoveTo({{1, 100, 100}, {2, 300, 200}});
  SetSteps(1, 5, 3);
  Step();
  const FigureView f = View(1);
  EXPECT_EQ(f.x, 105);
  EXPECT_EQ(f.y, 103);
  EXPECT_EQ(Pixel(105 + 24, 103 + 24), FigureColour(1));
  EXPECT_EQ(Pixel(105 + 1, 103 + 24), Ground(106, 127)) << "magenta is transparent";
  EXPECT_EQ(Pixel(101, 110), Ground(101, 110)) << "the old place shows the background again";
  EXPECT_EQ(Pixel(300 + 24, 200 + 24), FigureColour(2)) << "a standing figure is drawn too";
  Step();
  EXPECT_EQ(View(1).x, 110);
  EXPECT_EQ(View(1).y, 106);
}

TEST_F(StepTest, FramesRunThroughTheStripAndStartAgainAfterTheLast) {
  MakeScene(18, 16, 1);
  MoveTo({{1, 300, 200}});
  // Twelve frames of 48 pixels: every step shows the next one, and the one
  // after the twelfth is the first again; the picture shown is the frame's.
  int32_t frame = View(1).frame;
  bool wrapped = false;
  for (int i = 0; i < 13; ++i) {
    Step();
    const FigureView f = View(1);
    const int32_t next = frame == 11 ? 0 : frame + 1;
    wrapped = wrapped || next == 0;
    EXPECT_EQ(f.frame, next) << "after frame " << frame;
    EXPECT_EQ(f.srcX, 48 * next);
    EXPECT_LE(f.srcX + f.frameW, 12 * 48) << "the frame lies inside the strip";
    EXPECT_EQ(Pixel(300 + 24, 200 + 24), ScreenColour(FrameColour(KindOf(1), f.Bildnummer, next)))
        << "frame " << next;
    frame = f.frame;
  }
  EXPECT_TRUE(wrapped);
}

TEST_F(StepTest, TimeGateHoldsBackStepsWithinWarten) {
  MakeScene(18, 16, 1);
  MoveTo({{1, 200, 200}});
  SetSteps(1, 2, 1);
  Step();
  const int32_t x = View(1).x;
  rt::SetPixel(nullptr, 5, 300, 0xFFFFFFFF);
  Figur("LaufEinSchritt", 1, 200, 200, "");
  EXPECT_EQ(View(1).x, x) << "the timer has not moved";
  rt::headless::AdvanceClock(0.015);
  Figur("LaufEinSchritt", 1, 200, 200, "");
  EXPECT_EQ(View(1).x, x) << "0.015 s is not above Warten = 0.02 s";
  EXPECT_EQ(Pixel(5, 300), ScreenColour(0xFFFFFF)) << "nothing was drawn";
  rt::headless::AdvanceClock(0.01);
  Figur("LaufEinSchritt", 1, 200, 200, "");
  EXPECT_EQ(View(1).x, x + 2);

  // The next step falls due Warten after this one, and the gate opens only
  // once the timer is past that time.
  const double stepped = rt::headless::Clock();
  EXPECT_EQ(scene::NextStepDue(), stepped + 0.02);
  Figur("Schneller", 1, 0, 0, "");
  EXPECT_EQ(scene::NextStepDue(), stepped + 0.01);
  rt::headless::SetClock(scene::NextStepDue() - 1e-6);
  Figur("LaufEinSchritt", 1, 200, 200, "");
  EXPECT_EQ(View(1).x, x + 2) << "not due yet";
  rt::headless::AdvanceClock(2e-6);
  Figur("LaufEinSchritt", 1, 200, 200, "");
  EXPECT_EQ(View(1).x, x + 4);
  EXPECT_EQ(scene::NextStepDue(), rt::headless::Clock() + 0.01);
}

TEST_F(StepTest, StepTimesAreRecordedOnlyWhileAsked) {
  MakeScene(18, 16, 2);
  Step();
  scene::StartStepTimes();
  Step();
  Figur("LaufEinSchritt", 1, 200, 200, "");  // held back by the time gate
  Step();
  const std::vector<double> times = scene::TakeStepTimes();
  ASSERT_EQ(times.size(), 2u) << "one duration for each step that was made";
  Step();
  EXPECT_TRUE(scene::TakeStepTimes().empty()) << "taking the times ends the recording";
  scene::StartStepTimes();
  Step();
  scene::StartStepTimes();
  EXPECT_TRUE(scene::TakeStepTimes().empty()) << "a new recording starts empty";
}

TEST_F(StepTest, FiguresTurnAtEachEdgeWithTheRightPicture) {
  MakeScene(18, 16, 4);
  // Right edge alone; right and bottom together; left; top.
  MoveTo({{1, 591, 200}, {2, 591, 332}, {3, 4, 200}, {4, 200, 47}});
  SetSteps(1, 3, 1);
  SetSteps(2, 3, 1);
  SetSteps(3, -3, 1);
  SetSteps(4, 2, -2);
  Step();
  EXPECT_EQ(View(1).x, 594) << "the position is not corrected";
  EXPECT_EQ(View(1).SchrittX, -3);
  EXPECT_EQ(View(1).Bildnummer, 3);
  EXPECT_EQ(View(2).SchrittX, -3);
  EXPECT_EQ(View(2).SchrittY, -1);
  EXPECT_EQ(View(2).Bildnummer, 4) << "left and up";
  EXPECT_EQ(View(3).SchrittX, 3);
  EXPECT_EQ(View(3).Bildnummer, 2);
  EXPECT_EQ(View(4).SchrittY, 2);
  EXPECT_EQ(View(4).Bildnummer, 2);
  EXPECT_EQ(View(4).fileName, "figure\\" + View(4).name + "\\2.bmp");
  // Drawn with the new picture already.
  EXPECT_EQ(Pixel(594 + 24, 201 + 24), FigureColour(1));
  EXPECT_EQ(Pixel(1 + 24, 201 + 24), FigureColour(3));
  Step();
  EXPECT_EQ(View(1).x, 591);
}

TEST_F(StepTest, FiguresTurnAwayFromHouses) {
  MakeScene(18, 16, 1);
  // HausA's circle: centre (430, 176) in the background, radius 10. The
  // figure's centre arrives at (400, 166): distance 32 <= 24 + 10, the house
  // lies down and to the right ("3"): up, then left.
  MoveTo({{1, 370, 183}});
  SetSteps(1, 6, 3);
  Step();
  const FigureView f = View(1);
  EXPECT_EQ(f.x, 376);
  EXPECT_EQ(f.SchrittX, -6);
  EXPECT_EQ(f.SchrittY, -3);
  EXPECT_EQ(f.Bildnummer, 4);
  Step();
  Step();
  EXPECT_EQ(View(1).x, 364) << "heading away";
  EXPECT_EQ(View(1).Bildnummer, 4);
}

TEST_F(StepTest, LowerFiguresAreDrawnFirstAndClicksPickTheFirstInOrder) {
  MakeScene(18, 16, 3);
  MoveTo({{1, 200, 200}, {2, 220, 210}, {3, 500, 100}});
  Step();
  // Keys: 224, 234 and 124; the lowest on the screen comes first.
  EXPECT_EQ(scene::LastDrawOrder(), (std::vector<int32_t>{2, 1, 3}));
  EXPECT_EQ(Pixel(230, 230), FigureColour(1)) << "figure 1 is drawn over figure 2";
  EXPECT_EQ(Pixel(250, 250), FigureColour(2));
  // A click on the overlap takes figure 2, first in the order.
  Settings().MausX = 230;
  Settings().MausY = 230;
  Figur("LinksKlick", 0, 0, 0, "");
  EXPECT_EQ(View(2).active, 1);
  EXPECT_EQ(View(1).active, 0);
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
  for (int32_t i = 1; i <= 3; ++i) EXPECT_EQ(View(i).active, 0);
  EXPECT_EQ(Settings().AktiveFigur, 1);
}

TEST_F(StepTest, ActiveFigureCarriesItsBlueMarker) {
  MakeScene(18, 16, 2);
  MoveTo({{1, 100, 100}, {2, 300, 100}});
  Step();
  for (int32_t x = 102; x <= 146; ++x) {
    EXPECT_EQ(rt::GetPixel(rt::ScreenImage(), x, 101), 0x001Fu) << x;
    EXPECT_EQ(rt::GetPixel(rt::ScreenImage(), x, 102), 0x001Fu) << x;
  }
  EXPECT_EQ(Pixel(147, 101), Ground(147, 101));
  EXPECT_EQ(Pixel(101, 101), Ground(101, 101));
  EXPECT_EQ(Pixel(302, 101), Ground(302, 101)) << "figure 2 is not active";
  Figur("MachAktiv", 2, 0, 0, "");
  Step();
  EXPECT_EQ(rt::GetPixel(rt::ScreenImage(), 302, 101), 0x001Fu);
  EXPECT_EQ(Pixel(102, 101), Ground(102, 101));
}

TEST_F(StepTest, MarkerAndStatusLineIn32Bit) {
  MakeScene(21, 32, 2);
  MoveTo({{1, 100, 100}, {2, 700, 500}});
  Step();
  EXPECT_EQ(rt::GetPixel(rt::ScreenImage(), 120, 101), 0x000000FFu);
  EXPECT_EQ(Pixel(700 + 24, 500 + 24), FigureColour(2));
  EXPECT_EQ(Pixel(1269, 1022), ScreenColour(0x300000)) << "the status box reaches W - 10, H - 2";
  EXPECT_EQ(Pixel(1271, 1022), 0u);
}

// Draws text as MaleText does into a scratch image and reports its pixels.
std::vector<std::pair<int32_t, int32_t>> TextPixels(const std::string& text, int32_t font) {
  rt::OwnedImage image(rt::CreateImage(400, 40, 0));
  MaleText(text, 0, 0, 0xFFFFFFFF, font, image);
  std::vector<std::pair<int32_t, int32_t>> pixels;
  for (int32_t y = 0; y < 40; ++y) {
    for (int32_t x = 0; x < 400; ++x) {
      if (rt::GetPixel(image, x, y) != 0) pixels.emplace_back(x, y);
    }
  }
  return pixels;
}

TEST_F(StepTest, NumbersShowWithTheSwitch) {
  MakeScene(18, 16, 12);
  MoveTo({{12, 100, 100}});
  const auto pixels = TextPixels("12", 0);
  ASSERT_FALSE(pixels.empty());
  Step();
  for (const auto& [x, y] : pixels) EXPECT_NE(Pixel(103 + x, 103 + y), ScreenColour(0xFFFFFF));
  Settings().SchalterN = 1;
  Step();
  int32_t white = 0;
  for (int32_t y = 103; y < 103 + FontHoehe(0); ++y) {
    for (int32_t x = 103; x < 103 + 2 * FontBreite(0); ++x) {
      if (Pixel(x, y) == ScreenColour(0xFFFFFF)) ++white;
    }
  }
  EXPECT_EQ(white, static_cast<int32_t>(pixels.size())) << "the number, not the position";
  for (const auto& [x, y] : pixels) EXPECT_EQ(Pixel(103 + x, 103 + y), ScreenColour(0xFFFFFF));
}

TEST_F(StepTest, CirclesShowWithTheSwitchAndAreWipedNextStep) {
  MakeScene(18, 16, 2);
  MoveTo({{1, 370, 183}, {2, 100, 250}});
  SetSteps(1, 6, 3);
  Settings().SchalterC = 1;
  rt::SetPixel(nullptr, 600, 100, 0xFFFFFFFF);
  Step();
  EXPECT_EQ(Pixel(600, 100), Ground(600, 100)) << "the whole background was put back";
  // HausA's circle around (430, 220) on the screen, radius 10, and the
  // figure's around (400, 210), radius 24 (its lowest point lies outside
  // both the figure and the house).
  EXPECT_EQ(Pixel(440, 220), ScreenColour(0xFFFF00));
  EXPECT_EQ(Pixel(430, 230), ScreenColour(0xFFFF00));
  EXPECT_EQ(Pixel(400, 234), ScreenColour(0xFF0000));
  Step();  // moving away: no hit, and the old circles are gone
  EXPECT_EQ(Pixel(440, 220), Ground(440, 220));
  EXPECT_EQ(Pixel(400, 234), Ground(400, 234));
}

TEST_F(StepTest, StatusLineShowsCountTimeModeAndWait) {
  MakeScene(18, 16, 2);
  Figur("Langsamer", 0, 0, 0, "");
  Step();
  rt::OwnedImage wanted(rt::CreateImage(640, 480, 0));
  rt::DrawLine(wanted, 10, 466, 630, 478, 0xFF300000, 2);
  MaleText("2 Figuren ein Frame anzeigen: 0.0000 sec", 12, 466, 0xFFFF8030, 2, wanted);
  MaleText("640x480x16", 380, 468, 0xFF00FF00, 2, wanted);
  MaleText("0.03 secs warten", 510, 468, 0xFF8080FF, 2, wanted);
  int32_t wrong = 0;
  for (int32_t y = 466; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      if (rt::GetPixel(rt::ScreenImage(), x, y) != rt::GetPixel(wanted, x, y)) ++wrong;
    }
  }
  EXPECT_EQ(wrong, 0);
}

// A display whose clock moves on by tick at every reading, so that a step,
// which reads the clock at its start and once it has drawn, takes exactly
// tick seconds.
class SteppingClockDisplay final : public rt::Display {
 public:
  rt::DesktopMode Desktop() override { return {640, 480, 16}; }
  bool Offers(int32_t, int32_t, int32_t) override { return true; }
  bool ScreenOpened(int32_t, int32_t, int32_t, std::string& driver) override {
    driver = "test";
    return true;
  }
  double Now() override { return clock += tick; }
  void Sleep(int32_t ms) override { clock += ms / 1000.0; }
  double clock = 0, tick = 0;
};

// The status line's time per frame is the mean over the last steps: over
// all of them while there are fewer than 20, then a running mean that
// weighs the newest step against 20 before it.
TEST_F(StepTest, StatusLineTimeIsTheMeanOverTwentySteps) {
  auto owned = std::make_unique<SteppingClockDisplay>();
  SteppingClockDisplay& display = *owned;
  rt::InstallDisplay(std::move(owned));
  ASSERT_EQ(rt::SetScreenMode(18, 16, 0, 1, 0), 0);
  FontsInitialisieren();
  FillFigureKinds();
  Layout().screenWidth = 640;
  Layout().screenHeight = 480;
  Layout().screenDepth = 16;
  WriteBackground(640, 336);
  WriteObjects(20);
  WriteFigures();
  BuildBackground();
  Settings().FigurenAnzahl = 1;
  BuildScene();
  // The shown time, read back by drawing the expected line beside it.
  auto shows = [](const std::string& seconds) {
    rt::OwnedImage wanted(rt::CreateImage(640, 480, 0));
    rt::DrawLine(wanted, 10, 466, 630, 478, 0xFF300000, 2);
    MaleText("1 Figuren ein Frame anzeigen: " + seconds + " sec", 12, 466, 0xFFFF8030, 2, wanted);
    int32_t wrong = 0;
    for (int32_t y = 466; y < 480; ++y) {
      for (int32_t x = 0; x < 370; ++x) {
        if (rt::GetPixel(rt::ScreenImage(), x, y) != rt::GetPixel(wanted, x, y)) ++wrong;
      }
    }
    return wrong == 0;
  };
  auto step = [&display](double seconds) {
    display.tick = 0;
    display.clock += 1;
    display.tick = seconds;
    Figur("LaufEinSchritt", 1, 200, 200, "");
    display.tick = 0;
  };
  step(0.004);
  EXPECT_TRUE(shows("0.0040")) << "one step";
  step(0.010);
  EXPECT_TRUE(shows("0.0070")) << "the mean of two steps";
  for (int i = 0; i < 200; ++i) step(0.001);
  EXPECT_TRUE(shows("0.0010")) << "the early steps have gone out of the mean";
  // A slow step after many fast ones moves the mean by a twenty-first of
  // the difference: (0.043 + 20 x 0.001) / 21.
  step(0.043);
  EXPECT_TRUE(shows("0.0030"));
  EXPECT_FALSE(shows("0.0010"));
}

// True when another thread can take the screen lock. A free lock is taken at
// once; the wait of up to ten seconds only keeps a busy machine (the
// sanitizer run, fuzzers beside it) from failing the test. The thread is
// joined once it has given the lock back, so it never outlives the case's
// program; only a thread still stuck on a held lock is left behind.
bool ScreenLockFree() {
  auto free = std::make_shared<std::atomic<bool>>(false);
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread taker([free, done] {
    rt::LockScreenRaw();
    free->store(true);
    rt::UnlockScreenRaw();
    done->store(true);
  });
  for (int i = 0; i < 10000 && !done->load(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (done->load()) {
    taker.join();
  } else {
    taker.detach();
  }
  return free->load();
}

TEST_F(StepTest, MissingPictureInTheStepIsReportedAfterTheUnlock) {
  MakeScene(18, 16, 1);
  QueueKey('x');
  Figur("WechsleBild", 1, 0, 0, "grunzyli");
  ConsoleLines().clear();
  MoveTo({{1, 591, 200}});
  SetSteps(1, 3, 1);
  bool asked = false;
  bool free = false;
  std::size_t lines = 0;
  rt::headless::SetOnPoll([&] {
    if (asked) return;
    asked = true;
    free = ScreenLockFree();
    lines = ConsoleLines().size();
    rt::headless::PushKey('w');
  });
  Step();
  EXPECT_TRUE(asked) << "the message waits for a key";
  EXPECT_TRUE(free) << "nobody waits for a key with the screen locked";
  EXPECT_EQ(lines, 1u);
  ASSERT_EQ(ConsoleLines().size(), 1u);
  EXPECT_EQ(ConsoleLines()[0],
            "(LadeBild) Soll der Figur Nr 1 die Bilddatei figure\\grunzyli\\3.bmp zuordnen, "
            "Datei existiert jedoch nicht. Taste = weiter");
  EXPECT_EQ(View(1).SchrittX, -3) << "the turn itself took place";
}

TEST_F(StepTest, BrokenPictureInTheStepEndsTheProgramAfterTheUnlock) {
  MakeScene(18, 16, 2);
  for (int b = 1; b <= 4; ++b) {
    WriteBmp("figure\\broken\\" + std::to_string(b) + ".bmp", 0, 48,
             [](int32_t, int32_t) { return 0u; });
  }
  MoveTo({{1, 591, 200}, {2, 100, 100}});
  SetSteps(1, 3, 1);
  // The name changes without a load: the broken file is met by the turn.
  WriteFigurePicture("broken", View(1).Bildnummer, {}, 1);
  Figur("WechsleBild", 1, 0, 0, "broken");
  WriteBmp("figure\\broken\\" + std::to_string(View(1).Bildnummer) + ".bmp", 0, 48,
           [](int32_t, int32_t) { return 0u; });
  SetSteps(1, 3, 1);
  bool free = false;
  int polls = 0;
  // The key comes on the second look; in between the message waits for input.
  rt::headless::SetOnPoll([&] {
    free = ScreenLockFree();
    if (++polls == 2) rt::headless::PushKey('w');
  });
  Waits().clear();
  int code = -1;
  try {
    Step();
  } catch (const rt::ProgramEnd& e) {
    code = e.code;
  }
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(free);
  EXPECT_EQ(Waits(), std::vector<double>{std::numeric_limits<double>::infinity()});
  ASSERT_EQ(ConsoleLines().size(), 4u);
  EXPECT_EQ(ConsoleLines()[0],
            "Figur(): Soll fuer Figur Nr: 1 die Datei figure\\broken\\3.bmp einlesen");
  EXPECT_EQ(ConsoleLines()[1], "Bildformat in Datei = 0 X 48)");
  EXPECT_TRUE(ScreenLockFree());
}

TEST_F(StepTest, HugeStepsSaturateInsteadOfOverflowing) {
  MakeScene(18, 16, 1);
  MoveTo({{1, 300, 200}});
  SetSteps(1, INT32_MAX, 0);
  Step();
  EXPECT_EQ(View(1).x, INT32_MAX);
  EXPECT_EQ(View(1).SchrittX, -INT32_MAX) << "turned left at the right edge";
  Step();
  EXPECT_EQ(View(1).x, 0);
  EXPECT_EQ(View(1).SchrittX, INT32_MAX) << "turned right at the left edge";
  Figur("SetzXRichtung", 1, INT32_MIN, 0, "");
  EXPECT_EQ(View(1).SchrittX, INT32_MIN);
  Step();
  EXPECT_EQ(View(1).x, INT32_MIN);
}

}  // namespace
}  // namespace wimmel::test
