// The streams of the sound library and the mixing done in the audio callback.
// The program thread opens, starts, stops and asks; the audio thread calls
// Mix. Decoding happens in Mix, a callback's worth at a time, so a stream
// holds only its decoder and the short buffer it was primed with.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "sound/decoder.h"

namespace wimmel::sound {

// The source of stream handles for one run. Handles are never reused during
// a run, so a handle kept after its stream (or the whole library, and with
// it the mixer) was closed finds nothing instead of another stream.
class StreamHandles {
 public:
  // Never 0, which stands for no stream.
  uint32_t Next() {
    if (++last_ == 0) ++last_;
    return last_;
  }

 private:
  uint32_t last_ = 0;
};

class Mixer {
 public:
  // The streams added get their handles from `handles`, which must outlive
  // the mixer.
  Mixer(int32_t channels, StreamHandles& handles);
  ~Mixer();

  uint32_t Add(std::unique_ptr<Mp3Decoder> decoder);
  bool Remove(uint32_t handle);
  void RemoveAll();
  // Starts the stream on `channel` (-1: the lowest free one) after decoding
  // its first primeFrames; answers the channel, or -1. A stream that has
  // finished starts again from the beginning.
  int32_t Play(int32_t channel, uint32_t handle, int32_t primeFrames);
  // Stops the stream and rewinds it.
  bool Stop(uint32_t handle);
  // Frames the stream has delivered (its length once it has finished); 0 for
  // an unknown handle.
  uint32_t Position(uint32_t handle);
  uint32_t Length(uint32_t handle);
  bool Playing(uint32_t handle);

  // Fills out with `frames` interleaved stereo frames: the sum of all playing
  // streams, saturated. A stream that runs out stops by itself.
  void Mix(int16_t* out, int32_t frames);

 private:
  struct Stream;
  std::shared_ptr<Stream> Find(uint32_t handle);
  void Detach(Stream& stream);

  StreamHandles& handles_;
  std::mutex mutex_;
  std::map<uint32_t, std::shared_ptr<Stream>> streams_;
  std::vector<Stream*> channels_;  // the stream on each channel, or null
  std::vector<int32_t> sum_;
  std::vector<int16_t> decoded_;
};

}  // namespace wimmel::sound
