#include "runtime/keys.h"

#include <array>
#include <cstddef>

namespace wimmel::rt::keys {

namespace {

// Code page 437 for the Latin-1 characters from 0xA0 on; 0 where the code
// page has no such character. Rows of eight, as in the Latin-1 chart.
constexpr std::array<uint8_t, 96> kLatin1ToCp437 = {
    0xFF, 0xAD, 0x9B, 0x9C, 0x00, 0x9D, 0x00, 0x00,  // A0 nbsp ¡ ¢ £ ¤ ¥ ¦ §
    0x00, 0x00, 0xA6, 0xAE, 0xAA, 0x00, 0x00, 0x00,  // A8 ¨ © ª « ¬ shy ® ¯
    0xF8, 0xF1, 0xFD, 0x00, 0x00, 0xE6, 0x00, 0xFA,  // B0 ° ± ² ³ ´ µ ¶ ·
    0x00, 0x00, 0xA7, 0xAF, 0xAC, 0xAB, 0x00, 0xA8,  // B8 ¸ ¹ º » ¼ ½ ¾ ¿
    0x00, 0x00, 0x00, 0x00, 0x8E, 0x8F, 0x92, 0x80,  // C0 À Á Â Ã Ä Å Æ Ç
    0x00, 0x90, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // C8 È É Ê Ë Ì Í Î Ï
    0x00, 0xA5, 0x00, 0x00, 0x00, 0x00, 0x99, 0x00,  // D0 Ð Ñ Ò Ó Ô Õ Ö ×
    0x00, 0x00, 0x00, 0x00, 0x9A, 0x00, 0x00, 0xE1,  // D8 Ø Ù Ú Û Ü Ý Þ ß
    0x85, 0xA0, 0x83, 0x00, 0x84, 0x86, 0x91, 0x87,  // E0 à á â ã ä å æ ç
    0x8A, 0x82, 0x88, 0x89, 0x8D, 0xA1, 0x8C, 0x8B,  // E8 è é ê ë ì í î ï
    0x00, 0xA4, 0x95, 0xA2, 0x93, 0x00, 0x94, 0xF6,  // F0 ð ñ ò ó ô õ ö ÷
    0x00, 0x97, 0xA3, 0x96, 0x81, 0x00, 0x00, 0x98,  // F8 ø ù ú û ü ý þ ÿ
};

}  // namespace

std::string KeyString(Extended extended) {
  return std::string{static_cast<char>(0xFF), static_cast<char>(extended)};
}

std::string KeyString(char character) {
  return std::string(1, character);
}

uint8_t Latin1ToCp437(uint32_t character) {
  if (character >= 0x20 && character < 0x7F) return static_cast<uint8_t>(character);
  if (character >= 0xA0 && character <= 0xFF) return kLatin1ToCp437[character - 0xA0];
  return 0;
}

namespace {

// Decodes one UTF-8 sequence at text[i]; a byte that does not start a
// well-formed sequence is a Latin-1 character of its own.
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

// A key's PC codes: the plain one (also used with Shift, as the BIOS does
// for the grey block) and the one with Ctrl.
struct Codes {
  uint8_t normal;
  uint8_t ctrl;
};

// The editing block, in the order of Key from kHome; the keypad's cursor
// keys (from kPad7) give the same codes, and keypad 5 its own.
constexpr Codes kEditingBlock[] = {
    {kHome, kCtrlHome},     {kUp, kCtrlUp},
    {kPageUp, kCtrlPageUp}, {kLeft, kCtrlLeft},
    {kRight, kCtrlRight},   {kEnd, kCtrlEnd},
    {kDown, kCtrlDown},     {kPageDown, kCtrlPageDown},
    {kInsert, kCtrlInsert}, {kDelete, kCtrlDelete},
};
constexpr Codes kKeypad[] = {
    {kHome, kCtrlHome},         {kUp, kCtrlUp},         {kPageUp, kCtrlPageUp}, {kLeft, kCtrlLeft},
    {kKeypad5, kCtrlKeypad5},   {kRight, kCtrlRight},   {kEnd, kCtrlEnd},       {kDown, kCtrlDown},
    {kPageDown, kCtrlPageDown}, {kInsert, kCtrlInsert}, {kDelete, kCtrlDelete},
};

bool InRange(Key key, Key first, Key last) {
  return static_cast<uint8_t>(key) >= static_cast<uint8_t>(first) &&
         static_cast<uint8_t>(key) <= static_cast<uint8_t>(last);
}

size_t Offset(Key key, Key first) {
  return static_cast<size_t>(static_cast<uint8_t>(key) - static_cast<uint8_t>(first));
}

}  // namespace

std::vector<uint8_t> TextToCp437(std::string_view utf8) {
  std::vector<uint8_t> codes;
  size_t i = 0;
  while (i < utf8.size()) {
    if (utf8[i] == '\0') break;
    const uint8_t code = Latin1ToCp437(NextCodePoint(utf8, i));
    if (code != 0) codes.push_back(code);
  }
  return codes;
}

uint32_t OtherCase(uint32_t cp) {
  if ((cp >= 'a' && cp <= 'z') || (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) return cp - 0x20;
  if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) return cp + 0x20;
  return cp;
}

uint32_t KeyDownCode(Key key, char letter, Modifiers m) {
  // Alt combinations belong to the host (and Alt+Enter to the display).
  if (m.alt) return 0;
  if (InRange(key, Key::kF1, Key::kF9)) {
    const auto i = static_cast<uint8_t>(Offset(key, Key::kF1));
    return QueueCode(static_cast<uint8_t>((m.ctrl ? kCtrlF1 : m.shift ? kShiftF1 : kF1) + i));
  }
  // F10 opens the host's menu bar; the program never sees it.
  if (key == Key::kF10) return 0;
  if (key == Key::kF11) return QueueCode(m.ctrl ? kCtrlF11 : m.shift ? kShiftF11 : kF11);
  if (key == Key::kF12) return QueueCode(m.ctrl ? kCtrlF12 : m.shift ? kShiftF12 : kF12);
  if (InRange(key, Key::kHome, Key::kDelete)) {
    const Codes& c = kEditingBlock[Offset(key, Key::kHome)];
    return QueueCode(m.ctrl ? c.ctrl : c.normal);
  }
  if (InRange(key, Key::kPad7, Key::kPadPeriod)) {
    // With Num Lock the keypad types digits (text); Shift turns it back
    // into the cursor keys for that press.
    if (m.numLock && !m.shift) return 0;
    const Codes& c = kKeypad[Offset(key, Key::kPad7)];
    return QueueCode(m.ctrl ? c.ctrl : c.normal);
  }
  switch (key) {
    case Key::kEnter:
    case Key::kPadEnter:
      return m.ctrl ? 10 : kEnter;
    case Key::kBackspace:
      return m.ctrl ? 127 : kBackspace;
    case Key::kTab:
      return m.ctrl ? 0 : kTab;
    case Key::kEscape:
      return kEscape;
    default:
      break;
  }
  if (m.ctrl && letter >= 'a' && letter <= 'z') return static_cast<uint32_t>(letter - 'a' + 1);
  return 0;
}

}  // namespace wimmel::rt::keys
