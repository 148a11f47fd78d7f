// The picture store: one load per name, exact names, and its fatal reports.
#include "images/bilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "../runtime/hang_guard.h"
#include "../scene/szene_hilfe.h"
#include "runtime/display.h"
#include "runtime/image.h"

namespace rt = wimmel::rt;

namespace {

using namespace testhilfe;

// Runs f and returns the exit code it ended the program with, -1 if it returned.
int Ende(const std::function<void()>& f) {
  try {
    f();
  } catch (const rt::ProgramEnd& e) {
    return e.code;
  }
  return -1;
}

class BilderTest : public ::testing::Test {
 protected:
  void SetUp() override { Bildschirm(18, 16); }
  Arbeitsordner ordner_;
};

TEST_F(BilderTest, LoadsOnceAndHandsOutTheSameImage) {
  SchreibeBmp("HG_bild\\eins.bmp", 3, 2, [](int32_t x, int32_t y) {
    return x == 0 && y == 0 ? 0xFF00FFu : 0x0000FFu * static_cast<uint32_t>(x + 1);
  });
  rt::Image a = wimmel::Bilder("GibBildPtr", "HG_bild\\eins.bmp");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(rt::GetPixel(a, 0, 0), 0xF81Fu);
  EXPECT_EQ(rt::GetPixel(a, 2, 1), rt::To565(0x0000FF * 3));
  // A second request must not read the file again: it is gone by now.
  Loesche("HG_bild\\eins.bmp");
  EXPECT_EQ(wimmel::Bilder("gibbildptr", "HG_bild\\eins.bmp"), a);
  EXPECT_TRUE(Konsole().empty());
}

TEST_F(BilderTest, NamesAreComparedExactly) {
  SchreibeBmp("HG_bild\\Fall.bmp", 2, 2, [](int32_t, int32_t) { return 0x112233u; });
  SchreibeBmp("HG_bild\\fall.bmp", 2, 2, [](int32_t, int32_t) { return 0x445566u; });
  rt::Image gross = wimmel::Bilder("GibBildPtr", "HG_bild\\Fall.bmp");
  rt::Image klein = wimmel::Bilder("GibBildPtr", "HG_bild\\fall.bmp");
  ASSERT_NE(gross, nullptr);
  ASSERT_NE(klein, nullptr);
  EXPECT_NE(gross, klein);
  EXPECT_EQ(rt::GetPixel(klein, 1, 1), rt::To565(0x445566));
  // The same name spelt with the other separator is another name as well.
  EXPECT_NE(wimmel::Bilder("GibBildPtr", "HG_bild/Fall.bmp"), gross);
}

TEST_F(BilderTest, NamesLongerThanTheFieldNeverMatchAgain) {
  const std::string lang = "HG_bild\\" + std::string(130, 'l') + ".bmp";
  const std::string genau = "HG_bild\\" + std::string(128 - 12, 'g') + ".bmp";
  ASSERT_EQ(genau.size(), 128u);
  SchreibeBmp(lang, 1, 1, [](int32_t, int32_t) { return 0x101010u; });
  SchreibeBmp(genau, 1, 1, [](int32_t, int32_t) { return 0x101010u; });
  rt::Image erstes = wimmel::Bilder("GibBildPtr", lang);
  rt::Image zweites = wimmel::Bilder("GibBildPtr", lang);
  ASSERT_NE(erstes, nullptr);
  ASSERT_NE(zweites, nullptr);
  EXPECT_NE(erstes, zweites);
  rt::Image passend = wimmel::Bilder("GibBildPtr", genau);
  EXPECT_EQ(wimmel::Bilder("GibBildPtr", genau), passend);
}

TEST_F(BilderTest, UnknownWordAnswersNullSilently) {
  SchreibeBmp("HG_bild\\x.bmp", 1, 1, [](int32_t, int32_t) { return 0u; });
  EXPECT_EQ(wimmel::Bilder("GibBild", "HG_bild\\x.bmp"), nullptr);
  EXPECT_TRUE(Konsole().empty());
}

TEST_F(BilderTest, EmptyFileFolderOrPipeEndsWithTheMissingFileLines) {
  // Only a regular file with content is a picture; nothing waits for a pipe.
  rttest::HangGuard wache(10);
  SchreibeDatei("HG_bild\\leer.bmp", "");
  SchreibeOrdner("HG_bild\\ordner.bmp");
  SchreibeRohr("HG_bild\\rohr.bmp");
  for (const std::string name : {"HG_bild\\leer.bmp", "HG_bild\\ordner.bmp", "HG_bild\\rohr.bmp"}) {
    Konsole().clear();
    rt::DrawLine(nullptr, 600, 470, 639, 479, 0xFFFFFFFF, 2);
    Taste('x');
    EXPECT_EQ(Ende([&] { wimmel::Bilder("GibBildPtr", name); }), 0) << name;
    EXPECT_EQ(KonsoleText(), "Function Bilder: Soll das Bild\n" + name +
                                 " in den Ram einlesen\n"
                                 "Die Datei scheint jedoch nicht zu existieren\n"
                                 "jegliche Taste = Programmende\n");
    EXPECT_EQ(Pixel(620, 475), 0u) << "the screen is cleared first";
  }
  EXPECT_GE(Abfragen(), 3);
}

TEST_F(BilderTest, MissingFileWaitsForAKeyBeforeEnding) {
  // No key for a while: the report keeps polling until one comes.
  int64_t vorher = 0;
  rt::headless::SetOnPoll([&] {
    if (++vorher == 50) rt::headless::PushKey('q');
  });
  EXPECT_EQ(Ende([] { wimmel::Bilder("GibBildPtr", "HG_bild\\fehlt.bmp"); }), 0);
  EXPECT_EQ(vorher, 50);
}

TEST_F(BilderTest, ZeroSizeHeaderEndsWithTheAllocationLines) {
  SchreibeBmp("HG_bild\\null.bmp", 0, 5, [](int32_t, int32_t) { return 0u; });
  Taste(' ');
  EXPECT_EQ(Ende([] { wimmel::Bilder("GibBildPtr", "HG_bild\\null.bmp"); }), 0);
  EXPECT_EQ(KonsoleText(),
            "Function Bilder: Soll das Bild\n"
            "HG_bild\\null.bmp in den Ram einlesen\n"
            "Die Zeichenwerk-Function IMAGECREATE gibt aber null zurueck\n"
            "Es konnte kein Ram f\xFCr das Bild reserviert werden\n"
            "Ram-Speicher zu knapp???\n"
            "jegliche Taste = Programmende\n");
}

}  // namespace
