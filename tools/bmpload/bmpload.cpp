// bmpload FILE [OUT.png] [--16]: loads a BMP file the way the program's
// modules do (size from the header, an image of that size, LoadBmp into it)
// and prints one line: "LoadBmp=N WxH", or "CreateImage=null WxH" when the
// image is refused. A missing or empty file prints "LoadBmp=2 0x0", since
// the modules never load a file they found missing. A top-down file stores
// its height negated; the image gets the absolute height so such files can
// be tried as well.
//
// Exit status: 0 when the file was loaded (LoadBmp=0, and the PNG written if
// one was asked for), 1 when it was not (or no screen opened, or the PNG
// could not be written), 2 for a wrong command line.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/owned_image.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

int main(int argc, char** argv) {
  rt::Runtime runtime;
  rt::StartRuntime(argc, argv);
  const char* file = nullptr;
  const char* out = nullptr;
  bool sixteen = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--16") == 0) {
      sixteen = true;
    } else if (!file) {
      file = argv[i];
    } else if (!out) {
      out = argv[i];
    } else {
      file = nullptr;
      break;
    }
  }
  if (!file) {
    std::fprintf(stderr, "usage: bmpload FILE [OUT.png] [--16]\n");
    return 2;
  }
  if (rt::SetScreenMode(21, sixteen ? 16 : 32, 0, 1, 0) != 0) {
    std::fprintf(stderr, "bmpload: no screen\n");
    return 1;
  }
  int32_t width = 0, height = 0;
  if (rt::ProbeBmpSize(file, width, height) <= 0) {
    std::printf("LoadBmp=2 0x0\n");
    return 1;
  }
  if (height < 0 && height != INT32_MIN) height = -height;
  rt::OwnedImage image(rt::CreateImage(width, height, 0));
  if (!image) {
    std::printf("CreateImage=null %dx%d\n", width, height);
    return 1;
  }
  const int32_t result = rt::LoadBmp(file, image);
  std::printf("LoadBmp=%d %dx%d\n", result, width, height);
  int status = result == 0 ? 0 : 1;
  if (std::string why; out && !rt::WritePng(image, out, &why)) {
    std::fprintf(stderr, "bmpload: cannot write %s: %s\n", out, why.c_str());
    status = 1;
  }
  return status;
}
