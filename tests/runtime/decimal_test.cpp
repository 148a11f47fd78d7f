// The program's own decimal text must be what std::to_chars and
// std::from_chars give where the C++ library has them, since the
// WebAssembly build, whose library lacks them, uses it in their place.
#include "runtime/decimal.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace wimmel::rt {
namespace {

std::string LibraryFixed(double value) {
  char buf[1200];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
  return std::string(buf, res.ptr);
}

void ExpectLikeLibrary(double value) {
  ASSERT_EQ(ShortestFixed(value), LibraryFixed(value)) << std::hexfloat << value;
}

TEST(ShortestFixed, WritesWhatToCharsWrites) {
  for (double v :
       {0.0, -0.0, 1.0, 0.1, 0.3, 2.5, 0.125, 0.005, 1e-5, 123456.789, 1e15, 1e16, 1e22, 1e23,
        9007199254740993.0, 1.7976931348623157e308, 5e-324, 2.2250738585072014e-308}) {
    ExpectLikeLibrary(v);
    ExpectLikeLibrary(-v);
  }
}

// Powers of two, where the doubles below lie closer together than those above.
TEST(ShortestFixed, WritesPowersOfTwoLikeToChars) {
  for (int e = -1074; e <= 1023; ++e) ExpectLikeLibrary(std::ldexp(1.0, e));
}

// Subnormal doubles lie further apart than their digits suggest.
TEST(ShortestFixed, WritesSubnormalValuesLikeToChars) {
  std::mt19937_64 random(1022);
  for (int i = 0; i < 300; ++i) {
    ExpectLikeLibrary(std::bit_cast<double>(random() >> 12));
  }
}

TEST(ShortestFixed, WritesRandomValuesLikeToChars) {
  std::mt19937_64 random(20261209);
  for (int i = 0; i < 4000; ++i) {
    // Any bit pattern of a finite double, and values of the program's
    // sizes: counts, rates and seconds with a few decimals.
    double v = std::bit_cast<double>(random());
    if (!std::isfinite(v)) continue;
    ExpectLikeLibrary(v);
    ExpectLikeLibrary(static_cast<double>(random() % 100000000) / 1000.0);
    ExpectLikeLibrary(
        std::ldexp(static_cast<double>(random() >> 11), -static_cast<int>(random() % 80)));
  }
}

struct Read {
  bool ok;
  double value;
};

Read Ours(const std::string& text, DecimalForm form) {
  double value = -99;
  const bool ok = ReadDecimal(text, form, value);
  return {ok, value};
}

Read Library(const std::string& text, std::chars_format format) {
  double value = -99;
  const char* end = text.data() + text.size();
  const auto [rest, problem] = std::from_chars(text.data(), end, value, format);
  return {!text.empty() && problem == std::errc() && rest == end, value};
}

void ExpectReadLikeLibrary(const std::string& text) {
  const Read general = Ours(text, DecimalForm::kGeneral);
  const Read fixed = Ours(text, DecimalForm::kFixed);
  const Read libraryGeneral = Library(text, std::chars_format::general);
  const Read libraryFixed = Library(text, std::chars_format::fixed);
  // The library also reads infinities and NaN, which ReadDecimal refuses.
  const bool special = text.find_first_of("iInN") != std::string::npos;
  if (special) {
    EXPECT_FALSE(general.ok) << text;
    EXPECT_FALSE(fixed.ok) << text;
    return;
  }
  ASSERT_EQ(general.ok, libraryGeneral.ok) << text;
  ASSERT_EQ(fixed.ok, libraryFixed.ok) << text;
  if (general.ok) {
    EXPECT_EQ(std::bit_cast<uint64_t>(general.value), std::bit_cast<uint64_t>(libraryGeneral.value))
        << text;
  }
  if (fixed.ok) {
    EXPECT_EQ(std::bit_cast<uint64_t>(fixed.value), std::bit_cast<uint64_t>(libraryFixed.value))
        << text;
  }
}

TEST(ReadDecimal, ReadsWhatFromCharsReads) {
  for (const char* text : {"0",
                           "-0",
                           "5",
                           "5.",
                           ".5",
                           "-.5",
                           "0.25",
                           "00.1",
                           "2",
                           "3600",
                           "3600.0000001",
                           "1e5",
                           "1E5",
                           "1e+5",
                           "1e-5",
                           "00.1e-2",
                           "1e",
                           "1e+",
                           "e5",
                           ".",
                           "-",
                           "-.",
                           "",
                           "+1",
                           " 1",
                           "1 ",
                           "0x10",
                           "1..2",
                           "1.2.3",
                           "--1",
                           "1e5.5",
                           "1e400",
                           "1e-400",
                           "4e-320",
                           "-1e400",
                           "1.7976931348623159e308",
                           "2.4703282292062327e-324",
                           "2.4703282292062328e-324",
                           "0.000000000000000000000000000000000000000000000000000000000000000001",
                           "123456789012345678901234567890",
                           "inf",
                           "-inf",
                           "nan",
                           "Infinity",
                           "1,5"}) {
    ExpectReadLikeLibrary(text);
  }
}

TEST(ReadDecimal, ReadsWhatShortestFixedWrites) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 2000; ++i) {
    const double v = static_cast<double>(random() % 10000000) / 997.0;
    const std::string text = ShortestFixed(v);
    ExpectReadLikeLibrary(text);
    double back = -1;
    ASSERT_TRUE(ReadDecimal(text, DecimalForm::kFixed, back)) << text;
    EXPECT_EQ(back, v) << text;
  }
}

}  // namespace
}  // namespace wimmel::rt
