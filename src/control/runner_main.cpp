// wimmel-headless SCRIPT [--out DIR]: runs the real program on the headless
// display with a virtual clock, fed by a script of keys, mouse moves, waits,
// screenshots and pixel expectations. The same script and data give the same
// screenshots and output on every run.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "control/data_folder.h"
#include "control/haupt.h"
#include "control/program.h"
#include "control/runner_folder.h"
#include "control/runner_script.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"
#include "sound/fsound.h"

namespace rt = wimmel::rt;

namespace fs = std::filesystem;

namespace {

using wimmel::control::LineKind;
using wimmel::control::ScriptLine;

constexpr const char* kUsage =
    "usage: wimmel-headless SCRIPT [--out DIR] [--data DIR]\n"
    "Runs Wimmel on a headless display with a virtual clock, fed by SCRIPT.\n"
    "Screenshots go into DIR (default headless-out/<script name> in the working\n"
    "folder); the program works in DIR/work, which every run makes afresh.\n"
    "The data folders come from --data DIR, else $WIMMEL_DATA, else the data\n"
    "beside the program (a build tree), else the installed share/games/wimmel\n"
    "or share/wimmel.\n"
    "Exit status: 0 every expectation held, 1 an expectation failed,\n"
    "2 bad script, usage or no data.\n";

// Console texts are Latin-1; the echo is UTF-8 so that terminals show umlauts.
std::string Utf8(const std::string& latin1) {
  std::string out;
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// One run of a script: where it stands, what the scripted mouse is doing and
// what went wrong. The display calls Poll on every key or mouse poll of the
// program and Console for every console text.
class ScriptRun {
 public:
  ScriptRun(std::vector<ScriptLine> lines, fs::path output)
      : lines_(std::move(lines)), output_(std::move(output)) {}

  // Runs script lines until a "wait" holds or the script is exhausted.
  void Poll() {
    if (waitUntil_ >= 0) {
      if (rt::headless::Clock() < waitUntil_) return;
      waitUntil_ = -1;
    }
    while (next_ < lines_.size()) {
      const ScriptLine& line = lines_[next_++];
      switch (line.kind) {
        case LineKind::Key:
          rt::headless::PushKey(line.value);
          break;
        case LineKind::Type:
          for (unsigned char c : line.text) rt::headless::PushKey(c);
          break;
        case LineKind::Mouse:
          mouseX_ = line.x;
          mouseY_ = line.y;
          mouseInside_ = true;
          SetMouse();
          break;
        case LineKind::MouseOut:
          mouseInside_ = false;
          SetMouse();
          break;
        case LineKind::Press:
          buttons_ |= static_cast<int32_t>(line.value);
          SetMouse();
          break;
        case LineKind::Release:
          buttons_ &= ~static_cast<int32_t>(line.value);
          SetMouse();
          break;
        case LineKind::Wait:
          waitUntil_ = rt::headless::Clock() + line.seconds;
          return;
        case LineKind::Shot: {
          const fs::path file = output_ / line.text;
          if (std::string why; !rt::WritePng(nullptr, file.c_str(), &why)) {
            Fail(line, "cannot write " + file.string() + ": " + why);
          }
          break;
        }
        case LineKind::ExpectPixel:
          CheckPixel(line);
          break;
        case LineKind::ExpectEnded:
          Fail(line, "the program has not ended");
          break;
        case LineKind::Desktop:
        case LineKind::Offer:
        case LineKind::Log:
          // Set-up lines act before the program starts.
          break;
      }
    }
    // The script's end stops the program.
    scriptDone_ = true;
    throw rt::ProgramEnd{0};
  }

  void Console(std::string_view text, bool newline) {
    consoleLine_ += text;
    if (newline) {
      std::cout << "console: " << Utf8(consoleLine_) << std::endl;
      consoleLine_.clear();
    }
  }

  // After the program ended by itself: reports "ended" and checks the lines
  // the script had left. Returns false when one of them could not act.
  bool FinishAfterProgramEnd(int code, const std::string& script) {
    if (scriptDone_) return true;
    std::cout << "ended: code " << code << std::endl;
    // Once the program is gone only "expect-ended" lines still mean something,
    // and they hold; any other line could not act and is a fault of the script.
    bool late = false;
    for (size_t i = next_; i < lines_.size(); ++i) {
      const ScriptLine& line = lines_[i];
      if (line.kind == LineKind::ExpectEnded || wimmel::control::IsSetUpLine(line.kind)) continue;
      std::cerr << "wimmel-headless: " << script << ":" << line.number << ": \""
                << wimmel::control::ScriptWord(line.kind) << "\" after the program ended\n";
      late = true;
    }
    scriptDone_ = true;
    return !late;
  }

  int failures() const { return failures_; }

 private:
  void Fail(const ScriptLine& line, const std::string& what) {
    std::cout << "FAIL line " << line.number << ": " << what << std::endl;
    ++failures_;
  }

  void SetMouse() {
    if (mouseInside_) {
      rt::headless::SetMouse(mouseX_, mouseY_, buttons_);
    } else {
      rt::headless::MouseOut();
    }
  }

  void CheckPixel(const ScriptLine& line) {
    rt::Image screen = rt::ScreenImage();
    if (screen == nullptr) {
      Fail(line, "no screen is open");
      return;
    }
    const int32_t x = line.x, y = line.y;
    const uint32_t rgb = line.value;
    const bool inside = x < screen->width && y < screen->height;
    const uint32_t stored = inside ? rt::GetPixel(screen, x, y) : 0;
    uint32_t wanted = 0;
    uint32_t compared = stored;
    if (screen->bytesPerPixel == 2) {
      wanted = rt::To565(rgb);
    } else {
      wanted = rgb & 0xFFFFFF;
      compared = stored & 0xFFFFFF;
    }
    if (!inside || compared != wanted) {
      char text[128];
      const int digits = screen->bytesPerPixel == 2 ? 4 : 6;
      std::snprintf(text, sizeof text, "pixel (%d, %d) is %0*X, expected %0*X", x, y, digits,
                    compared, digits, wanted);
      Fail(line, text);
    }
  }

  std::vector<ScriptLine> lines_;
  size_t next_ = 0;
  double waitUntil_ = -1;  // virtual time until which a "wait" holds the script
  fs::path output_;
  int failures_ = 0;
  int32_t mouseX_ = 0, mouseY_ = 0, buttons_ = 0;
  bool mouseInside_ = false;
  bool scriptDone_ = false;
  std::string consoleLine_;  // console text of the current, unfinished line
};

int UsageError(const std::string& what) {
  std::cerr << "wimmel-headless: " << what << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string script;
  fs::path output;
  bool outputGiven = false;
  std::string dataGiven;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--out") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return UsageError("--out needs a folder");
      if (outputGiven) return UsageError("--out given twice");
      output = argv[++i];
      outputGiven = true;
    } else if (arg == "--data") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return UsageError("--data needs a folder");
      if (!dataGiven.empty()) return UsageError("--data given twice");
      dataGiven = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option " + arg);
    } else if (script.empty()) {
      script = arg;
    } else {
      return UsageError("more than one script: " + script + ", " + arg);
    }
  }
  if (script.empty()) return UsageError("no script given");

  // The whole script is checked before anything else happens, so a bad line
  // costs no program time and leaves no half-written output folder behind.
  std::vector<ScriptLine> lines;
  std::vector<wimmel::control::ScriptError> errors;
  if (!wimmel::control::ReadScriptFile(script, lines, errors)) {
    for (const auto& error : errors) {
      std::cerr << "wimmel-headless: " << script;
      if (error.line > 0) std::cerr << ":" << error.line;
      std::cerr << ": " << error.text << "\n";
    }
    return 2;
  }

  rt::HeadlessConfig config;
  bool logFromStart = false;
  for (const ScriptLine& line : lines) {
    if (line.kind == LineKind::Desktop) {
      config.desktop = {line.x, line.y, line.depth};
    } else if (line.kind == LineKind::Offer) {
      config.offers.push_back({line.x, line.y, line.depth});
    } else if (line.kind == LineKind::Log) {
      logFromStart = true;
    }
  }

  const wimmel::control::DataSearch data =
      wimmel::control::FindData(dataGiven, false, wimmel::control::ProgramFolder());
  if (data.found.empty()) {
    std::cerr << wimmel::control::NoDataMessage("wimmel-headless", data);
    return 2;
  }
  std::cerr << wimmel::control::PassedOverMessage("wimmel-headless", data);
  if (output.empty()) output = fs::path("headless-out") / fs::path(script).stem();
  std::error_code ec;
  fs::create_directories(output, ec);
  if (ec) {
    std::cerr << "wimmel-headless: cannot make " << output.string() << ": " << ec.message() << "\n";
    return 2;
  }
  output = fs::absolute(output);
  // A fresh scratch folder as working directory, with the data folders linked in.
  const fs::path work = output / "work";
  if (std::string why; !wimmel::control::MakeScratchFolder(work, why)) {
    std::cerr << "wimmel-headless: " << why << "\n";
    return 2;
  }
  // Without a picture folder the program cannot run; without the music
  // folder it runs without music.
  for (const char* folder : wimmel::control::kPictureFolders) {
    fs::create_directory_symlink(data.found / folder, work / folder, ec);
    if (ec) {
      std::cerr << "wimmel-headless: cannot link " << (work / folder).string() << " to "
                << (data.found / folder).string() << ": " << ec.message() << "\n";
      return 2;
    }
  }
  fs::create_directory_symlink(data.found / wimmel::control::kMusicFolder,
                               work / wimmel::control::kMusicFolder, ec);
  if (chdir(work.c_str()) != 0) {
    std::cerr << "wimmel-headless: cannot enter " << work << "\n";
    return 2;
  }

  // The run outlives the program, whose display calls back into it.
  ScriptRun run(std::move(lines), output);
  config.onPoll = [&run] { run.Poll(); };
  config.onConsole = [&run](std::string_view text, bool newline) { run.Console(text, newline); };
  wimmel::Program program(rt::headless::MakeDisplay(config));
  rt::headless::SetClock(0);
  rt::headless::MouseOut();
  wimmel::UseVirtualSoundDevice();
  if (logFromStart) wimmel::LogFromStart();

  int code = 0;
  try {
    char name[] = "wimmel";
    char* args[] = {name, nullptr};
    wimmel::Haupt(1, args);
  } catch (const rt::ProgramEnd& end) {
    code = end.code;
  }
  if (!run.FinishAfterProgramEnd(code, script)) return 2;
  std::cout << (run.failures() == 0 ? "headless: all expectations held" : "headless: failures")
            << std::endl;
  return run.failures() == 0 ? 0 : 1;
}
