// The BMP loader. A header can claim any size, so every read is bounded by
// the file's length, sizes are computed in 64 bits, and the whole pixel array
// must be present before a single pixel is written. Only the overlap of file
// and image is written, and only the bytes that land in it are read: the
// headers, the palette and the rows of the overlap, in pieces of bounded
// size, so a huge or sparse file costs no more memory than a small one.
#include <immintrin.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "runtime/internal.h"

namespace wimmel::rt {

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
// Every header field and bit mask the loader reads lies in the file header
// and the largest information header it reads.
constexpr size_t kHeadBytes = kFileHeaderSize + kV5Header;
// Pixel rows are read in pieces of at most this many bytes. Rows that follow
// each other in the file are read together unless the parts of them that do
// not land in the image (a file wider than the image) exceed kRowGapBytes per
// row; then each row's used part is read alone.
constexpr uint64_t kChunkBytes = uint64_t{256} << 10;
constexpr uint64_t kRowGapBytes = 4096;

// The bytes of a load, kept between loads: a figure's turn reloads its
// strip, and an allocation per load would show. A load uses it either for
// the whole file (a small one, decoded in place, which then never reads
// through it again) or for the pieces of a larger one, never for both; it
// never grows beyond kChunkBytes.
std::vector<uint8_t>& LoadBuffer() {
  return State().bmpBuffer;
}

// What BMP defines but this loader does not read is "unsupported" (1); only
// values that BMP does not define at all, or contradict themselves, make a
// file "bad" (3).
bool DefinedOtherHeader(uint32_t size) {
  // OS/2 1.x (12), OS/2 2.x (16 and 64), and the Adobe 52 and 56.
  return size == 12 || size == 16 || size == 52 || size == 56 || size == 64;
}
bool DefinedOtherBitCount(uint32_t bits) {
  // 0 means an embedded JPEG or PNG; 15 is what some writers put for 5-5-5.
  return bits == 0 || bits == 2 || bits == 15 || bits == 16 || bits == 64;
}
bool DefinedCompression(uint32_t compression) {
  // RLE8, RLE4, BITFIELDS, JPEG, PNG, ALPHABITFIELDS, and the CMYK ones.
  return (compression >= 1 && compression <= 6) || (compression >= 11 && compression <= 13);
}

// Where the loader's bytes come from: a file read piece by piece, or a
// buffer (the fuzzer's). The length bounds every read.
class Source {
 public:
  explicit Source(uint64_t size) : size_(size) {}
  virtual ~Source() = default;
  uint64_t Size() const { return size_; }
  bool Has(uint64_t offset, uint64_t count) const {
    return offset <= size_ && count <= size_ - offset;
  }
  // Copies count bytes at offset into target; false when they are not all
  // there (a file that shrank after its length was taken).
  virtual bool Read(uint64_t offset, uint8_t* target, size_t count) = 0;
  // The bytes at offset in place, when the source holds them in memory
  // (the caller has checked that they are there); null otherwise.
  virtual const uint8_t* View(uint64_t offset) const = 0;

 private:
  uint64_t size_;
};

class MemorySource final : public Source {
 public:
  MemorySource(const uint8_t* data, size_t size) : Source(size), data_(data) {}
  bool Read(uint64_t offset, uint8_t* target, size_t count) override {
    if (!Has(offset, count)) return false;
    if (count > 0) std::memcpy(target, data_ + offset, count);
    return true;
  }
  const uint8_t* View(uint64_t offset) const override { return data_ + offset; }

 private:
  const uint8_t* data_;
};

class FileSource final : public Source {
 public:
  FileSource(int fd, uint64_t size) : Source(size), fd_(fd) {}
  bool Read(uint64_t offset, uint8_t* target, size_t count) override {
    return Has(offset, count) && ReadFully(fd_, offset, target, count) == count;
  }
  const uint8_t* View(uint64_t) const override { return nullptr; }

 private:
  int fd_;
};

// The header bytes read at the start. Fields beyond them read as 0; the
// checks against the file's length decide what is really there.
class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint16_t U16(size_t offset) const {
    if (offset > size_ || size_ - offset < 2) return 0;
    return static_cast<uint16_t>(data_[offset] | data_[offset + 1] << 8);
  }
  uint32_t U32(size_t offset) const {
    if (offset > size_ || size_ - offset < 4) return 0;
    return static_cast<uint32_t>(data_[offset]) | static_cast<uint32_t>(data_[offset + 1]) << 8 |
           static_cast<uint32_t>(data_[offset + 2]) << 16 |
           static_cast<uint32_t>(data_[offset + 3]) << 24;
  }
  int32_t I32(size_t offset) const { return static_cast<int32_t>(U32(offset)); }

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
// The WebAssembly build is compiled with SSE4.1, whose intrinsics become
// WebAssembly SIMD, so there the vector rows are always taken.
#if defined(__x86_64__) || defined(__i386__)
bool HasVectorRows() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("ssse3") && __builtin_cpu_supports("sse4.1");
}
const bool gVectorRows = HasVectorRows();

#define WIMMEL_SSE41 __attribute__((target("ssse3,sse4.1")))
#else
#if !defined(__SSSE3__) || !defined(__SSE4_1__)
#error "the BMP loader's vector rows need SSSE3 and SSE4.1"
#endif
constexpr bool gVectorRows = true;

#define WIMMEL_SSE41
#endif

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

// Decodes a BMP from source into image; see LoadBmp for the result codes.
int32_t Decode(Source& source, ImageData& image) {
  if (source.Size() < kMinFileSize) return kBad;
  uint8_t head[kHeadBytes] = {};
  const auto headSize = static_cast<size_t>(std::min<uint64_t>(source.Size(), kHeadBytes));
  if (!source.Read(0, head, headSize)) return kBad;
  const Reader r(head, headSize);
  if (head[0] != 'B' || head[1] != 'M') return kBad;
  const uint32_t headerSize = r.U32(14);
  if (headerSize != kInfoHeader && headerSize != kV4Header && headerSize != kV5Header) {
    return DefinedOtherHeader(headerSize) ? kUnsupported : kBad;
  }
  if (!source.Has(kFileHeaderSize, headerSize)) return kBad;
  const int32_t width = r.I32(18);
  const int32_t height = r.I32(22);
  if (width <= 0 || height == 0 || height == INT32_MIN) return kBad;
  if (r.U16(26) != 1) return kBad;
  const uint32_t bits = r.U16(28);
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
    return DefinedOtherBitCount(bits) ? kUnsupported : kBad;
  }
  const uint32_t compression = r.U32(30);
  const bool bitfields = compression == kCompressionBitfields && bits == 32;
  if (compression != kCompressionNone && !bitfields) {
    return DefinedCompression(compression) ? kUnsupported : kBad;
  }

  // Bit masks follow a 40-byte header and are part of the larger ones.
  const uint64_t headerEnd = kFileHeaderSize + headerSize;
  const uint64_t tableStart = headerEnd + (bitfields && headerSize == kInfoHeader ? 12 : 0);
  const uint64_t offset = r.U32(10);
  if (offset < kMinFileSize || offset < tableStart || offset >= source.Size()) return kBad;
  Channel fields[3] = {Channel(r.U32(54)), Channel(r.U32(58)), Channel(r.U32(62))};

  std::array<uint32_t, 256> palette{};
  if (bits <= 8) {
    const uint64_t count = std::min<uint64_t>((offset - tableStart) / 4, uint64_t{1} << bits);
    uint8_t entries[256 * 4];
    if (!source.Read(tableStart, entries, static_cast<size_t>(count * 4))) return kBad;
    for (uint64_t i = 0; i < count; ++i) {
      const uint8_t* e = entries + 4 * i;
      palette[i] = static_cast<uint32_t>(e[2]) << 16 | e[1] << 8 | e[0];
    }
  }

  const uint64_t rowSize = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  const uint64_t rows = height < 0 ? -static_cast<int64_t>(height) : height;
  const uint64_t available = source.Size() - offset;
  if (rowSize > available || rows > available / rowSize) return kBad;

  const auto w = static_cast<int32_t>(std::min<int64_t>(width, image.width));
  const auto h = static_cast<int32_t>(std::min<uint64_t>(rows, image.height));
  const bool topDown = height < 0;
  // The image's rows come from one run of file rows: the first h of a
  // top-down file, the last h of a bottom-up one. Of each only the bytes of
  // its first w pixels are needed.
  const uint64_t firstRow = topDown ? 0 : rows - static_cast<uint64_t>(h);
  const uint64_t used = (static_cast<uint64_t>(w) * bits + 7) / 8;
  const bool together = rowSize <= kChunkBytes && rowSize - used <= kRowGapBytes;
  const uint64_t rowsPerRead = together ? kChunkBytes / rowSize : 1;
  std::vector<uint8_t>& buffer = LoadBuffer();
  const Channel* masks = bitfields ? fields : nullptr;
  for (uint64_t done = 0; done < static_cast<uint64_t>(h);) {
    const uint64_t n = std::min<uint64_t>(rowsPerRead, static_cast<uint64_t>(h) - done);
    const uint64_t bytes = (n - 1) * rowSize + used;
    const uint64_t at = offset + (firstRow + done) * rowSize;
    const uint8_t* base = source.View(at);
    if (base == nullptr) {
      if (buffer.size() < bytes) buffer.resize(static_cast<size_t>(bytes));
      // The length was checked above; a read can fall short only when the
      // file shrank meanwhile, and then the load stops as a truncated file.
      if (!source.Read(at, buffer.data(), static_cast<size_t>(bytes))) return kBad;
      base = buffer.data();
    }
    for (uint64_t i = 0; i < n; ++i) {
      const uint64_t fileRow = firstRow + done + i;
      const uint64_t y = topDown ? fileRow : rows - 1 - fileRow;
      const uint8_t* src = base + i * rowSize;
      uint8_t* dst = image.pixels + static_cast<size_t>(y) * image.pitch;
      if (image.bytesPerPixel == 2) {
        ConvertRow<2>(src, dst, w, bits, palette, masks);
      } else {
        ConvertRow<4>(src, dst, w, bits, palette, masks);
      }
    }
    done += n;
  }
  return kLoaded;
}

}  // namespace

namespace detail {

int32_t LoadBmpFromMemory(const uint8_t* data, size_t size, ImageData& image) {
  MemorySource source(data, size);
  return Decode(source, image);
}

}  // namespace detail

int32_t LoadBmp(std::string_view fileName, Image image) {
  struct stat info {};
  const int fd = OpenRegularFile(fileName, OpenIntent::Read, info);
  if (fd < 0) return kCannotOpen;
  const auto size = static_cast<uint64_t>(info.st_size);
  // A small file (a figure's strip, reloaded on every turn, is 83 KB) is
  // read in one go and decoded in place: a read per piece would cost more
  // than the pixels. Larger files are read piece by piece.
  std::vector<uint8_t>& whole = LoadBuffer();
  FileSource file(fd, size);
  std::optional<MemorySource> memory;
  Source* source = &file;
  if (size <= kChunkBytes) {
    if (whole.size() < size) whole.resize(static_cast<size_t>(size));
    const size_t got = ReadFully(fd, 0, whole.data(), static_cast<size_t>(size));
    // A file that shrank meanwhile is decoded as what it has become.
    source = &memory.emplace(whole.data(), got);
  }
  bool isScreen = false;
  int32_t result = kUnsupported;
  if (ImageData* target = ResolveTarget(image, isScreen)) {
    ScreenGuard guard(isScreen);
    result = Decode(*source, *target);
    if (isScreen && result == kLoaded) MarkRows(0, target->height - 1);
  }
  ::close(fd);
  return result;
}

}  // namespace wimmel::rt
