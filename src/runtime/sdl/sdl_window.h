// The window that shows the screen: where it goes on the desktop and how
// large it is (PlaceWindow, free of SDL's window calls, so it can be checked
// number by number), and the window itself, full screen or framed.
#pragma once

#include <SDL.h>

#include <chrono>
#include <cstdint>

#include "runtime/display.h"

namespace wimmel::rt::sdl {

// A rectangle of the desktop, in the window system's coordinates.
struct DesktopRect {
  int32_t x = 0, y = 0, w = 0, h = 0;
  bool operator==(const DesktopRect&) const = default;
};

// The window manager's frame around a window's client area.
struct FrameExtents {
  int32_t top = 0, left = 0, bottom = 0, right = 0;
};
// Used while the window manager has not said yet: a title bar and a thin
// frame.
inline constexpr FrameExtents kGuessedFrame{32, 8, 8, 8};

// The client area of a window that shows a screenW x screenH screen within
// room (the desktop's usable area): the screen enlarged by the largest
// whole number that leaves room for the frame, or, when even 1:1 does not
// fit, the largest size with the screen's aspect that does; placed so that
// the window with its frame lies centred in room.
DesktopRect PlaceWindow(const DesktopRect& room, const FrameExtents& frame, int32_t screenW,
                        int32_t screenH);

// The SDL window of the display thread: opened for the first screen, full
// screen (a borderless window over the whole desktop) or framed, and sized
// and placed for every screen after it. Runs on the display thread only.
class ScreenWindow {
 public:
  explicit ScreenWindow(bool fullscreen) : startFullscreen_(fullscreen) {}
  ~ScreenWindow() { Close(); }
  ScreenWindow(const ScreenWindow&) = delete;
  ScreenWindow& operator=(const ScreenWindow&) = delete;

  // Opens the window for a screen of this size, or fits the open one to it.
  // desktop stands in for the desktop's usable area when SDL cannot tell it.
  // Returns whether the window is new (false as well when it failed: see
  // Get()).
  bool Show(int32_t screenW, int32_t screenH, const DesktopMode& desktop);
  // Alt+Enter: between full screen and a framed window.
  void ToggleFullscreen();
  // On every pass of the display thread: the size a window that left full
  // screen waits for, and its place while the window manager settles it.
  void Upkeep();
  void Close();

  SDL_Window* Get() const { return window_; }

 private:
  DesktopRect Place() const;
  void Size();
  void KeepPlace();

  SDL_Window* window_ = nullptr;
  const bool startFullscreen_;
  bool fullscreen_ = true;
  int32_t screenW_ = 0, screenH_ = 0;
  DesktopMode desktop_;
  // Passes until a window that left full screen gets its size: the window
  // manager ignores a size given while it still undoes the full screen.
  int32_t sizeIn_ = 0;
  // Until when the window is put back in its place, and the size last asked
  // of the window manager.
  std::chrono::steady_clock::time_point placeUntil_{};
  int32_t askedW_ = 0, askedH_ = 0;
};

}  // namespace wimmel::rt::sdl
