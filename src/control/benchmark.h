// wimmel --benchmark: the scene the command line opens runs at its shortest
// wait for a given time of the program's clock and is summed up in one line
// on standard output; then the program ends.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace wimmel::control {

// What one benchmark run measured.
struct BenchmarkMeasures {
  double seconds = 0;             // the run's length on the program's clock
  uint64_t presents = 0;          // frames that reached the window
  std::vector<double> stepTimes;  // each figure step's own duration, in seconds
  double cpuSeconds = 0;          // the process's processor time, all threads
};

// The nearest-rank percentile: the smallest value that at least percent of
// all values do not exceed. 0 when there are none.
double Percentile(std::vector<double> values, double percent);

// "benchmark: steps/s=N presents/s=N step_mean_ms=N step_p99_ms=N
// cpu_percent=N" (one line, no newline), the rates per second of the run.
std::string BenchmarkLine(const BenchmarkMeasures& measures);

// A benchmark asked for, and the readings taken when it began.
struct BenchmarkRun {
  double seconds = 0;  // 0: none asked for
  // The count of frames the display has sent to the window so far.
  std::function<uint64_t()> presents;
  // The processor time the program has used so far, in seconds.
  std::function<double()> cpu;
  bool running = false;
  double start = 0;
  uint64_t presentsAtStart = 0;
  double cpuAtStart = 0;
};

// Makes the scene that the command line opens a benchmark of the given
// length; presents counts the display's frames (null: none are counted),
// and cpu reads the processor time the program has used so far (null: the
// process's own, every thread's, from the system).
// From then on a message that would wait for a key ends the program with
// status 1 and the message on standard error. Called before Haupt.
void RequestBenchmark(double seconds, std::function<uint64_t()> presents,
                      std::function<double()> cpu = nullptr);

// Called by the main loop when it starts: with a benchmark asked for, sets
// the shortest wait (as "Schneller" pressed until it changes nothing more),
// starts recording the steps and takes the first readings.
void BeginBenchmark();
bool BenchmarkRunning();
// When the running benchmark ends on the program's clock; infinity when
// none runs.
double BenchmarkEnd();
// Prints the benchmark's line on standard output and ends the program with
// status 0.
[[noreturn]] void FinishBenchmark();

}  // namespace wimmel::control
