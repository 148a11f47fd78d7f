// The generated music decoded with libmpg123, as the program's player will
// decode it: format, length, loudness, peaks and gaps.

#include <gtest/gtest.h>
#include <mpg123.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "bmp_file.h"

namespace assettest {
namespace {

struct Decoded {
  std::string error;
  long rate = 0;
  int channels = 0;
  int bitrate = 0;
  bool constant = true;    // every frame has the same bit rate
  std::vector<float> pcm;  // interleaved
  double Seconds() const { return channels ? pcm.size() / double(channels) / rate : 0; }
};

Decoded Decode(const std::string& path) {
  Decoded d;
  int err = MPG123_OK;
  mpg123_handle* mh = mpg123_new(nullptr, &err);
  if (!mh) return d.error = "mpg123_new failed", d;
  // Floats show an overshoot past full scale instead of clipping it away.
  // Only 44.1 kHz is accepted, so a file at another rate fails to decode.
  mpg123_format_none(mh);
  mpg123_format(mh, 44100, MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
  if (mpg123_open(mh, path.c_str()) != MPG123_OK) {
    mpg123_delete(mh);
    return d.error = "cannot open", d;
  }
  int enc = 0;
  if (mpg123_getformat(mh, &d.rate, &d.channels, &enc) != MPG123_OK) {
    mpg123_delete(mh);
    return d.error = "not decodable as 44.1 kHz", d;
  }
  std::vector<unsigned char> buf(1 << 16);
  for (;;) {
    size_t got = 0;
    const int r = mpg123_read(mh, buf.data(), buf.size(), &got);
    const float* f = reinterpret_cast<const float*>(buf.data());
    d.pcm.insert(d.pcm.end(), f, f + got / sizeof(float));
    mpg123_frameinfo info;
    if (mpg123_info(mh, &info) == MPG123_OK && info.bitrate > 0) {
      if (d.bitrate == 0) d.bitrate = info.bitrate;
      if (info.bitrate != d.bitrate || info.vbr != MPG123_CBR) d.constant = false;
    }
    if (r == MPG123_DONE) break;
    if (r != MPG123_OK && r != MPG123_NEW_FORMAT) {
      d.error = "decoding failed";
      break;
    }
  }
  mpg123_close(mh);
  mpg123_delete(mh);
  return d;
}

const Decoded& Track(const std::string& name) {
  static std::map<std::string, Decoded> cache;
  auto it = cache.find(name);
  if (it == cache.end()) it = cache.emplace(name, Decode(DataDir() + "/musik/" + name)).first;
  return it->second;
}

double Db(double v) {
  return 20.0 * std::log10(std::max(v, 1e-12));
}

double Rms(const Decoded& d, size_t from, size_t to) {
  double sum = 0;
  for (size_t i = from; i < to; ++i) sum += double{d.pcm[i]} * d.pcm[i];
  return to > from ? std::sqrt(sum / static_cast<double>(to - from)) : 0;
}

struct Case {
  const char* file;
  double minSeconds, maxSeconds;
};
const Case kTracks[] = {{"Qum1_I.mp3", 25, 40},
                        {"Qum1_E.mp3", 60, 120},
                        {"Qum2_E.mp3", 60, 120},
                        {"Qum3_F.mp3", 60, 120}};

TEST(AssetMusic, TracksDecodeAsCdQualityStereoOfTheirStatedLength) {
  for (const Case& c : kTracks) {
    const Decoded& d = Track(c.file);
    ASSERT_EQ(d.error, "") << c.file;
    EXPECT_EQ(d.rate, 44100) << c.file;
    EXPECT_EQ(d.channels, 2) << c.file;
    EXPECT_GE(d.bitrate, 160) << c.file;
    EXPECT_LE(d.bitrate, 192) << c.file;
    EXPECT_TRUE(d.constant) << c.file << " should have a constant bit rate";
    EXPECT_GE(d.Seconds(), c.minSeconds) << c.file;
    EXPECT_LE(d.Seconds(), c.maxSeconds) << c.file;
  }
}

TEST(AssetMusic, TracksAreAudibleAndNeverClip) {
  for (const Case& c : kTracks) {
    const Decoded& d = Track(c.file);
    ASSERT_EQ(d.error, "") << c.file;
    double peak = 0;
    int run = 0, longestRun = 0;
    for (float s : d.pcm) {
      peak = std::max(peak, double{std::fabs(s)});
      run = std::fabs(s) >= 0.999f ? run + 1 : 0;
      longestRun = std::max(longestRun, run);
    }
    EXPECT_LE(Db(peak), -1.0) << c.file << " peak";
    EXPECT_GE(Db(peak), -3.0) << c.file << " should be normalised close to full scale";
    EXPECT_EQ(longestRun, 0) << c.file << " has full-scale samples";
    EXPECT_GT(Db(Rms(d, 0, d.pcm.size())), -24.0) << c.file << " is too quiet";
  }
}

// A second of near silence anywhere but in the closing fade is a gap.
TEST(AssetMusic, TracksHaveNoSilentStretches) {
  for (const Case& c : kTracks) {
    const Decoded& d = Track(c.file);
    ASSERT_EQ(d.error, "") << c.file;
    const size_t window = 2 * 44100;
    const size_t end = d.pcm.size() > 3 * window ? d.pcm.size() - 2 * window : 0;
    for (size_t at = 0; at + window <= end; at += window / 2)
      ASSERT_GT(Db(Rms(d, at, at + window)), -40.0)
          << c.file << " is silent around " << at / 2 / 44100.0 << " s";
  }
}

// The start screen restarts the intro as soon as it ends: it must neither
// fade out nor start from silence, and the wrap must not jump.
TEST(AssetMusic, IntroLoopsWithoutAJolt) {
  const Decoded& d = Track("Qum1_I.mp3");
  ASSERT_EQ(d.error, "");
  ASSERT_GT(d.pcm.size(), 44100u * 2);
  const size_t quarter = 44100 / 2;  // a quarter second of stereo samples
  const double head = Db(Rms(d, 0, quarter)),
               tail = Db(Rms(d, d.pcm.size() - quarter, d.pcm.size()));
  EXPECT_GT(head, -36.0);
  EXPECT_GT(tail, -36.0);
  EXPECT_LT(std::fabs(head - tail), 12.0);
  for (int ch = 0; ch < 2; ++ch)
    EXPECT_LT(std::fabs(d.pcm[d.pcm.size() - 2 + ch] - d.pcm[ch]), 0.25) << "channel " << ch;
}

}  // namespace
}  // namespace assettest
