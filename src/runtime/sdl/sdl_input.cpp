#include "runtime/sdl/sdl_input.h"

#include <algorithm>
#include <cmath>

#include "runtime/keys.h"

namespace wimmel::rt::sdl {

using namespace keys;

namespace {

// The platform-neutral key of an SDL scancode (the key's place on the
// keyboard, whatever the layout).
Key KeyOfScancode(SDL_Scancode scancode) {
  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
    return static_cast<Key>(static_cast<uint8_t>(Key::kF1) + (scancode - SDL_SCANCODE_F1));
  }
  switch (scancode) {
    case SDL_SCANCODE_HOME:
      return Key::kHome;
    case SDL_SCANCODE_UP:
      return Key::kUp;
    case SDL_SCANCODE_PAGEUP:
      return Key::kPageUp;
    case SDL_SCANCODE_LEFT:
      return Key::kLeft;
    case SDL_SCANCODE_RIGHT:
      return Key::kRight;
    case SDL_SCANCODE_END:
      return Key::kEnd;
    case SDL_SCANCODE_DOWN:
      return Key::kDown;
    case SDL_SCANCODE_PAGEDOWN:
      return Key::kPageDown;
    case SDL_SCANCODE_INSERT:
      return Key::kInsert;
    case SDL_SCANCODE_DELETE:
      return Key::kDelete;
    case SDL_SCANCODE_KP_7:
      return Key::kPad7;
    case SDL_SCANCODE_KP_8:
      return Key::kPad8;
    case SDL_SCANCODE_KP_9:
      return Key::kPad9;
    case SDL_SCANCODE_KP_4:
      return Key::kPad4;
    case SDL_SCANCODE_KP_5:
      return Key::kPad5;
    case SDL_SCANCODE_KP_6:
      return Key::kPad6;
    case SDL_SCANCODE_KP_1:
      return Key::kPad1;
    case SDL_SCANCODE_KP_2:
      return Key::kPad2;
    case SDL_SCANCODE_KP_3:
      return Key::kPad3;
    case SDL_SCANCODE_KP_0:
      return Key::kPad0;
    case SDL_SCANCODE_KP_PERIOD:
      return Key::kPadPeriod;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_RETURN2:
      return Key::kEnter;
    case SDL_SCANCODE_KP_ENTER:
      return Key::kPadEnter;
    case SDL_SCANCODE_BACKSPACE:
      return Key::kBackspace;
    case SDL_SCANCODE_TAB:
      return Key::kTab;
    case SDL_SCANCODE_ESCAPE:
      return Key::kEscape;
    default:
      return Key::kOther;
  }
}

int32_t ButtonBit(uint8_t button) {
  switch (button) {
    case SDL_BUTTON_LEFT:
      return 1;
    case SDL_BUTTON_RIGHT:
      return 2;
    case SDL_BUTTON_MIDDLE:
      return 4;
    case SDL_BUTTON_X1:
      return 8;
    case SDL_BUTTON_X2:
      return 16;
    default:
      return 0;
  }
}

}  // namespace

uint32_t MapKeyDown(SDL_Keycode sym, SDL_Scancode scancode, uint16_t mod) {
  Modifiers m;
  m.shift = (mod & KMOD_SHIFT) != 0;
  m.ctrl = (mod & KMOD_CTRL) != 0;
  m.alt = (mod & KMOD_ALT) != 0;
  m.numLock = (mod & KMOD_NUM) != 0;
  // The layout's letter: SDL names a letter key by its lower-case letter.
  const char letter = sym >= 'a' && sym <= 'z' ? static_cast<char>(sym) : '\0';
  return KeyDownCode(KeyOfScancode(scancode), letter, m);
}

bool KeyInput::Handle(const SDL_Event& e, const SDL_Event* next, std::vector<uint32_t>& codes) {
  if (e.type == SDL_KEYDOWN) {
    const SDL_Keysym& k = e.key.keysym;
    const bool textFollows = next != nullptr && next->type == SDL_TEXTINPUT;
    textOwned_ = textFollows;
    ownerSym_ = k.sym;
    ownerMod_ = k.mod;
    if ((k.mod & KMOD_ALT) &&
        (k.scancode == SDL_SCANCODE_RETURN || k.scancode == SDL_SCANCODE_KP_ENTER)) {
      return e.key.repeat == 0;
    }
    const uint32_t code = MapKeyDown(k.sym, k.scancode, k.mod);
    // A key that typed a character after all (keypad digits pressed with
    // Shift, say) is that character and nothing else.
    if (code == 0 || (textFollows && (code & 0xFF) == 0xFF)) return false;
    codes.push_back(code);
    return false;
  }
  if (e.type == SDL_TEXTINPUT) {
    const bool owned = textOwned_;
    textOwned_ = false;
    const std::vector<uint8_t> text = TextToCp437(e.text.text);
    if (owned) {
      if (ownerMod_ & KMOD_LALT) return false;
      if (ownerMod_ & KMOD_RALT) {
        // Right Alt is AltGr on many layouts: a character that differs from
        // the key's own is an AltGr character and is typed; the key's own
        // character in either case is an Alt combination and is not.
        const uint8_t own = Latin1ToCp437(static_cast<uint32_t>(ownerSym_));
        const uint8_t ownOther = Latin1ToCp437(OtherCase(static_cast<uint32_t>(ownerSym_)));
        const bool same = text.size() == 1 && own != 0 && (text[0] == own || text[0] == ownOther);
        if (same) return false;
      } else if (ownerMod_ & KMOD_CTRL) {
        // Ctrl with a key types only control codes, and those came from
        // the key-down.
        return false;
      }
    }
    for (uint8_t c : text) codes.push_back(c);
    return false;
  }
  textOwned_ = false;
  return false;
}

bool MouseInput::Handle(const SDL_Event& e) {
  switch (e.type) {
    case SDL_MOUSEMOTION:
      winX_ = e.motion.x;
      winY_ = e.motion.y;
      havePosition_ = true;
      inWindow_ = true;
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      // The position stays that of the last motion: SDL fills a button
      // event's position from its own last motion, which lags behind a
      // window that moved or went full screen under a resting pointer.
      if (e.type == SDL_MOUSEBUTTONDOWN) {
        buttons_ |= ButtonBit(e.button.button);
        pressedSince_ |= ButtonBit(e.button.button);
      } else {
        buttons_ &= ~ButtonBit(e.button.button);
      }
      return true;
    case SDL_MOUSEWHEEL: {
      int32_t y = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) y = -y;
      if (y != 0) wheel_ = Wrap32(int64_t{wheel_} + (y > 0 ? 1 : -1));
      return true;
    }
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_ENTER:
          inWindow_ = true;
          break;
        case SDL_WINDOWEVENT_LEAVE:
          inWindow_ = false;
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          focus_ = true;
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          focus_ = false;
          break;
        default:
          break;
      }
      return true;
    default:
      return false;
  }
}

MouseState MouseInput::State(const MouseGeometry& g) {
  MouseState s;
  s.wheel = wheel_;
  s.buttons = buttons_ | pressedSince_;
  pressedSince_ = 0;
  s.clip = 0;
  s.active = focus_;
  const Placement& p = g.picture;
  if (!havePosition_ || p.w <= 0 || p.h <= 0 || g.screenW <= 0 || g.screenH <= 0) {
    s.inside = false;
    return s;
  }
  // The centre of the pointer's pixel, in drawable pixels relative to the
  // picture, scaled to screen pixels; whole-number scaling gives exactly
  // offset / factor.
  const double cx = (winX_ + 0.5) * g.toOutputX - p.x;
  const double cy = (winY_ + 0.5) * g.toOutputY - p.y;
  const double sx = std::floor(cx * g.screenW / p.w);
  const double sy = std::floor(cy * g.screenH / p.h);
  s.x = static_cast<int32_t>(std::clamp<double>(sx, -1, g.screenW));
  s.y = static_cast<int32_t>(std::clamp<double>(sy, -1, g.screenH));
  s.inside = inWindow_ && sx >= 0 && sx < g.screenW && sy >= 0 && sy < g.screenH;
  return s;
}

}  // namespace wimmel::rt::sdl
