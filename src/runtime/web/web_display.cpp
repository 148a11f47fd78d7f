#include "runtime/web/web_display.h"

#include <emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/image.h"
#include "runtime/pixel_convert.h"
#include "runtime/web/browser_keys.h"

// The page's side of the display. Module.canvas is the page's canvas.
// wimmel_web_wait hands control to the browser for ms milliseconds; with 0
// it comes back as soon as the browser has run what waits (events, a
// paint). It goes through a message to the page itself first: a timer set
// from a message's task is not clamped to 4 ms the way timers set from
// timers are, so a short wait stays short.
// clang-format off
EM_JS(void, wimmel_web_wait, (int ms), {
  Asyncify.handleSleep(function(wakeUp) {
    if (!Module.wimmelChannel) {
      Module.wimmelChannel = new MessageChannel();
      Module.wimmelWakers = [];
      Module.wimmelChannel.port1.onmessage = function() {
        var waker = Module.wimmelWakers.shift();
        if (!waker) return;
        if (waker.ms > 0) {
          setTimeout(waker.wakeUp, waker.ms);
        } else {
          waker.wakeUp();
        }
      };
    }
    Module.wimmelWakers.push({wakeUp: wakeUp, ms: ms});
    Module.wimmelChannel.port2.postMessage(0);
  });
});

// The program draws on the canvas's OffscreenCanvas where the browser has
// one: its frames go to the screen without the page's own paint and commit,
// which saves the browser about a tenth of its processor time in a scene of
// 1024 figures. The canvas element shows them and stays what the page
// scales and the pointer is measured against.
EM_JS(void, wimmel_web_canvas_size, (int width, int height), {
  var canvas = Module.canvas;
  Module.wimmelPicture = null;
  if (!canvas) return;
  if (!Module.wimmelOffscreen && canvas.transferControlToOffscreen) {
    try {
      Module.wimmelOffscreen = canvas.transferControlToOffscreen();
    } catch (e) {
      // A canvas that has a context of its own already keeps it.
    }
  }
  var target = Module.wimmelOffscreen || canvas;
  target.width = width;
  target.height = height;
  if (Module.onScreenSize) Module.onScreenSize(width, height);
});

// Puts count rectangles (x, y, w, h each) of the RGBA picture at pixels
// (width x height) on the canvas.
EM_JS(void, wimmel_web_put,
      (const uint8_t* pixels, int width, int height, const int32_t* rects, int count), {
        var canvas = Module.wimmelOffscreen || Module.canvas;
        if (!canvas) return;
        var ctx = Module.wimmelContext;
        if (!ctx || ctx.canvas !== canvas) {
          ctx = canvas.getContext("2d", {alpha : false});
          Module.wimmelContext = ctx;
        }
        var picture = Module.wimmelPicture;
        // The heap's buffer changes when the memory grows; the picture's
        // view must follow it.
        if (!picture || picture.data.buffer !== HEAPU8.buffer || picture.ptr !== pixels ||
            picture.width !== width || picture.height !== height) {
          picture = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, pixels, width * height * 4),
                                  width, height);
          picture.ptr = pixels;
          Module.wimmelPicture = picture;
        }
        var r = rects >> 2;
        for (var i = 0; i < count; ++i, r += 4) {
          ctx.putImageData(picture, 0, 0, HEAP32[r], HEAP32[r + 1], HEAP32[r + 2], HEAP32[r + 3]);
        }
        if (Module.onFrame) Module.onFrame();
      });

EM_JS(int, wimmel_web_has_focus, (), { return document.hasFocus() ? 1 : 0; });
// clang-format on

namespace wimmel::rt::web {
namespace {

// A new picture goes to the canvas at most this often (seconds).
constexpr double kPresentInterval = 0.016;
// A key or mouse poll hands control to the browser when the program has
// kept it longer than this (seconds): events arrive and the page stays
// alive, while the polls of a busy loop stay cheap.
constexpr double kPollYield = 0.008;
// The longest single wait in the browser: waits longer than this go in
// slices, between which the picture and the sound are kept up.
constexpr int32_t kWaitSliceMs = 10;
// More changed rectangles than this go to the canvas as the one around them.
constexpr size_t kMaxRects = 64;

class WebDisplay;
WebDisplay* current = nullptr;

class WebDisplay final : public Display {
 public:
  WebDisplay();
  ~WebDisplay() override;
  WebDisplay(const WebDisplay&) = delete;
  WebDisplay& operator=(const WebDisplay&) = delete;

  // A page has no desktop mode of its own: the runtime's usual one.
  DesktopMode Desktop() override { return {}; }
  // The canvas shows every size and depth; the page scales it to the window.
  bool Offers(int32_t, int32_t, int32_t) override { return true; }
  bool ScreenOpened(int32_t width, int32_t height, int32_t bytesPerPixel,
                    std::string& driver) override;
  void Poll() override;
  double Now() override { return emscripten_get_now() / 1000.0; }
  void Sleep(int32_t ms) override;
  void WaitForInput(double deadline) override;
  void FrameDone() override;

  uint64_t Presents() const { return presents_; }
  // Seconds the program has held the page's thread since the display was
  // made: all but the time handed to the browser.
  double BusySeconds() { return Now() - made_ - handedBack_; }

  // Event handlers, called by the browser while the program waits.
  bool OnKeyDown(const EmscriptenKeyboardEvent& e);
  void OnMouse(int type, const EmscriptenMouseEvent& e);
  void OnWheel(const EmscriptenWheelEvent& e);
  void OnFocus(bool focus);

 private:
  // Hands control to the browser for ms milliseconds (0: just long enough
  // for it to run what waits), with the picture and the sound kept up.
  void Yield(int32_t ms);
  // The browser's turn itself: its time is not the program's.
  void HandBack(int32_t ms);
  // Puts what changed on the screen on the canvas.
  void Present();
  void SendMouse();
  void Arrived() { ++inputArrived_; }

  // Input the browser delivered, and how much of it the program had looked
  // for when it last polled.
  uint64_t inputArrived_ = 0;
  uint64_t seenInput_ = 0;
  double lastYield_ = 0;
  double made_ = 0;
  double handedBack_ = 0;
  double lastPresent_ = -1;
  uint64_t presents_ = 0;

  PictureConverter converter_;
  std::vector<uint8_t> rgba_;
  std::vector<ScreenRect> changed_;
  std::vector<int32_t> rects_;

  MouseState mouse_;
};

EM_BOOL KeyDownHandler(int, const EmscriptenKeyboardEvent* e, void*) {
  return current != nullptr && current->OnKeyDown(*e) ? EM_TRUE : EM_FALSE;
}
EM_BOOL MouseHandler(int type, const EmscriptenMouseEvent* e, void*) {
  if (current != nullptr) current->OnMouse(type, *e);
  // A click on the page's canvas is the program's, not the browser's.
  return type == EMSCRIPTEN_EVENT_MOUSEDOWN ? EM_TRUE : EM_FALSE;
}
EM_BOOL WheelHandler(int, const EmscriptenWheelEvent* e, void*) {
  if (current != nullptr) current->OnWheel(*e);
  return EM_TRUE;
}
EM_BOOL FocusHandler(int type, const EmscriptenFocusEvent*, void*) {
  if (current != nullptr) current->OnFocus(type == EMSCRIPTEN_EVENT_FOCUS);
  return EM_FALSE;
}

constexpr const char* kCanvas = "#screen";

WebDisplay::WebDisplay() {
  current = this;
  mouse_.active = wimmel_web_has_focus() != 0;
  lastYield_ = Now();
  made_ = lastYield_;
  emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE,
                                  KeyDownHandler);
  emscripten_set_mousedown_callback(kCanvas, nullptr, EM_FALSE, MouseHandler);
  emscripten_set_mousemove_callback(kCanvas, nullptr, EM_FALSE, MouseHandler);
  emscripten_set_mouseenter_callback(kCanvas, nullptr, EM_FALSE, MouseHandler);
  emscripten_set_mouseleave_callback(kCanvas, nullptr, EM_FALSE, MouseHandler);
  // A button let go anywhere is let go.
  emscripten_set_mouseup_callback(EMSCRIPTEN_EVENT_TARGET_DOCUMENT, nullptr, EM_FALSE,
                                  MouseHandler);
  emscripten_set_wheel_callback(kCanvas, nullptr, EM_FALSE, WheelHandler);
  emscripten_set_focus_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, FocusHandler);
  emscripten_set_blur_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, EM_FALSE, FocusHandler);
}

WebDisplay::~WebDisplay() {
  emscripten_html5_remove_all_event_listeners();
  if (current == this) current = nullptr;
}

bool WebDisplay::ScreenOpened(int32_t width, int32_t height, int32_t bytesPerPixel,
                              std::string& driver) {
  driver = "canvas";
  rgba_.assign(static_cast<size_t>(width) * height * 4, 0);
  converter_.Prepare({width, height, bytesPerPixel}, {0, 0, width, height}, kRgbaBytes);
  wimmel_web_canvas_size(width, height);
  lastPresent_ = -1;
  mouse_.inside = false;
  SendMouse();
  return true;
}

void WebDisplay::Present() {
  LockScreenRaw();
  const Image screen = ScreenImage();
  rects_.clear();
  if (screen && converter_.PreparedFor(ShapeOf(*screen))) {
    TakeChangedRects(changed_, kMaxRects);
    const int32_t pitch = screen->width * 4;
    for (const ScreenRect& r : changed_) {
      const Placement p = converter_.Copy(*screen, r, rgba_.data(), pitch);
      if (p.w <= 0 || p.h <= 0) continue;
      rects_.insert(rects_.end(), {p.x, p.y, p.w, p.h});
    }
  }
  const int32_t width = screen ? screen->width : 0;
  const int32_t height = screen ? screen->height : 0;
  UnlockScreenRaw();
  lastPresent_ = Now();
  if (rects_.empty()) return;
  wimmel_web_put(rgba_.data(), width, height, rects_.data(), static_cast<int>(rects_.size() / 4));
  ++presents_;
}

void WebDisplay::Yield(int32_t ms) {
  if (Now() - lastPresent_ >= kPresentInterval) Present();
  PumpAudio();
  HandBack(ms);
}

void WebDisplay::HandBack(int32_t ms) {
  const double before = Now();
  wimmel_web_wait(ms);
  lastYield_ = Now();
  handedBack_ += lastYield_ - before;
}

void WebDisplay::Poll() {
  if (Now() - lastYield_ > kPollYield) Yield(0);
  // Whatever input has arrived by now, the program is about to see.
  seenInput_ = inputArrived_;
}

// A browser's timer counts whole milliseconds and fires a little after its
// time (a few tenths of a millisecond when the page is idle). A wait asks
// the timer for what is left, rounded down unless it lacks less than 0.2
// ms of the next millisecond, and goes the rest in plain yields, which come
// back at once but keep the thread busy: rounding up makes a step at most
// 0.2 ms later than the timer's own delay does, while yielding through
// the last millisecond or so of every wait kept the page's thread busy
// for about eight round trips a step.
int32_t WaitSlice(double leftSeconds) {
  const double ms = std::floor(leftSeconds * 1000.0 + 0.2);
  if (ms < 1.0) return 0;
  return static_cast<int32_t>(std::min(ms, double{kWaitSliceMs}));
}

void WebDisplay::Sleep(int32_t ms) {
  const double end = Now() + ms / 1000.0;
  do {
    Yield(WaitSlice(end - Now()));
  } while (Now() < end);
}

void WebDisplay::WaitForInput(double deadline) {
  for (;;) {
    if (inputArrived_ != seenInput_) return;
    const double now = Now();
    if (!(deadline > now)) return;
    Yield(WaitSlice(deadline - now));
  }
}

void WebDisplay::FrameDone() {
  if (Now() - lastPresent_ < kPresentInterval) return;
  Present();
  // The browser paints what it was given before the program goes on.
  PumpAudio();
  HandBack(0);
}

bool WebDisplay::OnKeyDown(const EmscriptenKeyboardEvent& e) {
  BrowserKeyDown down;
  down.code = e.code;
  down.key = e.key;
  down.shift = e.shiftKey != 0;
  down.ctrl = e.ctrlKey != 0;
  down.alt = e.altKey != 0;
  down.meta = e.metaKey != 0;
  const BrowserKeyCodes mapped = MapBrowserKeyDown(down);
  for (uint32_t code : mapped.codes) QueueKeyCode(code);
  if (!mapped.codes.empty()) Arrived();
  return mapped.taken;
}

void WebDisplay::SendMouse() {
  SetMouseState(mouse_);
  Arrived();
}

void WebDisplay::OnMouse(int type, const EmscriptenMouseEvent& e) {
  if (type == EMSCRIPTEN_EVENT_MOUSELEAVE) {
    mouse_.inside = false;
    SendMouse();
    return;
  }
  int32_t bits = 0;
  if (e.buttons & 1) bits |= 1;
  if (e.buttons & 2) bits |= 2;
  if (e.buttons & 4) bits |= 4;
  if (type == EMSCRIPTEN_EVENT_MOUSEUP) {
    // Only the buttons count: the event may come from outside the canvas.
    mouse_.buttons = bits;
    SendMouse();
    return;
  }
  if (type == EMSCRIPTEN_EVENT_MOUSEDOWN) mouse_.active = true;
  mouse_.buttons = bits;
  const Image screen = ScreenImage();
  double cssW = 0, cssH = 0;
  emscripten_get_element_css_size(kCanvas, &cssW, &cssH);
  if (screen && cssW > 0 && cssH > 0) {
    // The centre of the pointer's CSS pixel, scaled to screen pixels.
    const double sx = std::floor((e.targetX + 0.5) * screen->width / cssW);
    const double sy = std::floor((e.targetY + 0.5) * screen->height / cssH);
    mouse_.x = static_cast<int32_t>(std::clamp<double>(sx, -1, screen->width));
    mouse_.y = static_cast<int32_t>(std::clamp<double>(sy, -1, screen->height));
    mouse_.inside = sx >= 0 && sx < screen->width && sy >= 0 && sy < screen->height;
  }
  SendMouse();
}

void WebDisplay::OnWheel(const EmscriptenWheelEvent& e) {
  if (e.deltaY == 0) return;
  // Away from the user (a negative delta) turns the wheel up, as SDL counts.
  mouse_.wheel = Wrap32(int64_t{mouse_.wheel} + (e.deltaY < 0 ? 1 : -1));
  SendMouse();
}

void WebDisplay::OnFocus(bool focus) {
  mouse_.active = focus;
  SendMouse();
}

}  // namespace

std::unique_ptr<Display> MakeWebDisplay() {
  return std::make_unique<WebDisplay>();
}

uint64_t WebDisplayPresents() {
  const auto* display = dynamic_cast<const WebDisplay*>(&CurrentDisplay());
  return display ? display->Presents() : 0;
}

double WebDisplayBusySeconds() {
  auto* display = dynamic_cast<WebDisplay*>(&CurrentDisplay());
  return display ? display->BusySeconds() : 0;
}

}  // namespace wimmel::rt::web
