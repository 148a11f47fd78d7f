// Shared by the window and panel tests: a headless screen whose console
// lines are collected, a scratch folder to work in, a small BMP writer and
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

// Writes a 24-bit BMP; colour(x, y) gives 0xRRGGBB for the pixel, top row y = 0.
inline void WriteBmp(const std::filesystem::path& path, int32_t w, int32_t h,
                     const std::function<uint32_t(int32_t, int32_t)>& colour) {
  std::filesystem::create_directories(path.parent_path().empty() ? "." : path.parent_path());
  const int32_t rowBytes = (w * 3 + 3) / 4 * 4;
  const uint32_t size = 54 + static_cast<uint32_t>(rowBytes) * static_cast<uint32_t>(h);
  std::vector<uint8_t> d(size, 0);
  auto le32 = [&d](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  d[0] = 'B';
  d[1] = 'M';
  le32(2, size);
  le32(10, 54);
  le32(14, 40);
  le32(18, static_cast<uint32_t>(w));
  le32(22, static_cast<uint32_t>(h));
  d[26] = 1;
  d[28] = 24;
  for (int32_t y = 0; y < h; ++y) {
    const size_t row = 54 + static_cast<size_t>(h - 1 - y) * rowBytes;
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t c = colour(x, y);
      d[row + x * 3 + 0] = static_cast<uint8_t>(c);
      d[row + x * 3 + 1] = static_cast<uint8_t>(c >> 8);
      d[row + x * 3 + 2] = static_cast<uint8_t>(c >> 16);
    }
  }
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(d.data()), d.size());
}

inline void WriteSolidBmp(const std::filesystem::path& path, int32_t w, int32_t h,
                          uint32_t colour) {
  WriteBmp(path, w, h, [colour](int32_t, int32_t) { return colour; });
}

// A fresh scratch folder that is the working directory while it lives.
class ScratchFolder {
 public:
  ScratchFolder() : before_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "wimmel-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    std::filesystem::current_path(path_);
  }
  ~ScratchFolder() {
    std::filesystem::current_path(before_);
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path before_;
  std::filesystem::path path_;
};

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
