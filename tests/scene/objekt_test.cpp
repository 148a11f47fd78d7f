// Scene objects: placement, merge, the collision answer and circles,
// the value display, deletion and the picture load failures.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

#include "hang_guard.h"
#include "runtime/image.h"
#include "scene/scene.h"
#include "scene_test_support.h"
#include "shared/settings.h"

namespace wimmel::test {
namespace {

void WriteObjectPicture(const char* name, int32_t w, int32_t h, uint32_t colour) {
  WriteBmp(std::string("objekte\\") + name + ".bmp", w, h,
           [=](int32_t x, int32_t y) { return x < 3 && y < 3 ? 0xFF00FFu : colour; });
}

std::string Ask(int32_t x, int32_t y, int32_t r) {
  return Objekt("IstPosImObjekt", 0, x, y, r, 7, "");
}

class ObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OpenScreen(18, 16);
    WriteBackground(640, 336);
    WriteObjectPicture("QumyH", 20, 20, 0x800000);
    WriteObjectPicture("HausA", 100, 60, 0x008000);
    WriteObjectPicture("HausC", 40, 30, 0x000080);
    WriteObjectPicture("HausD", 30, 50, 0x808000);
    WriteObjectPicture("Kreisel1", 24, 24, 0x008080);
    BuildBackground();
  }
  std::vector<std::string> Values(int32_t nr) {
    ConsoleLines().clear();
    Objekt("WerteAnzeigen", nr, 0, 0, 0, 0, "");
    return ConsoleLines();
  }
  ScratchFolder folder_;
};

TEST_F(ObjectTest, PlacementFollowsTheSceneSizeAndTheOffsets) {
  Objekt("Erstellen", 0, 0, 0, 0, 0, "");
  // W = 640, H = 336. HausA at (640 - 100 - 200, 336 - 150 - 60); each next
  // one 40 to the right and 0.315 of the previous height lower, rounded.
  const struct {
    int32_t nr;
    const char* line1;
    const char* line2;
    const char* line3;
  } expected[] = {
      {1, "Objekt: QumyH vom Typ Kreis", "PosX/Y:10/10Center X/Y:20/20",
       "Breite/Hoehe: 20/20 Radius:10 BmpPtr:"},
      {2, "Objekt: HausA vom Typ Kreis", "PosX/Y:340/126Center X/Y:390/156",
       "Breite/Hoehe: 100/60 Radius:50 BmpPtr:"},
      {3, "Objekt: HausC vom Typ Kreis", "PosX/Y:380/145Center X/Y:400/160",
       "Breite/Hoehe: 40/30 Radius:20 BmpPtr:"},
      {4, "Objekt: HausD vom Typ Kreis", "PosX/Y:420/154Center X/Y:435/179",
       "Breite/Hoehe: 30/50 Radius:15 BmpPtr:"},
      {5, "Objekt: Kreisel1 vom Typ Kreis", "PosX/Y:460/170Center X/Y:472/182",
       "Breite/Hoehe: 24/24 Radius:12 BmpPtr:"},
  };
  for (const auto& e : expected) {
    const std::vector<std::string> z = Values(e.nr);
    ASSERT_EQ(z.size(), 3u);
    EXPECT_EQ(z[0], e.line1);
    EXPECT_EQ(z[1], e.line2);
    EXPECT_EQ(z[2].rfind(e.line3, 0), 0u) << z[2];
    EXPECT_NE(z[2], e.line3 + std::string("0")) << "object " << e.nr << " has a picture";
  }
  // A second "Erstellen" changes nothing.
  const std::vector<std::string> before = Values(2);
  WriteObjectPicture("HausA", 10, 10, 0x008000);
  Objekt("erstellen", 0, 0, 0, 0, 0, "");
  EXPECT_EQ(Values(2), before);
  // Numbers outside the table are ignored.
  EXPECT_TRUE(Values(0).empty());
  EXPECT_TRUE(Values(11).empty());
}

TEST_F(ObjectTest, MergeDrawsObjectsOneToFourTransparently) {
  Objekt("Erstellen", 0, 0, 0, 0, 0, "");
  Objekt("InHintergrundEinbinden", 1, 0, 0, 0, 0, "");
  rt::Image h = Layout().Hintergrund;
  auto colour = [](uint32_t rgb) { return static_cast<uint32_t>(rt::To565(rgb)); };
  EXPECT_EQ(rt::GetPixel(h, 15, 15), colour(0x800000));
  EXPECT_EQ(rt::GetPixel(h, 10, 10), colour(BackgroundColour(10, 10))) << "magenta is see-through";
  EXPECT_EQ(rt::GetPixel(h, 345, 130), colour(0x008000)) << "HausA";
  EXPECT_EQ(rt::GetPixel(h, 400, 160), colour(0x000080)) << "HausC lies over HausA";
  EXPECT_EQ(rt::GetPixel(h, 435, 179), colour(0x808000)) << "HausD lies over HausA";
  EXPECT_EQ(rt::GetPixel(h, 470, 190), colour(BackgroundColour(470, 190)))
      << "object 5 is not merged";
  EXPECT_TRUE(ConsoleLines().empty());
}

TEST_F(ObjectTest, CollisionAnswersWithKeypadDigits) {
  Objekt("Erstellen", 0, 0, 0, 0, 0, "");
  // QumyH: centre (20, 20), radius 10.
  EXPECT_EQ(Ask(20, 20, 0), "3") << "at the centre";
  EXPECT_EQ(Ask(20, 25, 1), "9") << "straight below the centre";
  EXPECT_EQ(Ask(20, 15, 1), "3") << "straight above";
  EXPECT_EQ(Ask(25, 20, 1), "1") << "straight to the right";
  EXPECT_EQ(Ask(15, 20, 1), "3") << "straight to the left";
  EXPECT_EQ(Ask(26, 26, 3), "7") << "object up and to the left";
  EXPECT_EQ(Ask(14, 26, 3), "9") << "object up and to the right";
  EXPECT_EQ(Ask(26, 14, 3), "1") << "object down and to the left";
  // Touching exactly (d = 10 + 5) counts; one pixel further does not.
  EXPECT_EQ(Ask(35, 20, 5), "1");
  EXPECT_EQ(Ask(36, 20, 5), "");
  // The distance is rounded: sqrt(12^2 + 12^2) = 16.97 counts as 17.
  EXPECT_EQ(Ask(32, 32, 7), "7");
  EXPECT_EQ(Ask(32, 32, 6), "");
  // sqrt(11^2 + 11^2) = 15.56 rounds to 16, not down to 15.
  EXPECT_EQ(Ask(31, 31, 5), "");
  EXPECT_EQ(Ask(31, 31, 6), "7");
  // sqrt(25^2 + 5^2) = 25.495 rounds down to 25, not up to 26.
  EXPECT_EQ(Ask(45, 25, 15), "7");
  EXPECT_EQ(Ask(45, 25, 14), "");
  // The first touched object in number order decides.
  EXPECT_EQ(Ask(400, 160, 0), "7") << "HausA (nr 2) answers before HausC (nr 3)";
  // Object 5 takes no part.
  EXPECT_EQ(Ask(472, 182, 0), "");
  // Far values do not overflow: a huge radius reaches everything.
  EXPECT_EQ(Ask(INT32_MAX, 20, INT32_MAX), "1");
  EXPECT_EQ(Ask(INT32_MIN, INT32_MIN, 5), "");
  EXPECT_EQ(Ask(300, 300, INT32_MIN), "");
  EXPECT_TRUE(ConsoleLines().empty());
}

TEST_F(ObjectTest, CirclesShowOnlyWithTheSwitchAndOnlyForTheHit) {
  Objekt("Erstellen", 0, 0, 0, 0, 0, "");
  rt::DrawLine(nullptr, 0, 0, 639, 479, 0xFF000000, 2);
  EXPECT_EQ(Ask(30, 20, 4), "1");
  EXPECT_EQ(Pixel(30, 44), 0u) << "no circles without C";
  Settings().SchalterC = 1;
  EXPECT_EQ(Ask(200, 200, 4), "");
  EXPECT_EQ(Pixel(204, 244), 0u) << "a miss draws nothing";
  EXPECT_EQ(Ask(30, 20, 4), "1");
  const uint32_t yellow = ScreenColour(0xFFFF00);
  const uint32_t red = ScreenColour(0xFF0000);
  // Yellow around the object's centre (20, 64 on screen) with radius 10,
  // red around the point (30, 64) with radius 4.
  EXPECT_EQ(Pixel(20, 54), yellow);
  EXPECT_EQ(Pixel(20, 74), yellow);
  EXPECT_EQ(Pixel(10, 64), yellow);
  EXPECT_EQ(Pixel(34, 64), red);
  EXPECT_EQ(Pixel(30, 60), red);
  EXPECT_EQ(Pixel(26, 64), red);
  EXPECT_EQ(Pixel(390, 156 + 44 - 50), 0u) << "HausA was not hit";
}

TEST_F(ObjectTest, DeletionFreesPicturesAndEmptiesTheTable) {
  Objekt("Erstellen", 0, 0, 0, 0, 0, "");
  Objekt("QuellbilderLoeschen", 0, 0, 0, 0, 0, "");
  EXPECT_EQ(Values(1)[2], "Breite/Hoehe: 20/20 Radius:10 BmpPtr:0");
  EXPECT_NE(Values(5)[2], "Breite/Hoehe: 24/24 Radius:12 BmpPtr:0") << "object 5 keeps its picture";
  ConsoleLines().clear();
  Objekt("InHintergrundEinbinden", 0, 0, 0, 0, 0, "");
  ASSERT_EQ(ConsoleLines().size(), 4u);
  EXPECT_EQ(ConsoleLines()[1],
            "Objekt() Soll das Objekt HausA mit Nr 2 in Hintergrundbild einbinden, es ist jedoch "
            "keine Bilddatei eingelesen worden. Taste = weiter");
  EXPECT_EQ(Polls(), 0) << "no key is awaited";
  Objekt("LoescheAlleObjekte", 0, 0, 0, 0, 0, "Escape");
  EXPECT_EQ(Values(2), (std::vector<std::string>{"Objekt:  vom Typ ", "PosX/Y:0/0Center X/Y:0/0",
                                                 "Breite/Hoehe: 0/0 Radius:0 BmpPtr:0"}));
  // Built again after deletion.
  Objekt("Erstellen", 0, 0, 0, 0, 0, "");
  EXPECT_EQ(Values(2)[1], "PosX/Y:340/126Center X/Y:390/156");
}

TEST_F(ObjectTest, MissingPictureOfAKnownObjectIsSurvivable) {
  test::HangGuard guard(10);
  Objekt("Erstellen", 0, 0, 0, 0, 0, "");
  const std::string before = Values(2)[2];
  // The current file name after "Erstellen": gone, or a folder or a named
  // pipe in its place, which count as missing too.
  const std::function<void()> replacements[] = {[] { RemoveFile("objekte\\Kreisel1.bmp"); },
                                                [] { ReplaceWithFolder("objekte\\Kreisel1.bmp"); },
                                                [] { ReplaceWithPipe("objekte\\Kreisel1.bmp"); }};
  for (const auto& replace : replacements) {
    replace();
    ConsoleLines().clear();
    QueueKey('w');
    EXPECT_EQ(ExitCodeOf([] { Objekt("LadeBild", 2, 0, 0, 0, 0, ""); }), -1);
    ASSERT_EQ(ConsoleLines().size(), 1u);
    EXPECT_EQ(ConsoleLines()[0],
              "Objekt() Soll dem Objekt Nr 2 die Bilddatei objekte\\Kreisel1.bmp zuordnen, Datei "
              "existiert jedoch nicht. Taste = weiter");
    EXPECT_EQ(Values(2)[2], before) << "the object keeps its picture";
  }
  EXPECT_GE(Polls(), 3);
  // Numbers outside the table load nothing and wait for nothing.
  const int64_t polls = Polls();
  Objekt("LadeBild", 11, 0, 0, 0, 0, "");
  Objekt("LadeBild", -1, 0, 0, 0, 0, "");
  EXPECT_EQ(Polls(), polls);
}

TEST_F(ObjectTest, MissingOrZeroSizedPictureWhileBuildingEndsTheProgram) {
  WriteBmp("objekte\\HausC.bmp", 40, 0, [](int32_t, int32_t) { return 0u; });
  // The key comes on the second look; in between the message waits for input.
  QueueKey(0);
  QueueKey('x');
  Waits().clear();
  EXPECT_EQ(ExitCodeOf([] { Objekt("Erstellen", 0, 0, 0, 0, 0, ""); }), 0);
  EXPECT_EQ(Waits(), std::vector<double>{std::numeric_limits<double>::infinity()});
  EXPECT_EQ(ConsoleText(),
            "Objekt(): Soll fuer das Objekt Nr: 3 die Datei objekte\\HausC.bmp einlesen\n"
            "Bildformat in Datei = 40 X 0)\n"
            "Einer der Werte ist auf Null, kann damit nicht arbeiten!\n"
            "Jegliche Taste = Abbruch\n");
  Objekt("LoescheAlleObjekte", 0, 0, 0, 0, 0, "");
  RemoveFile("objekte\\HausC.bmp");
  ConsoleLines().clear();
  QueueKey('x');
  EXPECT_EQ(ExitCodeOf([] { Objekt("Erstellen", 0, 0, 0, 0, 0, ""); }), 0);
  ASSERT_GE(ConsoleLines().size(), 2u);
  EXPECT_EQ(ConsoleLines()[1], "Bildformat in Datei = 0 X 0)");
}

TEST_F(ObjectTest, UnknownWordIsReported) {
  EXPECT_EQ(Objekt("Zeichnen", 0, 0, 0, 0, 0, ""), "");
  ASSERT_EQ(ConsoleLines().size(), 1u);
  EXPECT_EQ(ConsoleLines()[0], "SelectCase in Objekt-Sub kennt folgende Aufgabe nicht: Zeichnen");
}

}  // namespace
}  // namespace wimmel::test
