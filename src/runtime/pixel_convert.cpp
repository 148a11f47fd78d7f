#include "runtime/pixel_convert.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>

namespace wimmel::rt {
namespace {

// An 8-bit component in a field of the given width: its top bits when the
// field is narrower, its bits repeated from the top when it is wider.
constexpr uint32_t Widen(uint32_t v, int32_t bits) {
  if (bits <= 0) return 0;
  if (bits <= 8) return v >> (8 - bits);
  uint32_t out = 0;
  int32_t filled = 0;
  while (filled < bits) {
    out = (out << 8) | v;
    filled += 8;
  }
  return out >> (filled - bits);
}

void StorePixel(uint8_t* out, int32_t bytes, uint32_t value) {
  switch (bytes) {
    case 4:
      std::memcpy(out, &value, 4);
      break;
    case 2: {
      const auto v = static_cast<uint16_t>(value);
      std::memcpy(out, &v, 2);
      break;
    }
    default:
      out[0] = static_cast<uint8_t>(value);
      out[1] = static_cast<uint8_t>(value >> 8);
      out[2] = static_cast<uint8_t>(value >> 16);
      break;
  }
}

}  // namespace

uint32_t EncodePixel(const PixelFormat& f, uint32_t rgb) {
  const uint32_t masks[3] = {f.redMask, f.greenMask, f.blueMask};
  const uint32_t parts[3] = {(rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF};
  uint32_t out = f.alphaMask;
  for (int i = 0; i < 3; ++i) {
    if (masks[i] == 0) continue;
    const int32_t shift = std::countr_zero(masks[i]);
    const int32_t bits = std::popcount(masks[i]);
    out |= (Widen(parts[i], bits) << shift) & masks[i];
  }
  return out;
}

Placement PlaceScreen(int32_t outW, int32_t outH, int32_t screenW, int32_t screenH) {
  Placement p;
  if (outW <= 0 || outH <= 0 || screenW <= 0 || screenH <= 0) return p;
  const int32_t k = std::min(outW / screenW, outH / screenH);
  if (k >= 1) {
    p.w = screenW * k;
    p.h = screenH * k;
  } else if (int64_t{outW} * screenH <= int64_t{outH} * screenW) {
    // The width limits: full width, height in proportion.
    p.w = outW;
    p.h = static_cast<int32_t>(std::max<int64_t>(1, int64_t{outW} * screenH / screenW));
  } else {
    p.h = outH;
    p.w = static_cast<int32_t>(std::max<int64_t>(1, int64_t{outH} * screenW / screenH));
  }
  p.x = (outW - p.w) / 2;
  p.y = (outH - p.h) / 2;
  return p;
}

PictureConverter::PictureConverter() = default;
PictureConverter::~PictureConverter() = default;

void PictureConverter::Prepare(const ScreenShape& screen, const Placement& placement,
                               const PixelFormat& format) {
  prepared_ = screen.width > 0 && screen.height > 0 &&
              (screen.bytesPerPixel == 2 || screen.bytesPerPixel == 4) && placement.w > 0 &&
              placement.h > 0 && format.bytesPerPixel >= 2 && format.bytesPerPixel <= 4;
  shape_ = screen;
  placement_ = placement;
  format_ = format;
  if (!prepared_) return;
  unscaled_ = placement.w == screen.width && placement.h == screen.height;
  xrgb_ = format == kXrgb8888;
  rgba_ = format == kRgbaBytes;
  columnSource_.resize(static_cast<size_t>(placement.w));
  for (int32_t x = 0; x < placement.w; ++x) {
    columnSource_[static_cast<size_t>(x)] =
        static_cast<int32_t>(int64_t{x} * screen.width / placement.w);
  }
  if (screen.bytesPerPixel == 2) {
    if (!from565_) from565_ = std::make_unique<std::array<uint32_t, 65536>>();
    for (uint32_t p = 0; p < 65536; ++p) {
      (*from565_)[p] = EncodePixel(format, From565(static_cast<uint16_t>(p)));
    }
  }
  const uint32_t masks[3] = {format.redMask, format.greenMask, format.blueMask};
  for (int i = 0; i < 3; ++i) {
    shift_[i] = masks[i] ? std::countr_zero(masks[i]) : 0;
    bits_[i] = std::popcount(masks[i]);
  }
}

void PictureConverter::Reset() {
  prepared_ = false;
  shape_ = {};
}

// One row's run of target pixels: width pixels from target column x0 of the
// picture on, read from the screen row in.
void PictureConverter::ConvertRow(const uint8_t* in, int32_t x0, int32_t width,
                                  uint8_t* out) const {
  const int32_t* column = columnSource_.data() + x0;
  if (shape_.bytesPerPixel == 2) {
    const auto* i16 = reinterpret_cast<const uint16_t*>(in);
    const std::array<uint32_t, 65536>& table = *from565_;
    if (format_.bytesPerPixel == 4) {
      auto* o = reinterpret_cast<uint32_t*>(out);
      if (unscaled_) {
        for (int32_t x = 0; x < width; ++x) o[x] = table[i16[x0 + x]];
      } else {
        for (int32_t x = 0; x < width; ++x) o[x] = table[i16[column[x]]];
      }
      return;
    }
    for (int32_t x = 0; x < width; ++x) {
      StorePixel(out + static_cast<size_t>(x) * format_.bytesPerPixel, format_.bytesPerPixel,
                 table[i16[unscaled_ ? x0 + x : column[x]]]);
    }
    return;
  }
  const auto* i32 = reinterpret_cast<const uint32_t*>(in);
  if (xrgb_) {
    auto* o = reinterpret_cast<uint32_t*>(out);
    // The window ignores the top byte, so the screen's pixels go over as
    // they are.
    if (unscaled_) {
      std::memcpy(o, i32 + x0, static_cast<size_t>(width) * 4);
    } else {
      for (int32_t x = 0; x < width; ++x) o[x] = i32[column[x]];
    }
    return;
  }
  if (rgba_) {
    // A canvas's bytes: red and blue change places and alpha is opaque.
    // The loops are plain so that the compiler turns them into vector code.
    const auto put = [out](int32_t x, uint32_t c) {
      const uint32_t v =
          0xFF000000u | (c & 0x0000FF00u) | ((c >> 16) & 0xFFu) | ((c & 0xFFu) << 16);
      std::memcpy(out + static_cast<size_t>(x) * 4, &v, 4);
    };
    if (unscaled_) {
      const uint32_t* from = i32 + x0;
      for (int32_t x = 0; x < width; ++x) put(x, from[x]);
    } else {
      for (int32_t x = 0; x < width; ++x) put(x, i32[column[x]]);
    }
    return;
  }
  for (int32_t x = 0; x < width; ++x) {
    const uint32_t c = i32[unscaled_ ? x0 + x : column[x]];
    uint32_t v = format_.alphaMask;
    for (int i = 0; i < 3; ++i) {
      v |= Widen((c >> (16 - 8 * i)) & 0xFF, bits_[i]) << shift_[i];
    }
    StorePixel(out + static_cast<size_t>(x) * format_.bytesPerPixel, format_.bytesPerPixel, v);
  }
}

Placement PictureConverter::Copy(const ImageData& screen, const ScreenRect& rect, uint8_t* target,
                                 int32_t pitch, int32_t originX, int32_t originY) const {
  if (!PreparedFor(ShapeOf(screen)) || !screen.pixels || !target) return {};
  // The rectangle within the screen.
  const int32_t rx0 = std::max(rect.x, 0), ry0 = std::max(rect.y, 0);
  const int32_t rx1 =
      static_cast<int32_t>(std::min<int64_t>(int64_t{rect.x} + rect.w, screen.width));
  const int32_t ry1 =
      static_cast<int32_t>(std::min<int64_t>(int64_t{rect.y} + rect.h, screen.height));
  if (rx0 >= rx1 || ry0 >= ry1) return {};
  const Placement& p = placement_;
  // The target's columns and rows whose picture pixels lie in the rectangle.
  const auto first = [](int32_t v, int32_t to, int32_t from) {
    return static_cast<int32_t>((int64_t{v} * to + from - 1) / from);
  };
  const int32_t x0 = first(rx0, p.w, screen.width), x1 = first(rx1, p.w, screen.width);
  const int32_t y0 = first(ry0, p.h, screen.height), y1 = first(ry1, p.h, screen.height);
  if (x0 >= x1 || y0 >= y1) return {};
  const int32_t width = x1 - x0;
  const int32_t outBytes = format_.bytesPerPixel;
  const size_t bytes = static_cast<size_t>(width) * outBytes;
  int32_t previousSource = -1;
  const uint8_t* previousRow = nullptr;
  for (int32_t y = y0; y < y1; ++y) {
    const int32_t sy = unscaled_ ? y : static_cast<int32_t>(int64_t{y} * screen.height / p.h);
    uint8_t* out = target + static_cast<ptrdiff_t>(p.y + y - originY) * pitch +
                   static_cast<ptrdiff_t>(p.x + x0 - originX) * outBytes;
    if (sy == previousSource) {
      // The same picture row again, as scaling up repeats rows.
      std::memcpy(out, previousRow, bytes);
      continue;
    }
    previousSource = sy;
    previousRow = out;
    ConvertRow(screen.pixels + static_cast<size_t>(sy) * screen.pitch, x0, width, out);
  }
  return Placement{p.x + x0, p.y + y0, width, y1 - y0};
}

}  // namespace wimmel::rt
