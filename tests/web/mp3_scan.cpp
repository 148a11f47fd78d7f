// mp3_scan FILE...: opens each MP3 with the program's decoder and prints its
// length in frames as the scan found it and the frames that decoding
// delivered, so that two builds of the decoder can be compared line by
// line. (The samples themselves are not compared: libmpg123 computes them
// with the processor's vector code natively and with its portable C code on
// WebAssembly, which round differently in the last bits.)
#include <cstdint>
#include <cstdio>
#include <vector>

#include "sound/decoder.h"

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::FILE* file = std::fopen(argv[i], "rb");
    auto decoder = wimmel::sound::Mp3Decoder::Open(file);
    if (!decoder) {
      std::printf("%s: does not decode\n", argv[i]);
      status = 1;
      continue;
    }
    std::vector<int16_t> samples(4096 * wimmel::sound::kChannels);
    uint64_t frames = 0;
    while (!decoder->Finished()) {
      const int32_t got = decoder->Read(samples.data(), 4096);
      frames += static_cast<uint64_t>(got);
    }
    std::printf("%s: length %u, decoded %llu\n", argv[i], decoder->Length(),
                static_cast<unsigned long long>(frames));
  }
  return status;
}
