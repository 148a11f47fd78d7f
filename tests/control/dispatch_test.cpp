// The keys and clicks of the main loop and of the start screen, each with
// its effect, on whole runs of the program on the headless display. A
// script of actions runs from the display's looks at the input: an action
// at look n, and a check some looks later, once the main loop has handled
// what the action brought (a key pushed at one look is handled at most
// three looks later, before the figures take their next step).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../scene/scene_test_support.h"
#include "control/haupt.h"
#include "program_data.h"
#include "runtime/display.h"
#include "runtime/keys.h"
#include "runtime/runtime.h"
#include "scene/scene.h"
#include "shared/settings.h"
#include "sound/fsound.h"
#include "text/text.h"

namespace wimmel::test {
namespace {

namespace keys = rt::keys;

constexpr uint32_t kEscape = keys::kEscape;
// Extended keys as the display queues them.
constexpr uint32_t kF1 = 0xFF | static_cast<uint32_t>(keys::kF1) << 8;
constexpr uint32_t kClose = 0xFF | static_cast<uint32_t>(keys::kCloseRequest) << 8;
// The looks after a key until the main loop has surely handled it.
constexpr int kHandled = 3;

// The state a key of the main loop may change.
struct SceneState {
  int32_t selected = 0, active = 0, page = 0, numbers = 0, circles = 0;
  double wait = 0, xJump = 0, yJump = 0;
  std::string kind;
  int32_t stepX = 0, stepY = 0;
};

SceneState Now() {
  SceneState s;
  s.selected = Settings().GewaehlteFigur;
  s.active = Settings().AktiveFigur;
  s.page = Settings().HilfeSeite;
  s.numbers = Settings().SchalterN;
  s.circles = Settings().SchalterC;
  s.wait = scene::CurrentWarten();
  s.xJump = XSprungOf(s.selected);
  s.yJump = YSprungOf(s.selected);
  scene::FigureView f;
  if (scene::ViewFigure(s.selected, f)) {
    s.kind = f.name;
    s.stepX = f.SchrittX;
    s.stepY = f.SchrittY;
  }
  return s;
}

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProgramData();
    // The two kinds outside the kind table that picture keys choose.
    const FigureSet set;
    for (int32_t b = 1; b <= 4; ++b) {
      WriteFigurePicture("blaukuge", b, set, 11);
      WriteFigurePicture("grunzyli", b, set, 12);
    }
    UseVirtualSoundDevice();
    rt::HeadlessConfig config;
    config.onPoll = [this] { Poll(); };
    config.onConsole = [this](std::string_view text, bool) { console_ += text; };
    rt::headless::Install(config);
  }

  // Runs action after the given looks (counted from the previous action).
  void Then(int looks, std::function<void()> action) {
    at_ += looks;
    script_.push_back({at_, std::move(action)});
  }
  void Key(std::vector<uint32_t> codes, int looks = 1) {
    Then(looks, [codes] {
      for (uint32_t c : codes) rt::headless::PushKey(c);
    });
  }
  // A left click at (x, y): pressed at one look, released at the next.
  void Click(int32_t x, int32_t y, int looks = 1) {
    Then(looks, [x, y] { rt::headless::SetMouse(x, y, 1); });
    Then(1, Release);
  }
  // Lets go of the buttons where the pointer is: a press the program has
  // not seen yet still counts, where the pointer is when it looks.
  static void Release() {
    const rt::MouseState m = rt::GetMouseState();
    rt::headless::SetMouse(m.x, m.y, 0);
  }
  void Check(int looks, std::function<void()> check) { Then(looks, std::move(check)); }

  // Runs the program until the script has run out and the program ended.
  void Run(bool scene) {
    if (scene) {
      ASSERT_TRUE(RequestStart(640, 480, 16, 3, -1));
    }
    Then(5, [] {});
    EXPECT_EQ(ExitCodeOf([] { Haupt(0, nullptr); }), 0);
    EXPECT_EQ(next_, script_.size()) << "the program ended before the script";
  }

  std::string console_;
  bool stillRunning_ = false;

 private:
  struct Action {
    int look;
    std::function<void()> action;
  };

  void Poll() {
    ++looks_;
    while (next_ < script_.size() && script_[next_].look <= looks_) script_[next_++].action();
    // Past the script, Escape until the program ends.
    if (next_ == script_.size() && ++after_ % 4 == 0) rt::headless::PushKey(kEscape);
    if (looks_ > 200000 && !gaveUp_) {
      gaveUp_ = true;
      ADD_FAILURE() << "the program did not end";
    }
  }

  ScratchFolder folder_;
  std::vector<Action> script_;
  size_t next_ = 0;
  int at_ = 0, looks_ = 0, after_ = 0;
  bool gaveUp_ = false;
};

// Every key of the main loop, and a key it does not know.
TEST_F(DispatchTest, EveryKeyOfTheSceneHasItsEffect) {
  SceneState before;
  auto remember = [&before] { before = Now(); };
  // Keys and the check of their effect, against the state just before
  // them; each further key takes one more pass of two looks.
  auto press = [&](std::vector<uint32_t> codes, std::function<void(const SceneState&)> check,
                   int looks = 0) {
    Then(2, remember);
    const int handled = kHandled + 2 * (static_cast<int>(codes.size()) - 1);
    Key(std::move(codes), 0);
    Check(std::max(looks, handled), [&before, check] { check(before); });
  };
  const auto same = [](const SceneState& a, const SceneState& b) {
    return a.selected == b.selected && a.active == b.active && a.page == b.page &&
           a.numbers == b.numbers && a.circles == b.circles && a.wait == b.wait &&
           a.kind == b.kind && a.xJump == b.xJump && a.yJump == b.yJump;
  };

  Check(1, [] {
    EXPECT_EQ(Settings().FigurenAnzahl, 3);
    EXPECT_EQ(Settings().GewaehlteFigur, 1);
  });
  // Tab and Backspace select the next and the previous figure, round the
  // three; the selected figure is the active one.
  const int32_t tabs[] = {2, 3, 1, 2};
  for (int32_t expected : tabs) {
    press({keys::kTab}, [expected](const SceneState&) {
      EXPECT_EQ(Settings().GewaehlteFigur, expected) << "Tab";
      EXPECT_EQ(Settings().AktiveFigur, expected) << "Tab";
      EXPECT_EQ(View(expected).active, 1);
    });
  }
  const int32_t backs[] = {1, 3, 2};
  for (int32_t expected : backs) {
    press({keys::kBackspace}, [expected](const SceneState&) {
      EXPECT_EQ(Settings().GewaehlteFigur, expected) << "Backspace";
      EXPECT_EQ(Settings().AktiveFigur, expected) << "Backspace";
      EXPECT_EQ(View(expected).active, 1);
    });
  }
  // The picture keys, in upper and lower case.
  const struct {
    char key;
    const char* kind;
  } pictures[] = {{'T', "tarzan01"}, {'Z', "blauzyli"}, {'G', "gelbzyli"}, {'P', "hottehue"},
                  {'B', "blaukuge"}, {'R', "rotekuge"}, {'K', "koenigin"}, {'L', "koenigbl"},
                  {'D', "arnolauf"}, {'S', "arnorenn"}, {'F', "grunzyli"}};
  // All in upper case, then all in lower case, so that every key changes
  // the picture.
  for (const char lower : {'\0', static_cast<char>('a' - 'A')}) {
    for (const auto& p : pictures) {
      const char key = static_cast<char>(p.key + lower);
      const std::string kind = p.kind;
      press({static_cast<uint8_t>(key)}, [key, kind](const SceneState& was) {
        const SceneState s = Now();
        EXPECT_NE(was.kind, kind) << "key " << key;
        EXPECT_EQ(s.kind, kind) << "key " << key;
        EXPECT_EQ(s.selected, was.selected) << "key " << key;
      });
    }
  }
  // The directions of the keypad digits.
  const struct {
    char key;
    int x, y;
  } directions[] = {{'9', 1, -1}, {'3', 1, 1}, {'1', -1, 1}, {'7', -1, -1}};
  for (const auto& d : directions) {
    press({static_cast<uint8_t>(d.key)}, [d](const SceneState&) {
      const SceneState s = Now();
      EXPECT_EQ(s.stepX > 0 ? 1 : -1, d.x) << "key " << d.key;
      EXPECT_EQ(s.stepY > 0 ? 1 : -1, d.y) << "key " << d.key;
    });
  }
  // + and - change the wait between steps by 0.01 s, down to 0.01 s.
  press({'-'}, [](const SceneState& was) { EXPECT_NEAR(Now().wait, was.wait + 0.01, 1e-9); });
  press({'+'}, [](const SceneState& was) { EXPECT_NEAR(Now().wait, was.wait - 0.01, 1e-9); });
  press({'+', '+', '+'}, [](const SceneState&) { EXPECT_NEAR(Now().wait, 0.01, 1e-9); });
  // N and C switch the figure numbers and the collision circles.
  for (const char key : {'n', 'N'}) {
    press({static_cast<uint8_t>(key)}, [key](const SceneState& was) {
      EXPECT_EQ(Now().numbers, 1 - was.numbers) << "key " << key;
      EXPECT_EQ(Now().circles, was.circles) << "key " << key;
    });
  }
  for (const char key : {'c', 'C'}) {
    press({static_cast<uint8_t>(key)}, [key](const SceneState& was) {
      EXPECT_EQ(Now().circles, 1 - was.circles) << "key " << key;
      EXPECT_EQ(Now().numbers, was.numbers) << "key " << key;
    });
  }
  // H, h and F1 page through the three help pages and back to the bar.
  const uint32_t pageKeys[] = {'h', 'H', kF1, 'h', kF1};
  const int32_t pages[] = {1, 2, 3, 0, 1};
  for (int i = 0; i < 5; ++i) {
    const int32_t page = pages[i];
    press({pageKeys[i]}, [page](const SceneState&) { EXPECT_EQ(Now().page, page); });
  }
  press({'h', 'h', 'h'}, [](const SceneState&) { EXPECT_EQ(Now().page, 0); });
  // X and Y ask for a step width; Enter takes it, Escape keeps the old one.
  press(
      {'x', '1', '2', keys::kEnter},
      [](const SceneState& was) {
        EXPECT_EQ(Now().xJump, 12);
        EXPECT_EQ(Now().yJump, was.yJump);
      },
      8);
  press(
      {'Y', '5', keys::kEnter},
      [](const SceneState& was) {
        EXPECT_EQ(Now().yJump, 5);
        EXPECT_EQ(Now().xJump, was.xJump);
      },
      8);
  press(
      {'X', '7', kEscape}, [](const SceneState&) { EXPECT_EQ(Now().xJump, 12); }, 8);
  press(
      {'y', '9', kEscape}, [](const SceneState&) { EXPECT_EQ(Now().yJump, 5); }, 8);
  // ! shows the first object's values.
  Then(2, [this] { console_.clear(); });
  press({'!'}, [this](const SceneState&) {
    EXPECT_NE(console_.find("Objekt: "), std::string::npos) << console_;
  });
  // A opens the five about pages, whose keys turn pages and reach nothing else.
  for (const char key : {'a', 'A'}) {
    press(
        {static_cast<uint8_t>(key), 'n', 'n', 'n', 'n', 'n'},
        [key, same](const SceneState& was) {
          EXPECT_TRUE(same(Now(), was)) << "the about pages of key " << key << " took the keys";
        },
        12);
  }
  // Keys the scene does not know change nothing.
  for (const uint32_t key : {uint32_t{'q'}, uint32_t{'0'}, uint32_t{'5'}, uint32_t{200}}) {
    press({key},
          [key, same](const SceneState& was) { EXPECT_TRUE(same(Now(), was)) << "key " << key; });
  }
  // Escape and the window's close button lead to the start screen, and the
  // start screen's E opens the scene anew.
  for (const uint32_t leave : {kEscape, kClose}) {
    Then(2, [this] { console_.clear(); });
    Key({leave});
    Check(12, [this] {
      EXPECT_NE(console_.find("Frage Ihre Grafikkarte"), std::string::npos);
      EXPECT_TRUE(View(1).name.empty()) << "the figures are gone";
    });
    Key({'E'});
    Check(12, [] {
      EXPECT_EQ(Settings().GewaehlteFigur, 1);
      EXPECT_EQ(Settings().HilfeSeite, 0);
      int32_t x = 0, y = 0, w = 0, h = 0;
      EXPECT_TRUE(FigureRectangle(1, x, y, w, h)) << "a new scene";
    });
  }
  Run(true);
}

// The clicks of the main loop: the bar's and the help pages' buttons stand
// for their keys, a click on a figure selects it, and the right button held
// diagonally beside the selected figure steers it.
TEST_F(DispatchTest, EveryClickOfTheSceneHasItsEffect) {
  Click(25, 400, 2);  // the bar's H
  Check(kHandled, [] { EXPECT_EQ(Settings().HilfeSeite, 1); });
  Click(20, 400);  // page 1's F1
  Check(kHandled, [] { EXPECT_EQ(Settings().HilfeSeite, 2); });
  Click(270, 400);  // page 2's Tab
  Check(kHandled, [] { EXPECT_EQ(Settings().GewaehlteFigur, 2); });
  Click(270, 435);  // page 2's Backspace
  Check(kHandled, [] { EXPECT_EQ(Settings().GewaehlteFigur, 1); });
  // A click on figure 3, on its left edge, selects it.
  Then(3, [] {
    int32_t x = 0, y = 0, w = 0, h = 0;
    ASSERT_TRUE(FigureRectangle(3, x, y, w, h));
    rt::headless::SetMouse(x, y + h / 2, 1);
  });
  Then(1, Release);
  Check(kHandled, [] {
    EXPECT_EQ(Settings().GewaehlteFigur, 3);
    EXPECT_EQ(Settings().AktiveFigur, 3);
  });
  // The right button below right of the figure steers it right and down,
  // above left of it left and up.
  const struct { int dx, dy; } corners[] = {{1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
  for (const auto& c : corners) {
    Then(3, [c] {
      int32_t x = 0, y = 0, w = 0, h = 0;
      ASSERT_TRUE(FigureRectangle(3, x, y, w, h));
      // Right on the corner of the figure's rectangle: its edges count as beside it.
      rt::headless::SetMouse(c.dx > 0 ? x + w : x, c.dy > 0 ? y + h : y, 2);
    });
    Check(kHandled, [c] {
      const scene::FigureView f = View(3);
      EXPECT_EQ(f.SchrittX > 0 ? 1 : -1, c.dx);
      EXPECT_EQ(f.SchrittY > 0 ? 1 : -1, c.dy);
    });
    Then(0, Release);
  }
  Run(true);
}

// The start screen's keys and key caps: + and - within 1 to 1024, a cap
// taken over its whole face, and the window's close button ends the program.
TEST_F(DispatchTest, StartScreenCountsFromOneTo1024AndClosesLikeEscape) {
  FontsInitialisieren();  // for the caps' places; the program fills the fonts the same way
  const int32_t capY = 90 + FontHoehe(2) - 13;
  const int32_t minusX = 430 - 294, plusX = 430 + 5 * FontBreite(2) - 266;
  Check(2, [] { EXPECT_EQ(Settings().FigurenAnzahl, 10); });
  for (int i = 0; i < 12; ++i) Key({'-'}, 2);
  Check(4, [] { EXPECT_EQ(Settings().FigurenAnzahl, 1) << "not below 1"; });
  // The caps' left and right columns and top and bottom rows.
  Click(plusX, capY + 9, 2);
  Check(4, [] { EXPECT_EQ(Settings().FigurenAnzahl, 2); });
  Click(plusX + 18, capY, 2);
  Check(4, [] { EXPECT_EQ(Settings().FigurenAnzahl, 3); });
  Click(minusX, capY + 18, 2);
  Check(4, [] { EXPECT_EQ(Settings().FigurenAnzahl, 2); });
  Click(minusX + 18, capY + 9, 2);
  Check(4, [] { EXPECT_EQ(Settings().FigurenAnzahl, 1); });
  Click(minusX + 19, capY + 9, 2);
  Check(4, [] { EXPECT_EQ(Settings().FigurenAnzahl, 1) << "beside the cap"; });
  Then(2, [] { Settings().FigurenAnzahl = 1022; });
  for (int i = 0; i < 4; ++i) Key({'+'}, 2);
  Check(4, [] { EXPECT_EQ(Settings().FigurenAnzahl, 1024) << "not above 1024"; });
  Key({kClose}, 2);
  Then(20, [this] { stillRunning_ = true; });
  EXPECT_EQ(ExitCodeOf([] { Haupt(0, nullptr); }), 0);
  EXPECT_FALSE(stillRunning_) << "the close button ends the program at once";
}

// A click on a mode's key cap on the start screen opens that mode, for
// every row of the list.
TEST_F(DispatchTest, EachModeRowOfTheStartScreenOpensItsMode) {
  const int32_t widths[] = {640, 800, 1024, 1280}, heights[] = {480, 600, 768, 1024};
  const int32_t depths[] = {15, 16, 24, 32};
  for (int32_t row = 0; row < 16; ++row) {
    // The caps stand left of the list, 17 pixels apart from y = 87 on.
    Click(415, 87 + 17 * row + 9, 4);
    const int32_t width = widths[row % 4], height = heights[row % 4];
    const int32_t depth = depths[row / 4];
    Check(6, [row, width, height, depth] {
      const rt::ScreenInfo info = rt::GetScreenInfo();
      EXPECT_EQ(info.width, width) << "row " << row;
      EXPECT_EQ(info.height, height) << "row " << row;
      EXPECT_EQ(info.depth, depth <= 16 ? 16 : 32) << "row " << row;
      EXPECT_EQ(Layout().screenDepth, info.depth);
    });
    Key({kEscape});
  }
  Run(false);
}

// A mode row answers over its key cap's column, from the first row's frame
// (y = 89) down to the last cap's bottom, each row from its cap's top to the
// next cap's. Beside the column a click opens nothing, and a typed C opens
// its mode; inside it the click's mode is open before the C arrives.
TEST_F(DispatchTest, ModeRowsAnswerOverTheirKeyCapColumnOnly) {
  struct Probe {
    int32_t x, y, width;
  };
  const Probe probes[] = {
      {406, 89, 640},   {424, 103, 640},  {406, 104, 800}, {424, 358, 1280},
      {405, 100, 1024}, {425, 100, 1024}, {415, 88, 1024}, {415, 359, 1024},
  };
  for (const Probe& probe : probes) {
    Click(probe.x, probe.y, 4);
    Key({'c'}, 4);
    Check(6, [probe] {
      EXPECT_EQ(rt::GetScreenInfo().width, probe.width) << "at " << probe.x << "," << probe.y;
    });
    Key({kEscape});
  }
  Run(false);
}

}  // namespace
}  // namespace wimmel::test
