#include "runtime/sdl/sdl_display.h"

#include <SDL.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/internal.h"
#include "runtime/keys.h"
#include "runtime/sdl/sdl_input.h"
#include "runtime/sdl/sdl_picture.h"
#include "runtime/sdl/sdl_window.h"

namespace wimmel::rt::sdl {
namespace {

using Clock = std::chrono::steady_clock;
// The display thread looks at the window at least this often.
constexpr int kTickMs = 10;
// A frame waits at most this long for the window to take the one before.
constexpr auto kFrameWait = std::chrono::milliseconds(100);
// More changed rectangles than this go to the window as the one around them.
constexpr size_t kMaxRects = 256;
constexpr uint32_t kCloseRequest = keys::QueueCode(keys::kCloseRequest);
// How long shutdown waits for the thread. It can only hang when the program
// thread still holds the screen lock (a fatal end inside a locked batch).
constexpr auto kStopWait = std::chrono::seconds(3);
constexpr auto kRequestWait = std::chrono::seconds(5);
constexpr int32_t kSettlePasses = 50;
// A wait for input with a deadline further off than this, in seconds, waits
// for input alone.
constexpr double kLongestWait = 1e6;

struct StartResult {
  bool ok = false;
  std::string error;
};

// Starts SDL's video on a driver that reaches a real display. SDL falls back
// to drivers that draw into memory ("offscreen", "dummy"), which would run
// the program blind; those are used only when the user names one in
// SDL_VIDEODRIVER.
bool InitVideo(std::string& error) {
  const char* chosen = SDL_getenv("SDL_VIDEODRIVER");
  if (chosen && *chosen) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    error = SDL_GetError();
    return false;
  }
  std::vector<std::string> names;
  for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
    const std::string name = SDL_GetVideoDriver(i);
    if (name == "offscreen" || name == "dummy" || name == "evdev") continue;
    // Without a runtime folder there is no Wayland socket to reach, and the
    // attempt would only print the library's own complaint.
    const char* runtimeDir = SDL_getenv("XDG_RUNTIME_DIR");
    if (name == "wayland" && (!runtimeDir || !*runtimeDir)) continue;
    names.push_back(name);
  }
  for (const std::string& name : names) {
    SDL_SetHint(SDL_HINT_VIDEODRIVER, name.c_str());
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    const std::string reason = SDL_GetError();
    if (error.find(reason) == std::string::npos) {
      if (!error.empty()) error += "; ";
      error += reason;
    }
  }
  SDL_SetHint(SDL_HINT_VIDEODRIVER, nullptr);
  if (error.empty()) error = "No available video device";
  return false;
}

struct ScreenRequest {
  int32_t width = 0, height = 0, bytesPerPixel = 0;
};

bool SameMouse(const MouseState& a, const MouseState& b) {
  return a.x == b.x && a.y == b.y && a.wheel == b.wheel && a.buttons == b.buttons &&
         a.clip == b.clip && a.active == b.active && a.inside == b.inside;
}

class SdlDisplay final : public Display {
 public:
  explicit SdlDisplay(bool fullscreen) : window_(fullscreen) {}
  ~SdlDisplay() override { Stop(); }
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  bool Start(std::string& error);
  void Stop();
  SdlDisplayStats Stats() const;
  WindowPixels ReadPixels();

  DesktopMode Desktop() override {
    std::lock_guard<std::mutex> lock(mu_);
    return desktop_;
  }
  bool Offers(int32_t width, int32_t height, int32_t depth) override {
    if (depth != 15 && depth != 16 && depth != 24 && depth != 32) return false;
    const DesktopMode d = Desktop();
    return width >= 1 && height >= 1 && width <= d.width && height <= d.height;
  }
  bool ScreenOpened(int32_t width, int32_t height, int32_t bytesPerPixel,
                    std::string& driver) override;
  void Poll() override {
    // Whatever input has arrived by now, the program is about to see.
    std::lock_guard<std::mutex> lock(mu_);
    seenInput_ = inputArrived_;
  }
  double Now() override {
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
  }
  void Sleep(int32_t ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
  void WaitForInput(double deadline) override;
  void FrameBegins() override;
  void FrameEnds() override;
  void FrameDone() override;

 private:
  void Wake();
  // Everything below runs on the display thread.
  void Run(std::promise<StartResult>& started);
  void ReadDesktop();
  bool OpenScreen(const ScreenRequest& r);
  void ToggleFullscreen();
  void Tick(const SDL_Event* first);
  bool PrepareForScreen();
  MouseGeometry Geometry() const;
  void RefreshPointer();
  bool HandleEvents(const SDL_Event* first);
  void CloseWindow();

  // Shared between the program thread and the display thread, under mu_.
  mutable std::mutex mu_;
  std::condition_variable cv_;
  bool stop_ = false;
  bool finished_ = false;
  std::optional<ScreenRequest> request_;
  uint64_t requestsPosted_ = 0;
  uint64_t requestsDone_ = 0;
  bool requestOk_ = false;
  std::string driver_;
  DesktopMode desktop_;
  // Input the display thread handed over, and how much of it the program
  // had looked for when it last polled.
  uint64_t inputArrived_ = 0;
  uint64_t seenInput_ = 0;
  // The program's frames finished, and how many of them the window has
  // taken; the program starts a frame only once the last one was taken.
  uint64_t framesDone_ = 0;
  uint64_t framesTaken_ = 0;
  bool showing_ = false;  // a window shows the frames
  // Reads of the window's pixels asked for and done, and the last one's.
  uint64_t readsPosted_ = 0;
  uint64_t readsDone_ = 0;
  WindowPixels read_;
  std::thread thread_;
  std::atomic<int32_t> threadId_{0};
  std::atomic<uint64_t> ticks_{0}, presents_{0}, rowsUploaded_{0};
  std::atomic<uint32_t> wakeEvent_{0};
  std::atomic<bool> wakePending_{false};

  // The display thread's own.
  ScreenWindow window_;
  WindowPicture picture_;
  int32_t screenW_ = 0, screenH_ = 0;  // the screen the picture was last prepared for
  std::vector<ScreenRect> changed_;
  KeyInput keys_;
  MouseInput mouse_;
  MouseState sentMouse_;
  SDL_Rect windowRect_{0, 0, 0, 0};  // where the pointer was last placed from
  SDL_Point hostPointer_{-1, -1};    // and where the host said it was
  // Passes during which the pointer is asked for on every pass, while the
  // window manager moves and resizes the window.
  int32_t settlePasses_ = 0;
  bool mouseSent_ = false;
  std::vector<SDL_Event> events_;
  std::vector<uint32_t> codes_;
};

bool SdlDisplay::Start(std::string& error) {
  std::promise<StartResult> started;
  std::future<StartResult> result = started.get_future();
  // The thread owns the promise: it may still be inside set_value when this
  // thread wakes up and returns.
  thread_ = std::thread([this, promise = std::move(started)]() mutable { Run(promise); });
  const StartResult r = result.get();
  if (!r.ok) {
    thread_.join();
    error = r.error;
    return false;
  }
  return true;
}

// Wakes the display thread from its wait for events; one wake-up waiting in
// the queue is enough, however often the program asks.
void SdlDisplay::Wake() {
  const uint32_t type = wakeEvent_.load();
  if (type == 0 || wakePending_.exchange(true)) return;
  SDL_Event e{};
  e.type = type;
  if (SDL_PushEvent(&e) != 1) wakePending_ = false;
}

void SdlDisplay::Stop() {
  std::unique_lock<std::mutex> lock(mu_);
  if (!thread_.joinable()) return;
  stop_ = true;
  cv_.notify_all();
  lock.unlock();
  Wake();
  lock.lock();
  if (cv_.wait_for(lock, kStopWait, [this] { return finished_; })) {
    lock.unlock();
    thread_.join();
  } else {
    // The thread waits for a screen lock that this thread holds and will not
    // give back; the process is ending, so let it go rather than hang.
    thread_.detach();
  }
}

SdlDisplayStats SdlDisplay::Stats() const {
  SdlDisplayStats s;
  s.threadId = threadId_.load();
  s.ticks = ticks_.load();
  s.presents = presents_.load();
  s.rowsUploaded = rowsUploaded_.load();
  return s;
}

// Asks the display thread for the window's pixels after its next pass.
WindowPixels SdlDisplay::ReadPixels() {
  std::unique_lock<std::mutex> lock(mu_);
  if (stop_ || finished_ || !thread_.joinable()) return {};
  const uint64_t mine = ++readsPosted_;
  lock.unlock();
  Wake();
  lock.lock();
  if (!cv_.wait_for(lock, kRequestWait, [&] { return readsDone_ >= mine || finished_; }) ||
      readsDone_ < mine) {
    return {};
  }
  return read_;
}

bool SdlDisplay::ScreenOpened(int32_t width, int32_t height, int32_t bytesPerPixel,
                              std::string& driver) {
  std::unique_lock<std::mutex> lock(mu_);
  if (stop_ || finished_ || !thread_.joinable()) return false;
  request_ = ScreenRequest{width, height, bytesPerPixel};
  const uint64_t mine = ++requestsPosted_;
  lock.unlock();
  Wake();
  lock.lock();
  // The thread can only be late when it waits for the screen lock, which
  // means the program opened a screen inside a locked batch; rather than
  // deadlock, report the screen as not shown. The thread still carries the
  // request out once the program lets go of the lock.
  if (!cv_.wait_for(lock, kRequestWait, [&] { return requestsDone_ >= mine || finished_; }) ||
      requestsDone_ < mine) {
    return false;
  }
  driver = driver_;
  return requestOk_;
}

void SdlDisplay::WaitForInput(double deadline) {
  std::unique_lock<std::mutex> lock(mu_);
  auto ready = [this] { return inputArrived_ != seenInput_ || finished_; };
  // A deadline that is no number, or lies before now, waits not at all; one
  // further off than a time point can hold waits for input alone.
  const double now = Now();
  if (!(deadline > now)) return;
  if (deadline - now > kLongestWait) {
    cv_.wait(lock, ready);
    return;
  }
  const auto until = Clock::time_point(
      std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(deadline)));
  cv_.wait_until(lock, until, ready);
}

void SdlDisplay::FrameBegins() {
  std::unique_lock<std::mutex> lock(mu_);
  // The previous frame must have reached the window before this one draws
  // over it; a display thread that falls behind by more than a frame's
  // worth of waiting is not waited for any longer.
  cv_.wait_for(lock, kFrameWait,
               [this] { return !showing_ || finished_ || framesTaken_ >= framesDone_; });
}

// Called with the screen lock held (the lock order is the screen lock, then
// mu_, as in Tick), so the display thread's look at framesDone_ under the
// screen lock sees exactly the frames the screen holds.
void SdlDisplay::FrameEnds() {
  std::lock_guard<std::mutex> lock(mu_);
  ++framesDone_;
}

void SdlDisplay::FrameDone() {
  Wake();
}

void SdlDisplay::Run(std::promise<StartResult>& started) {
  threadId_ = static_cast<int32_t>(syscall(SYS_gettid));
  pthread_setname_np(pthread_self(), "wimmel-display");
  // Ctrl+C in the terminal and kill keep ending the process; the window's
  // close button becomes a key instead of a quit.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // The window's surface is the window system's own memory (shared memory
  // under X11), not a texture that a renderer would draw again.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  std::string error;
  if (!InitVideo(error)) {
    started.set_value(StartResult{false, error});
    return;
  }
  wakeEvent_ = SDL_RegisterEvents(1);
  ReadDesktop();
  started.set_value(StartResult{true, {}});

  for (;;) {
    std::optional<ScreenRequest> request;
    {
      std::lock_guard<std::mutex> lock(mu_);
      if (stop_) break;
      request.swap(request_);
    }
    if (request) {
      const bool ok = OpenScreen(*request);
      const char* name = SDL_GetCurrentVideoDriver();
      std::lock_guard<std::mutex> lock(mu_);
      requestOk_ = ok;
      driver_ = name ? name : "";
      requestsDone_ = requestsPosted_;
      showing_ = ok;
      cv_.notify_all();
    }
    // The thread sleeps until the window system has news, the program
    // finished a frame or wants something, or a tick has passed: the tick
    // picks up drawing done outside frames and follows a window the window
    // manager is still moving.
    SDL_Event first;
    const bool got = SDL_WaitEventTimeout(&first, kTickMs) == 1;
    Tick(got ? &first : nullptr);
    bool readWanted = false;
    {
      std::lock_guard<std::mutex> lock(mu_);
      readWanted = readsDone_ != readsPosted_;
    }
    if (readWanted) {
      WindowPixels pixels = picture_.ReadBack();
      std::lock_guard<std::mutex> lock(mu_);
      read_ = std::move(pixels);
      readsDone_ = readsPosted_;
      cv_.notify_all();
    }
  }
  {
    std::lock_guard<std::mutex> lock(mu_);
    showing_ = false;
  }
  CloseWindow();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  threadId_ = 0;
  std::lock_guard<std::mutex> lock(mu_);
  finished_ = true;
  cv_.notify_all();
}

void SdlDisplay::ReadDesktop() {
  SDL_Window* window = window_.Get();
  const int display = window ? std::max(0, SDL_GetWindowDisplayIndex(window)) : 0;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(display, &mode) != 0) return;
  DesktopMode d;
  d.width = mode.w;
  d.height = mode.h;
  d.depth = static_cast<int32_t>(SDL_BITSPERPIXEL(mode.format));
  std::lock_guard<std::mutex> lock(mu_);
  desktop_ = d;
}

bool SdlDisplay::OpenScreen(const ScreenRequest& r) {
  const bool opened = window_.Show(r.width, r.height, Desktop());
  if (!window_.Get()) return false;
  if (opened) {
    mouse_.Reset();
    mouseSent_ = false;
    SDL_StartTextInput();
  }
  settlePasses_ = kSettlePasses;
  ReadDesktop();
  picture_.Invalidate();
  return PrepareForScreen();
}

// Prepares the picture for the screen the runtime holds now, under the
// screen lock, so that no new screen can come between the look and the
// tables made for it.
bool SdlDisplay::PrepareForScreen() {
  LockScreenRaw();
  const Image screen = ScreenImage();
  bool ok = false;
  if (screen) {
    screenW_ = screen->width;
    screenH_ = screen->height;
    ok = picture_.Prepare(window_.Get(), *screen);
  }
  UnlockScreenRaw();
  return ok;
}

void SdlDisplay::ToggleFullscreen() {
  window_.ToggleFullscreen();
  settlePasses_ = kSettlePasses;
  picture_.Invalidate();
}

MouseGeometry SdlDisplay::Geometry() const {
  MouseGeometry g;
  g.screenW = screenW_;
  g.screenH = screenH_;
  int outW = 0, outH = 0, winW = 0, winH = 0;
  if (SDL_Window* window = window_.Get()) {
    SDL_GetWindowSizeInPixels(window, &outW, &outH);
    SDL_GetWindowSize(window, &winW, &winH);
  }
  g.picture = picture_.Valid() ? picture_.Where() : PlaceScreen(outW, outH, screenW_, screenH_);
  if (winW > 0 && winH > 0) {
    g.toOutputX = static_cast<double>(outW) / winW;
    g.toOutputY = static_cast<double>(outH) / winH;
  }
  return g;
}

// A window that moves, changes size or goes full screen gets no motion event
// for a pointer that stays put, so the host is asked where the pointer is.
// The window manager moves and resizes a window in several steps, so this
// goes on for a while after every change.
void SdlDisplay::RefreshPointer() {
  SDL_Window* window = window_.Get();
  if (!window) return;
  SDL_Rect r;
  SDL_GetWindowPosition(window, &r.x, &r.y);
  SDL_GetWindowSize(window, &r.w, &r.h);
  const bool moved = !SDL_RectEquals(&r, &windowRect_);
  windowRect_ = r;
  if (settlePasses_ <= 0 && !moved) return;
  if (settlePasses_ > 0) --settlePasses_;
  SDL_Point host{0, 0};
  SDL_GetGlobalMouseState(&host.x, &host.y);
  // Only news counts: a motion event since the last look is more recent
  // than an unchanged answer.
  if (!moved && host.x == hostPointer_.x && host.y == hostPointer_.y) return;
  hostPointer_ = host;
  const int x = host.x - r.x, y = host.y - r.y;
  mouse_.SetPointer(x, y, x >= 0 && y >= 0 && x < r.w && y < r.h);
}

// Drains the window's events (first, the one the wait returned, comes
// before the rest) into key codes and the mouse state; returns whether
// Alt+Enter asked to switch between full screen and a window.
bool SdlDisplay::HandleEvents(const SDL_Event* first) {
  SDL_PumpEvents();
  events_.clear();
  if (first) events_.push_back(*first);
  SDL_Event batch[64];
  int n = 0;
  while ((n = SDL_PeepEvents(batch, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
    events_.insert(events_.end(), batch, batch + n);
  }
  bool toggle = false;
  codes_.clear();
  const uint32_t wake = wakeEvent_.load();
  for (size_t i = 0; i < events_.size(); ++i) {
    const SDL_Event& e = events_[i];
    if (e.type == wake) {
      wakePending_ = false;
      continue;
    }
    const SDL_Event* next = i + 1 < events_.size() ? &events_[i + 1] : nullptr;
    if (keys_.Handle(e, next, codes_)) toggle = !toggle;
    mouse_.Handle(e);
    switch (e.type) {
      case SDL_QUIT:
        codes_.push_back(kCloseRequest);
        break;
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE:
            codes_.push_back(kCloseRequest);
            break;
          case SDL_WINDOWEVENT_MOVED:
            settlePasses_ = std::max(settlePasses_, kSettlePasses / 2);
            break;
          case SDL_WINDOWEVENT_RESIZED:
          case SDL_WINDOWEVENT_SIZE_CHANGED:
            // The window's surface goes with its old size.
            picture_.Invalidate();
            settlePasses_ = std::max(settlePasses_, kSettlePasses / 2);
            break;
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_RESTORED:
          case SDL_WINDOWEVENT_MAXIMIZED:
            picture_.Repaint();
            break;
          default:
            break;
        }
        break;
      case SDL_RENDER_DEVICE_RESET:
        picture_.DeviceReset();
        break;
      case SDL_RENDER_TARGETS_RESET:
        picture_.Invalidate();
        break;
      default:
        break;
    }
  }
  for (uint32_t code : codes_) QueueKeyCode(code);
  bool news = !codes_.empty();
  RefreshPointer();
  const MouseState s = mouse_.State(Geometry());
  if (!mouseSent_ || !SameMouse(s, sentMouse_)) {
    SetMouseState(s);
    sentMouse_ = s;
    mouseSent_ = true;
    news = true;
  }
  if (news) {
    {
      std::lock_guard<std::mutex> lock(mu_);
      ++inputArrived_;
    }
    cv_.notify_all();
  }
  return toggle;
}

void SdlDisplay::Tick(const SDL_Event* first) {
  ++ticks_;
  if (!window_.Get()) {
    // No window yet: nothing to show, and no events but the host's own.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    wakePending_ = false;
    return;
  }
  LockScreenRaw();
  const Image screen = ScreenImage();
  // Everything the picture derived from the screen (placement, column
  // table, texture) was made for the screen it saw then. The program may
  // have opened another one since, of another size or depth; the picture
  // is made again for it here, under the lock, before anything is copied.
  if (screen && !picture_.ReadyFor(*screen)) {
    screenW_ = screen->width;
    screenH_ = screen->height;
    picture_.Prepare(window_.Get(), *screen);
  }
  // The frames finished by now are in what the screen holds; a frame the
  // program ends after this look is taken by the next pass.
  uint64_t frames = 0;
  {
    std::lock_guard<std::mutex> lock(mu_);
    frames = framesDone_;
  }
  TakeChangedRects(changed_, kMaxRects);
  if (screen) rowsUploaded_ += picture_.Copy(*screen, changed_);
  const bool toggle = HandleEvents(first);
  UnlockScreenRaw();
  // The frames are copied; the program may draw the next one while this
  // pass sends them on to the window.
  {
    std::lock_guard<std::mutex> lock(mu_);
    framesTaken_ = std::max(framesTaken_, frames);
  }
  cv_.notify_all();

  if (picture_.Present(window_.Get())) ++presents_;
  if (toggle) ToggleFullscreen();
  window_.Upkeep();
}

void SdlDisplay::CloseWindow() {
  picture_.Drop();
  window_.Close();
}

}  // namespace

std::unique_ptr<Display> MakeSdlDisplay(std::string& error, bool fullscreen) {
  auto display = std::make_unique<SdlDisplay>(fullscreen);
  if (!display->Start(error)) return nullptr;
  return display;
}

SdlDisplayStats GetSdlDisplayStats() {
  const auto* display = dynamic_cast<const SdlDisplay*>(&CurrentDisplay());
  return display ? display->Stats() : SdlDisplayStats{};
}

WindowPixels ReadWindowPixels() {
  auto* display = dynamic_cast<SdlDisplay*>(&CurrentDisplay());
  return display ? display->ReadPixels() : WindowPixels{};
}

}  // namespace wimmel::rt::sdl
