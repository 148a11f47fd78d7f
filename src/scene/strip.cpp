#include "scene/strip.h"

#include <string>
#include <utility>

namespace wimmel::scene {

// One decoded picture, shared read-only by every strip whose content it is.
struct SharedPicture {
  rt::Image image = nullptr;
  explicit SharedPicture(rt::Image i) : image(i) {}
  SharedPicture(const SharedPicture&) = delete;
  SharedPicture& operator=(const SharedPicture&) = delete;
  ~SharedPicture() {
    if (image != nullptr) rt::DestroyImage(image);
  }
};

namespace {

// The program's own pictures are about forty files; beyond that, pictures
// no strip uses any more are dropped.
constexpr size_t kCacheLimit = 64;

std::string CacheKey(std::string_view name, int32_t width, int32_t height, int32_t bytesPerPixel) {
  std::string s(name);
  s += '\n';
  s += std::to_string(width);
  s += 'x';
  s += std::to_string(height);
  s += 'x';
  s += std::to_string(bytesPerPixel);
  return s;
}

std::shared_ptr<const SharedPicture> Decode(std::string_view fileName, int32_t width,
                                            int32_t height, int32_t bytesPerPixel,
                                            int32_t fileWidth, int32_t fileHeight) {
  const int64_t rows = fileHeight < 0 ? -static_cast<int64_t>(fileHeight) : fileHeight;
  if (fileWidth < width || rows < height) return nullptr;
  if (rt::GetScreenInfo().bytesPerPixel != bytesPerPixel) return nullptr;
  rt::Image image = rt::CreateImage(width, height, 0);
  if (image == nullptr) return nullptr;
  // A successful load of a file at least as large as the image writes
  // every pixel of it, so the result depends on the file alone.
  if (rt::LoadBmp(fileName, image) != 0) {
    rt::DestroyImage(image);
    return nullptr;
  }
  return std::make_shared<const SharedPicture>(image);
}

}  // namespace

bool StripCache::Find(std::string_view fileName, const rt::FileStamp& stamp, int32_t width,
                      int32_t height, int32_t bytesPerPixel, int32_t fileWidth, int32_t fileHeight,
                      std::shared_ptr<const SharedPicture>& picture) {
  // Only a file that exists has a stamp that tells its versions apart.
  if (stamp.size <= 0) return false;
  std::string key = CacheKey(fileName, width, height, bytesPerPixel);
  auto it = entries_.find(key);
  if (it != entries_.end() && it->second.stamp == stamp) {
    picture = it->second.picture;
    return picture != nullptr;
  }
  Entry entry;
  entry.stamp = stamp;
  entry.picture = Decode(fileName, width, height, bytesPerPixel, fileWidth, fileHeight);
  TrimIfFull();
  picture = entry.picture;
  entries_[std::move(key)] = std::move(entry);
  return picture != nullptr;
}

std::shared_ptr<const SharedPicture> StripCache::Black(int32_t width, int32_t height,
                                                       int32_t bytesPerPixel) {
  // The leading zero byte keeps this key apart from every file name.
  std::string key = CacheKey(std::string_view("\0black", 6), width, height, bytesPerPixel);
  auto it = entries_.find(key);
  if (it != entries_.end() && it->second.picture != nullptr) return it->second.picture;
  rt::Image image = rt::CreateImage(width, height, 0);
  if (image == nullptr) return nullptr;
  Entry entry;
  entry.picture = std::make_shared<const SharedPicture>(image);
  TrimIfFull();
  auto result = entry.picture;
  entries_[std::move(key)] = std::move(entry);
  return result;
}

void StripCache::DropUnused() {
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->second.picture == nullptr || it->second.picture.use_count() == 1) {
      it = entries_.erase(it);
    } else {
      ++it;
    }
  }
}

void StripCache::TrimIfFull() {
  if (entries_.size() >= kCacheLimit) DropUnused();
}

Strip::~Strip() {
  Release();
}

void Strip::Create(StripCache& cache, int32_t width, int32_t height) {
  Release();
  const int32_t bytesPerPixel = rt::GetScreenInfo().bytesPerPixel;
  shared_ = cache.Black(width, height, bytesPerPixel);
  UpdateSource();
  if (shared_ == nullptr) return;
  exists_ = true;
  width_ = width;
  height_ = height;
  bytesPerPixel_ = bytesPerPixel;
}

void Strip::Release() {
  if (own_ != nullptr) {
    rt::DestroyImage(own_);
    own_ = nullptr;
  }
  shared_.reset();
  source_ = nullptr;
  exists_ = false;
  width_ = height_ = bytesPerPixel_ = 0;
}

void Strip::Load(StripCache& cache, std::string_view fileName, int32_t fileWidth,
                 int32_t fileHeight, const rt::FileStamp& stamp) {
  if (!exists_) return;
  std::shared_ptr<const SharedPicture> picture;
  if (cache.Find(fileName, stamp, width_, height_, bytesPerPixel_, fileWidth, fileHeight,
                 picture)) {
    if (own_ != nullptr) {
      rt::DestroyImage(own_);
      own_ = nullptr;
    }
    shared_ = std::move(picture);
    UpdateSource();
    return;
  }
  MakeOwnCopy();
  if (own_ != nullptr) rt::LoadBmp(fileName, own_);
}

void Strip::UpdateSource() {
  if (own_ != nullptr) {
    source_ = own_;
  } else {
    source_ = shared_ != nullptr ? shared_->image : nullptr;
  }
}

void Strip::MakeOwnCopy() {
  if (own_ != nullptr) return;
  own_ = rt::CreateImage(width_, height_, 0);
  if (own_ == nullptr) return;
  if (shared_ != nullptr) {
    rt::PutImage(own_, 0, 0, shared_->image, 0, 0, width_, height_, rt::PutMode::Opaque);
  }
  shared_.reset();
  UpdateSource();
}

}  // namespace wimmel::scene
