// The progress log's bytes and the start-up diagnostics. Each test works in
// a fresh scratch folder, since the log lands in the working directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "hang_guard.h"
#include "runtime/display.h"
#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "test_files.h"

namespace rt = wimmel::rt;

namespace fs = std::filesystem;

namespace {

struct ConsoleText {
  std::string text;
  bool newline;
};

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::HeadlessConfig config;
    config.desktop = {1024, 768, 32};
    config.onConsole = [this](std::string_view text, bool newline) {
      console_.push_back({std::string(text), newline});
    };
    rt::headless::Install(config);
  }
  static std::string ReadLog() {
    std::ifstream in("wimmelprt.txt", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  wimmel::test::ScratchFolder folder_{"log"};
  std::vector<ConsoleText> console_;
};

TEST_F(LogTest, EachLineEndsInCrLf) {
  wimmel::Protokoll("Haupt: Escape gedrueckt");
  EXPECT_EQ(ReadLog(), "Haupt: Escape gedrueckt\r\n");
  wimmel::Protokoll("LassBildAufloesungWaehlen(): Screen 640x480x16 ist gew\xE4hlt");
  EXPECT_EQ(ReadLog(),
            "Haupt: Escape gedrueckt\r\n"
            "LassBildAufloesungWaehlen(): Screen 640x480x16 ist gew\xE4hlt\r\n");
  wimmel::Protokoll("");
  EXPECT_EQ(ReadLog().substr(ReadLog().size() - 6), "lt\r\n\r\n");
}

TEST_F(LogTest, EarlierContentIsKept) {
  {
    std::ofstream out("wimmelprt.txt", std::ios::binary);
    out << "alt\nohne Ende";
  }
  wimmel::Protokoll("neu");
  EXPECT_EQ(ReadLog(), "alt\nohne Endeneu\r\n");
}

TEST_F(LogTest, FailuresAreSilent) {
  // A folder in the file's place cannot be opened for writing.
  fs::create_directory("wimmelprt.txt");
  wimmel::Protokoll("verloren");
  EXPECT_TRUE(fs::is_directory("wimmelprt.txt"));
  // Nor a named pipe, and the line waits for no reader.
  wimmel::test::HangGuard guard(10);
  fs::remove("wimmelprt.txt");
  ASSERT_EQ(::mkfifo("wimmelprt.txt", 0644), 0);
  wimmel::Protokoll("verloren");
  EXPECT_TRUE(fs::is_fifo("wimmelprt.txt"));
  EXPECT_TRUE(console_.empty());
  // Every file closed again: the next free number is the first one.
  EXPECT_EQ(rt::FreeFileNumber(), 1);
}

TEST_F(LogTest, NoFreeFileNumberLosesTheLineQuietly) {
  ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
  std::ofstream("leer.txt") << "x";
  std::vector<int32_t> openNumbers;
  for (int32_t n = rt::FreeFileNumber(); n != 0; n = rt::FreeFileNumber()) {
    ASSERT_EQ(rt::OpenFile("leer.txt", rt::FileMode::Read, n), 0);
    openNumbers.push_back(n);
  }
  console_.clear();
  wimmel::Protokoll("kein Platz");
  for (int32_t n : openNumbers) rt::CloseFile(n);
  // Number 0 would have printed the line on the screen.
  EXPECT_TRUE(console_.empty());
  EXPECT_FALSE(fs::exists("wimmelprt.txt"));
}

TEST_F(LogTest, DriverLineBeforeAnyScreen) {
  wimmel::GrafikTreiberInfo();
  ASSERT_EQ(console_.size(), 2u);
  EXPECT_EQ(console_[0].text, "1024x768x32");
  EXPECT_FALSE(console_[0].newline);
  EXPECT_EQ(console_[1].text, " Grafik-Treiber:");
  EXPECT_TRUE(console_[1].newline);
}

TEST_F(LogTest, DesktopModeIsRestored) {
  wimmel::GrafikTreiberInfo();
  ASSERT_EQ(rt::SetScreenMode(18, 16, 0, 1, 0), 0);
  EXPECT_EQ(rt::GetScreenInfo().width, 640);
  wimmel::DesktopModusSetzen();
  const rt::ScreenInfo info = rt::GetScreenInfo();
  EXPECT_EQ(info.width, 1024);
  EXPECT_EQ(info.height, 768);
  EXPECT_EQ(info.depth, 32);
}

}  // namespace
