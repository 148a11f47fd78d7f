#include "runtime/sdl/sdl_input.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "runtime/keys.h"

namespace wimmel::rt::sdl {

using namespace keys;

namespace {

// The PC BIOS codes of the keys that type nothing: the plain code (also
// used with Shift, as the BIOS does for the grey block) and the Ctrl code.
struct NoCharKey {
  SDL_Scancode scancode;
  uint8_t normal;
  uint8_t ctrl;
};
constexpr NoCharKey kEditingBlock[] = {
    {SDL_SCANCODE_HOME, kHome, kCtrlHome},       {SDL_SCANCODE_UP, kUp, kCtrlUp},
    {SDL_SCANCODE_PAGEUP, kPageUp, kCtrlPageUp}, {SDL_SCANCODE_LEFT, kLeft, kCtrlLeft},
    {SDL_SCANCODE_RIGHT, kRight, kCtrlRight},    {SDL_SCANCODE_END, kEnd, kCtrlEnd},
    {SDL_SCANCODE_DOWN, kDown, kCtrlDown},       {SDL_SCANCODE_PAGEDOWN, kPageDown, kCtrlPageDown},
    {SDL_SCANCODE_INSERT, kInsert, kCtrlInsert}, {SDL_SCANCODE_DELETE, kDelete, kCtrlDelete},
};
// The keypad keys without Num Lock are the same keys; keypad 5 has its own.
constexpr NoCharKey kKeypad[] = {
    {SDL_SCANCODE_KP_7, kHome, kCtrlHome},
    {SDL_SCANCODE_KP_8, kUp, kCtrlUp},
    {SDL_SCANCODE_KP_9, kPageUp, kCtrlPageUp},
    {SDL_SCANCODE_KP_4, kLeft, kCtrlLeft},
    {SDL_SCANCODE_KP_5, kKeypad5, kCtrlKeypad5},
    {SDL_SCANCODE_KP_6, kRight, kCtrlRight},
    {SDL_SCANCODE_KP_1, kEnd, kCtrlEnd},
    {SDL_SCANCODE_KP_2, kDown, kCtrlDown},
    {SDL_SCANCODE_KP_3, kPageDown, kCtrlPageDown},
    {SDL_SCANCODE_KP_0, kInsert, kCtrlInsert},
    {SDL_SCANCODE_KP_PERIOD, kDelete, kCtrlDelete},
};

// Decodes one UTF-8 sequence at text[i]. A byte that does not start a
// well-formed sequence is taken as a Latin-1 character of its own, so text
// from a host that hands out Latin-1 bytes still arrives.
uint32_t NextCodePoint(std::string_view text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t b0 = byte(i);
  int32_t length = 0;
  uint32_t cp = 0;
  uint32_t minimum = 0;
  if (b0 < 0x80) {
    ++i;
    return b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    length = 2, cp = b0 & 0x1F, minimum = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    length = 3, cp = b0 & 0x0F, minimum = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    length = 4, cp = b0 & 0x07, minimum = 0x10000;
  }
  if (length == 0 || i + length > text.size()) {
    ++i;
    return b0;
  }
  for (int32_t k = 1; k < length; ++k) {
    const uint8_t b = byte(i + k);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return b0;
    }
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return b0;
  }
  i += length;
  return cp;
}

bool IsAsciiLetter(SDL_Keycode sym) {
  return sym >= 'a' && sym <= 'z';
}

// The Latin-1 letter of the other case (keys name their lower-case letter).
uint32_t OtherCase(uint32_t cp) {
  if ((cp >= 'a' && cp <= 'z') || (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) return cp - 0x20;
  if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) return cp + 0x20;
  return cp;
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
  // Alt combinations belong to the host (and Alt+Enter to the display).
  if (mod & KMOD_ALT) return 0;
  const bool ctrl = (mod & KMOD_CTRL) != 0;
  const bool shift = (mod & KMOD_SHIFT) != 0;

  if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F9) {
    const uint32_t i = scancode - SDL_SCANCODE_F1;
    return QueueCode(static_cast<uint8_t>((ctrl ? kCtrlF1 : shift ? kShiftF1 : kF1) + i));
  }
  // F10 opens the host's menu bar; the program never sees it.
  if (scancode == SDL_SCANCODE_F10) return 0;
  if (scancode == SDL_SCANCODE_F11) return QueueCode(ctrl ? kCtrlF11 : shift ? kShiftF11 : kF11);
  if (scancode == SDL_SCANCODE_F12) return QueueCode(ctrl ? kCtrlF12 : shift ? kShiftF12 : kF12);

  for (const NoCharKey& k : kEditingBlock) {
    if (k.scancode == scancode) return QueueCode(ctrl ? k.ctrl : k.normal);
  }
  // With Num Lock the keypad types digits (text input); Shift turns it back
  // into the cursor keys for that press.
  const bool numLock = (mod & KMOD_NUM) != 0;
  if (!numLock || shift) {
    for (const NoCharKey& k : kKeypad) {
      if (k.scancode == scancode) return QueueCode(ctrl ? k.ctrl : k.normal);
    }
  }

  switch (scancode) {
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_RETURN2:
    case SDL_SCANCODE_KP_ENTER:
      return ctrl ? 10 : kEnter;
    case SDL_SCANCODE_BACKSPACE:
      return ctrl ? 127 : kBackspace;
    case SDL_SCANCODE_TAB:
      return ctrl ? 0 : kTab;
    case SDL_SCANCODE_ESCAPE:
      return kEscape;
    default:
      break;
  }
  if (ctrl && IsAsciiLetter(sym)) return static_cast<uint32_t>(sym - 'a' + 1);
  return 0;
}

std::vector<uint8_t> MapText(std::string_view utf8) {
  std::vector<uint8_t> codes;
  size_t i = 0;
  while (i < utf8.size()) {
    if (utf8[i] == '\0') break;
    const uint8_t code = Latin1ToCp437(NextCodePoint(utf8, i));
    if (code != 0) codes.push_back(code);
  }
  return codes;
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
    const std::vector<uint8_t> text = MapText(e.text.text);
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
