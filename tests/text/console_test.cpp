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

using wimmel::Meldezeile;

struct ConsoleText {
  std::string text;
  bool newline;
};

class ConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::HeadlessConfig config;
    config.onConsole = [this](std::string_view text, bool newline) {
      console_.push_back({std::string(text), newline});
    };
    rt::headless::Install(config);
    ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
    rt::ClearScreen();
    console_.clear();
  }

  // The 1-based text rows that hold any ink.
  static std::set<int32_t> RowsWithInk() {
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

  std::vector<ConsoleText> console_;
};

TEST_F(ConsoleTest, FirstLinePrintsAtTheCursorThenRowOne) {
  EXPECT_EQ(Meldezeile(), 0);
  rt::LocateText(7, 1);
  wimmel::DruckeZeile("eins");
  EXPECT_EQ(RowsWithInk(), (std::set<int32_t>{7}));
  EXPECT_EQ(Meldezeile(), 1);
  wimmel::DruckeZeile("zwei");
  EXPECT_EQ(RowsWithInk(), (std::set<int32_t>{1, 7}));
  EXPECT_EQ(Meldezeile(), 2);
  ASSERT_EQ(console_.size(), 2u);
  EXPECT_EQ(console_[0].text, "eins");
  EXPECT_TRUE(console_[0].newline);
  EXPECT_EQ(console_[1].text, "zwei");
}

TEST_F(ConsoleTest, RowBeyondTheConsolePrintsAtTheCursor) {
  Meldezeile() = 3;
  rt::LocateText(10, 1);
  wimmel::DruckeZeileBei("Meldung", 460);
  EXPECT_EQ(RowsWithInk(), (std::set<int32_t>{10}));
  EXPECT_EQ(Meldezeile(), 3);
  // The line ended, so the next one without a row follows directly below.
  wimmel::DruckeZeileBei("weiter", 464);
  EXPECT_EQ(RowsWithInk(), (std::set<int32_t>{10, 11}));
  EXPECT_EQ(Meldezeile(), 3);
}

TEST_F(ConsoleTest, GivenRowIsUsedAndMeldezeileKept) {
  Meldezeile() = 2;
  wimmel::DruckeZeileBei("hier", 5);
  EXPECT_EQ(RowsWithInk(), (std::set<int32_t>{5}));
  EXPECT_EQ(Meldezeile(), 2);
  wimmel::DruckeZeile("dort");
  EXPECT_EQ(RowsWithInk(), (std::set<int32_t>{2, 5}));
  EXPECT_EQ(Meldezeile(), 3);
}

TEST_F(ConsoleTest, RowZeroBehavesAsDruckeZeile) {
  Meldezeile() = 4;
  wimmel::DruckeZeileBei("null", 0);
  EXPECT_EQ(RowsWithInk(), (std::set<int32_t>{4}));
  EXPECT_EQ(Meldezeile(), 5);
}

TEST_F(ConsoleTest, MeldezeileWrapsInsteadOfOverflowing) {
  rt::LocateText(3, 1);
  Meldezeile() = INT32_MAX;
  wimmel::DruckeZeile("ende");
  EXPECT_EQ(Meldezeile(), INT32_MIN);
  EXPECT_EQ(RowsWithInk(), (std::set<int32_t>{3}));
}

}  // namespace
