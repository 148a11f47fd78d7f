// Shared by the window and panel tests (beside the files and scratch folders
// of test_files.h): a headless screen whose console lines are collected and
// a scripted key for code that waits on one.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"
#include "test_files.h"

namespace wimmel::test {

// What one headless screen printed on its console, and its scripted key:
// the record counts key polls and pushes a blank on the keyAfter-th one, so
// code that waits for a key gets one after it has really been waiting. A
// wait that never ends would hang the test, so after a generous limit a key
// comes anyway and the count tells the test it went wrong.
struct ScreenRecord {
  std::vector<std::string> lines;  // finished console lines
  std::string openLine;
  int polls = 0;
  int keyAfter = 3;
  int keysPushed = 0;
  // The deadline of every wait for input the code asked for.
  std::vector<double> waits;

  void ClearLines() {
    lines.clear();
    openLine.clear();
  }
  bool HasLine(std::string_view line) const {
    for (const std::string& l : lines) {
      if (l == line) return true;
    }
    return false;
  }
  // Starts counting the polls again; the key comes on poll number `after`.
  void KeyAfter(int after) {
    polls = 0;
    keyAfter = after;
    keysPushed = 0;
    waits.clear();
  }
};

// Opens a headless screen: mode 18 = 640x480, 19 = 800x600, 21 = 1280x1024.
// The display and the caller share the record, so it stays valid for as
// long as either of them needs it.
inline std::shared_ptr<ScreenRecord> OpenScreen(int32_t mode, int32_t depth) {
  auto record = std::make_shared<ScreenRecord>();
  rt::HeadlessConfig config;
  config.onConsole = [record](std::string_view text, bool newline) {
    record->openLine += std::string(text);
    if (newline) {
      record->lines.push_back(record->openLine);
      record->openLine.clear();
    }
  };
  config.onPoll = [record] {
    ++record->polls;
    if (record->polls == record->keyAfter || record->polls % 100000 == 0) {
      rt::headless::PushKey(' ');
      ++record->keysPushed;
    }
  };
  config.onWait = [record](double deadline) { record->waits.push_back(deadline); };
  rt::headless::Install(config);
  EXPECT_EQ(rt::SetScreenMode(mode, depth, 0, 1, 0), 0);
  return record;
}

// The screen pixel without the top byte (32-bit screens keep 0xRRGGBB there).
inline uint32_t Pixel(int32_t x, int32_t y) {
  return rt::GetPixel(rt::ScreenImage(), x, y) & 0xFFFFFFu;
}

// Fills the screen with one colour, so untouched pixels are recognisable.
inline void FillScreen(uint32_t colour) {
  const rt::ScreenInfo info = rt::GetScreenInfo();
  rt::DrawLine(nullptr, 0, 0, info.width - 1, info.height - 1, colour, 2);
}

// A BMP of one colour.
inline void WriteSolidBmp(const std::filesystem::path& path, int32_t w, int32_t h,
                          uint32_t colour) {
  WriteBmp(path.string(), w, h, [colour](int32_t, int32_t) { return colour; });
}

// The log file's lines (without CR LF), empty when there is none.
inline std::vector<std::string> LogLines() {
  std::vector<std::string> lines;
  std::ifstream file("wimmelprt.txt", std::ios::binary);
  std::string line;
  while (std::getline(file, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

}  // namespace wimmel::test
