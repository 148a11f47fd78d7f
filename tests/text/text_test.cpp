// The font table and the text drawing, checked by exact pixels on the
// headless display. Expected pictures are built from the table itself, so
// the tests hold whatever the glyph shapes are, except where the shapes are
// fixed (metrics, coverage, telling rows, the arms of the box-drawing
// characters).
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdint>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/owned_image.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

namespace {

using wimmel::FontTabelle;

constexpr uint32_t kPaper = 0xFF102030;

class TextTest : public ::testing::TestWithParam<int32_t> {
 protected:
  void SetUp() override {
    rt::headless::Install();
    // Mode 18 at the parameter's depth: 16 (5-6-5) or 32 bits.
    ASSERT_EQ(rt::SetScreenMode(18, GetParam(), 0, 1, 0), 0);
    wimmel::FontsInitialisieren();
    image_.reset(rt::CreateImage(200, 60, kPaper));
    ASSERT_TRUE(image_);
  }
  void TearDown() override { image_.reset(); }

  // The stored value of a colour on this screen.
  uint32_t Stored(uint32_t colour) const { return GetParam() == 16 ? rt::To565(colour) : colour; }

  rt::OwnedImage image_;
};

// A picture of stored pixel values that tests paint by hand.
struct Picture {
  int32_t w, h;
  std::vector<uint32_t> px;
  Picture(int32_t w_, int32_t h_, uint32_t fill) : w(w_), h(h_), px(size_t(w_) * h_, fill) {}
  void Set(int64_t x, int64_t y, uint32_t v) {
    if (x >= 0 && y >= 0 && x < w && y < h) px[size_t(y) * w + size_t(x)] = v;
  }
  // Paints glyph `code` of `font` the way the table describes it: row r,
  // column c is ink when bit c is set, for c below the font's width.
  void Glyph(int32_t font, uint8_t code, int64_t x, int64_t y, uint32_t v) {
    if (code == 0) return;
    const int32_t height = static_cast<int32_t>(FontTabelle()[font][0][0]);
    const int32_t width = static_cast<int32_t>(FontTabelle()[font][0][1]);
    for (int32_t r = 0; r < height; ++r) {
      for (int32_t c = 0; c < width; ++c) {
        if ((FontTabelle()[font][code][r] >> c) & 1u) Set(x + c, y + r, v);
      }
    }
  }
};

// Compares every pixel of the image with the picture, naming the first few
// differences.
void ExpectSame(rt::Image img, const Picture& expected, const std::string& what) {
  int32_t failures = 0;
  for (int32_t y = 0; y < expected.h; ++y) {
    for (int32_t x = 0; x < expected.w; ++x) {
      uint32_t actual = rt::GetPixel(img, x, y);
      uint32_t expectedValue = expected.px[size_t(y) * expected.w + size_t(x)];
      if (actual != expectedValue && ++failures <= 5) {
        ADD_FAILURE() << what << ": pixel (" << x << ", " << y << ") is 0x" << std::hex << actual
                      << ", expected 0x" << expectedValue;
      }
    }
  }
  EXPECT_EQ(failures, 0) << what;
}

// ---------------------------------------------------------------- the table

TEST(FontTable, MetricsLiveInGlyphZero) {
  wimmel::FontsInitialisieren();
  EXPECT_EQ(wimmel::FontHoehe(0), 16);
  EXPECT_EQ(wimmel::FontBreite(0), 8);
  EXPECT_EQ(wimmel::FontHoehe(1), 7);
  EXPECT_EQ(wimmel::FontBreite(1), 6);
  EXPECT_EQ(wimmel::FontHoehe(2), 12);
  EXPECT_EQ(wimmel::FontBreite(2), 6);
  for (int f = 0; f < 3; ++f) {
    EXPECT_EQ(FontTabelle()[f][0][0], static_cast<uint32_t>(wimmel::FontHoehe(f)));
    EXPECT_EQ(FontTabelle()[f][0][1], static_cast<uint32_t>(wimmel::FontBreite(f)));
  }
}

TEST(FontTable, TellingRows) {
  wimmel::FontsInitialisieren();
  const std::vector<uint32_t> a0 = {0, 8, 28, 54, 99, 99, 127, 99, 99, 99, 99, 0, 0, 0, 0, 0};
  const std::vector<uint32_t> smallA0 = {0, 0, 0, 0, 46, 51, 51, 51, 51, 51, 46, 0, 0, 0, 0, 0};
  const std::vector<uint32_t> a1 = {0, 12, 18, 30, 18, 82, 64};
  const std::vector<uint32_t> a2 = {0, 28, 34, 34, 98, 92, 98, 98, 98, 98, 64, 0};
  auto rows = [](int f, char c, size_t n) {
    return std::vector<uint32_t>(FontTabelle()[f][static_cast<uint8_t>(c)],
                                 FontTabelle()[f][static_cast<uint8_t>(c)] + n);
  };
  EXPECT_EQ(rows(0, 'A', 16), a0);
  EXPECT_EQ(rows(0, 'a', 16), smallA0);
  EXPECT_EQ(rows(1, 'A', 7), a1);
  EXPECT_EQ(rows(2, 'A', 12), a2);
}

TEST(FontTable, CoverageAndRowLimits) {
  wimmel::FontsInitialisieren();
  std::set<int> withInk = {1, 16, 17, 24, 25, 26, 27, 30, 31};
  for (int c = 33; c <= 254; ++c) withInk.insert(c);
  for (int f = 0; f < 3; ++f) {
    std::set<int> expected = withInk;
    if (f == 2) {
      expected.insert(22);
      expected.erase(95);
    }
    for (int code = 1; code < 256; ++code) {
      bool ink = false;
      for (int r = 0; r < 33; ++r) {
        EXPECT_LE(FontTabelle()[f][code][r], 255u) << "font " << f << " code " << code;
        if (r >= wimmel::FontHoehe(f)) {
          EXPECT_EQ(FontTabelle()[f][code][r], 0u) << "font " << f << " code " << code;
        }
        const uint32_t visible = FontTabelle()[f][code][r] & ((1u << wimmel::FontBreite(f)) - 1);
        if (r < wimmel::FontHoehe(f) && visible != 0) ink = true;
      }
      EXPECT_EQ(ink, expected.count(code) == 1) << "font " << f << " code " << code;
    }
  }
}

TEST(FontTable, GermanLettersAtBothPositions) {
  wimmel::FontsInitialisieren();
  // Latin-1 position, code page 437 position.
  const int pairs[][2] = {{196, 142}, {214, 153}, {220, 154}, {223, 225},
                          {228, 132}, {246, 148}, {252, 129}};
  for (int f = 0; f < 3; ++f) {
    for (const auto& p : pairs) {
      for (int r = 0; r < 33; ++r) {
        EXPECT_EQ(FontTabelle()[f][p[0]][r], FontTabelle()[f][p[1]][r])
            << "font " << f << " codes " << p[0] << "/" << p[1] << " row " << r;
      }
    }
    // The umlauts are their base letters with marks added: the letter's ink
    // is not what the marks are made of, so they must differ from it.
    EXPECT_NE(std::vector<uint32_t>(FontTabelle()[f][228], FontTabelle()[f][228] + 16),
              std::vector<uint32_t>(FontTabelle()[f][static_cast<unsigned char>('a')],
                                    FontTabelle()[f][static_cast<unsigned char>('a')] + 16));
  }
}

// The rows and columns that hold ink, within the font's cell.
struct Outline {
  int top = 99, bottom = -1, left = 99, right = -1;
};
Outline InkOutline(int f, int code) {
  Outline u;
  for (int r = 0; r < wimmel::FontHoehe(f); ++r) {
    for (int c = 0; c < wimmel::FontBreite(f); ++c) {
      if (((FontTabelle()[f][code][r] >> c) & 1) == 0) continue;
      u.top = std::min(u.top, r);
      u.bottom = std::max(u.bottom, r);
      u.left = std::min(u.left, c);
      u.right = std::max(u.right, c);
    }
  }
  return u;
}

TEST(FontTable, LettersStandOnTheirLines) {
  wimmel::FontsInitialisieren();
  // Last row of capitals and digits, and of descenders, per font.
  const int baseline[3] = {10, 5, 9}, descender[3] = {13, 6, 10};
  for (int f = 0; f < 3; ++f) {
    for (int code = '0'; code <= 'z'; ++code) {
      if (!std::isalnum(code)) continue;
      const Outline u = InkOutline(f, code);
      EXPECT_GE(u.top, 1) << "font " << f << " " << char(code);
      EXPECT_LE(u.bottom, descender[f]) << "font " << f << " " << char(code);
      // Capitals and digits sit on the base line; Q may hang its tail.
      if ((std::isupper(code) || std::isdigit(code)) && code != 'Q') {
        EXPECT_EQ(u.bottom, baseline[f]) << "font " << f << " " << char(code);
      }
      if (f == 1) {
        EXPECT_LE(u.right - u.left + 1, 5) << "font 1 " << char(code);
      }
    }
  }
  // The segment face draws small letters like capitals.
  for (int c = 'a'; c <= 'z'; ++c) {
    for (int r = 0; r < 12; ++r) {
      EXPECT_EQ(FontTabelle()[2][c][r], FontTabelle()[2][c - 32][r]) << char(c) << " row " << r;
    }
  }
}

// Ink per column and per row of a glyph, within the font's cell.
std::vector<int> InkPerColumn(int f, int code) {
  std::vector<int> n(wimmel::FontBreite(f), 0);
  for (int r = 0; r < wimmel::FontHoehe(f); ++r) {
    for (int c = 0; c < wimmel::FontBreite(f); ++c) n[c] += (FontTabelle()[f][code][r] >> c) & 1;
  }
  return n;
}
std::vector<int> InkPerRow(int f, int code) {
  std::vector<int> n(wimmel::FontHoehe(f), 0);
  for (int r = 0; r < wimmel::FontHoehe(f); ++r) {
    for (int c = 0; c < wimmel::FontBreite(f); ++c) n[r] += (FontTabelle()[f][code][r] >> c) & 1;
  }
  return n;
}
// The ink counts of the first and last non-empty entries.
std::pair<int, int> EndCounts(const std::vector<int>& n) {
  int first = -1, last = -1;
  for (size_t i = 0; i < n.size(); ++i) {
    if (n[i] == 0) continue;
    if (first < 0) first = n[i];
    last = n[i];
  }
  return {first, last};
}

TEST(FontTable, TrianglesPointTheRightWay) {
  wimmel::FontsInitialisieren();
  for (int f = 0; f < 3; ++f) {
    auto right = EndCounts(InkPerColumn(f, 16));  // broad on the left, pointing right
    EXPECT_GT(right.first, right.second) << "font " << f;
    auto left = EndCounts(InkPerColumn(f, 17));
    EXPECT_LT(left.first, left.second) << "font " << f;
    auto up = EndCounts(InkPerRow(f, 30));  // pointing up: narrow top row
    EXPECT_LT(up.first, up.second) << "font " << f;
    auto down = EndCounts(InkPerRow(f, 31));
    EXPECT_GT(down.first, down.second) << "font " << f;
  }
}

// The arms of code page 437's box-drawing characters, written from the code
// page's own names (for example 211 is "up double and right single"), not
// from the font data: 0 = no arm, 1 = single line, 2 = double line.
struct Arms {
  int code, top, bottom, left, right;
};
constexpr Arms kBoxArms[] = {
    {179, 1, 1, 0, 0}, {180, 1, 1, 1, 0}, {181, 1, 1, 2, 0}, {182, 2, 2, 1, 0}, {183, 0, 2, 1, 0},
    {184, 0, 1, 2, 0}, {185, 2, 2, 2, 0}, {186, 2, 2, 0, 0}, {187, 0, 2, 2, 0}, {188, 2, 0, 2, 0},
    {189, 2, 0, 1, 0}, {190, 1, 0, 2, 0}, {191, 0, 1, 1, 0}, {192, 1, 0, 0, 1}, {193, 1, 0, 1, 1},
    {194, 0, 1, 1, 1}, {195, 1, 1, 0, 1}, {197, 1, 1, 1, 1}, {198, 1, 1, 0, 2}, {199, 2, 2, 0, 1},
    {200, 2, 0, 0, 2}, {201, 0, 2, 0, 2}, {202, 2, 0, 2, 2}, {203, 0, 2, 2, 2}, {204, 2, 2, 0, 2},
    {205, 0, 0, 2, 2}, {206, 2, 2, 2, 2}, {207, 1, 0, 2, 2}, {208, 2, 0, 1, 1}, {209, 0, 1, 2, 2},
    {210, 0, 2, 1, 1}, {211, 2, 0, 0, 1}, {212, 1, 0, 0, 2}, {213, 0, 1, 0, 2}, {215, 2, 2, 1, 1},
    {216, 1, 1, 2, 2}, {217, 1, 0, 1, 0}, {218, 0, 1, 0, 1},
};
// 196 and 214 hold the German letters instead of their box pictures.
static_assert(std::size(kBoxArms) == 218 - 179 + 1 - 2);

// The ink along one edge of a glyph's cell, as bit i for the i-th pixel:
// along row `row` when it is 0 or above, else along column `column`.
uint32_t EdgeBits(int f, int code, int row, int column) {
  const int n = row >= 0 ? wimmel::FontBreite(f) : wimmel::FontHoehe(f);
  uint32_t bits = 0;
  for (int i = 0; i < n; ++i) {
    const int r = row >= 0 ? row : i, c = row >= 0 ? i : column;
    bits |= ((FontTabelle()[f][code][r] >> c) & 1u) << i;
  }
  return bits;
}
// Separate runs of ink in an edge.
int Runs(uint32_t edge) {
  return std::popcount(edge & ~(edge << 1));
}

TEST(FontTable, BoxDrawingArmsAndBlocks) {
  wimmel::FontsInitialisieren();
  for (int f = 0; f < 3; ++f) {
    const int h = wimmel::FontHoehe(f), w = wimmel::FontBreite(f);
    const uint32_t full = (1u << w) - 1;
    // Full block and left half block.
    for (int r = 0; r < h; ++r) {
      EXPECT_EQ(FontTabelle()[f][219][r] & full, full) << "font " << f << " row " << r;
      EXPECT_EQ(FontTabelle()[f][221][r] & full, (1u << (w / 2)) - 1) << "font " << f;
    }
    // An arm reaches its edge of the cell, so that neighbouring cells join;
    // a double arm meets the edge as two separate strokes, a single one as
    // one, and every arm of a kind meets the edge where the crossings do.
    auto check = [&](int code, int expected, const char* where, int row, int column) {
      const uint32_t actual = EdgeBits(f, code, row, column);
      EXPECT_EQ(Runs(actual), expected) << "font " << f << " code " << code << " " << where;
      if (expected > 0) {
        EXPECT_EQ(actual, EdgeBits(f, expected == 1 ? 197 : 206, row, column))
            << "font " << f << " code " << code << " " << where;
      }
    };
    for (const Arms& a : kBoxArms) {
      check(a.code, a.top, "up", 0, 0);
      check(a.code, a.bottom, "down", h - 1, 0);
      check(a.code, a.left, "left", -1, 0);
      check(a.code, a.right, "right", -1, w - 1);
    }
  }
}

TEST(FontTable, InitialisingAgainGivesTheSameTable) {
  wimmel::FontsInitialisieren();
  std::vector<uint32_t> before(&FontTabelle()[0][0][0], &FontTabelle()[0][0][0] + 3 * 256 * 33);
  FontTabelle()[1][65][3] = 0xDEAD;
  FontTabelle()[2][200][30] = 7;
  wimmel::FontsInitialisieren();
  std::vector<uint32_t> after(&FontTabelle()[0][0][0], &FontTabelle()[0][0][0] + 3 * 256 * 33);
  EXPECT_EQ(before, after);
}

// ---------------------------------------------------------------- drawing

TEST_P(TextTest, StringsInEveryFontMatchTheTable) {
  const std::string text = "Wimmel \xC4\xD6\xDC\xDF\xE4\xF6\xFC 0123456789 +-.,#!";
  for (int32_t f = 0; f < 3; ++f) {
    rt::DrawLine(image_, 0, 0, 199, 59, kPaper, 2);
    const std::string part = text.substr(0, 180 / wimmel::FontBreite(f));
    wimmel::MaleText(part, 3, 5, 0xFFFFFF00, f, image_);
    Picture expected(200, 60, Stored(kPaper));
    for (size_t i = 0; i < part.size(); ++i) {
      expected.Glyph(f, static_cast<uint8_t>(part[i]), 3 + int64_t(i) * wimmel::FontBreite(f), 5,
                     Stored(0xFFFFFF00));
    }
    ExpectSame(image_, expected, "font " + std::to_string(f));
  }
}

TEST_P(TextTest, BlankCodesAdvanceThePen) {
  wimmel::MaleText("A B", 10, 20, 0xFFFFFFFF, 0, image_);
  Picture expected(200, 60, Stored(kPaper));
  expected.Glyph(0, 'A', 10, 20, Stored(0xFFFFFFFF));
  expected.Glyph(0, 'B', 26, 20, Stored(0xFFFFFFFF));
  ExpectSame(image_, expected, "A, space, B");
  // Every blank code leaves the target as it what.
  for (int code : {2, 15, 18, 21, 22, 23, 28, 29, 32, 255}) {
    wimmel::MaleZeichen(std::string(1, static_cast<char>(code)), 100, 20, 0xFFFFFFFF, 0, image_);
  }
  wimmel::MaleZeichen("_", 150, 20, 0xFFFFFFFF, 2, image_);
  ExpectSame(image_, expected, "blank codes");
}

TEST_P(TextTest, CodeZeroLeavesItsCellEmpty) {
  const std::string text("A\0B", 3);
  wimmel::MaleText(text, 10, 10, 0xFF00FF00, 1, image_);
  Picture expected(200, 60, Stored(kPaper));
  expected.Glyph(1, 'A', 10, 10, Stored(0xFF00FF00));
  expected.Glyph(1, 'B', 22, 10, Stored(0xFF00FF00));
  ExpectSame(image_, expected, "A, code 0, B");
  wimmel::MaleZeichen(std::string(1, '\0'), 50, 10, 0xFF00FF00, 0, image_);
  wimmel::MaleText("", 50, 10, 0xFF00FF00, 0, image_);
  wimmel::MaleZeichen("", 50, 10, 0xFF00FF00, 0, image_);
  ExpectSame(image_, expected, "empty strings");
}

TEST_P(TextTest, MaleZeichenDrawsOnlyTheFirstCharacter) {
  wimmel::MaleZeichen("XYZ", 40, 30, 0xFFFF0000, 0, image_);
  Picture expected(200, 60, Stored(kPaper));
  expected.Glyph(0, 'X', 40, 30, Stored(0xFFFF0000));
  ExpectSame(image_, expected, "XYZ");
}

TEST_P(TextTest, BitsBeyondTheWidthNeverShow) {
  // Font 1 "A" has bits in column 6 in rows 5 and 6.
  ASSERT_NE(FontTabelle()[1][static_cast<unsigned char>('A')][5] & 64u, 0u);
  ASSERT_NE(FontTabelle()[1][static_cast<unsigned char>('A')][6] & 64u, 0u);
  wimmel::MaleText("A", 20, 10, 0xFFFFFFFF, 1, image_);
  EXPECT_EQ(rt::GetPixel(image_, 26, 15), Stored(kPaper));
  EXPECT_EQ(rt::GetPixel(image_, 26, 16), Stored(kPaper));
  Picture expected(200, 60, Stored(kPaper));
  for (int r = 0; r < 7; ++r) {
    for (int c = 0; c < 6; ++c) {
      if ((FontTabelle()[1][static_cast<unsigned char>('A')][r] >> c) & 1)
        expected.Set(20 + c, 10 + r, Stored(0xFFFFFFFF));
    }
  }
  ExpectSame(image_, expected, "font 1 A");
  // Font 2 "A" has bits in column 6 as well.
  wimmel::MaleText("A", 100, 10, 0xFFFFFFFF, 2, image_);
  for (int r = 0; r < 12; ++r) EXPECT_EQ(rt::GetPixel(image_, 106, 10 + r), Stored(kPaper));
}

TEST_P(TextTest, ClippedAtTheTargetEdges) {
  wimmel::MaleText("\xDB\xDB", -5, -3, 0xFFFFFFFF, 0, image_);
  wimmel::MaleText("\xDB", 196, 55, 0xFFFFFFFF, 0, image_);
  Picture expected(200, 60, Stored(kPaper));
  expected.Glyph(0, 0xDB, -5, -3, Stored(0xFFFFFFFF));
  expected.Glyph(0, 0xDB, 3, -3, Stored(0xFFFFFFFF));
  expected.Glyph(0, 0xDB, 196, 55, Stored(0xFFFFFFFF));
  ExpectSame(image_, expected, "clipped blocks");
  // Far outside the 32-bit range the positions neither wrap onto the image
  // nor overflow.
  wimmel::MaleText(std::string(40, '\xDB'), INT32_MAX - 100, 0, 0xFF00FF00, 0, image_);
  wimmel::MaleText3D(std::string(40, '\xDB'), INT32_MIN, INT32_MAX, 1, 2, 3, 0, image_);
  wimmel::MaleText3D("\xDB", INT32_MAX, INT32_MIN, 1, 2, 3, 2, image_);
  ExpectSame(image_, expected, "far away");
}

TEST_P(TextTest, RaisedTextFinishesEachCharacterFirst) {
  const uint32_t face = 0xFFA4A4FF, s1 = 0xFF606080, s2 = 0xFFFFFFFF;
  const std::string text = "\xDB\xDBH\xB1";
  wimmel::MaleText3D(text, 30, 20, face, s1, s2, 0, image_);
  Picture expected(200, 60, Stored(kPaper));
  for (size_t i = 0; i < text.size(); ++i) {
    const uint8_t code = static_cast<uint8_t>(text[i]);
    const int64_t xi = 30 + int64_t(i) * 8;
    expected.Glyph(0, code, xi + 1, 21, Stored(s1));
    expected.Glyph(0, code, xi - 1, 19, Stored(s2));
    expected.Glyph(0, code, xi, 20, Stored(face));
  }
  ExpectSame(image_, expected, "raised text");
  // The upper-left copy of the second block covers the right column of the
  // first block's face.
  EXPECT_EQ(rt::GetPixel(image_, 37, 25), Stored(s2));
  EXPECT_EQ(rt::GetPixel(image_, 36, 25), Stored(face));
}

TEST_P(TextTest, EngravedFieldGeometry) {
  rt::Image screen = rt::ScreenImage();
  for (int32_t f = 0; f < 3; ++f) {
    rt::DrawLine(nullptr, 0, 0, 639, 479, kPaper, 2);
    const int32_t x = 100, y = 100;
    const int32_t h = wimmel::FontHoehe(f);
    wimmel::MaleGravurFeld("", x, y, 0xFFFFFF00, f);
    Picture expected(640, 480, Stored(kPaper));
    for (int32_t py = y - 1; py <= y + h + 2; ++py) {
      for (int32_t px = x - 4; px <= x + 1; ++px) {
        uint32_t v = Stored(kPaper);
        if (px >= x - 3 && px <= x && py >= y && py <= y + h + 1) {
          v = Stored(0xFF400000);  // the field, 4 x (H + 2)
        } else if ((py == y - 1 && px <= x - 1) || (px == x - 4 && py <= y + h)) {
          v = Stored(0xFF000000);  // black top and left edges
        } else if ((px == x + 1 && py >= y) || (py == y + h + 2 && px >= x - 3)) {
          v = Stored(0xFFA09696);  // light right and bottom edges
        }
        expected.Set(px, py, v);
      }
    }
    ExpectSame(screen, expected, "empty field, font " + std::to_string(f));
  }
}

TEST_P(TextTest, EngravedFieldWithText) {
  rt::Image screen = rt::ScreenImage();
  rt::DrawLine(nullptr, 0, 0, 639, 479, kPaper, 2);
  const int32_t x = 50, y = 60, n = 5, w = 6, h = 12;
  wimmel::MaleGravurFeld("X1-y\xC4", x, y, 0xFFFFFF00, 2);
  Picture expected(640, 480, Stored(kPaper));
  for (int32_t px = x - 4; px <= x - 4 + n * w + 3; ++px)
    expected.Set(px, y - 1, Stored(0xFF000000));
  for (int32_t py = y - 1; py <= y + h; ++py) expected.Set(x - 4, py, Stored(0xFF000000));
  for (int32_t px = x - 3; px <= x + n * w + 1; ++px)
    expected.Set(px, y + h + 2, Stored(0xFFA09696));
  for (int32_t py = y; py <= y + h + 2; ++py) expected.Set(x + n * w + 1, py, Stored(0xFFA09696));
  for (int32_t py = y; py <= y + h + 1; ++py) {
    for (int32_t px = x - 3; px <= x + n * w; ++px) expected.Set(px, py, Stored(0xFF400000));
  }
  const std::string text = "X1-y\xC4";
  for (int i = 0; i < n; ++i) {
    expected.Glyph(2, static_cast<uint8_t>(text[i]), x - 2 + i * w, y + 1, Stored(0xFFFFFF00));
  }
  ExpectSame(screen, expected, "field with text");
}

INSTANTIATE_TEST_SUITE_P(Depths, TextTest, ::testing::Values(16, 32),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

}  // namespace
