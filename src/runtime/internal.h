// Shared state and helpers of the runtime's own translation units. Nothing
// outside src/runtime (apart from the runtime's tests, fuzzers and benchmarks)
// includes this header.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "runtime/display.h"
#include "runtime/image.h"

namespace rt::detail {

// The largest side and the largest pixel buffer an image may have. A BMP
// header can claim anything; these keep a hostile size from becoming an
// allocation.
constexpr int32_t kMaxImageSide = 16384;
constexpr int64_t kMaxImageBytes = int64_t{256} << 20;

// The screen lock. It is recursive for the thread that holds it, since every
// drawing call inside a LockScreen bracket locks again; that nested taking
// costs only a per-thread counter, which keeps a frame's thousands of puts
// cheap. Between threads it is a plain mutex.
class ScreenLock {
 public:
  void lock() {
    if (depth_++ == 0) mutex_.lock();
  }
  bool try_lock() {
    if (depth_ > 0) {
      ++depth_;
      return true;
    }
    if (!mutex_.try_lock()) return false;
    depth_ = 1;
    return true;
  }
  void unlock() {
    if (--depth_ == 0) mutex_.unlock();
  }

 private:
  std::mutex mutex_;
  static thread_local int depth_;
};
ScreenLock& ScreenMutex();

// True while a framebuffer exists. Read under the screen lock, or from the
// program thread (the only thread that opens screens).
bool ScreenOpen();
ImageData& Screen();

// Drawing on the screen marks the rows it changed for the display.
void MarkRows(int32_t first, int32_t last);

// Resolves a drawing target: null or the screen's own image means the
// screen. Returns null when the target is the screen and none is open.
ImageData* ResolveTarget(Image target, bool& isScreen);

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

// Fills a clipped rectangle (already inside the image) with a native value.
void FillRect(ImageData& img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t value);

// Maps the program's backslash separators to the host's. Every file the
// runtime opens goes through this one mapping.
std::string HostPath(std::string_view name);

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
// The stamp of an opened file's status.
FileStamp StampOf(const struct stat& info);
// Reads count bytes at offset (retrying short reads) until they are in or the
// file ends; returns how many arrived.
size_t ReadFully(int fd, uint64_t offset, void* target, size_t count);

// Loads a BMP held in memory into image (see LoadBmp for the result codes;
// 2 never occurs here). The image must be a valid, non-screen image or the
// locked screen. LoadBmp reads files through the same rules.
int32_t LoadBmpFromMemory(const uint8_t* data, size_t size, ImageData& image);

// The keyed rectangle copiers of PutImage, chosen once at start-up by the
// processor's features (as a blitter is chosen once per surface), so no row
// pays for the choice. Widths and heights are in pixels, both above 0.
using RectCopy = void (*)(uint8_t* dst, int32_t dstPitch, const uint8_t* src, int32_t srcPitch,
                          int32_t width, int32_t height);
struct Blitters {
  RectCopy keyed16;
  RectCopy keyed32;
  RectCopy copyRows;  // width in bytes here; source and target must not overlap
  const char* name;
};
const Blitters& ActiveBlitters();
// Limits the copiers to a level (falling back to what the processor has);
// for tests and benchmarks that compare them. Returns the copiers chosen.
enum class BlitLevel { Sse2 = 0, Avx2 = 1, Avx512 = 2, Best = 2 };
const Blitters& SelectBlitters(BlitLevel level);

// Resets the key queue, hit flag and mouse state (a new display starts
// without input) and the poll-path counters.
void ResetInput();
// Closes the screen and forgets the console cursor; used when a new display
// is installed.
void CloseScreen();

std::unique_ptr<Display> MakeHeadlessDisplay(HeadlessConfig config);

// Restores the terminal if the console keyboard switched it to raw mode.
void RestoreTerminal();

// Records a key byte read from the terminal before any screen exists.
std::string ReadTerminalKey();

}  // namespace rt::detail
