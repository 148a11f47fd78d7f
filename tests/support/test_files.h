// Files and folders for the tests of every layer: scratch folders, files and
// BMP pictures written by hand under the program's file names, and the exit
// code of a program end. Nothing here knows more of the program than the
// runtime.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace wimmel::test {

// The host path of a program file name: backslashes separate folders.
std::filesystem::path HostPath(std::string name);

// Writes raw bytes (for broken headers and empty files), making the folders
// on the way.
void WriteFile(const std::string& path, const std::string& content);
void RemoveFile(const std::string& path);
// Writes a 24-bit bottom-up BMP; colour(x, y) gives 0xRRGGBB, y = 0 is the
// top row. Makes the folders on the way.
void WriteBmp(const std::string& path, int32_t width, int32_t height,
              const std::function<uint32_t(int32_t, int32_t)>& colour);
// Puts a folder or a named pipe where a file of that name would be (any file
// there is removed first): a picture there must count as missing, and
// nothing may wait for the pipe.
void ReplaceWithFolder(const std::string& path);
void ReplaceWithPipe(const std::string& path);

// Runs f and gives the exit code of the program end it caused, or -1 when
// it returned.
int ExitCodeOf(const std::function<void()>& f);

// A new empty folder wimmel-<tag>-XXXXXX in the temporary folder ($TMPDIR,
// else /tmp); an empty path when none could be made. The caller removes it.
std::filesystem::path MakeTempFolder(const std::string& tag);

// A fresh temporary folder that is the working folder while this lives; it
// is removed, and the previous working folder restored, at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& tag = "scratch");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace wimmel::test
