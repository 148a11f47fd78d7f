// Keys, mouse, timer and sleep on the headless display with its virtual
// clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "runtime/display.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

namespace {

const std::string kF1 = "\xFF;";

class Input : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0); }
};

TEST_F(Input, KeyStrings) {
  rt::headless::PushKey('a');
  rt::headless::PushKey(132);  // ä in code page 437
  rt::headless::PushKey(0x3BFF);
  rt::headless::PushKey(0x6BFF);
  rt::headless::PushKey(27);
  rt::headless::PushKey(255);
  EXPECT_EQ(rt::ReadKey(), "a");
  EXPECT_EQ(rt::ReadKey(), "\x84");
  EXPECT_EQ(rt::ReadKey(), kF1);
  EXPECT_EQ(rt::ReadKey(), "\xFFk");
  EXPECT_EQ(rt::ReadKey(), "\x1B");
  EXPECT_EQ(rt::ReadKey(), "\xFF") << "code 255 is a plain character";
  EXPECT_EQ(rt::ReadKey(), "");
  EXPECT_EQ(rt::ReadKey(), "");
}

TEST_F(Input, SixteenKeysLeaveTheLastFifteen) {
  for (uint32_t k = 0; k < 16; ++k) rt::headless::PushKey('A' + k);
  std::string got;
  for (std::string k = rt::ReadKey(); !k.empty(); k = rt::ReadKey()) got += k;
  EXPECT_EQ(got, "BCDEFGHIJKLMNOP");
  for (uint32_t k = 0; k < 40; ++k) rt::headless::PushKey('a' + k % 26);
  got.clear();
  for (std::string k = rt::ReadKey(); !k.empty(); k = rt::ReadKey()) got += k;
  EXPECT_EQ(got, "zabcdefghijklmn");
}

TEST_F(Input, KeyHitFlagIsSetByQueueingAndClearedByReading) {
  EXPECT_FALSE(rt::KeyHitFlag());
  rt::QueueKeyCode('x');
  EXPECT_TRUE(rt::KeyHitFlag());
  EXPECT_EQ(rt::ReadKey(), "x");
  EXPECT_FALSE(rt::KeyHitFlag());
}

TEST_F(Input, EveryReadPollsTheDisplayAndAdvancesTheClock) {
  int polls = 0;
  rt::headless::SetOnPoll([&] {
    if (++polls == 3) rt::headless::PushKey('q');
  });
  const double start = rt::TimerSeconds();
  EXPECT_EQ(rt::ReadKey(), "");
  int32_t x, y, w, b, c;
  rt::ReadMouse(x, y, w, b, c);
  EXPECT_EQ(rt::ReadKey(), "q") << "a key fed during the poll is read by the same call";
  EXPECT_EQ(polls, 3);
  EXPECT_DOUBLE_EQ(rt::TimerSeconds() - start, 0.003);
}

TEST_F(Input, MouseOutsideOrInactiveGivesMinusOne) {
  int32_t x = 7, y = 7, w = 7, b = 7, c = 7;
  EXPECT_EQ(rt::ReadMouse(x, y, w, b, c), 1) << "before any mouse line the pointer is outside";
  EXPECT_EQ(x, -1);
  EXPECT_EQ(y, -1);
  EXPECT_EQ(w, -1);
  EXPECT_EQ(b, -1);
  EXPECT_EQ(c, -1);
  rt::headless::SetMouse(120, 33, 1);
  ASSERT_EQ(rt::ReadMouse(x, y, w, b, c), 0);
  EXPECT_EQ(x, 120);
  EXPECT_EQ(y, 33);
  EXPECT_EQ(b & 1, 1);
  EXPECT_EQ(w, 0);
  rt::headless::MouseOut();
  EXPECT_EQ(rt::ReadMouse(x, y, w, b, c), 1);
  EXPECT_EQ(x, -1);
  EXPECT_EQ(b, -1);
  rt::MouseState m;
  m.x = 5;
  m.y = 6;
  m.inside = true;
  m.active = false;
  rt::SetMouseState(m);
  EXPECT_EQ(rt::ReadMouse(x, y, w, b, c), 1) << "an inactive window gives no mouse";
}

TEST_F(Input, AClickShorterThanOneLookIsStillSeenOnce) {
  int32_t x = 0, y = 0, w = 0, b = 0, c = 0;
  rt::headless::SetMouse(50, 60, 0);
  // Pressed and released before the program looked: the next look sees the
  // button down, the one after it up.
  rt::headless::SetMouse(50, 60, 1);
  rt::headless::SetMouse(50, 60, 0);
  ASSERT_EQ(rt::ReadMouse(x, y, w, b, c), 0);
  EXPECT_EQ(b, 1);
  ASSERT_EQ(rt::ReadMouse(x, y, w, b, c), 0);
  EXPECT_EQ(b, 0);
  // A button already seen down is released at once.
  rt::headless::SetMouse(50, 60, 2);
  ASSERT_EQ(rt::ReadMouse(x, y, w, b, c), 0);
  EXPECT_EQ(b, 2);
  rt::headless::SetMouse(50, 60, 0);
  ASSERT_EQ(rt::ReadMouse(x, y, w, b, c), 0);
  EXPECT_EQ(b, 0);
  // A quick right click while the left button stays held keeps the left one.
  rt::headless::SetMouse(50, 60, 1);
  ASSERT_EQ(rt::ReadMouse(x, y, w, b, c), 0);
  rt::headless::SetMouse(50, 60, 3);
  rt::headless::SetMouse(50, 60, 1);
  ASSERT_EQ(rt::ReadMouse(x, y, w, b, c), 0);
  EXPECT_EQ(b, 3);
  ASSERT_EQ(rt::ReadMouse(x, y, w, b, c), 0);
  EXPECT_EQ(b, 1);
}

TEST_F(Input, ShortSleepIsNeverCutShort) {
  rt::headless::PushKey('k');
  const double start = rt::TimerSeconds();
  rt::SleepMs(99);
  EXPECT_NEAR(rt::TimerSeconds() - start, 0.099, 1e-9);
  EXPECT_EQ(rt::ReadKey(), "k");
  const double t = rt::TimerSeconds();
  rt::SleepMs(0);
  rt::SleepMs(-5);
  rt::SleepMs(INT32_MIN);
  EXPECT_EQ(rt::TimerSeconds(), t) << "zero and negative sleeps return at once";
}

TEST_F(Input, LongSleepEndsSoonAfterAKeyAndKeepsIt) {
  const double start = rt::TimerSeconds();
  double pressed = -1;
  rt::headless::SetOnPoll([&] {
    if (pressed < 0 && rt::TimerSeconds() - start >= 0.180) {
      pressed = rt::TimerSeconds();
      rt::headless::PushKey('s');
    }
  });
  rt::SleepMs(500);
  ASSERT_GE(pressed, 0);
  EXPECT_LE(rt::TimerSeconds() - pressed, 0.050 + 1e-9);
  EXPECT_LT(rt::TimerSeconds() - start, 0.5);
  rt::headless::SetOnPoll(nullptr);
  EXPECT_EQ(rt::ReadKey(), "s") << "the key stays queued";
}

TEST_F(Input, LongSleepWithoutKeysLastsItsTime) {
  const double start = rt::TimerSeconds();
  rt::SleepMs(500);
  EXPECT_NEAR(rt::TimerSeconds() - start, 0.5, 1e-9);
  const double again = rt::TimerSeconds();
  rt::SleepMs(123);
  EXPECT_NEAR(rt::TimerSeconds() - again, 0.123, 1e-9);
}

TEST_F(Input, LongSleepOnlyNoticesKeysSinceTheFlagWasCleared) {
  // A key queued before the sleep sets the hit flag; the first check finds
  // it and ends the sleep. Once the flag has been cleared by ReadKey, a key
  // still waiting from earlier does not cut the next sleep short.
  rt::headless::PushKey('1');
  rt::headless::PushKey('2');
  double start = rt::TimerSeconds();
  rt::SleepMs(1000);
  EXPECT_LT(rt::TimerSeconds() - start, 0.01);
  EXPECT_EQ(rt::ReadKey(), "1");
  start = rt::TimerSeconds();
  rt::SleepMs(300);
  EXPECT_NEAR(rt::TimerSeconds() - start, 0.3, 1e-9);
  EXPECT_EQ(rt::ReadKey(), "2");
}

TEST_F(Input, WaitForKeyChecksEveryFiftyMilliseconds) {
  int polls = 0;
  rt::headless::SetOnPoll([&] {
    if (++polls == 5) rt::headless::PushKey('w');
  });
  const double start = rt::TimerSeconds();
  rt::SleepMs(-1);
  EXPECT_EQ(polls, 5);
  EXPECT_NEAR(rt::TimerSeconds() - start, 4 * 0.050 + 5 * 0.001, 1e-9);
  rt::headless::SetOnPoll(nullptr);
  EXPECT_EQ(rt::ReadKey(), "w");
}

TEST_F(Input, ClockIsVirtualAndSettable) {
  rt::headless::SetClock(100.0);
  EXPECT_DOUBLE_EQ(rt::TimerSeconds(), 100.0);
  rt::headless::AdvanceClock(2.5);
  EXPECT_DOUBLE_EQ(rt::headless::Clock(), 102.5);
  rt::HeadlessConfig cfg;
  cfg.pollTick = 0.25;
  rt::headless::Install(cfg);
  rt::ReadKey();
  rt::ReadKey();
  EXPECT_DOUBLE_EQ(rt::TimerSeconds(), 0.5);
}

TEST(InputBeforeScreen, QueueWorksAndNoTerminalGivesNothing) {
  // Under CTest standard input is not a terminal, so the console keyboard
  // answers "" at once instead of blocking.
  if (!isatty(0)) {
    EXPECT_EQ(rt::ReadKey(), "");
  }
  rt::headless::PushKey('e');
  EXPECT_EQ(rt::ReadKey(), "e");
  int32_t x, y, w, b, c;
  rt::headless::SetMouse(1, 1, 0);
  EXPECT_EQ(rt::ReadMouse(x, y, w, b, c), 1) << "no window, no mouse";
}

TEST(InputBeforeScreen, WaitForKeyLooksAtTheTerminalAgainAfterAWhile) {
  if (isatty(0)) GTEST_SKIP() << "the terminal would be read";
  int polls = 0;
  rt::headless::SetOnPoll([&] {
    if (++polls == 3) rt::headless::PushKey('k');
  });
  std::vector<double> waits;
  rt::headless::SetOnWait([&](double deadline) { waits.push_back(deadline); });
  EXPECT_EQ(rt::WaitForKey(), "k");
  // Without a screen the display does not see the terminal's keys, so no
  // wait may last until input arrives.
  ASSERT_EQ(waits.size(), 2u);
  EXPECT_NEAR(waits[0], 0.001 + 0.05, 1e-9);
  EXPECT_NEAR(waits[1], 0.002 + 0.05, 1e-9);
}

TEST(InputDisplay, InstallingADisplayClearsItsInput) {
  rt::headless::PushKey('z');
  rt::headless::Install();
  EXPECT_FALSE(rt::KeyHitFlag());
  ASSERT_EQ(rt::SetScreenMode(18, 16, 0, 1, 0), 0);
  EXPECT_EQ(rt::ReadKey(), "");
}

TEST(InputDisplay, InstallingADisplayForgetsAMouseChange) {
  rt::headless::SetMouse(3, 4, 0);
  EXPECT_TRUE(rt::InputWaiting());
  rt::headless::Install();
  EXPECT_FALSE(rt::InputWaiting()) << "the change belonged to the old display";
}

}  // namespace
