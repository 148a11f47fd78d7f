// wimmel: the program on the real display.
#include <cstdio>
#include <string>

#include "control/haupt.h"
#include "control/program.h"
#include "runtime/runtime.h"
#include "runtime/sdl/sdl_audio.h"
#include "runtime/sdl/sdl_display.h"

int main(int argc, char** argv) {
  std::string reason;
  auto display = wimmel::rt::sdl::MakeSdlDisplay(reason);
  if (!display) {
    // A program that cannot show anything must not report success.
    std::fprintf(stderr, "Keine Grafikanzeige verfuegbar: %s\n", reason.c_str());
    return 1;
  }
  int code = 0;
  wimmel::Program program(std::move(display), wimmel::rt::sdl::MakeSdlAudioDevice());
  try {
    wimmel::Haupt(argc, argv);
  } catch (const wimmel::rt::ProgramEnd& end) {
    code = end.code;
  }
  return code;
}
