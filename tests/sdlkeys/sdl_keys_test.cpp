// The mapping of SDL's key-down and text events to key codes, checked event
// by event without a window.
#include <gtest/gtest.h>
#include <iconv.h>

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

std::string Utf8(uint32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

// The C library's own Latin-1 to code page 437 table, as an independent
// reference; -1 where the code page has no such character.
int Iconv437(uint8_t latin1) {
  iconv_t cd = iconv_open("IBM437", "ISO-8859-1");
  if (cd == reinterpret_cast<iconv_t>(-1)) return -2;
  char in[1] = {static_cast<char>(latin1)};
  char out[4] = {};
  char* ip = in;
  char* op = out;
  size_t il = 1, ol = sizeof out;
  const size_t r = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || ol != sizeof out - 1) return -1;
  return static_cast<uint8_t>(out[0]);
}

std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
  return std::vector<uint8_t>(v.begin(), v.end());
}

TEST(MapText, EveryLatin1CharacterMatchesTheCodePage) {
  for (uint32_t cp = 0x20; cp <= 0xFF; ++cp) {
    if (cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) continue;
    const int want = Iconv437(static_cast<uint8_t>(cp));
    ASSERT_NE(want, -2) << "iconv has no IBM437";
    const std::vector<uint8_t> got = MapText(Utf8(cp));
    if (want < 0) {
      EXPECT_TRUE(got.empty()) << "U+" << std::hex << cp << " is not in code page 437";
    } else {
      EXPECT_EQ(got, Bytes({want})) << "U+" << std::hex << cp;
    }
  }
}

TEST(MapText, UmlautsAndSharpS) {
  EXPECT_EQ(MapText("\xC3\xA4"), Bytes({132}));  // ä
  EXPECT_EQ(MapText("\xC3\xB6\xC3\xBC\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F"),
            Bytes({148, 129, 142, 153, 154, 225}));  // öüÄÖÜß
}

TEST(MapText, ControlsAndCharactersBeyondLatin1AreDropped) {
  // Tab, Return, Escape and Delete come from key-downs; as text they would
  // arrive twice.
  EXPECT_TRUE(MapText("\t\r\x1B\x7F").empty());
  for (uint32_t cp = 0x80; cp < 0xA0; ++cp) EXPECT_TRUE(MapText(Utf8(cp)).empty()) << cp;
  EXPECT_TRUE(MapText(Utf8(0x20AC)).empty());   // euro sign
  EXPECT_TRUE(MapText(Utf8(0x03B1)).empty());   // alpha, in the code page but not in Latin-1
  EXPECT_TRUE(MapText(Utf8(0x1F600)).empty());  // an emoji
  EXPECT_EQ(MapText(std::string("a") + Utf8(0x20AC) + "b"), Bytes({'a', 'b'}));
}

TEST(MapText, KeepsOrderOfSeveralCharacters) {
  EXPECT_EQ(MapText("a\xC3\xA4Z5+-"), Bytes({'a', 132, 'Z', '5', '+', '-'}));
}

TEST(MapText, MalformedUtf8IsReadAsLatin1Bytes) {
  EXPECT_EQ(MapText("\xE4"), Bytes({132}));   // a lone Latin-1 ä
  EXPECT_EQ(MapText("x\xC3"), Bytes({'x'}));  // truncated: Ã has no code
  EXPECT_EQ(MapText("\xC0\xA1").size(), 1u);  // overlong "!" is not "!"
  EXPECT_NE(MapText("\xC0\xA1"), Bytes({'!'}));
  // An encoded surrogate is three Latin-1 bytes: í, nbsp and a C1 control.
  EXPECT_EQ(MapText("\xED\xA0\x80"), Bytes({0xA1, 0xFF}));
  EXPECT_EQ(MapText(std::string_view("a\0b", 3)), Bytes({'a'}));
}

// ---------------------------------------------------------------- key-downs

TEST(MapKeyDown, FunctionKeysInAllThreeColumns) {
  for (int i = 0; i < 9; ++i) {
    const auto sc = static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i);
    const auto sym = static_cast<SDL_Keycode>(SDLK_F1 + i);
    EXPECT_EQ(MapKeyDown(sym, sc, KMOD_NONE), Ext(0x3B + i)) << "F" << i + 1;
    EXPECT_EQ(MapKeyDown(sym, sc, KMOD_LSHIFT), Ext(0x54 + i)) << "Shift+F" << i + 1;
    EXPECT_EQ(MapKeyDown(sym, sc, KMOD_RSHIFT), Ext(0x54 + i)) << "Shift+F" << i + 1;
    EXPECT_EQ(MapKeyDown(sym, sc, KMOD_LCTRL), Ext(0x5E + i)) << "Ctrl+F" << i + 1;
    // Ctrl comes before Shift.
    EXPECT_EQ(MapKeyDown(sym, sc, KMOD_RCTRL | KMOD_LSHIFT), Ext(0x5E + i)) << i + 1;
  }
  EXPECT_EQ(MapKeyDown(SDLK_F1, SDL_SCANCODE_F1, KMOD_NONE), 0x3BFFu);  // chr(255) + ";"
  EXPECT_EQ(MapKeyDown(SDLK_F11, SDL_SCANCODE_F11, KMOD_NONE), Ext(0x85));
  EXPECT_EQ(MapKeyDown(SDLK_F12, SDL_SCANCODE_F12, KMOD_NONE), Ext(0x86));
  EXPECT_EQ(MapKeyDown(SDLK_F11, SDL_SCANCODE_F11, KMOD_SHIFT), Ext(0x87));
  EXPECT_EQ(MapKeyDown(SDLK_F12, SDL_SCANCODE_F12, KMOD_SHIFT), Ext(0x88));
  EXPECT_EQ(MapKeyDown(SDLK_F11, SDL_SCANCODE_F11, KMOD_CTRL), Ext(0x89));
  EXPECT_EQ(MapKeyDown(SDLK_F12, SDL_SCANCODE_F12, KMOD_CTRL), Ext(0x8A));
}

TEST(MapKeyDown, F10GivesNothingWithAnyModifier) {
  for (int mod : {KMOD_NONE, KMOD_SHIFT, KMOD_CTRL, KMOD_ALT, KMOD_NUM}) {
    EXPECT_EQ(MapKeyDown(SDLK_F10, SDL_SCANCODE_F10, mod), 0u) << mod;
  }
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

TEST(MapKeyDown, EditingBlockPlainShiftedAndWithCtrl) {
  struct Row {
    SDL_Scancode sc;
    uint32_t normal, ctrl;
  };
  const Row rows[] = {
      {SDL_SCANCODE_HOME, 0x47, 0x77},   {SDL_SCANCODE_UP, 0x48, 0x8D},
      {SDL_SCANCODE_PAGEUP, 0x49, 0x84}, {SDL_SCANCODE_LEFT, 0x4B, 0x73},
      {SDL_SCANCODE_RIGHT, 0x4D, 0x74},  {SDL_SCANCODE_END, 0x4F, 0x75},
      {SDL_SCANCODE_DOWN, 0x50, 0x91},   {SDL_SCANCODE_PAGEDOWN, 0x51, 0x76},
      {SDL_SCANCODE_INSERT, 0x52, 0x92}, {SDL_SCANCODE_DELETE, 0x53, 0x93},
  };
  for (const Row& r : rows) {
    const SDL_Keycode sym = SDL_SCANCODE_TO_KEYCODE(r.sc);
    EXPECT_EQ(MapKeyDown(sym, r.sc, KMOD_NONE), Ext(r.normal)) << r.sc;
    EXPECT_EQ(MapKeyDown(sym, r.sc, KMOD_SHIFT), Ext(r.normal)) << r.sc;
    EXPECT_EQ(MapKeyDown(sym, r.sc, KMOD_CTRL), Ext(r.ctrl)) << r.sc;
    // Num Lock belongs to the keypad only.
    EXPECT_EQ(MapKeyDown(sym, r.sc, KMOD_NUM), Ext(r.normal)) << r.sc;
  }
  EXPECT_EQ(MapKeyDown(SDLK_UP, SDL_SCANCODE_UP, KMOD_NONE), 0x48FFu);  // chr(255) + "H"
}

TEST(MapKeyDown, KeypadIsCursorBlockWithoutNumLockAndDigitsWithIt) {
  const SDL_Scancode keypad[] = {SDL_SCANCODE_KP_7,     SDL_SCANCODE_KP_8, SDL_SCANCODE_KP_9,
                                 SDL_SCANCODE_KP_4,     SDL_SCANCODE_KP_6, SDL_SCANCODE_KP_1,
                                 SDL_SCANCODE_KP_2,     SDL_SCANCODE_KP_3, SDL_SCANCODE_KP_0,
                                 SDL_SCANCODE_KP_PERIOD};
  const SDL_Scancode block[] = {SDL_SCANCODE_HOME,  SDL_SCANCODE_UP,       SDL_SCANCODE_PAGEUP,
                                SDL_SCANCODE_LEFT,  SDL_SCANCODE_RIGHT,    SDL_SCANCODE_END,
                                SDL_SCANCODE_DOWN,  SDL_SCANCODE_PAGEDOWN, SDL_SCANCODE_INSERT,
                                SDL_SCANCODE_DELETE};
  for (size_t i = 0; i < std::size(keypad); ++i) {
    const SDL_Keycode kp = SDL_SCANCODE_TO_KEYCODE(keypad[i]);
    const SDL_Keycode bl = SDL_SCANCODE_TO_KEYCODE(block[i]);
    for (int mod : {KMOD_NONE, KMOD_CTRL, KMOD_SHIFT}) {
      EXPECT_EQ(MapKeyDown(kp, keypad[i], mod), MapKeyDown(bl, block[i], mod)) << i;
    }
    EXPECT_EQ(MapKeyDown(kp, keypad[i], KMOD_NUM), 0u) << i;
    EXPECT_EQ(MapKeyDown(kp, keypad[i], KMOD_NUM | KMOD_CTRL), 0u) << i;
    EXPECT_EQ(MapKeyDown(kp, keypad[i], KMOD_NUM | KMOD_SHIFT), MapKeyDown(bl, block[i], 0)) << i;
  }
  EXPECT_EQ(MapKeyDown(SDLK_KP_5, SDL_SCANCODE_KP_5, KMOD_NONE), Ext(0x4C));
  EXPECT_EQ(MapKeyDown(SDLK_KP_5, SDL_SCANCODE_KP_5, KMOD_NUM), 0u);
  // The keypad's operators type characters in every state.
  for (SDL_Scancode sc : {SDL_SCANCODE_KP_PLUS, SDL_SCANCODE_KP_MINUS, SDL_SCANCODE_KP_MULTIPLY,
                          SDL_SCANCODE_KP_DIVIDE}) {
    EXPECT_EQ(MapKeyDown(SDL_SCANCODE_TO_KEYCODE(sc), sc, KMOD_NONE), 0u) << sc;
  }
}

TEST(MapKeyDown, ControlKeys) {
  for (SDL_Scancode sc : {SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER}) {
    EXPECT_EQ(MapKeyDown(SDLK_RETURN, sc, KMOD_NONE), 13u);
    EXPECT_EQ(MapKeyDown(SDLK_RETURN, sc, KMOD_SHIFT), 13u);
    EXPECT_EQ(MapKeyDown(SDLK_RETURN, sc, KMOD_CTRL), 10u);
    EXPECT_EQ(MapKeyDown(SDLK_RETURN, sc, KMOD_NUM), 13u);
  }
  EXPECT_EQ(MapKeyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_NONE), 8u);
  EXPECT_EQ(MapKeyDown(SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_CTRL), 127u);
  EXPECT_EQ(MapKeyDown(SDLK_TAB, SDL_SCANCODE_TAB, KMOD_NONE), 9u);
  EXPECT_EQ(MapKeyDown(SDLK_TAB, SDL_SCANCODE_TAB, KMOD_SHIFT), 9u);
  EXPECT_EQ(MapKeyDown(SDLK_TAB, SDL_SCANCODE_TAB, KMOD_CTRL), 0u);
  EXPECT_EQ(MapKeyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE), 27u);
  EXPECT_EQ(MapKeyDown(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_SHIFT), 27u);
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
