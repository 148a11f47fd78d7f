#include "scene/strip.h"

#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace wimmel::scene {

// One decoded picture, shared read-only by every strip whose content it is.
struct SharedPicture {
  rt::OwnedImage image;
  explicit SharedPicture(rt::OwnedImage i) : image(std::move(i)) {}

  // The runs of the frames put from the picture so far. Its pixels never
  // change, so what was found once stays true.
  struct Frame {
    int32_t x, y, width, height;
    rt::OpaqueRuns runs;
  };
  mutable std::vector<Frame> frames;
};

namespace {

// The program's own pictures are about forty files; beyond that, pictures
// no strip uses any more are dropped.
constexpr size_t kCacheLimit = 64;

// The name of the black strips; the leading zero byte keeps it apart from
// every file name.
constexpr std::string_view kBlackName("\0black", 6);

std::shared_ptr<const SharedPicture> Decode(std::string_view fileName, int32_t width,
                                            int32_t height, int32_t bytesPerPixel,
                                            int32_t fileWidth, int32_t fileHeight) {
  const int64_t rows = fileHeight < 0 ? -static_cast<int64_t>(fileHeight) : fileHeight;
  if (fileWidth < width || rows < height) return nullptr;
  if (rt::GetScreenInfo().bytesPerPixel != bytesPerPixel) return nullptr;
  rt::OwnedImage image(rt::CreateImage(width, height, 0));
  if (!image) return nullptr;
  // A successful load of a file at least as large as the image writes
  // every pixel of it, so the result depends on the file alone.
  if (rt::LoadBmp(fileName, image) != 0) return nullptr;
  return std::make_shared<const SharedPicture>(std::move(image));
}

}  // namespace

bool StripCache::Find(std::string_view fileName, const rt::FileStamp& stamp, int32_t width,
                      int32_t height, int32_t bytesPerPixel, int32_t fileWidth, int32_t fileHeight,
                      std::shared_ptr<const SharedPicture>& picture) {
  // Only a file that exists has a stamp that tells its versions apart.
  if (stamp.size <= 0) return false;
  if (const Entry* entry = Look(fileName, width, height, bytesPerPixel);
      entry != nullptr && entry->stamp == stamp) {
    picture = entry->picture;
    return picture != nullptr;
  }
  picture = Decode(fileName, width, height, bytesPerPixel, fileWidth, fileHeight);
  TrimIfFull();
  Entry& entry = Place(fileName, width, height, bytesPerPixel);
  entry.stamp = stamp;
  entry.picture = picture;
  return picture != nullptr;
}

std::shared_ptr<const SharedPicture> StripCache::Black(int32_t width, int32_t height,
                                                       int32_t bytesPerPixel) {
  if (const Entry* entry = Look(kBlackName, width, height, bytesPerPixel);
      entry != nullptr && entry->picture != nullptr) {
    return entry->picture;
  }
  rt::OwnedImage image(rt::CreateImage(width, height, 0));
  if (!image) return nullptr;
  auto picture = std::make_shared<const SharedPicture>(std::move(image));
  TrimIfFull();
  Entry& entry = Place(kBlackName, width, height, bytesPerPixel);
  entry.stamp = rt::FileStamp();
  entry.picture = picture;
  return picture;
}

StripCache::Entry* StripCache::Look(std::string_view name, int32_t width, int32_t height,
                                    int32_t bytesPerPixel) {
  const auto it = entries_.find(name);
  if (it == entries_.end()) return nullptr;
  for (Entry& entry : it->second) {
    if (entry.width == width && entry.height == height && entry.bytesPerPixel == bytesPerPixel) {
      return &entry;
    }
  }
  return nullptr;
}

StripCache::Entry& StripCache::Place(std::string_view name, int32_t width, int32_t height,
                                     int32_t bytesPerPixel) {
  if (Entry* entry = Look(name, width, height, bytesPerPixel)) return *entry;
  auto it = entries_.find(name);
  if (it == entries_.end()) it = entries_.emplace(std::string(name), std::vector<Entry>()).first;
  Entry& entry = it->second.emplace_back();
  entry.width = width;
  entry.height = height;
  entry.bytesPerPixel = bytesPerPixel;
  ++count_;
  return entry;
}

void StripCache::DropUnused() {
  for (auto it = entries_.begin(); it != entries_.end();) {
    std::vector<Entry>& sizes = it->second;
    const size_t before = sizes.size();
    std::erase_if(sizes, [](const Entry& entry) {
      return entry.picture == nullptr || entry.picture.use_count() == 1;
    });
    count_ -= before - sizes.size();
    it = sizes.empty() ? entries_.erase(it) : std::next(it);
  }
}

void StripCache::TrimIfFull() {
  if (count_ >= kCacheLimit) DropUnused();
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
  own_.reset();
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
    own_.reset();
    shared_ = std::move(picture);
    UpdateSource();
    return;
  }
  MakeOwnCopy();
  if (own_) rt::LoadBmp(fileName, own_);
}

void Strip::UpdateSource() {
  if (own_) {
    source_ = own_;
  } else {
    source_ = shared_ != nullptr ? shared_->image.get() : nullptr;
  }
}

const rt::OpaqueRuns* Strip::Runs(int32_t srcX, int32_t srcY, int32_t width,
                                  int32_t height) const {
  if (!IsShared() || !rt::RunsPayOff(bytesPerPixel_)) return nullptr;
  std::vector<SharedPicture::Frame>& frames = shared_->frames;
  for (const SharedPicture::Frame& f : frames) {
    if (f.x == srcX && f.y == srcY && f.width == width && f.height == height) return &f.runs;
  }
  frames.push_back({srcX, srcY, width, height,
                    rt::FindOpaqueRuns(shared_->image, srcX, srcY, width, height)});
  return &frames.back().runs;
}

void Strip::MakeOwnCopy() {
  if (own_) return;
  own_.reset(rt::CreateImage(width_, height_, 0));
  if (!own_) return;
  if (shared_ != nullptr) {
    rt::PutImage(own_, 0, 0, shared_->image, 0, 0, width_, height_, rt::PutMode::Opaque);
  }
  shared_.reset();
  UpdateSource();
}

}  // namespace wimmel::scene
