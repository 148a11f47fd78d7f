// The keyboard table every display uses: typed text into code page 437,
// and key-downs into the PC extended codes and control codes, checked key by
// key without any window system.
#include "runtime/keys.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

namespace wimmel::rt::keys {
namespace {

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

// ---------------------------------------------------------------- text

TEST(TextToCp437, EveryLatin1CharacterMatchesTheCodePage) {
  for (uint32_t cp = 0x20; cp <= 0xFF; ++cp) {
    if (cp == 0x7F || (cp >= 0x80 && cp < 0xA0)) continue;
    const int want = Iconv437(static_cast<uint8_t>(cp));
    ASSERT_NE(want, -2) << "iconv has no IBM437";
    const std::vector<uint8_t> got = TextToCp437(Utf8(cp));
    if (want < 0) {
      EXPECT_TRUE(got.empty()) << "U+" << std::hex << cp << " is not in code page 437";
    } else {
      EXPECT_EQ(got, Bytes({want})) << "U+" << std::hex << cp;
    }
  }
}

TEST(TextToCp437, UmlautsAndSharpS) {
  EXPECT_EQ(TextToCp437("\xC3\xA4"), Bytes({132}));  // ä
  EXPECT_EQ(TextToCp437("\xC3\xB6\xC3\xBC\xC3\x84\xC3\x96\xC3\x9C\xC3\x9F"),
            Bytes({148, 129, 142, 153, 154, 225}));  // öüÄÖÜß
}

TEST(TextToCp437, ControlsAndCharactersBeyondLatin1AreDropped) {
  // Tab, Return, Escape and Delete come from key-downs; as text they would
  // arrive twice.
  EXPECT_TRUE(TextToCp437("\t\r\x1B\x7F").empty());
  for (uint32_t cp = 0x80; cp < 0xA0; ++cp) EXPECT_TRUE(TextToCp437(Utf8(cp)).empty()) << cp;
  EXPECT_TRUE(TextToCp437(Utf8(0x20AC)).empty());   // euro sign
  EXPECT_TRUE(TextToCp437(Utf8(0x03B1)).empty());   // alpha, in the code page but not in Latin-1
  EXPECT_TRUE(TextToCp437(Utf8(0x1F600)).empty());  // an emoji
  std::string between = Utf8(0x20AC);
  between.insert(between.begin(), 'a');
  between.push_back('b');
  EXPECT_EQ(TextToCp437(between), Bytes({'a', 'b'}));
}

TEST(TextToCp437, KeepsOrderOfSeveralCharacters) {
  EXPECT_EQ(TextToCp437("a\xC3\xA4Z5+-"), Bytes({'a', 132, 'Z', '5', '+', '-'}));
}

TEST(TextToCp437, MalformedUtf8IsReadAsLatin1Bytes) {
  EXPECT_EQ(TextToCp437("\xE4"), Bytes({132}));   // a lone Latin-1 ä
  EXPECT_EQ(TextToCp437("x\xC3"), Bytes({'x'}));  // truncated: Ã has no code
  EXPECT_EQ(TextToCp437("\xC0\xA1").size(), 1u);  // overlong "!" is not "!"
  EXPECT_NE(TextToCp437("\xC0\xA1"), Bytes({'!'}));
  // An encoded surrogate is three Latin-1 bytes: í, nbsp and a C1 control.
  EXPECT_EQ(TextToCp437("\xED\xA0\x80"), Bytes({0xA1, 0xFF}));
  EXPECT_EQ(TextToCp437(std::string_view("a\0b", 3)), Bytes({'a'}));
}

TEST(OtherCase, LettersOfLatin1SwapCaseAndNothingElseChanges) {
  EXPECT_EQ(OtherCase('a'), uint32_t{'A'});
  EXPECT_EQ(OtherCase('Z'), uint32_t{'z'});
  EXPECT_EQ(OtherCase(0xE4), 0xC4u);  // ä
  EXPECT_EQ(OtherCase(0xDC), 0xFCu);  // Ü
  EXPECT_EQ(OtherCase(0xF7), 0xF7u);  // ÷
  EXPECT_EQ(OtherCase(0xD7), 0xD7u);  // ×
  EXPECT_EQ(OtherCase(0xDF), 0xDFu);  // ß has no capital in Latin-1
  EXPECT_EQ(OtherCase('1'), uint32_t{'1'});
}

// ---------------------------------------------------------------- key-downs

constexpr Modifiers kPlain{};
constexpr Modifiers kShift{true, false, false, false};
constexpr Modifiers kCtrl{false, true, false, false};
constexpr Modifiers kCtrlShift{true, true, false, false};
constexpr Modifiers kNum{false, false, false, true};
constexpr Modifiers kNumShift{true, false, false, true};
constexpr Modifiers kNumCtrl{false, true, false, true};

Key FKey(int n) {
  return static_cast<Key>(static_cast<uint8_t>(Key::kF1) + n - 1);
}

TEST(KeyDownCode, FunctionKeysInAllThreeColumns) {
  for (int n = 1; n <= 9; ++n) {
    EXPECT_EQ(KeyDownCode(FKey(n), 0, kPlain), Ext(0x3A + n)) << "F" << n;
    EXPECT_EQ(KeyDownCode(FKey(n), 0, kShift), Ext(0x53 + n)) << "Shift+F" << n;
    EXPECT_EQ(KeyDownCode(FKey(n), 0, kCtrl), Ext(0x5D + n)) << "Ctrl+F" << n;
    // Ctrl comes before Shift.
    EXPECT_EQ(KeyDownCode(FKey(n), 0, kCtrlShift), Ext(0x5D + n)) << "Ctrl+Shift+F" << n;
  }
  EXPECT_EQ(KeyDownCode(Key::kF1, 0, kPlain), 0x3BFFu);  // chr(255) + ";"
  EXPECT_EQ(KeyDownCode(Key::kF11, 0, kPlain), Ext(0x85));
  EXPECT_EQ(KeyDownCode(Key::kF12, 0, kPlain), Ext(0x86));
  EXPECT_EQ(KeyDownCode(Key::kF11, 0, kShift), Ext(0x87));
  EXPECT_EQ(KeyDownCode(Key::kF12, 0, kShift), Ext(0x88));
  EXPECT_EQ(KeyDownCode(Key::kF11, 0, kCtrl), Ext(0x89));
  EXPECT_EQ(KeyDownCode(Key::kF12, 0, kCtrlShift), Ext(0x8A));
}

TEST(KeyDownCode, F10GivesNothingWithAnyModifier) {
  for (const Modifiers& m : {kPlain, kShift, kCtrl, kNum}) {
    EXPECT_EQ(KeyDownCode(Key::kF10, 0, m), 0u);
  }
}

TEST(KeyDownCode, AltCombinationsGiveNothing) {
  for (int k = 0; k <= static_cast<int>(Key::kOther); ++k) {
    for (const bool shift : {false, true}) {
      for (const bool ctrl : {false, true}) {
        const Modifiers m{shift, ctrl, true, false};
        EXPECT_EQ(KeyDownCode(static_cast<Key>(k), 'a', m), 0u) << "key " << k;
      }
    }
  }
}

TEST(KeyDownCode, EditingBlockPlainShiftedAndWithCtrl) {
  struct Row {
    Key key;
    uint32_t normal, ctrl;
  };
  const Row rows[] = {
      {Key::kHome, 0x47, 0x77},   {Key::kUp, 0x48, 0x8D},       {Key::kPageUp, 0x49, 0x84},
      {Key::kLeft, 0x4B, 0x73},   {Key::kRight, 0x4D, 0x74},    {Key::kEnd, 0x4F, 0x75},
      {Key::kDown, 0x50, 0x91},   {Key::kPageDown, 0x51, 0x76}, {Key::kInsert, 0x52, 0x92},
      {Key::kDelete, 0x53, 0x93},
  };
  for (const Row& r : rows) {
    const int k = static_cast<int>(r.key);
    EXPECT_EQ(KeyDownCode(r.key, 0, kPlain), Ext(r.normal)) << k;
    EXPECT_EQ(KeyDownCode(r.key, 0, kShift), Ext(r.normal)) << k;
    EXPECT_EQ(KeyDownCode(r.key, 0, kCtrl), Ext(r.ctrl)) << k;
    // Num Lock belongs to the keypad only.
    EXPECT_EQ(KeyDownCode(r.key, 0, kNum), Ext(r.normal)) << k;
  }
  EXPECT_EQ(KeyDownCode(Key::kUp, 0, kPlain), 0x48FFu);  // chr(255) + "H"
}

TEST(KeyDownCode, KeypadIsTheCursorBlockWithoutNumLockAndDigitsWithIt) {
  const Key keypad[] = {Key::kPad7, Key::kPad8, Key::kPad9, Key::kPad4, Key::kPad6,
                        Key::kPad1, Key::kPad2, Key::kPad3, Key::kPad0, Key::kPadPeriod};
  const Key block[] = {Key::kHome, Key::kUp,   Key::kPageUp,   Key::kLeft,   Key::kRight,
                       Key::kEnd,  Key::kDown, Key::kPageDown, Key::kInsert, Key::kDelete};
  for (size_t i = 0; i < std::size(keypad); ++i) {
    for (const Modifiers& m : {kPlain, kCtrl, kShift}) {
      EXPECT_EQ(KeyDownCode(keypad[i], 0, m), KeyDownCode(block[i], 0, m)) << i;
      EXPECT_NE(KeyDownCode(keypad[i], 0, m), 0u) << i;
    }
    EXPECT_EQ(KeyDownCode(keypad[i], 0, kNum), 0u) << i;
    EXPECT_EQ(KeyDownCode(keypad[i], 0, kNumCtrl), 0u) << i;
    EXPECT_EQ(KeyDownCode(keypad[i], 0, kNumShift), KeyDownCode(block[i], 0, kPlain)) << i;
  }
  EXPECT_EQ(KeyDownCode(Key::kPad5, 0, kPlain), Ext(0x4C));
  EXPECT_EQ(KeyDownCode(Key::kPad5, 0, kCtrl), Ext(0x8F));
  EXPECT_EQ(KeyDownCode(Key::kPad5, 0, kNum), 0u);
}

TEST(KeyDownCode, ControlKeys) {
  for (Key enter : {Key::kEnter, Key::kPadEnter}) {
    EXPECT_EQ(KeyDownCode(enter, 0, kPlain), 13u);
    EXPECT_EQ(KeyDownCode(enter, 0, kShift), 13u);
    EXPECT_EQ(KeyDownCode(enter, 0, kCtrl), 10u);
    EXPECT_EQ(KeyDownCode(enter, 0, kNum), 13u);
  }
  EXPECT_EQ(KeyDownCode(Key::kBackspace, 0, kPlain), 8u);
  EXPECT_EQ(KeyDownCode(Key::kBackspace, 0, kCtrl), 127u);
  EXPECT_EQ(KeyDownCode(Key::kTab, 0, kPlain), 9u);
  EXPECT_EQ(KeyDownCode(Key::kTab, 0, kShift), 9u);
  EXPECT_EQ(KeyDownCode(Key::kTab, 0, kCtrl), 0u);
  EXPECT_EQ(KeyDownCode(Key::kEscape, 0, kPlain), 27u);
  EXPECT_EQ(KeyDownCode(Key::kEscape, 0, kShift), 27u);
}

TEST(KeyDownCode, CtrlWithALetterGivesItsControlCode) {
  for (char c = 'a'; c <= 'z'; ++c) {
    const uint32_t want = static_cast<uint32_t>(c - 'a' + 1);
    EXPECT_EQ(KeyDownCode(Key::kOther, c, kCtrl), want) << c;
    EXPECT_EQ(KeyDownCode(Key::kOther, c, kCtrlShift), want) << c;
    // Without Ctrl the letter is typed text.
    EXPECT_EQ(KeyDownCode(Key::kOther, c, kPlain), 0u) << c;
    EXPECT_EQ(KeyDownCode(Key::kOther, c, kShift), 0u) << c;
  }
  for (char c : {'1', '0', '-', ' ', '.', 'A', '\0'}) {
    EXPECT_EQ(KeyDownCode(Key::kOther, c, kCtrl), 0u) << c;
  }
}

}  // namespace
}  // namespace wimmel::rt::keys
