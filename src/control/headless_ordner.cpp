// The scratch folder of the headless runner. Each run starts in an empty
// folder, so the previous run's must go; but a wrong --out (or "--out /",
// which names "/work") must not cost anyone a folder of their own. The
// runner therefore writes a mark into every scratch folder it makes and
// removes only marked ones.
#include "control/headless_ordner.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace wimmel::skript {

namespace {

constexpr const char* kMarkeText =
    "This folder was made by wimmel-headless as the program's working directory.\n"
    "The next run with the same output folder removes it with everything in it.\n";

// Whether the folder carries the mark: a regular file (a symbolic link does
// not count) of that name holding exactly the mark's text.
bool TraegtMarke(const fs::path& ordner) {
  const fs::path marke = ordner / kMarkeName;
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(marke, ec))) return false;
  std::ifstream datei(marke, std::ios::binary);
  const std::string inhalt{std::istreambuf_iterator<char>(datei), std::istreambuf_iterator<char>()};
  return inhalt == kMarkeText;
}

}  // namespace

bool ArbeitsordnerAnlegen(const fs::path& arbeit, std::string& fehler) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(arbeit, ec);
  if (ec && status.type() != fs::file_type::not_found) {
    fehler = "cannot look at " + arbeit.string() + ": " + ec.message();
    return false;
  }
  if (fs::exists(status)) {
    if (!fs::is_directory(status) || !TraegtMarke(arbeit)) {
      fehler = arbeit.string() +
               " exists and was not made by wimmel-headless; it is left as it is. Remove it "
               "yourself or choose another output folder with --out.";
      return false;
    }
    fs::remove_all(arbeit, ec);
    if (ec) {
      fehler = "cannot remove the last run's " + arbeit.string() + ": " + ec.message();
      return false;
    }
  }
  if (!fs::create_directory(arbeit, ec) || ec) {
    fehler = "cannot make " + arbeit.string() + ": " + ec.message();
    return false;
  }
  // The mark goes in first, so that even a run that fails right after this
  // leaves a folder the next run may remove.
  std::ofstream marke(arbeit / kMarkeName, std::ios::binary);
  marke << kMarkeText;
  marke.close();
  if (!marke) {
    fehler = "cannot write " + (arbeit / kMarkeName).string();
    return false;
  }
  return true;
}

}  // namespace wimmel::skript
