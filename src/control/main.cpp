// wimmel: the program on the real display.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "control/benchmark.h"
#include "control/data_folder.h"
#include "control/haupt.h"
#include "control/options.h"
#include "control/program.h"
#include "runtime/runtime.h"
#include "runtime/sdl/sdl_audio.h"
#include "runtime/sdl/sdl_display.h"

namespace {

namespace control = wimmel::control;
namespace rt = wimmel::rt;

int BadCommandLine(const std::string& problem) {
  std::fprintf(stderr, "wimmel: %s\nTry 'wimmel --help' for more information.\n", problem.c_str());
  return 2;
}

// The modes of the start screen's list that the display offers, as text.
std::string OfferedModes() {
  std::string text;
  for (const int32_t depth : {15, 16, 24, 32}) {
    for (uint32_t m = rt::ListScreenModes(depth); m != 0; m = rt::ListScreenModes(0)) {
      const control::ScreenMode mode{static_cast<int32_t>(m >> 16),
                                     static_cast<int32_t>(m & 0xFFFF), depth};
      if (wimmel::OptionLetter(mode.width, mode.height, mode.depth) == '\0') continue;
      if (!text.empty()) text += ' ';
      text += control::ModeText(mode);
    }
  }
  return text.empty() ? "none" : text;
}

bool Offered(const control::ScreenMode& mode) {
  for (uint32_t m = rt::ListScreenModes(mode.depth); m != 0; m = rt::ListScreenModes(0)) {
    if (static_cast<int32_t>(m >> 16) == mode.width &&
        static_cast<int32_t>(m & 0xFFFF) == mode.height) {
      return true;
    }
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  control::Options options;
  if (std::string problem; !control::ParseOptions(argc, argv, options, problem)) {
    return BadCommandLine(problem);
  }
  if (options.help) {
    std::fputs(control::HelpText().c_str(), stdout);
    return 0;
  }
  if (options.version) {
    std::fputs(control::VersionText().c_str(), stdout);
    return 0;
  }

  // The program reads its pictures and music by relative names, so it works
  // inside the folder that holds them; without one it cannot show anything.
  const control::DataSearch data =
      control::FindData(options.dataFolder, true, control::ProgramFolder());
  if (data.found.empty()) {
    std::fputs(control::NoDataMessage("wimmel", data).c_str(), stderr);
    return 1;
  }
  if (::chdir(data.found.c_str()) != 0) {
    std::fprintf(stderr, "wimmel: cannot work in %s\n", data.found.c_str());
    return 1;
  }

  std::string reason;
  auto display = rt::sdl::MakeSdlDisplay(reason, !options.window);
  if (!display) {
    // A program that cannot show anything must not report success.
    std::fprintf(stderr, "Keine Grafikanzeige verfuegbar: %s\n", reason.c_str());
    return 1;
  }
  wimmel::Program program(std::move(display), rt::sdl::MakeSdlAudioDevice());
  if (options.mode && !Offered(*options.mode)) {
    return BadCommandLine("this display does not offer " + control::ModeText(*options.mode) +
                          "; it offers " + OfferedModes());
  }
  wimmel::RequestStart(options.mode ? options.mode->width : 0,
                       options.mode ? options.mode->height : 0,
                       options.mode ? options.mode->depth : 0, options.figures.value_or(0),
                       options.music ? (*options.music ? 1 : 0) : -1);
  if (options.benchmarkSeconds) {
    control::RequestBenchmark(*options.benchmarkSeconds,
                              [] { return rt::sdl::GetSdlDisplayStats().presents; });
  }
  int code = 0;
  try {
    wimmel::Haupt(argc, argv);
  } catch (const rt::ProgramEnd& end) {
    code = end.code;
  }
  return code;
}
