// Key query and number entry on the headless display, fed by scripted keys.
#include "shared/dialog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/keys.h"
#include "runtime/runtime.h"
#include "shared/settings.h"
#include "text/text.h"

namespace rt = wimmel::rt;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kBlack = 0xFF000000;

// Key codes as the display queues them.
constexpr uint32_t kBackspace = rt::keys::kBackspace;
constexpr uint32_t kReturn = rt::keys::kEnter;
constexpr uint32_t kEscape = rt::keys::kEscape;
constexpr uint32_t Extended(char c) {
  return rt::keys::QueueCode(static_cast<uint8_t>(c));
}

// Polls without a key before a test counts as hung.
constexpr int kPatience = 200000;

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::HeadlessConfig config;
    config.onPoll = [this] { Poll(); };
    config.onConsole = [this](std::string_view text, bool) { console_.emplace_back(text); };
    rt::headless::Install(config);
    ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
    wimmel::FontsInitialisieren();
    rt::DrawLine(nullptr, 0, 0, 639, 479, kWhite, 2);
  }
  void TearDown() override { EXPECT_FALSE(hung_) << "waited for a key the script lacks"; }

  void Keys(std::initializer_list<uint32_t> codes) {
    for (uint32_t c : codes) keys_.push_back(c);
  }
  void Type(const std::string& text) {
    for (char c : text) keys_.push_back(static_cast<uint8_t>(c));
  }

  // Hands out one key at a time, each after `leadIn_` empty polls, so the
  // code under test must keep polling; when the script has run dry it
  // answers with Escape and marks the test as hung.
  void Poll() {
    ++polls_;
    ++idle_;
    if (!keys_.empty()) {
      if (idle_ > leadIn_) {
        rt::headless::PushKey(keys_.front());
        keys_.pop_front();
        idle_ = 0;
      }
    } else if (idle_ > kPatience) {
      hung_ = true;
      rt::headless::PushKey(kEscape);
      idle_ = 0;
    }
  }

  std::deque<uint32_t> keys_;
  int idle_ = 0;  // polls since the last key was handed out
  int polls_ = 0;
  int leadIn_ = 0;  // polls to let pass before each key
  bool hung_ = false;
  std::vector<std::string> console_;
};

// ---------------------------------------------------------------- keys

TEST_F(DialogTest, WarteAufTasteWaitsForInputBetweenLooksUntilAKeyArrives) {
  leadIn_ = 500;
  Keys({Extended(';'), 'x'});
  std::vector<double> waits;
  rt::headless::SetOnWait([&](double deadline) { waits.push_back(deadline); });
  const double before = rt::headless::Clock();
  EXPECT_EQ(wimmel::WarteAufTaste(), std::string("\xFF;"));
  EXPECT_EQ(polls_, 501);
  // Every look that found no key is followed by a wait for input without a
  // time limit; the look that finds one is not.
  EXPECT_EQ(waits, std::vector<double>(500, std::numeric_limits<double>::infinity()));
  // The headless wait returns at once: the virtual clock moved by the poll
  // ticks alone, as the program's output depends on.
  EXPECT_NEAR(rt::headless::Clock() - before, polls_ * 0.001, 1e-6);
  EXPECT_EQ(wimmel::WarteAufTaste(), "x");
}

TEST_F(DialogTest, FragTasteNamesTheAcceptedKeys) {
  const std::vector<std::pair<uint32_t, std::string>> cases = {
      {'0', "0"}, {'5', "5"}, {'9', "9"},       {'-', "-"},          {'.', "."},
      {',', "."}, {8, "#"},   {kEscape, "Esc"}, {kReturn, "Return"},
  };
  for (const auto& [code, name] : cases) {
    Keys({code});
    EXPECT_EQ(wimmel::FragTaste(), name) << "key " << code;
  }
  EXPECT_TRUE(console_.empty());
}

TEST_F(DialogTest, FragTasteReportsOtherKeysAndGoesOn) {
  Keys({'a', Extended('H'), '+', '7'});
  EXPECT_EQ(wimmel::FragTaste(), "7");
  ASSERT_EQ(console_.size(), 3u);
  EXPECT_EQ(console_[0], "Eingabe nicht zu Akzeptieren! FragTaste war:a");
  EXPECT_EQ(console_[1], std::string("Eingabe nicht zu Akzeptieren! FragTaste war:\xFFH"));
  EXPECT_EQ(console_[2], "Eingabe nicht zu Akzeptieren! FragTaste war:+");
  // The row given is the screen height minus a glyph, beyond the console's
  // rows, so Meldezeile stays where it was.
  EXPECT_EQ(wimmel::Meldezeile(), 0);
}

TEST_F(DialogTest, RejectionRowIsScreenHeightMinusGlyphHeight) {
  // On a 21-pixel working height the row is 21 - 16 = 5, a real console row.
  wimmel::Layout().screenHeight = 21;
  rt::ClearScreen();
  Keys({'x', '1'});
  EXPECT_EQ(wimmel::FragTaste(), "1");
  rt::Image s = rt::ScreenImage();
  std::set<int32_t> rows;  // 1-based text rows with ink
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      if ((rt::GetPixel(s, x, y) & 0xFFFFFF) != 0) rows.insert(y / 16 + 1);
    }
  }
  EXPECT_EQ(rows, (std::set<int32_t>{5}));
  EXPECT_EQ(wimmel::Meldezeile(), 0);
}

// ---------------------------------------------------------------- EingabeZeile

TEST_F(DialogTest, SecondMinusIsRefused) {
  Type("-1-2");
  Keys({kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("X:"), "-12");
}

TEST_F(DialogTest, CommaIsTheDecimalPointAndOnlyOneIsTaken) {
  Type("1,5.");
  Keys({kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Y:"), "1.5");
}

TEST_F(DialogTest, BackspaceEditsAndIsHarmlessOnAnEmptyLine) {
  Keys({kBackspace, kBackspace, '3', '4', kBackspace, '-', '8', kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Z"), "38");
  Keys({'-', kBackspace, '-', '2', kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Z"), "-2");
}

TEST_F(DialogTest, EscapeReturnsAnEmptyLine) {
  Keys({'4', '2', kEscape});
  EXPECT_EQ(wimmel::EingabeZeile("Schrittweite X:"), "");
  // The next entry starts empty again.
  Keys({'5', kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Schrittweite X:"), "5");
}

TEST_F(DialogTest, RejectedKeysAreReportedAndTheEntryGoesOn) {
  Keys({'1', 'a', Extended('M'), '2', kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Wert:"), "12");
  ASSERT_EQ(console_.size(), 2u);
  EXPECT_EQ(console_[0], "Eingabe nicht zu Akzeptieren! FragTaste war:a");
  EXPECT_EQ(console_[1], std::string("Eingabe nicht zu Akzeptieren! FragTaste war:\xFFM"));
}

// Whether the cell at (x, y) shows `text` in font 0, red on black, exactly.
::testing::AssertionResult ShowsText(const std::string& text, int32_t x, int32_t y) {
  rt::Image s = rt::ScreenImage();
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t code = static_cast<uint8_t>(text[i]);
    for (int32_t r = 0; r < 16; ++r) {
      for (int32_t c = 0; c < 8; ++c) {
        const bool ink = (wimmel::FontTabelle()[0][code][r] >> c) & 1;
        const int32_t px = x + static_cast<int32_t>(i) * 8 + c, py = y + r;
        const uint32_t actual = rt::GetPixel(s, px, py);
        if (actual != (ink ? kRed : kBlack)) {
          return ::testing::AssertionFailure() << "char " << i << " pixel (" << px << ", " << py
                                               << ") is 0x" << std::hex << actual;
        }
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TEST_F(DialogTest, BoxPromptAndCursorOnTheScreen) {
  Type("12.5");
  Keys({kReturn});
  const std::string prompt = "Schrittweite:";
  EXPECT_EQ(wimmel::EingabeZeile(prompt), "12.5");
  rt::Image s = rt::ScreenImage();
  const int32_t width = static_cast<int32_t>(prompt.size()) * 8 + 10, height = 2 * 16 + 10;
  // The box: black where no text is, and the white around it untouched.
  for (int32_t y = 15; y < 20 + height + 5; ++y) {
    for (int32_t x = 15; x < 20 + width + 5; ++x) {
      const bool inside = x >= 20 && x < 20 + width && y >= 20 && y < 20 + height;
      const uint32_t p = rt::GetPixel(s, x, y);
      if (inside) {
        ASSERT_TRUE(p == kBlack || p == kRed) << "(" << x << ", " << y << ")";
      } else {
        ASSERT_EQ(p, kWhite) << "(" << x << ", " << y << ")";
      }
    }
  }
  EXPECT_TRUE(ShowsText(prompt, 25, 25));
  // After Return the last drawn line still shows the cursor after the text.
  EXPECT_TRUE(ShowsText("12.5_", 25, 41));
}

TEST_F(DialogTest, TheLineIsRedrawnAfterEveryKey) {
  // A backspace must clear the removed character from the screen, so the
  // line ends up showing "7_" and nothing of the 9 that stood there.
  Keys({'7', '9', kBackspace, kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Eingabe des Wertes:"), "7");
  EXPECT_TRUE(ShowsText("7_  ", 25, 41));
}

TEST_F(DialogTest, FollowsTheInputFont) {
  wimmel::Settings().EingabeSchrift = 1;
  wimmel::Layout().screenHeight = 600;
  Keys({'q', '3', kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("AB"), "3");
  rt::Image s = rt::ScreenImage();
  // Font 1: 6 x 7 glyphs, so the box is 2 * 6 + 10 wide and 2 * 7 + 10 high.
  EXPECT_EQ(rt::GetPixel(s, 20 + 21, 20 + 23), kBlack);
  EXPECT_EQ(rt::GetPixel(s, 20 + 22, 20 + 23), kWhite);
  EXPECT_EQ(rt::GetPixel(s, 20 + 21, 20 + 24), kWhite);
  // The cursor stands one glyph below the prompt, after the digit.
  for (int32_t r = 0; r < 7; ++r) {
    for (int32_t c = 0; c < 6; ++c) {
      const bool ink = (wimmel::FontTabelle()[1][static_cast<unsigned char>('_')][r] >> c) & 1;
      EXPECT_EQ(rt::GetPixel(s, 25 + 6 + c, 25 + 7 + r), ink ? kRed : kBlack);
    }
  }
  EXPECT_EQ(console_.size(), 1u);
}

}  // namespace
