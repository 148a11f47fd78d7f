// A figure's frame strip. Loading a picture file into a strip is what every
// turn does; most strips hold exactly the content of one picture file, so
// they share one decoded copy of it instead of each owning 576 x 48 pixels.
// A strip gets pixels of its own only when its content is no longer that of a
// single file (a file smaller than the strip leaves old pixels around it, or a
// file the loader could not read completely).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "runtime/owned_image.h"
#include "runtime/runtime.h"

namespace wimmel::scene {

struct SharedPicture;

// The decoded pictures that strips share, by file name and strip size. The
// figure table owns one. A strip holds its picture itself, so a picture
// stays alive as long as a strip uses it, whatever becomes of the cache.
class StripCache {
 public:
  StripCache() = default;
  StripCache(const StripCache&) = delete;
  StripCache& operator=(const StripCache&) = delete;

  // The shared decoded picture of fileName for a strip of this size and depth
  // when the file covers such a strip completely; false otherwise.
  bool Find(std::string_view fileName, const rt::FileStamp& stamp, int32_t width, int32_t height,
            int32_t bytesPerPixel, int32_t fileWidth, int32_t fileHeight,
            std::shared_ptr<const SharedPicture>& picture);
  // A strip of colour 0, shared by every new strip of this size and depth.
  std::shared_ptr<const SharedPicture> Black(int32_t width, int32_t height, int32_t bytesPerPixel);

 private:
  // The picture of one file for one strip size and depth.
  struct Entry {
    int32_t width = 0, height = 0, bytesPerPixel = 0;
    rt::FileStamp stamp;
    // Null when the file does not determine every pixel of a strip of this
    // size (smaller than the strip, or not loadable): such loads go to the
    // strip's own pixels.
    std::shared_ptr<const SharedPicture> picture;
  };
  // Lets a file name be looked up as it comes, without a string made of it.
  struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  };
  using Entries = std::unordered_map<std::string, std::vector<Entry>, NameHash, std::equal_to<>>;

  // The entry of name for this size and depth; null when there is none.
  Entry* Look(std::string_view name, int32_t width, int32_t height, int32_t bytesPerPixel);
  // The entry of name for this size and depth, made empty when there was none.
  Entry& Place(std::string_view name, int32_t width, int32_t height, int32_t bytesPerPixel);
  // Forgets every cached picture that no strip uses.
  void DropUnused();
  void TrimIfFull();

  // Per file name the few sizes and depths it was loaded for.
  Entries entries_;
  size_t count_ = 0;  // entries over all names
};

class Strip {
 public:
  Strip() = default;
  Strip(const Strip&) = delete;
  Strip& operator=(const Strip&) = delete;
  ~Strip();

  // A strip of width x height in the screen's depth, filled with colour 0.
  // Without an open screen there is no strip.
  void Create(StripCache& cache, int32_t width, int32_t height);
  void Release();
  bool Exists() const { return exists_; }

  // Loads a picture file into the strip, as LoadBmp does: the overlap of file
  // and strip is replaced, the rest keeps its pixels. fileWidth, fileHeight
  // and stamp come from the probe of the file just before
  // (rt::ProbeBmpSize).
  void Load(StripCache& cache, std::string_view fileName, int32_t fileWidth, int32_t fileHeight,
            const rt::FileStamp& stamp);

  // The image to draw frames from (null without a strip). Kept at hand,
  // since the step asks for it for every figure it draws.
  rt::Image Source() const { return source_; }
  // True while the strip shares a decoded picture instead of owning pixels.
  bool IsShared() const { return shared_ != nullptr && !own_; }
  // The opaque runs of a frame (a source rectangle) while the strip shares a
  // picture and runs pay off, found once per picture and frame; null while
  // the strip owns its pixels, which change.
  const rt::OpaqueRuns* Runs(int32_t srcX, int32_t srcY, int32_t width, int32_t height) const;

 private:
  void MakeOwnCopy();
  void UpdateSource();

  // First, so that a record holding the strip can keep it next to the
  // fields read with it.
  rt::Image source_ = nullptr;  // own_, else the shared picture's image
  rt::OwnedImage own_;
  std::shared_ptr<const SharedPicture> shared_;
  bool exists_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  int32_t bytesPerPixel_ = 0;
};

}  // namespace wimmel::scene
