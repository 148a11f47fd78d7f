// Key query and number entry on the headless display, fed by scripted keys.
#include "shared/dialog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"
#include "shared/settings.h"
#include "text/text.h"

namespace rt = wimmel::rt;

namespace {

constexpr uint32_t kWeiss = 0xFFFFFFFF;
constexpr uint32_t kRot = 0xFFFF0000;
constexpr uint32_t kSchwarz = 0xFF000000;

// Key codes as the display queues them.
constexpr uint32_t kBackspace = 8, kReturn = 13, kEscape = 27;
constexpr uint32_t Erweitert(char c) {
  return (static_cast<uint32_t>(c) << 8) | 0xFF;
}

// Polls without a key before a test counts as hung.
constexpr int kGeduld = 200000;

struct Skript {
  std::deque<uint32_t> tasten;
  int leerlauf = 0;  // polls since the last key was handed out
  int polls = 0;
  int vorlauf = 0;  // polls to let pass before each key
  bool haengt = false;
  std::vector<std::string> konsole;
};
Skript gSkript;

// Hands out one key at a time, each after `vorlauf` empty polls, so the code
// under test must keep polling; when the script has run dry it answers with
// Escape and marks the test as hung.
void Poll() {
  ++gSkript.polls;
  ++gSkript.leerlauf;
  if (!gSkript.tasten.empty()) {
    if (gSkript.leerlauf > gSkript.vorlauf) {
      rt::headless::PushKey(gSkript.tasten.front());
      gSkript.tasten.pop_front();
      gSkript.leerlauf = 0;
    }
  } else if (gSkript.leerlauf > kGeduld) {
    gSkript.haengt = true;
    rt::headless::PushKey(kEscape);
    gSkript.leerlauf = 0;
  }
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSkript = Skript{};
    rt::HeadlessConfig cfg;
    cfg.onPoll = Poll;
    cfg.onConsole = [](std::string_view text, bool) { gSkript.konsole.emplace_back(text); };
    rt::headless::Install(cfg);
    ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
    wimmel::ResetSettings();
    wimmel::Layout() = wimmel::SceneLayout{};
    wimmel::FontsInitialisieren();
    wimmel::Meldezeile = 0;
    rt::DrawLine(nullptr, 0, 0, 639, 479, kWeiss, 2);
  }
  void TearDown() override { EXPECT_FALSE(gSkript.haengt) << "waited for a key the script lacks"; }

  static void Tasten(std::initializer_list<uint32_t> codes) {
    for (uint32_t c : codes) gSkript.tasten.push_back(c);
  }
  static void Tippe(const std::string& text) {
    for (char c : text) gSkript.tasten.push_back(static_cast<uint8_t>(c));
  }
};

// ---------------------------------------------------------------- keys

TEST_F(DialogTest, WarteAufTasteSpinsUntilAKeyArrives) {
  gSkript.vorlauf = 500;
  Tasten({Erweitert(';'), 'x'});
  const double vorher = rt::headless::Clock();
  EXPECT_EQ(wimmel::WarteAufTaste(), std::string("\xFF;"));
  EXPECT_GT(gSkript.polls, 500);
  // Polling, not sleeping: the virtual clock moved by the poll ticks alone.
  EXPECT_NEAR(rt::headless::Clock() - vorher, gSkript.polls * 0.001, 1e-6);
  EXPECT_EQ(wimmel::WarteAufTaste(), "x");
}

TEST_F(DialogTest, FragTasteNamesTheAcceptedKeys) {
  const std::vector<std::pair<uint32_t, std::string>> faelle = {
      {'0', "0"}, {'5', "5"}, {'9', "9"},       {'-', "-"},          {'.', "."},
      {',', "."}, {8, "#"},   {kEscape, "Esc"}, {kReturn, "Return"},
  };
  for (const auto& [code, name] : faelle) {
    Tasten({code});
    EXPECT_EQ(wimmel::FragTaste(), name) << "key " << code;
  }
  EXPECT_TRUE(gSkript.konsole.empty());
}

TEST_F(DialogTest, FragTasteReportsOtherKeysAndGoesOn) {
  Tasten({'a', Erweitert('H'), '+', '7'});
  EXPECT_EQ(wimmel::FragTaste(), "7");
  ASSERT_EQ(gSkript.konsole.size(), 3u);
  EXPECT_EQ(gSkript.konsole[0], "Eingabe nicht zu Akzeptieren! FragTaste war:a");
  EXPECT_EQ(gSkript.konsole[1], std::string("Eingabe nicht zu Akzeptieren! FragTaste war:\xFFH"));
  EXPECT_EQ(gSkript.konsole[2], "Eingabe nicht zu Akzeptieren! FragTaste war:+");
  // The row given is the screen height minus a glyph, beyond the console's
  // rows, so Meldezeile stays where it was.
  EXPECT_EQ(wimmel::Meldezeile, 0);
}

TEST_F(DialogTest, RejectionRowIsScreenHeightMinusGlyphHeight) {
  // On a 21-pixel working height the row is 21 - 16 = 5, a real console row.
  wimmel::Layout().screenHeight = 21;
  rt::ClearScreen();
  Tasten({'x', '1'});
  EXPECT_EQ(wimmel::FragTaste(), "1");
  rt::Image s = rt::ScreenImage();
  std::set<int32_t> zeilen;  // 1-based text rows with ink
  for (int32_t y = 0; y < 480; ++y) {
    for (int32_t x = 0; x < 640; ++x) {
      if ((rt::GetPixel(s, x, y) & 0xFFFFFF) != 0) zeilen.insert(y / 16 + 1);
    }
  }
  EXPECT_EQ(zeilen, (std::set<int32_t>{5}));
  EXPECT_EQ(wimmel::Meldezeile, 0);
}

// ---------------------------------------------------------------- EingabeZeile

TEST_F(DialogTest, SecondMinusIsRefused) {
  Tippe("-1-2");
  Tasten({kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("X:"), "-12");
}

TEST_F(DialogTest, CommaIsTheDecimalPointAndOnlyOneIsTaken) {
  Tippe("1,5.");
  Tasten({kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Y:"), "1.5");
}

TEST_F(DialogTest, BackspaceEditsAndIsHarmlessOnAnEmptyLine) {
  Tasten({kBackspace, kBackspace, '3', '4', kBackspace, '-', '8', kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Z"), "38");
  Tasten({'-', kBackspace, '-', '2', kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Z"), "-2");
}

TEST_F(DialogTest, EscapeReturnsAnEmptyLine) {
  Tasten({'4', '2', kEscape});
  EXPECT_EQ(wimmel::EingabeZeile("Schrittweite X:"), "");
  // The next entry starts empty again.
  Tasten({'5', kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Schrittweite X:"), "5");
}

TEST_F(DialogTest, RejectedKeysAreReportedAndTheEntryGoesOn) {
  Tasten({'1', 'a', Erweitert('M'), '2', kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Wert:"), "12");
  ASSERT_EQ(gSkript.konsole.size(), 2u);
  EXPECT_EQ(gSkript.konsole[0], "Eingabe nicht zu Akzeptieren! FragTaste war:a");
  EXPECT_EQ(gSkript.konsole[1], std::string("Eingabe nicht zu Akzeptieren! FragTaste war:\xFFM"));
}

// Whether the cell at (x, y) shows `text` in font 0, red on black, exactly.
::testing::AssertionResult ZeigtText(const std::string& text, int32_t x, int32_t y) {
  rt::Image s = rt::ScreenImage();
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t code = static_cast<uint8_t>(text[i]);
    for (int32_t r = 0; r < 16; ++r) {
      for (int32_t c = 0; c < 8; ++c) {
        const bool tinte = (wimmel::FontTabelle[0][code][r] >> c) & 1;
        const int32_t px = x + static_cast<int32_t>(i) * 8 + c, py = y + r;
        const uint32_t ist = rt::GetPixel(s, px, py);
        if (ist != (tinte ? kRot : kSchwarz)) {
          return ::testing::AssertionFailure()
                 << "char " << i << " pixel (" << px << ", " << py << ") is 0x" << std::hex << ist;
        }
      }
    }
  }
  return ::testing::AssertionSuccess();
}

TEST_F(DialogTest, BoxPromptAndCursorOnTheScreen) {
  Tippe("12.5");
  Tasten({kReturn});
  const std::string prompt = "Schrittweite:";
  EXPECT_EQ(wimmel::EingabeZeile(prompt), "12.5");
  rt::Image s = rt::ScreenImage();
  const int32_t breite = static_cast<int32_t>(prompt.size()) * 8 + 10, hoehe = 2 * 16 + 10;
  // The box: black where no text is, and the white around it untouched.
  for (int32_t y = 15; y < 20 + hoehe + 5; ++y) {
    for (int32_t x = 15; x < 20 + breite + 5; ++x) {
      const bool innen = x >= 20 && x < 20 + breite && y >= 20 && y < 20 + hoehe;
      const uint32_t p = rt::GetPixel(s, x, y);
      if (innen) {
        ASSERT_TRUE(p == kSchwarz || p == kRot) << "(" << x << ", " << y << ")";
      } else {
        ASSERT_EQ(p, kWeiss) << "(" << x << ", " << y << ")";
      }
    }
  }
  EXPECT_TRUE(ZeigtText(prompt, 25, 25));
  // After Return the last drawn line still shows the cursor after the text.
  EXPECT_TRUE(ZeigtText("12.5_", 25, 41));
}

TEST_F(DialogTest, TheLineIsRedrawnAfterEveryKey) {
  // A backspace must clear the removed character from the screen, so the
  // line ends up showing "7_" and nothing of the 9 that stood there.
  Tasten({'7', '9', kBackspace, kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("Eingabe des Wertes:"), "7");
  EXPECT_TRUE(ZeigtText("7_  ", 25, 41));
}

TEST_F(DialogTest, FollowsTheInputFont) {
  wimmel::Settings().EingabeSchrift = 1;
  wimmel::Layout().screenHeight = 600;
  Tasten({'q', '3', kReturn});
  EXPECT_EQ(wimmel::EingabeZeile("AB"), "3");
  rt::Image s = rt::ScreenImage();
  // Font 1: 6 x 7 glyphs, so the box is 2 * 6 + 10 wide and 2 * 7 + 10 high.
  EXPECT_EQ(rt::GetPixel(s, 20 + 21, 20 + 23), kSchwarz);
  EXPECT_EQ(rt::GetPixel(s, 20 + 22, 20 + 23), kWeiss);
  EXPECT_EQ(rt::GetPixel(s, 20 + 21, 20 + 24), kWeiss);
  // The cursor stands one glyph below the prompt, after the digit.
  for (int32_t r = 0; r < 7; ++r) {
    for (int32_t c = 0; c < 6; ++c) {
      const bool tinte = (wimmel::FontTabelle[1]['_'][r] >> c) & 1;
      EXPECT_EQ(rt::GetPixel(s, 25 + 6 + c, 25 + 7 + r), tinte ? kRot : kSchwarz);
    }
  }
  EXPECT_EQ(gSkript.konsole.size(), 1u);
}

}  // namespace
