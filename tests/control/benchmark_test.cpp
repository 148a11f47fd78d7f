// wimmel --benchmark: its summary line and percentile, and a run of the
// whole program on the headless display, whose clock moves a millisecond
// with every look at the keys or the mouse.
#include "control/benchmark.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "../scene/scene_test_support.h"
#include "control/haupt.h"
#include "program_data.h"
#include "runtime/display.h"
#include "runtime/keys.h"
#include "runtime/runtime.h"
#include "shared/settings.h"

namespace wimmel::test {
namespace {

TEST(BenchmarkLine, PercentileIsTheNearestRank) {
  EXPECT_EQ(control::Percentile({}, 99), 0);
  EXPECT_EQ(control::Percentile({7}, 99), 7);
  std::vector<double> hundred, thousand;
  for (int i = 100; i >= 1; --i) hundred.push_back(i);
  for (int i = 1; i <= 1000; ++i) thousand.push_back(i);
  EXPECT_EQ(control::Percentile(hundred, 99), 99) << "99 of 100 values lie at or below 99";
  EXPECT_EQ(control::Percentile(hundred, 100), 100);
  EXPECT_EQ(control::Percentile(hundred, 50), 50);
  EXPECT_EQ(control::Percentile(thousand, 99), 990);
  EXPECT_EQ(control::Percentile({3, 1, 2}, 99), 3) << "a few values: the largest";
}

TEST(BenchmarkLine, RatesPerSecondOfTheRunAndStepTimesInMilliseconds) {
  control::BenchmarkMeasures m;
  m.seconds = 2;
  m.presents = 150;
  m.stepTimes = {0.001, 0.003, 0.002, 0.010};
  m.cpuSeconds = 0.5;
  EXPECT_EQ(control::BenchmarkLine(m),
            "benchmark: steps/s=2.00 presents/s=75.00 step_mean_ms=4.000 step_p99_ms=10.000 "
            "cpu_percent=25.00");
  EXPECT_EQ(control::BenchmarkLine({}),
            "benchmark: steps/s=0.00 presents/s=0.00 step_mean_ms=0.000 step_p99_ms=0.000 "
            "cpu_percent=0.00");
}

class BenchmarkRun : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteProgramData();
    OpenScreen(18, 16);
  }

  // Runs the program with a benchmark of seconds; keys are queued as the
  // scene support hands them out. Returns what it printed on standard
  // output.
  std::string Run(double seconds, int32_t figures = 3, std::function<double()> cpu = nullptr) {
    started_ = RequestStart(640, 480, 16, figures, -1);
    control::RequestBenchmark(
        seconds,
        [this] {
          if (atBegin_) std::exchange(atBegin_, nullptr)();
          return static_cast<uint64_t>(Polls());
        },
        std::move(cpu));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    code_ = ExitCodeOf([] { Haupt(0, nullptr); });
    errors_ = testing::internal::GetCapturedStderr();
    return testing::internal::GetCapturedStdout();
  }

  // Reads "name=value" from the line; -1 when it is missing.
  static double Value(const std::string& line, const std::string& name) {
    const size_t at = line.find(" " + name + "=");
    if (at == std::string::npos) return -1;
    return std::stod(line.substr(at + name.size() + 2));
  }

  struct Cpu {
    double user = 0, system = 0;
  };
  static Cpu Usage() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return {seconds(usage.ru_utime), seconds(usage.ru_stime)};
  }

  ScratchFolder folder_;
  bool started_ = false;
  int code_ = -1;
  std::string errors_;  // what the run wrote on standard error
  // Runs once, when the benchmark takes its first readings: the scene is
  // built by then and no step has run yet.
  std::function<void()> atBegin_;
};

TEST_F(BenchmarkRun, RunsTheSceneAtTheShortestWaitAndEndsWithItsLine) {
  const std::string out = Run(1.0);
  ASSERT_TRUE(started_);
  EXPECT_EQ(code_, 0);
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back(), '\n');
  EXPECT_EQ(out.rfind("benchmark: steps/s=", 0), 0u) << out;
  // At the shortest wait, 0.01 s, a step is due once the clock is past it:
  // with the clock moving 1 ms per look, every 10 or 11 ms (the clock's sums
  // round either way). At the start value 0.02 s it would be less than half
  // as many.
  const double steps = Value(out, "steps/s");
  EXPECT_GT(steps, 85) << out;
  EXPECT_LE(steps, 100) << out;
  // Two looks per pass of the main loop, one millisecond each.
  EXPECT_NEAR(Value(out, "presents/s"), 1000, 20) << out;
  EXPECT_EQ(Value(out, "step_mean_ms"), 0) << "the headless clock stands still in a step";
  EXPECT_EQ(Value(out, "step_p99_ms"), 0);
  EXPECT_NEAR(rt::headless::Clock(), 1.0, 0.3) << "the scene is built at once, then runs 1 s";
  EXPECT_TRUE(ConsoleText().find("Frage Ihre Grafikkarte") == std::string::npos)
      << "no start screen, before or after";
  EXPECT_EQ(errors_, "");
}

// A display without a processor clock to ask (the page) gives its own:
// the line's share is that clock's, not the process's.
TEST_F(BenchmarkRun, CpuPercentComesFromTheGivenClock) {
  const std::string out = Run(1.0, 3, [] { return 100 + 0.25 * rt::headless::Clock(); });
  EXPECT_EQ(code_, 0);
  EXPECT_NEAR(Value(out, "cpu_percent"), 25, 0.5) << out;
}

// The processor time of the whole process, user and system: the looks at
// the input spend system time (reading /dev/zero) while the benchmark runs.
TEST_F(BenchmarkRun, CpuPercentCountsUserAndSystemTime) {
  const int zero = ::open("/dev/zero", O_RDONLY);
  ASSERT_GE(zero, 0);
  std::vector<char> buffer(1 << 20);
  rt::headless::SetOnPoll([&] {
    if (!control::BenchmarkRunning()) return;
    for (int i = 0; i < 4; ++i) ASSERT_EQ(::read(zero, buffer.data(), buffer.size()), 1 << 20);
  });
  const Cpu before = Usage();
  const std::string out = Run(1.0);
  const Cpu after = Usage();
  ::close(zero);
  EXPECT_EQ(code_, 0);
  const double system = after.system - before.system, user = after.user - before.user;
  ASSERT_GT(system, 0.05) << "the reads took system time";
  // The run took 1 s of the headless clock (to a millisecond), so the
  // percentage is the processor seconds times 100.
  const double reported = Value(out, "cpu_percent") / 100;
  EXPECT_GE(reported, 0.8 * system) << out << "\nuser " << user << " s, system " << system << " s";
  EXPECT_LE(reported, user + system + 0.02) << out;
}

TEST_F(BenchmarkRun, EscapeEndsTheBenchmarkEarly) {
  for (int i = 0; i < 300; ++i) QueueKey(0);
  QueueKey(rt::keys::kEscape);
  const std::string out = Run(5.0);
  EXPECT_EQ(code_, 0);
  EXPECT_EQ(out.rfind("benchmark: steps/s=", 0), 0u) << out;
  EXPECT_GT(Value(out, "steps/s"), 80) << "the rates are over the shorter run";
  EXPECT_LT(rt::headless::Clock(), 1.0);
  EXPECT_TRUE(ConsoleText().find("Frage Ihre Grafikkarte") == std::string::npos);
}

// Nobody answers a message in a benchmark, so a message that would wait for
// a key ends the run at once: the message goes to standard error and the
// status is 1. Each case below would otherwise wait at its first message.
TEST_F(BenchmarkRun, AMessageThatWouldWaitEndsTheRunWithStatusOne) {
  std::filesystem::remove_all("figure");
  const std::string out = Run(1.0);
  EXPECT_EQ(code_, 1);
  EXPECT_EQ(out.find("benchmark:"), std::string::npos) << out;
  const std::string shown = "(LadeBild) Soll der Figur Nr 1 die Bilddatei figure\\";
  EXPECT_EQ(errors_.rfind("wimmel: ", 0), 0u) << errors_;
  const size_t at = errors_.find("\n  " + shown);
  EXPECT_NE(at, std::string::npos) << errors_;
  EXPECT_TRUE(errors_.ends_with(" zuordnen, Datei existiert jedoch nicht. Taste = weiter\n"))
      << errors_;
  EXPECT_EQ(std::count(errors_.begin(), errors_.end(), '\n'), 2) << "one message only:\n"
                                                                 << errors_;
  EXPECT_EQ(ConsoleText().find("Figur Nr 2"), std::string::npos) << "the run went on";
}

// A message of a figure step waits for the step's end; what the console
// printed before that step (here the values of an object, shown by "!") is
// no part of it.
TEST_F(BenchmarkRun, AMessageDuringTheRunGoesToStandardErrorAlone) {
  QueueKey('!');
  atBegin_ = [] { std::filesystem::remove_all("figure"); };
  const std::string out = Run(5.0, 50);
  EXPECT_EQ(code_, 1);
  EXPECT_EQ(out.find("benchmark:"), std::string::npos) << out;
  EXPECT_NE(ConsoleText().find("Objekt: QumyH"), std::string::npos) << "the key did not act";
  EXPECT_EQ(errors_.find("Objekt: "), std::string::npos) << errors_;
  EXPECT_NE(errors_.find("\n  (LadeBild) Soll der Figur Nr "), std::string::npos) << errors_;
  EXPECT_EQ(std::count(errors_.begin(), errors_.end(), '\n'), 2) << errors_;
  EXPECT_LT(rt::headless::Clock(), 5.0) << "the run ended at the message";
}

TEST_F(BenchmarkRun, AMessageOfSeveralLinesGoesToStandardErrorWhole) {
  // Pictures whose header gives a width of 0: a message that ends the
  // program once a key is pressed.
  std::string header(54, '\0');
  header[0] = 'B';
  header[1] = 'M';
  header[22] = 48;
  for (int32_t k = 1; k <= kFigureKinds; ++k) {
    for (int32_t b = 1; b <= 4; ++b) {
      WriteFile("figure\\" + FigurTyp()[k].name + "\\" + std::to_string(b) + ".bmp", header);
    }
  }
  Run(1.0);
  EXPECT_EQ(code_, 1) << "not 0: the benchmark did not run";
  EXPECT_NE(errors_.find("\n  Bildformat in Datei = 0 X 48)\n"
                         "  Einer der Werte ist auf Null, kann damit nicht arbeiten!\n"
                         "  Jegliche Taste = Abbruch\n"),
            std::string::npos)
      << errors_;
  EXPECT_NE(errors_.find("\n  Figur(): Soll fuer Figur Nr: 1 die Datei figure\\"),
            std::string::npos)
      << errors_;
}

TEST_F(BenchmarkRun, AMissingBackgroundEndsTheRunWithStatusOne) {
  RemoveFile("HG_bild\\Karogrun.bmp");
  Run(1.0);
  EXPECT_EQ(code_, 1);
  EXPECT_NE(errors_.find("\n  Soll Hintergrund aus der Datei HG_bild\\Karogrun.bmp aufbauen "
                         "Datei existiert jedoch nicht. Taste = Programmende\n"),
            std::string::npos)
      << errors_;
}

}  // namespace
}  // namespace wimmel::test
