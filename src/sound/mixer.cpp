#include "sound/mixer.h"

#include <algorithm>

namespace wimmel::sound {

// Fields other than decoder state are guarded by the mixer's mutex. The
// decoder and the primed buffer belong to the audio thread while the stream
// sits on a channel and to the program thread otherwise.
struct Mixer::Stream {
  std::unique_ptr<Mp3Decoder> decoder;
  uint32_t length = 0;
  std::vector<int16_t> primed;
  size_t primedUsed = 0;   // frames of primed already mixed
  uint64_t delivered = 0;  // frames taken from the decoder, primed ones included
  int32_t channel = -1;
  bool ended = false;
};

Mixer::Mixer(int32_t channels, StreamHandles& handles)
    : handles_(handles), channels_(static_cast<size_t>(std::max(channels, 1))) {
  sum_.reserve(4096 * kChannels);
  decoded_.reserve(4096 * kChannels);
}

Mixer::~Mixer() {
  RemoveAll();
}

std::shared_ptr<Mixer::Stream> Mixer::Find(uint32_t handle) {
  auto it = streams_.find(handle);
  return it == streams_.end() ? nullptr : it->second;
}

void Mixer::Detach(Stream& stream) {
  if (stream.channel >= 0) channels_[static_cast<size_t>(stream.channel)] = nullptr;
  stream.channel = -1;
}

uint32_t Mixer::Add(std::unique_ptr<Mp3Decoder> decoder) {
  auto stream = std::make_shared<Stream>();
  stream->length = decoder->Length();
  stream->decoder = std::move(decoder);
  // Handles are handed out on the program thread only, which is the one
  // that adds streams.
  const uint32_t handle = handles_.Next();
  std::lock_guard lock(mutex_);
  streams_[handle] = std::move(stream);
  return handle;
}

bool Mixer::Remove(uint32_t handle) {
  std::shared_ptr<Stream> doomed;
  {
    std::lock_guard lock(mutex_);
    auto it = streams_.find(handle);
    if (it == streams_.end()) return false;
    doomed = std::move(it->second);
    streams_.erase(it);
    Detach(*doomed);
  }
  // The decoder is freed here, outside the lock, so the audio thread never
  // waits for it.
  return true;
}

void Mixer::RemoveAll() {
  std::map<uint32_t, std::shared_ptr<Stream>> doomed;
  std::lock_guard lock(mutex_);
  doomed.swap(streams_);
  std::fill(channels_.begin(), channels_.end(), nullptr);
  for (auto& [handle, stream] : doomed) stream->channel = -1;
}

int32_t Mixer::Play(int32_t channel, uint32_t handle, int32_t primeFrames) {
  std::shared_ptr<Stream> stream;
  {
    std::lock_guard lock(mutex_);
    stream = Find(handle);
    if (!stream) return -1;
    if (stream->channel >= 0) return stream->channel;
    if (channel < -1 || channel >= static_cast<int32_t>(channels_.size())) return -1;
  }
  // Off its channel the stream is the program thread's alone, so the decoding
  // below runs without holding up the audio thread.
  if (stream->ended || stream->delivered > 0) {
    stream->decoder->Rewind();
    std::lock_guard lock(mutex_);
    stream->ended = false;
    stream->delivered = 0;
  }
  // The first buffer is decoded before the stream joins the mix, as a
  // streaming library fills its buffer on start; a started stream therefore
  // never reports position 0, which its callers take for "nothing playing".
  const int32_t prime = static_cast<int32_t>(
      std::clamp<int64_t>(primeFrames, 0, static_cast<int64_t>(stream->length)));
  stream->primed.resize(static_cast<size_t>(prime) * kChannels);
  const int32_t got = stream->decoder->Read(stream->primed.data(), prime);
  stream->primed.resize(static_cast<size_t>(got) * kChannels);
  stream->primedUsed = 0;

  std::lock_guard lock(mutex_);
  stream->delivered = static_cast<uint64_t>(got);
  if (channel == -1) {
    auto free = std::find(channels_.begin(), channels_.end(), nullptr);
    if (free == channels_.end()) return -1;
    channel = static_cast<int32_t>(free - channels_.begin());
  } else if (Stream* other = channels_[static_cast<size_t>(channel)]) {
    // A named channel is taken over, as a voice would be.
    Detach(*other);
  }
  channels_[static_cast<size_t>(channel)] = stream.get();
  stream->channel = channel;
  return channel;
}

bool Mixer::Stop(uint32_t handle) {
  std::shared_ptr<Stream> stream;
  {
    std::lock_guard lock(mutex_);
    stream = Find(handle);
    if (!stream) return false;
    Detach(*stream);
  }
  stream->decoder->Rewind();
  stream->primed.clear();
  stream->primedUsed = 0;
  std::lock_guard lock(mutex_);
  stream->delivered = 0;
  stream->ended = false;
  return true;
}

uint32_t Mixer::Position(uint32_t handle) {
  std::lock_guard lock(mutex_);
  auto stream = Find(handle);
  if (!stream) return 0;
  if (stream->ended) return stream->length;
  return static_cast<uint32_t>(std::min<uint64_t>(stream->delivered, stream->length));
}

uint32_t Mixer::Length(uint32_t handle) {
  std::lock_guard lock(mutex_);
  auto stream = Find(handle);
  return stream ? stream->length : 0;
}

bool Mixer::Playing(uint32_t handle) {
  std::lock_guard lock(mutex_);
  auto stream = Find(handle);
  return stream && stream->channel >= 0;
}

void Mixer::Mix(int16_t* out, int32_t frames) {
  if (frames <= 0) return;
  const size_t samples = static_cast<size_t>(frames) * kChannels;
  std::lock_guard lock(mutex_);
  sum_.assign(samples, 0);
  decoded_.resize(samples);
  for (Stream*& slot : channels_) {
    Stream* stream = slot;
    if (stream == nullptr) continue;
    int32_t filled = 0;
    const size_t primedLeft = stream->primed.size() / kChannels - stream->primedUsed;
    if (primedLeft > 0) {
      const int32_t n = static_cast<int32_t>(std::min<size_t>(primedLeft, frames));
      const int16_t* from = stream->primed.data() + stream->primedUsed * kChannels;
      for (size_t i = 0; i < static_cast<size_t>(n) * kChannels; ++i) sum_[i] += from[i];
      stream->primedUsed += static_cast<size_t>(n);
      filled = n;
    }
    if (filled < frames && !stream->decoder->Finished()) {
      const int32_t got = stream->decoder->Read(decoded_.data(), frames - filled);
      int32_t* to = sum_.data() + static_cast<size_t>(filled) * kChannels;
      for (size_t i = 0; i < static_cast<size_t>(got) * kChannels; ++i) to[i] += decoded_[i];
      filled += got;
      stream->delivered += static_cast<uint64_t>(got);
    }
    if (filled < frames) {
      // The decoder has nothing more: the stream has played to its end and
      // keeps reporting its length until it is started again.
      stream->ended = true;
      stream->channel = -1;
      slot = nullptr;
    }
  }
  for (size_t i = 0; i < samples; ++i) {
    out[i] = static_cast<int16_t>(std::clamp<int32_t>(sum_[i], INT16_MIN, INT16_MAX));
  }
}

}  // namespace wimmel::sound
