// The real sound library on the runtime's audio device. The SDL device on the
// disk driver writes what it plays into a file, which sox measures; a driver
// that does not exist stands for a machine without sound.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

#include "runtime/audio.h"
#include "runtime/sdl/sdl_audio.h"
#include "screen_util.h"
#include "shared/settings.h"
#include "sine_mp3.h"
#include "sound/fsound.h"
#include "sound/musik.h"
#include "test_files.h"

namespace rt = wimmel::rt;

namespace wimmel {
namespace {

using Clock = std::chrono::steady_clock;

// Passes every call to the real library and remembers the newest stream.
class Spy final : public SoundLibrary {
 public:
  StreamHandle stream = 0;
  float GetVersion() override { return real_.GetVersion(); }
  uint8_t Init(int32_t rate, int32_t channels, uint32_t flags) override {
    return real_.Init(rate, channels, flags);
  }
  void Close() override { real_.Close(); }
  uint8_t SetBufferSize(int32_t ms) override { return real_.SetBufferSize(ms); }
  StreamHandle Open(const char* name, uint32_t mode, int32_t offset, int32_t length) override {
    stream = real_.Open(name, mode, offset, length);
    return stream;
  }
  int32_t Play(int32_t channel, StreamHandle s) override { return real_.Play(channel, s); }
  uint8_t Stop(StreamHandle s) override { return real_.Stop(s); }
  uint8_t CloseStream(StreamHandle s) override { return real_.CloseStream(s); }
  uint32_t GetPosition(StreamHandle s) override { return real_.GetPosition(s); }
  uint32_t GetLength(StreamHandle s) override { return real_.GetLength(s); }

 private:
  SoundLibrary& real_ = RealSoundLibrary();
};

struct SoxStat {
  double rms = -1;
  double samples = -1;
};

SoxStat RunSoxStat(const std::string& arguments) {
  SoxStat stat;
  FILE* pipe = popen(("sox " + arguments + " -n stat 2>&1").c_str(), "r");
  if (pipe == nullptr) return stat;
  std::string text;
  char buffer[512];
  while (fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
  pclose(pipe);
  // Lines look like "RMS     amplitude:     0.282843".
  auto value = [&text](std::string_view first, std::string_view second) {
    for (size_t at = text.find(first); at != std::string::npos; at = text.find(first, at + 1)) {
      const size_t colon = text.find(':', at);
      const size_t end = text.find('\n', at);
      if (colon == std::string::npos || colon > end) continue;
      if (text.substr(at, colon - at).find(second) == std::string::npos) continue;
      return std::strtod(text.c_str() + colon + 1, nullptr);
    }
    return -1.0;
  };
  stat.rms = value("RMS", "amplitude");
  stat.samples = value("Samples", "read");
  return stat;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// A device that plays only when the test calls its fill function, and checks
// at its end that the library closed it while the mixer behind that function
// still existed: the runtime destroys its device only after the library state
// has gone.
class HandDevice final : public rt::AudioDevice {
 public:
  ~HandDevice() override {
    if (open_) ADD_FAILURE() << "the audio device was still open when the runtime ended";
  }
  bool Open(int32_t frames, Fill fill) override {
    if (open_) return false;
    open_ = true;
    frames_ = frames;
    fill_ = std::move(fill);
    return true;
  }
  void Close() override {
    open_ = false;
    fill_ = nullptr;
  }

  bool open_ = false;
  int32_t frames_ = 0;
  Fill fill_;
};

class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::MakeTempFolder("device").string();
    ASSERT_FALSE(dir_.empty());
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    test::FreshScreen();
    SetSoundLibrary(&spy_);
  }
  void TearDown() override {
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(dir_);
  }

  void WriteIntro(int32_t frames) {
    test::Sine tone;
    tone.frames = frames;
    tone.amplitude = 0.4;
    ASSERT_TRUE(test::WriteBytes("musik/Qum1_I.mp3", test::EncodeSine(tone)));
  }

  // Gives the case's runtime an SDL audio device that plays into `file`.
  void UseDiskDriver(const std::string& file) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", (dir_ + "/" + file).c_str(), 1);
    rt::InstallAudioDevice(rt::sdl::MakeSdlAudioDevice());
  }

  Spy spy_;
  std::string dir_;
  std::filesystem::path previous_;
};

TEST_F(DeviceTest, IntroPlaysAtTheTracksLevelInRealTime) {
  if (std::system("sox --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "sox is missing";
  constexpr uint32_t kFrames = 66150;  // 1.5 s
  WriteIntro(kFrames);
  UseDiskDriver("intro.raw");
  const std::vector<uint8_t> before = test::Snapshot();

  ASSERT_EQ(Musik("Intro", "", 0), "OK");
  const Clock::time_point started = Clock::now();
  ASSERT_EQ(Settings().MusikStatus, 1);
  EXPECT_EQ(test::Snapshot(), before);
  const StreamHandle h = spy_.stream;
  ASSERT_NE(h, 0u);
  ASSERT_EQ(FSOUND_Stream_GetLength(h), kFrames);
  EXPECT_GT(FSOUND_Stream_GetPosition(h), 0u);

  // The position grows with the device, no faster than real time (plus the
  // primed buffer and a callback), and not far behind it.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const uint32_t p1 = FSOUND_Stream_GetPosition(h);
  const double t1 = Seconds(started);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  const uint32_t p2 = FSOUND_Stream_GetPosition(h);
  const double t2 = Seconds(started);
  EXPECT_LE(p1, t1 * 44100 * 1.02 + 2205 + 2048);
  EXPECT_LE(p2, t2 * 44100 * 1.02 + 2205 + 2048);
  EXPECT_GE(p2 - p1, 0.35 * 44100 * (t2 - t1)) << "the device hardly played";
  EXPECT_LT(p2, kFrames);

  while (FSOUND_Stream_GetPosition(h) < kFrames && Seconds(started) < 20) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_EQ(FSOUND_Stream_GetPosition(h), kFrames) << "the intro did not reach its end";
  EXPECT_GE(Seconds(started), 1.5 * 0.9) << "played faster than real time";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(FSOUND_Stream_GetPosition(h), kFrames) << "an ended stream stays at its length";
  Musik("MusikBeenden", "", 0);
  Musik("FmodBeenden", "", 0);

  // All of the track went out exactly once: the file holds the track's
  // energy, spread over the track and the silence around it.
  const SoxStat played = RunSoxStat("-t raw -r 44100 -e signed -b 16 -c 2 intro.raw");
  const SoxStat track = RunSoxStat("musik/Qum1_I.mp3");
  ASSERT_GT(played.samples, 2.0 * kFrames);
  ASSERT_GT(track.samples, 0);
  EXPECT_GT(played.rms, 0.05) << "silence was written";
  const double playedEnergy = played.rms * played.rms * played.samples;
  const double trackEnergy = track.rms * track.rms * track.samples;
  EXPECT_NEAR(playedEnergy / trackEnergy, 1.0, 0.05)
      << "played RMS " << played.rms << " over " << played.samples << " samples, track RMS "
      << track.rms << " over " << track.samples;
}

TEST_F(DeviceTest, MusikBeendenSilencesTheDevice) {
  constexpr uint32_t kFrames = 132300;  // 3 s, far longer than the test
  WriteIntro(kFrames);
  UseDiskDriver("stop.raw");
  ASSERT_EQ(Musik("Intro", "", 0), "OK");
  ASSERT_EQ(Settings().MusikStatus, 1);
  const StreamHandle h = spy_.stream;
  // Waits (at most 10 s) until the device has played past the primed buffer
  // and a callback.
  const Clock::time_point started = Clock::now();
  while (FSOUND_Stream_GetPosition(h) <= 2205u + 2 * 1024u && Seconds(started) < 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const uint32_t reached = FSOUND_Stream_GetPosition(h);
  EXPECT_GT(reached, 2205u + 1024u);

  Musik("MusikBeenden", "", 0);
  const size_t stoppedAt = std::filesystem::file_size(dir_ + "/stop.raw");
  EXPECT_EQ(FSOUND_Stream_GetLength(h), 0u) << "the stream is closed";
  // A callback may have been on its way to the file when the stream stopped.
  const size_t quietFrom = stoppedAt + 2 * 4096;
  // The device runs on: waits (at most 10 s) for four more callbacks' worth.
  const Clock::time_point stopped = Clock::now();
  while (std::filesystem::file_size(dir_ + "/stop.raw") <= quietFrom + 4 * 4096 &&
         Seconds(stopped) < 10) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  Musik("FmodBeenden", "", 0);

  const std::vector<uint8_t> bytes = ReadFile(dir_ + "/stop.raw");
  ASSERT_GT(bytes.size(), quietFrom + 4 * 4096) << "the device stopped running";
  EXPECT_TRUE(std::any_of(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(stoppedAt),
                          [](uint8_t b) { return b != 0; }));
  EXPECT_TRUE(std::all_of(bytes.begin() + static_cast<ptrdiff_t>(quietFrom), bytes.end(),
                          [](uint8_t b) { return b == 0; }))
      << "sound after MusikBeenden";
}

TEST_F(DeviceTest, NoUsableDeviceTurnsMusicOffWithTwoLines) {
  WriteIntro(4410);
  // A runtime without a device, as the program has on the headless display.
  EXPECT_EQ(FSOUND_Init(44100, 32, 0), 0);
  // A device that does not open, as on a machine without sound.
  setenv("SDL_AUDIODRIVER", "nonexistent", 1);
  rt::InstallAudioDevice(rt::sdl::MakeSdlAudioDevice());
  test::DrawMarker();
  EXPECT_EQ(Musik("Intro", "", 0), "OK");
  EXPECT_EQ(Settings().MusikStatus, -1);
  EXPECT_EQ(spy_.stream, 0u);
  const std::vector<uint8_t> shown = test::Snapshot();
  EXPECT_EQ(shown, test::ExpectedScreen(true, {"FEHLER: Kann Fmod nicht initialisieren!",
                                               "Schalte Sounds und Musik aus!"}));
  Settings().MusikStatus = 0;
  EXPECT_EQ(Musik("MusikAbspielen", "", 0), "OK");
  EXPECT_EQ(Settings().MusikStatus, 0) << "not tried again";
  // Without a device no stream opens either.
  EXPECT_EQ(FSOUND_Stream_Open("musik\\Qum1_I.mp3", FSOUND_MPEGACCURATE, 0, 0), 0u);
}

// The library opens the runtime's device on start-up, mixes its streams into
// what the device asks for and closes it again. The case ends with the intro
// playing: the library's state closes the device before its mixer goes, which
// HandDevice checks when the runtime ends.
TEST_F(DeviceTest, TheLibraryFillsTheRuntimesDeviceAndClosesItAtTheEnd) {
  WriteIntro(44100);
  auto owned = std::make_unique<HandDevice>();
  HandDevice& device = *owned;
  rt::InstallAudioDevice(std::move(owned));
  ASSERT_EQ(Musik("Intro", "", 0), "OK");
  ASSERT_EQ(Settings().MusikStatus, 1);
  ASSERT_TRUE(device.open_);
  EXPECT_EQ(device.frames_, 1024);
  ASSERT_TRUE(device.fill_);
  EXPECT_EQ(FSOUND_Stream_GetPosition(spy_.stream), 2205u) << "the primed 50 ms";
  std::vector<int16_t> out(4096 * 2, 0);
  device.fill_(out.data(), 4096);
  EXPECT_EQ(FSOUND_Stream_GetPosition(spy_.stream), 4096u) << "what the device took has played";
  EXPECT_TRUE(std::any_of(out.begin(), out.end(), [](int16_t s) { return s != 0; }))
      << "the intro was not mixed into the device's buffer";
  EXPECT_EQ(FSOUND_Init(44100, 32, 0), 1) << "a second start-up keeps the open device";
  EXPECT_TRUE(device.open_);

  // Closing the library closes the device; started again, the library opens
  // it anew, and the old stream's handle is not given out again.
  const StreamHandle first = spy_.stream;
  Musik("MusikBeenden", "", 0);
  Musik("FmodBeenden", "", 0);
  EXPECT_FALSE(device.open_);
  ASSERT_EQ(Musik("Intro", "", 0), "OK");
  ASSERT_EQ(Settings().MusikStatus, 1);
  EXPECT_TRUE(device.open_);
  EXPECT_NE(spy_.stream, 0u);
  EXPECT_NE(spy_.stream, first);
  EXPECT_EQ(FSOUND_Stream_GetLength(first), 0u);
}

}  // namespace
}  // namespace wimmel
