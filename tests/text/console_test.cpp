// The console line printers: which text row each line lands on, and what
// happens to Meldezeile. Rows are found by the ink the runtime's console font
// leaves in each 16-pixel band of a cleared screen.
#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"
#include "text/text.h"

namespace rt = wimmel::rt;

namespace {

struct Zeile {
  std::string text;
  bool newline;
};
std::vector<Zeile> gKonsole;

void Oeffnen() {
  rt::HeadlessConfig cfg;
  cfg.onConsole = [](std::string_view text, bool newline) {
    gKonsole.push_back({std::string(text), newline});
  };
  rt::headless::Install(cfg);
  ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
  rt::ClearScreen();
  gKonsole.clear();
}

// The 1-based text rows that hold any ink.
std::set<int32_t> ZeilenMitTinte() {
  std::set<int32_t> rows;
  rt::Image s = rt::ScreenImage();
  for (int32_t y = 0; y < s->height; ++y) {
    for (int32_t x = 0; x < s->width; ++x) {
      if ((rt::GetPixel(s, x, y) & 0xFFFFFF) != 0) {
        rows.insert(y / 16 + 1);
        break;
      }
    }
  }
  return rows;
}

// Defined first: Meldezeile starts at 0 only in a fresh process, and ctest
// runs every test in one of its own.
TEST(Konsole, FirstLinePrintsAtTheCursorThenRowOne) {
  Oeffnen();
  EXPECT_EQ(wimmel::Meldezeile, 0);
  rt::LocateText(7, 1);
  wimmel::DruckeZeile("eins");
  EXPECT_EQ(ZeilenMitTinte(), (std::set<int32_t>{7}));
  EXPECT_EQ(wimmel::Meldezeile, 1);
  wimmel::DruckeZeile("zwei");
  EXPECT_EQ(ZeilenMitTinte(), (std::set<int32_t>{1, 7}));
  EXPECT_EQ(wimmel::Meldezeile, 2);
  ASSERT_EQ(gKonsole.size(), 2u);
  EXPECT_EQ(gKonsole[0].text, "eins");
  EXPECT_TRUE(gKonsole[0].newline);
  EXPECT_EQ(gKonsole[1].text, "zwei");
  wimmel::Meldezeile = 0;
}

TEST(Konsole, RowBeyondTheConsolePrintsAtTheCursor) {
  Oeffnen();
  wimmel::Meldezeile = 3;
  rt::LocateText(10, 1);
  wimmel::DruckeZeileBei("Meldung", 460);
  EXPECT_EQ(ZeilenMitTinte(), (std::set<int32_t>{10}));
  EXPECT_EQ(wimmel::Meldezeile, 3);
  // The line ended, so the next one without a row follows directly below.
  wimmel::DruckeZeileBei("weiter", 464);
  EXPECT_EQ(ZeilenMitTinte(), (std::set<int32_t>{10, 11}));
  EXPECT_EQ(wimmel::Meldezeile, 3);
  wimmel::Meldezeile = 0;
}

TEST(Konsole, GivenRowIsUsedAndMeldezeileKept) {
  Oeffnen();
  wimmel::Meldezeile = 2;
  wimmel::DruckeZeileBei("hier", 5);
  EXPECT_EQ(ZeilenMitTinte(), (std::set<int32_t>{5}));
  EXPECT_EQ(wimmel::Meldezeile, 2);
  wimmel::DruckeZeile("dort");
  EXPECT_EQ(ZeilenMitTinte(), (std::set<int32_t>{2, 5}));
  EXPECT_EQ(wimmel::Meldezeile, 3);
  wimmel::Meldezeile = 0;
}

TEST(Konsole, RowZeroBehavesAsDruckeZeile) {
  Oeffnen();
  wimmel::Meldezeile = 4;
  wimmel::DruckeZeileBei("null", 0);
  EXPECT_EQ(ZeilenMitTinte(), (std::set<int32_t>{4}));
  EXPECT_EQ(wimmel::Meldezeile, 5);
  wimmel::Meldezeile = 0;
}

TEST(Konsole, MeldezeileWrapsInsteadOfOverflowing) {
  Oeffnen();
  rt::LocateText(3, 1);
  wimmel::Meldezeile = INT32_MAX;
  wimmel::DruckeZeile("ende");
  EXPECT_EQ(wimmel::Meldezeile, INT32_MIN);
  EXPECT_EQ(ZeilenMitTinte(), (std::set<int32_t>{3}));
  wimmel::Meldezeile = 0;
}

}  // namespace
