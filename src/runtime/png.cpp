// PNG output of an image or the screen, for screenshots and tools.
#include <png.h>

#include <cstdio>
#include <vector>

#include "runtime/internal.h"

namespace wimmel::rt {

using namespace detail;

bool WritePng(Image image, const char* path) {
  bool isScreen = false;
  ImageData* img = ResolveTarget(image, isScreen);
  if (!img || !path) return false;
  // Like every file the program opens, the target must be a regular file
  // (or not exist yet): writing never waits for a pipe's reader. The path is
  // the host's own, taken as it is.
  struct stat status {};
  std::FILE* f = OpenRegularStream(path, OpenIntent::Replace, status);
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
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
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
               PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < height; ++y) {
    png_write_row(png, rgb.data() + static_cast<size_t>(y) * width * 3);
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

}  // namespace wimmel::rt
