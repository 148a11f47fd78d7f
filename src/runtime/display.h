// The display behind the runtime: where the framebuffer is shown and where
// keys and mouse state come from. Two implementations exist: the headless
// display (framebuffer in memory, input and clock driven by tests or a script)
// and the SDL display (a window thread). The runtime owns the framebuffer,
// the key queue and the mouse state; a display only feeds and shows them.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "audio.h"
#include "owned.h"
#include "runtime.h"

namespace wimmel::rt {

struct DesktopMode {
  int32_t width = 1280;
  int32_t height = 1024;
  int32_t depth = 32;
};

class Display {
 public:
  virtual ~Display() = default;
  virtual DesktopMode Desktop() = 0;
  // Whether a full-screen size is offered at the given requested depth (15, 16, 24, 32).
  virtual bool Offers(int32_t width, int32_t height, int32_t depth) = 0;
  // Called (without the screen lock held) after the runtime made a new
  // framebuffer of this size and byte depth (2 or 4). Returns false when the
  // display cannot show it; driver receives the display driver's name.
  virtual bool ScreenOpened(int32_t width, int32_t height, int32_t bytesPerPixel,
                            std::string& driver) = 0;
  // Called before every key or mouse read, without the screen lock held, so
  // a scripted display can feed its next input lines.
  virtual void Poll() {}
  // Clock and sleep: the headless display replaces them with a virtual clock.
  virtual double Now() = 0;
  virtual void Sleep(int32_t ms) = 0;
  // Waits until input arrives (a key, a change of the mouse) or the clock
  // reaches deadline (seconds of Now()), whichever comes first; input that
  // arrived since the program last polled ends the wait at once. A display
  // whose clock moves only when the program polls (the headless one) returns
  // at once, so the program polls on exactly as it would without the wait.
  virtual void WaitForInput(double deadline) { (void)deadline; }
  // The screen brackets of LockScreen and UnlockScreen are the program's
  // frames. FrameBegins is called before the lock is taken for a bracket,
  // without the lock held; a display that shows every frame exactly once
  // waits there until it has taken the previous one. FrameEnds is called
  // while the bracket still holds the lock, so a display that takes the
  // screen under the lock knows exactly which frames it took; FrameDone
  // follows once the lock was released.
  virtual void FrameBegins() {}
  virtual void FrameEnds() {}
  virtual void FrameDone() {}
  // Every text the console prints (PrintText), also before a screen exists;
  // the headless runner echoes these lines. Returns true when the display
  // took the text itself, so that nothing goes to standard output before a
  // screen exists.
  virtual bool ConsoleText(std::string_view text, bool newline) {
    (void)text;
    (void)newline;
    return false;
  }
};

namespace detail {
struct RuntimeState;
}
using RuntimeOwner = Owned<detail::RuntimeState>;

// One run of the runtime: the display, the audio device, the screen and its
// lock, the key queue and the mouse, the open files, the random numbers and
// the process arguments. The program creates it first and destroys it last; a
// test creates one for each case. Every service works on the one that exists;
// there is never more than one. Without a display the runtime is headless
// with default settings; without an audio device it has none.
class Runtime {
 public:
  explicit Runtime(std::unique_ptr<Display> display = nullptr,
                   std::unique_ptr<AudioDevice> audio = nullptr);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

 private:
  // Made before the state: a second runtime ends the program before it
  // makes a state of its own.
  struct OnlyOne {
    OnlyOne();
  } onlyOne_;
  RuntimeOwner state_;
};

// Installs a display; the runtime takes ownership. Without one the runtime
// uses a headless display with default settings. Installing closes the
// current screen and empties the key queue and mouse state (they belong to
// the display), so a test starts from no screen.
void InstallDisplay(std::unique_ptr<Display> display);
Display& CurrentDisplay();

// Called by a display to feed input; these take the screen lock themselves.
void QueueKeyCode(uint32_t code);  // 1..255 or (extended << 8) | 0xFF
struct MouseState {
  int32_t x = 0, y = 0, wheel = 0, buttons = 0, clip = 0;
  bool active = false;  // the window has the focus
  bool inside = false;  // the pointer lies on the screen picture
};
void SetMouseState(const MouseState& state);
MouseState GetMouseState();
bool KeyHitFlag();

// The screen lock and the changed-tile tracking, for displays.
void LockScreenRaw();
void UnlockScreenRaw();
// A rectangle of the screen, in pixels.
struct ScreenRect {
  int32_t x = 0, y = 0, w = 0, h = 0;
  bool operator==(const ScreenRect&) const = default;
};
// Hands the display what changed since it last asked, as at most maxRects
// rectangles that cover every changed pixel (and some unchanged ones
// around them), and clears the marks. rects is empty when nothing changed.
// Must be called with the screen lock held.
void TakeChangedRects(std::vector<ScreenRect>& rects, size_t maxRects);

// ---------------------------------------------------------------- headless
// The headless display: a framebuffer in memory, a virtual clock, and input
// from tests. Every key or mouse poll advances the clock by pollTick seconds;
// SleepMs advances it by the time slept.
struct HeadlessConfig {
  DesktopMode desktop;
  // Offered (width, height, depth) triples; empty means all sixteen.
  std::vector<std::array<int32_t, 3>> offers;
  double pollTick = 0.001;
  // Called on every key or mouse poll after the clock advanced.
  std::function<void()> onPoll;
  // Called for every console text (the runner echoes finished lines).
  std::function<void(std::string_view text, bool newline)> onConsole;
  // Called with the deadline of every wait for input the program asks for
  // (infinity: until input arrives). The wait itself returns at once and
  // leaves the clock alone, so tests can see which passes would sleep
  // without changing what the program does.
  std::function<void(double deadline)> onWait;
};
namespace headless {
// A headless display for a new Runtime.
std::unique_ptr<Display> MakeDisplay(HeadlessConfig config = {});
// Puts a new headless display into the current runtime (see InstallDisplay).
void Install(HeadlessConfig config = {});
void SetClock(double seconds);
void AdvanceClock(double seconds);
double Clock();
void PushKey(uint32_t code);
void SetMouse(int32_t x, int32_t y, int32_t buttons);
void MouseOut();
// Replaces the poll callback of the installed headless display.
void SetOnPoll(std::function<void()> onPoll);
// Replaces the wait callback of the installed headless display.
void SetOnWait(std::function<void(double deadline)> onWait);
}  // namespace headless

// Screen access for tests, tools and displays.
Image ScreenImage();  // the framebuffer as an image (null when no screen)

}  // namespace wimmel::rt
