// A browser's key-downs as the web display hands them to the program: the
// keys the program uses, typed characters in code page 437, the keypad
// with and without Num Lock, and the combinations that stay the browser's.
#include "runtime/web/browser_keys.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/keys.h"

namespace rt = wimmel::rt;
namespace keys = wimmel::rt::keys;
using rt::web::BrowserKeyDown;
using rt::web::MapBrowserKeyDown;

namespace {

struct Case {
  BrowserKeyDown down;
  std::vector<uint32_t> codes;
  bool taken;
};

BrowserKeyDown Down(std::string_view code, std::string_view key, bool shift = false,
                    bool ctrl = false, bool alt = false) {
  BrowserKeyDown d;
  d.code = code;
  d.key = key;
  d.shift = shift;
  d.ctrl = ctrl;
  d.alt = alt;
  return d;
}

TEST(BrowserKeys, EveryCodeTheTableNames) {
  EXPECT_EQ(rt::web::KeyOfBrowserCode("F1"), keys::Key::kF1);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("F9"), keys::Key::kF9);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("F10"), keys::Key::kF10);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("F12"), keys::Key::kF12);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("F13"), keys::Key::kOther);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("F0"), keys::Key::kOther);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("Fn"), keys::Key::kOther);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("ArrowUp"), keys::Key::kUp);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("ArrowDown"), keys::Key::kDown);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("ArrowLeft"), keys::Key::kLeft);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("ArrowRight"), keys::Key::kRight);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("PageDown"), keys::Key::kPageDown);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("Numpad7"), keys::Key::kPad7);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("Numpad0"), keys::Key::kPad0);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("NumpadDecimal"), keys::Key::kPadPeriod);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("NumpadEnter"), keys::Key::kPadEnter);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("Backspace"), keys::Key::kBackspace);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("Tab"), keys::Key::kTab);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("Escape"), keys::Key::kEscape);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("KeyA"), keys::Key::kOther);
  EXPECT_EQ(rt::web::KeyOfBrowserCode("NumpadAdd"), keys::Key::kOther);
}

TEST(BrowserKeys, KeyDownsBecomeTheProgramsCodes) {
  const Case cases[] = {
      // The keys the program uses, kept from the browser.
      {Down("F1", "F1"), {keys::QueueCode(keys::kF1)}, true},
      {Down("F1", "F1", true), {keys::QueueCode(keys::kShiftF1)}, true},
      {Down("ArrowUp", "ArrowUp"), {keys::QueueCode(keys::kUp)}, true},
      {Down("Escape", "Escape"), {keys::kEscape}, true},
      {Down("Tab", "Tab"), {keys::kTab}, true},
      {Down("Backspace", "Backspace"), {keys::kBackspace}, true},
      {Down("Enter", "Enter"), {keys::kEnter}, true},
      {Down("KeyS", "s"), {'s'}, true},
      {Down("KeyS", "S", true), {'S'}, true},
      {Down("Digit1", "1"), {'1'}, true},
      {Down("NumpadAdd", "+"), {'+'}, true},
      {Down("Minus", "-"), {'-'}, true},
      {Down("Space", " "), {' '}, true},
      // A German layout's characters in code page 437.
      {Down("Quote", "\xC3\xA4"), {0x84}, true},
      {Down("Minus", "\xC3\x9F"), {0xE1}, true},
      // The keypad: digits with Num Lock, the cursor keys without.
      {Down("Numpad7", "7"), {'7'}, true},
      {Down("Numpad7", "Home"), {keys::QueueCode(keys::kHome)}, true},
      {Down("Numpad7", "Home", true), {keys::QueueCode(keys::kHome)}, true},
      {Down("NumpadDecimal", ","), {','}, true},
      // AltGr (Ctrl and Alt together on some systems) types its character.
      {Down("KeyQ", "@", false, true, true), {'@'}, true},
      // Ctrl with a letter: its control code, and the browser keeps it too.
      {Down("KeyC", "c", false, true), {3}, false},
      // What stays the browser's alone.
      {Down("Enter", "Enter", false, false, true), {}, false},
      {Down("KeyX", "x", false, false, true), {}, false},
      {Down("F10", "F10"), {}, false},
      {Down("ShiftLeft", "Shift", true), {}, false},
      {Down("KeyZ", "\xE2\x82\xAC"), {}, false},
  };
  for (const Case& c : cases) {
    const rt::web::BrowserKeyCodes got = MapBrowserKeyDown(c.down);
    EXPECT_EQ(got.codes, c.codes) << c.down.code << " \"" << c.down.key << "\"";
    EXPECT_EQ(got.taken, c.taken) << c.down.code << " \"" << c.down.key << "\"";
  }
  BrowserKeyDown meta = Down("KeyR", "r");
  meta.meta = true;
  EXPECT_TRUE(MapBrowserKeyDown(meta).codes.empty());
}

}  // namespace
