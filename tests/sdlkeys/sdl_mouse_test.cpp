// Where the screen picture lies in the window, and how pointer, buttons,
// wheel and focus become the runtime's mouse state.
#include <gtest/gtest.h>

#include <cstdlib>

#include "runtime/sdl/sdl_input.h"

namespace rt = wimmel::rt;

namespace wimmel::rt::sdl {
namespace {

void ExpectPlacement(const Placement& p, int32_t x, int32_t y, int32_t w, int32_t h) {
  EXPECT_EQ(p.x, x);
  EXPECT_EQ(p.y, y);
  EXPECT_EQ(p.w, w);
  EXPECT_EQ(p.h, h);
}

TEST(PlaceScreen, WholeNumberStepsCentred) {
  ExpectPlacement(PlaceScreen(1280, 1024, 640, 480), 0, 32, 1280, 960);
  ExpectPlacement(PlaceScreen(1920, 1080, 640, 480), 320, 60, 1280, 960);
  ExpectPlacement(PlaceScreen(1920, 1080, 800, 600), 560, 240, 800, 600);
  ExpectPlacement(PlaceScreen(1280, 1024, 1280, 1024), 0, 0, 1280, 1024);
  ExpectPlacement(PlaceScreen(3840, 2160, 640, 480), 640, 120, 2560, 1920);
  // Odd room: the extra pixel goes right and below.
  ExpectPlacement(PlaceScreen(641, 481, 640, 480), 0, 0, 640, 480);
}

TEST(PlaceScreen, LargestFitWhenNotEvenOneToOneFits) {
  // Height limits: 1024 * 0.75 = 768.
  ExpectPlacement(PlaceScreen(1024, 768, 1280, 1024), 32, 0, 960, 768);
  // Width limits.
  ExpectPlacement(PlaceScreen(800, 1000, 1024, 768), 0, 200, 800, 600);
}

TEST(PlaceScreen, EverySizeStaysInsideAndKeepsTheAspect) {
  const int32_t screens[][2] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};
  for (const auto& s : screens) {
    for (int32_t outW = 100; outW <= 4000; outW += 97) {
      for (int32_t outH = 100; outH <= 3000; outH += 89) {
        const Placement p = PlaceScreen(outW, outH, s[0], s[1]);
        ASSERT_GE(p.x, 0);
        ASSERT_GE(p.y, 0);
        ASSERT_LE(p.x + p.w, outW);
        ASSERT_LE(p.y + p.h, outH);
        // Centred to the pixel.
        ASSERT_LE(std::abs((outW - p.w) - 2 * p.x), 1);
        ASSERT_LE(std::abs((outH - p.h) - 2 * p.y), 1);
        // The aspect is kept to within a pixel, and one side fills the room
        // unless a whole-number step left a gap smaller than one step.
        ASSERT_LE(std::abs(int64_t{p.w} * s[1] - int64_t{p.h} * s[0]), int64_t{s[0]} + s[1]);
        if (p.w >= s[0]) {
          ASSERT_EQ(p.w % s[0], 0);
          ASSERT_EQ(p.w / s[0], p.h / s[1]);
          ASSERT_TRUE(outW - p.w < s[0] || outH - p.h < s[1]);
        } else {
          ASSERT_TRUE(p.w == outW || p.h == outH);
        }
      }
    }
  }
}

TEST(PlaceScreen, NothingForAnEmptyRoomOrScreen) {
  ExpectPlacement(PlaceScreen(0, 768, 640, 480), 0, 0, 0, 0);
  ExpectPlacement(PlaceScreen(1024, 768, 0, 480), 0, 0, 0, 0);
}

// ---------------------------------------------------------------- mouse

SDL_Event MouseMove(int32_t x, int32_t y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = x;
  e.motion.y = y;
  return e;
}
SDL_Event Button(bool down, uint8_t button, int32_t x = 5, int32_t y = 5) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = button;
  e.button.x = x;
  e.button.y = y;
  return e;
}
SDL_Event Wheel(int32_t y, bool flipped = false) {
  SDL_Event e{};
  e.type = SDL_MOUSEWHEEL;
  e.wheel.y = y;
  e.wheel.direction = flipped ? SDL_MOUSEWHEEL_FLIPPED : SDL_MOUSEWHEEL_NORMAL;
  return e;
}
SDL_Event Window(uint8_t what) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = what;
  return e;
}

// 640 x 480 doubled on a 1280 x 1024 desktop.
MouseGeometry Doubled() {
  MouseGeometry g;
  g.picture = PlaceScreen(1280, 1024, 640, 480);
  g.screenW = 640;
  g.screenH = 480;
  return g;
}

class MouseInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    mouse.Handle(Window(SDL_WINDOWEVENT_SHOWN));
    mouse.Handle(Window(SDL_WINDOWEVENT_FOCUS_GAINED));
    mouse.Handle(Window(SDL_WINDOWEVENT_ENTER));
  }
  MouseState At(int32_t x, int32_t y) {
    mouse.Handle(MouseMove(x, y));
    return mouse.State(Doubled());
  }
  MouseInput mouse;
};

TEST_F(MouseInputTest, PositionsThroughTheScaling) {
  struct Case {
    int32_t wx, wy, sx, sy;
  };
  const Case cases[] = {{0, 32, 0, 0},        {1, 33, 0, 0},         {2, 34, 1, 1},
                        {640, 512, 320, 240}, {1279, 991, 639, 479}, {1278, 990, 639, 479}};
  for (const Case& c : cases) {
    const MouseState s = At(c.wx, c.wy);
    EXPECT_TRUE(s.inside) << c.wx << "," << c.wy;
    EXPECT_TRUE(s.active);
    EXPECT_EQ(s.x, c.sx) << c.wx << "," << c.wy;
    EXPECT_EQ(s.y, c.sy) << c.wx << "," << c.wy;
    EXPECT_EQ(s.clip, 0);
  }
}

TEST_F(MouseInputTest, TheBlackBorderIsOutside) {
  for (auto [x, y] : {std::pair{640, 31}, std::pair{640, 0}, std::pair{640, 992},
                      std::pair{0, 1023}, std::pair{-1, 500}, std::pair{1280, 500}}) {
    EXPECT_FALSE(At(x, y).inside) << x << "," << y;
  }
  EXPECT_TRUE(At(640, 32).inside);
}

TEST_F(MouseInputTest, NonIntegerScalingRoundsDown) {
  MouseGeometry g;
  g.picture = PlaceScreen(1024, 768, 1280, 1024);  // (32, 0) 960 x 768
  g.screenW = 1280;
  g.screenH = 1024;
  mouse.Handle(MouseMove(32, 0));
  EXPECT_EQ(mouse.State(g).x, 0);
  mouse.Handle(MouseMove(991, 767));
  const MouseState s = mouse.State(g);
  EXPECT_TRUE(s.inside);
  EXPECT_EQ(s.x, 1279);
  EXPECT_EQ(s.y, 1023);
  mouse.Handle(MouseMove(31, 100));
  EXPECT_FALSE(mouse.State(g).inside);
}

TEST_F(MouseInputTest, HighDensityWindowCoordinates) {
  // A window of 640 x 512 points drawn with 1280 x 1024 pixels.
  MouseGeometry g = Doubled();
  g.toOutputX = 2.0;
  g.toOutputY = 2.0;
  mouse.Handle(MouseMove(320, 256));
  MouseState s = mouse.State(g);
  EXPECT_TRUE(s.inside);
  EXPECT_EQ(s.x, 320);
  EXPECT_EQ(s.y, 240);
  mouse.Handle(MouseMove(320, 15));
  EXPECT_FALSE(mouse.State(g).inside);
}

TEST_F(MouseInputTest, ButtonBits) {
  At(640, 512);
  const std::pair<uint8_t, int32_t> bits[] = {{SDL_BUTTON_LEFT, 1},
                                              {SDL_BUTTON_RIGHT, 2},
                                              {SDL_BUTTON_MIDDLE, 4},
                                              {SDL_BUTTON_X1, 8},
                                              {SDL_BUTTON_X2, 16}};
  int32_t held = 0;
  for (auto [button, bit] : bits) {
    mouse.Handle(Button(true, button));
    held |= bit;
    EXPECT_EQ(mouse.State(Doubled()).buttons, held) << int(button);
  }
  mouse.Handle(Button(false, SDL_BUTTON_RIGHT));
  EXPECT_EQ(mouse.State(Doubled()).buttons, 1 | 4 | 8 | 16);
  for (auto [button, bit] : bits) mouse.Handle(Button(false, button));
  EXPECT_EQ(mouse.State(Doubled()).buttons, 0);
}

TEST_F(MouseInputTest, APressAndReleaseInOneBatchShowsTheButtonOnce) {
  At(640, 512);
  mouse.Handle(Button(true, SDL_BUTTON_LEFT));
  mouse.Handle(Button(false, SDL_BUTTON_LEFT));
  EXPECT_EQ(mouse.State(Doubled()).buttons, 1);
  EXPECT_EQ(mouse.State(Doubled()).buttons, 0);
}

TEST_F(MouseInputTest, ButtonsKeepThePositionOfTheLastMotion) {
  At(640, 512);
  mouse.Handle(Button(true, SDL_BUTTON_LEFT, 10, 500));
  const MouseState s = mouse.State(Doubled());
  EXPECT_EQ(s.x, 320);
  EXPECT_EQ(s.y, 240);
}

TEST_F(MouseInputTest, WheelCountsEventsAwayFromTheUser) {
  At(640, 512);
  mouse.Handle(Wheel(1));
  mouse.Handle(Wheel(3));  // a fast turn is still one event
  EXPECT_EQ(mouse.State(Doubled()).wheel, 2);
  mouse.Handle(Wheel(-1));
  mouse.Handle(Wheel(1, true));  // flipped: toward the user
  mouse.Handle(Wheel(0));        // sideways only
  EXPECT_EQ(mouse.State(Doubled()).wheel, 0);
  mouse.Handle(Wheel(-2));
  EXPECT_EQ(mouse.State(Doubled()).wheel, -1);
}

TEST_F(MouseInputTest, FocusAndLeavingTheWindow) {
  EXPECT_TRUE(At(640, 512).inside);
  mouse.Handle(Window(SDL_WINDOWEVENT_LEAVE));
  EXPECT_FALSE(mouse.State(Doubled()).inside);
  mouse.Handle(Window(SDL_WINDOWEVENT_ENTER));
  EXPECT_TRUE(mouse.State(Doubled()).inside);
  mouse.Handle(Window(SDL_WINDOWEVENT_FOCUS_LOST));
  EXPECT_FALSE(mouse.State(Doubled()).active);
  mouse.Handle(Window(SDL_WINDOWEVENT_FOCUS_GAINED));
  EXPECT_TRUE(mouse.State(Doubled()).active);
}

TEST_F(MouseInputTest, PointerPlacedByTheHost) {
  mouse.SetPointer(640, 512, true);
  EXPECT_TRUE(mouse.State(Doubled()).inside);
  EXPECT_EQ(mouse.State(Doubled()).x, 320);
  mouse.SetPointer(-20, 512, false);
  EXPECT_FALSE(mouse.State(Doubled()).inside);
}

TEST(MouseInput, NoPositionBeforeTheFirstMotion) {
  MouseInput mouse;
  mouse.Handle(Window(SDL_WINDOWEVENT_FOCUS_GAINED));
  mouse.Handle(Window(SDL_WINDOWEVENT_ENTER));
  EXPECT_FALSE(mouse.State(Doubled()).inside);
  mouse.Handle(Wheel(1));
  mouse.Handle(Button(true, SDL_BUTTON_LEFT));
  mouse.Reset();
  const MouseState s = mouse.State(Doubled());
  EXPECT_EQ(s.wheel, 0);
  EXPECT_EQ(s.buttons, 0);
  EXPECT_FALSE(s.active);
}

}  // namespace
}  // namespace wimmel::rt::sdl
