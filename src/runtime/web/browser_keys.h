// How a browser's key-down events become the program's key codes: the
// event's code (the key's place on the keyboard, "KeyA", "F1", "Numpad7")
// names the key for the keyboard table, and its key (the character the
// layout types, "a", "@", "ä", or a name such as "Home") gives the typed
// text. Free of the browser itself, so it is checked natively like the rest
// of the keyboard table; the web display feeds it the page's events.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/keys.h"

namespace wimmel::rt::web {

// The keyboard table's key of a KeyboardEvent.code; kOther for any key the
// table does not name.
keys::Key KeyOfBrowserCode(std::string_view code);

struct BrowserKeyDown {
  std::string_view code;  // KeyboardEvent.code
  std::string_view key;   // KeyboardEvent.key
  bool shift = false, ctrl = false, alt = false, meta = false;
};

struct BrowserKeyCodes {
  std::vector<uint32_t> codes;  // for the key queue, in order
  // Whether the page keeps the key from the browser (preventDefault).
  bool taken = false;
};

// The key queue's codes of a key-down: a key the keyboard table knows
// gives its code, any other key types its character (code page 437), and
// Alt+Enter, Alt combinations, the Meta key's and keys without a character
// give nothing. Ctrl with a letter gives its control code but stays the
// browser's as well (reload, find).
BrowserKeyCodes MapBrowserKeyDown(const BrowserKeyDown& e);

}  // namespace wimmel::rt::web
