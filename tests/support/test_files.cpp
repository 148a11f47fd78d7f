#include "test_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

#include "make_bmp.h"
#include "runtime/runtime.h"

namespace wimmel::test {

namespace fs = std::filesystem;

fs::path HostPath(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return fs::path(name);
}

namespace {

void WriteBytes(const std::string& path, const char* data, size_t size) {
  const fs::path p = HostPath(path);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(data, static_cast<std::streamsize>(size));
}

}  // namespace

void WriteFile(const std::string& path, const std::string& content) {
  WriteBytes(path, content.data(), content.size());
}

void RemoveFile(const std::string& path) {
  fs::remove(HostPath(path));
}

void WriteBmp(const std::string& path, int32_t width, int32_t height,
              const std::function<uint32_t(int32_t, int32_t)>& colour) {
  const std::vector<uint8_t> bytes = MakeBmp(width, height, 24, {}, colour);
  WriteBytes(path, reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

void ReplaceWithFolder(const std::string& path) {
  const fs::path p = HostPath(path);
  fs::remove_all(p);
  fs::create_directories(p);
}

void ReplaceWithPipe(const std::string& path) {
  const fs::path p = HostPath(path);
  fs::remove_all(p);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0) << p;
}

int ExitCodeOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const rt::ProgramEnd& end) {
    return end.code;
  }
  return -1;
}

fs::path MakeTempFolder(const std::string& tag) {
  std::string pattern = (fs::temp_directory_path() / ("wimmel-" + tag + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

ScratchFolder::ScratchFolder(const std::string& tag) : previous_(fs::current_path()) {
  path_ = MakeTempFolder(tag);
  if (path_.empty()) std::abort();
  fs::current_path(path_);
}

ScratchFolder::~ScratchFolder() {
  fs::current_path(previous_);
  std::error_code error;
  fs::remove_all(path_, error);
}

}  // namespace wimmel::test
