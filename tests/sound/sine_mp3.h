// Short MP3 files for the sound tests and benchmarks, encoded on the spot
// with libmp3lame so they do not depend on the generated music.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wimmel::test {

struct Sine {
  int32_t rate = 44100;
  int32_t channels = 2;
  int32_t frames = 44100;  // sample frames encoded
  double frequency = 440.0;
  double amplitude = 0.5;  // of full scale
};

// The encoded file, with the encoder's info frame so that a decoder can give
// the exact frame count back.
std::vector<uint8_t> EncodeSine(const Sine& sine);
// Writes bytes to path, creating missing folders; false on failure.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace wimmel::test
