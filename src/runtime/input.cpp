// Keys, mouse, timer and sleep, and the display that feeds them.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>

#include "runtime/internal.h"

namespace wimmel::rt {

using namespace detail;

namespace {


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
  InputState& input = State().input;
  std::lock_guard<ScreenLock> lock(ScreenMutex());
  input.head = input.tail = 0;
  input.keyHit = false;
  input.mouse = MouseState{};
  input.displayButtons = input.unseenButtons = input.heldButtons = 0;
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
    return std::string{static_cast<char>(0xFF), static_cast<char>((code >> 8) & 0xFF)};
  }
  return std::string(1, static_cast<char>(code & 0xFF));
}

int32_t ReadMouse(int32_t& x, int32_t& y, int32_t& wheel, int32_t& buttons, int32_t& clip) {
  InputState& input = State().input;
  CurrentDisplay().Poll();
  PollLock lock;
  // Whatever this look reports has been seen; held releases take effect now.
  const MouseState seen = input.mouse;
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
  if (State().terminal.checked) return State().terminal.raw;
  State().terminal.checked = true;
  if (!::isatty(STDIN_FILENO)) return false;
  if (::tcgetattr(STDIN_FILENO, &State().terminal.saved) != 0) return false;
  termios raw = State().terminal.saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  if (::tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return false;
  State().terminal.raw = true;
  return true;
}

int ReadByte() {
  unsigned char c = 0;
  return ::read(STDIN_FILENO, &c, 1) == 1 ? c : -1;
}

std::string Extended(uint8_t code) {
  return std::string{static_cast<char>(0xFF), static_cast<char>(code)};
}

// The Latin-1 letters the program's texts use, in code page 437.
int Cp437FromLatin1(int c) {
  switch (c) {
    case 0xC4:
      return 142;
    case 0xD6:
      return 153;
    case 0xDC:
      return 154;
    case 0xDF:
      return 225;
    case 0xE4:
      return 132;
    case 0xF6:
      return 148;
    case 0xFC:
      return 129;
    default:
      return c < 0x80 ? c : 0;
  }
}

}  // namespace

void RestoreTerminal() {
  if (State().terminal.raw) {
    ::tcsetattr(STDIN_FILENO, TCSANOW, &State().terminal.saved);
    State().terminal.raw = false;
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
      switch (c3) {
        case 'A':
          return Extended(0x48);
        case 'B':
          return Extended(0x50);
        case 'C':
          return Extended(0x4D);
        case 'D':
          return Extended(0x4B);
        case 'H':
          return Extended(0x47);
        case 'F':
          return Extended(0x4F);
        case 'P':
          return Extended(0x3B);
        case 'Q':
          return Extended(0x3C);
        case 'R':
          return Extended(0x3D);
        case 'S':
          return Extended(0x3E);
        case '~': {
          const int n = params.empty() ? 0 : std::atoi(params.c_str());
          switch (n) {
            case 1:
              return Extended(0x47);
            case 2:
              return Extended(0x52);
            case 3:
              return Extended(0x53);
            case 4:
              return Extended(0x4F);
            case 5:
              return Extended(0x49);
            case 6:
              return Extended(0x51);
            case 11:
              return Extended(0x3B);
            case 12:
              return Extended(0x3C);
            case 13:
              return Extended(0x3D);
            case 14:
              return Extended(0x3E);
            case 15:
              return Extended(0x3F);
            case 17:
              return Extended(0x40);
            case 18:
              return Extended(0x41);
            case 19:
              return Extended(0x42);
            case 20:
              return Extended(0x43);
            case 21:
              return Extended(0x44);
            case 23:
              return Extended(0x85);
            case 24:
              return Extended(0x86);
            default:
              return {};
          }
        }
        default:
          return {};
      }
    }
    return {};  // Alt+key: queues nothing, as in the window
  }
  if (c == '\n') return std::string(1, '\r');
  if (c == 0x7F) return std::string(1, '\b');
  if (c >= 0xC0 && c < 0xE0) {  // two-byte UTF-8: Latin-1 letters
    const int c2 = ReadByte();
    if (c2 < 0) return {};
    const int cp = Cp437FromLatin1(((c & 0x1F) << 6) | (c2 & 0x3F));
    return cp ? std::string(1, static_cast<char>(cp)) : std::string{};
  }
  if (c >= 0x80) return {};
  return std::string(1, static_cast<char>(c));
}

}  // namespace detail

}  // namespace wimmel::rt
