// The headless display: the framebuffer stays in memory, the clock is
// virtual, and keys and mouse come from tests or a script.
#include <algorithm>

#include "runtime/internal.h"

namespace wimmel::rt {

using namespace detail;

namespace {

class HeadlessDisplay final : public Display {
 public:
  explicit HeadlessDisplay(HeadlessConfig config) : config_(std::move(config)) {}

  DesktopMode Desktop() override { return config_.desktop; }

  bool Offers(int32_t width, int32_t height, int32_t depth) override {
    if (config_.offers.empty()) {
      const bool size = (width == 640 && height == 480) || (width == 800 && height == 600) ||
                        (width == 1024 && height == 768) || (width == 1280 && height == 1024);
      const bool bits = depth == 15 || depth == 16 || depth == 24 || depth == 32;
      return size && bits;
    }
    const std::array<int32_t, 3> mode{width, height, depth};
    return std::find(config_.offers.begin(), config_.offers.end(), mode) != config_.offers.end();
  }

  bool ScreenOpened(int32_t, int32_t, int32_t, std::string& driver) override {
    driver = "headless";
    return true;
  }

  void Poll() override {
    clock_ += config_.pollTick;
    if (config_.onPoll) config_.onPoll();
  }

  double Now() override { return clock_; }

  void WaitForInput(double deadline) override {
    if (config_.onWait) config_.onWait(deadline);
  }

  void Sleep(int32_t ms) override {
    if (ms > 0) clock_ += ms / 1000.0;
  }

  bool ConsoleText(std::string_view text, bool newline) override {
    if (!config_.onConsole) return false;
    config_.onConsole(text, newline);
    return true;
  }

  double clock_ = 0.0;
  HeadlessConfig config_;
};

HeadlessDisplay* Current() {
  return dynamic_cast<HeadlessDisplay*>(&CurrentDisplay());
}

}  // namespace

namespace detail {
std::unique_ptr<Display> MakeHeadlessDisplay(HeadlessConfig config) {
  return std::make_unique<HeadlessDisplay>(std::move(config));
}
}  // namespace detail

namespace headless {

std::unique_ptr<Display> MakeDisplay(HeadlessConfig config) {
  return MakeHeadlessDisplay(std::move(config));
}

void Install(HeadlessConfig config) {
  InstallDisplay(MakeHeadlessDisplay(std::move(config)));
}

void SetClock(double seconds) {
  if (auto* d = Current()) d->clock_ = seconds;
}

void AdvanceClock(double seconds) {
  if (auto* d = Current()) d->clock_ += seconds;
}

double Clock() {
  auto* d = Current();
  return d ? d->clock_ : 0.0;
}

void PushKey(uint32_t code) {
  QueueKeyCode(code);
}

void SetMouse(int32_t x, int32_t y, int32_t buttons) {
  MouseState m = GetMouseState();
  m.x = x;
  m.y = y;
  m.buttons = buttons;
  m.active = true;
  m.inside = true;
  SetMouseState(m);
}

void MouseOut() {
  MouseState m = GetMouseState();
  m.inside = false;
  SetMouseState(m);
}

void SetOnPoll(std::function<void()> onPoll) {
  if (auto* d = Current()) d->config_.onPoll = std::move(onPoll);
}

void SetOnWait(std::function<void(double deadline)> onWait) {
  if (auto* d = Current()) d->config_.onWait = std::move(onWait);
}

}  // namespace headless

}  // namespace wimmel::rt
