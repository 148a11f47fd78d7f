#include "picture.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>

namespace assetgen {

void Picture::Paste(const Picture& src, int x, int y, bool transparent) {
  for (int sy = 0; sy < src.h; ++sy)
    for (int sx = 0; sx < src.w; ++sx) {
      Rgb c = src.At(sx, sy);
      if (transparent && c == kMagenta) continue;
      Set(x + sx, y + sy, c);
    }
}

namespace {

void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = v & 255;
  b[at + 1] = (v >> 8) & 255;
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 255;
}

struct Box {
  std::vector<Rgb> colours;
};

// Median cut over the distinct colours (weighted equally), deterministic
// because the input is sorted and every split is by a stable rule.
std::vector<Rgb> MedianCut(std::vector<Rgb> colours, size_t want) {
  std::vector<std::vector<Rgb>> boxes{std::move(colours)};
  while (boxes.size() < want) {
    size_t best = boxes.size();
    int bestRange = 0, bestChannel = 0;
    for (size_t i = 0; i < boxes.size(); ++i) {
      if (boxes[i].size() < 2) continue;
      for (int ch = 0; ch < 3; ++ch) {
        int lo = 255, hi = 0;
        for (const Rgb& c : boxes[i]) {
          int v = ch == 0 ? c.r : (ch == 1 ? c.g : c.b);
          lo = std::min(lo, v);
          hi = std::max(hi, v);
        }
        if (hi - lo > bestRange) {
          bestRange = hi - lo;
          best = i;
          bestChannel = ch;
        }
      }
    }
    if (best == boxes.size()) break;
    auto& box = boxes[best];
    auto key = [bestChannel](const Rgb& c) {
      return bestChannel == 0 ? c.r : (bestChannel == 1 ? c.g : c.b);
    };
    std::stable_sort(box.begin(), box.end(),
                     [&](const Rgb& a, const Rgb& b) { return key(a) < key(b); });
    std::vector<Rgb> upper(box.begin() + static_cast<long>(box.size() / 2), box.end());
    box.resize(box.size() / 2);
    boxes.push_back(std::move(upper));
  }
  std::vector<Rgb> palette;
  for (const auto& box : boxes) {
    double r = 0, g = 0, b = 0;
    for (const Rgb& c : box) r += c.r, g += c.g, b += c.b;
    double n = static_cast<double>(box.size());
    palette.push_back(ToRgb({r / n / 255.0, g / n / 255.0, b / n / 255.0}));
  }
  return palette;
}

uint32_t Key(Rgb c) {
  return (uint32_t{c.r} << 16) | (uint32_t{c.g} << 8) | c.b;
}

}  // namespace

std::vector<uint8_t> EncodeBmp(const Picture& pic, BmpKind kind) {
  const int bits = kind == BmpKind::kRgb24 ? 24 : (kind == BmpKind::kPalette8 ? 8 : 4);
  std::vector<Rgb> palette;
  std::vector<uint8_t> index(pic.px.size(), 0);
  if (bits < 24) {
    const size_t maxColours = size_t{1} << bits;
    std::map<uint32_t, Rgb> distinct;
    bool hasMask = false;
    for (const Rgb& c : pic.px) {
      if (c == kMagenta)
        hasMask = true;
      else
        distinct[Key(c)] = c;
    }
    std::vector<Rgb> colours;
    for (auto& [k, c] : distinct) colours.push_back(c);
    const size_t room = maxColours - (hasMask ? 1 : 0);
    palette = colours.size() <= room ? colours : MedianCut(colours, room);
    if (hasMask) palette.push_back(kMagenta);
    std::map<uint32_t, uint8_t> lookup;
    for (size_t i = 0; i < pic.px.size(); ++i) {
      const Rgb c = pic.px[i];
      auto it = lookup.find(Key(c));
      if (it == lookup.end()) {
        size_t best = 0;
        long bestD = -1;
        for (size_t p = 0; p < palette.size(); ++p) {
          // The mask entry is reserved for mask pixels.
          if ((palette[p] == kMagenta) != (c == kMagenta)) continue;
          long dr = long{c.r} - palette[p].r, dg = long{c.g} - palette[p].g,
               db = long{c.b} - palette[p].b;
          long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
          if (bestD < 0 || d < bestD) bestD = d, best = p;
        }
        it = lookup.emplace(Key(c), static_cast<uint8_t>(best)).first;
      }
      index[i] = it->second;
    }
  }
  const size_t rowBytes = ((static_cast<size_t>(pic.w) * bits + 31) / 32) * 4;
  const size_t paletteBytes = palette.size() * 4;
  const size_t offset = 54 + paletteBytes;
  const size_t total = offset + rowBytes * pic.h;
  std::vector<uint8_t> b(total, 0);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<uint32_t>(total));
  Put32(b, 10, static_cast<uint32_t>(offset));
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<uint32_t>(pic.w));
  Put32(b, 22, static_cast<uint32_t>(pic.h));
  Put16(b, 26, 1);
  Put16(b, 28, static_cast<uint32_t>(bits));
  Put32(b, 34, static_cast<uint32_t>(rowBytes * pic.h));
  Put32(b, 38, 2835);  // 72 dpi
  Put32(b, 42, 2835);
  Put32(b, 46, static_cast<uint32_t>(palette.size()));
  for (size_t p = 0; p < palette.size(); ++p) {
    b[54 + 4 * p] = palette[p].b;
    b[54 + 4 * p + 1] = palette[p].g;
    b[54 + 4 * p + 2] = palette[p].r;
  }
  for (int y = 0; y < pic.h; ++y) {
    uint8_t* row = &b[offset + rowBytes * static_cast<size_t>(pic.h - 1 - y)];
    for (int x = 0; x < pic.w; ++x) {
      const size_t i = static_cast<size_t>(y) * pic.w + x;
      if (bits == 24) {
        row[3 * x] = pic.px[i].b;
        row[3 * x + 1] = pic.px[i].g;
        row[3 * x + 2] = pic.px[i].r;
      } else if (bits == 8) {
        row[x] = index[i];
      } else {
        row[x / 2] |= static_cast<uint8_t>((x % 2 == 0) ? (index[i] << 4) : index[i]);
      }
    }
  }
  return b;
}

namespace {
void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}
void PngFlush(png_structp) {}

// With `keyed` set the file gets an alpha channel: magenta pixels become fully
// transparent black, so a viewer that scales the picture blends no pink into
// the edges; every other pixel is opaque.
std::vector<uint8_t> EncodePngImpl(const Picture& pic, bool keyed) {
  std::vector<uint8_t> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return out;
  const int channels = keyed ? 4 : 3;
  std::vector<uint8_t> row(static_cast<size_t>(pic.w) * channels);
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    out.clear();
    return out;
  }
  png_set_write_fn(png, &out, PngWrite, PngFlush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(pic.w), static_cast<png_uint_32>(pic.h), 8,
               keyed ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 6);
  png_write_info(png, info);
  for (int y = 0; y < pic.h; ++y) {
    for (int x = 0; x < pic.w; ++x) {
      const Rgb c = pic.At(x, y);
      uint8_t* p = &row[static_cast<size_t>(x) * channels];
      const bool clear = keyed && c == kMagenta;
      p[0] = clear ? 0 : c.r;
      p[1] = clear ? 0 : c.g;
      p[2] = clear ? 0 : c.b;
      if (keyed) p[3] = clear ? 0 : 255;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}
}  // namespace

std::vector<uint8_t> EncodePng(const Picture& pic) {
  return EncodePngImpl(pic, false);
}

std::vector<uint8_t> EncodePngWithAlpha(const Picture& pic) {
  return EncodePngImpl(pic, true);
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::error_code ec;
  const auto parent = std::filesystem::path(path).parent_path();
  if (!parent.empty()) std::filesystem::create_directories(parent, ec);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

Picture Enlarge(const Picture& pic, int factor) {
  Picture out(pic.w * factor, pic.h * factor);
  for (int y = 0; y < out.h; ++y)
    for (int x = 0; x < out.w; ++x) out.At(x, y) = pic.At(x / factor, y / factor);
  return out;
}

}  // namespace assetgen
