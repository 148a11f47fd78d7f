#include "control/options.h"

#include <getopt.h>

#include <charconv>
#include <cmath>
#include <string_view>

#include "control/modes.h"
#include "runtime/decimal.h"

namespace wimmel::control {

namespace {

enum OptionId : int {
  kHelp = 'h',
  kVersion = 'V',
  kWindow = 256,
  kData,
  kMode,
  kFigures,
  kMusic,
  kBenchmark,
};

constexpr option kLongOptions[] = {
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {"window", no_argument, nullptr, kWindow},
    {"data", required_argument, nullptr, kData},
    {"mode", required_argument, nullptr, kMode},
    {"figures", required_argument, nullptr, kFigures},
    {"music", required_argument, nullptr, kMusic},
    {"benchmark", required_argument, nullptr, kBenchmark},
    {nullptr, 0, nullptr, 0},
};

// The longest benchmark a command line may ask for: an hour.
constexpr double kMaxBenchmarkSeconds = 3600;

// A whole decimal number and nothing else.
bool WholeNumber(const std::string& text, int64_t& value) {
  const char* end = text.data() + text.size();
  const auto [rest, problem] = std::from_chars(text.data(), end, value);
  return !text.empty() && problem == std::errc() && rest == end;
}

// A decimal number and nothing else: no blanks, no sign other than a
// minus, no hexadecimal, no "inf" or "nan".
bool Number(const std::string& text, double& value) {
  return rt::ReadDecimal(text, rt::DecimalForm::kGeneral, value);
}

// The option as the user wrote it, for messages.
std::string OptionName(int id) {
  for (const option& o : kLongOptions) {
    if (o.name != nullptr && o.val == id) return std::string("--") + o.name;
  }
  return "?";
}

// The problem with a long option that getopt found neither as it is nor as
// the start of exactly one option: ambiguous when it starts several.
std::string UnknownLongOption(const std::string& word) {
  const std::string name = word.substr(2, word.find('=') - 2);
  std::string candidates;
  for (const option& o : kLongOptions) {
    if (o.name == nullptr || name.empty() || std::string_view(o.name).rfind(name, 0) != 0) {
      continue;
    }
    if (!candidates.empty()) candidates += ", ";
    candidates += std::string("--") + o.name;
  }
  if (candidates.find(',') != std::string::npos) {
    return "ambiguous option " + word + ": " + candidates;
  }
  return "unknown option " + word;
}

}  // namespace

bool ParseScreenMode(const std::string& text, ScreenMode& mode) {
  const size_t x1 = text.find('x');
  const size_t x2 = x1 == std::string::npos ? x1 : text.find('x', x1 + 1);
  if (x2 == std::string::npos) return false;
  int64_t w = 0, h = 0, d = 0;
  if (!WholeNumber(text.substr(0, x1), w) || !WholeNumber(text.substr(x1 + 1, x2 - x1 - 1), h) ||
      !WholeNumber(text.substr(x2 + 1), d)) {
    return false;
  }
  if (!IsModeSize(w, h) || !IsModeDepth(d)) return false;
  mode = {static_cast<int32_t>(w), static_cast<int32_t>(h), static_cast<int32_t>(d)};
  return true;
}

std::string ModeText(const ScreenMode& mode) {
  return std::to_string(mode.width) + "x" + std::to_string(mode.height) + "x" +
         std::to_string(mode.depth);
}

bool ParseOptions(int argc, char** argv, Options& options, std::string& error) {
  options = Options{};
  // getopt keeps its place in globals; 0 makes glibc start afresh, so the
  // parser can run more than once in a process.
  optind = 0;
  opterr = 0;
  for (;;) {
    const int id = getopt_long(argc, argv, "+:hV", kLongOptions, nullptr);
    if (id == -1) break;
    const std::string value = optarg != nullptr ? optarg : "";
    switch (id) {
      case kHelp:
        options.help = true;
        break;
      case kVersion:
        options.version = true;
        break;
      case kWindow:
        options.window = true;
        break;
      case kData:
        if (value.empty()) {
          error = "--data needs a folder";
          return false;
        }
        options.dataFolder = value;
        break;
      case kMode: {
        ScreenMode mode;
        if (!ParseScreenMode(value, mode)) {
          error = "--mode '" + value +
                  "' is not a mode of the start screen: WIDTHxHEIGHTxDEPTH with a size of "
                  "640x480, 800x600, 1024x768 or 1280x1024 and a depth of 15, 16, 24 or 32";
          return false;
        }
        options.mode = mode;
        break;
      }
      case kFigures: {
        int64_t n = 0;
        if (!WholeNumber(value, n) || n < 1 || n > 1024) {
          error = "--figures '" + value + "' is not a figure count from 1 to 1024";
          return false;
        }
        options.figures = static_cast<int32_t>(n);
        break;
      }
      case kMusic:
        if (value != "on" && value != "off") {
          error = "--music '" + value + "' is neither on nor off";
          return false;
        }
        options.music = value == "on";
        break;
      case kBenchmark: {
        double seconds = 0;
        if (!Number(value, seconds) || !std::isfinite(seconds) || seconds <= 0 ||
            seconds > kMaxBenchmarkSeconds) {
          error = "--benchmark '" + value + "' is not a number of seconds above 0 and up to 3600";
          return false;
        }
        options.benchmarkSeconds = seconds;
        break;
      }
      case ':':
        error = OptionName(optopt) + " needs a value";
        return false;
      default:
        // getopt refuses a known option only when it was given a value it
        // does not take ("--help=x"), and names it by its id. A long option
        // it does not know or cannot tell (0) stands at argv[optind - 1]; a
        // short one it names by its letter, which may sit inside a group.
        if (optopt == kHelp || optopt == kVersion || optopt == kWindow) {
          error = OptionName(optopt) + " takes no value";
        } else if (optopt == 0) {
          error = UnknownLongOption(argv[optind - 1]);
        } else {
          error = std::string("unknown option -") + static_cast<char>(optopt);
        }
        return false;
    }
  }
  if (optind < argc) {
    error = std::string("unexpected argument '") + argv[optind] + "'";
    return false;
  }
  if (options.benchmarkSeconds && !options.mode) {
    error = "--benchmark needs --mode (and takes --figures) to know which scene to run";
    return false;
  }
  return true;
}

std::string HelpText() {
  return "Usage: wimmel [OPTION]...\n"
         "Wimmel, a full-screen sprite demo: up to 1024 figures walk over a meadow.\n"
         "Without options it starts on its start screen, where a letter chooses the screen\n"
         "mode, + and - the number of figures and S the music.\n"
         "\n"
         "  --mode WxHxD       open this scene at once, e.g. --mode 800x600x16 (sizes 640x480,\n"
         "                     800x600, 1024x768, 1280x1024; depths 15, 16, 24, 32); Escape\n"
         "                     in the scene then leads to the start screen as usual\n"
         "  --figures N        the number of figures, 1 to 1024 (10 without this option)\n"
         "  --music on|off     music on or off from the start (off without this option)\n"
         "  --window           start in a window rather than full screen (Alt+Enter switches)\n"
         "  --data DIR         the folder that holds the data folders (HG_bild, figure,\n"
         "                     objekte, pattern, musik)\n"
         "  --benchmark SECS   with --mode (and --figures): run that scene at its shortest\n"
         "                     wait for SECS seconds, print the measured rates and end\n"
         "  -h, --help         print this help and end\n"
         "  -V, --version      print the version and end\n"
         "\n"
         "Without --data, Wimmel uses the working folder when it holds the data folders,\n"
         "else $WIMMEL_DATA, else the data beside its program (a build tree), else the\n"
         "installed share/games/wimmel or share/wimmel.\n"
         "\n"
         "Exit status: 0 when the program ends normally, 1 when no display or no data is\n"
         "found or a message ends a benchmark, 2 for a bad command line or a mode the\n"
         "display does not offer.\n";
}

std::string VersionText() {
  return std::string("wimmel ") + WIMMEL_VERSION + "\n";
}

}  // namespace wimmel::control
