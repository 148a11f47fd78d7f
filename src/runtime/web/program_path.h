// Where the running WebAssembly program lies, for the search of its data
// beside it: under Node the script's path as it was started
// (build/web/wimmel-headless.js), in a browser a name of no folder.
#pragma once

#include <string>

namespace wimmel::rt::web {

std::string ProgramPath();

}  // namespace wimmel::rt::web
