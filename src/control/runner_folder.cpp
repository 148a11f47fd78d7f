// The scratch folder of the headless runner. Each run starts in an empty
// folder, so the previous run's must go; but a wrong --out (or "--out /",
// which names "/work") must not cost anyone a folder of their own. The
// runner therefore writes a mark into every scratch folder it makes and
// removes only marked ones.
#include "control/runner_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace wimmel::control {

namespace {

constexpr const char* kMarkText =
    "This folder was made by wimmel-headless as the program's working directory.\n"
    "The next run with the same output folder removes it with everything in it.\n";

// Whether the folder carries the mark: a regular file (a symbolic link does
// not count) of that name holding exactly the mark's text.
bool CarriesMark(const fs::path& folder) {
  const fs::path mark = folder / kMarkName;
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(mark, ec))) return false;
  std::ifstream file(mark, std::ios::binary);
  const std::string contents{std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>()};
  return contents == kMarkText;
}

// Writes the mark as a new file; 0 when it is written whole, else the
// system's error number.
int WriteMark(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return errno;
  const std::string_view text = kMarkText;
  size_t written = 0;
  int failure = 0;
  while (written < text.size()) {
    const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failure = n < 0 ? errno : ENOSPC;
      break;
    }
    written += static_cast<size_t>(n);
  }
  if (::close(fd) != 0 && failure == 0) failure = errno;
  return failure;
}

}  // namespace

bool MakeScratchFolder(const fs::path& folder, std::string& error) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(folder, ec);
  if (ec && status.type() != fs::file_type::not_found) {
    error = "cannot look at " + folder.string() + ": " + ec.message();
    return false;
  }
  if (fs::exists(status)) {
    if (!fs::is_directory(status) || !CarriesMark(folder)) {
      error = folder.string() +
              " exists and was not made by wimmel-headless; it is left as it is. Remove it "
              "yourself or choose another output folder with --out.";
      return false;
    }
    fs::remove_all(folder, ec);
    if (ec) {
      error = "cannot remove the last run's " + folder.string() + ": " + ec.message();
      return false;
    }
  }
  if (!fs::create_directory(folder, ec) || ec) {
    error = "cannot make " + folder.string() + ": " + ec.message();
    return false;
  }
  // The mark goes in first, so that even a run that fails right after this
  // leaves a folder the next run may remove. A folder whose mark could not
  // be written (a full disk, a path at the system's length limit) goes again
  // at once: left unmarked, it would make every later run refuse it.
  const fs::path markPath = folder / kMarkName;
  if (const int failure = WriteMark(markPath); failure != 0) {
    error = "cannot write " + markPath.string() + ": " + std::strerror(failure);
    fs::remove_all(folder, ec);
    if (ec) error += "; " + folder.string() + " stays behind: " + ec.message();
    return false;
  }
  return true;
}

}  // namespace wimmel::control
