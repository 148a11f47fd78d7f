// An image with exactly one owner, which frees it.
//
// Whoever creates an image keeps it in an OwnedImage: the image goes when
// its owner goes, also when a key wait ends the program by unwinding through
// it. The handle moves but never copies. Drawing calls take it where they
// take an rt::Image; only a named handle converts, so a temporary, whose
// image would be gone by the end of the statement, cannot hand one out.
#pragma once

#include <utility>

#include "runtime/runtime.h"

namespace wimmel::rt {

class OwnedImage {
 public:
  OwnedImage() = default;
  explicit OwnedImage(Image image) : image_(image) {}
  OwnedImage(OwnedImage&& other) noexcept : image_(other.release()) {}
  OwnedImage& operator=(OwnedImage&& other) noexcept {
    reset(other.release());
    return *this;
  }
  OwnedImage(const OwnedImage&) = delete;
  OwnedImage& operator=(const OwnedImage&) = delete;
  ~OwnedImage() { Destroy(image_); }

  Image get() const { return image_; }
  // For the runtime's own code and its tests, which see inside an image.
  Image operator->() const { return image_; }
  explicit operator bool() const { return image_ != nullptr; }
  operator Image() const& { return image_; }
  operator Image() const&& = delete;

  // Gives the image up to the caller, who frees it from now on.
  Image release() { return std::exchange(image_, nullptr); }
  // Frees the image held and holds image instead.
  void reset(Image image = nullptr) {
    Image old = std::exchange(image_, image);
    if (old != image) Destroy(old);
  }

 private:
  // Frees an image of CreateImage; null and the screen are ignored. Only
  // the handle frees images, so only the handle can call this.
  static void Destroy(Image image);

  Image image_ = nullptr;
};

}  // namespace wimmel::rt
