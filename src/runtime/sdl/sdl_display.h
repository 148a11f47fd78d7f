// The real display: a window thread that owns SDL's video, shows the
// runtime's framebuffer full screen and feeds the key queue and the mouse
// state from the window's events.
#pragma once

#include <cstdint>
#include <string>

namespace rt::sdl {

// Starts the display thread and installs the display into the runtime.
// Returns false, with SDL's reason in error, when no video display can be
// opened; the runtime then keeps its previous display.
bool InstallSdlDisplay(std::string& error);

// Stops the display thread, closes the window and SDL's video. Call it in
// main before returning (after catching rt::ProgramEnd too): the runtime
// owns the display object until static destruction, which is too late to
// join a thread that uses the runtime's screen lock. Safe to call more than
// once and without an installed display.
void ShutdownSdlDisplay();

// Counters for measurements.
struct SdlDisplayStats {
  int32_t threadId = 0;   // the display thread's kernel thread id (0 when none)
  uint64_t ticks = 0;     // passes of the 10 ms loop
  uint64_t presents = 0;  // frames handed to the screen
  uint64_t rowsUploaded = 0;
};
SdlDisplayStats GetSdlDisplayStats();

}  // namespace rt::sdl
