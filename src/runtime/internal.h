// Shared state and helpers of the runtime's own translation units. Nothing
// outside src/runtime (apart from the runtime's tests, fuzzers and benchmarks)
// includes this header.
#pragma once

#include <sys/stat.h>
#include <termios.h>

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"

namespace wimmel::rt::detail {

// The largest side and the largest pixel buffer an image may have. A BMP
// header can claim anything; these keep a hostile size from becoming an
// allocation.
constexpr int32_t kMaxImageSide = 16384;
constexpr int64_t kMaxImageBytes = int64_t{256} << 20;

// The screen lock. It is recursive for the thread that holds it, since every
// drawing call inside a LockScreen bracket locks again; that nested taking
// costs only a look at the owner and a counter, which keeps a frame's
// thousands of puts cheap. Between threads it is a plain mutex. The owner is
// kept in the lock itself, not per thread, so a runtime that ends while a
// bracket is open (a test case that failed inside one) leaves nothing behind
// for the next.
class ScreenLock {
 public:
  void lock() {
    const std::thread::id me = std::this_thread::get_id();
    if (owner_.load(std::memory_order_relaxed) == me) {
      ++depth_;
      return;
    }
    mutex_.lock();
    owner_.store(me, std::memory_order_relaxed);
    depth_ = 1;
  }
  bool try_lock() {
    const std::thread::id me = std::this_thread::get_id();
    if (owner_.load(std::memory_order_relaxed) == me) {
      ++depth_;
      return true;
    }
    if (!mutex_.try_lock()) return false;
    owner_.store(me, std::memory_order_relaxed);
    depth_ = 1;
    return true;
  }
  // Whether the calling thread holds the lock (and how deeply).
  bool HeldByThisThread() const {
    return owner_.load(std::memory_order_relaxed) == std::this_thread::get_id();
  }
  int Depth() const { return depth_; }
  void unlock() {
    if (--depth_ == 0) {
      owner_.store(std::thread::id(), std::memory_order_relaxed);
      mutex_.unlock();
    }
  }

 private:
  std::mutex mutex_;
  std::atomic<std::thread::id> owner_{};
  int depth_ = 0;  // touched only by the owner
};

// MT19937 with the program's own seeding, so every run draws the same
// sequence as the program always has (std::mt19937 seeds differently).
class Twister {
 public:
  Twister() {
    state_[0] = 0;
    for (int i = 1; i < kN; ++i) state_[i] = state_[i - 1] * 1664525u + 1013904223u;
    index_ = kN;
  }
  uint32_t Next() {
    if (index_ >= kN) Twist();
    uint32_t y = state_[index_++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
  }

 private:
  static constexpr int kN = 624;
  static constexpr int kM = 397;
  void Twist() {
    for (int i = 0; i < kN; ++i) {
      const uint32_t y = (state_[i] & 0x80000000u) | (state_[(i + 1) % kN] & 0x7FFFFFFFu);
      state_[i] = state_[(i + kM) % kN] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
    }
    index_ = 0;
  }
  uint32_t state_[kN];
  int index_;
};

// The screen: its framebuffer, the lock, the changed tiles, the mode listing
// and the text console's cursor.
struct ScreenState {
  ScreenLock lock;
  ImageData image;
  bool open = false;
  std::string driver;
  // What changed since the display last took the screen, as tiles of
  // kTileWidth x kTileHeight pixels: small sprites scattered over the screen
  // mark little, and marking costs a few stores per drawing call.
  static constexpr int32_t kTileWidth = 32;
  static constexpr int32_t kTileHeight = 16;
  int32_t tileColumns = 0;
  int32_t tileRows = 0;
  // One bit a tile, tileWords 64-bit words a row of tiles (one word for
  // screens up to 2048 pixels wide).
  int32_t tileWords = 0;
  std::vector<uint64_t> dirtyTiles;
  bool anyDirty = false;
  // A run of changed tiles in a row of tiles, columns c0 to c1, part of a
  // rectangle that began in row r0; TakeChangedRects keeps its runs here
  // from pass to pass rather than allocating them anew.
  struct TileRun {
    int32_t c0, c1, r0;
  };
  std::vector<TileRun> openRuns, nextRuns;
  // The ListScreenModes cursor.
  int32_t listDepth = 0;
  int32_t listIndex = 0;
  // Text console cursor, 1-based.
  int32_t textRow = 1;
  int32_t textColumn = 1;
  // The console's current message (see ConsoleMessage); the last line is
  // unfinished while messageLineOpen.
  std::vector<std::string> message;
  bool messageLineOpen = false;
  uint32_t nextImageId = 1;
  int64_t liveImages = 0;  // see LiveImages
};

// The key ring and the mouse, fed by the display under the screen lock.
struct InputState {
  // head == tail means empty, so the ring holds at most 15 keys.
  static constexpr uint32_t kQueueSize = 16;
  uint32_t queue[kQueueSize] = {};
  uint32_t head = 0;
  uint32_t tail = 0;
  bool keyHit = false;
  MouseState mouse;
  // A click shorter than the program's polling (a touchpad tap, a button
  // pressed and released between two looks) must not be lost: a button the
  // display releases before the program has seen it down stays down until
  // the next ReadMouse.
  int32_t displayButtons = 0;  // the buttons as the display last set them
  int32_t unseenButtons = 0;   // pressed since the program last read the mouse
  int32_t heldButtons = 0;     // released by the display, not yet seen down
  // The display changed the mouse since the program last read it.
  bool mouseChanged = false;
};

// The numbered files of the program's file services.
struct FileTable {
  static constexpr int32_t kFirst = 1;
  static constexpr int32_t kLast = 254;
  struct Entry {
    std::FILE* file = nullptr;
    FileMode mode = FileMode::Read;
  };
  Entry entries[kLast + 1];
};

// What ProbeBmpSize learnt of each picture file: a figure's turn probes its
// picture again and again, and opening the file each time costs several
// system calls. An entry answers only while one look at the file (a single
// stat) finds the same stamp, so a file written anew is read anew.
struct ProbeCache {
  struct Entry {
    FileStamp stamp;
    int32_t width = 0;
    int32_t height = 0;
  };
  // A program probes a few dozen pictures; the bound keeps a run that probes
  // many different names from growing without end.
  static constexpr size_t kLimit = 256;
  std::unordered_map<std::string, Entry> entries;
  std::string path;  // the host path of the name being probed, reused
};

// The terminal's settings while the console keyboard reads it raw, before a
// screen exists.
struct TerminalState {
  bool checked = false;
  bool raw = false;
  termios saved{};
};

// The keyed rectangle copiers of PutImage, chosen once per runtime (as a
// blitter is chosen once per surface), so no row pays for the choice: the
// highest level the processor has, except that where it has AVX-512 the
// AVX2 keyed copy is timed beside it for each pixel size and taken when it
// is clearly faster. Widths and heights are in pixels, both above 0. They
// never throw, so that PutImage calls them plainly.
using RectCopy = void (*)(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                          int32_t width, int32_t height) noexcept;
struct Blitters {
  RectCopy keyed16;
  RectCopy keyed32;
  RectCopy copyRows;  // width in bytes here; source and target must not overlap
  const char* name;
};
// The runtime's copiers. The timing runs when the first copy needs them, not
// before: a runtime that never copies pixels never times anything.
struct BlitterChoice {
  const Blitters* active = nullptr;  // null until the first copy
  Blitters timed{};                  // what the timing chose
  bool made = false;                 // timed holds the choice
};

// Everything one run of the runtime keeps. Runtime owns it; the services
// reach it through State().
struct RuntimeState {
  std::unique_ptr<Display> display;
  std::unique_ptr<AudioDevice> audio;
  TerminalState terminal;
  ScreenState screen;
  InputState input;
  FileTable files;
  ProbeCache probes;
  BlitterChoice blitters;
  // The bytes of a BMP load, kept between loads (see bmp.cpp).
  std::vector<uint8_t> bmpBuffer;
  Twister twister;
  double lastRandom = 0.0;
  std::vector<std::string> arguments;
};
// The state of the runtime alive (there is exactly one while the program or
// a test case runs).
inline RuntimeState& State() {
  return RuntimeOwner::Get();
}

inline ScreenLock& ScreenMutex() {
  return State().screen.lock;
}

// True while a framebuffer exists. Read under the screen lock, or from the
// program thread (the only thread that opens screens).
inline bool ScreenOpen() {
  return State().screen.open;
}
inline ImageData& Screen() {
  return State().screen.image;
}

// Drawing on the screen marks what it changed for the display: the
// rectangle from (x0, y0) to (x1, y1), both inclusive, clipped to the screen.
// Every put of the figure step marks twice, so this stays inline.
inline void MarkRect(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  ScreenState& screen = State().screen;
  if (!screen.open) return;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, screen.image.width - 1);
  y1 = std::min(y1, screen.image.height - 1);
  if (x0 > x1 || y0 > y1) return;
  const int32_t c0 = x0 / ScreenState::kTileWidth, c1 = x1 / ScreenState::kTileWidth;
  const int32_t r0 = y0 / ScreenState::kTileHeight, r1 = y1 / ScreenState::kTileHeight;
  const int32_t words = screen.tileWords;
  uint64_t* row = screen.dirtyTiles.data() + static_cast<size_t>(r0) * words;
  for (int32_t w = c0 / 64; w <= c1 / 64; ++w) {
    // The bits of columns c0..c1 that fall into word w.
    const int32_t from = std::max(c0, w * 64) - w * 64, to = std::min(c1, w * 64 + 63) - w * 64;
    const uint64_t bits = (~uint64_t{0} >> (63 - (to - from))) << from;
    uint64_t* word = row + w;
    for (int32_t r = r0; r <= r1; ++r, word += words) *word |= bits;
  }
  screen.anyDirty = true;
}
inline void MarkRows(int32_t first, int32_t last) {
  MarkRect(0, first, Screen().width - 1, last);
}

// Resolves a drawing target: null or the screen's own image means the
// screen. Returns null when the target is the screen and none is open.
inline ImageData* ResolveTarget(Image target, bool& isScreen) {
  ScreenState& screen = State().screen;
  isScreen = target == nullptr || target == &screen.image;
  if (isScreen) return screen.open ? &screen.image : nullptr;
  return target;
}

// A 0xAARRGGBB colour in the target's pixel format.
inline uint32_t NativeColour(const ImageData& img, uint32_t colour) {
  return img.bytesPerPixel == 2 ? To565(colour) : colour;
}

// Locks the screen for one drawing call when the target is the screen.
class ScreenGuard {
 public:
  explicit ScreenGuard(bool isScreen) : locked_(isScreen) {
    if (locked_) ScreenMutex().lock();
  }
  ~ScreenGuard() {
    if (locked_) ScreenMutex().unlock();
  }
  ScreenGuard(const ScreenGuard&) = delete;
  ScreenGuard& operator=(const ScreenGuard&) = delete;

 private:
  bool locked_;
};

// The pixel blocks of the screen and of images: rows start at multiples of
// 16 because the pitch is one; 64-byte alignment of the block keeps wide
// vector stores off cache-line splits. AllocPixels returns null when the
// memory is not there.
inline uint8_t* AllocPixels(size_t bytes) {
  return static_cast<uint8_t*>(::operator new[](bytes, std::align_val_t{64}, std::nothrow));
}
inline void FreePixels(uint8_t* p) {
  if (p) ::operator delete[](p, std::align_val_t{64});
}

// Fills a clipped rectangle (already inside the image) with a native value.
void FillRect(ImageData& img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t value);

// Draws a 1-bit picture of width (at most 32) x height pixels with its
// top-left corner at (x, y) onto img, clipped to it: where bit c of rows[r]
// (the lowest bit the leftmost column) is set, the pixel (x + c, y + r)
// becomes the native value ink; where it is clear, *paper when paper is
// given, else it stays. On the screen (isScreen; the caller holds the lock)
// the box around what was drawn is marked.
void DrawMonoBits(ImageData& img, bool isScreen, int64_t x, int64_t y, const uint32_t* rows,
                  int32_t width, int32_t height, uint32_t ink, const uint32_t* paper);

// Maps the program's backslash separators to the host's. Every file the
// runtime opens goes through this one mapping.
std::string HostPath(std::string_view name);
// The same into a string the caller keeps, for paths mapped often.
void HostPathInto(std::string_view name, std::string& path);

// Starts the console's message afresh: what it held is no longer what the
// screen says. Takes the screen lock.
void ForgetConsoleMessage();

// How OpenRegularFile opens: reading, appending (creating a missing file), or
// writing anew (creating or emptying it).
enum class OpenIntent { Read, Append, Replace };
// Opens the file of a program name only when it is a regular file, without
// ever waiting: the path is looked at first, then opened with O_NONBLOCK (a
// named pipe opened for reading does not wait for a writer, one opened for
// writing without a reader fails at once, and a device is never opened at
// all), and the open descriptor is looked at again, since the path may have
// changed in between. Returns the descriptor (close-on-exec, in blocking
// mode) with its status in info, or -1.
int OpenRegularFile(std::string_view name, OpenIntent intent, struct stat& info);
// The same for a host path, taken as it is.
int OpenRegularPath(const char* path, OpenIntent intent, struct stat& info);
// OpenRegularPath as a stream ("rb", "ab" or "wb" by the intent); null when
// the file cannot be opened or the stream cannot be made.
std::FILE* OpenRegularStream(const char* path, OpenIntent intent, struct stat& info);
// The stamp of an opened file's status.
FileStamp StampOf(const struct stat& info);
// Reads count bytes at offset (retrying short reads) until they are in or the
// file ends; returns how many arrived.
size_t ReadFully(int fd, uint64_t offset, void* target, size_t count);

// Loads a BMP held in memory into image (see LoadBmp for the result codes;
// 2 never occurs here). The image must be a valid, non-screen image or the
// locked screen. LoadBmp reads files through the same rules.
int32_t LoadBmpFromMemory(const uint8_t* data, size_t size, ImageData& image);

// Goes back to the copiers the runtime chose by timing, timing them first
// if it has not yet.
const Blitters& RestoreTimedBlitters();
// The runtime's copiers; the first call times them (see BlitterChoice).
inline const Blitters& ActiveBlitters() {
  const Blitters* active = State().blitters.active;
  return active != nullptr ? *active : RestoreTimedBlitters();
}
// Limits the copiers to a level (falling back to what the processor has);
// for tests and benchmarks that compare them. Returns the copiers chosen.
enum class BlitLevel { Sse2 = 0, Avx2 = 1, Avx512 = 2, Best = 2 };
const Blitters& SelectBlitters(BlitLevel level);
// The timing's rule: the lower level's copy is taken only when it took less
// than (1 - kLowerLevelMargin) of the higher level's time, so that timing
// noise between two equal copies leaves the higher level.
constexpr double kLowerLevelMargin = 0.1;
bool PreferLowerLevel(double higherSeconds, double lowerSeconds);

// Resets the key queue, hit flag and mouse state (a new display starts
// without input).
void ResetInput();
// Closes the screen and forgets the console cursor; used when a new display
// is installed.
void CloseScreen();

std::unique_ptr<Display> MakeHeadlessDisplay(HeadlessConfig config);

// Closes every numbered file.
void CloseAllFiles();

// Restores the terminal if the console keyboard switched it to raw mode.
void RestoreTerminal();

// Records a key byte read from the terminal before any screen exists.
std::string ReadTerminalKey();

}  // namespace wimmel::rt::detail
