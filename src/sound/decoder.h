// One MP3 file opened for decoding, always as 44.1 kHz stereo 16-bit frames
// whatever the file holds, so the mixer never has to convert.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

#include "runtime/audio.h"

struct mpg123_handle_struct;

namespace wimmel::sound {

// The audio device's format, so that decoded frames go to it unchanged.
constexpr int32_t kRate = rt::kAudioRate;
constexpr int32_t kChannels = rt::kAudioChannels;

// What the scan of a file found out, so that opening the unchanged file again
// can do without one: the scan reads the whole file, which for a large one
// takes longer than the program may stand still.
struct Mp3Scan {
  uint32_t length = 0;  // sample frames; 0 when nothing is known
  // Whether the decoder cuts the encoder's delay and padding, as the file's
  // info frame gives them. The scan turns that off where the info frame does
  // not fit the file (a file cut short, a resampled one), which changes the
  // samples; a later open without a scan must decode the same.
  bool gapless = true;
};

class Mp3Decoder {
 public:
  // Opens the file of a program name (a backslash separates folders) and
  // scans it once for its exact length. Null when the file does not exist
  // (see rt::ProbeFile), is no MP3 the decoder can turn into the output
  // format, or holds no audio at all.
  static std::unique_ptr<Mp3Decoder> Open(std::string_view name);
  // The same for a file already open for reading, which the decoder takes
  // over (it is closed in every case). When the result is null, undecodable
  // (if given) tells whether the file's content was to blame, rather than a
  // lack of memory. With known, what an earlier scan of the unchanged file
  // found, the file is not scanned again.
  static std::unique_ptr<Mp3Decoder> Open(std::FILE* file, bool* undecodable = nullptr,
                                          const Mp3Scan* known = nullptr);
  ~Mp3Decoder();
  Mp3Decoder(const Mp3Decoder&) = delete;
  Mp3Decoder& operator=(const Mp3Decoder&) = delete;

  // Length in sample frames, as the scan found it (at most 2^32 - 1).
  uint32_t Length() const { return scan_.length; }
  // What the scan found, for the next open of the unchanged file.
  const Mp3Scan& Scan() const { return scan_; }
  // Decodes up to `frames` interleaved stereo frames into out and returns
  // how many it wrote. Fewer than asked only once the track is over (or the
  // file turned unreadable); Finished() tells which.
  int32_t Read(int16_t* out, int32_t frames);
  bool Finished() const { return finished_; }
  // Back to the first frame; false when the file can no longer be sought.
  bool Rewind();

 private:
  explicit Mp3Decoder(mpg123_handle_struct* handle) : handle_(handle) {}
  mpg123_handle_struct* handle_;
  std::FILE* file_ = nullptr;
  Mp3Scan scan_;
  bool finished_ = false;
};

}  // namespace wimmel::sound
