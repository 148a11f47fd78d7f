// The picture store: one load per name, exact names, the store's limit, and
// its fatal reports. Each case works in a scratch folder of hand-made BMP
// files on a headless screen with scripted keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "hang_guard.h"
#include "images/bilder.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "scripted_screen.h"
#include "test_files.h"

namespace rt = wimmel::rt;
namespace fs = std::filesystem;

namespace {

using wimmel::test::ConsoleLines;
using wimmel::test::ConsoleText;
using wimmel::test::ExitCodeOf;
using wimmel::test::HostPath;
using wimmel::test::OpenScriptedScreen;
using wimmel::test::Polls;
using wimmel::test::QueueKey;
using wimmel::test::ReplaceWithFolder;
using wimmel::test::ReplaceWithPipe;
using wimmel::test::WriteBmp;
using wimmel::test::WriteFile;

uint32_t Solid(int32_t, int32_t) {
  return 0x101010;
}

// A scratch working folder and a 640 x 480 headless screen with scripted
// keys (scripted_screen.h).
class PictureStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { OpenScriptedScreen(18, 16); }

  wimmel::test::ScratchFolder folder_{"images"};
};

TEST_F(PictureStoreTest, LoadsOnceAndHandsOutTheSameImage) {
  WriteBmp("HG_bild\\eins.bmp", 3, 2, [](int32_t x, int32_t y) {
    return x == 0 && y == 0 ? 0xFF00FFu : 0x0000FFu * static_cast<uint32_t>(x + 1);
  });
  rt::Image a = wimmel::Bilder("GibBildPtr", "HG_bild\\eins.bmp");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(rt::GetPixel(a, 0, 0), 0xF81Fu);
  EXPECT_EQ(rt::GetPixel(a, 2, 1), rt::To565(0x0000FF * 3));
  // A second request must not read the file again: it is gone by now.
  fs::remove(HostPath("HG_bild\\eins.bmp"));
  EXPECT_EQ(wimmel::Bilder("gibbildptr", "HG_bild\\eins.bmp"), a);
  EXPECT_TRUE(ConsoleText().empty());
}

TEST_F(PictureStoreTest, NamesAreComparedExactly) {
  WriteBmp("HG_bild\\Fall.bmp", 2, 2, [](int32_t, int32_t) { return 0x112233u; });
  WriteBmp("HG_bild\\fall.bmp", 2, 2, [](int32_t, int32_t) { return 0x445566u; });
  rt::Image upper = wimmel::Bilder("GibBildPtr", "HG_bild\\Fall.bmp");
  rt::Image lower = wimmel::Bilder("GibBildPtr", "HG_bild\\fall.bmp");
  ASSERT_NE(upper, nullptr);
  ASSERT_NE(lower, nullptr);
  EXPECT_NE(upper, lower);
  EXPECT_EQ(rt::GetPixel(lower, 1, 1), rt::To565(0x445566));
  // The same name spelt with the other separator is another name as well.
  EXPECT_NE(wimmel::Bilder("GibBildPtr", "HG_bild/Fall.bmp"), upper);
}

TEST_F(PictureStoreTest, NamesLongerThanTheFieldNeverMatchAgain) {
  const std::string longName = "HG_bild\\" + std::string(130, 'l') + ".bmp";
  const std::string exact = "HG_bild\\" + std::string(128 - 12, 'g') + ".bmp";
  ASSERT_EQ(exact.size(), 128u);
  WriteBmp(longName, 1, 1, Solid);
  WriteBmp(exact, 1, 1, Solid);
  rt::Image first = wimmel::Bilder("GibBildPtr", longName);
  rt::Image second = wimmel::Bilder("GibBildPtr", longName);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  rt::Image fitting = wimmel::Bilder("GibBildPtr", exact);
  EXPECT_EQ(wimmel::Bilder("GibBildPtr", exact), fitting);
}

TEST_F(PictureStoreTest, UnknownWordAnswersNullSilently) {
  WriteBmp("HG_bild\\x.bmp", 1, 1, [](int32_t, int32_t) { return 0u; });
  EXPECT_EQ(wimmel::Bilder("GibBild", "HG_bild\\x.bmp"), nullptr);
  EXPECT_TRUE(ConsoleText().empty());
}

TEST_F(PictureStoreTest, HundredthIsStoredAndTheNextEndsTheProgram) {
  for (int i = 1; i <= 101; ++i) WriteBmp("b\\" + std::to_string(i) + ".bmp", 1, 1, Solid);
  for (int i = 1; i <= 100; ++i) {
    ASSERT_NE(wimmel::Bilder("GibBildPtr", "b\\" + std::to_string(i) + ".bmp"), nullptr) << i;
  }
  // Known names are still served when the store is full.
  EXPECT_NE(wimmel::Bilder("GibBildPtr", "b\\100.bmp"), nullptr);
  EXPECT_TRUE(ConsoleText().empty());
  QueueKey('x');
  EXPECT_EQ(ExitCodeOf([] { wimmel::Bilder("GibBildPtr", "b\\101.bmp"); }), 0);
  EXPECT_EQ(ConsoleText(),
            "Function Bilder: Soll das Bild\n"
            "b\\101.bmp in den Ram einlesen\n"
            "Das waere dann das 101.Bild\n"
            "Es wurde jedoch nur Platz fuer\n"
            "100Bilder\n"
            "Gedimmt.\n"
            "Programmierer informieren, im Quellcode\n"
            "in der Function bilder\n"
            "in der Zeile -STATIC AS BildDaten Bilder(100)\n"
            "mit h\xF6herer Anzahl dimmen!\n"
            "jegliche Taste = Programmende\n");
}

TEST_F(PictureStoreTest, EmptyFileFolderOrPipeEndsWithTheMissingFileLines) {
  // Only a regular file with content is a picture; nothing waits for a pipe.
  wimmel::test::HangGuard guard(10);
  WriteFile("HG_bild\\leer.bmp", "");
  ReplaceWithFolder("HG_bild\\ordner.bmp");
  ReplaceWithPipe("HG_bild\\rohr.bmp");
  for (const std::string name : {"HG_bild\\leer.bmp", "HG_bild\\ordner.bmp", "HG_bild\\rohr.bmp"}) {
    ConsoleLines().clear();
    rt::DrawLine(nullptr, 600, 470, 639, 479, 0xFFFFFFFF, 2);
    QueueKey('x');
    EXPECT_EQ(ExitCodeOf([&] { wimmel::Bilder("GibBildPtr", name); }), 0) << name;
    EXPECT_EQ(ConsoleText(), "Function Bilder: Soll das Bild\n" + name +
                                 " in den Ram einlesen\n"
                                 "Die Datei scheint jedoch nicht zu existieren\n"
                                 "jegliche Taste = Programmende\n");
    EXPECT_EQ(rt::GetPixel(rt::ScreenImage(), 620, 475), 0u) << "the screen is cleared first";
  }
  EXPECT_GE(Polls(), 3);
}

TEST_F(PictureStoreTest, MissingFileWaitsForAKeyBeforeEnding) {
  // No key for a while: the report looks again until one comes, and waits
  // for input, without a time limit, after every look that found none.
  int64_t polls = 0;
  rt::headless::SetOnPoll([&] {
    if (++polls == 50) rt::headless::PushKey('q');
  });
  std::vector<double> waits;
  rt::headless::SetOnWait([&](double deadline) { waits.push_back(deadline); });
  EXPECT_EQ(ExitCodeOf([] { wimmel::Bilder("GibBildPtr", "HG_bild\\fehlt.bmp"); }), 0);
  EXPECT_EQ(polls, 50);
  EXPECT_EQ(waits, std::vector<double>(49, std::numeric_limits<double>::infinity()));
}

TEST_F(PictureStoreTest, ZeroSizeHeaderEndsWithTheAllocationLines) {
  WriteBmp("HG_bild\\null.bmp", 0, 5, [](int32_t, int32_t) { return 0u; });
  QueueKey(' ');
  EXPECT_EQ(ExitCodeOf([] { wimmel::Bilder("GibBildPtr", "HG_bild\\null.bmp"); }), 0);
  EXPECT_EQ(ConsoleText(),
            "Function Bilder: Soll das Bild\n"
            "HG_bild\\null.bmp in den Ram einlesen\n"
            "Die Zeichenwerk-Function IMAGECREATE gibt aber null zurueck\n"
            "Es konnte kein Ram f\xFCr das Bild reserviert werden\n"
            "Ram-Speicher zu knapp???\n"
            "jegliche Taste = Programmende\n");
}

}  // namespace
