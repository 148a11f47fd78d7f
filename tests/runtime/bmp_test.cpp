// The BMP loader: the corpus of well-formed and malformed files against the
// codes each may give, and generated files for the exact pixel rules.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bmp_file.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"

namespace {

const std::string kCorpus = std::string(WIMMEL_SOURCE_DIR) + "/tests/data/bmp-corpus";

std::string TempDir() {
  static const std::string dir = [] {
    std::string t = (std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp");
    t += "/wimmel-bmp-XXXXXX";
    if (!::mkdtemp(t.data())) std::abort();
    return t;
  }();
  return dir;
}

std::vector<uint32_t> Pixels(rt::Image img) {
  std::vector<uint32_t> out;
  for (int32_t y = 0; y < img->height; ++y) {
    for (int32_t x = 0; x < img->width; ++x) out.push_back(rt::GetPixel(img, x, y));
  }
  return out;
}

uint32_t InFormat(uint32_t rgb, int32_t depth) {
  return depth == 16 ? rt::To565(rgb) : rgb;
}

struct Expectation {
  std::string file;
  std::set<int32_t> codes;
};

std::vector<Expectation> ReadExpected() {
  std::ifstream in(kCorpus + "/expected.tsv");
  std::vector<Expectation> out;
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::istringstream fields(line);
    Expectation e;
    std::string codes;
    std::getline(fields, e.file, '\t');
    std::getline(fields, codes, '\t');
    std::istringstream alternatives(codes);
    std::string code;
    while (std::getline(alternatives, code, '|')) e.codes.insert(std::stoi(code));
    out.push_back(e);
  }
  return out;
}

class Corpus : public ::testing::TestWithParam<int32_t> {};

TEST_P(Corpus, EveryFileGivesAnAllowedCode) {
  const int32_t depth = GetParam();
  rt::headless::Install();
  ASSERT_EQ(rt::SetScreenMode(21, depth, 0, 1, 0), 0);
  const std::vector<Expectation> expected = ReadExpected();
  ASSERT_GE(expected.size(), 40u) << "the corpus list is missing";
  const uint32_t sentinel = InFormat(0x00123456, depth);
  for (const Expectation& e : expected) {
    std::set<int32_t> seen;
    for (const auto& [w, h] : {std::pair{64, 64}, std::pair{1, 1}, std::pair{600, 600},
                               std::pair{127, 64}, std::pair{3, 200}}) {
      rt::Image img = rt::CreateImage(w, h, 0x00123456);
      ASSERT_NE(img, nullptr);
      const int32_t code = rt::LoadBmp(kCorpus + "/" + e.file, img);
      EXPECT_TRUE(e.codes.count(code)) << e.file << " gave " << code << " into " << w << "x" << h;
      seen.insert(code);
      if (code != 0) {
        for (uint32_t p : Pixels(img)) {
          ASSERT_EQ(p, sentinel) << e.file << ": a refused file must not write pixels";
        }
      }
      rt::DestroyImage(img);
    }
    EXPECT_EQ(seen.size(), 1u) << e.file << ": the code must not depend on the image size";
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, Corpus, ::testing::Values(16, 32),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

TEST(Corpus, WellFormedFilesMatchEachOther) {
  // The 1-, 4-, 8-, 24- and 32-bit versions of the suite's picture show the
  // same colours, so loaded images agree pixel for pixel.
  rt::headless::Install();
  ASSERT_EQ(rt::SetScreenMode(21, 32, 0, 1, 0), 0);
  auto load = [](const std::string& name) {
    rt::Image img = rt::CreateImage(127, 64, 0x00777777);
    EXPECT_EQ(rt::LoadBmp(kCorpus + "/g/" + name, img), 0) << name;
    std::vector<uint32_t> p = Pixels(img);
    rt::DestroyImage(img);
    return p;
  };
  const std::vector<uint32_t> rgb24 = load("rgb24.bmp");
  EXPECT_EQ(load("rgb32.bmp"), rgb24);
  EXPECT_EQ(load("rgb24pal.bmp"), rgb24);
  EXPECT_EQ(load("rgb32bf.bmp"), rgb24);
  EXPECT_EQ(load("pal8.bmp"), load("pal8topdown.bmp")) << "top-down rows land the same way";
  EXPECT_EQ(load("pal8.bmp"), load("pal8v4.bmp"));
  EXPECT_EQ(load("pal8.bmp"), load("pal8-0.bmp"));
}

class LoadBmpFiles : public ::testing::TestWithParam<int32_t> {
 protected:
  void SetUp() override {
    rt::headless::Install();
    ASSERT_EQ(rt::SetScreenMode(18, GetParam(), 0, 1, 0), 0);
  }
  int32_t depth() const { return GetParam(); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = TempDir() + "/" + name;
    rttest::WriteFile(path, bytes);
    return path;
  }
};

uint32_t Colour(int32_t x, int32_t y) {
  return static_cast<uint32_t>(x * 0x010307 + y * 0x0B0500) & 0xFFFFFF;
}

TEST_P(LoadBmpFiles, LargeFileFillsTheWholeSmallerImage) {
  const std::string path = Write("big.bmp", rttest::MakeBmp(600, 400, 24, {}, Colour));
  rt::Image img = rt::CreateImage(576, 48, 0);
  ASSERT_EQ(rt::LoadBmp(path, img), 0);
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 576; ++x) {
      ASSERT_EQ(rt::GetPixel(img, x, y), InFormat(Colour(x, y), depth())) << x << "," << y;
    }
  }
  rt::DestroyImage(img);
}

TEST_P(LoadBmpFiles, SmallFileChangesOnlyItsOverlap) {
  const std::string path = Write("small.bmp", rttest::MakeBmp(100, 40, 24, {}, Colour));
  rt::Image img = rt::CreateImage(576, 48, 0x00ABCDEF);
  ASSERT_EQ(rt::LoadBmp(path, img), 0);
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 576; ++x) {
      const uint32_t want = x < 100 && y < 40 ? Colour(x, y) : 0x00ABCDEF;
      ASSERT_EQ(rt::GetPixel(img, x, y), InFormat(want, depth())) << x << "," << y;
    }
  }
  rt::DestroyImage(img);
}

TEST_P(LoadBmpFiles, PaletteDepthsAndRowOrder) {
  const std::vector<uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x123456,
                                         0xFF00FF, 0x808080, 0x010203, 0xFEDCBA, 0x00FFFF, 0xFFFF00,
                                         0x400000, 0x004000, 0x000040, 0x7F7F7F};
  for (const int bits : {1, 4, 8}) {
    for (const int32_t height : {13, -13}) {
      for (const int32_t width : {1, 7, 8, 9, 31, 33}) {
        const uint32_t count = bits == 1 ? 2 : 16;
        auto index = [&](int32_t x, int32_t y) {
          return static_cast<uint32_t>(x * 3 + y * 5) % count;
        };
        const std::vector<uint32_t> pal(palette.begin(), palette.begin() + count);
        const std::string path = Write("pal.bmp", rttest::MakeBmp(width, height, bits, pal, index));
        rt::Image img = rt::CreateImage(width, 13, 0x00ABCDEF);
        ASSERT_EQ(rt::LoadBmp(path, img), 0);
        for (int32_t y = 0; y < 13; ++y) {
          for (int32_t x = 0; x < width; ++x) {
            ASSERT_EQ(rt::GetPixel(img, x, y), InFormat(pal[index(x, y)], depth()))
                << bits << " bit, width " << width << ", height " << height << " at " << x << ","
                << y;
          }
        }
        rt::DestroyImage(img);
      }
    }
  }
}

TEST_P(LoadBmpFiles, TrueColourRowsOfEveryWidth) {
  // Widths 1..40 run the vector conversion and every remainder after it.
  for (const int bits : {24, 32}) {
    for (int32_t width = 1; width <= 40; ++width) {
      const std::string path = Write("wide.bmp", rttest::MakeBmp(width, 3, bits, {}, Colour));
      rt::Image img = rt::CreateImage(width + 1, 3, 0x00ABCDEF);
      ASSERT_EQ(rt::LoadBmp(path, img), 0);
      for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x <= width; ++x) {
          const uint32_t want = x < width ? Colour(x, y) : 0x00ABCDEF;
          ASSERT_EQ(rt::GetPixel(img, x, y), InFormat(want, depth()))
              << bits << " bit, width " << width << " at " << x << "," << y;
        }
      }
      rt::DestroyImage(img);
    }
  }
}

TEST_P(LoadBmpFiles, IndicesBeyondThePaletteReadBlack) {
  const std::vector<uint32_t> pal = {0x112233, 0x445566, 0x778899};
  auto index = [](int32_t x, int32_t) { return static_cast<uint32_t>(x * 50); };
  const std::string path = Write("short-palette.bmp", rttest::MakeBmp(6, 1, 8, pal, index));
  rt::Image img = rt::CreateImage(6, 1, 0x00ABCDEF);
  ASSERT_EQ(rt::LoadBmp(path, img), 0);
  EXPECT_EQ(rt::GetPixel(img, 0, 0), InFormat(0x112233, depth()));
  for (int32_t x = 1; x < 6; ++x) EXPECT_EQ(rt::GetPixel(img, x, 0), 0u) << x;
  rt::DestroyImage(img);
}

TEST_P(LoadBmpFiles, ThirtyTwoBitIgnoresTheFourthByte) {
  auto px = [](int32_t x, int32_t) { return 0xAB000000u | static_cast<uint32_t>(x * 0x111111); };
  const std::string path = Write("rgb32.bmp", rttest::MakeBmp(4, 2, 32, {}, px));
  rt::Image img = rt::CreateImage(4, 2, 0);
  ASSERT_EQ(rt::LoadBmp(path, img), 0);
  for (int32_t x = 0; x < 4; ++x) {
    EXPECT_EQ(rt::GetPixel(img, x, 1), InFormat(x * 0x111111u, depth()));
  }
  rt::DestroyImage(img);
}

TEST_P(LoadBmpFiles, TruncatedAndBrokenFilesWriteNothing) {
  const std::vector<uint8_t> good = rttest::MakeBmp(20, 10, 24, {}, Colour);
  rt::Image img = rt::CreateImage(20, 10, 0x00ABCDEF);
  const std::vector<uint32_t> before = Pixels(img);
  auto expectCode = [&](const std::vector<uint8_t>& bytes, int32_t code, const char* what) {
    EXPECT_EQ(rt::LoadBmp(Write("broken.bmp", bytes), img), code) << what;
    EXPECT_EQ(Pixels(img), before) << what;
  };
  for (const size_t cut : {size_t{0}, size_t{1}, size_t{2}, size_t{14}, size_t{53}, size_t{54},
                           size_t{55}, good.size() - 1}) {
    expectCode(std::vector<uint8_t>(good.begin(), good.begin() + cut), 3, "truncated");
  }
  std::vector<uint8_t> b = good;
  b[0] = 'P';
  expectCode(b, 3, "no BM");
  b = good;
  rttest::Put16(b, 28, 16);
  expectCode(b, 1, "16-bit");
  rttest::Put16(b, 28, 15);
  expectCode(b, 1, "15-bit");
  b = good;
  rttest::Put32(b, 30, 1);
  expectCode(b, 1, "RLE");
  b = good;
  rttest::Put32(b, 14, 12);
  expectCode(b, 1, "old header");
  b = good;
  rttest::Put32(b, 18, 0);
  expectCode(b, 3, "width 0");
  b = good;
  rttest::Put32(b, 22, 0);
  expectCode(b, 3, "height 0");
  b = good;
  rttest::Put32(b, 22, 0x80000000u);
  expectCode(b, 3, "height INT32_MIN");
  b = good;
  rttest::Put32(b, 10, 40);
  expectCode(b, 3, "pixels inside the header");
  b = good;
  rttest::Put32(b, 10, static_cast<uint32_t>(good.size()));
  expectCode(b, 3, "pixels beyond the file");
  b = good;
  rttest::Put32(b, 18, 0x7FFFFFFF);
  rttest::Put32(b, 22, 0x7FFFFFFF);
  expectCode(b, 3, "huge header on a small file");
  b = good;
  rttest::Put32(b, 22, 0x80000001u);
  expectCode(b, 3, "huge top-down height");
  rt::DestroyImage(img);
}

TEST_P(LoadBmpFiles, MissingFilesAndBothSeparators) {
  rt::Image img = rt::CreateImage(4, 4, 0);
  EXPECT_EQ(rt::LoadBmp(TempDir() + "/nicht-da.bmp", img), 2);
  EXPECT_EQ(rt::LoadBmp(TempDir(), img), 2) << "a folder is not a picture";
  const std::string dir = TempDir() + "/HG_bild";
  ::mkdir(dir.c_str(), 0755);
  rttest::WriteFile(dir + "/Karo.bmp", rttest::MakeBmp(4, 4, 24, {}, Colour));
  EXPECT_EQ(rt::LoadBmp(TempDir() + "\\HG_bild\\Karo.bmp", img), 0);
  EXPECT_EQ(rt::GetPixel(img, 3, 3), InFormat(Colour(3, 3), depth()));
  rt::DestroyImage(img);
}

TEST_P(LoadBmpFiles, NullImageLoadsOntoTheScreen) {
  const std::string path = Write("screen.bmp", rttest::MakeBmp(700, 20, 24, {}, Colour));
  ASSERT_EQ(rt::LoadBmp(path, nullptr), 0);
  EXPECT_EQ(rt::GetPixel(nullptr, 639, 19), InFormat(Colour(639, 19), depth()));
  EXPECT_EQ(rt::GetPixel(nullptr, 0, 20), 0u);
}

INSTANTIATE_TEST_SUITE_P(Depths, LoadBmpFiles, ::testing::Values(16, 32),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

}  // namespace
