#include "control/benchmark.h"

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <utility>

#include "control/control_state.h"
#include "runtime/runtime.h"
#include "scene/scene.h"
#include "shared/dialog.h"
#include "shared/settings.h"

namespace wimmel::control {

namespace {

// More presses than the wait could ever need to reach its lower bound; a
// guard against a wait that keeps changing.
constexpr int kMaxFasterPresses = 1000;

// The processor time of the whole process so far: every thread's, the
// display's and the sound's included, in user and in system mode.
double ProcessCpuSeconds() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double CpuSoFar(const BenchmarkRun& run) {
  return run.cpu ? run.cpu() : ProcessCpuSeconds();
}

uint64_t PresentsSoFar(const BenchmarkRun& run) {
  return run.presents ? run.presents() : 0;
}

}  // namespace

double Percentile(std::vector<double> values, double percent) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  // percent * n is a whole number for whole percentages, so the rank does
  // not suffer from 0.99 having no exact binary form.
  const double rank = std::ceil(percent * static_cast<double>(values.size()) / 100.0);
  const size_t index = rank < 1 ? 0 : std::min(values.size(), static_cast<size_t>(rank)) - 1;
  return values[index];
}

std::string BenchmarkLine(const BenchmarkMeasures& m) {
  const std::vector<double>& times = m.stepTimes;
  const double seconds = m.seconds > 0 ? m.seconds : 1;
  const double mean =
      times.empty() ? 0 : std::accumulate(times.begin(), times.end(), 0.0) / times.size();
  char line[256];
  std::snprintf(line, sizeof line,
                "benchmark: steps/s=%.2f presents/s=%.2f step_mean_ms=%.3f step_p99_ms=%.3f "
                "cpu_percent=%.2f",
                static_cast<double>(times.size()) / seconds,
                static_cast<double>(m.presents) / seconds, mean * 1000,
                Percentile(times, 99) * 1000, m.cpuSeconds / seconds * 100);
  return line;
}

void RequestBenchmark(double seconds, std::function<uint64_t()> presents,
                      std::function<double()> cpu) {
  BenchmarkRun& run = State().benchmark;
  run.seconds = seconds;
  run.presents = std::move(presents);
  run.cpu = std::move(cpu);
  // Nobody answers a message during a benchmark: one that would wait for a
  // key ends the run, and a run with a message measured something else.
  if (seconds > 0) EndRunAtMessages("wimmel: --benchmark ends at a message that waits for a key:");
}

void BeginBenchmark() {
  BenchmarkRun& run = State().benchmark;
  if (run.seconds <= 0 || run.running) return;
  double due = scene::NextStepDue();
  for (int i = 0; i < kMaxFasterPresses; ++i) {
    scene::StepFaster();
    const double now = scene::NextStepDue();
    if (now == due) break;
    due = now;
  }
  scene::StartStepTimes();
  run.running = true;
  run.start = rt::TimerSeconds();
  run.presentsAtStart = PresentsSoFar(run);
  run.cpuAtStart = CpuSoFar(run);
}

bool BenchmarkRunning() {
  return State().benchmark.running;
}

double BenchmarkEnd() {
  const BenchmarkRun& run = State().benchmark;
  return run.running ? run.start + run.seconds : std::numeric_limits<double>::infinity();
}

void FinishBenchmark() {
  BenchmarkRun& run = State().benchmark;
  BenchmarkMeasures m;
  m.seconds = rt::TimerSeconds() - run.start;
  m.cpuSeconds = CpuSoFar(run) - run.cpuAtStart;
  m.presents = PresentsSoFar(run) - run.presentsAtStart;
  m.stepTimes = scene::TakeStepTimes();
  run.running = false;
  std::printf("%s\n", BenchmarkLine(m).c_str());
  std::fflush(stdout);
  rt::EndProgram(0);
}

}  // namespace wimmel::control
