#include "scripted_screen.h"

#include <gtest/gtest.h>

#include <deque>
#include <string_view>

#include "runtime/display.h"
#include "runtime/runtime.h"

namespace wimmel::test {

namespace {

// What the headless display of the current case has been given and has
// printed; OpenScriptedScreen starts it afresh.
struct ScreenScript {
  std::deque<uint32_t> keys;
  int64_t polls = 0;
  int64_t pollsWithoutKey = 0;
  int64_t limit = 200000;
  std::vector<std::string> console;
  std::string line;
  std::vector<double> waits;
};
ScreenScript gScript;

}  // namespace

void OpenScriptedScreen(int32_t mode, int32_t depth, int64_t limit) {
  gScript = ScreenScript{};
  gScript.limit = limit;
  rt::HeadlessConfig config;
  config.onPoll = [] {
    ++gScript.polls;
    if (!gScript.keys.empty()) {
      if (gScript.keys.front() != 0) rt::headless::PushKey(gScript.keys.front());
      gScript.keys.pop_front();
      gScript.pollsWithoutKey = 0;
    } else if (++gScript.pollsWithoutKey > gScript.limit) {
      ADD_FAILURE() << "waiting for a key that no test provides";
      gScript.pollsWithoutKey = 0;
      rt::headless::PushKey(27);
    }
  };
  config.onConsole = [](std::string_view text, bool newline) {
    gScript.line += text;
    if (newline) {
      gScript.console.push_back(gScript.line);
      gScript.line.clear();
    }
  };
  config.onWait = [](double deadline) { gScript.waits.push_back(deadline); };
  rt::headless::Install(config);
  ASSERT_EQ(rt::SetScreenMode(mode, depth, 0, 1, 0), 0);
}

void QueueKey(uint32_t code) {
  gScript.keys.push_back(code);
}
int64_t Polls() {
  return gScript.polls;
}
std::vector<double>& Waits() {
  return gScript.waits;
}
std::vector<std::string>& ConsoleLines() {
  return gScript.console;
}
std::string ConsoleText() {
  std::string s;
  for (const std::string& line : gScript.console) s += line + "\n";
  return s;
}

}  // namespace wimmel::test
