// The desktop icons as a menu or file manager will read them: square PNGs
// with an alpha channel, clear around the round patch, solid and varied in
// the middle, with no magenta left in them.

#include <gtest/gtest.h>
#include <png.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "bmp_file.h"

namespace assettest {
namespace {

struct Rgba {
  uint8_t r, g, b, a;
};

struct Icon {
  std::string error;  // empty when the file was read
  int width = 0, height = 0;
  bool rgba = false;  // the file itself stores eight-bit colour with alpha
  std::vector<Rgba> px;
  const Rgba& At(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};

Icon ReadIcon(const std::string& path) {
  Icon icon;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str()))
    return icon.error = image.message, icon;
  icon.width = static_cast<int>(image.width);
  icon.height = static_cast<int>(image.height);
  icon.rgba = image.format == PNG_FORMAT_RGBA;
  image.format = PNG_FORMAT_RGBA;
  icon.px.resize(static_cast<size_t>(icon.width) * icon.height);
  if (!png_image_finish_read(&image, nullptr, icon.px.data(), 0, nullptr))
    return icon.error = image.message, icon;
  return icon;
}

TEST(AssetIcons, SquareRgbaPatchWithClearCornersAndASolidVariedMiddle) {
  for (const int size : {48, 256}) {
    const std::string name = std::to_string(size) + "x" + std::to_string(size);
    SCOPED_TRACE(name);
    const Icon icon = ReadIcon(DataDir() + "/icons/" + name + "/wimmel.png");
    ASSERT_EQ(icon.error, "");
    ASSERT_EQ(icon.width, size);
    ASSERT_EQ(icon.height, size);
    EXPECT_TRUE(icon.rgba);

    // Hard edges like the artwork, and nothing of the mask colour: a pink
    // pixel under zero alpha would still bleed into a scaled icon's rim.
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const Rgba& p = icon.At(x, y);
        ASSERT_TRUE(p.a == 0 || p.a == 255) << x << "," << y;
        if (p.a == 0)
          ASSERT_TRUE(p.r == 0 && p.g == 0 && p.b == 0) << x << "," << y;
        else
          ASSERT_FALSE(p.r == 255 && p.g == 0 && p.b == 255) << x << "," << y;
      }

    const int corner = size / 8;
    for (int y = 0; y < corner; ++y)
      for (int x = 0; x < corner; ++x) {
        EXPECT_EQ(icon.At(x, y).a, 0) << x << "," << y;
        EXPECT_EQ(icon.At(size - 1 - x, y).a, 0) << size - 1 - x << "," << y;
        EXPECT_EQ(icon.At(x, size - 1 - y).a, 0) << x << "," << size - 1 - y;
        EXPECT_EQ(icon.At(size - 1 - x, size - 1 - y).a, 0) << size - 1 - x << "," << size - 1 - y;
      }

    int opaque = 0, middle = 0, middleOpaque = 0;
    double darkest = 255, lightest = 0;
    std::set<uint32_t> colours;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const Rgba& p = icon.At(x, y);
        opaque += p.a != 0;
        if (x < size / 4 || x >= size * 3 / 4 || y < size / 4 || y >= size * 3 / 4) continue;
        ++middle;
        if (p.a == 0) continue;
        ++middleOpaque;
        const double luma = Rgb{p.r, p.g, p.b}.Luma();
        darkest = std::min(darkest, luma);
        lightest = std::max(lightest, luma);
        colours.insert((uint32_t{p.r} << 16) | (uint32_t{p.g} << 8) | p.b);
      }
    EXPECT_GE(opaque * 100, size * size * 60);
    EXPECT_GE(middleOpaque * 100, middle * 95);
    // The middle holds a figure, not just ground or a flat disc: many colours
    // from its dark outline to its light highlights.
    EXPECT_GE(colours.size(), 64u);
    EXPECT_LE(darkest, 50);
    EXPECT_GE(lightest, 200);
  }
}

}  // namespace
}  // namespace assettest
