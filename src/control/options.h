// The command line of wimmel: conveniences around the start screen. Without
// options the program starts as it always has, on the start screen.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace wimmel::control {

// A screen mode as the start screen lists it: one of its four sizes at one of
// its four depths.
struct ScreenMode {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;
};

struct Options {
  bool help = false;
  bool version = false;
  bool window = false;       // start in a window rather than full screen
  std::string dataFolder;    // empty: look for the data
  std::optional<ScreenMode> mode;  // open this scene at once
  std::optional<int32_t> figures;  // 1 to 1024
  std::optional<bool> music;
  std::optional<double> benchmarkSeconds;
};

// Reads argv in the getopt way (long options, "--opt value" or "--opt=value").
// Returns false with the problem in error for a bad, unknown or incomplete
// argument.
bool ParseOptions(int argc, char** argv, Options& options, std::string& error);

// "640x480x16" and the like; false for anything that is not one of the
// start screen's sixteen modes.
bool ParseScreenMode(const std::string& text, ScreenMode& mode);
std::string ModeText(const ScreenMode& mode);

// The text --help prints, and the line --version prints.
std::string HelpText();
std::string VersionText();

}  // namespace wimmel::control
