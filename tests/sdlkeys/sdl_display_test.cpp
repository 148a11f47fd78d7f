// The display thread end to end on SDL's in-memory video driver: events
// pushed into SDL's queue must reach the runtime's key queue and mouse state
// through the thread, only while the program does not hold the screen lock,
// and screen modes must follow the desktop.
#include "runtime/sdl/sdl_display.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"
#include "runtime/sdl/sdl_input.h"

namespace rt = wimmel::rt;

namespace wimmel::rt::sdl {
namespace {

using namespace std::chrono_literals;

class SdlDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_RENDER_DRIVER", "software", 1);
    std::string error;
    auto display = MakeSdlDisplay(error);
    if (!display) GTEST_SKIP() << "no offscreen video driver: " << error;
    InstallDisplay(std::move(display));
    installed_ = true;
    desktop_ = GetScreenInfo();
  }
  void TearDown() override {
    if (!installed_) return;
    headless::Install();
  }

  // Reads keys until one arrives or a second has passed.
  static std::string NextKey() {
    const auto end = std::chrono::steady_clock::now() + 1s;
    while (std::chrono::steady_clock::now() < end) {
      std::string k = ReadKey();
      if (!k.empty()) return k;
      std::this_thread::sleep_for(2ms);
    }
    return "";
  }

  static void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }
  static SDL_Event Key(SDL_Keycode sym, SDL_Scancode sc, uint16_t mod = 0) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = sym;
    e.key.keysym.scancode = sc;
    e.key.keysym.mod = mod;
    return e;
  }
  static SDL_Event Window(uint8_t what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    return e;
  }

  bool installed_ = false;
  ScreenInfo desktop_;
};

TEST_F(SdlDisplayTest, DesktopBeforeAnyScreenAndTheOfferedModes) {
  EXPECT_GT(desktop_.width, 0);
  EXPECT_GT(desktop_.height, 0);
  EXPECT_TRUE(desktop_.depth == 24 || desktop_.depth == 32 || desktop_.depth == 16)
      << desktop_.depth;
  EXPECT_EQ(desktop_.driver, "");
  const uint32_t sizes[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  for (int32_t depth : {15, 16, 24, 32}) {
    std::vector<uint32_t> want, got;
    for (const auto& s : sizes) {
      if (s[0] <= static_cast<uint32_t>(desktop_.width) &&
          s[1] <= static_cast<uint32_t>(desktop_.height)) {
        want.push_back(s[0] << 16 | s[1]);
      }
    }
    for (uint32_t m = ListScreenModes(depth); m != 0; m = ListScreenModes(0)) got.push_back(m);
    EXPECT_EQ(got, want) << "depth " << depth;
  }
  EXPECT_EQ(ListScreenModes(8), 0u);
}

TEST_F(SdlDisplayTest, ScreenInfoAfterAModeChange) {
  ASSERT_EQ(SetScreenMode(18, 15, 0, 1, 0), 0);
  ScreenInfo info = GetScreenInfo();
  EXPECT_EQ(info.width, 640);
  EXPECT_EQ(info.height, 480);
  EXPECT_EQ(info.depth, 16);
  EXPECT_EQ(info.driver, "offscreen");
  ASSERT_EQ(SetScreenMode(18, 24, 0, 1, 0), 0);
  info = GetScreenInfo();
  EXPECT_EQ(info.depth, 32);
  EXPECT_EQ(info.driver, "offscreen");
}

TEST_F(SdlDisplayTest, KeysArriveThroughTheThread) {
  ASSERT_EQ(SetScreenMode(18, 16, 0, 1, 0), 0);
  Push(Key(SDLK_F1, SDL_SCANCODE_F1));
  EXPECT_EQ(NextKey(), "\xFF;");
  SDL_Event text{};
  text.type = SDL_TEXTINPUT;
  std::strcpy(text.text.text, "\xC3\xA4");
  Push(text);
  EXPECT_EQ(NextKey(), "\x84");
  Push(Key(SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL));
  EXPECT_EQ(NextKey(), "\x03");
  Push(Key(SDLK_a, SDL_SCANCODE_A, KMOD_LALT));
  Push(Key(SDLK_F10, SDL_SCANCODE_F10));
  Push(Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE));
  EXPECT_EQ(NextKey(), "\x1B");  // the two before it gave nothing
}

TEST_F(SdlDisplayTest, CloseRequestsBecomeAKeyAndTheWindowStays) {
  ASSERT_EQ(SetScreenMode(18, 16, 0, 1, 0), 0);
  Push(Window(SDL_WINDOWEVENT_CLOSE));
  EXPECT_EQ(NextKey(), "\xFFk");
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  Push(quit);
  EXPECT_EQ(NextKey(), "\xFFk");
  // The display still runs: another key arrives.
  Push(Key(SDLK_UP, SDL_SCANCODE_UP));
  EXPECT_EQ(NextKey(), "\xFFH");
}

TEST_F(SdlDisplayTest, NothingHappensWhileTheProgramHoldsTheLock) {
  ASSERT_EQ(SetScreenMode(18, 16, 0, 1, 0), 0);
  std::this_thread::sleep_for(50ms);
  LockScreen();
  DrawLine(nullptr, 0, 0, 639, 479, 0xFFFF0000, 2);
  // A frame uploaded before the lock was taken may still be on its way to
  // the window; let it land before counting (on a busy machine that can
  // take a while, so wait until the count stands still).
  SdlDisplayStats before = GetSdlDisplayStats();
  for (int stable = 0, rounds = 0; stable < 3 && rounds < 60; ++rounds) {
    std::this_thread::sleep_for(50ms);
    const SdlDisplayStats now = GetSdlDisplayStats();
    stable = now.presents == before.presents ? stable + 1 : 0;
    before = now;
  }
  Push(Key(SDLK_F2, SDL_SCANCODE_F2));
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(ReadKey(), "");
  const SdlDisplayStats held = GetSdlDisplayStats();
  EXPECT_EQ(held.presents, before.presents);
  EXPECT_EQ(held.rowsUploaded, before.rowsUploaded);
  UnlockScreen();
  EXPECT_EQ(NextKey(), "\xFF<");
  const auto end = std::chrono::steady_clock::now() + 1s;
  while (GetSdlDisplayStats().presents == held.presents && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(2ms);
  }
  const SdlDisplayStats after = GetSdlDisplayStats();
  EXPECT_GT(after.presents, held.presents);
  EXPECT_EQ(after.rowsUploaded - held.rowsUploaded, 480u);
}

TEST_F(SdlDisplayTest, MouseThroughTheThread) {
  ASSERT_EQ(SetScreenMode(18, 16, 0, 1, 0), 0);
  // The window covers the desktop; the picture lies where the placement says.
  const Placement p = PlaceScreen(desktop_.width, desktop_.height, 640, 480);
  const int32_t k = p.w / 640;
  ASSERT_GE(k, 1);
  Push(Window(SDL_WINDOWEVENT_FOCUS_GAINED));
  Push(Window(SDL_WINDOWEVENT_ENTER));
  SDL_Event move{};
  move.type = SDL_MOUSEMOTION;
  move.motion.x = p.x + 10 * k;
  move.motion.y = p.y + 20 * k;
  SDL_Event down{};
  down.type = SDL_MOUSEBUTTONDOWN;
  down.button.button = SDL_BUTTON_RIGHT;
  Push(down);
  // While the new window settles the display takes the host's pointer
  // (which these pushed events do not move) as the newer news, so the
  // motion is repeated until the window has settled.
  int32_t x = 0, y = 0, wheel = 0, buttons = 0, clip = 0;
  const auto end = std::chrono::steady_clock::now() + 3s;
  int32_t r = 1;
  while ((r != 0 || x != 10 || y != 20 || buttons != 2) && std::chrono::steady_clock::now() < end) {
    Push(move);
    std::this_thread::sleep_for(20ms);
    r = ReadMouse(x, y, wheel, buttons, clip);
  }
  EXPECT_EQ(r, 0);
  EXPECT_EQ(x, 10);
  EXPECT_EQ(y, 20);
  EXPECT_EQ(wheel, 0);
  EXPECT_EQ(buttons, 2);
  EXPECT_EQ(clip, 0);

  Push(Window(SDL_WINDOWEVENT_FOCUS_LOST));
  const auto end2 = std::chrono::steady_clock::now() + 1s;
  while (r == 0 && std::chrono::steady_clock::now() < end2) {
    r = ReadMouse(x, y, wheel, buttons, clip);
    std::this_thread::sleep_for(2ms);
  }
  EXPECT_EQ(r, 1);
  EXPECT_EQ(x, -1);
  EXPECT_EQ(y, -1);
  EXPECT_EQ(wheel, -1);
  EXPECT_EQ(buttons, -1);
  EXPECT_EQ(clip, -1);
}

// The colour a window pixel must have for a stored screen pixel: 32-bit
// pixels as they are, 5-6-5 ones with each component's bits repeated into
// the low bits (white stays white, every step of green shows).
uint32_t WindowColour(uint32_t stored, int32_t bytesPerPixel) {
  if (bytesPerPixel == 4) return stored & 0xFFFFFF;
  const uint32_t r = stored >> 11 & 31, g = stored >> 5 & 63, b = stored & 31;
  return (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

// How many window pixels differ from the screen's picture placed in the
// window with black around it; the first few go into where.
int64_t WrongPixels(const WindowPixels& w, std::string& where) {
  const ScreenInfo info = GetScreenInfo();
  const Placement p = PlaceScreen(w.width, w.height, info.width, info.height);
  int64_t wrong = 0;
  for (int32_t y = 0; y < w.height; ++y) {
    for (int32_t x = 0; x < w.width; ++x) {
      uint32_t want = 0;
      if (x >= p.x && y >= p.y && x < p.x + p.w && y < p.y + p.h) {
        const int32_t sx = static_cast<int32_t>(int64_t{x - p.x} * info.width / p.w);
        const int32_t sy = static_cast<int32_t>(int64_t{y - p.y} * info.height / p.h);
        want = WindowColour(GetPixel(ScreenImage(), sx, sy), info.bytesPerPixel);
      }
      const uint32_t got = w.pixels[static_cast<size_t>(y) * w.width + x] & 0xFFFFFF;
      if (got != want && ++wrong <= 3) {
        char text[80];
        std::snprintf(text, sizeof text, " (%d, %d) is %06X, not %06X;", x, y, got, want);
        where += text;
      }
    }
  }
  return wrong;
}

// Waits until the display has made a few more passes.
void WaitForPasses(uint64_t passes) {
  const uint64_t from = GetSdlDisplayStats().ticks;
  const auto end = std::chrono::steady_clock::now() + 2s;
  while (GetSdlDisplayStats().ticks < from + passes && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(2ms);
  }
}

// The window shows the screen exactly, in 16 and 32 bits, and shows it
// whole again after the window changed (its surface is made anew, black,
// and must get the whole picture even though the program draws nothing).
TEST_F(SdlDisplayTest, TheWindowShowsTheScreenExactlyAlsoAfterAWindowChange) {
  for (int32_t depth : {16, 32}) {
    ASSERT_EQ(SetScreenMode(18, depth, 0, 1, 0), 0);
    // Colours with the lowest bits of their components set, the lowest
    // green step of 5-6-5 among them, as 64-pixel squares.
    const uint32_t colours[] = {0xFF000400, 0xFF0800F8, 0xFF123456, 0xFFFFFFFF, 0xFF84FC10};
    LockScreen();
    for (int32_t i = 0; i < 5; ++i) {
      DrawLine(nullptr, 40 + 100 * i, 100, 103 + 100 * i, 163, colours[i], 2);
    }
    UnlockScreen();
    std::string where;
    int64_t wrong = -1;
    WindowPixels w;
    const auto end = std::chrono::steady_clock::now() + 2s;
    while (wrong != 0 && std::chrono::steady_clock::now() < end) {
      w = ReadWindowPixels();
      ASSERT_GT(w.width, 0) << "the window's pixels cannot be read";
      where.clear();
      wrong = WrongPixels(w, where);
    }
    EXPECT_EQ(wrong, 0) << depth << " bits:" << where;

    Push(Window(SDL_WINDOWEVENT_SIZE_CHANGED));
    WaitForPasses(3);
    w = ReadWindowPixels();
    where.clear();
    EXPECT_EQ(WrongPixels(w, where), 0) << depth << " bits, after a window change:" << where;
  }
}

TEST_F(SdlDisplayTest, EndingTheDisplayEndsItsThread) {
  ASSERT_EQ(SetScreenMode(18, 32, 0, 1, 0), 0);
  const int32_t tid = GetSdlDisplayStats().threadId;
  ASSERT_NE(tid, 0);
  const std::filesystem::path task = "/proc/self/task/" + std::to_string(tid);
  ASSERT_TRUE(std::filesystem::exists(task));
  headless::Install();
  installed_ = false;
  // The join returns once the thread has left its code; the kernel removes
  // its task a moment later, which is waited for. A display thread that was
  // let go rather than joined is still running then.
  const auto end = std::chrono::steady_clock::now() + 1s;
  while (std::filesystem::exists(task) && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_FALSE(std::filesystem::exists(task)) << "the display thread still runs";
}

}  // namespace
}  // namespace wimmel::rt::sdl
