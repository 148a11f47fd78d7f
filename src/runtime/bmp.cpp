// The BMP loader. A header can claim any size, so every read goes through a
// bounds-checked reader over the file's bytes, sizes are computed in 64 bits,
// and the whole pixel array must be present before a single pixel is
// written. Only the overlap of file and image is written.
#include <fcntl.h>
#include <immintrin.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "runtime/internal.h"

namespace rt {

using namespace detail;

namespace {

enum : int32_t { kLoaded = 0, kUnsupported = 1, kCannotOpen = 2, kBad = 3 };

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kMinFileSize = 54;
constexpr uint32_t kInfoHeader = 40;
constexpr uint32_t kV4Header = 108;
constexpr uint32_t kV5Header = 124;
constexpr uint32_t kCompressionNone = 0;
constexpr uint32_t kCompressionBitfields = 3;

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t size() const { return size_; }
  bool Has(uint64_t offset, uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  // Out-of-range reads give 0; callers check Has() where it matters.
  uint16_t U16(size_t offset) const {
    if (!Has(offset, 2)) return 0;
    return static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
  }
  uint32_t U32(size_t offset) const {
    if (!Has(offset, 4)) return 0;
    return static_cast<uint32_t>(data_[offset]) | static_cast<uint32_t>(data_[offset + 1]) << 8 |
           static_cast<uint32_t>(data_[offset + 2]) << 16 |
           static_cast<uint32_t>(data_[offset + 3]) << 24;
  }
  int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }
  const uint8_t* At(size_t offset) const { return data_ + offset; }

 private:
  const uint8_t* data_;
  size_t size_;
};

// One channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    while (!((m >> shift) & 1)) ++shift;
    while (bits + shift < 32 && ((m >> (shift + bits)) & 1)) ++bits;
  }
  uint32_t Get(uint32_t pixel) const {
    if (bits == 0) return 0;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return v >> (bits - 8);
    const uint32_t max = (1u << bits) - 1;
    return (v * 255 + max / 2) / max;
  }
};

// Most pictures are 24-bit, and a figure's turn reloads its strip, so the
// 24-bit rows are converted four or eight pixels at a time where the
// processor has SSSE3 and SSE4.1. Each returns how many pixels it did; the
// caller finishes the row. No load reaches past the row's last pixel: a
// 16-byte load at pixel x needs 3x + 16 <= 3 * count bytes.
bool HasVectorRows() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1");
}
const bool gVectorRows = HasVectorRows();

#define WIMMEL_SSE41 __attribute__((target("ssse3,sse4.1")))

WIMMEL_SSE41 inline __m128i BgrToPixels(const uint8_t* p) {
  const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  return _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), order);
}

WIMMEL_SSE41 inline __m128i Reduce565(__m128i v) {
  const __m128i r = _mm_and_si128(_mm_srli_epi32(v, 8), _mm_set1_epi32(0xF800));
  const __m128i g = _mm_and_si128(_mm_srli_epi32(v, 5), _mm_set1_epi32(0x07E0));
  const __m128i b = _mm_and_si128(_mm_srli_epi32(v, 3), _mm_set1_epi32(0x001F));
  return _mm_or_si128(_mm_or_si128(r, g), b);
}

WIMMEL_SSE41 int32_t Bgr24To32(const uint8_t* src, uint8_t* dst, int32_t count) {
  int32_t x = 0;
  for (; x + 6 <= count; x += 4) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * x), BgrToPixels(src + 3 * x));
  }
  return x;
}

WIMMEL_SSE41 int32_t Bgr24To565(const uint8_t* src, uint8_t* dst, int32_t count) {
  int32_t x = 0;
  for (; x + 10 <= count; x += 8) {
    const __m128i lo = Reduce565(BgrToPixels(src + 3 * x));
    const __m128i hi = Reduce565(BgrToPixels(src + 3 * x + 12));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 2 * x), _mm_packus_epi32(lo, hi));
  }
  return x;
}

template <int Bpp>
inline void Store(uint8_t* row, int32_t x, uint32_t rgb) {
  if constexpr (Bpp == 2) {
    reinterpret_cast<uint16_t*>(row)[x] = To565(rgb);
  } else {
    reinterpret_cast<uint32_t*>(row)[x] = rgb;
  }
}

template <int Bpp>
void ConvertRow(const uint8_t* src, uint8_t* dst, int32_t count, uint32_t bits,
                const std::array<uint32_t, 256>& palette, const Channel* fields) {
  switch (bits) {
    case 1:
      for (int32_t x = 0; x < count; ++x) {
        Store<Bpp>(dst, x, palette[(src[x >> 3] >> (7 - (x & 7))) & 1]);
      }
      break;
    case 4:
      for (int32_t x = 0; x < count; ++x) {
        Store<Bpp>(dst, x, palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15]);
      }
      break;
    case 8:
      for (int32_t x = 0; x < count; ++x) Store<Bpp>(dst, x, palette[src[x]]);
      break;
    case 24: {
      int32_t x = 0;
      if (gVectorRows) x = Bpp == 2 ? Bgr24To565(src, dst, count) : Bgr24To32(src, dst, count);
      for (; x < count; ++x) {
        const uint8_t* p = src + 3 * x;
        Store<Bpp>(dst, x, static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0]);
      }
      break;
    }
    case 32:
      if (fields) {
        for (int32_t x = 0; x < count; ++x) {
          const uint8_t* p = src + 4 * x;
          const uint32_t v = static_cast<uint32_t>(p[0]) | p[1] << 8 | p[2] << 16 |
                             static_cast<uint32_t>(p[3]) << 24;
          Store<Bpp>(dst, x, fields[0].Get(v) << 16 | fields[1].Get(v) << 8 | fields[2].Get(v));
        }
      } else {
        for (int32_t x = 0; x < count; ++x) {
          const uint8_t* p = src + 4 * x;
          Store<Bpp>(dst, x, static_cast<uint32_t>(p[2]) << 16 | p[1] << 8 | p[0]);
        }
      }
      break;
    default:
      break;
  }
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  out.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < out.size()) {
    const ssize_t n = ::read(fd, out.data() + done, out.size() - done);
    if (n < 0) {
      ::close(fd);
      return false;
    }
    if (n == 0) break;  // the file shrank meanwhile
    done += static_cast<size_t>(n);
  }
  out.resize(done);
  ::close(fd);
  return true;
}

}  // namespace

namespace detail {

int32_t LoadBmpFromMemory(const uint8_t* data, size_t size, ImageData& image) {
  const Reader r(data, size);
  if (r.size() < kMinFileSize) return kBad;
  if (data[0] != 'B' || data[1] != 'M') return kBad;
  const uint32_t headerSize = r.U32(14);
  if (headerSize != kInfoHeader && headerSize != kV4Header && headerSize != kV5Header) {
    return kUnsupported;
  }
  if (!r.Has(kFileHeaderSize, headerSize)) return kBad;
  const int32_t width = r.I32(18);
  const int32_t height = r.I32(22);
  if (width <= 0 || height == 0 || height == INT32_MIN) return kBad;
  if (r.U16(26) != 1) return kBad;
  const uint32_t bits = r.U16(28);
  if (bits == 15 || bits == 16) return kUnsupported;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return kBad;
  const uint32_t compression = r.U32(30);
  const bool bitfields = compression == kCompressionBitfields;
  if (compression != kCompressionNone && !(bitfields && bits == 32)) return kUnsupported;

  // Bit masks follow a 40-byte header and are part of the larger ones.
  const uint64_t headerEnd = kFileHeaderSize + headerSize;
  const uint64_t tableStart = headerEnd + (bitfields && headerSize == kInfoHeader ? 12 : 0);
  const uint64_t offset = r.U32(10);
  if (offset < kMinFileSize || offset < tableStart || offset >= r.size()) return kBad;
  Channel fields[3] = {Channel(r.U32(54)), Channel(r.U32(58)), Channel(r.U32(62))};

  std::array<uint32_t, 256> palette{};
  if (bits <= 8) {
    const uint64_t count = std::min<uint64_t>((offset - tableStart) / 4, uint64_t{1} << bits);
    for (uint64_t i = 0; i < count; ++i) {
      const uint8_t* e = r.At(tableStart + 4 * i);
      palette[i] = static_cast<uint32_t>(e[2]) << 16 | e[1] << 8 | e[0];
    }
  }

  const uint64_t rowSize = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
  const uint64_t available = r.size() - offset;
  if (rowSize > available || rows > available / rowSize) return kBad;

  const auto w = static_cast<int32_t>(std::min<int64_t>(width, image.width));
  const auto h = static_cast<int32_t>(std::min<uint64_t>(rows, image.height));
  const bool topDown = height < 0;
  for (int32_t y = 0; y < h; ++y) {
    const uint64_t fileRow = topDown ? y : rows - 1 - y;
    const uint8_t* src = r.At(offset + fileRow * rowSize);
    uint8_t* dst = image.pixels + static_cast<size_t>(y) * image.pitch;
    if (image.bytesPerPixel == 2) {
      ConvertRow<2>(src, dst, w, bits, palette, bitfields ? fields : nullptr);
    } else {
      ConvertRow<4>(src, dst, w, bits, palette, bitfields ? fields : nullptr);
    }
  }
  return kLoaded;
}

}  // namespace detail

int32_t LoadBmp(std::string_view fileName, Image image) {
  // Figures reload their strips on every turn; keeping the buffer saves an
  // allocation per load.
  thread_local std::vector<uint8_t> buffer;
  if (!ReadWholeFile(HostPath(fileName), buffer)) return kCannotOpen;
  bool isScreen = false;
  ImageData* target = ResolveTarget(image, isScreen);
  if (!target) return kUnsupported;
  ScreenGuard guard(isScreen);
  const int32_t result = LoadBmpFromMemory(buffer.data(), buffer.size(), *target);
  if (isScreen && result == kLoaded) MarkRows(0, target->height - 1);
  if (buffer.capacity() > (size_t{8} << 20)) std::vector<uint8_t>().swap(buffer);
  return result;
}

}  // namespace rt
