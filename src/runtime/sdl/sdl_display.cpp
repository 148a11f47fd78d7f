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
#include "runtime/keys.h"
#include "runtime/sdl/sdl_input.h"

namespace wimmel::rt::sdl {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTick = std::chrono::milliseconds(10);
constexpr uint32_t kCloseRequest = keys::QueueCode(keys::kCloseRequest);
// How long shutdown waits for the thread. It can only hang when the program
// thread still holds the screen lock (a fatal end inside a locked batch).
constexpr auto kStopWait = std::chrono::seconds(3);
constexpr auto kRequestWait = std::chrono::seconds(5);
constexpr int32_t kSizeWindowDelay = 10;  // passes of 10 ms
constexpr int32_t kSettlePasses = 50;

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
  explicit SdlDisplay(bool fullscreen) : startFullscreen_(fullscreen) {}
  ~SdlDisplay() override { Stop(); }
  SdlDisplay(const SdlDisplay&) = delete;
  SdlDisplay& operator=(const SdlDisplay&) = delete;

  bool Start(std::string& error);
  void Stop();
  SdlDisplayStats Stats() const;

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
  double Now() override {
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
  }
  void Sleep(int32_t ms) override {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }

 private:
  // Everything below runs on the display thread.
  void Run(std::promise<StartResult>& started);
  void ReadDesktop();
  bool OpenScreen(const ScreenRequest& r);
  void SizeWindow();
  void ToggleFullscreen();
  void Tick();
  void Upload(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height,
              int32_t bytesPerPixel, int32_t first, int32_t last);
  bool MakeTexture(int32_t width, int32_t height, int32_t bytesPerPixel);
  MouseGeometry Geometry() const;
  void RefreshPointer();
  bool HandleEvents();
  void Present();
  void CloseWindow();

  // Shared between the program thread and the display thread.
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
  std::thread thread_;
  std::atomic<int32_t> threadId_{0};
  std::atomic<uint64_t> ticks_{0}, presents_{0}, rowsUploaded_{0};

  // The display thread's own.
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  int32_t texW_ = 0, texH_ = 0, texBpp_ = 0;
  int32_t screenW_ = 0, screenH_ = 0;
  const bool startFullscreen_;
  bool fullscreen_ = true;
  bool needPresent_ = false;
  bool needFullUpload_ = false;
  KeyInput keys_;
  MouseInput mouse_;
  MouseState sentMouse_;
  SDL_Rect windowRect_{0, 0, 0, 0};  // where the pointer was last placed from
  SDL_Point hostPointer_{-1, -1};    // and where the host said it was
  // Passes until a window that left full screen gets its size: the window
  // manager ignores a size given while it still undoes the full screen.
  int32_t sizeWindowIn_ = 0;
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

void SdlDisplay::Stop() {
  std::unique_lock<std::mutex> lock(mu_);
  if (!thread_.joinable()) return;
  stop_ = true;
  cv_.notify_all();
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

bool SdlDisplay::ScreenOpened(int32_t width, int32_t height, int32_t bytesPerPixel,
                              std::string& driver) {
  std::unique_lock<std::mutex> lock(mu_);
  if (stop_ || finished_ || !thread_.joinable()) return false;
  request_ = ScreenRequest{width, height, bytesPerPixel};
  const uint64_t mine = ++requestsPosted_;
  cv_.notify_all();
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

void SdlDisplay::Run(std::promise<StartResult>& started) {
  threadId_ = static_cast<int32_t>(syscall(SYS_gettid));
  pthread_setname_np(pthread_self(), "wimmel-display");
  // Ctrl+C in the terminal and kill keep ending the process; the window's
  // close button becomes a key instead of a quit.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  std::string error;
  if (!InitVideo(error)) {
    started.set_value(StartResult{false, error});
    return;
  }
  ReadDesktop();
  started.set_value(StartResult{true, {}});

  Clock::time_point next = Clock::now();
  for (;;) {
    std::optional<ScreenRequest> request;
    {
      std::unique_lock<std::mutex> lock(mu_);
      cv_.wait_until(lock, next, [this] { return stop_ || request_.has_value(); });
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
      cv_.notify_all();
    }
    const Clock::time_point now = Clock::now();
    if (now >= next) {
      Tick();
      next += kTick;
      // After a long stall (the program held the lock) start afresh rather
      // than running the missed passes back to back.
      if (next < now) next = now + kTick;
    }
  }
  CloseWindow();
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
  threadId_ = 0;
  std::lock_guard<std::mutex> lock(mu_);
  finished_ = true;
  cv_.notify_all();
}

void SdlDisplay::ReadDesktop() {
  const int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
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
  screenW_ = r.width;
  screenH_ = r.height;
  if (!window_) {
    window_ = SDL_CreateWindow(
        "Wimmel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, r.width, r.height,
        startFullscreen_ ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE);
    if (!window_) return false;
    renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) {
      CloseWindow();
      return false;
    }
    fullscreen_ = startFullscreen_;
    if (!fullscreen_) SizeWindow();
    mouse_.Reset();
    mouseSent_ = false;
    SDL_StartTextInput();
  } else if (!fullscreen_) {
    SizeWindow();
  }
  settlePasses_ = kSettlePasses;
  ReadDesktop();
  needPresent_ = true;
  return true;
}

void SdlDisplay::SizeWindow() {
  const int display = std::max(0, SDL_GetWindowDisplayIndex(window_));
  SDL_Rect room;
  if (SDL_GetDisplayUsableBounds(display, &room) != 0) {
    const DesktopMode d = Desktop();
    room = SDL_Rect{0, 0, d.width, d.height};
  }
  int top = 0, left = 0, bottom = 0, right = 0;
  if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0 ||
      top + left + bottom + right == 0) {
    // Not known yet: leave room for a title bar and a frame.
    top = 32;
    left = right = bottom = 8;
  }
  const int32_t k = WindowScale(room.w - left - right, room.h - top - bottom, screenW_, screenH_);
  SDL_SetWindowSize(window_, k * screenW_, k * screenH_);
  SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                        SDL_WINDOWPOS_CENTERED_DISPLAY(display));
}

void SdlDisplay::ToggleFullscreen() {
  if (!window_) return;
  if (fullscreen_) {
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowResizable(window_, SDL_TRUE);
    fullscreen_ = false;
    sizeWindowIn_ = kSizeWindowDelay;
  } else {
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    fullscreen_ = true;
    sizeWindowIn_ = 0;
  }
  settlePasses_ = kSettlePasses;
  needPresent_ = true;
}

// The texture is always 32-bit XRGB, whatever the screen's depth. A 32-bit
// screen's rows are that format already (its top byte is not alpha); 16-bit
// rows are widened here. Letting SDL convert 5-6-5 instead turns white into
// FFFEFF in its OpenGL renderer, and its software renderer has no fast path
// for scaling 5-6-5 into the window, which then managed about 20 frames a
// second at 640 x 480 doubled.
bool SdlDisplay::MakeTexture(int32_t width, int32_t height, int32_t bytesPerPixel) {
  if (texture_) SDL_DestroyTexture(texture_);
  texW_ = texH_ = texBpp_ = 0;
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                               width, height);
  if (!texture_) return false;
  SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
  texW_ = width;
  texH_ = height;
  texBpp_ = bytesPerPixel;
  return true;
}

void SdlDisplay::Upload(const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height,
                        int32_t bytesPerPixel, int32_t first, int32_t last) {
  if (!texture_ || texW_ != width || texH_ != height || texBpp_ != bytesPerPixel) {
    // A screen the renderer cannot hold stays black; the next drawing tries
    // again rather than every pass.
    if (!MakeTexture(width, height, bytesPerPixel)) return;
    first = 0;
    last = height - 1;
  }
  const SDL_Rect rows{0, first, width, last - first + 1};
  const uint8_t* src = pixels + static_cast<size_t>(first) * pitch;
  if (bytesPerPixel == 4) {
    SDL_UpdateTexture(texture_, &rows, src, pitch);
  } else {
    void* target = nullptr;
    int targetPitch = 0;
    if (SDL_LockTexture(texture_, &rows, &target, &targetPitch) != 0) return;
    for (int32_t y = 0; y < rows.h; ++y) {
      const auto* in = reinterpret_cast<const uint16_t*>(src + static_cast<size_t>(y) * pitch);
      auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(target) +
                                              static_cast<size_t>(y) * targetPitch);
      for (int32_t x = 0; x < width; ++x) out[x] = From565(in[x]);
    }
    SDL_UnlockTexture(texture_);
  }
  rowsUploaded_ += static_cast<uint64_t>(rows.h);
  needPresent_ = true;
}

MouseGeometry SdlDisplay::Geometry() const {
  MouseGeometry g;
  g.screenW = texW_;
  g.screenH = texH_;
  int outW = 0, outH = 0, winW = 0, winH = 0;
  if (renderer_) SDL_GetRendererOutputSize(renderer_, &outW, &outH);
  if (window_) SDL_GetWindowSize(window_, &winW, &winH);
  g.picture = PlaceScreen(outW, outH, texW_, texH_);
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
  if (!window_) return;
  SDL_Rect r;
  SDL_GetWindowPosition(window_, &r.x, &r.y);
  SDL_GetWindowSize(window_, &r.w, &r.h);
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

bool SdlDisplay::HandleEvents() {
  SDL_PumpEvents();
  events_.clear();
  SDL_Event batch[64];
  int n = 0;
  while ((n = SDL_PeepEvents(batch, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
    events_.insert(events_.end(), batch, batch + n);
  }
  bool toggle = false;
  codes_.clear();
  for (size_t i = 0; i < events_.size(); ++i) {
    const SDL_Event& e = events_[i];
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
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_RESIZED:
          case SDL_WINDOWEVENT_SIZE_CHANGED:
          case SDL_WINDOWEVENT_RESTORED:
          case SDL_WINDOWEVENT_MAXIMIZED:
            needPresent_ = true;
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
              settlePasses_ = std::max(settlePasses_, kSettlePasses / 2);
            }
            break;
          default:
            break;
        }
        break;
      case SDL_RENDER_DEVICE_RESET:
        // The textures are gone with the device.
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = nullptr;
        texW_ = texH_ = texBpp_ = 0;
        needFullUpload_ = true;
        break;
      case SDL_RENDER_TARGETS_RESET:
        needFullUpload_ = true;
        break;
      default:
        break;
    }
  }
  for (uint32_t code : codes_) QueueKeyCode(code);
  RefreshPointer();
  const MouseState s = mouse_.State(Geometry());
  if (!mouseSent_ || !SameMouse(s, sentMouse_)) {
    SetMouseState(s);
    sentMouse_ = s;
    mouseSent_ = true;
  }
  return toggle;
}

void SdlDisplay::Tick() {
  ++ticks_;
  if (!renderer_) {
    // No window yet: nothing to show, and no events but the host's own.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return;
  }
  LockScreenRaw();
  TakeChangedRows([this](const uint8_t* pixels, int32_t pitch, int32_t width, int32_t height,
                         int32_t bytesPerPixel, int32_t first, int32_t last) {
    Upload(pixels, pitch, width, height, bytesPerPixel, first, last);
  });
  if (needFullUpload_) {
    needFullUpload_ = false;
    if (const Image s = ScreenImage()) {
      Upload(s->pixels, s->pitch, s->width, s->height, s->bytesPerPixel, 0, s->height - 1);
    }
  }
  const bool toggle = HandleEvents();
  UnlockScreenRaw();

  if (toggle) ToggleFullscreen();
  if (sizeWindowIn_ > 0 && --sizeWindowIn_ == 0) SizeWindow();
  if (needPresent_) Present();
}

void SdlDisplay::Present() {
  needPresent_ = false;
  int outW = 0, outH = 0;
  SDL_GetRendererOutputSize(renderer_, &outW, &outH);
  SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
  SDL_RenderClear(renderer_);
  if (texture_) {
    const Placement p = PlaceScreen(outW, outH, texW_, texH_);
    const SDL_Rect dst{p.x, p.y, p.w, p.h};
    SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
  }
  SDL_RenderPresent(renderer_);
  ++presents_;
}

void SdlDisplay::CloseWindow() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  if (window_) SDL_DestroyWindow(window_);
  texture_ = nullptr;
  renderer_ = nullptr;
  window_ = nullptr;
  texW_ = texH_ = texBpp_ = 0;
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

}  // namespace wimmel::rt::sdl
