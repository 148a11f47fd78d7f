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

#include "../runtime/hang_guard.h"
#include "shared/dialog.h"
#include "runtime/display.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

namespace fs = std::filesystem;

namespace {

struct Ausgabe {
  std::string text;
  bool newline;
};
std::vector<Ausgabe> gKonsole;

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    alt_ = fs::current_path();
    ordner_ = fs::temp_directory_path() /
              ("wimmel-log-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(ordner_);
    fs::create_directories(ordner_);
    fs::current_path(ordner_);
    gKonsole.clear();
    rt::HeadlessConfig cfg;
    cfg.desktop = {1024, 768, 32};
    cfg.onConsole = [](std::string_view text, bool newline) {
      gKonsole.push_back({std::string(text), newline});
    };
    rt::headless::Install(cfg);
  }
  void TearDown() override {
    fs::current_path(alt_);
    fs::remove_all(ordner_);
  }
  static std::string Lesen() {
    std::ifstream in("wimmelprt.txt", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path alt_, ordner_;
};

TEST_F(LogTest, EachLineEndsInCrLf) {
  wimmel::Protokoll("Haupt: Escape gedrueckt");
  EXPECT_EQ(Lesen(), "Haupt: Escape gedrueckt\r\n");
  wimmel::Protokoll("LassBildAufloesungWaehlen(): Screen 640x480x16 ist gew\xE4hlt");
  EXPECT_EQ(Lesen(),
            "Haupt: Escape gedrueckt\r\n"
            "LassBildAufloesungWaehlen(): Screen 640x480x16 ist gew\xE4hlt\r\n");
  wimmel::Protokoll("");
  EXPECT_EQ(Lesen().substr(Lesen().size() - 6), "lt\r\n\r\n");
}

TEST_F(LogTest, EarlierContentIsKept) {
  {
    std::ofstream out("wimmelprt.txt", std::ios::binary);
    out << "alt\nohne Ende";
  }
  wimmel::Protokoll("neu");
  EXPECT_EQ(Lesen(), "alt\nohne Endeneu\r\n");
}

TEST_F(LogTest, FailuresAreSilent) {
  // A folder in the file's place cannot be opened for writing.
  fs::create_directory("wimmelprt.txt");
  wimmel::Protokoll("verloren");
  EXPECT_TRUE(fs::is_directory("wimmelprt.txt"));
  // Nor a named pipe, and the line waits for no reader.
  rttest::HangGuard wache(10);
  fs::remove("wimmelprt.txt");
  ASSERT_EQ(::mkfifo("wimmelprt.txt", 0644), 0);
  wimmel::Protokoll("verloren");
  EXPECT_TRUE(fs::is_fifo("wimmelprt.txt"));
  EXPECT_TRUE(gKonsole.empty());
  // Every file closed again: the next free number is the first one.
  EXPECT_EQ(rt::FreeFileNumber(), 1);
}

TEST_F(LogTest, NoFreeFileNumberLosesTheLineQuietly) {
  ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
  std::ofstream("leer.txt") << "x";
  std::vector<int32_t> offen;
  for (int32_t n = rt::FreeFileNumber(); n != 0; n = rt::FreeFileNumber()) {
    ASSERT_EQ(rt::OpenFile("leer.txt", rt::FileMode::Read, n), 0);
    offen.push_back(n);
  }
  gKonsole.clear();
  wimmel::Protokoll("kein Platz");
  for (int32_t n : offen) rt::CloseFile(n);
  // Number 0 would have printed the line on the screen.
  EXPECT_TRUE(gKonsole.empty());
  EXPECT_FALSE(fs::exists("wimmelprt.txt"));
}

TEST_F(LogTest, DriverLineBeforeAnyScreen) {
  wimmel::GrafikTreiberInfo();
  ASSERT_EQ(gKonsole.size(), 2u);
  EXPECT_EQ(gKonsole[0].text, "1024x768x32");
  EXPECT_FALSE(gKonsole[0].newline);
  EXPECT_EQ(gKonsole[1].text, " Grafik-Treiber:");
  EXPECT_TRUE(gKonsole[1].newline);
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
