// Keys, mouse, timer and sleep, and the display that feeds them.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <limits>
#include <thread>

#include "runtime/internal.h"
#include "runtime/keys.h"

namespace wimmel::rt {

using namespace detail;

namespace {

// How often a wait for a key looks at the terminal, in seconds.
constexpr double kTerminalPoll = 0.05;

// The program polls keys in a tight loop; when the display thread wanted the
// lock at the same moment, giving up the time slice after the read lets it
// in instead of the program taking the lock straight back.
class PollLock {
 public:
  PollLock() : contended_(!ScreenMutex().try_lock()) {
    if (contended_) ScreenMutex().lock();
  }
  ~PollLock() {
    ScreenMutex().unlock();
    if (contended_) std::this_thread::yield();
  }
  PollLock(const PollLock&) = delete;
  PollLock& operator=(const PollLock&) = delete;

 private:
  bool contended_;
};

// Checks the key-hit flag and clears it; the key itself stays queued.
bool TakeKeyHit() {
  InputState& input = State().input;
  PollLock lock;
  const bool hit = input.keyHit;
  input.keyHit = false;
  return hit;
}

bool KeyWaiting() {
  InputState& input = State().input;
  PollLock lock;
  return input.keyHit || input.head != input.tail;
}

}  // namespace

namespace detail {

void ResetInput() {
  std::lock_guard<ScreenLock> lock(ScreenMutex());
  State().input = InputState{};
}

}  // namespace detail

void InstallDisplay(std::unique_ptr<Display> display) {
  CloseScreen();
  ResetInput();
  State().display = std::move(display);
}

Display& CurrentDisplay() {
  // Without an installed display the runtime runs headless; creating it
  // here must not close a screen the way installing a display does.
  if (!State().display) State().display = MakeHeadlessDisplay(HeadlessConfig{});
  return *State().display;
}

void QueueKeyCode(uint32_t code) {
  InputState& input = State().input;
  std::lock_guard<ScreenLock> lock(ScreenMutex());
  input.queue[input.head] = code;
  input.head = (input.head + 1) % InputState::kQueueSize;
  if (input.head == input.tail) input.tail = (input.tail + 1) % InputState::kQueueSize;
  input.keyHit = true;
}

void SetMouseState(const MouseState& state) {
  InputState& input = State().input;
  std::lock_guard<ScreenLock> lock(ScreenMutex());
  input.unseenButtons |= state.buttons & ~input.displayButtons;
  input.displayButtons = state.buttons;
  input.heldButtons = input.unseenButtons & ~state.buttons;
  input.mouse = state;
  input.mouse.buttons |= input.heldButtons;
  input.mouseChanged = true;
}

MouseState GetMouseState() {
  std::lock_guard<ScreenLock> lock(ScreenMutex());
  return State().input.mouse;
}

bool KeyHitFlag() {
  std::lock_guard<ScreenLock> lock(ScreenMutex());
  return State().input.keyHit;
}

std::string ReadKey() {
  InputState& input = State().input;
  CurrentDisplay().Poll();
  uint32_t code = 0;
  bool empty = false;
  {
    PollLock lock;
    if (input.head != input.tail) {
      code = input.queue[input.tail];
      input.tail = (input.tail + 1) % InputState::kQueueSize;
    } else {
      empty = true;
    }
    input.keyHit = false;
  }
  if (empty) {
    if (!ScreenOpen()) return ReadTerminalKey();
    return {};
  }
  if (code == 0) return {};
  if ((code & 0xFF) == 0xFF && code > 0xFF) {
    return keys::KeyString(static_cast<keys::Extended>((code >> 8) & 0xFF));
  }
  return keys::KeyString(static_cast<char>(code & 0xFF));
}

int32_t ReadMouse(int32_t& x, int32_t& y, int32_t& wheel, int32_t& buttons, int32_t& clip) {
  InputState& input = State().input;
  CurrentDisplay().Poll();
  PollLock lock;
  // Whatever this look reports has been seen; held releases take effect now.
  const MouseState seen = input.mouse;
  input.mouseChanged = false;
  input.unseenButtons = 0;
  input.mouse.buttons &= ~input.heldButtons;
  input.heldButtons = 0;
  if (!ScreenOpen() || !seen.active || !seen.inside) {
    x = y = wheel = buttons = clip = -1;
    return 1;
  }
  x = seen.x;
  y = seen.y;
  wheel = seen.wheel;
  buttons = seen.buttons;
  clip = seen.clip;
  return 0;
}

double TimerSeconds() {
  return CurrentDisplay().Now();
}

void WaitForInput(double deadline) {
  CurrentDisplay().WaitForInput(deadline);
}

bool InputWaiting() {
  InputState& input = State().input;
  std::lock_guard<ScreenLock> lock(ScreenMutex());
  return input.head != input.tail || input.mouseChanged;
}

std::string WaitForKey() {
  for (;;) {
    std::string key = ReadKey();
    if (!key.empty()) {
      // The key answered what the console showed.
      ForgetConsoleMessage();
      return key;
    }
    // Before a screen exists keys come from the terminal, which the display
    // knows nothing of: it is looked at again every little while.
    WaitForInput(ScreenOpen() ? std::numeric_limits<double>::infinity()
                              : TimerSeconds() + kTerminalPoll);
  }
}

void SleepMs(int32_t ms) {
  Display& display = CurrentDisplay();
  if (ms == -1) {
    for (;;) {
      display.Poll();
      if (KeyWaiting()) return;
      display.Sleep(50);
    }
  }
  if (ms >= 100) {
    const double end = display.Now() + ms / 1000.0;
    for (;;) {
      const double left = (end - display.Now()) * 1000.0;
      if (left <= 50.0) {
        if (left > 0) display.Sleep(RoundToInt(left));
        return;
      }
      display.Poll();
      if (TakeKeyHit()) return;
      display.Sleep(50);
    }
  }
  if (ms >= 1) display.Sleep(ms);
}

// ---------------------------------------------------------------- console keyboard

namespace detail {
namespace {

bool EnsureTerminal() {
  TerminalState& terminal = State().terminal;
  if (terminal.checked) return terminal.raw;
  terminal.checked = true;
  if (!::isatty(STDIN_FILENO)) return false;
  if (::tcgetattr(STDIN_FILENO, &terminal.saved) != 0) return false;
  termios raw = terminal.saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  if (::tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return false;
  terminal.raw = true;
  return true;
}

int ReadByte() {
  unsigned char c = 0;
  return ::read(STDIN_FILENO, &c, 1) == 1 ? c : -1;
}

// What a terminal sends for the keys without a character: an escape, "[" or
// "O", then either a final letter or a number and "~". Keys the program's key
// set has no code for give nothing.
struct TerminalKey {
  int sequence;  // the final letter, or the number before "~"
  keys::Extended key;
};
constexpr TerminalKey kLetterKeys[] = {
    {'A', keys::kUp},
    {'B', keys::kDown},
    {'C', keys::kRight},
    {'D', keys::kLeft},
    {'H', keys::kHome},
    {'F', keys::kEnd},
    {'P', keys::kF1},
    {'Q', keys::FunctionKey(2)},
    {'R', keys::FunctionKey(3)},
    {'S', keys::FunctionKey(4)},
};
constexpr TerminalKey kTildeKeys[] = {
    {1, keys::kHome},
    {2, keys::kInsert},
    {3, keys::kDelete},
    {4, keys::kEnd},
    {5, keys::kPageUp},
    {6, keys::kPageDown},
    {11, keys::kF1},
    {12, keys::FunctionKey(2)},
    {13, keys::FunctionKey(3)},
    {14, keys::FunctionKey(4)},
    {15, keys::FunctionKey(5)},
    {17, keys::FunctionKey(6)},
    {18, keys::FunctionKey(7)},
    {19, keys::FunctionKey(8)},
    {20, keys::FunctionKey(9)},
    {21, keys::kF10},
    {23, keys::kF11},
    {24, keys::kF12},
};

template <size_t N>
std::string Find(const TerminalKey (&table)[N], int sequence) {
  for (const TerminalKey& k : table) {
    if (k.sequence == sequence) return keys::KeyString(k.key);
  }
  return {};
}
std::string LetterKey(int letter) {
  return Find(kLetterKeys, letter);
}
std::string TildeKey(int number) {
  return Find(kTildeKeys, number);
}

}  // namespace

void RestoreTerminal() {
  TerminalState& terminal = State().terminal;
  if (terminal.raw) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &terminal.saved);
    terminal.raw = false;
  }
}

std::string ReadTerminalKey() {
  if (!EnsureTerminal()) return {};
  const int c = ReadByte();
  if (c < 0) return {};
  if (c == 0x1B) {
    const int c2 = ReadByte();
    if (c2 < 0) return std::string(1, '\x1B');
    if (c2 == '[' || c2 == 'O') {
      int c3 = ReadByte();
      std::string params;
      while (c3 >= '0' && c3 <= '9') {
        params += static_cast<char>(c3);
        c3 = ReadByte();
      }
      if (c3 == ';') {  // modifier parameters: skip to the final byte
        while (c3 >= 0 && !(c3 >= 0x40 && c3 <= 0x7E)) c3 = ReadByte();
        if (c3 == ';') c3 = ReadByte();
        while (c3 >= '0' && c3 <= '9') c3 = ReadByte();
      }
      if (c3 == '~') return TildeKey(params.empty() ? 0 : std::atoi(params.c_str()));
      return LetterKey(c3);
    }
    return {};  // Alt+key: queues nothing, as in the window
  }
  if (c == '\n') return std::string(1, '\r');
  if (c == 0x7F) return std::string(1, '\b');
  if (c >= 0xC0 && c < 0xE0) {  // two-byte UTF-8: Latin-1 letters
    const int c2 = ReadByte();
    if (c2 < 0) return {};
    const int cp = keys::Latin1ToCp437(static_cast<uint32_t>(((c & 0x1F) << 6) | (c2 & 0x3F)));
    return cp ? std::string(1, static_cast<char>(cp)) : std::string{};
  }
  if (c >= 0x80) return {};
  return std::string(1, static_cast<char>(c));
}

}  // namespace detail

}  // namespace wimmel::rt
