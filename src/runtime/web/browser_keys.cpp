#include "runtime/web/browser_keys.h"

#include <cctype>

namespace wimmel::rt::web {

using keys::Key;

Key KeyOfBrowserCode(std::string_view code) {
  if (code.size() >= 2 && code.size() <= 3 && code[0] == 'F') {
    int n = 0;
    for (char c : code.substr(1)) {
      if (c < '0' || c > '9') return Key::kOther;
      n = n * 10 + (c - '0');
    }
    if (n < 1 || n > 12) return Key::kOther;
    return static_cast<Key>(static_cast<uint8_t>(Key::kF1) + n - 1);
  }
  struct Named {
    std::string_view code;
    Key key;
  };
  static constexpr Named kNamed[] = {
      {"Home", Key::kHome},
      {"ArrowUp", Key::kUp},
      {"PageUp", Key::kPageUp},
      {"ArrowLeft", Key::kLeft},
      {"ArrowRight", Key::kRight},
      {"End", Key::kEnd},
      {"ArrowDown", Key::kDown},
      {"PageDown", Key::kPageDown},
      {"Insert", Key::kInsert},
      {"Delete", Key::kDelete},
      {"Numpad7", Key::kPad7},
      {"Numpad8", Key::kPad8},
      {"Numpad9", Key::kPad9},
      {"Numpad4", Key::kPad4},
      {"Numpad5", Key::kPad5},
      {"Numpad6", Key::kPad6},
      {"Numpad1", Key::kPad1},
      {"Numpad2", Key::kPad2},
      {"Numpad3", Key::kPad3},
      {"Numpad0", Key::kPad0},
      {"NumpadDecimal", Key::kPadPeriod},
      {"Enter", Key::kEnter},
      {"NumpadEnter", Key::kPadEnter},
      {"Backspace", Key::kBackspace},
      {"Tab", Key::kTab},
      {"Escape", Key::kEscape},
  };
  for (const Named& n : kNamed) {
    if (n.code == code) return n.key;
  }
  return Key::kOther;
}

namespace {

// The number of characters of UTF-8 text.
size_t CharacterCount(std::string_view text) {
  size_t n = 0;
  for (char c : text) {
    if ((static_cast<uint8_t>(c) & 0xC0) != 0x80) ++n;
  }
  return n;
}

}  // namespace

BrowserKeyCodes MapBrowserKeyDown(const BrowserKeyDown& e) {
  BrowserKeyCodes out;
  // Alt+Enter switches full screen, which the page does itself.
  if (e.alt && (e.code == "Enter" || e.code == "NumpadEnter")) return out;
  keys::Modifiers m;
  m.shift = e.shift;
  m.ctrl = e.ctrl;
  m.alt = e.alt;
  const Key k = KeyOfBrowserCode(e.code);
  // The browser tells no Num Lock state, but a keypad key with it on types
  // a digit or the decimal sign (Shift then gives the cursor key's name).
  if (k >= Key::kPad7 && k <= Key::kPadPeriod) {
    const char c = e.key.size() == 1 ? e.key[0] : '\0';
    m.numLock = (c >= '0' && c <= '9') || c == '.' || c == ',';
  }
  // The layout's letter of the key, for Ctrl with a letter.
  char letter = '\0';
  if (e.key.size() == 1 && std::isalpha(static_cast<unsigned char>(e.key[0]))) {
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(e.key[0])));
  } else if (e.code.size() == 4 && e.code.substr(0, 3) == "Key") {
    letter = static_cast<char>(std::tolower(static_cast<unsigned char>(e.code[3])));
  }
  if (e.meta) return out;
  if (const uint32_t c = keys::KeyDownCode(k, letter, m); c != 0) {
    out.codes.push_back(c);
    out.taken = !(m.ctrl && letter != '\0' && c == static_cast<uint32_t>(letter - 'a' + 1));
    return out;
  }
  // Anything else types its character, unless Ctrl or Alt alone are held
  // with it (those belong to the browser); Ctrl and Alt together are AltGr.
  if (CharacterCount(e.key) != 1 || m.ctrl != m.alt) return out;
  for (uint8_t c : keys::TextToCp437(e.key)) out.codes.push_back(c);
  out.taken = !out.codes.empty();
  return out;
}

}  // namespace wimmel::rt::web
