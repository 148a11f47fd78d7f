// The generator's building blocks: the sprite ray caster, the synthesizer
// and the compositions, checked on small cases where the right answer is
// known.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "contact.h"
#include "font.h"
#include "picture.h"
#include "render3d.h"
#include "songs.h"
#include "synth.h"

namespace assettest {
namespace {

using namespace assetgen;

double LumaOf(Rgb c) {
  return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

// A camera that maps world (u, v) one to one onto pixels around (cx, cy).
Camera Flat(double cx, double cy, double scale = 1.0) {
  Camera cam;
  cam.scale = scale;
  cam.ox = cx;
  cam.oy = cy;
  return cam;
}

TEST(AssetRenderer, SphereBecomesAnOutlinedDiscLitFromTheTopLeft) {
  const Picture p = Render({Sphere({0, 0, 0}, 10, Col{0.2, 0.4, 0.9})}, Flat(16, 16), 32, 32);
  int solid = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const double dx = x + 0.5 - 16, dy = y + 0.5 - 16, d = std::sqrt(dx * dx + dy * dy);
      if (d < 9.3) {
        EXPECT_FALSE(p.IsMask(x, y)) << x << "," << y;
      }
      if (d > 11.8) {
        EXPECT_TRUE(p.IsMask(x, y)) << x << "," << y;
      }
      solid += !p.IsMask(x, y);
    }
  // Disc of radius 10 plus a one-pixel rim: about pi * 11^2 pixels.
  EXPECT_NEAR(solid, kPi * 11 * 11, 40);
  EXPECT_GT(LumaOf(p.At(11, 11)), LumaOf(p.At(21, 21)) + 20);
  // The rim is dark and every pixel next to the mask colour belongs to it.
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      if (p.IsMask(x, y)) continue;
      const bool edge =
          p.IsMask(x - 1, y) || p.IsMask(x + 1, y) || p.IsMask(x, y - 1) || p.IsMask(x, y + 1);
      if (edge) {
        EXPECT_LT(LumaOf(p.At(x, y)), 45) << x << "," << y;
      }
    }
}

TEST(AssetRenderer, NearerSolidsCoverFartherOnesWhateverTheOrder) {
  // The camera looks down the negative z axis (tilted), so larger z is nearer.
  const Prim nearBox = Box(Frame{}, {0, 0, 20}, {6, 6, 6}, Col{0.9, 0.1, 0.1});
  const Prim farBox = Box(Frame{}, {0, 0, -20}, {6, 6, 6}, Col{0.1, 0.9, 0.1});
  Camera cam = Flat(20, 20);
  cam.elevation = 0;
  RenderStyle plain;
  plain.outline = false;
  plain.ambient = 1.0;
  plain.diffuse = 0.0;
  for (const auto& order :
       {std::vector<Prim>{nearBox, farBox}, std::vector<Prim>{farBox, nearBox}}) {
    const Picture p = Render(order, cam, 40, 40, plain);
    const Rgb c = p.At(20, 20);
    EXPECT_GT(c.r, 200);
    EXPECT_LT(c.g, 60);
    // The box is 12 wide: columns 14 to 25.
    EXPECT_TRUE(p.IsMask(13, 20));
    EXPECT_FALSE(p.IsMask(14, 20));
    EXPECT_FALSE(p.IsMask(25, 20));
    EXPECT_TRUE(p.IsMask(26, 20));
  }
}

TEST(AssetRenderer, CylinderAndLimbHaveTheirWidths) {
  Camera cam = Flat(20, 30);
  cam.elevation = 0;
  RenderStyle plain;
  plain.outline = false;
  const Picture cyl =
      Render({Frustum({0, 0, 0}, {0, 20, 0}, 5, 5, Col{0.5, 0.5, 0.5})}, cam, 40, 40, plain);
  const Picture cone =
      Render({Frustum({0, 0, 0}, {0, 20, 0}, 8, 2, Col{0.5, 0.5, 0.5})}, cam, 40, 40, plain);
  auto width = [](const Picture& p, int y) {
    int n = 0;
    for (int x = 0; x < p.w; ++x) n += !p.IsMask(x, y);
    return n;
  };
  EXPECT_EQ(width(cyl, 28), 10);
  EXPECT_EQ(width(cyl, 12), 10);
  EXPECT_EQ(width(cyl, 8), 0);  // above the top cap
  EXPECT_GT(width(cone, 28), width(cone, 14));
  const Picture limb =
      Render({Limb({-10, 0, 0}, {10, 0, 0}, 3, 3, Col{0.5, 0.5, 0.5})}, cam, 40, 40, plain);
  // A capsule: rounded ends reach three units past the axis ends.
  EXPECT_EQ(width(limb, 30), 26);
}

TEST(AssetRenderer, TightBoundsFollowTheDrawnShape) {
  Camera cam;
  const Bounds b = TightBounds({Sphere({3, 4, 0}, 5, Col{})}, cam, 0.25);
  EXPECT_NEAR(b.u0, -2, 0.3);
  EXPECT_NEAR(b.u1, 8, 0.3);
  const double v = 4 * std::cos(cam.elevation);
  EXPECT_NEAR(b.v0, v - 5, 0.3);
  EXPECT_NEAR(b.v1, v + 5, 0.3);
  // The cheap projected bounds may only be larger.
  const Bounds loose = ProjectedBounds({Frustum({0, 0, 0}, {0, 10, 0}, 4, 4, Col{})}, cam);
  const Bounds tight = TightBounds({Frustum({0, 0, 0}, {0, 10, 0}, 4, 4, Col{})}, cam, 0.25);
  EXPECT_LE(loose.v0, tight.v0);
  EXPECT_GE(loose.v1, tight.v1);
}

TEST(AssetPictureFiles, RgbBmpRoundTripsWithRowPadding) {
  Picture pic(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      pic.At(x, y) = {static_cast<uint8_t>(x * 40), static_cast<uint8_t>(y * 70), 17};
  const auto bytes = EncodeBmp(pic, BmpKind::kRgb24);
  ASSERT_EQ(bytes.size(), 54u + 16u * 3u);  // 15 bytes a row, padded to 16
  EXPECT_EQ(bytes[10], 54);
  // Bottom-up: the file's first row is the picture's last.
  EXPECT_EQ(bytes[54 + 2], 0);                 // red of (0, 2)
  EXPECT_EQ(bytes[54 + 1], 140);               // green of (0, 2)
  EXPECT_EQ(bytes[54 + 32 + 3 * 4 + 2], 160);  // red of (4, 0)
}

TEST(AssetPictureFiles, ContactSheetNeverShowsMagenta) {
  Picture pic(10, 6);
  pic.At(3, 3) = {10, 200, 30};
  Picture strip(40, 10);
  strip.At(25, 5) = {200, 10, 30};
  const Picture sheet = ContactSheet({{"ONE", &pic, 2, 0}, {"STRIP", &strip, 2, 10}}, 300);
  int green = 0, red = 0;
  for (const Rgb& c : sheet.px) {
    ASSERT_FALSE(c == kMagenta);
    green += c == Rgb{10, 200, 30};
    red += c == Rgb{200, 10, 30};
  }
  EXPECT_EQ(green, 4);  // one pixel at 2x
  EXPECT_EQ(red, 4);
}

TEST(AssetPictureFiles, FontDrawsLettersAndSkipsUnknownOnes) {
  EXPECT_EQ(TextWidth("WIMMEL"), 6 * 6 - 1);
  EXPECT_EQ(TextWidth("AB", 2), 2 * 12 - 2);
  Picture p(40, 10, Rgb{0, 0, 0});
  DrawText(p, 1, 1, "I~", Rgb{255, 255, 255});
  int lit = 0;
  for (const Rgb& c : p.px) lit += c.r == 255;
  int expected = 0;
  for (int y = 0; y < kGlyphH; ++y)
    for (int x = 0; x < kGlyphW; ++x) expected += GlyphPixel('I', x, y);
  EXPECT_EQ(lit, expected);
  EXPECT_TRUE(GlyphPixel('w', 0, 0));  // lower case is drawn as capitals
}

// ---------------------------------------------------------------------------

Song OneNote(Instrument in, double start, double length) {
  Song s;
  s.instruments = {in};
  s.notes = {{start, length, 69, 1.0, 0}};
  s.length = 1.0;
  s.echoLevel = 0;
  return s;
}

TEST(AssetSynth, NotesStartAndEndWithoutClicks) {
  for (auto wave : {Instrument::Wave::kPulse, Instrument::Wave::kSaw, Instrument::Wave::kTriangle,
                    Instrument::Wave::kBell, Instrument::Wave::kKick, Instrument::Wave::kSnare}) {
    Instrument in;
    in.wave = wave;
    in.gain = 0.5;
    const Stereo m = RenderSong(OneNote(in, 0.2, 0.3), false);
    const size_t at = static_cast<size_t>(0.2 * kSampleRate);
    double peak = 0;
    size_t last = 0;
    for (size_t i = 0; i < m.left.size(); ++i) {
      peak = std::max(peak, double{std::fabs(m.left[i])});
      if (m.left[i] != 0.0f) last = i;
    }
    ASSERT_GT(peak, 0.05) << static_cast<int>(wave);
    EXPECT_EQ(m.left[at - 1], 0.0f) << "nothing sounds before the note";
    EXPECT_LT(std::fabs(m.left[at + 1]), 0.2 * peak)
        << static_cast<int>(wave) << " starts with a jump";
    // The sound dies away instead of being cut off.
    double tail = 0;
    for (size_t i = last - kSampleRate / 200; i <= last; ++i)
      tail = std::max(tail, double{std::fabs(m.left[i])});
    EXPECT_LT(tail, 0.05 * peak) << static_cast<int>(wave) << " ends abruptly";
    EXPECT_LT(last, m.left.size() - kSampleRate / 20) << "a short silence closes the track";
  }
}

TEST(AssetSynth, NormalisedMixPeaksAtMinusTwoDecibels) {
  Song s;
  Instrument kick;
  kick.wave = Instrument::Wave::kKick;
  kick.gain = 3.0;  // far too loud on purpose
  Instrument pad;
  pad.wave = Instrument::Wave::kTriangle;
  pad.gain = 0.2;
  s.instruments = {kick, pad};
  for (int k = 0; k < 8; ++k) s.notes.push_back({0.25 * k, 0.1, 40, 1.0, 0});
  s.notes.push_back({0.0, 2.0, 64, 1.0, 1});
  s.length = 2.0;
  const Stereo m = RenderSong(s);
  const Levels lv = Measure(m);
  EXPECT_LE(20 * std::log10(lv.peak), -2.0 + 1e-6);
  EXPECT_GT(20 * std::log10(lv.peak), -2.5);
  EXPECT_GT(m.left.size(), static_cast<size_t>(2.0 * kSampleRate));
}

TEST(AssetSynth, LoopedSongsWrapTheirTailToTheStart) {
  Instrument in;
  in.wave = Instrument::Wave::kTriangle;
  in.release = 0.4;
  Song s = OneNote(in, 0.7, 0.25);  // rings on past the end at 1.0 s
  s.loop = true;
  const Stereo m = RenderSong(s, false);
  ASSERT_EQ(m.left.size(), static_cast<size_t>(kSampleRate));
  double head = 0;
  for (size_t i = 0; i < 2000; ++i) head = std::max(head, double{std::fabs(m.left[i])});
  EXPECT_GT(head, 0.001) << "the release should continue at the start";
}

// ---------------------------------------------------------------------------

// The major key whose scale covers most of the track's notes.
int KeyOf(const Song& s, double* coverage) {
  std::map<int, int> count;
  for (const Note& n : s.notes) {
    const Instrument::Wave w = s.instruments[n.instrument].wave;
    if (w == Instrument::Wave::kKick || w == Instrument::Wave::kSnare ||
        w == Instrument::Wave::kHat || w == Instrument::Wave::kOpenHat ||
        w == Instrument::Wave::kBrush)
      continue;
    ++count[static_cast<int>(std::nearbyint(n.pitch)) % 12];
  }
  int best = 0, bestIn = -1, total = 0;
  for (auto& [pc, c] : count) total += c;
  for (int key = 0; key < 12; ++key) {
    int in = 0;
    for (int step : {0, 2, 4, 5, 7, 9, 11}) in += count[(key + step) % 12];
    if (in > bestIn) bestIn = in, best = key;
  }
  *coverage = total ? double(bestIn) / total : 0;
  return best;
}

TEST(AssetSongs, FourTracksInDifferentKeysWithTheirOwnSounds) {
  const auto tracks = AllTracks();
  ASSERT_EQ(tracks.size(), 4u);
  std::set<int> keys;
  std::set<std::vector<int>> sounds;
  for (const Track& t : tracks) {
    double coverage = 0;
    keys.insert(KeyOf(t.song, &coverage));
    EXPECT_GT(coverage, 0.9) << t.file << " wanders out of its key";
    std::vector<int> waves;
    for (const Instrument& in : t.song.instruments) waves.push_back(static_cast<int>(in.wave));
    std::sort(waves.begin(), waves.end());
    sounds.insert(waves);
    for (const Note& n : t.song.notes) {
      EXPECT_GE(n.start, 0) << t.file;
      EXPECT_LE(n.start + n.length, t.song.length + 1e-6) << t.file;
      EXPECT_GE(n.pitch, 28) << t.file;
      EXPECT_LE(n.pitch, 100) << t.file;
      EXPECT_LT(n.instrument, static_cast<int>(t.song.instruments.size())) << t.file;
    }
  }
  EXPECT_EQ(keys.size(), 4u);
  EXPECT_EQ(sounds.size(), 4u);
  EXPECT_TRUE(tracks[0].song.loop) << "the intro restarts when it ends";
  for (size_t i = 1; i < 4; ++i) EXPECT_FALSE(tracks[i].song.loop);
}

}  // namespace
}  // namespace assettest
