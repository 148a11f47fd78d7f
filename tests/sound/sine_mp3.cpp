#include "sine_mp3.h"

#include <lame/lame.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

namespace wimmel::test {

std::vector<uint8_t> EncodeSine(const Sine& sine) {
  lame_global_flags* lame = lame_init();
  lame_set_in_samplerate(lame, sine.rate);
  lame_set_out_samplerate(lame, sine.rate);
  lame_set_num_channels(lame, sine.channels);
  lame_set_mode(lame, sine.channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame, 128);
  lame_set_quality(lame, 7);
  lame_set_bWriteVbrTag(lame, 1);
  lame_init_params(lame);

  std::vector<short> left(static_cast<size_t>(sine.frames));
  std::vector<short> right(left.size());
  for (size_t i = 0; i < left.size(); ++i) {
    const double t = static_cast<double>(i) / sine.rate;
    const double v = sine.amplitude * 32767.0 * std::sin(2 * std::numbers::pi * sine.frequency * t);
    left[i] = static_cast<short>(std::lrint(v));
    right[i] = left[i];
  }
  std::vector<uint8_t> out(left.size() * 5 / 4 + 7200 + 16384);
  int written = lame_encode_buffer(lame, left.data(), right.data(), sine.frames, out.data(),
                                   static_cast<int>(out.size()));
  int tail = lame_encode_flush(lame, out.data() + written, static_cast<int>(out.size()) - written);
  out.resize(static_cast<size_t>(written + tail));
  // The info frame was reserved at the front; fill it in now that the
  // encoder knows the delay and padding.
  std::vector<uint8_t> tag(8192);
  const size_t tagSize = lame_get_lametag_frame(lame, tag.data(), tag.size());
  if (tagSize > 0 && tagSize <= out.size()) std::copy_n(tag.begin(), tagSize, out.begin());
  lame_close(lame);
  return out;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::filesystem::path p(path);
  std::error_code error;
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), error);
  std::ofstream file(p, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

}  // namespace wimmel::test
