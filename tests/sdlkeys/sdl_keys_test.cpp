// SDL's key-down and text events into key codes, checked event by event
// without a window: which keys SDL's scancodes and modifiers name, and how
// a key-down and the text after it make one code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "runtime/sdl/sdl_input.h"

namespace rt = wimmel::rt;

namespace wimmel::rt::sdl {
namespace {

using Codes = std::vector<uint32_t>;

constexpr uint32_t Ext(uint32_t scan) {
  return (scan << 8) | 0xFF;
}

// ---------------------------------------------------------------- key-downs

// Every key SDL names by a scancode that has a code, and SDL's modifier
// bits: the codes themselves are the keyboard table's (keys_test).
TEST(MapKeyDown, ScancodesAndModifiersNameTheirKeys) {
  struct Row {
    SDL_Scancode sc;
    uint32_t plain;
  };
  const Row rows[] = {
      {SDL_SCANCODE_F1, Ext(0x3B)},        {SDL_SCANCODE_F2, Ext(0x3C)},
      {SDL_SCANCODE_F3, Ext(0x3D)},        {SDL_SCANCODE_F4, Ext(0x3E)},
      {SDL_SCANCODE_F5, Ext(0x3F)},        {SDL_SCANCODE_F6, Ext(0x40)},
      {SDL_SCANCODE_F7, Ext(0x41)},        {SDL_SCANCODE_F8, Ext(0x42)},
      {SDL_SCANCODE_F9, Ext(0x43)},        {SDL_SCANCODE_F10, 0},
      {SDL_SCANCODE_F11, Ext(0x85)},       {SDL_SCANCODE_F12, Ext(0x86)},
      {SDL_SCANCODE_HOME, Ext(0x47)},      {SDL_SCANCODE_UP, Ext(0x48)},
      {SDL_SCANCODE_PAGEUP, Ext(0x49)},    {SDL_SCANCODE_LEFT, Ext(0x4B)},
      {SDL_SCANCODE_RIGHT, Ext(0x4D)},     {SDL_SCANCODE_END, Ext(0x4F)},
      {SDL_SCANCODE_DOWN, Ext(0x50)},      {SDL_SCANCODE_PAGEDOWN, Ext(0x51)},
      {SDL_SCANCODE_INSERT, Ext(0x52)},    {SDL_SCANCODE_DELETE, Ext(0x53)},
      {SDL_SCANCODE_KP_7, Ext(0x47)},      {SDL_SCANCODE_KP_8, Ext(0x48)},
      {SDL_SCANCODE_KP_9, Ext(0x49)},      {SDL_SCANCODE_KP_4, Ext(0x4B)},
      {SDL_SCANCODE_KP_5, Ext(0x4C)},      {SDL_SCANCODE_KP_6, Ext(0x4D)},
      {SDL_SCANCODE_KP_1, Ext(0x4F)},      {SDL_SCANCODE_KP_2, Ext(0x50)},
      {SDL_SCANCODE_KP_3, Ext(0x51)},      {SDL_SCANCODE_KP_0, Ext(0x52)},
      {SDL_SCANCODE_KP_PERIOD, Ext(0x53)}, {SDL_SCANCODE_RETURN, 13},
      {SDL_SCANCODE_RETURN2, 13},          {SDL_SCANCODE_KP_ENTER, 13},
      {SDL_SCANCODE_BACKSPACE, 8},         {SDL_SCANCODE_TAB, 9},
      {SDL_SCANCODE_ESCAPE, 27},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(MapKeyDown(SDL_SCANCODE_TO_KEYCODE(r.sc), r.sc, KMOD_NONE), r.plain) << r.sc;
  }
  // Either Shift, either Ctrl, Ctrl before Shift; Num Lock for the keypad.
  EXPECT_EQ(MapKeyDown(SDLK_F1, SDL_SCANCODE_F1, KMOD_LSHIFT), Ext(0x54));
  EXPECT_EQ(MapKeyDown(SDLK_F1, SDL_SCANCODE_F1, KMOD_RSHIFT), Ext(0x54));
  EXPECT_EQ(MapKeyDown(SDLK_F1, SDL_SCANCODE_F1, KMOD_LCTRL), Ext(0x5E));
  EXPECT_EQ(MapKeyDown(SDLK_F1, SDL_SCANCODE_F1, KMOD_RCTRL | KMOD_LSHIFT), Ext(0x5E));
  EXPECT_EQ(MapKeyDown(SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_NUM), 0u);
  EXPECT_EQ(MapKeyDown(SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_NUM | KMOD_RSHIFT), Ext(0x49));
  EXPECT_EQ(MapKeyDown(SDLK_UP, SDL_SCANCODE_UP, KMOD_NUM), Ext(0x48));
  EXPECT_EQ(MapKeyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_RCTRL), 127u);
}

TEST(MapKeyDown, AltCombinationsGiveNothing) {
  for (int alt : {int{KMOD_LALT}, int{KMOD_RALT}, KMOD_LALT | KMOD_CTRL, KMOD_RALT | KMOD_SHIFT}) {
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
      const auto code = static_cast<SDL_Scancode>(sc);
      for (SDL_Keycode sym : {SDL_Keycode{SDL_SCANCODE_TO_KEYCODE(code)}, SDL_Keycode{SDLK_a},
                              SDL_Keycode{SDLK_RETURN}}) {
        ASSERT_EQ(MapKeyDown(sym, code, alt), 0u) << "scancode " << sc << " mod " << alt;
      }
    }
  }
}

TEST(MapKeyDown, CtrlLetterFollowsTheLayoutsLetter) {
  for (SDL_Keycode sym = SDLK_a; sym <= SDLK_z; ++sym) {
    const uint32_t want = static_cast<uint32_t>(sym - SDLK_a + 1);
    // The scancode is that of another position on purpose: on a German
    // layout the key at the place of "y" types "z".
    EXPECT_EQ(MapKeyDown(sym, SDL_SCANCODE_Y, KMOD_LCTRL), want) << char(sym);
    EXPECT_EQ(MapKeyDown(sym, SDL_SCANCODE_Y, KMOD_RCTRL | KMOD_SHIFT), want) << char(sym);
    EXPECT_EQ(MapKeyDown(sym, SDL_SCANCODE_Y, KMOD_NONE), 0u) << char(sym);
    EXPECT_EQ(MapKeyDown(sym, SDL_SCANCODE_Y, KMOD_SHIFT), 0u) << char(sym);
  }
  const std::pair<SDL_Keycode, SDL_Scancode> others[] = {{SDLK_1, SDL_SCANCODE_1},
                                                         {SDLK_0, SDL_SCANCODE_0},
                                                         {SDLK_MINUS, SDL_SCANCODE_MINUS},
                                                         {SDLK_SPACE, SDL_SCANCODE_SPACE},
                                                         {SDLK_PERIOD, SDL_SCANCODE_PERIOD}};
  for (const auto& [sym, sc] : others) EXPECT_EQ(MapKeyDown(sym, sc, KMOD_CTRL), 0u) << sym;
}

TEST(MapKeyDown, KeysThatTypeOrHaveNoCodeGiveNothing) {
  // Every scancode outside the keys with codes, plain and shifted: letters,
  // digits and symbols come from text input; modifiers, locks, F13 and up,
  // Print Screen, Pause and the like have no PC code.
  const SDL_Scancode withCodes[] = {
      SDL_SCANCODE_F1,     SDL_SCANCODE_F2,      SDL_SCANCODE_F3,       SDL_SCANCODE_F4,
      SDL_SCANCODE_F5,     SDL_SCANCODE_F6,      SDL_SCANCODE_F7,       SDL_SCANCODE_F8,
      SDL_SCANCODE_F9,     SDL_SCANCODE_F11,     SDL_SCANCODE_F12,      SDL_SCANCODE_HOME,
      SDL_SCANCODE_UP,     SDL_SCANCODE_PAGEUP,  SDL_SCANCODE_LEFT,     SDL_SCANCODE_RIGHT,
      SDL_SCANCODE_END,    SDL_SCANCODE_DOWN,    SDL_SCANCODE_PAGEDOWN, SDL_SCANCODE_INSERT,
      SDL_SCANCODE_DELETE, SDL_SCANCODE_KP_7,    SDL_SCANCODE_KP_8,     SDL_SCANCODE_KP_9,
      SDL_SCANCODE_KP_4,   SDL_SCANCODE_KP_5,    SDL_SCANCODE_KP_6,     SDL_SCANCODE_KP_1,
      SDL_SCANCODE_KP_2,   SDL_SCANCODE_KP_3,    SDL_SCANCODE_KP_0,     SDL_SCANCODE_KP_PERIOD,
      SDL_SCANCODE_RETURN, SDL_SCANCODE_RETURN2, SDL_SCANCODE_KP_ENTER, SDL_SCANCODE_BACKSPACE,
      SDL_SCANCODE_TAB,    SDL_SCANCODE_ESCAPE};
  for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
    if (std::find(std::begin(withCodes), std::end(withCodes), sc) != std::end(withCodes)) {
      continue;
    }
    const auto code = static_cast<SDL_Scancode>(sc);
    const SDL_Keycode sym = sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z
                                ? SDLK_a + (sc - SDL_SCANCODE_A)
                                : SDL_SCANCODE_TO_KEYCODE(code);
    ASSERT_EQ(MapKeyDown(sym, code, KMOD_NONE), 0u) << "scancode " << sc;
    ASSERT_EQ(MapKeyDown(sym, code, KMOD_SHIFT | KMOD_NUM), 0u) << "scancode " << sc;
  }
}

// ---------------------------------------------------------------- sequences

SDL_Event KeyDown(SDL_Keycode sym, SDL_Scancode sc, uint16_t mod, bool repeat = false) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.repeat = repeat ? 1 : 0;
  e.key.keysym.sym = sym;
  e.key.keysym.scancode = sc;
  e.key.keysym.mod = mod;
  return e;
}
SDL_Event KeyUp(SDL_Keycode sym, SDL_Scancode sc) {
  SDL_Event e = KeyDown(sym, sc, 0);
  e.type = SDL_KEYUP;
  e.key.state = SDL_RELEASED;
  return e;
}
SDL_Event Text(const std::string& utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  std::strncpy(e.text.text, utf8.c_str(), sizeof e.text.text - 1);
  return e;
}
SDL_Event Motion() {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  return e;
}

// Feeds one batch of events as the display thread does; returns the codes
// and counts the full-screen switches.
Codes Feed(KeyInput& in, const std::vector<SDL_Event>& events, int* toggles = nullptr) {
  Codes codes;
  for (size_t i = 0; i < events.size(); ++i) {
    const SDL_Event* next = i + 1 < events.size() ? &events[i + 1] : nullptr;
    if (in.Handle(events[i], next, codes) && toggles) ++*toggles;
  }
  return codes;
}

TEST(KeyInput, ALetterArrivesOnceAndItsRepeatsOncePerRepeat) {
  KeyInput in;
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_a, SDL_SCANCODE_A, 0), Text("a"),
                      KeyDown(SDLK_a, SDL_SCANCODE_A, 0, true), Text("a"),
                      KeyDown(SDLK_a, SDL_SCANCODE_A, 0, true), Text("a"),
                      KeyUp(SDLK_a, SDL_SCANCODE_A)}),
            (Codes{'a', 'a', 'a'}));
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_a, SDL_SCANCODE_A, KMOD_LSHIFT), Text("A")}), (Codes{'A'}));
}

TEST(KeyInput, ExtendedKeysRepeat) {
  KeyInput in;
  EXPECT_EQ(
      Feed(in, {KeyDown(SDLK_F1, SDL_SCANCODE_F1, 0), KeyDown(SDLK_F1, SDL_SCANCODE_F1, 0, true),
                KeyDown(SDLK_UP, SDL_SCANCODE_UP, 0, true)}),
      (Codes{0x3BFF, 0x3BFF, 0x48FF}));
}

TEST(KeyInput, AltTypesNothing) {
  KeyInput in;
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_LALT, SDL_SCANCODE_LALT, KMOD_LALT),
                      KeyDown(SDLK_a, SDL_SCANCODE_A, KMOD_LALT), Text("a"),
                      KeyDown(SDLK_1, SDL_SCANCODE_1, KMOD_LALT | KMOD_LSHIFT), Text("!"),
                      KeyDown(SDLK_F4, SDL_SCANCODE_F4, KMOD_LALT)}),
            Codes{});
}

TEST(KeyInput, RightAltTypesAltGrCharactersButNotItsOwnLetter) {
  KeyInput in;
  // German layout: AltGr+Q types "@", AltGr+ß types "\".
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_q, SDL_SCANCODE_Q, KMOD_RALT), Text("@"),
                      KeyDown(0xDF, SDL_SCANCODE_MINUS, KMOD_RALT), Text("\\")}),
            (Codes{'@', '\\'}));
  // A right Alt that is plain Alt leaves the key's letter, in either case.
  EXPECT_EQ(
      Feed(in, {KeyDown(SDLK_a, SDL_SCANCODE_A, KMOD_RALT), Text("a"),
                KeyDown(SDLK_a, SDL_SCANCODE_A, KMOD_RALT | KMOD_SHIFT), Text("A"),
                KeyDown(0xE4, SDL_SCANCODE_APOSTROPHE, KMOD_RALT | KMOD_SHIFT), Text("\xC3\x84")}),
      Codes{});
}

TEST(KeyInput, CtrlTypesOnlyControlCodes) {
  KeyInput in;
  // X hands out "1" as text for Ctrl+1; the program must not see it.
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_c, SDL_SCANCODE_C, KMOD_LCTRL),
                      KeyDown(SDLK_1, SDL_SCANCODE_1, KMOD_LCTRL), Text("1"),
                      KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_RCTRL)}),
            (Codes{3, 10}));
}

TEST(KeyInput, AKeyThatTypesIsItsCharacterOnly) {
  KeyInput in;
  // Keypad 9 pressed with Shift while Num Lock is off types "9" on X.
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_LSHIFT), Text("9")}),
            (Codes{'9'}));
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_KP_9, SDL_SCANCODE_KP_9, KMOD_NONE)}), (Codes{0x49FF}));
  // Return never has text, but if a host sent some, the key would still be
  // Return and the text dropped as a control character.
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, 0), Text("\r")}), (Codes{13}));
}

TEST(KeyInput, TextWithoutItsKeyDownIsTyped) {
  KeyInput in;
  // A character typed through a keymap entry SDL has no scancode for.
  EXPECT_EQ(Feed(in, {Text("\xC3\xA4")}), (Codes{132}));
  // Text that does not directly follow an Alt key-down is not the Alt
  // combination's.
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_a, SDL_SCANCODE_A, KMOD_LALT), Motion(), Text("b")}),
            (Codes{'b'}));
  // Ownership ends with the batch: a later text event is typed.
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_a, SDL_SCANCODE_A, KMOD_LALT)}), Codes{});
  EXPECT_EQ(Feed(in, {Text("c")}), (Codes{'c'}));
}

TEST(KeyInput, AltEnterSwitchesFullScreenAndQueuesNothing) {
  KeyInput in;
  int toggles = 0;
  EXPECT_EQ(Feed(in,
                 {KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT),
                  KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT, true),
                  KeyDown(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_RALT)},
                 &toggles),
            Codes{});
  EXPECT_EQ(toggles, 2);  // the repeat does not switch back
  toggles = 0;
  EXPECT_EQ(Feed(in, {KeyDown(SDLK_RETURN, SDL_SCANCODE_RETURN, 0)}, &toggles), (Codes{13}));
  EXPECT_EQ(toggles, 0);
}

}  // namespace
}  // namespace wimmel::rt::sdl
