// Feeds arbitrary bytes to the BMP loader, into images of several sizes in
// both pixel formats. Besides the sanitizers' checks: the result is one of
// the loader's codes, and a refused file leaves the image untouched.
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/internal.h"
#include "runtime/owned_image.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

namespace {

struct Target {
  rt::OwnedImage image;
  uint32_t fill;
};

// The runtime and the images every input is loaded into: made for the first
// input and kept for the whole run. At exit the images go before the runtime
// they were made by.
class Fixture {
 public:
  Fixture() {
    if (rt::SetScreenMode(18, 32, 0, 1, 0) != 0) std::abort();
    const int32_t sizes[][2] = {{1, 1}, {3, 7}, {64, 64}, {127, 64}, {300, 2}};
    for (const int32_t depth : {16, 32}) {
      for (const auto& s : sizes) {
        const uint32_t fill = depth == 16 ? 0x1234 : 0x00ABCDEF;
        rt::OwnedImage img(rt::CreateImage(s[0], s[1], 0, depth));
        if (!img) std::abort();
        targets_.push_back({std::move(img), fill});
      }
    }
  }
  ~Fixture() { targets_.clear(); }
  Fixture(const Fixture&) = delete;
  Fixture& operator=(const Fixture&) = delete;

  const std::vector<Target>& targets() const { return targets_; }

 private:
  rt::Runtime runtime_;
  std::vector<Target> targets_;
};

const std::vector<Target>& Targets() {
  static Fixture fixture;
  return fixture.targets();
}

void Fill(rt::Image img, uint32_t v) {
  for (int32_t y = 0; y < img->height; ++y) {
    uint8_t* row = img->pixels + static_cast<size_t>(y) * img->pitch;
    for (int32_t x = 0; x < img->width; ++x) {
      if (img->bytesPerPixel == 2) {
        reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(v);
      } else {
        reinterpret_cast<uint32_t*>(row)[x] = v;
      }
    }
  }
}

bool Untouched(rt::Image img, uint32_t v) {
  for (int32_t y = 0; y < img->height; ++y) {
    for (int32_t x = 0; x < img->width; ++x) {
      if (rt::GetPixel(img, x, y) != v) return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (const Target& t : Targets()) {
    Fill(t.image, t.fill);
    const int32_t code = rt::detail::LoadBmpFromMemory(data, size, *t.image);
    if (code != 0 && code != 1 && code != 3) std::abort();
    if (code != 0 && !Untouched(t.image, t.fill)) std::abort();
  }
  return 0;
}
