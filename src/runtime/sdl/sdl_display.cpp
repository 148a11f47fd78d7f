#include "runtime/sdl/sdl_display.h"

#include <SDL.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
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
constexpr int32_t kSizeWindowDelay = 10;  // passes of 10 ms
constexpr int32_t kSettlePasses = 50;
// How long after a change of its size the window is kept in its place.
constexpr auto kPlaceTime = std::chrono::seconds(3);
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
  // How the screen reaches the window: copied into the window's own surface
  // (shared memory under X11) with only the changed rectangles sent on, or
  // uploaded to a texture that a hardware renderer scales.
  enum class Path { None, Surface, Renderer };

  void Wake();
  // Everything below runs on the display thread.
  void Run(std::promise<StartResult>& started);
  void ReadDesktop();
  bool OpenScreen(const ScreenRequest& r);
  DesktopRect WindowPlace();
  void SizeWindow();
  void KeepPlace();
  void ToggleFullscreen();
  void Tick(const SDL_Event* first);
  bool PreparePath(const ImageData& screen);
  bool PrepareForScreen();
  bool HardwareRenderer();
  void CopyToSurface(const ImageData& screen);
  void UploadToTexture(const ImageData& screen);
  bool MakeTexture(int32_t width, int32_t height);
  void DropRenderer();
  MouseGeometry Geometry() const;
  void RefreshPointer();
  bool HandleEvents(const SDL_Event* first);
  void Present(bool newFrame);
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
  std::thread thread_;
  std::atomic<int32_t> threadId_{0};
  std::atomic<uint64_t> ticks_{0}, presents_{0}, rowsUploaded_{0};
  std::atomic<uint32_t> wakeEvent_{0};
  std::atomic<bool> wakePending_{false};

  // The display thread's own.
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_Surface* surface_ = nullptr;  // the window's, not ours to free
  Path path_ = Path::None;
  bool pathValid_ = false;  // the window's size is still the one prepared for
  // The screen the path was prepared for: its placement, column table and
  // texture hold only for a screen of this size and depth.
  int32_t preparedW_ = 0, preparedH_ = 0, preparedBytes_ = 0;
  int8_t hardware_ = -1;  // whether the renderer runs on a GPU; -1 not known yet
  int32_t texW_ = 0, texH_ = 0;
  int32_t screenW_ = 0, screenH_ = 0;
  Placement placement_;
  std::vector<int32_t> columnSource_;  // for each window column of the picture, its screen column
  std::vector<uint32_t> rowBuffer_;
  std::array<uint32_t, 65536> from565_{};
  std::vector<ScreenRect> changed_;
  std::vector<SDL_Rect> sent_;
  const bool startFullscreen_;
  bool fullscreen_ = true;
  bool needRepaint_ = false;
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
  // Until when the window is put back in its place, and the size last asked
  // of the window manager.
  Clock::time_point placeUntil_{};
  int32_t askedW_ = 0, askedH_ = 0;
  bool mouseSent_ = false;
  std::vector<SDL_Event> events_;
  std::vector<uint32_t> codes_;
};

bool SdlDisplay::Start(std::string& error) {
  for (uint32_t p = 0; p < 65536; ++p) from565_[p] = From565(static_cast<uint16_t>(p));
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
    // A window opens at its size and place right away, with a guessed
    // frame until the window manager tells the real one.
    const DesktopRect place = WindowPlace();
    window_ =
        startFullscreen_
            ? SDL_CreateWindow("Wimmel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, r.width,
                               r.height, SDL_WINDOW_FULLSCREEN_DESKTOP)
            : SDL_CreateWindow("Wimmel", place.x, place.y, place.w, place.h, SDL_WINDOW_RESIZABLE);
    if (!window_) return false;
    fullscreen_ = startFullscreen_;
    if (!fullscreen_) {
      askedW_ = place.w;
      askedH_ = place.h;
      placeUntil_ = Clock::now() + kPlaceTime;
    }
    mouse_.Reset();
    mouseSent_ = false;
    SDL_StartTextInput();
  } else if (!fullscreen_) {
    SizeWindow();
  }
  settlePasses_ = kSettlePasses;
  ReadDesktop();
  pathValid_ = false;
  return PrepareForScreen();
}

// Prepares the path for the screen the runtime holds now, under the screen
// lock, so that no new screen can come between the look and the tables.
bool SdlDisplay::PrepareForScreen() {
  LockScreenRaw();
  const Image screen = ScreenImage();
  const bool ok = screen && PreparePath(*screen);
  UnlockScreenRaw();
  return ok;
}

// Where a window for the current screen belongs: within the usable area of
// the desktop it is on, with the frame the window manager reports (guessed
// while it has not).
DesktopRect SdlDisplay::WindowPlace() {
  const int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
  SDL_Rect room;
  if (SDL_GetDisplayUsableBounds(display, &room) != 0) {
    const DesktopMode d = Desktop();
    room = SDL_Rect{0, 0, d.width, d.height};
  }
  FrameExtents frame = kGuessedFrame;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (window_ && SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) == 0 &&
      top + left + bottom + right > 0) {
    frame = FrameExtents{top, left, bottom, right};
  }
  return PlaceWindow(DesktopRect{room.x, room.y, room.w, room.h}, frame, screenW_, screenH_);
}

void SdlDisplay::SizeWindow() {
  const DesktopRect place = WindowPlace();
  SDL_SetWindowSize(window_, place.w, place.h);
  SDL_SetWindowPosition(window_, place.x, place.y);
  askedW_ = place.w;
  askedH_ = place.h;
  placeUntil_ = Clock::now() + kPlaceTime;
}

// The window manager applies a new size in steps of its own, keeps the
// window's corner where it was, and tells the frame's size only once the
// window is shown; so for a while after every change the window is put in
// its place again whenever it is not there.
void SdlDisplay::KeepPlace() {
  if (placeUntil_ == Clock::time_point{}) return;
  if (!window_ || fullscreen_ || Clock::now() > placeUntil_) {
    placeUntil_ = {};
    return;
  }
  const DesktopRect want = WindowPlace();
  DesktopRect now;
  SDL_GetWindowSize(window_, &now.w, &now.h);
  SDL_GetWindowPosition(window_, &now.x, &now.y);
  if (now == want) return;
  if (now.w != want.w || now.h != want.h) {
    // Still on its way to the size asked for; the real frame may also have
    // changed which size fits.
    if (want.w != askedW_ || want.h != askedH_) {
      SDL_SetWindowSize(window_, want.w, want.h);
      askedW_ = want.w;
      askedH_ = want.h;
    }
    return;
  }
  SDL_SetWindowPosition(window_, want.x, want.y);
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
  pathValid_ = false;
}

// Whether the renderer SDL would use draws on a graphics card. Under X11
// without one, SDL's OpenGL renderer runs on Mesa's software rasterizer,
// which costs more than copying the picture into the window's memory.
bool SdlDisplay::HardwareRenderer() {
  if (hardware_ >= 0) return hardware_ == 1;
  hardware_ = 0;
  SDL_RendererInfo info;
  if (!renderer_ || SDL_GetRendererInfo(renderer_, &info) != 0) return false;
  if (!(info.flags & SDL_RENDERER_ACCELERATED)) return false;
  const std::string name = info.name ? info.name : "";
  if (name.rfind("opengl", 0) == 0) {
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned int kGlRenderer = 0x1F01;
    const unsigned char* gl = getString ? getString(kGlRenderer) : nullptr;
    const std::string glName = gl ? reinterpret_cast<const char*>(gl) : "";
    for (const char* software : {"llvmpipe", "softpipe", "Software", "SWR", "swrast"}) {
      if (glName.find(software) != std::string::npos) return false;
    }
    if (glName.empty()) return false;
  }
  hardware_ = 1;
  return true;
}

// Chooses how the screen reaches the window for the window's present size
// and gets that ready: the window's surface for a picture shown at its own
// size, and also for a scaled one unless a graphics card can scale it. The
// whole picture is sent once afterwards.
bool SdlDisplay::PreparePath(const ImageData& screen) {
  if (!window_) return false;
  screenW_ = screen.width;
  screenH_ = screen.height;
  preparedW_ = screen.width;
  preparedH_ = screen.height;
  preparedBytes_ = screen.bytesPerPixel;
  pathValid_ = false;
  int outW = 0, outH = 0;
  SDL_GetWindowSizeInPixels(window_, &outW, &outH);
  placement_ = PlaceScreen(outW, outH, screenW_, screenH_);
  const bool scaled = placement_.w != screenW_ || placement_.h != screenH_;
  bool useRenderer = false;
  if (scaled && hardware_ != 0) {
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
    useRenderer = HardwareRenderer();
  }
  if (useRenderer) {
    surface_ = nullptr;
    if ((!texture_ || texW_ != screenW_ || texH_ != screenH_) && !MakeTexture(screenW_, screenH_)) {
      // Nothing to upload into; the next pass tries again.
      path_ = Path::None;
      return false;
    }
    path_ = Path::Renderer;
  } else {
    DropRenderer();
    surface_ = SDL_GetWindowSurface(window_);
    if (!surface_) {
      path_ = Path::None;
      return false;
    }
    path_ = Path::Surface;
    placement_ = PlaceScreen(surface_->w, surface_->h, screenW_, screenH_);
    // The black around the picture, drawn once per size.
    SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
    columnSource_.resize(static_cast<size_t>(std::max(placement_.w, 0)));
    for (int32_t x = 0; x < placement_.w; ++x) {
      columnSource_[static_cast<size_t>(x)] =
          static_cast<int32_t>(int64_t{x} * screenW_ / placement_.w);
    }
    rowBuffer_.resize(static_cast<size_t>(std::max(placement_.w, 0)));
  }
  pathValid_ = true;
  // The new path starts with the whole picture.
  LockScreenRaw();
  detail::MarkRect(0, 0, screenW_ - 1, screenH_ - 1);
  UnlockScreenRaw();
  needRepaint_ = true;
  return true;
}

void SdlDisplay::DropRenderer() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  texture_ = nullptr;
  renderer_ = nullptr;
  texW_ = texH_ = 0;
}

// The texture is always 32-bit XRGB, whatever the screen's depth. A 32-bit
// screen's rows are that format already (its top byte is not alpha); 16-bit
// rows are widened here. Letting SDL convert 5-6-5 instead turns white into
// FFFEFF in its OpenGL renderer.
bool SdlDisplay::MakeTexture(int32_t width, int32_t height) {
  if (texture_) SDL_DestroyTexture(texture_);
  texW_ = texH_ = 0;
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                               width, height);
  if (!texture_) return false;
  SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
  texW_ = width;
  texH_ = height;
  return true;
}

// Copies the changed rectangles into the window's surface, scaled to the
// picture's place by nearest neighbour, and notes the window's rectangles
// to send on. 32-bit rows go over as they are when the window keeps XRGB
// pixels (it ignores the top byte); 16-bit pixels are widened by a table,
// and a window of another format gets each row converted by SDL.
void SdlDisplay::CopyToSurface(const ImageData& screen) {
  sent_.clear();
  if (!surface_ || placement_.w <= 0 || placement_.h <= 0) return;
  const SDL_PixelFormat& format = *surface_->format;
  const bool direct = format.BytesPerPixel == 4 && format.Rmask == 0x00FF0000 &&
                      format.Gmask == 0x0000FF00 && format.Bmask == 0x000000FF;
  const int32_t outBytes = format.BytesPerPixel;
  const Placement& p = placement_;
  const bool unscaled = p.w == screen.width && p.h == screen.height;
  auto* target = static_cast<uint8_t*>(surface_->pixels);
  for (const ScreenRect& r : changed_) {
    // The window's columns and rows whose picture pixels lie in r.
    const int32_t x0 = static_cast<int32_t>((int64_t{r.x} * p.w + screen.width - 1) / screen.width);
    const int32_t x1 =
        static_cast<int32_t>((int64_t{r.x + r.w} * p.w + screen.width - 1) / screen.width);
    const int32_t y0 =
        static_cast<int32_t>((int64_t{r.y} * p.h + screen.height - 1) / screen.height);
    const int32_t y1 =
        static_cast<int32_t>((int64_t{r.y + r.h} * p.h + screen.height - 1) / screen.height);
    if (x0 >= x1 || y0 >= y1) continue;
    const int32_t width = x1 - x0;
    const size_t bytes = static_cast<size_t>(width) * outBytes;
    int32_t previousSource = -1;
    const uint8_t* previousRow = nullptr;
    for (int32_t y = y0; y < y1; ++y) {
      const int32_t sy = unscaled ? y : static_cast<int32_t>(int64_t{y} * screen.height / p.h);
      uint8_t* out = target + static_cast<size_t>(p.y + y) * surface_->pitch +
                     static_cast<size_t>(p.x + x0) * outBytes;
      if (sy == previousSource) {
        // The same picture row again, as scaling up repeats rows.
        std::memcpy(out, previousRow, bytes);
        continue;
      }
      previousSource = sy;
      previousRow = out;
      const uint8_t* in = screen.pixels + static_cast<size_t>(sy) * screen.pitch;
      if (direct && unscaled && screen.bytesPerPixel == 4) {
        std::memcpy(out, in + static_cast<size_t>(x0) * 4, bytes);
        continue;
      }
      uint32_t* o = direct ? reinterpret_cast<uint32_t*>(out) : rowBuffer_.data();
      const int32_t* column = columnSource_.data() + x0;
      if (screen.bytesPerPixel == 4) {
        const auto* i32 = reinterpret_cast<const uint32_t*>(in);
        for (int32_t x = 0; x < width; ++x) o[x] = i32[unscaled ? x0 + x : column[x]];
      } else {
        const auto* i16 = reinterpret_cast<const uint16_t*>(in);
        for (int32_t x = 0; x < width; ++x) o[x] = from565_[i16[unscaled ? x0 + x : column[x]]];
      }
      if (!direct) {
        SDL_ConvertPixels(width, 1, SDL_PIXELFORMAT_RGB888, rowBuffer_.data(), width * 4,
                          format.format, out, surface_->pitch);
      }
    }
    sent_.push_back(SDL_Rect{p.x + x0, p.y + y0, width, y1 - y0});
    rowsUploaded_ += static_cast<uint64_t>(r.h);
  }
}

// Uploads the changed rectangles into the texture. The marks are cleared by
// now, so a texture that does not take them makes the path invalid: the
// next pass prepares it again, and that sends the whole picture.
void SdlDisplay::UploadToTexture(const ImageData& screen) {
  sent_.clear();
  auto fail = [this] {
    sent_.clear();
    pathValid_ = false;
  };
  if (!texture_) {
    fail();
    return;
  }
  for (const ScreenRect& r : changed_) {
    const SDL_Rect rect{r.x, r.y, r.w, r.h};
    const uint8_t* src = screen.pixels + static_cast<size_t>(r.y) * screen.pitch +
                         static_cast<size_t>(r.x) * screen.bytesPerPixel;
    if (screen.bytesPerPixel == 4) {
      if (SDL_UpdateTexture(texture_, &rect, src, screen.pitch) != 0) {
        fail();
        return;
      }
    } else {
      void* target = nullptr;
      int targetPitch = 0;
      if (SDL_LockTexture(texture_, &rect, &target, &targetPitch) != 0) {
        fail();
        return;
      }
      for (int32_t y = 0; y < r.h; ++y) {
        const auto* in =
            reinterpret_cast<const uint16_t*>(src + static_cast<size_t>(y) * screen.pitch);
        auto* out = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(target) +
                                                static_cast<size_t>(y) * targetPitch);
        for (int32_t x = 0; x < r.w; ++x) out[x] = from565_[in[x]];
      }
      SDL_UnlockTexture(texture_);
    }
    rowsUploaded_ += static_cast<uint64_t>(r.h);
    sent_.push_back(rect);
  }
}

MouseGeometry SdlDisplay::Geometry() const {
  MouseGeometry g;
  g.screenW = screenW_;
  g.screenH = screenH_;
  int outW = 0, outH = 0, winW = 0, winH = 0;
  if (window_) {
    SDL_GetWindowSizeInPixels(window_, &outW, &outH);
    SDL_GetWindowSize(window_, &winW, &winH);
  }
  g.picture = pathValid_ ? placement_ : PlaceScreen(outW, outH, screenW_, screenH_);
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
            pathValid_ = false;
            settlePasses_ = std::max(settlePasses_, kSettlePasses / 2);
            break;
          case SDL_WINDOWEVENT_SHOWN:
          case SDL_WINDOWEVENT_EXPOSED:
          case SDL_WINDOWEVENT_RESTORED:
          case SDL_WINDOWEVENT_MAXIMIZED:
            needRepaint_ = true;
            break;
          default:
            break;
        }
        break;
      case SDL_RENDER_DEVICE_RESET:
        // The textures are gone with the device.
        if (texture_) SDL_DestroyTexture(texture_);
        texture_ = nullptr;
        texW_ = texH_ = 0;
        pathValid_ = false;
        break;
      case SDL_RENDER_TARGETS_RESET:
        pathValid_ = false;
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
  if (!window_) {
    // No window yet: nothing to show, and no events but the host's own.
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    wakePending_ = false;
    return;
  }
  LockScreenRaw();
  const Image screen = ScreenImage();
  // Everything the path derived from the screen (placement, column table,
  // texture) was made for the screen it saw then. The program may have
  // opened another one since, of another size or depth; the path is made
  // again for it here, under the lock, before anything is copied.
  if (screen && (!pathValid_ || screen->width != preparedW_ || screen->height != preparedH_ ||
                 screen->bytesPerPixel != preparedBytes_)) {
    PreparePath(*screen);
  }
  // The frames finished by now are in what the screen holds; a frame the
  // program ends after this look is taken by the next pass.
  uint64_t frames = 0;
  {
    std::lock_guard<std::mutex> lock(mu_);
    frames = framesDone_;
  }
  TakeChangedRects(changed_, kMaxRects);
  sent_.clear();
  if (screen && pathValid_ && !changed_.empty()) {
    if (path_ == Path::Surface) {
      CopyToSurface(*screen);
    } else if (path_ == Path::Renderer) {
      UploadToTexture(*screen);
    }
  }
  const bool toggle = HandleEvents(first);
  UnlockScreenRaw();
  // The frames are copied; the program may draw the next one while this
  // pass sends them on to the window.
  {
    std::lock_guard<std::mutex> lock(mu_);
    framesTaken_ = std::max(framesTaken_, frames);
  }
  cv_.notify_all();

  Present(!sent_.empty());
  if (toggle) ToggleFullscreen();
  if (sizeWindowIn_ > 0 && --sizeWindowIn_ == 0) SizeWindow();
  KeepPlace();
}

// Sends what changed on to the window: the changed rectangles of its
// surface, or the whole texture through the renderer. A window that was
// uncovered gets everything again, without counting as a new frame.
void SdlDisplay::Present(bool newFrame) {
  if (!newFrame && !needRepaint_) return;
  if (path_ == Path::Surface) {
    if (needRepaint_) {
      SDL_UpdateWindowSurface(window_);
    } else {
      SDL_UpdateWindowSurfaceRects(window_, sent_.data(), static_cast<int>(sent_.size()));
    }
  } else if (path_ == Path::Renderer) {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (texture_) {
      const SDL_Rect dst{placement_.x, placement_.y, placement_.w, placement_.h};
      SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    }
    SDL_RenderPresent(renderer_);
  }
  needRepaint_ = false;
  if (newFrame) ++presents_;
}

void SdlDisplay::CloseWindow() {
  DropRenderer();
  surface_ = nullptr;
  if (window_) SDL_DestroyWindow(window_);
  window_ = nullptr;
  path_ = Path::None;
  pathValid_ = false;
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
