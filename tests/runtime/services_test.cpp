// Random numbers, number text, rounding, files and the end of the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "hang_guard.h"
#include "make_bmp.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"
#include "test_files.h"

namespace rt = wimmel::rt;
namespace test = wimmel::test;

namespace {

std::string TempDir() {
  static const std::string dir = [] {
    const std::string t = test::MakeTempFolder("files").string();
    if (t.empty()) std::abort();
    return t;
  }();
  return dir;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// ---------------------------------------------------------------- random

TEST(Random, FirstDrawsFollowTheSeededTwister) {
  // The reference: the standard library's MT19937 given the seeded state
  // directly (624 words, then the position 624 so the first draw twists).
  std::stringstream state;
  uint32_t word = 0;
  for (int i = 0; i < 624; ++i) {
    state << word << ' ';
    word = word * 1664525u + 1013904223u;
  }
  state << 624;
  std::mt19937 reference;
  state >> reference;
  ASSERT_FALSE(state.fail());
  // Any non-zero argument, negative, tiny and huge ones as well, draws the
  // next number; 0 of either sign repeats the last one.
  const double arguments[] = {1.0, -3.5, 0.25, -1.0, 1e-300, -1e300};
  for (int i = 0; i < 1000; ++i) {
    const double want = reference() / 4294967296.0;
    const double arg = arguments[i % std::size(arguments)];
    ASSERT_EQ(rt::Random(arg), want) << "draw " << i << " with argument " << arg;
    ASSERT_EQ(rt::Random(0.0), want) << "0 repeats the last draw";
    ASSERT_EQ(rt::Random(-0.0), want) << "-0 repeats the last draw";
    ASSERT_GE(want, 0.0);
    ASSERT_LT(want, 1.0);
  }
}

// ---------------------------------------------------------------- numbers

TEST(Numbers, IntegerText) {
  EXPECT_EQ(rt::IntToText(5), "5");
  EXPECT_EQ(rt::IntToText(-17), "-17");
  EXPECT_EQ(rt::IntToText(0), "0");
  EXPECT_EQ(rt::IntToText(INT32_MIN), "-2147483648");
  EXPECT_EQ(rt::UIntToText(4294967295u), "4294967295");
}

TEST(Numbers, RealText) {
  EXPECT_EQ(rt::RealToText(2.0), "2");
  EXPECT_EQ(rt::RealToText(2.5), "2.5");
  EXPECT_EQ(rt::RealToText(-0.25), "-0.25");
  EXPECT_EQ(rt::RealToText(0.0), "0");
  EXPECT_EQ(rt::RealToText(-0.0), "0");
  EXPECT_EQ(rt::RealToText(0.1 + 0.2), "0.3") << "16 significant digits hide the binary error";
  EXPECT_EQ(rt::RealToText(100 * 0.2), "20");
  EXPECT_EQ(rt::RealToText(1.0 / 3), "0.3333333333333333");
  EXPECT_EQ(rt::RealToText(123456.75), "123456.75");
  EXPECT_EQ(rt::RealToText(-2147483648.0), "-2147483648");
  EXPECT_EQ(rt::RealToText(999999999999999.0), "999999999999999");
  EXPECT_EQ(rt::RealToText(0.0001), "0.0001");
  EXPECT_EQ(rt::RealToText(1e16), "1e+16");
  EXPECT_EQ(rt::RealToText(0.00001), "1e-05");
  EXPECT_EQ(rt::RealToText(-1.5e300), "-1.5e+300");
  for (const double v : {2.5, 0.3, -17.125, 6.02e23, 1e-9}) {
    EXPECT_EQ(rt::TextToNumber(rt::RealToText(v)), v) << "round trip of " << v;
  }
}

TEST(Numbers, TextToNumber) {
  EXPECT_EQ(rt::TextToNumber("42"), 42);
  EXPECT_EQ(rt::TextToNumber("   12.5abc"), 12.5);
  EXPECT_EQ(rt::TextToNumber("-3e2x"), -300);
  EXPECT_EQ(rt::TextToNumber("+7"), 7);
  EXPECT_EQ(rt::TextToNumber(".5"), 0.5);
  EXPECT_EQ(rt::TextToNumber("5."), 5);
  EXPECT_EQ(rt::TextToNumber("1.2.3"), 1.2);
  EXPECT_EQ(rt::TextToNumber("2e"), 2) << "an exponent without digits is not part of the number";
  EXPECT_EQ(rt::TextToNumber("2e+"), 2);
  EXPECT_EQ(rt::TextToNumber("1E3"), 1000);
  EXPECT_EQ(rt::TextToNumber("&HFF"), 255);
  EXPECT_EQ(rt::TextToNumber("&h1f"), 31);
  EXPECT_EQ(rt::TextToNumber("  &B1011"), 11);
  EXPECT_EQ(rt::TextToNumber("&b102"), 2) << "the digits stop at the first that is not binary";
  EXPECT_EQ(rt::TextToNumber("&O17"), 15);
  EXPECT_EQ(rt::TextToNumber("&o8"), 0);
  EXPECT_EQ(rt::TextToNumber("&HFFFFFFFF"), 4294967295.0);
  EXPECT_EQ(rt::TextToNumber("&X12"), 0);
  EXPECT_EQ(rt::TextToNumber(""), 0);
  EXPECT_EQ(rt::TextToNumber("   "), 0);
  EXPECT_EQ(rt::TextToNumber("abc"), 0);
  EXPECT_EQ(rt::TextToNumber("-"), 0);
  EXPECT_EQ(rt::TextToNumber("- 5"), 0);
  EXPECT_EQ(rt::TextToNumber("."), 0);
  EXPECT_EQ(rt::TextToNumber("inf"), 0) << "only decimal digits count";
  EXPECT_EQ(rt::TextToNumber("nan"), 0);
  EXPECT_EQ(rt::TextToNumber("0x10"), 0);
  EXPECT_TRUE(std::isinf(rt::TextToNumber("1e999")));
}

TEST(Numbers, StatusLinePatterns) {
  const std::string four = "#,####0.0000", two = "#,##0.00";
  EXPECT_EQ(rt::FormatNumber(0, four), "0.0000");
  EXPECT_EQ(rt::FormatNumber(1234567.5, four), "1,234,567.5000");
  EXPECT_EQ(rt::FormatNumber(0.01234, four), "0.0123");
  EXPECT_EQ(rt::FormatNumber(0.00005, four), "0.0000") << "half to even";
  EXPECT_EQ(rt::FormatNumber(0.00015, four), "0.0002") << "half to even";
  EXPECT_EQ(rt::FormatNumber(0.000151, four), "0.0002");
  EXPECT_EQ(rt::FormatNumber(999.99999, four), "1,000.0000");
  EXPECT_EQ(rt::FormatNumber(0, two), "0.00");
  EXPECT_EQ(rt::FormatNumber(5, two), "5.00");
  EXPECT_EQ(rt::FormatNumber(0.125, two), "0.12");
  EXPECT_EQ(rt::FormatNumber(0.135, two), "0.14");
  EXPECT_EQ(rt::FormatNumber(0.005, two), "0.00")
      << "rounds the decimal value, not the binary one just above it";
  EXPECT_EQ(rt::FormatNumber(2.675, two), "2.68");
  EXPECT_EQ(rt::FormatNumber(999.995, two), "1,000.00");
  EXPECT_EQ(rt::FormatNumber(123.456, two), "123.46");
  EXPECT_EQ(rt::FormatNumber(1000, two), "1,000.00");
  EXPECT_EQ(rt::FormatNumber(100, two), "100.00");
  EXPECT_EQ(rt::FormatNumber(123456789.0, two), "123,456,789.00");
  EXPECT_EQ(rt::FormatNumber(-1234.5, two), "-1,234.50");
  EXPECT_EQ(rt::FormatNumber(-0.001, two), "0.00") << "no minus on a value that shows as zero";
}

TEST(Numbers, RoundToIntAndWrap) {
  EXPECT_EQ(rt::RoundToInt(2.5), 2);
  EXPECT_EQ(rt::RoundToInt(3.5), 4);
  EXPECT_EQ(rt::RoundToInt(-2.5), -2);
  EXPECT_EQ(rt::RoundToInt(-2.6), -3);
  EXPECT_EQ(rt::RoundToInt(0.49999999999999994), 0);
  EXPECT_EQ(rt::RoundToInt(1e20), INT32_MAX);
  EXPECT_EQ(rt::RoundToInt(-1e20), INT32_MIN);
  EXPECT_EQ(rt::RoundToInt(2147483647.4), INT32_MAX);
  EXPECT_EQ(rt::RoundToInt(-2147483648.4), INT32_MIN);
  EXPECT_EQ(rt::RoundToInt(std::numeric_limits<double>::infinity()), INT32_MAX);
  EXPECT_EQ(rt::RoundToInt(std::nan("")), 0);
  EXPECT_EQ(rt::Wrap32(int64_t{INT32_MAX} + 1), INT32_MIN);
  EXPECT_EQ(rt::Wrap32(int64_t{1} << 32), 0);
}

TEST(Numbers, UpperAsciiLeavesLatin1Alone) {
  EXPECT_EQ(rt::UpperAscii("LaufEinSchritt"), "LAUFEINSCHRITT");
  EXPECT_EQ(rt::UpperAscii("gr\xfcn-z"), "GR\xfcN-Z");
  EXPECT_EQ(rt::UpperAscii(""), "");
}

// ---------------------------------------------------------------- files

TEST(Files, AppendReadAndCrLf) {
  const std::string path = TempDir() + "/log.txt";
  const int32_t n = rt::FreeFileNumber();
  ASSERT_EQ(n, 1);
  ASSERT_EQ(rt::OpenFile(path, rt::FileMode::Append, n), 0);
  EXPECT_EQ(rt::FreeFileNumber(), 2);
  rt::PrintLine(n, "Zeile eins");
  rt::PrintLine(n, "");
  EXPECT_EQ(rt::CloseFile(n), 0);
  ASSERT_EQ(rt::OpenFile(path, rt::FileMode::Append, n), 0);
  rt::PrintLine(n, "gew\xE4hlt");
  rt::CloseFile(n);
  EXPECT_EQ(Slurp(path), "Zeile eins\r\n\r\ngew\xE4hlt\r\n");

  ASSERT_EQ(rt::OpenFile(path, rt::FileMode::Read, 7), 0);
  EXPECT_EQ(rt::FileLength(7), 23);
  char buf[5] = "????";
  EXPECT_EQ(rt::ReadAt(7, 1, buf, 4), 0);
  EXPECT_EQ(std::string(buf, 4), "Zeil") << "position 1 is the first byte";
  EXPECT_EQ(rt::ReadAt(7, 7, buf, 3), 0);
  EXPECT_EQ(std::string(buf, 3), "ein");
  std::memcpy(buf, "abcd", 4);
  EXPECT_NE(rt::ReadAt(7, 22, buf, 4), 0) << "reading past the end";
  EXPECT_EQ(std::string(buf, 4), "\r\ncd") << "only the bytes present are copied";
  EXPECT_EQ(rt::OpenFile(path, rt::FileMode::Read, 7), 55) << "the number is taken";
  rt::CloseFile(7);
  EXPECT_EQ(rt::FileLength(7), 0);
}

TEST(Files, MissingFilesChangeNothing) {
  // A folder or a named pipe with a picture's name is no picture: it counts
  // as missing everywhere, and nothing waits for a writer or a reader of the
  // pipe.
  test::HangGuard guard(10);
  const std::string folder = TempDir() + "/folder.bmp";
  const std::string pipe = TempDir() + "/pipe.bmp";
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  for (const std::string& path : {TempDir() + "/missing.bmp", folder, pipe}) {
    const int32_t n = rt::FreeFileNumber();
    EXPECT_NE(rt::OpenFile(path, rt::FileMode::Read, n), 0) << path;
    EXPECT_EQ(rt::FreeFileNumber(), n) << "a failed open leaves the number free: " << path;
    EXPECT_EQ(rt::FileLength(n), 0);
    int32_t width = 77, height = 78;
    EXPECT_NE(rt::ReadAt(n, 19, &width, 4), 0);
    EXPECT_EQ(width, 77);
    EXPECT_EQ(rt::CloseFile(n), 0);
    rt::PrintLine(n, "nowhere");
    EXPECT_EQ(rt::ProbeBmpSize(path, width, height), 0) << path;
    EXPECT_EQ(width, 77);
    EXPECT_EQ(height, 78);
    rt::FileStamp stamp;
    stamp.size = 5;
    EXPECT_EQ(rt::ProbeFile(path, &stamp), 0) << path;
    EXPECT_EQ(stamp, rt::FileStamp{});
    EXPECT_EQ(rt::OpenReadStream(path), nullptr) << path;
  }
  // The log appends: a pipe without a reader and a folder refuse at once.
  for (const std::string& path : {folder, pipe}) {
    EXPECT_NE(rt::OpenFile(path, rt::FileMode::Append, 3), 0) << path;
    EXPECT_EQ(rt::FileLength(3), 0);
  }
  for (const int32_t bad : {0, -1, 255, 1000}) {
    EXPECT_NE(rt::OpenFile(TempDir() + "/x.txt", rt::FileMode::Append, bad), 0) << bad;
    EXPECT_EQ(rt::FileLength(bad), 0);
    EXPECT_EQ(rt::CloseFile(bad), 0);
  }
}

TEST(Files, NumbersRunOut) {
  const std::string path = TempDir() + "/many.txt";
  test::WriteFile(path, std::vector<uint8_t>{1, 2, 3});
  std::vector<int32_t> open;
  for (int32_t n = rt::FreeFileNumber(); n != 0; n = rt::FreeFileNumber()) {
    ASSERT_EQ(rt::OpenFile(path, rt::FileMode::Read, n), 0);
    open.push_back(n);
  }
  EXPECT_EQ(open.size(), 254u);
  EXPECT_EQ(open.front(), 1);
  EXPECT_EQ(open.back(), 254);
  int32_t w = 5, h = 6;
  EXPECT_EQ(rt::ProbeBmpSize(path, w, h), 0) << "with no number free the file counts as missing";
  EXPECT_EQ(w, 5);
  rt::CloseFile(100);
  EXPECT_EQ(rt::FreeFileNumber(), 100) << "the lowest free number";
  for (const int32_t n : open) rt::CloseFile(n);
  EXPECT_EQ(rt::FreeFileNumber(), 1);
}

TEST(Files, ProbeBmpSizeAndStamps) {
  const std::string dir = TempDir() + "/figure";
  ::mkdir(dir.c_str(), 0755);
  test::WriteFile(dir + "/1.bmp",
                  test::MakeBmp(384, -48, 24, {}, [](int32_t, int32_t) { return 0u; }));
  test::WriteFile(dir + "/empty.bmp", std::vector<uint8_t>{});
  test::WriteFile(dir + "/short.bmp", std::vector<uint8_t>{'B', 'M', 0, 0, 0, 0, 0, 0, 0,    0,
                                                           0,   0,   0, 0, 0, 0, 0, 0, 0x10, 0x20});
  int32_t w = 1, h = 2;
  rt::FileStamp stamp;
  const int64_t length = rt::ProbeBmpSize(TempDir() + "\\figure\\1.bmp", w, h, &stamp);
  EXPECT_GT(length, 54);
  EXPECT_EQ(w, 384);
  EXPECT_EQ(h, -48);
  w = 1;
  h = 2;
  EXPECT_EQ(rt::ProbeBmpSize(dir + "/empty.bmp", w, h), 0) << "an empty file counts as missing";
  EXPECT_EQ(rt::ProbeFile(dir + "/empty.bmp"), 0) << "an empty file counts as missing";
  EXPECT_EQ(rt::OpenReadStream(dir + "/empty.bmp"), nullptr);
  EXPECT_EQ(rt::ProbeBmpSize(dir + "/absent.bmp", w, h), 0);
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(rt::ProbeBmpSize(dir + "/short.bmp", w, h), 20);
  EXPECT_EQ(w, 0x2010) << "the bytes present are read, the rest kept";
  EXPECT_EQ(h, 2);
  EXPECT_EQ(rt::FreeFileNumber(), 1) << "the probe closes its number";

  // The stamp: the same for every look at an unchanged file, whichever call
  // takes it, and another one once the file is written anew.
  EXPECT_EQ(stamp.size, length);
  rt::FileStamp again;
  EXPECT_EQ(rt::ProbeFile(dir + "/1.bmp", &again), length);
  EXPECT_EQ(again, stamp);
  std::FILE* f = rt::OpenReadStream(dir + "/1.bmp", &again);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(std::fgetc(f), 'B');
  std::fclose(f);
  EXPECT_EQ(again, stamp);
  test::WriteFile(dir + "/1.bmp",
                  test::MakeBmp(384, -47, 24, {}, [](int32_t, int32_t) { return 0u; }));
  EXPECT_GT(rt::ProbeFile(dir + "/1.bmp", &again), 0);
  EXPECT_NE(again, stamp);
  EXPECT_EQ(rt::FreeFileNumber(), 1) << "no number stays taken";
}

TEST(Files, ProbeBmpSizeSeesAFileWrittenAnew) {
  // The probe remembers what it read of a file; a file written anew must
  // still give its new size, whether its length changed or only its time.
  const std::string path = TempDir() + "/anew.bmp";
  auto write = [&](int32_t width, int32_t height, int32_t pixels) {
    std::vector<uint8_t> bytes =
        test::MakeBmp(width, height, 24, {}, [](int32_t, int32_t) { return 0u; });
    bytes.resize(static_cast<size_t>(54 + pixels));
    test::WriteFile(path, bytes);
  };
  auto probe = [&](int32_t& w, int32_t& h, rt::FileStamp* stamp = nullptr) {
    w = -1;
    h = -1;
    return rt::ProbeBmpSize(path, w, h, stamp);
  };
  int32_t w = 0, h = 0;
  write(8, 4, 96);
  rt::FileStamp first;
  EXPECT_EQ(probe(w, h, &first), 150);
  EXPECT_EQ(probe(w, h), 150) << "an unchanged file, asked again";
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 4);
  rt::FileStamp again;
  EXPECT_EQ(probe(w, h, &again), 150);
  EXPECT_EQ(again, first);

  write(12, 2, 96);  // the same length, written in place
  // A later write shows as a later modification time; the coarse file
  // system clock may not have moved yet, so the time is set as it would be.
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  timespec times[2] = {info.st_atim, info.st_mtim};
  times[1].tv_sec += 1;
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  EXPECT_EQ(probe(w, h, &again), 150);
  EXPECT_EQ(w, 12) << "the same length, a new time";
  EXPECT_EQ(h, 2);
  EXPECT_NE(again, first);

  write(24, 3, 216);
  EXPECT_EQ(probe(w, h), 270);
  EXPECT_EQ(w, 24) << "a new length";
  EXPECT_EQ(h, 3);

  ASSERT_EQ(::unlink(path.c_str()), 0);
  EXPECT_EQ(probe(w, h), 0) << "a file removed is missing";
  EXPECT_EQ(w, -1);
  EXPECT_EQ(h, -1);
  EXPECT_EQ(rt::FreeFileNumber(), 1);
}

TEST(Files, PrintLineZeroPrintsOnTheScreen) {
  ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
  rt::PrintLine(0, "I");
  rt::PrintLine(0, "I");
  // The glyph of "I" has ink in its middle column in both rows.
  int32_t row1 = 0, row2 = 0;
  for (int32_t y = 0; y < 16; ++y) {
    for (int32_t x = 0; x < 8; ++x) {
      row1 += rt::GetPixel(nullptr, x, y) != 0;
      row2 += rt::GetPixel(nullptr, x, 16 + y) != 0;
    }
  }
  EXPECT_GT(row1, 0);
  EXPECT_EQ(row1, row2);
}

TEST(Program, EndProgramClosesFilesAndUnwinds) {
  const std::string path = TempDir() + "/end.txt";
  ASSERT_EQ(rt::OpenFile(path, rt::FileMode::Append, 3), 0);
  ASSERT_EQ(rt::OpenFile(path, rt::FileMode::Append, 1), 0);
  char arg0[] = "wimmel";
  char* argv[] = {arg0, nullptr};
  rt::StartRuntime(1, argv);
  try {
    rt::EndProgram(0);
    FAIL() << "EndProgram returned";
  } catch (const rt::ProgramEnd& end) {
    EXPECT_EQ(end.code, 0);
  }
  EXPECT_EQ(rt::FreeFileNumber(), 1);
  EXPECT_EQ(rt::FileLength(3), 0);
  EXPECT_THROW(rt::EndProgram(4), rt::ProgramEnd);
}

}  // namespace
