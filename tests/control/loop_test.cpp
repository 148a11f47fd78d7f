// The program's loops on the headless display, driven by a timed script:
// the main loop, the start screen and the about pages ask to sleep when a
// pass found nothing to do, with the right deadline, and never when a pass
// handled a key or a click, moved the figures or turned one by steering. The headless wait returns
// at once, so what the program does is the same; the recorded waits show
// when it would have slept.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <limits>
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

constexpr double kForever = std::numeric_limits<double>::infinity();
constexpr uint32_t kEscape = rt::keys::kEscape;

// One wait for input the program asked for, and what the program had done
// by then.
struct Wait {
  double clock = 0;
  double deadline = 0;
  double due = 0;              // the figures' next step
  bool steppedInPass = false;  // a step between the pass's two looks
  bool leftDown = false;       // the left button, as the program will read it
  int32_t schalterN = 0, schalterC = 0, figures = 0;
  // The selected figure's steps and picture number at the wait, and whether
  // the pass changed them after its look at the mouse.
  std::array<int32_t, 3> heading{};
  bool turnedInPass = false;
};

// The selected figure's steps and picture number.
std::array<int32_t, 3> Heading() {
  const scene::FigureView f = View(Settings().GewaehlteFigur);
  return {f.SchrittX, f.SchrittY, f.Bildnummer};
}

class LoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProgramData();
    UseVirtualSoundDevice();
    rt::HeadlessConfig config;
    config.onPoll = [this] { Poll(); };
    config.onWait = [this](double deadline) { Record(deadline); };
    config.onConsole = [this](std::string_view text, bool newline) {
      line_ += text;
      if (newline) {
        console_.push_back(line_);
        line_.clear();
      }
    };
    rt::headless::Install(config);
  }

  // Something the script does once the program's clock has reached time.
  // An idle pass looks twice (the main loop at the mouse, then the keys;
  // the start screen the other way round) and then waits: secondLook puts
  // the action between the pass's second look and its wait, where the pass
  // has already looked at the kind of input the action brings.
  void At(double time, std::function<void()> action, bool secondLook = false) {
    actions_.push_back({time, secondLook, std::move(action)});
  }
  void KeysAt(double time, std::vector<uint32_t> codes, bool secondLook = false) {
    At(
        time,
        [codes] {
          for (uint32_t c : codes) rt::headless::PushKey(c);
        },
        secondLook);
  }

  // Runs the program until it ends; the script has to end it.
  void Run() {
    std::stable_sort(actions_.begin(), actions_.end(),
                     [](const Action& a, const Action& b) { return a.time < b.time; });
    EXPECT_EQ(ExitCodeOf([] { Haupt(0, nullptr); }), 0);
    for (const std::string& line : console_) {
      EXPECT_EQ(line.find("Taste"), std::string::npos) << "a failure message: " << line;
    }
  }

  // The waits asked for from time from on, before time to.
  std::vector<Wait> WaitsBetween(double from, double to) const {
    std::vector<Wait> found;
    for (const Wait& w : waits_) {
      if (w.clock >= from && w.clock < to) found.push_back(w);
    }
    return found;
  }

  std::vector<Wait> waits_;

 private:
  struct Action {
    double time;
    bool secondLook;
    std::function<void()> action;
  };

  void Poll() {
    dueBefore_ = dueNow_;
    dueNow_ = scene::NextStepDue();
    ++looksSinceWait_;
    headingBefore_ = headingNow_;
    headingNow_ = Heading();
    const double now = rt::headless::Clock();
    while (next_ < actions_.size() && actions_[next_].time <= now &&
           (!actions_[next_].secondLook || looksSinceWait_ == 2)) {
      actions_[next_++].action();
    }
    if (now > 30 && !gaveUp_) {
      gaveUp_ = true;
      ADD_FAILURE() << "the script did not end the program";
    }
    if (gaveUp_) rt::headless::PushKey(kEscape);
  }

  void Record(double deadline) {
    Wait w;
    w.clock = rt::headless::Clock();
    w.deadline = deadline;
    w.due = scene::NextStepDue();
    // A pass of the main loop looks at the mouse and then at the keys; a
    // different due time at the two looks means the pass made a step.
    w.steppedInPass = dueBefore_ != dueNow_;
    // The same for the main loop's steering, which comes between the looks.
    w.heading = Heading();
    w.turnedInPass = headingBefore_ != w.heading;
    w.leftDown = (rt::GetMouseState().buttons & 1) != 0;
    looksSinceWait_ = 0;
    w.schalterN = Settings().SchalterN;
    w.schalterC = Settings().SchalterC;
    w.figures = Settings().FigurenAnzahl;
    waits_.push_back(w);
  }

  ScratchFolder folder_;
  std::vector<Action> actions_;
  size_t next_ = 0;
  int looksSinceWait_ = 0;
  double dueBefore_ = 0, dueNow_ = 0;
  std::array<int32_t, 3> headingBefore_{}, headingNow_{};
  bool gaveUp_ = false;
  std::vector<std::string> console_;
  std::string line_;
};

TEST_F(LoopTest, MainLoopSleepsUntilTheNextStepButNotAfterAKeyAClickOrAStep) {
  ASSERT_TRUE(RequestStart(640, 480, 16, 3, -1));
  // Two keys at once, then one: every wait must come after all of them were
  // handled, so no pass waited with a key at hand.
  KeysAt(0.30, {'n', 'c'});
  KeysAt(0.40, {'n'});
  // A left click on the scene, held for 50 ms, that comes after the pass
  // looked at the mouse: the pass must not sleep on it. While the button is
  // held the loop waits for the release, for input alone.
  At(
      0.50, [] { rt::headless::SetMouse(5, 200, 1); }, true);
  At(0.55, [] { rt::headless::SetMouse(5, 200, 0); });
  // The right button held diagonally below the active figure steers it on
  // every pass. The first pass turns the figure, which goes up after the
  // key 9, and looks again at once; the passes after it change nothing and
  // wait for input.
  KeysAt(0.555, {'9'});
  At(0.56, [] {
    int32_t x = 0, y = 0, w = 0, h = 0;
    ASSERT_TRUE(FigureRectangle(Settings().AktiveFigur, x, y, w, h));
    rt::headless::SetMouse(x + w + 20 < 640 ? x + w + 20 : x - 20, 470, 2);
  });
  At(0.58, [] { rt::headless::SetMouse(5, 470, 0); });
  // The about pages wait for their keys, for input alone.
  KeysAt(0.60, {'a'});
  for (int page = 1; page <= 5; ++page) KeysAt(0.60 + 0.01 * page, {' '});
  KeysAt(0.70, {kEscape});
  KeysAt(0.80, {kEscape});
  Run();

  int timed = 0, wrongDeadline = 0, withKeyAtHand = 0, afterStep = 0, withClickAtHand = 0;
  for (const Wait& w : WaitsBetween(0, 0.70)) {
    if (w.deadline == kForever) continue;
    ++timed;
    if (w.deadline != w.due) ++wrongDeadline;
    if (w.steppedInPass) ++afterStep;
    if (w.leftDown) ++withClickAtHand;
    const int32_t n = w.clock < 0.30 ? 0 : (w.clock < 0.40 ? 1 : 0);
    const int32_t c = w.clock < 0.30 ? 0 : 1;
    if (w.schalterN != n || w.schalterC != c) ++withKeyAtHand;
  }
  EXPECT_GT(timed, 100) << "idle passes sleep until the next step";
  EXPECT_EQ(wrongDeadline, 0) << "the deadline is the next step's due time";
  EXPECT_EQ(withKeyAtHand, 0) << "a pass with a key does not wait";
  EXPECT_EQ(afterStep, 0) << "a pass that stepped looks again at once";
  EXPECT_EQ(withClickAtHand, 0) << "a click that came during a pass is handled at once";

  const std::vector<Wait> held = WaitsBetween(0.501, 0.55);
  EXPECT_GT(held.size(), 10u);
  EXPECT_TRUE(std::all_of(held.begin(), held.end(), [](const Wait& w) {
    return w.deadline == kForever;
  })) << "while the button is held the loop waits for its release alone";

  const std::vector<Wait> steering = WaitsBetween(0.56, 0.58);
  EXPECT_GT(std::count_if(steering.begin(), steering.end(),
                          [](const Wait& w) { return w.deadline == kForever; }),
            5)
      << "steering the way the figure goes waits for input";
  EXPECT_TRUE(std::none_of(steering.begin(), steering.end(), [](const Wait& w) {
    return w.turnedInPass;
  })) << "a pass that turns the figure looks again at once";
  const std::vector<Wait> before = WaitsBetween(0.50, 0.56);
  ASSERT_FALSE(before.empty());
  ASSERT_FALSE(steering.empty());
  EXPECT_NE(before.back().heading, steering.front().heading) << "the steering turned the figure";
  EXPECT_GT(WaitsBetween(0.581, 0.60).size(), 5u);

  const std::vector<Wait> about = WaitsBetween(0.601, 0.65);
  EXPECT_GT(about.size(), 10u);
  EXPECT_TRUE(std::all_of(about.begin(), about.end(), [](const Wait& w) {
    return w.deadline == kForever;
  })) << "the about pages wait for a key alone";

  const std::vector<Wait> start = WaitsBetween(0.71, 0.80);
  EXPECT_GT(start.size(), 10u);
  EXPECT_TRUE(std::all_of(start.begin(), start.end(), [](const Wait& w) {
    return w.deadline == kForever;
  })) << "the start screen without music waits for input alone";
}

TEST_F(LoopTest, WithMusicTheLoopsLookAfterItAtLeastEveryFiftyMilliseconds) {
  ASSERT_TRUE(RequestStart(640, 480, 16, 3, 1));
  // "Langsamer" up to the longest wait, 0.5 s, one key every other poll.
  for (int i = 0; i < 48; ++i) KeysAt(0.10 + 0.002 * i, {'-'});
  KeysAt(1.00, {kEscape});
  KeysAt(1.10, {kEscape});
  Run();

  int capped = 0, untilStep = 0, wrong = 0;
  for (const Wait& w : WaitsBetween(0.30, 1.00)) {
    const double expected = std::min(w.due, w.clock + 0.05);
    if (w.deadline != expected) ++wrong;
    if (w.deadline < w.due) ++capped;
    if (w.deadline == w.due) ++untilStep;
  }
  EXPECT_EQ(wrong, 0) << "until the next step, but at most 50 ms";
  EXPECT_GT(capped, 10);
  EXPECT_GT(untilStep, 0);

  const std::vector<Wait> start = WaitsBetween(1.01, 1.10);
  EXPECT_GT(start.size(), 10u);
  EXPECT_TRUE(std::all_of(start.begin(), start.end(), [](const Wait& w) {
    return w.deadline == w.clock + 0.05;
  })) << "the start screen looks after the intro every 50 ms";
}

// A sound library that only notes the files it opens; a stream plays on
// until it is closed.
class TrackRecorder final : public SoundLibrary {
 public:
  std::vector<std::string> opened;

  float GetVersion() override { return 3.74f; }
  uint8_t Init(int32_t, int32_t, uint32_t) override { return 1; }
  void Close() override {}
  uint8_t SetBufferSize(int32_t) override { return 1; }
  StreamHandle Open(const char* name, uint32_t, int32_t, int32_t) override {
    opened.emplace_back(name);
    return static_cast<StreamHandle>(opened.size());
  }
  int32_t Play(int32_t, StreamHandle) override { return 0; }
  uint8_t Stop(StreamHandle) override { return 1; }
  uint8_t CloseStream(StreamHandle) override { return 1; }
  uint32_t GetPosition(StreamHandle s) override { return s == 0 ? 0 : 1; }
  uint32_t GetLength(StreamHandle s) override { return s == 0 ? 0 : 1000000; }
};

TEST_F(LoopTest, TheScenePlaysASceneTrackAndTheStartScreenTheIntro) {
  // Outlives the program of the test case, which may still call it.
  static TrackRecorder recorder;
  recorder.opened.clear();
  SetSoundLibrary(&recorder);
  ASSERT_TRUE(RequestStart(640, 480, 16, 3, 1));
  KeysAt(0.30, {kEscape});
  KeysAt(0.40, {kEscape});
  Run();

  ASSERT_EQ(recorder.opened.size(), 2u) << "one track in the scene, the intro after it";
  const std::string& scene = recorder.opened[0];
  EXPECT_TRUE(scene == "musik\\Qum1_E.mp3" || scene == "musik\\Qum2_E.mp3" ||
              scene == "musik\\Qum3_F.mp3")
      << scene;
  EXPECT_EQ(recorder.opened[1], "musik\\Qum1_I.mp3");
}

TEST_F(LoopTest, StartScreenSleepsForInputButNotAfterAKeyOrWhileACapIsHeld) {
  // Two keys after the pass looked at the keys: it must not sleep on them.
  KeysAt(0.10, {'+', '+'}, true);
  // The "+" cap held for 0.7 s repeats through the click pause, not by
  // waiting for input.
  At(0.20, [] {
    const int32_t x = 430 + 5 * FontBreite(2) - 266 + 5, y = 90 + FontHoehe(2) - 13 + 5;
    rt::headless::SetMouse(x, y, 1);
  });
  At(0.90, [] { rt::headless::SetMouse(0, 0, 0); });
  KeysAt(1.00, {kEscape});
  Run();

  const std::vector<Wait> all = WaitsBetween(0, 1.00);
  EXPECT_GT(all.size(), 50u);
  EXPECT_TRUE(
      std::all_of(all.begin(), all.end(), [](const Wait& w) { return w.deadline == kForever; }));
  for (const Wait& w : all) {
    EXPECT_EQ(w.figures, w.clock < 0.10 ? 10 : (w.clock < 0.20 ? 12 : 15))
        << "a wait at " << w.clock << " with a key at hand";
  }
  EXPECT_TRUE(WaitsBetween(0.20, 0.90).empty()) << "a held cap repeats without waiting";
}

}  // namespace
}  // namespace wimmel::test
