// The real display: a window thread that owns SDL's video, shows the
// runtime's framebuffer full screen and feeds the key queue and the mouse
// state from the window's events.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/display.h"

namespace wimmel::rt::sdl {

// Starts the display thread. Returns null, with SDL's reason in error, when
// no video display can be opened. The runtime that takes the display stops
// the thread and closes the window and SDL's video when it ends. The first
// screen opens full screen, or in a window when fullscreen is false;
// Alt+Enter switches either way.
std::unique_ptr<Display> MakeSdlDisplay(std::string& error, bool fullscreen = true);

// Counters for measurements.
struct SdlDisplayStats {
  int32_t threadId = 0;   // the display thread's kernel thread id (0 when none)
  uint64_t ticks = 0;     // passes of the 10 ms loop
  uint64_t presents = 0;  // changes of the picture sent to the window (not repaints)
  uint64_t rowsUploaded = 0;
};
// The counters of the current runtime's display (zeros for another display).
SdlDisplayStats GetSdlDisplayStats();

// The window's drawable area as the display last wrote it into the
// window's surface: each pixel as 0x00RRGGBB, row after row. Empty when no
// window shows the screen, when the picture goes through a renderer (its
// pixels live on the graphics card), or for another display. For tests.
struct WindowPixels {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;
};
WindowPixels ReadWindowPixels();

}  // namespace wimmel::rt::sdl
