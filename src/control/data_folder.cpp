#include "control/data_folder.h"

#include <cstdlib>

#ifdef __EMSCRIPTEN__
#include "runtime/web/program_path.h"
#endif

namespace wimmel::control {

namespace fs = std::filesystem;

bool HoldsData(const fs::path& folder) {
  std::error_code ec;
  for (const char* name : kPictureFolders) {
    if (!fs::is_directory(folder / name, ec)) return false;
  }
  return true;
}

fs::path ProgramFolder() {
#ifdef __EMSCRIPTEN__
  // The host's /proc/self/exe is Node's; the program is the script.
  const fs::path script = fs::absolute(rt::web::ProgramPath());
  return script.parent_path();
#else
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path(".") : exe.parent_path();
#endif
}

DataSearch FindData(const std::string& given, bool useWorkingFolder,
                    const fs::path& programFolder) {
  DataSearch search;
  std::error_code ec;
  auto tryFolder = [&](const fs::path& folder, const std::string& what) {
    const fs::path absolute = fs::absolute(folder, ec);
    const fs::path shown = ec ? folder : absolute.lexically_normal();
    if (HoldsData(shown)) {
      search.found = fs::canonical(shown, ec);
      if (ec) search.found = shown;
      return true;
    }
    search.looked.push_back(what + shown.string());
    return false;
  };
  // A folder the user names is the only one: falling back to another would
  // run on data the user did not ask for.
  if (!given.empty()) {
    tryFolder(given, "--data ");
    return search;
  }
  if (useWorkingFolder && tryFolder(fs::current_path(ec), "the working folder ")) return search;
  if (const char* env = std::getenv("WIMMEL_DATA"); env != nullptr && *env != '\0') {
    if (tryFolder(env, "$WIMMEL_DATA ")) return search;
    const fs::path absolute = fs::absolute(env, ec);
    search.passedOverEnv = ec ? fs::path(env) : absolute.lexically_normal();
  } else {
    search.looked.push_back("$WIMMEL_DATA (not set)");
  }
  search.fromBuildTree = fs::is_regular_file(programFolder / ".." / "CMakeCache.txt", ec);
  if (tryFolder(programFolder / ".." / "data", "beside the program ")) return search;
  const fs::path share = programFolder / ".." / "share";
  if (tryFolder(share / "games" / "wimmel", "the installed data ")) return search;
  tryFolder(share / "wimmel", "the installed data ");
  return search;
}

std::string NoDataMessage(const std::string& program, const DataSearch& search) {
  std::string text = program +
                     ": no data found: no folder with the picture folders HG_bild, figure, "
                     "objekte and pattern. Looked in:\n";
  for (const std::string& place : search.looked) text += "  " + place + "\n";
  // Only a program in a build tree has a source folder with ./run beside it.
  if (search.fromBuildTree) {
    text +=
        "Build the data with ./run or ./test in the source folder, or name the folder "
        "with --data.\n";
  } else {
    text +=
        "Install Wimmel's data (the package wimmel-data), or name the folder with "
        "--data.\n";
  }
  return text;
}

std::string PassedOverMessage(const std::string& program, const DataSearch& search) {
  if (search.found.empty() || search.passedOverEnv.empty()) return "";
  return program + ": $WIMMEL_DATA names " + search.passedOverEnv.string() +
         ", which holds no data folders; using " + search.found.string() + "\n";
}

}  // namespace wimmel::control
