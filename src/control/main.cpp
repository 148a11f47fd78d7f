// wimmel: the program on the real display.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "control/benchmark.h"
#include "control/data_folder.h"
#include "control/haupt.h"
#include "control/modes.h"
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
std::string OfferedModesText(const control::OfferedModeTable& offered) {
  std::string text;
  for (int32_t d = 0; d < control::kModeCount; ++d) {
    for (int32_t r = 0; r < control::kModeCount; ++r) {
      if (!offered[d][r]) continue;
      if (!text.empty()) text += ' ';
      text += control::ModeText(
          {control::kModeSizes[r].width, control::kModeSizes[r].height, control::kModeDepths[d]});
    }
  }
  return text.empty() ? "none" : text;
}

bool Offered(const control::OfferedModeTable& offered, const control::ScreenMode& mode) {
  const int32_t r = control::ModeSizeIndex(mode.width, mode.height);
  const int32_t d = control::ModeDepthIndex(mode.depth);
  return r >= 0 && d >= 0 && offered[d][r];
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
  std::fputs(control::PassedOverMessage("wimmel", data).c_str(), stderr);
  if (::chdir(data.found.c_str()) != 0) {
    std::fprintf(stderr, "wimmel: cannot work in %s\n", data.found.c_str());
    return 1;
  }

  std::string reason;
  auto display = rt::sdl::MakeSdlDisplay(reason, !options.window);
  if (!display) {
    // A program that cannot show anything must not report success.
    std::fprintf(stderr, "wimmel: Keine Grafikanzeige verfuegbar: %s\n", reason.c_str());
    return 1;
  }
  wimmel::Program program(std::move(display), rt::sdl::MakeSdlAudioDevice());
  if (options.mode) {
    const control::OfferedModeTable offered = wimmel::AskDisplayModes();
    if (!Offered(offered, *options.mode)) {
      return BadCommandLine("this display does not offer " + control::ModeText(*options.mode) +
                            "; it offers " + OfferedModesText(offered));
    }
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
