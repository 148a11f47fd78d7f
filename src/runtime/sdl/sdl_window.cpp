#include "runtime/sdl/sdl_window.h"

#include <algorithm>
#include <chrono>

#include "runtime/pixel_convert.h"

namespace wimmel::rt::sdl {

DesktopRect PlaceWindow(const DesktopRect& room, const FrameExtents& frame, int32_t screenW,
                        int32_t screenH) {
  const int32_t innerW = std::max(1, room.w - frame.left - frame.right);
  const int32_t innerH = std::max(1, room.h - frame.top - frame.bottom);
  DesktopRect r;
  if (screenW <= 0 || screenH <= 0) return r;
  const int32_t k = std::min(innerW / screenW, innerH / screenH);
  if (k >= 1) {
    r.w = k * screenW;
    r.h = k * screenH;
  } else {
    const Placement fit = PlaceScreen(innerW, innerH, screenW, screenH);
    r.w = fit.w;
    r.h = fit.h;
  }
  // What is left of the room beyond the framed window goes half to each
  // side; a room smaller than any frame puts the frame at its corner.
  const int32_t spareW = std::max(0, room.w - (r.w + frame.left + frame.right));
  const int32_t spareH = std::max(0, room.h - (r.h + frame.top + frame.bottom));
  r.x = room.x + spareW / 2 + frame.left;
  r.y = room.y + spareH / 2 + frame.top;
  return r;
}

namespace {

using Clock = std::chrono::steady_clock;
constexpr int32_t kSizeDelay = 10;  // passes of the display thread
// How long after a change of its size the window is kept in its place.
constexpr auto kPlaceTime = std::chrono::seconds(3);

}  // namespace

// Where the window belongs: within the usable area of the desktop it is on,
// with the frame the window manager reports (guessed while it has not).
DesktopRect ScreenWindow::Place() const {
  const int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
  SDL_Rect room;
  if (SDL_GetDisplayUsableBounds(display, &room) != 0) {
    room = SDL_Rect{0, 0, desktop_.width, desktop_.height};
  }
  FrameExtents frame = kGuessedFrame;
  int top = 0, left = 0, bottom = 0, right = 0;
  if (window_ && SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) == 0 &&
      top + left + bottom + right > 0) {
    frame = FrameExtents{top, left, bottom, right};
  }
  return PlaceWindow(DesktopRect{room.x, room.y, room.w, room.h}, frame, screenW_, screenH_);
}

bool ScreenWindow::Show(int32_t screenW, int32_t screenH, const DesktopMode& desktop) {
  screenW_ = screenW;
  screenH_ = screenH;
  desktop_ = desktop;
  if (window_) {
    if (!fullscreen_) Size();
    return false;
  }
  // A window opens at its size and place right away, with a guessed frame
  // until the window manager tells the real one.
  const DesktopRect place = Place();
  window_ =
      startFullscreen_
          ? SDL_CreateWindow("Wimmel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, screenW,
                             screenH, SDL_WINDOW_FULLSCREEN_DESKTOP)
          : SDL_CreateWindow("Wimmel", place.x, place.y, place.w, place.h, SDL_WINDOW_RESIZABLE);
  if (!window_) return false;
  fullscreen_ = startFullscreen_;
  if (!fullscreen_) {
    askedW_ = place.w;
    askedH_ = place.h;
    placeUntil_ = Clock::now() + kPlaceTime;
  }
  return true;
}

void ScreenWindow::Size() {
  const DesktopRect place = Place();
  SDL_SetWindowSize(window_, place.w, place.h);
  SDL_SetWindowPosition(window_, place.x, place.y);
  askedW_ = place.w;
  askedH_ = place.h;
  placeUntil_ = Clock::now() + kPlaceTime;
}

void ScreenWindow::ToggleFullscreen() {
  if (!window_) return;
  if (fullscreen_) {
    SDL_SetWindowFullscreen(window_, 0);
    SDL_SetWindowResizable(window_, SDL_TRUE);
    fullscreen_ = false;
    sizeIn_ = kSizeDelay;
  } else {
    SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
    fullscreen_ = true;
    sizeIn_ = 0;
  }
}

void ScreenWindow::Upkeep() {
  if (sizeIn_ > 0 && --sizeIn_ == 0) Size();
  KeepPlace();
}

// The window manager applies a new size in steps of its own, keeps the
// window's corner where it was, and tells the frame's size only once the
// window is shown; so for a while after every change the window is put in
// its place again whenever it is not there.
void ScreenWindow::KeepPlace() {
  if (placeUntil_ == Clock::time_point{}) return;
  if (!window_ || fullscreen_ || Clock::now() > placeUntil_) {
    placeUntil_ = {};
    return;
  }
  const DesktopRect want = Place();
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

void ScreenWindow::Close() {
  if (window_) SDL_DestroyWindow(window_);
  window_ = nullptr;
  placeUntil_ = {};
  sizeIn_ = 0;
}

}  // namespace wimmel::rt::sdl
