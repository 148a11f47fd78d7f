// The store holds 100 pictures; the 101st distinct name ends the program.
// In an executable of its own, so that the store starts empty.
#include <gtest/gtest.h>

#include <string>

#include "../scene/szene_hilfe.h"
#include "images/bilder.h"

namespace rt = wimmel::rt;

namespace {

using namespace testhilfe;

TEST(BilderVoll, HundredthIsStoredAndTheNextEndsTheProgram) {
  Arbeitsordner ordner;
  Bildschirm(18, 32);
  for (int i = 1; i <= 101; ++i) {
    SchreibeBmp("b\\" + std::to_string(i) + ".bmp", 1, 1, [](int32_t, int32_t) { return 0u; });
  }
  for (int i = 1; i <= 100; ++i) {
    ASSERT_NE(wimmel::Bilder("GibBildPtr", "b\\" + std::to_string(i) + ".bmp"), nullptr) << i;
  }
  // Known names are still served when the store is full.
  EXPECT_NE(wimmel::Bilder("GibBildPtr", "b\\100.bmp"), nullptr);
  EXPECT_TRUE(Konsole().empty());
  Taste('x');
  int code = -1;
  try {
    wimmel::Bilder("GibBildPtr", "b\\101.bmp");
  } catch (const rt::ProgramEnd& e) {
    code = e.code;
  }
  EXPECT_EQ(code, 0);
  EXPECT_EQ(KonsoleText(),
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

}  // namespace
