// File numbers, the start and end of the run, and the path mapping.
#include <cstdio>
#include <cstring>
#include <vector>

#include "runtime/internal.h"

namespace rt {

using namespace detail;

namespace {

constexpr int32_t kFirstFile = 1;
constexpr int32_t kLastFile = 254;
// Error codes in the style of the program's original runtime; nobody reads
// them, but they tell the cases apart in a debugger.
constexpr int32_t kBadFileNumber = 52;
constexpr int32_t kFileNotFound = 53;
constexpr int32_t kBadFileMode = 54;
constexpr int32_t kFileAlreadyOpen = 55;
constexpr int32_t kInputPastEnd = 62;

struct OpenFileEntry {
  std::FILE* file = nullptr;
  FileMode mode = FileMode::Read;
};
OpenFileEntry gFiles[kLastFile + 1];

std::vector<std::string> gArguments;

OpenFileEntry* Entry(int32_t number) {
  if (number < kFirstFile || number > kLastFile || !gFiles[number].file) return nullptr;
  return &gFiles[number];
}

void CloseAllFiles() {
  for (int32_t n = kFirstFile; n <= kLastFile; ++n) CloseFile(n);
}

}  // namespace

namespace detail {

std::string HostPath(std::string_view name) {
  std::string path(name);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace detail

int32_t FreeFileNumber() {
  for (int32_t n = kFirstFile; n <= kLastFile; ++n) {
    if (!gFiles[n].file) return n;
  }
  return 0;
}

int32_t OpenFile(std::string_view name, FileMode mode, int32_t number) {
  if (number < kFirstFile || number > kLastFile) return kBadFileNumber;
  if (gFiles[number].file) return kFileAlreadyOpen;
  if (mode != FileMode::Read && mode != FileMode::Append) return kBadFileMode;
  const std::string path = HostPath(name);
  std::FILE* f = std::fopen(path.c_str(), mode == FileMode::Read ? "rb" : "ab");
  if (!f) return kFileNotFound;
  gFiles[number].file = f;
  gFiles[number].mode = mode;
  return 0;
}

int64_t FileLength(int32_t number) {
  OpenFileEntry* e = Entry(number);
  if (!e) return 0;
  const long here = std::ftell(e->file);
  if (std::fseek(e->file, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(e->file);
  if (here >= 0) std::fseek(e->file, here, SEEK_SET);
  return end < 0 ? 0 : end;
}

int32_t ReadAt(int32_t number, int64_t position, void* target, int32_t count) {
  OpenFileEntry* e = Entry(number);
  if (!e || e->mode != FileMode::Read) return kBadFileNumber;
  if (position < 1 || count < 0) return kInputPastEnd;
  if (std::fseek(e->file, static_cast<long>(position - 1), SEEK_SET) != 0) return kInputPastEnd;
  // Read into a scratch buffer first, so a short read past the end leaves
  // the target's remaining bytes as they were.
  std::vector<uint8_t> bytes(static_cast<size_t>(count));
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), e->file);
  if (got > 0) std::memcpy(target, bytes.data(), got);
  return got == bytes.size() ? 0 : kInputPastEnd;
}

void PrintLine(int32_t number, std::string_view text) {
  if (number == 0) {
    PrintText(text, true);
    return;
  }
  OpenFileEntry* e = Entry(number);
  if (!e || e->mode != FileMode::Append) return;
  std::fwrite(text.data(), 1, text.size(), e->file);
  std::fputs("\r\n", e->file);
  std::fflush(e->file);
}

int32_t CloseFile(int32_t number) {
  OpenFileEntry* e = Entry(number);
  if (!e) return 0;
  const int result = std::fclose(e->file);
  e->file = nullptr;
  return result == 0 ? 0 : kBadFileNumber;
}

int64_t ProbeBmpSize(std::string_view name, int32_t& width, int32_t& height) {
  const int32_t n = FreeFileNumber();
  OpenFile(name, FileMode::Read, n);
  const int64_t length = FileLength(n);
  if (length > 0) {
    uint8_t w[4], h[4];
    std::memcpy(w, &width, 4);
    std::memcpy(h, &height, 4);
    ReadAt(n, 19, w, 4);
    ReadAt(n, 23, h, 4);
    width =
        static_cast<int32_t>(static_cast<uint32_t>(w[0]) | static_cast<uint32_t>(w[1]) << 8 |
                             static_cast<uint32_t>(w[2]) << 16 | static_cast<uint32_t>(w[3]) << 24);
    height =
        static_cast<int32_t>(static_cast<uint32_t>(h[0]) | static_cast<uint32_t>(h[1]) << 8 |
                             static_cast<uint32_t>(h[2]) << 16 | static_cast<uint32_t>(h[3]) << 24);
  }
  CloseFile(n);
  return length;
}

void StartRuntime(int argc, char** argv) {
  gArguments.clear();
  for (int i = 0; i < argc; ++i) gArguments.emplace_back(argv[i] ? argv[i] : "");
}

void EndProgram(int code) {
  CloseAllFiles();
  RestoreTerminal();
  std::fflush(stdout);
  throw ProgramEnd{code};
}

}  // namespace rt
