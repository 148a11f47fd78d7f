// Figure records and commands: creation from the random sequence, turns and
// their pictures, step widths, picture loads and their failures, activation
// and speed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>

#include "hang_guard.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "scene/internal.h"
#include "scene/scene.h"
#include "scene_test_support.h"
#include "shared/settings.h"

namespace wimmel::test {
namespace {

using scene::FigureView;

// The runtime's random sequence, rebuilt independently: MT19937 whose state
// is seeded word 0 = 0, then x * 1664525 + 1013904223.
class RandomSequence {
 public:
  RandomSequence() {
    mt_[0] = 0;
    for (int i = 1; i < 624; ++i) mt_[i] = mt_[i - 1] * 1664525u + 1013904223u;
  }
  double Next() {
    if (index_ >= 624) Twist();
    uint32_t y = mt_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y / 4294967296.0;
  }
  // Moves this copy to where the runtime's sequence stands now (consuming
  // three runtime draws).
  bool CatchUp() {
    const double a = rt::Random(1.0), b = rt::Random(1.0), c = rt::Random(1.0);
    double x = Next(), y = Next(), z = Next();
    for (int i = 0; i < 5000000; ++i) {
      if (x == a && y == b && z == c) return true;
      x = y;
      y = z;
      z = Next();
    }
    return false;
  }

 private:
  void Twist() {
    for (int i = 0; i < 624; ++i) {
      const uint32_t y = (mt_[i] & 0x80000000u) | (mt_[(i + 1) % 624] & 0x7FFFFFFFu);
      mt_[i] = mt_[(i + 397) % 624] ^ (y >> 1) ^ ((y & 1u) != 0 ? 0x9908B0DFu : 0u);
    }
    index_ = 0;
  }
  uint32_t mt_[624];
  int index_ = 624;
};

class FigureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenScreen(18, 16);
    WriteBackground(640, 336);
    WriteObjects(20);
    WriteFigures();
    BuildBackground();
  }
  void MakeScene(int32_t n) {
    Settings().FigurenAnzahl = n;
    BuildScene();
  }
  ScratchFolder folder_;
};

// What creation gives every figure, whatever the random numbers: one of the
// first nine kinds, a frame of its strip, a diagonal at its kind's step
// widths with the picture of that diagonal, and a place inside the meadow
// that touches no object. Which figure gets what is the random sequence's
// (the runtime's tests check the sequence, the tour's pixels the scene it
// gives).
TEST_F(FigureTest, CreationGivesEveryFigureAKindADiagonalAndAFreePlace) {
  MakeScene(40);
  const SceneLayout& s = Layout();
  std::set<std::string> kinds;
  std::set<int32_t> frames, pictures;
  for (int32_t i = 1; i <= 40; ++i) {
    SCOPED_TRACE(i);
    const FigureView f = View(i);
    int32_t kind = 0;
    for (int32_t k = 1; k <= kFigureKinds; ++k) {
      if (FigurTyp()[k].name == f.name) kind = k;
    }
    ASSERT_GE(kind, 1) << f.name;
    EXPECT_LE(kind, 9) << "the running strongman is never drawn";
    kinds.insert(f.name);
    EXPECT_GE(f.frame, 0);
    EXPECT_LE(f.frame, 11);
    frames.insert(f.frame);
    EXPECT_EQ(std::abs(f.SchrittX), FigurTyp()[kind].XSprung);
    EXPECT_EQ(std::abs(f.SchrittY), FigurTyp()[kind].YSprung);
    // Right-up 1, right-down 2, left-down 3, left-up 4.
    const int32_t picture = f.SchrittX > 0 ? (f.SchrittY > 0 ? 2 : 1) : (f.SchrittY > 0 ? 3 : 4);
    EXPECT_EQ(f.Bildnummer, picture);
    pictures.insert(picture);
    EXPECT_EQ(f.nextFile, "figure\\" + f.name + "\\" + std::to_string(picture) + ".bmp");
    EXPECT_EQ(f.fileName, f.nextFile);
    EXPECT_GT(f.x, s.SzeneX0);
    EXPECT_LE(f.x + f.width, s.SzeneX1);
    EXPECT_GT(f.y, s.SzeneY0);
    EXPECT_LE(f.y + f.height, s.SzeneY1);
    EXPECT_EQ(scene::IstPosImObjekt(f.x - s.SzeneX0 + 24, f.y - s.SzeneY0 + 24, 24), '\0')
        << "at " << f.x << ", " << f.y;
    EXPECT_EQ(f.lastFrame, 11);
    EXPECT_EQ(f.width, 48);
    EXPECT_EQ(f.frameW, 48);
    EXPECT_EQ(f.hidden, 1);
    EXPECT_EQ(f.active, i == 1 ? 1 : 0);
  }
  EXPECT_GE(kinds.size(), 5u) << "forty figures of a few kinds only";
  EXPECT_GE(frames.size(), 6u);
  EXPECT_EQ(pictures.size(), 4u) << "all four diagonals";
  EXPECT_EQ(Settings().AktiveFigur, 1);
  EXPECT_EQ(Settings().GewaehlteFigur, 1);
}

TEST_F(FigureTest, PlacementEndsWhenEveryPositionTouchesAnObject) {
  // A header-only picture 20000 wide: its circle (radius 10000 around
  // (10010, 11)) covers the whole scene. The picture cannot be created, which
  // leaves the object without a picture but with its circle.
  std::string header = "BM";
  auto le32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) header += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  le32(54);
  le32(0);
  le32(54);
  le32(40);
  le32(20000);
  le32(2);
  header += std::string(28, '\0');
  WriteFile("objekte\\QumyH.bmp", header);
  RandomSequence z;
  ASSERT_TRUE(z.CatchUp());
  MakeScene(2);
  for (int i = 0; i < 2 * (4 + 2 * 1000); ++i) z.Next();
  EXPECT_EQ(rt::Random(1.0), z.Next()) << "1000 placement attempts per figure";
  const FigureView f = View(2);
  EXPECT_GE(f.x, 1);
  EXPECT_LE(f.x + 48, 640);
}

TEST_F(FigureTest, TurnsSetStepsAndChoosePictures) {
  MakeScene(3);
  Figur("RichtungLinks", 2, 0, 0, "");
  Figur("RichtungHoch", 2, 0, 0, "");
  FigureView f = View(2);
  EXPECT_EQ(f.Bildnummer, 4);
  EXPECT_EQ(f.SchrittX, -2);
  EXPECT_EQ(f.SchrittY, -1);
  EXPECT_EQ(f.fileName, "figure\\" + f.name + "\\4.bmp");
  Figur("richtungrechts", 2, 0, 0, "");
  EXPECT_EQ(View(2).Bildnummer, 1);
  Figur("RichtungRunter", 2, 0, 0, "");
  EXPECT_EQ(View(2).Bildnummer, 2);
  EXPECT_EQ(View(2).SchrittY, 1);
  Figur("RichtungLinks", 2, 0, 0, "");
  EXPECT_EQ(View(2).Bildnummer, 3);
  EXPECT_EQ(View(2).fileName, "figure\\" + f.name + "\\3.bmp");
  EXPECT_TRUE(ConsoleLines().empty());
}

TEST_F(FigureTest, StepWidthsKeepTheSenseAndZeroCountsAsLeft) {
  MakeScene(2);
  Figur("RichtungRechts", 1, 0, 0, "");
  Figur("RichtungRunter", 1, 0, 0, "");
  Figur("SetzXRichtung", 1, 0, 0, "");
  EXPECT_EQ(View(1).SchrittX, 0);
  EXPECT_EQ(View(1).Bildnummer, 2) << "no picture change";
  Figur("RichtungRechts", 1, 0, 0, "");
  EXPECT_EQ(View(1).SchrittX, 0);
  Figur("RichtungHoch", 1, 0, 0, "");
  EXPECT_EQ(View(1).Bildnummer, 4) << "a figure standing still counts as moving left";
  Figur("SetzXRichtung", 1, 5, 0, "");
  EXPECT_EQ(View(1).SchrittX, -5);
  Figur("SetzXRichtung", 1, -3, 0, "");
  EXPECT_EQ(View(1).SchrittX, 3) << "a negative width reverses at once";
  EXPECT_EQ(View(1).Bildnummer, 4);
  EXPECT_EQ(XSprungOf(1), -3.0);
  Figur("SetzYRichtung", 1, 7, 0, "");
  EXPECT_EQ(View(1).SchrittY, -7);
  EXPECT_EQ(YSprungOf(1), 7.0);
  // The widest widths saturate instead of overflowing.
  Figur("SetzXRichtung", 1, INT32_MIN, 0, "");
  EXPECT_EQ(View(1).SchrittX, INT32_MIN);
  Figur("RichtungLinks", 1, 0, 0, "");
  EXPECT_EQ(View(1).SchrittX, INT32_MAX);
  EXPECT_EQ(XSprungOf(3), 0.0) << "outside the table";
}

TEST_F(FigureTest, StripSizesGiveTheFrameCount) {
  MakeScene(1);
  WriteFigurePicture("testkind", 1, {40, 12, 4}, 1);
  WriteFigurePicture("testkind", 2, {48, 5, 4}, 1);
  WriteFigurePicture("testkind", 3, {48, 13, 4}, 1);
  WriteFigurePicture("testkind", 4, {48, 12, 4}, 2);
  Figur("RichtungRechts", 1, 0, 0, "");
  Figur("RichtungHoch", 1, 0, 0, "");
  int32_t kind = 1;
  while (FigurTyp()[kind].name != View(1).name) ++kind;
  Figur("WechsleBild", 1, 0, 0, "testkind");
  FigureView f = View(1);
  EXPECT_EQ(f.name, "testkind");
  EXPECT_EQ(f.lastFrame, 11);
  EXPECT_EQ(f.frameW, 40);
  EXPECT_EQ(f.width, 40);
  EXPECT_EQ(f.height, 40);
  EXPECT_FALSE(f.stripShared) << "a 480 x 40 file leaves old pixels in the 576 x 48 strip";
  Figur("RichtungRunter", 1, 0, 0, "");
  f = View(1);
  EXPECT_EQ(f.lastFrame, 4);
  EXPECT_EQ(f.frameW, 48);
  // Frames 0..4 from the file; beyond them the strip keeps what the 40-pixel
  // picture left there, and beyond that what the figure's own kind left.
  EXPECT_EQ(rt::GetPixel(f.strip, 100, 24), rt::To565(FrameColour(1, 2, 2)));
  EXPECT_EQ(rt::GetPixel(f.strip, 250, 20), rt::To565(FrameColour(1, 1, 6)));
  EXPECT_EQ(rt::GetPixel(f.strip, 500, 20), rt::To565(FrameColour(kind, 1, 10)));
  Figur("RichtungLinks", 1, 0, 0, "");
  f = View(1);
  EXPECT_EQ(f.lastFrame, 12) << "624 x 48: 13 frames, the strip holds 12 of them";
  EXPECT_TRUE(f.stripShared) << "a file covering the whole strip is shared";
  EXPECT_EQ(rt::GetPixel(f.strip, 570, 24), rt::To565(FrameColour(1, 3, 11)));
  EXPECT_EQ(rt::GetPixel(f.strip, 100, 24), rt::To565(FrameColour(1, 3, 2)))
      << "the frames come from the new picture, not from the strip's old pixels";
}

TEST_F(FigureTest, FiguresWithTheSamePictureShareTheirStrip) {
  MakeScene(30);
  for (int32_t i = 1; i <= 30; ++i) {
    Figur("WechsleBild", i, 0, 0, "tarzan01");
    Figur("RichtungRechts", i, 0, 0, "");
    Figur("RichtungRunter", i, 0, 0, "");
  }
  const FigureView a = View(1);
  for (int32_t i = 2; i <= 30; ++i) {
    EXPECT_TRUE(View(i).stripShared);
    EXPECT_EQ(View(i).strip, a.strip);
  }
  EXPECT_EQ(rt::GetPixel(a.strip, 48 * 7 + 20, 20), rt::To565(FrameColour(1, 2, 7)));
}

TEST_F(FigureTest, EveryTurnReadsThePictureFileAgain) {
  MakeScene(1);
  Figur("WechsleBild", 1, 0, 0, "tarzan01");
  Figur("RichtungRechts", 1, 0, 0, "");
  Figur("RichtungRunter", 1, 0, 0, "");
  // Picture 2 is rewritten with other colours: the next load shows them.
  WriteBmp("figure\\tarzan01\\2.bmp", 576, 48, [](int32_t, int32_t) { return 0x123456u; });
  Figur("RichtungRechts", 1, 0, 0, "");
  EXPECT_EQ(rt::GetPixel(View(1).strip, 30, 30), rt::To565(0x123456));
  // Removed, or a folder or a named pipe in its place: the turn notices,
  // reports and keeps the strip, and nothing waits for the pipe.
  test::HangGuard guard(10);
  const rt::Image before = View(1).strip;
  const std::function<void()> replacements[] = {
      [] { RemoveFile("figure\\tarzan01\\2.bmp"); },
      [] { ReplaceWithFolder("figure\\tarzan01\\2.bmp"); },
      [] { ReplaceWithPipe("figure\\tarzan01\\2.bmp"); }};
  for (const auto& replace : replacements) {
    replace();
    ConsoleLines().clear();
    QueueKey('x');
    Figur("RichtungRunter", 1, 0, 0, "");
    ASSERT_EQ(ConsoleLines().size(), 1u);
    EXPECT_EQ(ConsoleLines()[0],
              "(LadeBild) Soll der Figur Nr 1 die Bilddatei figure\\tarzan01\\2.bmp zuordnen, "
              "Datei existiert jedoch nicht. Taste = weiter");
    EXPECT_EQ(View(1).strip, before);
    EXPECT_EQ(View(1).lastFrame, 0) << "recomputed from the square frame size";
    EXPECT_EQ(View(1).fileName, "figure\\tarzan01\\2.bmp") << "the last file loaded";
  }
}

TEST_F(FigureTest, UnknownKindWaitsForAKeyAndKeepsThePicture) {
  MakeScene(2);
  const rt::Image before = View(2).strip;
  const int32_t picture = View(2).Bildnummer;
  int64_t polls = 0;
  rt::headless::SetOnPoll([&] {
    if (++polls == 20) rt::headless::PushKey('k');
  });
  Figur("WechsleBild", 2, 0, 0, "grunzyli");
  EXPECT_EQ(polls, 20);
  ASSERT_EQ(ConsoleLines().size(), 1u);
  EXPECT_EQ(ConsoleLines()[0], "(LadeBild) Soll der Figur Nr 2 die Bilddatei figure\\grunzyli\\" +
                                   std::to_string(picture) +
                                   ".bmp zuordnen, Datei existiert jedoch nicht. Taste = weiter");
  EXPECT_EQ(View(2).strip, before);
  EXPECT_EQ(View(2).name, "grunzyli");
  EXPECT_EQ(View(2).XSprung, XSprungOf(2));
}

TEST_F(FigureTest, ZeroSizedPictureEndsTheProgram) {
  MakeScene(1);
  WriteBmp("figure\\brokenXY\\1.bmp", 0, 48, [](int32_t, int32_t) { return 0u; });
  WriteBmp("figure\\brokenXY\\2.bmp", 0, 48, [](int32_t, int32_t) { return 0u; });
  WriteBmp("figure\\brokenXY\\3.bmp", 0, 48, [](int32_t, int32_t) { return 0u; });
  WriteBmp("figure\\brokenXY\\4.bmp", 0, 48, [](int32_t, int32_t) { return 0u; });
  QueueKey('x');
  EXPECT_EQ(ExitCodeOf([] { Figur("WechsleBild", 1, 0, 0, "brokenXYZ"); }), 0);
  const int32_t picture = View(1).Bildnummer;
  EXPECT_EQ(ConsoleText(), "Figur(): Soll fuer Figur Nr: 1 die Datei figure\\brokenXY\\" +
                               std::to_string(picture) +
                               ".bmp einlesen\n"
                               "Bildformat in Datei = 0 X 48)\n"
                               "Einer der Werte ist auf Null, kann damit nicht arbeiten!\n"
                               "Jegliche Taste = Abbruch\n")
      << "the name is cut to 8 characters";
}

TEST_F(FigureTest, ActivationAndNumbersOutsideTheTable) {
  MakeScene(3);
  EXPECT_EQ(View(1).active, 1);
  Figur("MachAktiv", 3, 0, 0, "");
  EXPECT_EQ(View(1).active, 0);
  EXPECT_EQ(View(3).active, 1);
  EXPECT_EQ(Settings().AktiveFigur, 3);
  EXPECT_EQ(Settings().GewaehlteFigur, 3);
  Figur("MachInaktiv", 3, 0, 0, "");
  EXPECT_EQ(View(3).active, 0);
  EXPECT_EQ(Settings().AktiveFigur, 0);
  EXPECT_EQ(Settings().GewaehlteFigur, 0);
  // Figure 0 and figures beyond N are not there: commands for them do nothing.
  const int64_t polls = Polls();
  for (const char* word : {"RichtungLinks", "RichtungHoch", "SetzXRichtung", "LadeBild",
                           "WechsleBild", "Sichtbar", "MachAktiv"}) {
    Figur(word, 0, 9, 0, "grunzyli");
    Figur(word, 4, 9, 0, "grunzyli");
    Figur(word, -1, 9, 0, "grunzyli");
  }
  EXPECT_EQ(Polls(), polls) << "no message was shown";
  EXPECT_EQ(Settings().AktiveFigur, 0);
  int32_t x, y, w, h;
  EXPECT_FALSE(FigureRectangle(0, x, y, w, h));
  EXPECT_FALSE(FigureRectangle(4, x, y, w, h));
  ASSERT_TRUE(FigureRectangle(2, x, y, w, h));
  EXPECT_EQ(w, 48);
  Figur("MachAktiv", 2, 0, 0, "");
  EXPECT_EQ(View(2).active, 1);
  Figur("Sichtbar", 2, 0, 0, "");
  EXPECT_EQ(View(2).hidden, 0);
  Figur("Unsichtbar", 2, 0, 0, "");
  EXPECT_EQ(View(2).hidden, 1);
  Figur("FigurenLoeschen", 0, 0, 0, "Escape");
  EXPECT_EQ(Settings().AktiveFigur, 2) << "deleting the figures keeps the numbers";
  EXPECT_FALSE(View(2).hasStrip);
  EXPECT_EQ(View(2).name, "");
}

TEST_F(FigureTest, SpeedIsBoundedBothWays) {
  EXPECT_DOUBLE_EQ(scene::CurrentWarten(), 0.02);
  Figur("PrintRepeat", 0, 0, 0, "");
  for (int i = 0; i < 100; ++i) Figur("Langsamer", 0, 0, 0, "");
  EXPECT_DOUBLE_EQ(scene::CurrentWarten(), 0.5);
  Figur("PrintRepeat", 0, 0, 0, "");
  for (int i = 0; i < 100; ++i) Figur("Schneller", 0, 0, 0, "");
  EXPECT_DOUBLE_EQ(scene::CurrentWarten(), 0.01);
  Figur("PrintRepeat", 0, 0, 0, "");
  EXPECT_EQ(ConsoleLines(),
            (std::vector<std::string>{"GesRepSecs=2MM", "GesRepSecs=50M", "GesRepSecs=1MM"}));
}

TEST_F(FigureTest, UnknownWordIsReported) {
  Figur("Springen", 1, 0, 0, "");
  ASSERT_EQ(ConsoleLines().size(), 1u);
  EXPECT_EQ(ConsoleLines()[0], "SelectCase in Figur-Sub kennt folgende Aufgabe nicht: Springen");
}

}  // namespace
}  // namespace wimmel::test
