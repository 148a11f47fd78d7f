// The keyboard as the program sees it: the control characters keys type, the
// PC extended codes of keys that type nothing, and code page 437, in which
// characters reach the program. The terminal keyboard, the SDL display and
// the headless runner all name keys through this table, and a display turns
// its key-downs and typed text into the program's codes here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wimmel::rt::keys {

// Control characters typed by keys.
constexpr uint8_t kBackspace = 8;
constexpr uint8_t kTab = 9;
constexpr uint8_t kEnter = 13;
constexpr uint8_t kEscape = 27;

// The PC BIOS extended codes (the key's scan code) of keys without a
// character. The key queue holds one as (code << 8) | 0xFF, and ReadKey
// returns it as chr(255) followed by chr(code).
enum Extended : uint8_t {
  kF1 = 0x3B,  // F1 to F10 are 0x3B to 0x44
  kF10 = 0x44,
  kHome = 0x47,
  kUp = 0x48,
  kPageUp = 0x49,
  kLeft = 0x4B,
  kKeypad5 = 0x4C,
  kRight = 0x4D,
  kEnd = 0x4F,
  kDown = 0x50,
  kPageDown = 0x51,
  kInsert = 0x52,
  kDelete = 0x53,
  kShiftF1 = 0x54,  // to 0x5D
  kCtrlF1 = 0x5E,   // to 0x67
  kAltF1 = 0x68,    // to 0x71
  // Alt+F4 in the BIOS table; the program gets it for the window's close
  // button, never for the key combination.
  kCloseRequest = 0x6B,
  kCtrlLeft = 0x73,
  kCtrlRight = 0x74,
  kCtrlEnd = 0x75,
  kCtrlPageDown = 0x76,
  kCtrlHome = 0x77,
  kCtrlPageUp = 0x84,
  kF11 = 0x85,
  kF12 = 0x86,
  kShiftF11 = 0x87,
  kShiftF12 = 0x88,
  kCtrlF11 = 0x89,
  kCtrlF12 = 0x8A,
  kCtrlUp = 0x8D,
  kCtrlKeypad5 = 0x8F,
  kCtrlDown = 0x91,
  kCtrlInsert = 0x92,
  kCtrlDelete = 0x93,
};

// F1 to F10 by their number.
constexpr Extended FunctionKey(int number) {
  return static_cast<Extended>(kF1 + number - 1);
}

// The key queue's code of an extended key.
constexpr uint32_t QueueCode(uint8_t extended) {
  return (uint32_t{extended} << 8) | 0xFF;
}

// The key string ReadKey returns for an extended key, and for a character.
std::string KeyString(Extended extended);
std::string KeyString(char character);

// The code page 437 code of a Latin-1 character: ASCII 0x20 to 0x7E as it
// is, 0xA0 to 0xFF by the code page's table, 0 for everything the code page
// lacks (and for control characters, which keys type as codes of their own).
uint8_t Latin1ToCp437(uint32_t character);

// The code page 437 codes of the characters of typed text (UTF-8), in
// order. Characters outside Latin-1 or without a code page 437 form are
// dropped, and so are control characters (keys type those as key-downs);
// the text ends at a zero byte. A byte that does not start well-formed
// UTF-8 is taken as a Latin-1 character of its own, so text from a host
// that hands out Latin-1 bytes still arrives.
std::vector<uint8_t> TextToCp437(std::string_view utf8);

// The Latin-1 letter of the other case; anything else as it is.
uint32_t OtherCase(uint32_t character);

// The keys whose presses the program gets as codes rather than as typed
// text, named without any platform's key numbers: each display maps its
// own (SDL's scancodes, a browser's key names) to these.
enum class Key : uint8_t {
  kNone,
  kF1,  // kF1 + n - 1 is Fn, up to F12
  kF2,
  kF3,
  kF4,
  kF5,
  kF6,
  kF7,
  kF8,
  kF9,
  kF10,
  kF11,
  kF12,
  kHome,
  kUp,
  kPageUp,
  kLeft,
  kRight,
  kEnd,
  kDown,
  kPageDown,
  kInsert,
  kDelete,
  // The keypad's keys that are cursor keys without Num Lock.
  kPad7,
  kPad8,
  kPad9,
  kPad4,
  kPad5,
  kPad6,
  kPad1,
  kPad2,
  kPad3,
  kPad0,
  kPadPeriod,
  kEnter,
  kPadEnter,
  kBackspace,
  kTab,
  kEscape,
  // Any other key: it types text, or gives nothing; Ctrl with a letter
  // gives that letter's control code.
  kOther,
};

struct Modifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  bool numLock = false;
};

// The key queue's code of a key-down: a PC extended code (QueueCode), a
// control code (8, 9, 10, 13, 27, 127, Ctrl+letter 1 to 26), or 0 when the
// key gives nothing as a key-down (it types text, or has no code). letter
// is the lower-case ASCII letter the key stands for in the keyboard's
// layout, 0 for none. Alt combinations belong to the host and F10 opens
// its menu bar: both give 0. Ctrl comes before Shift; with Num Lock the
// keypad types digits, and Shift turns it back into cursor keys.
uint32_t KeyDownCode(Key key, char letter, Modifiers modifiers);

}  // namespace wimmel::rt::keys
