#include "runtime/web/program_path.h"

#include <emscripten.h>

#include <cstdlib>

namespace wimmel::rt::web {

namespace {

// emscripten's loader keeps the script's path, the argv[0] of the program,
// in thisProgram.
EM_JS(char*, ThisProgram, (), {
  const bytes = lengthBytesUTF8(thisProgram) + 1;
  const text = _malloc(bytes);
  stringToUTF8(thisProgram, text, bytes);
  return text;
});

}  // namespace

std::string ProgramPath() {
  char* text = ThisProgram();
  std::string path = text != nullptr ? text : "";
  std::free(text);
  return path;
}

}  // namespace wimmel::rt::web
