// Decoding, mixing and the virtual device, on files made in the test.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <vector>

#include "hang_guard.h"
#include "runtime/display.h"
#include "shared/settings.h"
#include "sine_mp3.h"
#include "sound/decoder.h"
#include "sound/fsound.h"
#include "sound/mixer.h"
#include "sound/musik.h"
#include "test_files.h"

namespace rt = wimmel::rt;

namespace wimmel {
namespace {

using sound::Mixer;
using sound::Mp3Decoder;
using test::Sine;

class StreamTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = test::MakeTempFolder("stream").string();
    ASSERT_FALSE(dir_.empty());
    Sine tone;
    tone.frames = 30000;
    ASSERT_TRUE(test::WriteBytes(dir_ + "/tone.mp3", test::EncodeSine(tone)));
    Sine loud = tone;
    loud.amplitude = 0.9;
    ASSERT_TRUE(test::WriteBytes(dir_ + "/loud.mp3", test::EncodeSine(loud)));
    Sine mono = tone;
    mono.channels = 1;
    ASSERT_TRUE(test::WriteBytes(dir_ + "/mono.mp3", test::EncodeSine(mono)));
    Sine low = tone;
    low.rate = 22050;
    low.frames = 11025;
    ASSERT_TRUE(test::WriteBytes(dir_ + "/low.mp3", test::EncodeSine(low)));
    ASSERT_TRUE(test::WriteBytes(dir_ + "/empty.mp3", {}));
    ASSERT_TRUE(test::WriteBytes(dir_ + "/text.mp3", std::vector<uint8_t>(5000, 'a')));
    std::filesystem::create_directories(dir_ + "/folder.mp3");
    ASSERT_EQ(::mkfifo((dir_ + "/pipe.mp3").c_str(), 0644), 0);
  }
  static void TearDownTestSuite() { std::filesystem::remove_all(dir_); }

  static std::string Path(const char* name) { return dir_ + "/" + name; }

  // Everything the decoder gives for a file, as interleaved samples.
  static std::vector<int16_t> DecodeAll(const char* name) {
    auto decoder = Mp3Decoder::Open(Path(name));
    std::vector<int16_t> all;
    if (!decoder) return all;
    std::vector<int16_t> chunk(1000 * 2);
    while (int32_t n = decoder->Read(chunk.data(), 1000)) {
      all.insert(all.end(), chunk.begin(), chunk.begin() + n * 2);
    }
    return all;
  }

  static std::string dir_;
  sound::StreamHandles handles_;
};
std::string StreamTest::dir_;

TEST_F(StreamTest, LengthIsTheExactDecodedFrameCount) {
  for (const char* name : {"tone.mp3", "mono.mp3"}) {
    auto decoder = Mp3Decoder::Open(Path(name));
    ASSERT_TRUE(decoder) << name;
    EXPECT_EQ(decoder->Length(), 30000u) << name;
    EXPECT_EQ(DecodeAll(name).size(), 30000u * 2) << name;
  }
  // Other rates come out at 44.1 kHz: twice the frames.
  auto low = Mp3Decoder::Open(Path("low.mp3"));
  ASSERT_TRUE(low);
  EXPECT_EQ(low->Length(), 22050u);
  EXPECT_EQ(DecodeAll("low.mp3").size(), 22050u * 2);
}

TEST_F(StreamTest, MonoIsPlayedOnBothSidesAndTheToneIsThere) {
  const std::vector<int16_t> mono = DecodeAll("mono.mp3");
  ASSERT_EQ(mono.size(), 60000u);
  int16_t peak = 0;
  for (size_t i = 0; i < mono.size(); i += 2) {
    ASSERT_EQ(mono[i], mono[i + 1]) << "frame " << i / 2;
    peak = std::max<int16_t>(peak, mono[i]);
  }
  EXPECT_NEAR(peak, 0.5 * 32767, 0.05 * 32767);
}

TEST_F(StreamTest, MissingAndUndecodableFilesAreRefused) {
  test::HangGuard guard(10);
  for (const char* name : {"missing.mp3", "empty.mp3", "text.mp3", "folder.mp3", "pipe.mp3"}) {
    EXPECT_FALSE(Mp3Decoder::Open(Path(name))) << name;
  }
  // A file cut short after its header: what is there plays, and the stream
  // still ends.
  std::vector<uint8_t> whole = test::EncodeSine(Sine{});
  whole.resize(whole.size() / 3);
  ASSERT_TRUE(test::WriteBytes(Path("cut.mp3"), whole));
  auto cut = Mp3Decoder::Open(Path("cut.mp3"));
  ASSERT_TRUE(cut);
  EXPECT_LT(cut->Length(), 44100u);
  std::vector<int16_t> chunk(4096 * 2);
  int64_t total = 0;
  while (int32_t n = cut->Read(chunk.data(), 4096)) total += n;
  EXPECT_TRUE(cut->Finished());
  EXPECT_EQ(total, int64_t{cut->Length()});
}

// What an earlier scan of the same file found spares the scan; the track
// decodes to the very same samples, also a file cut short or at another
// rate, where the scan changes how the decoder treats the file.
TEST_F(StreamTest, AnEarlierScanIsTakenWithoutScanningAgain) {
  std::vector<uint8_t> whole = test::EncodeSine(Sine{});
  whole.resize(whole.size() / 3);
  ASSERT_TRUE(test::WriteBytes(Path("cut2.mp3"), whole));
  for (const char* name : {"tone.mp3", "mono.mp3", "low.mp3", "cut2.mp3"}) {
    const sound::Mp3Scan scan = Mp3Decoder::Open(Path(name))->Scan();
    const std::vector<int16_t> scanned = DecodeAll(name);
    EXPECT_EQ(scanned.size(), size_t{scan.length} * 2) << name;
    auto decoder = Mp3Decoder::Open(std::fopen(Path(name).c_str(), "rb"), nullptr, &scan);
    ASSERT_TRUE(decoder) << name;
    EXPECT_EQ(decoder->Length(), scan.length) << name;
    std::vector<int16_t> all;
    std::vector<int16_t> chunk(1000 * 2);
    while (int32_t n = decoder->Read(chunk.data(), 1000)) {
      all.insert(all.end(), chunk.begin(), chunk.begin() + n * 2);
    }
    EXPECT_TRUE(all == scanned) << name << ": " << all.size() / 2 << " frames against "
                                << scanned.size() / 2 << " after a scan";
  }
  // The length given is the length reported: nothing scans the file.
  const sound::Mp3Scan given{12345, true};
  auto decoder = Mp3Decoder::Open(std::fopen(Path("tone.mp3").c_str(), "rb"), nullptr, &given);
  ASSERT_TRUE(decoder);
  EXPECT_EQ(decoder->Length(), 12345u);
}

TEST_F(StreamTest, MixDeliversTheDecodedSamplesAndCountsThem) {
  const std::vector<int16_t> reference = DecodeAll("tone.mp3");
  Mixer mixer(4, handles_);
  const uint32_t h = mixer.Add(Mp3Decoder::Open(Path("tone.mp3")));
  EXPECT_EQ(mixer.Position(h), 0u);
  EXPECT_EQ(mixer.Length(h), 30000u);
  EXPECT_EQ(mixer.Play(-1, h, 2205), 0);
  EXPECT_EQ(mixer.Position(h), 2205u) << "a started stream reports its primed buffer";

  std::vector<int16_t> out;
  std::vector<int16_t> block(1024 * 2);
  uint32_t mixed = 0;
  while (mixer.Playing(h)) {
    mixer.Mix(block.data(), 1024);
    out.insert(out.end(), block.begin(), block.end());
    mixed += 1024;
    EXPECT_EQ(mixer.Position(h), std::min<uint32_t>(std::max<uint32_t>(mixed, 2205), 30000));
    ASSERT_LT(mixed, 40000u) << "the stream did not stop at its end";
  }
  ASSERT_GE(out.size(), reference.size());
  EXPECT_TRUE(std::equal(reference.begin(), reference.end(), out.begin()));
  EXPECT_TRUE(std::all_of(out.begin() + static_cast<ptrdiff_t>(reference.size()), out.end(),
                          [](int16_t s) { return s == 0; }));
  // Over: it stays at its length and the mix is silent.
  mixer.Mix(block.data(), 1024);
  EXPECT_EQ(mixer.Position(h), 30000u);
  EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](int16_t s) { return s == 0; }));
  // Started again, it begins from the front.
  EXPECT_EQ(mixer.Play(-1, h, 100), 0);
  EXPECT_EQ(mixer.Position(h), 100u);
  mixer.Mix(block.data(), 1024);
  EXPECT_TRUE(std::equal(block.begin(), block.end(), reference.begin()));
}

TEST_F(StreamTest, TwoStreamsAreSummedAndSaturated) {
  const std::vector<int16_t> a = DecodeAll("loud.mp3");
  const std::vector<int16_t> b = DecodeAll("tone.mp3");
  Mixer mixer(2, handles_);
  const uint32_t ha = mixer.Add(Mp3Decoder::Open(Path("loud.mp3")));
  const uint32_t hb = mixer.Add(Mp3Decoder::Open(Path("tone.mp3")));
  EXPECT_EQ(mixer.Play(-1, ha, 0), 0);
  EXPECT_EQ(mixer.Play(-1, hb, 0), 1);
  std::vector<int16_t> block(4096 * 2);
  mixer.Mix(block.data(), 4096);
  bool clipped = false;
  for (size_t i = 0; i < block.size(); ++i) {
    const int32_t sum = int32_t{a[i]} + b[i];
    ASSERT_EQ(block[i], std::clamp(sum, -32768, 32767)) << "sample " << i;
    clipped = clipped || sum > 32767;
  }
  EXPECT_TRUE(clipped) << "the loud pair should have reached full scale";
}

TEST_F(StreamTest, StopRemoveAndChannels) {
  Mixer mixer(1, handles_);
  const uint32_t h = mixer.Add(Mp3Decoder::Open(Path("tone.mp3")));
  const uint32_t other = mixer.Add(Mp3Decoder::Open(Path("tone.mp3")));
  EXPECT_NE(h, 0u);
  EXPECT_NE(h, other);
  ASSERT_EQ(mixer.Play(-1, h, 500), 0);
  EXPECT_EQ(mixer.Play(-1, h, 500), 0) << "already playing";
  EXPECT_EQ(mixer.Play(-1, other, 500), -1) << "the only channel is taken";
  EXPECT_EQ(mixer.Play(1, other, 500), -1) << "no such channel";

  std::vector<int16_t> block(1024 * 2);
  mixer.Mix(block.data(), 1024);
  EXPECT_TRUE(mixer.Stop(h));
  EXPECT_EQ(mixer.Position(h), 0u);
  mixer.Mix(block.data(), 1024);
  EXPECT_TRUE(std::all_of(block.begin(), block.end(), [](int16_t s) { return s == 0; }));

  EXPECT_TRUE(mixer.Remove(h));
  EXPECT_FALSE(mixer.Remove(h));
  EXPECT_EQ(mixer.Position(h), 0u);
  EXPECT_EQ(mixer.Length(h), 0u);
  EXPECT_EQ(mixer.Play(-1, h, 0), -1);
  // A new stream never gets an old handle.
  const uint32_t fresh = mixer.Add(Mp3Decoder::Open(Path("tone.mp3")));
  EXPECT_NE(fresh, h);
  EXPECT_EQ(mixer.Play(-1, fresh, 0), 0);
  mixer.RemoveAll();
  EXPECT_EQ(mixer.Length(fresh), 0u);
  mixer.Mix(block.data(), 1024);
}

class VirtualDeviceTest : public StreamTest {
 protected:
  void SetUp() override {
    rt::headless::SetClock(100.0);
    UseVirtualSoundDevice();
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override { std::filesystem::current_path(previous_); }
  std::filesystem::path previous_;
};

TEST_F(VirtualDeviceTest, PositionFollowsTheClock) {
  EXPECT_EQ(FSOUND_Stream_Open("tone.mp3", FSOUND_MPEGACCURATE, 0, 0), 0u) << "not initialised";
  ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1);
  FSOUND_Stream_SetBufferSize(50);
  const StreamHandle h = FSOUND_Stream_Open(".\\tone.mp3", FSOUND_MPEGACCURATE, 0, 0);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(FSOUND_Stream_GetLength(h), 30000u);
  EXPECT_EQ(FSOUND_Stream_GetPosition(h), 0u);
  rt::headless::AdvanceClock(1.0);
  EXPECT_EQ(FSOUND_Stream_GetPosition(h), 0u) << "not started yet";
  EXPECT_EQ(FSOUND_Stream_Play(-1, h), 0);
  EXPECT_EQ(FSOUND_Stream_GetPosition(h), 2205u) << "the primed 50 ms";
  rt::headless::AdvanceClock(0.25);
  EXPECT_EQ(FSOUND_Stream_GetPosition(h), 11025u);
  rt::headless::AdvanceClock(0.5);
  EXPECT_EQ(FSOUND_Stream_GetPosition(h), 30000u);
  EXPECT_EQ(FSOUND_Stream_Play(-1, h), 0) << "a finished stream starts again";
  rt::headless::AdvanceClock(0.5);
  EXPECT_EQ(FSOUND_Stream_GetPosition(h), 22050u);
  EXPECT_EQ(FSOUND_Stream_Stop(h), 1);
  EXPECT_EQ(FSOUND_Stream_GetPosition(h), 0u);
  EXPECT_EQ(FSOUND_Stream_Close(h), 1);
  EXPECT_EQ(FSOUND_Stream_GetLength(h), 0u);
  test::HangGuard guard(10);
  for (const char* name : {"missing.mp3", "empty.mp3", "text.mp3", "folder.mp3", "pipe.mp3"}) {
    EXPECT_EQ(FSOUND_Stream_Open(name, FSOUND_MPEGACCURATE, 0, 0), 0u) << name;
  }
  // Closed and started again, the library gives out no old handle.
  FSOUND_Close();
  ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1);
  const StreamHandle again = FSOUND_Stream_Open("tone.mp3", FSOUND_MPEGACCURATE, 0, 0);
  EXPECT_NE(again, 0u);
  EXPECT_NE(again, h);
}

// The player asks for a track that failed to open again on every pass of the
// main loop. A file that does not decode is scanned once; the library then
// answers 0 at once until the file changes. Missing files never reach the
// decoder at all.
TEST_F(VirtualDeviceTest, AFileThatDoesNotDecodeIsScannedOnceUntilItChanges) {
  ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1);
  std::mt19937 random(7);
  auto noise = [&](size_t size) {
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
  };
  const char* const name = "musik\\Qum1_E.mp3";
  ASSERT_TRUE(test::WriteBytes("musik/Qum1_E.mp3", noise(20000)));
  auto open = [&] { return FSOUND_Stream_Open(name, FSOUND_MPEGACCURATE, 0, 0); };
  uint64_t scans = sound::FilesScanned();
  EXPECT_EQ(open(), 0u);
  EXPECT_EQ(sound::FilesScanned(), ++scans);
  for (int pass = 0; pass < 5; ++pass) EXPECT_EQ(open(), 0u);
  EXPECT_EQ(sound::FilesScanned(), scans) << "the unchanged file was scanned again";
  EXPECT_EQ(FSOUND_Stream_Open("musik\\Qum2_E.mp3", FSOUND_MPEGACCURATE, 0, 0), 0u);
  EXPECT_EQ(sound::FilesScanned(), scans) << "a missing file reached the decoder";

  // Written anew (other bytes, another length): tried again, once.
  ASSERT_TRUE(test::WriteBytes("musik/Qum1_E.mp3", noise(30000)));
  EXPECT_EQ(open(), 0u);
  EXPECT_EQ(open(), 0u);
  EXPECT_EQ(sound::FilesScanned(), ++scans);

  // A good file in its place plays, and keeps opening.
  std::filesystem::copy_file("tone.mp3", "musik/Qum1_E.mp3",
                             std::filesystem::copy_options::overwrite_existing);
  const StreamHandle h = open();
  EXPECT_NE(h, 0u);
  EXPECT_EQ(FSOUND_Stream_GetLength(h), 30000u);
  EXPECT_NE(open(), 0u);
  EXPECT_EQ(sound::FilesScanned(), scans + 1);
}

// Opening a track costs the same whatever its length: the exact length
// found by the first scan of a file is kept with the file's stamp, and the
// file is not scanned again until it changes.
TEST_F(VirtualDeviceTest, AnUnchangedTrackIsScannedOnlyOnce) {
  ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1);
  const char* const name = "musik\\Qum2_E.mp3";
  std::filesystem::create_directories("musik");
  std::filesystem::copy_file("tone.mp3", "musik/Qum2_E.mp3",
                             std::filesystem::copy_options::overwrite_existing);
  auto open = [&] { return FSOUND_Stream_Open(name, FSOUND_MPEGACCURATE, 0, 0); };
  const uint64_t scans = sound::FilesScanned();
  for (int pass = 0; pass < 4; ++pass) {
    const StreamHandle h = open();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(FSOUND_Stream_GetLength(h), 30000u);
    EXPECT_EQ(sound::FilesScanned(), scans + 1) << "opening " << pass + 1;
    FSOUND_Stream_Close(h);
  }
  // Another track under the same name is scanned anew, and its own length
  // kept from then on.
  Sine shorter;
  shorter.frames = 12345;
  ASSERT_TRUE(test::WriteBytes("musik/Qum2_E.mp3", test::EncodeSine(shorter)));
  for (int pass = 0; pass < 2; ++pass) {
    const StreamHandle h = open();
    ASSERT_NE(h, 0u);
    EXPECT_EQ(FSOUND_Stream_GetLength(h), 12345u);
    EXPECT_EQ(sound::FilesScanned(), scans + 2);
  }
  // A file that no longer decodes is refused, though a length was known for
  // its name.
  ASSERT_TRUE(test::WriteBytes("musik/Qum2_E.mp3", std::vector<uint8_t>(4000, 'a')));
  EXPECT_EQ(open(), 0u);
  std::filesystem::remove("musik/Qum2_E.mp3");
  EXPECT_EQ(open(), 0u);
}

// The program's own music, when the data has been generated: each track opens
// and plays through to exactly the length the scan reported.
TEST_F(VirtualDeviceTest, GeneratedMusicOpensWithItsExactLength) {
  const std::string musik = std::string(WIMMEL_DATA_DIR) + "/musik";
  if (!std::filesystem::exists(musik + "/Qum1_I.mp3")) GTEST_SKIP() << "no generated music";
  std::filesystem::current_path(WIMMEL_DATA_DIR);
  ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1);
  for (const char* track : {"Qum1_I.mp3", "Qum1_E.mp3", "Qum2_E.mp3", "Qum3_F.mp3"}) {
    const std::string name = std::string("musik\\") + track;
    const StreamHandle h = FSOUND_Stream_Open(name.c_str(), FSOUND_MPEGACCURATE, 0, 0);
    ASSERT_NE(h, 0u) << track;
    EXPECT_GT(FSOUND_Stream_GetLength(h), 10u * 44100) << track;
    auto decoder = Mp3Decoder::Open(musik + "/" + track);
    std::vector<int16_t> chunk(65536 * 2);
    int64_t total = 0;
    while (int32_t n = decoder->Read(chunk.data(), 65536)) total += n;
    EXPECT_EQ(total, int64_t{FSOUND_Stream_GetLength(h)}) << track;
  }
}

// The player on the virtual device: a track ends when the clock has passed
// its length, and the next frame's call starts another.
TEST_F(VirtualDeviceTest, ScenePlaysTrackAfterTrack) {
  for (const char* track : {"Qum1_E.mp3", "Qum2_E.mp3", "Qum3_F.mp3", "Qum1_I.mp3"}) {
    std::filesystem::create_directories("musik");
    std::filesystem::copy_file("tone.mp3", std::string("musik/") + track,
                               std::filesystem::copy_options::overwrite_existing);
  }
  Musik("Intro", "", 0);
  ASSERT_EQ(Settings().MusikStatus, 1);
  // The intro and every track last 0.68 s; at 20 ms a frame each ending is
  // seen 0.70 s after its start, so in 6 s the scene starts a track at 0.70,
  // 1.40, ... 5.60 s: eight draws.
  int32_t draws = 0;
  double last = rt::Random(0);
  for (int frame = 0; frame < 300; ++frame) {
    rt::headless::AdvanceClock(0.02);
    Musik("MusikAbspielen", "", 0);
    if (rt::Random(0) != last) ++draws;
    last = rt::Random(0);
  }
  EXPECT_EQ(draws, 8);
  Musik("MusikBeenden", "", 0);
  Musik("FmodBeenden", "", 0);
  EXPECT_EQ(Settings().MusikStatus, -1);
}

}  // namespace
}  // namespace wimmel
