// wimmel in the browser: the program on the page's canvas. The page's URL
// parameters are its command line (?mode=800x600x16&figures=200 is
// --mode=800x600x16 --figures=200), and the page has put the data into the
// folder kDataFolder before the program starts.
#include <emscripten.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "control/benchmark.h"
#include "control/data_folder.h"
#include "control/haupt.h"
#include "control/options.h"
#include "control/program.h"
#include "runtime/runtime.h"
#include "runtime/web/web_display.h"

// The page's side (the page's script sets these hooks on Module).
// clang-format off
EM_JS(int, wimmel_url_argument_count, (), {
  var parameters = new URLSearchParams(window.location.search);
  var list = [];
  parameters.forEach(function(value, name) {
    list.push(value === "" ? "--" + name : "--" + name + "=" + value);
  });
  Module.wimmelArguments = list;
  return list.length;
});
EM_JS(char*, wimmel_url_argument, (int i), {
  var text = Module.wimmelArguments[i];
  var bytes = lengthBytesUTF8(text) + 1;
  var out = _malloc(bytes);
  stringToUTF8(text, out, bytes);
  return out;
});
EM_JS(void, wimmel_page_problem, (const char* text), {
  if (Module.onProblem) Module.onProblem(UTF8ToString(text));
});
EM_JS(void, wimmel_page_running, (), {
  if (Module.onRunning) Module.onRunning();
});
EM_JS(void, wimmel_page_ended, (int code), {
  if (Module.onEnded) Module.onEnded(code);
});
// clang-format on

namespace {

namespace control = wimmel::control;
namespace rt = wimmel::rt;
namespace web = wimmel::rt::web;

constexpr const char* kDataFolder = "/data";

int Run() {
  std::vector<std::string> arguments{"wimmel"};
  const int count = wimmel_url_argument_count();
  for (int i = 0; i < count; ++i) {
    char* text = wimmel_url_argument(i);
    arguments.emplace_back(text);
    std::free(text);
  }
  std::vector<char*> argv;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(arguments.size());

  control::Options options;
  if (std::string problem; !control::ParseOptions(argc, argv.data(), options, problem)) {
    // The page says what the command line would, and the program opens its
    // start screen as it does without parameters.
    const std::string message = "wimmel: " + problem;
    std::fprintf(stderr, "%s\n", message.c_str());
    wimmel_page_problem(message.c_str());
    options = control::Options{};
  }
  if (options.help || options.version) {
    const std::string text = options.help ? control::HelpText() : control::VersionText();
    std::fputs(text.c_str(), stdout);
    wimmel_page_problem(text.c_str());
    return 0;
  }

  const control::DataSearch data = control::FindData(
      options.dataFolder.empty() ? kDataFolder : options.dataFolder, false, kDataFolder);
  if (data.found.empty() || ::chdir(data.found.c_str()) != 0) {
    const std::string message = control::NoDataMessage("wimmel", data);
    std::fputs(message.c_str(), stderr);
    wimmel_page_problem(message.c_str());
    return 1;
  }

  wimmel::Program program(web::MakeWebDisplay(), web::MakeWebAudioDevice());
  wimmel::RequestStart(options.mode ? options.mode->width : 0,
                       options.mode ? options.mode->height : 0,
                       options.mode ? options.mode->depth : 0, options.figures.value_or(0),
                       options.music ? (*options.music ? 1 : 0) : -1);
  if (options.benchmarkSeconds) {
    control::RequestBenchmark(
        *options.benchmarkSeconds, [] { return web::WebDisplayPresents(); },
        [] { return web::WebDisplayBusySeconds(); });
  }
  wimmel_page_running();
  int code = 0;
  try {
    wimmel::Haupt(argc, argv.data());
  } catch (const rt::ProgramEnd& end) {
    code = end.code;
  }
  return code;
}

}  // namespace

int main() {
  const int code = Run();
  std::fflush(stdout);
  std::fflush(stderr);
  wimmel_page_ended(code);
  return code;
}
