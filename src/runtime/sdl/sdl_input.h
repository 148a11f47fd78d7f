// How SDL's keyboard, text and mouse events become the runtime's key codes
// and mouse state, and where the pointer lies on the screen picture. All of
// it is free of windows and threads, so it can be checked event by event.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "runtime/display.h"
#include "runtime/pixel_convert.h"

namespace wimmel::rt::sdl {

// The PC extended code (scan << 8) | 0xFF, or a control code (8, 9, 10, 13,
// 27, 127 and Ctrl+letter 1..26), that a key-down produces; 0 for keys whose
// characters come from text input and for everything held with Alt. The
// scancode names the key (keys::KeyDownCode has the codes), the keycode
// the layout's letter for Ctrl+letter.
uint32_t MapKeyDown(SDL_Keycode sym, SDL_Scancode scancode, uint16_t mod);

// Turns the keyboard events of one drained batch into key codes. A key press
// reaches SDL as a key-down followed, when it types something, by a text
// event; the pair yields one code, never two.
class KeyInput {
 public:
  // next is the event after e in the same batch, or null. Returns true when
  // the event asks to switch between full screen and a window (Alt+Enter).
  bool Handle(const SDL_Event& e, const SDL_Event* next, std::vector<uint32_t>& codes);

 private:
  // The key-down that the text event right after it belongs to.
  bool textOwned_ = false;
  SDL_Keycode ownerSym_ = SDLK_UNKNOWN;
  uint16_t ownerMod_ = 0;
};

// What the mouse code needs to know about the window.
struct MouseGeometry {
  Placement picture;  // in drawable pixels
  int32_t screenW = 0, screenH = 0;
  // Drawable pixels per window coordinate (1 unless the display scales).
  double toOutputX = 1.0, toOutputY = 1.0;
};

// Tracks pointer, buttons, wheel and focus from window events.
class MouseInput {
 public:
  // Applies one event; true when it was a mouse or window event.
  bool Handle(const SDL_Event& e);
  // The state as the runtime sees it, through the current geometry. A button
  // pressed since the last call counts as down even when it was released
  // again in the same batch of events, so that a quick click is not lost.
  MouseState State(const MouseGeometry& g);
  // The pointer as the host reports it (window coordinates), for when the
  // window moved or changed size under a pointer that did not move.
  void SetPointer(int32_t x, int32_t y, bool inWindow) {
    winX_ = x;
    winY_ = y;
    havePosition_ = true;
    inWindow_ = inWindow;
  }
  // A new window starts without buttons and with the wheel at 0.
  void Reset() { *this = MouseInput(); }

 private:
  int32_t winX_ = 0, winY_ = 0;
  bool havePosition_ = false;
  bool inWindow_ = false;
  bool focus_ = false;
  int32_t buttons_ = 0;
  int32_t pressedSince_ = 0;  // buttons pressed since the last State()
  int32_t wheel_ = 0;
};

}  // namespace wimmel::rt::sdl
