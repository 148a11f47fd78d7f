// wimmel: the program on the real display.
#include <cstdio>
#include <string>

#include "control/haupt.h"
#include "runtime/runtime.h"
#include "runtime/sdl/sdl_display.h"

int main(int argc, char** argv) {
  std::string grund;
  if (!rt::sdl::InstallSdlDisplay(grund)) {
    // A program that cannot show anything must not report success.
    std::fprintf(stderr, "Keine Grafikanzeige verfuegbar: %s\n", grund.c_str());
    return 1;
  }
  int code = 0;
  try {
    wimmel::Haupt(argc, argv);
  } catch (const rt::ProgramEnd& ende) {
    code = ende.code;
  }
  rt::sdl::ShutdownSdlDisplay();
  return code;
}
