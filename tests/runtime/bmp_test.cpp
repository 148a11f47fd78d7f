// The BMP loader: the corpus of well-formed and malformed files against the
// codes each may give, and generated files for the exact pixel rules.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "hang_guard.h"
#include "make_bmp.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/owned_image.h"
#include "runtime/runtime.h"
#include "test_files.h"

namespace rt = wimmel::rt;
namespace test = wimmel::test;

namespace {

const std::string kCorpus = std::string(WIMMEL_SOURCE_DIR) + "/tests/data/bmp-corpus";

std::string TempDir() {
  static const std::string dir = [] {
    const std::string t = test::MakeTempFolder("bmp").string();
    if (t.empty()) std::abort();
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

// "x,y=value" of the first stored pixel that differs from value, row by row
// straight from the image's memory; empty when every pixel holds value.
std::string FirstPixelNot(rt::Image img, uint32_t value) {
  const int32_t bpp = img->bytesPerPixel;
  std::vector<uint8_t> row(static_cast<size_t>(img->width) * bpp);
  for (int32_t x = 0; x < img->width; ++x) {
    if (bpp == 2) {
      const auto v = static_cast<uint16_t>(value);
      std::memcpy(row.data() + 2 * x, &v, 2);
    } else {
      std::memcpy(row.data() + 4 * x, &value, 4);
    }
  }
  for (int32_t y = 0; y < img->height; ++y) {
    const uint8_t* at = img->pixels + static_cast<ptrdiff_t>(y) * img->pitch;
    if (std::memcmp(at, row.data(), row.size()) == 0) continue;
    for (int32_t x = 0; x < img->width; ++x) {
      const uint32_t p = rt::GetPixel(img, x, y);
      if (p != value) return std::to_string(x) + "," + std::to_string(y) + "=" + std::to_string(p);
    }
    return "row " + std::to_string(y);
  }
  return "";
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
  ASSERT_EQ(rt::SetScreenMode(21, depth, 0, 1, 0), 0);
  const std::vector<Expectation> expected = ReadExpected();
  ASSERT_GE(expected.size(), 40u) << "the corpus list is missing";
  const uint32_t sentinel = InFormat(0x00123456, depth);
  for (const Expectation& e : expected) {
    std::set<int32_t> seen;
    for (const auto& [w, h] : {std::pair{64, 64}, std::pair{1, 1}, std::pair{600, 600},
                               std::pair{127, 64}, std::pair{3, 200}}) {
      rt::OwnedImage img(rt::CreateImage(w, h, 0x00123456));
      ASSERT_NE(img, nullptr);
      const int32_t code = rt::LoadBmp(kCorpus + "/" + e.file, img);
      EXPECT_TRUE(e.codes.count(code)) << e.file << " gave " << code << " into " << w << "x" << h;
      seen.insert(code);
      if (code != 0) {
        ASSERT_EQ(FirstPixelNot(img, sentinel), "")
            << e.file << ": a refused file must not write pixels";
      }
    }
    EXPECT_EQ(seen.size(), 1u) << e.file << ": the code must not depend on the image size";
  }
}

INSTANTIATE_TEST_SUITE_P(Depths, Corpus, ::testing::Values(16, 32),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

TEST(Corpus, WellFormedFilesMatchEachOther) {
  // The 1-, 4-, 8-, 24- and 32-bit versions of the suite's picture show the
  // same colours, so loaded images agree pixel for pixel.
  ASSERT_EQ(rt::SetScreenMode(21, 32, 0, 1, 0), 0);
  auto load = [](const std::string& name) {
    rt::OwnedImage img(rt::CreateImage(127, 64, 0x00777777));
    EXPECT_EQ(rt::LoadBmp(kCorpus + "/g/" + name, img), 0) << name;
    std::vector<uint32_t> p = Pixels(img);
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
  void SetUp() override { ASSERT_EQ(rt::SetScreenMode(18, GetParam(), 0, 1, 0), 0); }
  int32_t depth() const { return GetParam(); }
  std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = TempDir() + "/" + name;
    test::WriteFile(path, bytes);
    return path;
  }
};

uint32_t Colour(int32_t x, int32_t y) {
  return static_cast<uint32_t>(x * 0x010307 + y * 0x0B0500) & 0xFFFFFF;
}

TEST_P(LoadBmpFiles, LargeFileFillsTheWholeSmallerImage) {
  // Files this large are read piece by piece: rows that follow each other
  // together, and the used parts of wide rows one by one.
  for (const auto& [width, height] :
       {std::pair{600, 400}, std::pair{600, -400}, std::pair{2000, 60}, std::pair{2000, -60}}) {
    const std::string path = Write("big.bmp", test::MakeBmp(width, height, 24, {}, Colour));
    rt::OwnedImage img(rt::CreateImage(576, 48, 0));
    ASSERT_EQ(rt::LoadBmp(path, img), 0);
    for (int32_t y = 0; y < 48; ++y) {
      for (int32_t x = 0; x < 576; ++x) {
        ASSERT_EQ(rt::GetPixel(img, x, y), InFormat(Colour(x, y), depth()))
            << width << "x" << height << " at " << x << "," << y;
      }
    }
  }
}

TEST_P(LoadBmpFiles, SmallFileChangesOnlyItsOverlap) {
  const std::string path = Write("small.bmp", test::MakeBmp(100, 40, 24, {}, Colour));
  rt::OwnedImage img(rt::CreateImage(576, 48, 0x00ABCDEF));
  ASSERT_EQ(rt::LoadBmp(path, img), 0);
  for (int32_t y = 0; y < 48; ++y) {
    for (int32_t x = 0; x < 576; ++x) {
      const uint32_t want = x < 100 && y < 40 ? Colour(x, y) : 0x00ABCDEF;
      ASSERT_EQ(rt::GetPixel(img, x, y), InFormat(want, depth())) << x << "," << y;
    }
  }
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
        const std::string path = Write("pal.bmp", test::MakeBmp(width, height, bits, pal, index));
        rt::OwnedImage img(rt::CreateImage(width, 13, 0x00ABCDEF));
        ASSERT_EQ(rt::LoadBmp(path, img), 0);
        for (int32_t y = 0; y < 13; ++y) {
          for (int32_t x = 0; x < width; ++x) {
            ASSERT_EQ(rt::GetPixel(img, x, y), InFormat(pal[index(x, y)], depth()))
                << bits << " bit, width " << width << ", height " << height << " at " << x << ","
                << y;
          }
        }
      }
    }
  }
}

TEST_P(LoadBmpFiles, TrueColourRowsOfEveryWidth) {
  // Widths 1..40 run the vector conversion and every remainder after it.
  for (const int bits : {24, 32}) {
    for (int32_t width = 1; width <= 40; ++width) {
      const std::string path = Write("wide.bmp", test::MakeBmp(width, 3, bits, {}, Colour));
      rt::OwnedImage img(rt::CreateImage(width + 1, 3, 0x00ABCDEF));
      ASSERT_EQ(rt::LoadBmp(path, img), 0);
      for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x <= width; ++x) {
          const uint32_t want = x < width ? Colour(x, y) : 0x00ABCDEF;
          ASSERT_EQ(rt::GetPixel(img, x, y), InFormat(want, depth()))
              << bits << " bit, width " << width << " at " << x << "," << y;
        }
      }
    }
  }
}

TEST_P(LoadBmpFiles, IndicesBeyondThePaletteReadBlack) {
  const std::vector<uint32_t> pal = {0x112233, 0x445566, 0x778899};
  auto index = [](int32_t x, int32_t) { return static_cast<uint32_t>(x * 50); };
  const std::string path = Write("short-palette.bmp", test::MakeBmp(6, 1, 8, pal, index));
  rt::OwnedImage img(rt::CreateImage(6, 1, 0x00ABCDEF));
  ASSERT_EQ(rt::LoadBmp(path, img), 0);
  EXPECT_EQ(rt::GetPixel(img, 0, 0), InFormat(0x112233, depth()));
  for (int32_t x = 1; x < 6; ++x) EXPECT_EQ(rt::GetPixel(img, x, 0), 0u) << x;
}

TEST_P(LoadBmpFiles, ThirtyTwoBitIgnoresTheFourthByte) {
  auto px = [](int32_t x, int32_t) { return 0xAB000000u | static_cast<uint32_t>(x * 0x111111); };
  const std::string path = Write("rgb32.bmp", test::MakeBmp(4, 2, 32, {}, px));
  rt::OwnedImage img(rt::CreateImage(4, 2, 0));
  ASSERT_EQ(rt::LoadBmp(path, img), 0);
  for (int32_t x = 0; x < 4; ++x) {
    EXPECT_EQ(rt::GetPixel(img, x, 1), InFormat(x * 0x111111u, depth()));
  }
}

TEST_P(LoadBmpFiles, TruncatedAndBrokenFilesWriteNothing) {
  const std::vector<uint8_t> good = test::MakeBmp(20, 10, 24, {}, Colour);
  rt::OwnedImage img(rt::CreateImage(20, 10, 0x00ABCDEF));
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
  // What BMP defines but the loader does not read is unsupported (1); what
  // BMP does not define at all is a bad file (3).
  for (const uint32_t bits : {0u, 2u, 15u, 16u, 64u, 3u, 7u, 12u, 48u, 30000u}) {
    b = good;
    test::Put16(b, 28, bits);
    const int32_t code = bits == 0 || bits == 2 || bits == 15 || bits == 16 || bits == 64 ? 1 : 3;
    expectCode(b, code, ("bit count " + std::to_string(bits)).c_str());
  }
  for (const uint32_t compression : {1u, 2u, 3u, 4u, 5u, 6u, 11u, 12u, 13u, 7u, 10u, 14u, 99u}) {
    b = good;
    test::Put32(b, 30, compression);
    const int32_t code = compression <= 6 || (compression >= 11 && compression <= 13) ? 1 : 3;
    expectCode(b, code, ("compression " + std::to_string(compression) + " at 24 bits").c_str());
  }
  for (const uint32_t header : {12u, 16u, 52u, 56u, 64u, 0u, 39u, 41u, 66u, 100u, 125u, 1000u}) {
    b = good;
    test::Put32(b, 14, header);
    const int32_t code =
        header == 12 || header == 16 || header == 52 || header == 56 || header == 64 ? 1 : 3;
    expectCode(b, code, ("header size " + std::to_string(header)).c_str());
  }
  b = good;
  test::Put32(b, 18, 0);
  expectCode(b, 3, "width 0");
  b = good;
  test::Put32(b, 22, 0);
  expectCode(b, 3, "height 0");
  b = good;
  test::Put32(b, 22, 0x80000000u);
  expectCode(b, 3, "height INT32_MIN");
  b = good;
  test::Put32(b, 10, 40);
  expectCode(b, 3, "pixels inside the header");
  b = good;
  test::Put32(b, 14, 108);
  expectCode(b, 3, "pixels inside a version 4 header");
  b = good;
  test::Put32(b, 10, static_cast<uint32_t>(good.size()));
  expectCode(b, 3, "pixels beyond the file");
  b = good;
  test::Put32(b, 18, 0x7FFFFFFF);
  test::Put32(b, 22, 0x7FFFFFFF);
  expectCode(b, 3, "huge header on a small file");
  b = good;
  test::Put32(b, 22, 0x80000001u);
  expectCode(b, 3, "huge top-down height");
}

TEST_P(LoadBmpFiles, MissingFilesAndBothSeparators) {
  test::HangGuard guard(10);
  rt::OwnedImage img(rt::CreateImage(4, 4, 0));
  EXPECT_EQ(rt::LoadBmp(TempDir() + "/missing.bmp", img), 2);
  EXPECT_EQ(rt::LoadBmp(TempDir(), img), 2) << "a folder is not a picture";
  const std::string pipe = TempDir() + "/pipe" + std::to_string(depth()) + ".bmp";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  EXPECT_EQ(rt::LoadBmp(pipe, img), 2) << "a named pipe is no picture, and nothing waits for it";
  const std::string dir = TempDir() + "/HG_bild";
  ::mkdir(dir.c_str(), 0755);
  test::WriteFile(dir + "/Karo.bmp", test::MakeBmp(4, 4, 24, {}, Colour));
  EXPECT_EQ(rt::LoadBmp(TempDir() + "\\HG_bild\\Karo.bmp", img), 0);
  EXPECT_EQ(rt::GetPixel(img, 3, 3), InFormat(Colour(3, 3), depth()));
}

TEST_P(LoadBmpFiles, NullImageLoadsOntoTheScreen) {
  const std::string path = Write("screen.bmp", test::MakeBmp(700, 20, 24, {}, Colour));
  ASSERT_EQ(rt::LoadBmp(path, nullptr), 0);
  EXPECT_EQ(rt::GetPixel(nullptr, 639, 19), InFormat(Colour(639, 19), depth()));
  EXPECT_EQ(rt::GetPixel(nullptr, 0, 20), 0u);
}

INSTANTIATE_TEST_SUITE_P(Depths, LoadBmpFiles, ::testing::Values(16, 32),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Resident memory of this process in KiB.
long ResidentKiB() {
  std::ifstream in("/proc/self/statm");
  long size = 0, resident = 0;
  in >> size >> resident;
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// A 24-bit header for a file of any length; the pixels are whatever the file
// holds (zeros in a sparse one) apart from what the test writes.
std::vector<uint8_t> Header24(int32_t width, int32_t height) {
  std::vector<uint8_t> b = test::MakeBmp(1, 1, 24, {}, [](int32_t, int32_t) { return 0u; });
  b.resize(54);
  test::Put32(b, 18, static_cast<uint32_t>(width));
  test::Put32(b, 22, static_cast<uint32_t>(height));
  return b;
}

// Writes a sparse file of the given length: the header, and at `at` the
// 24-bit rows of the given colour.
bool WriteSparse(const std::string& path, const std::vector<uint8_t>& header, uint64_t length,
                 uint64_t at, int32_t width, int32_t rows, uint32_t colour) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return false;
  bool ok = ::ftruncate(fd, static_cast<off_t>(length)) == 0 &&
            ::pwrite(fd, header.data(), header.size(), 0) == static_cast<ssize_t>(header.size());
  const size_t rowSize = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> pixels(rowSize * static_cast<size_t>(rows), 0);
  for (int32_t y = 0; y < rows; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* p = pixels.data() + y * rowSize + 3 * x;
      p[0] = static_cast<uint8_t>(colour);
      p[1] = static_cast<uint8_t>(colour >> 8);
      p[2] = static_cast<uint8_t>(colour >> 16);
    }
  }
  ok = ok && ::pwrite(fd, pixels.data(), pixels.size(), static_cast<off_t>(at)) ==
                 static_cast<ssize_t>(pixels.size());
  return ::close(fd) == 0 && ok;
}

// The loads of the test below, in the child: 0 when all went as expected,
// else the number of the first that did not.
int LoadHugeFiles(const std::string& small, const std::string& up, const std::string& down,
                  const std::string& cut) {
  if (rt::SetScreenMode(18, 32, 0, 1, 0) != 0) return 10;
  auto load = [](const std::string& path, int32_t w, int32_t h, int32_t code, uint32_t colour) {
    rt::OwnedImage img(rt::CreateImage(w, h, 0x00ABCDEF));
    if (img == nullptr || rt::LoadBmp(path, img) != code) return false;
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) {
        if (rt::GetPixel(img, x, y) != colour) return false;
      }
    }
    return true;
  };
  if (!load(small, 48, 48, 0, 0x102030)) return 11;
  if (!load(up, 576, 48, 0, 0x405060)) return 12;
  if (!load(down, 576, 48, 0, 0x708090)) return 13;
  if (!load(cut, 576, 48, 3, 0xABCDEF)) return 14;
  return 0;
}

// Files of many GiB (sparse, so they cost no disk) with valid small
// headers: the loader reads only the rows that land in the image, so each
// loads at once and in a few hundred KiB. It runs in a child process with
// its address space limited, so a loader that reads the whole file fails
// there instead of taking the machine's memory, and its peak resident size
// is measured; the hang guard catches one that streams through the file.
TEST(LoadBmpHuge, SparseFilesLoadFastInBoundedMemory) {
  test::HangGuard guard(60);
  const std::string dir = TempDir();
  constexpr uint64_t kGiB = uint64_t{1} << 30;
  constexpr int32_t kStrip = 576;
  constexpr uint64_t kStripRow = kStrip * 3;
  // 48 x 48 in the first bytes of a 64 GiB file.
  const std::string small = dir + "/huge-small.bmp";
  ASSERT_TRUE(WriteSparse(small, Header24(48, 48), 64 * kGiB, 54, 48, 48, 0x102030));
  // A strip of 4 GiB of rows: bottom-up, the image's 48 rows are the file's
  // last ones; top-down, its first ones.
  const auto tall = static_cast<int32_t>(4 * kGiB / kStripRow);
  const uint64_t tallLength = 54 + kStripRow * static_cast<uint64_t>(tall);
  const std::string up = dir + "/huge-bottom-up.bmp";
  ASSERT_TRUE(WriteSparse(up, Header24(kStrip, tall), tallLength, tallLength - 48 * kStripRow,
                          kStrip, 48, 0x405060));
  const std::string down = dir + "/huge-top-down.bmp";
  ASSERT_TRUE(WriteSparse(down, Header24(kStrip, -tall), tallLength, 54, kStrip, 48, 0x708090));
  // One byte short of its pixel array: truncated, and nothing is written.
  const std::string cut = dir + "/huge-truncated.bmp";
  ASSERT_TRUE(WriteSparse(cut, Header24(kStrip, tall), tallLength - 1, 54, kStrip, 48, 0x708090));

  const long before = ResidentKiB();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (!kSanitized) {
      // A generous limit, far below any of the files.
      std::ifstream in("/proc/self/statm");
      long pages = 0;
      in >> pages;
      const rlim_t limit =
          static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + (rlim_t{512} << 20);
      const rlimit address{limit, limit};
      ::setrlimit(RLIMIT_AS, &address);
    }
    // Whatever happens, the child ends here: it must not go on running the
    // test program's other tests.
    int code = 0;
    try {
      code = LoadHugeFiles(small, up, down, cut);
    } catch (...) {
      code = 20;
    }
    ::_exit(code);
  }
  int status = 0;
  rusage usage{};
  ASSERT_EQ(::wait4(child, &status, 0, &usage), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status)
                                 << " (out of memory?)";
  EXPECT_EQ(WEXITSTATUS(status), 0)
      << "11: the 64 GiB file, 12: the bottom-up strip, 13: the top-down strip, "
         "14: the truncated strip; 10: no screen, 20: an exception (out of memory?)";
  // The child's peak counts what it shares with this process, plus its
  // images (the largest 108 KiB) and the loader's buffer.
  EXPECT_LT(usage.ru_maxrss - before, 32 * 1024) << "KiB above this process's resident size";
  for (const std::string& path : {small, up, down, cut}) ::unlink(path.c_str());
}

}  // namespace
