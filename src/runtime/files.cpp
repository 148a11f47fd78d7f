// File numbers, the file probe, the start and end of the run, and the path
// mapping.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime/internal.h"

namespace wimmel::rt {

using namespace detail;

namespace {

constexpr int32_t kFirstFile = FileTable::kFirst;
constexpr int32_t kLastFile = FileTable::kLast;
// Error codes in the style of the program's original runtime; nobody reads
// them, but they tell the cases apart in a debugger.
constexpr int32_t kBadFileNumber = 52;
constexpr int32_t kFileNotFound = 53;
constexpr int32_t kBadFileMode = 54;
constexpr int32_t kFileAlreadyOpen = 55;
constexpr int32_t kInputPastEnd = 62;

using OpenFileEntry = FileTable::Entry;

OpenFileEntry* Entry(int32_t number) {
  if (number < kFirstFile || number > kLastFile) return nullptr;
  OpenFileEntry& entry = State().files.entries[number];
  return entry.file ? &entry : nullptr;
}

int32_t LittleEndian32(const uint8_t* b) {
  return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                              static_cast<uint32_t>(b[2]) << 16 |
                              static_cast<uint32_t>(b[3]) << 24);
}

}  // namespace

namespace detail {

void CloseAllFiles() {
  for (int32_t n = kFirstFile; n <= kLastFile; ++n) CloseFile(n);
}

size_t ReadFully(int fd, uint64_t offset, void* target, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::pread(fd, static_cast<uint8_t*>(target) + done, count - done,
                              static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

void HostPathInto(std::string_view name, std::string& path) {
  path.assign(name);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
}

std::string HostPath(std::string_view name) {
  std::string path;
  HostPathInto(name, path);
  return path;
}

int OpenRegularPath(const char* path, OpenIntent intent, struct stat& info) {
  // Looking first keeps devices and pipes from being opened at all: opening
  // some devices has effects of its own.
  if (::stat(path, &info) == 0) {
    if (!S_ISREG(info.st_mode)) return -1;
  } else if (intent == OpenIntent::Read || errno != ENOENT) {
    return -1;
  }
  int flags = O_CLOEXEC | O_NONBLOCK;
  switch (intent) {
    case OpenIntent::Read:
      flags |= O_RDONLY;
      break;
    case OpenIntent::Append:
      flags |= O_WRONLY | O_APPEND | O_CREAT;
      break;
    case OpenIntent::Replace:
      flags |= O_WRONLY | O_TRUNC | O_CREAT;
      break;
  }
  const int fd = ::open(path, flags, 0666);
  if (fd < 0) return -1;
  // The path may have been replaced between the look and the open; what
  // counts is what was opened.
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return -1;
  }
  // A regular file ignores O_NONBLOCK on local file systems, but a network
  // or user-space file system may not; reads and writes should wait for
  // their data there as everywhere else.
  if (::fcntl(fd, F_SETFL, intent == OpenIntent::Append ? O_APPEND : 0) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int OpenRegularFile(std::string_view name, OpenIntent intent, struct stat& info) {
  return OpenRegularPath(HostPath(name).c_str(), intent, info);
}

std::FILE* OpenRegularStream(const char* path, OpenIntent intent, struct stat& info) {
  const int fd = OpenRegularPath(path, intent, info);
  if (fd < 0) return nullptr;
  const char* mode = intent == OpenIntent::Read ? "rb" : intent == OpenIntent::Append ? "ab" : "wb";
  std::FILE* f = ::fdopen(fd, mode);
  if (!f) ::close(fd);
  return f;
}

FileStamp StampOf(const struct stat& info) {
  FileStamp stamp;
  stamp.size = static_cast<int64_t>(info.st_size);
  stamp.modifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  stamp.changedNs = static_cast<int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  stamp.inode = static_cast<uint64_t>(info.st_ino);
  stamp.device = static_cast<uint64_t>(info.st_dev);
  return stamp;
}

}  // namespace detail

int32_t FreeFileNumber() {
  const FileTable& files = State().files;
  for (int32_t n = kFirstFile; n <= kLastFile; ++n) {
    if (!files.entries[n].file) return n;
  }
  return 0;
}

int32_t OpenFile(std::string_view name, FileMode mode, int32_t number) {
  if (number < kFirstFile || number > kLastFile) return kBadFileNumber;
  OpenFileEntry& entry = State().files.entries[number];
  if (entry.file) return kFileAlreadyOpen;
  if (mode != FileMode::Read && mode != FileMode::Append) return kBadFileMode;
  struct stat info {};
  std::FILE* f = OpenRegularStream(
      HostPath(name).c_str(), mode == FileMode::Read ? OpenIntent::Read : OpenIntent::Append, info);
  if (!f) return kFileNotFound;
  entry.file = f;
  entry.mode = mode;
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

int64_t ProbeFile(std::string_view name, FileStamp* stamp) {
  if (stamp) *stamp = FileStamp{};
  struct stat info {};
  const int fd = OpenRegularFile(name, OpenIntent::Read, info);
  if (fd < 0) return 0;
  ::close(fd);
  if (info.st_size <= 0) return 0;
  if (stamp) *stamp = StampOf(info);
  return static_cast<int64_t>(info.st_size);
}

int64_t ProbeBmpSize(std::string_view name, int32_t& width, int32_t& height, FileStamp* stamp) {
  if (stamp) *stamp = FileStamp{};
  if (FreeFileNumber() == 0) return 0;
  ProbeCache& cache = State().probes;
  HostPathInto(name, cache.path);
  // One look decides most probes: what is no regular file, or is empty,
  // counts as missing without being opened, and a file whose stamp is the
  // one its size was read under still has that size.
  struct stat info {};
  if (::stat(cache.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0) {
    return 0;
  }
  const auto known = cache.entries.find(cache.path);
  if (known != cache.entries.end() && known->second.stamp == StampOf(info)) {
    width = known->second.width;
    height = known->second.height;
    if (stamp) *stamp = known->second.stamp;
    return static_cast<int64_t>(info.st_size);
  }
  const int fd = OpenRegularPath(cache.path.c_str(), OpenIntent::Read, info);
  if (fd < 0) return 0;
  const auto length = static_cast<int64_t>(info.st_size);
  if (length > 0) {
    // The bytes start as the variables' values, so what a short file does
    // not have keeps them.
    uint8_t header[8];
    std::memcpy(header, &width, 4);
    std::memcpy(header + 4, &height, 4);
    const size_t got = ReadFully(fd, 18, header, sizeof header);
    width = LittleEndian32(header);
    height = LittleEndian32(header + 4);
    if (stamp) *stamp = StampOf(info);
    // Only a complete header says the same for every caller; a short file's
    // answer depends on the variables it was given.
    if (got == sizeof header) {
      if (cache.entries.size() >= ProbeCache::kLimit) cache.entries.clear();
      cache.entries[cache.path] = ProbeCache::Entry{StampOf(info), width, height};
    }
  }
  ::close(fd);
  return length > 0 ? length : 0;
}

std::FILE* OpenReadStream(std::string_view name, FileStamp* stamp) {
  if (stamp) *stamp = FileStamp{};
  struct stat info {};
  std::FILE* f = OpenRegularStream(HostPath(name).c_str(), OpenIntent::Read, info);
  if (!f) return nullptr;
  if (info.st_size <= 0) {
    std::fclose(f);
    return nullptr;
  }
  if (stamp) *stamp = StampOf(info);
  return f;
}

void StartRuntime(int argc, char** argv) {
  State().arguments.clear();
  for (int i = 0; i < argc; ++i) State().arguments.emplace_back(argv[i] ? argv[i] : "");
}

void EndProgram(int code) {
  CloseAllFiles();
  RestoreTerminal();
  std::fflush(stdout);
  throw ProgramEnd{code};
}

}  // namespace wimmel::rt
