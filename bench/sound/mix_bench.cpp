// What the audio callback costs (decoding and mixing one device buffer) and
// how much memory an open stream holds.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "sine_mp3.h"
#include "sound/decoder.h"
#include "sound/mixer.h"
#include "test_files.h"

namespace {

using wimmel::sound::Mixer;
using wimmel::sound::Mp3Decoder;
using wimmel::sound::StreamHandles;

// Stereo tones of 10 s and of 3 min (the length of a real track), made once
// per run and removed at its end.
struct Tracks {
  std::string dir = wimmel::test::MakeTempFolder("bench").string();
  std::string shortTrack = Make("short.mp3", 10);
  std::string longTrack = Make("long.mp3", 180);
  std::string Make(const char* name, int32_t seconds) {
    wimmel::test::Sine tone;
    tone.frames = seconds * 44100;
    wimmel::test::WriteBytes(dir + "/" + name, wimmel::test::EncodeSine(tone));
    return dir + "/" + name;
  }
  ~Tracks() { std::filesystem::remove_all(dir); }
};

const Tracks& T() {
  static const Tracks tracks;
  return tracks;
}

const std::string& TrackPath() {
  return T().shortTrack;
}

// One callback of range(0) frames with range(1) streams playing.
void BM_Callback(benchmark::State& state) {
  const int32_t frames = static_cast<int32_t>(state.range(0));
  const int32_t count = static_cast<int32_t>(state.range(1));
  StreamHandles handles;
  Mixer mixer(32, handles);
  std::vector<uint32_t> streams;
  for (int32_t i = 0; i < count; ++i) {
    streams.push_back(mixer.Add(Mp3Decoder::Open(TrackPath())));
    mixer.Play(-1, streams.back(), 2205);
  }
  std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
  for (auto _ : state) {
    mixer.Mix(out.data(), frames);
    benchmark::DoNotOptimize(out.data());
    if (count > 0 && !mixer.Playing(streams[0])) {
      state.PauseTiming();
      for (uint32_t s : streams) mixer.Play(-1, s, 2205);
      state.ResumeTiming();
    }
  }
  // Seconds of audio produced per second of processor time.
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * frames / 44100.0, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Callback)->ArgsProduct({{256, 1024, 4096}, {0, 1, 2}})->Unit(benchmark::kMicrosecond);

size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;  // large blocks are mapped, not in the arena
}

// Argument 0: the 10 s track, 1: the 3 min one. Heap held per open decoder (the mpg123 handle with
// its buffers and the seek index of the scan), and per stream once playing (plus the primed 50 ms
// buffer).
void BM_StreamMemory(benchmark::State& state) {
  constexpr int kStreams = 16;
  const std::string& path = state.range(0) == 0 ? T().shortTrack : T().longTrack;
  double perDecoder = 0;
  double perStream = 0;
  for (auto _ : state) {
    const size_t base = HeapInUse();
    std::vector<std::unique_ptr<Mp3Decoder>> decoders;
    for (int i = 0; i < kStreams; ++i) decoders.push_back(Mp3Decoder::Open(path));
    perDecoder = static_cast<double>(HeapInUse() - base) / kStreams;
    decoders.clear();

    const size_t before = HeapInUse();
    {
      StreamHandles handles;
      Mixer mixer(32, handles);
      const size_t empty = HeapInUse();
      for (int i = 0; i < kStreams; ++i) {
        mixer.Play(-1, mixer.Add(Mp3Decoder::Open(path)), 2205);
      }
      perStream = static_cast<double>(HeapInUse() - empty) / kStreams;
    }
    benchmark::DoNotOptimize(before);
  }
  state.counters["bytes_per_decoder"] = perDecoder;
  state.counters["bytes_per_playing_stream"] = perStream;
}
BENCHMARK(BM_StreamMemory)->Arg(0)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

// The first opening of a stream scans the whole file for its exact length,
// on the program thread. Argument as above.
void BM_Open(benchmark::State& state) {
  const std::string& path = state.range(0) == 0 ? T().shortTrack : T().longTrack;
  for (auto _ : state) benchmark::DoNotOptimize(Mp3Decoder::Open(path));
}
BENCHMARK(BM_Open)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Every later opening of the unchanged file takes what the first scan found,
// which is what a track costs each time it starts: the same for the short
// and the long track.
void BM_OpenScanned(benchmark::State& state) {
  const std::string& path = state.range(0) == 0 ? T().shortTrack : T().longTrack;
  const wimmel::sound::Mp3Scan scan = Mp3Decoder::Open(path)->Scan();
  for (auto _ : state) {
    benchmark::DoNotOptimize(Mp3Decoder::Open(std::fopen(path.c_str(), "rb"), nullptr, &scan));
  }
}
BENCHMARK(BM_OpenScanned)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
