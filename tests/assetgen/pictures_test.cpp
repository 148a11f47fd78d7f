// The generated pictures as the program will meet them: names and header
// sizes it expects, a BMP structure its loader reads, hard magenta edges,
// outlines, and figure strips with a figure in every frame.

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "bmp_file.h"

namespace assettest {
namespace {

const std::vector<std::string> kKinds = {"tarzan01", "blauzyli", "gelbzyli", "grunzyli",
                                         "hottehue", "blaukuge", "rotekuge", "koenigin",
                                         "koenigbl", "arnolauf", "arnorenn"};

struct Expected {
  std::string path;
  int w, h;
};

// Every picture the program opens, with the size it relies on.
std::vector<Expected> FixedSizeFiles() {
  std::vector<Expected> e = {
      {"HG_bild/Karogrun.bmp", 1280, 880}, {"HG_bild/TastLe15.bmp", 19, 19},
      {"HG_bild/TastLeer.bmp", 30, 30},    {"HG_bild/tabtast.bmp", 46, 29},
      {"HG_bild/Rucktast.bmp", 46, 30},    {"HG_bild/Zahlblck.bmp", 62, 62},
      {"HG_bild/tarzan01.bmp", 30, 29},    {"pattern/metall2.bmp", 64, 64},
      {"pattern/maskiert.bmp", 32, 32},    {"pattern/Stein1.bmp", 64, 64},
      {"pattern/buerste.bmp", 30, 30},     {"pattern/Chrom3.bmp", 24, 29},
  };
  for (const char* f : {"koenigin", "koenigbl", "arnolauf", "arnorenn", "tarzan01", "hottehue",
                        "gelbzyli", "rotekuge", "landfrau", "grunzyli"})
    e.push_back({std::string("HG_bild/figur/") + f + ".bmp", 30, 30});
  for (const auto& k : kKinds)
    for (int d = 1; d <= 4; ++d)
      e.push_back({"figure/" + k + "/" + std::to_string(d) + ".bmp", 576, 48});
  return e;
}

const std::vector<std::string> kObjects = {"objekte/QumyH.bmp", "objekte/HausA.bmp",
                                           "objekte/HausC.bmp", "objekte/HausD.bmp",
                                           "objekte/Kreisel1.bmp"};

std::vector<std::string> AllPictures() {
  std::vector<std::string> all = kObjects;
  for (const auto& e : FixedSizeFiles()) all.push_back(e.path);
  return all;
}

// The pictures are read once for the whole suite.
const Bmp& Load(const std::string& path) {
  static std::map<std::string, Bmp> cache;
  auto it = cache.find(path);
  if (it == cache.end()) it = cache.emplace(path, ReadBmp(DataDir() + "/" + path)).first;
  return it->second;
}

TEST(AssetPictures, EveryFileHasTheSizeTheProgramExpects) {
  for (const auto& e : FixedSizeFiles()) {
    const Bmp& b = Load(e.path);
    ASSERT_EQ(b.error, "") << e.path;
    EXPECT_EQ(b.width, e.w) << e.path;
    EXPECT_EQ(b.height, e.h) << e.path;
  }
}

TEST(AssetPictures, ObjectsAreRoughlySquareAndMidSized) {
  for (const auto& path : kObjects) {
    const Bmp& b = Load(path);
    ASSERT_EQ(b.error, "") << path;
    EXPECT_GE(b.width, 96) << path;
    EXPECT_LE(b.width, 128) << path;
    EXPECT_LE(std::abs(b.width - b.height), 16) << path;
  }
  // The houses stand in a row shifted by a share of the previous height, so
  // equal heights keep the row straight.
  EXPECT_EQ(Load("objekte/HausA.bmp").height, Load("objekte/HausC.bmp").height);
  EXPECT_EQ(Load("objekte/HausC.bmp").height, Load("objekte/HausD.bmp").height);
}

TEST(AssetPictures, PaletteFilesAreAmongThem) {
  int eight = 0, four = 0;
  for (const auto& path : AllPictures()) {
    const Bmp& b = Load(path);
    ASSERT_EQ(b.error, "") << path;
    eight += b.bits == 8;
    four += b.bits == 4;
  }
  EXPECT_GE(eight, 2);
  EXPECT_GE(four, 1);
}

TEST(AssetPictures, NoColourIsCloseToMagentaWithoutBeingIt) {
  for (const auto& path : AllPictures()) {
    const Bmp& b = Load(path);
    ASSERT_EQ(b.error, "") << path;
    int fringe = 0;
    for (const Rgb& c : b.px)
      if (!c.IsMagenta() && c.r > 200 && c.b > 200 && c.g < 60) ++fringe;
    EXPECT_EQ(fringe, 0) << path;
  }
}

TEST(AssetPictures, BackgroundsAndTilesAreOpaqueAndTheStripPatternHasHoles) {
  for (const char* path : {"HG_bild/Karogrun.bmp", "pattern/metall2.bmp", "pattern/Stein1.bmp",
                           "pattern/buerste.bmp", "pattern/Chrom3.bmp"}) {
    const Bmp& b = Load(path);
    ASSERT_EQ(b.error, "") << path;
    for (const Rgb& c : b.px) ASSERT_FALSE(c.IsMagenta()) << path;
  }
  const Bmp& m = Load("pattern/maskiert.bmp");
  ASSERT_EQ(m.error, "");
  int holes = 0;
  double luma = 0;
  for (const Rgb& c : m.px) {
    if (c.IsMagenta())
      ++holes;
    else
      luma += c.Luma();
  }
  EXPECT_GT(holes, 32);
  EXPECT_LT(holes, 32 * 32 / 2);
  EXPECT_LT(luma / (32 * 32 - holes), 90.0) << "the strip pattern should be dark";
}

// Tiles repeat across windows: the step from the last column to the first
// must look like any step inside the tile.
TEST(AssetPictures, PatternsTileWithoutVisibleSeams) {
  for (const char* path :
       {"pattern/metall2.bmp", "pattern/Stein1.bmp", "pattern/buerste.bmp", "pattern/Chrom3.bmp"}) {
    const Bmp& b = Load(path);
    ASSERT_EQ(b.error, "") << path;
    auto diff = [&](int x0, int y0, int x1, int y1) {
      const Rgb &a = b.At(x0, y0), &c = b.At(x1, y1);
      return std::abs(a.r - c.r) + std::abs(a.g - c.g) + std::abs(a.b - c.b);
    };
    double inner = 0, seam = 0;
    for (int y = 0; y < b.height; ++y) {
      for (int x = 0; x + 1 < b.width; ++x) inner += diff(x, y, x + 1, y);
      seam += diff(b.width - 1, y, 0, y);
    }
    inner /= (b.width - 1) * b.height;
    seam /= b.height;
    EXPECT_LE(seam, 2.0 * inner + 3.0) << path << " horizontal seam";
    if (std::string(path) == "pattern/Chrom3.bmp") continue;  // one tile high on its plates
    double innerV = 0, seamV = 0;
    for (int x = 0; x < b.width; ++x) {
      for (int y = 0; y + 1 < b.height; ++y) innerV += diff(x, y, x, y + 1);
      seamV += diff(x, b.height - 1, x, 0);
    }
    innerV /= b.width * (b.height - 1);
    seamV /= b.width;
    EXPECT_LE(seamV, 2.0 * innerV + 3.0) << path << " vertical seam";
  }
}

// Every opaque pixel that touches a transparent one belongs to the dark rim.
void ExpectDarkOutline(const Bmp& b, int x0, int y0, int w, int h, const std::string& what) {
  int bright = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) {
      if (b.At(x, y).IsMagenta()) continue;
      const bool touches = (x > x0 && b.At(x - 1, y).IsMagenta()) ||
                           (x + 1 < x0 + w && b.At(x + 1, y).IsMagenta()) ||
                           (y > y0 && b.At(x, y - 1).IsMagenta()) ||
                           (y + 1 < y0 + h && b.At(x, y + 1).IsMagenta());
      if (touches && b.At(x, y).Luma() > 70) ++bright;
    }
  EXPECT_EQ(bright, 0) << what << ": bright pixels next to magenta";
}

TEST(AssetPictures, FigureFramesHoldAMovingFigureWithADarkOutline) {
  for (const auto& k : kKinds)
    for (int d = 1; d <= 4; ++d) {
      const std::string path = "figure/" + k + "/" + std::to_string(d) + ".bmp";
      const Bmp& b = Load(path);
      ASSERT_EQ(b.error, "") << path;
      ASSERT_EQ(b.width, 576) << path;
      std::set<std::string> distinct;
      int tallest = 0, widest = 0, top0 = 48, bottom0 = -1, left0 = 48, right0 = -1;
      for (int f = 0; f < 12; ++f) {
        const std::string what = path + " frame " + std::to_string(f);
        int solid = 0, top = 48, bottom = -1, left = 48, right = -1;
        std::string bytes;
        for (int y = 0; y < 48; ++y)
          for (int x = 0; x < 48; ++x) {
            const Rgb& c = b.At(f * 48 + x, y);
            bytes += static_cast<char>(c.r);
            bytes += static_cast<char>(c.g);
            bytes += static_cast<char>(c.b);
            if (c.IsMagenta()) continue;
            ++solid;
            top = std::min(top, y), bottom = std::max(bottom, y);
            left = std::min(left, x), right = std::max(right, x);
          }
        distinct.insert(bytes);
        EXPECT_GE(solid, 250) << what << " is nearly empty";
        // A figure touching its frame's edge would be cut off or bleed into
        // the next frame.
        EXPECT_GT(top, 0) << what;
        EXPECT_LT(bottom, 47) << what;
        EXPECT_GT(left, 0) << what;
        EXPECT_LT(right, 47) << what;
        tallest = std::max(tallest, bottom - top + 1);
        widest = std::max(widest, right - left + 1);
        top0 = std::min(top0, top), bottom0 = std::max(bottom0, bottom);
        left0 = std::min(left0, left), right0 = std::max(right0, right);
        ExpectDarkOutline(b, f * 48, 0, 48, 48, what);
      }
      EXPECT_EQ(distinct.size(), 12u) << path << ": every frame should differ";
      // Each frame shows a big figure, and over the cycle (hops, strides)
      // the figure uses nearly the whole frame.
      EXPECT_GE(std::max(tallest, widest), 34) << path << " should fill most of its frame";
      EXPECT_GE(std::max(bottom0 - top0, right0 - left0) + 1, 38) << path;
    }
}

TEST(AssetPictures, ObjectsAndPortraitsHaveADarkOutline) {
  std::vector<std::string> paths = kObjects;
  for (const char* f : {"koenigin", "koenigbl", "arnolauf", "arnorenn", "tarzan01", "hottehue",
                        "gelbzyli", "rotekuge", "landfrau", "grunzyli"})
    paths.push_back(std::string("HG_bild/figur/") + f + ".bmp");
  paths.push_back("HG_bild/tarzan01.bmp");
  for (const auto& path : paths) {
    const Bmp& b = Load(path);
    ASSERT_EQ(b.error, "") << path;
    int solid = 0;
    for (const Rgb& c : b.px) solid += !c.IsMagenta();
    EXPECT_GT(solid, b.width * b.height / 5) << path;
    ExpectDarkOutline(b, 0, 0, b.width, b.height, path);
  }
}

// The help page shows the picture of the figure each key selects: B the
// blue ball (in "landfrau.bmp") and Z the blue cylinder (in "grunzyli.bmp").
TEST(AssetPictures, PortraitsShowTheFigureTheirKeySelects) {
  auto blueShare = [](const Bmp& b) {
    int blue = 0, solid = 0;
    for (const Rgb& c : b.px) {
      if (c.IsMagenta()) continue;
      ++solid;
      blue += c.b > c.r + 40 && c.b > c.g + 20;
    }
    return solid ? double(blue) / solid : 0.0;
  };
  EXPECT_GT(blueShare(Load("HG_bild/figur/landfrau.bmp")), 0.4);
  EXPECT_GT(blueShare(Load("HG_bild/figur/grunzyli.bmp")), 0.4);
  EXPECT_LT(blueShare(Load("HG_bild/figur/rotekuge.bmp")), 0.1);
  EXPECT_LT(blueShare(Load("HG_bild/figur/gelbzyli.bmp")), 0.1);
}

TEST(AssetPictures, KeyCapsHaveTransparentCornersAndALightFace) {
  for (const char* path : {"HG_bild/TastLe15.bmp", "HG_bild/TastLeer.bmp", "HG_bild/tabtast.bmp",
                           "HG_bild/Rucktast.bmp"}) {
    const Bmp& b = Load(path);
    ASSERT_EQ(b.error, "") << path;
    EXPECT_TRUE(b.At(0, 0).IsMagenta()) << path;
    EXPECT_TRUE(b.At(b.width - 1, b.height - 1).IsMagenta()) << path;
    // The program prints black letters on the face, left of this point.
    const Rgb& face = b.At(b.width - 8, b.height / 2);
    EXPECT_GT(face.Luma(), 170) << path;
  }
  // The keypad's corner keys must be there where the page tests clicks.
  const Bmp& pad = Load("HG_bild/Zahlblck.bmp");
  ASSERT_EQ(pad.error, "");
  for (auto [x, y] : {std::pair{10, 10}, {51, 10}, {10, 51}, {51, 51}})
    EXPECT_FALSE(pad.At(x, y).IsMagenta()) << x << "," << y;
}

TEST(AssetPictures, MeadowIsCalmGreenWithASandPath) {
  const Bmp& b = Load("HG_bild/Karogrun.bmp");
  ASSERT_EQ(b.error, "");
  int green = 0, sand = 0;
  for (const Rgb& c : b.px) {
    green += c.g > c.r + 30 && c.g > c.b + 40;
    sand += c.r > 150 && c.g > 120 && c.b < c.g - 20 && c.r > c.g;
  }
  const double n = static_cast<double>(b.px.size());
  EXPECT_GT(green / n, 0.8);
  EXPECT_GT(sand / n, 0.02);
  EXPECT_LT(sand / n, 0.15);
  // The path must also show in the smallest scene (640 x 336, top left).
  int sandSmall = 0;
  for (int y = 0; y < 336; ++y)
    for (int x = 0; x < 640; ++x) {
      const Rgb& c = b.At(x, y);
      sandSmall += c.r > 150 && c.g > 120 && c.b < c.g - 20 && c.r > c.g;
    }
  EXPECT_GT(sandSmall, 640 * 336 / 50);
}

}  // namespace
}  // namespace assettest
