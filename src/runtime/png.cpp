// PNG output of an image or the screen, for screenshots and tools.
//
// A picture is written whole under its name or not at all: it goes into a
// new file beside the target, which replaces the target only once it is
// complete. A full disk or a signal halfway through therefore never leaves
// a cut picture under the final name, nor costs the good one that was there.
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/internal.h"

namespace wimmel::rt {

using namespace detail;

namespace {

// The open file libpng writes into and the first failure, which libpng's
// callbacks record instead of printing lines of their own on stderr.
struct PngOutput {
  std::FILE* file = nullptr;
  std::string why;
};

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
  auto* out = static_cast<PngOutput*>(png_get_error_ptr(png));
  if (out->why.empty()) out->why = message;
  png_longjmp(png, 1);
}

void OnPngWarning(png_structp png, png_const_charp message) {
  (void)png;
  (void)message;
}

void WriteToFile(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<PngOutput*>(png_get_io_ptr(png));
  errno = 0;
  if (std::fwrite(data, 1, length, out->file) != length) {
    const int failure = errno != 0 ? errno : EIO;
    out->why = std::strerror(failure);
    png_error(png, "write failed");
  }
}

void FlushFile(png_structp png) {
  (void)png;
}

// Compresses the rows into the output; false when libpng gave up (the
// reason is in out.why). Kept apart so that no local of the caller lives
// across the jump back.
bool Encode(png_structp png, png_infop info, const std::vector<uint8_t>& rgb, int32_t width,
            int32_t height) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < height; ++y) {
    png_write_row(png, rgb.data() + static_cast<size_t>(y) * width * 3);
  }
  png_write_end(png, nullptr);
  return true;
}

// The file a write to path replaces: the file a symbolic link names, so
// that the link stays, as it would when written through. Empty (with the
// reason) when path names something other than a regular file.
std::string TargetOf(const char* path, std::string& why) {
  struct stat status {};
  if (::lstat(path, &status) != 0) {
    if (errno == ENOENT) return path;
    why = std::strerror(errno);
    return "";
  }
  if (S_ISLNK(status.st_mode)) {
    if (::stat(path, &status) != 0) {
      // A link to nothing yet: the new file goes where it points.
      if (errno != ENOENT) {
        why = std::strerror(errno);
        return "";
      }
      char target[PATH_MAX];
      const ssize_t n = ::readlink(path, target, sizeof target - 1);
      if (n < 0) {
        why = std::strerror(errno);
        return "";
      }
      target[n] = '\0';
      const std::string p = path;
      const size_t slash = p.rfind('/');
      if (target[0] == '/' || slash == std::string::npos) return target;
      return p.substr(0, slash + 1) + target;
    }
    if (!S_ISREG(status.st_mode)) {
      why = "not a regular file";
      return "";
    }
    char* real = ::realpath(path, nullptr);
    if (real == nullptr) {
      why = std::strerror(errno);
      return "";
    }
    std::string resolved = real;
    std::free(real);
    return resolved;
  }
  if (!S_ISREG(status.st_mode)) {
    why = "not a regular file";
    return "";
  }
  return path;
}

// Makes a new, empty file beside target, named after it (".NAME.N.tmp"),
// with the permissions a new file gets; -1 with the reason otherwise.
int MakeFileBeside(const std::string& target, std::string& name, std::string& why) {
  static std::atomic<uint32_t> counter{0};
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = folder + "." + base + "." + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
    if (errno != EEXIST) break;
  }
  why = std::strerror(errno);
  return -1;
}

}  // namespace

bool WritePng(Image image, const char* path, std::string* why) {
  std::string reason;
  const bool written = [&] {
    bool isScreen = false;
    ImageData* img = ResolveTarget(image, isScreen);
    if (!path) {
      reason = "no file name";
      return false;
    }
    if (!img) {
      reason = "no such image";
      return false;
    }
    // Snapshot the pixels first, so the screen lock is not held while
    // compressing.
    std::vector<uint8_t> rgb;
    int32_t width = 0, height = 0;
    {
      ScreenGuard guard(isScreen);
      width = img->width;
      height = img->height;
      rgb.resize(static_cast<size_t>(width) * height * 3);
      uint8_t* out = rgb.data();
      for (int32_t y = 0; y < height; ++y) {
        const uint8_t* line = img->pixels + static_cast<size_t>(y) * img->pitch;
        for (int32_t x = 0; x < width; ++x) {
          const uint32_t c = img->bytesPerPixel == 2
                                 ? From565(reinterpret_cast<const uint16_t*>(line)[x])
                                 : reinterpret_cast<const uint32_t*>(line)[x];
          *out++ = static_cast<uint8_t>(c >> 16);
          *out++ = static_cast<uint8_t>(c >> 8);
          *out++ = static_cast<uint8_t>(c);
        }
      }
    }

    // Only a regular file (or none yet) is replaced: never a folder, a pipe
    // or a device.
    const std::string target = TargetOf(path, reason);
    if (target.empty()) return false;
    std::string temporary;
    const int fd = MakeFileBeside(target, temporary, reason);
    if (fd < 0) return false;
    // A replaced picture keeps the permissions it had.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);

    PngOutput out;
    out.file = ::fdopen(fd, "wb");
    if (!out.file) {
      reason = std::strerror(errno);
      ::close(fd);
      ::unlink(temporary.c_str());
      return false;
    }
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, &OnPngError, &OnPngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool good = png && info;
    if (good) {
      png_set_write_fn(png, &out, &WriteToFile, &FlushFile);
      good = Encode(png, info, rgb, width, height);
    } else {
      out.why = "out of memory";
    }
    png_destroy_write_struct(&png, &info);
    if (good && std::fflush(out.file) != 0) {
      out.why = std::strerror(errno);
      good = false;
    }
    if (std::fclose(out.file) != 0 && good) {
      out.why = std::strerror(errno);
      good = false;
    }
    if (good && std::rename(temporary.c_str(), target.c_str()) != 0) {
      out.why = std::strerror(errno);
      good = false;
    }
    if (!good) {
      ::unlink(temporary.c_str());
      reason = out.why;
    }
    return good;
  }();
  if (why) *why = written ? "" : reason;
  return written;
}

}  // namespace wimmel::rt
