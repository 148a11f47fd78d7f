#include "sound/fsound.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/runtime.h"
#include "sound/decoder.h"
#include "sound/mixer.h"

namespace wimmel {

namespace {

using sound::kChannels;
using sound::kRate;

constexpr float kVersion = 3.74f;
constexpr int32_t kDefaultBufferMs = 200;
constexpr int32_t kMaxBufferMs = 10000;
constexpr int32_t kMaxChannels = 1024;
constexpr uint16_t kDeviceFrames = 1024;  // about 23 ms per callback

int32_t BufferFrames(int32_t ms) {
  return static_cast<int32_t>(static_cast<int64_t>(ms) * kRate / 1000);
}

// What the real and the silent device share: the stream buffer size, and the
// opening of a file's decoder (0 unless the library is ready and it decodes).
class StreamLibrary : public SoundLibrary {
 public:
  uint8_t SetBufferSize(int32_t ms) override {
    if (ms <= 0 || ms > kMaxBufferMs) return 0;
    bufferMs_ = ms;
    return 1;
  }

 protected:
  std::unique_ptr<sound::Mp3Decoder> OpenDecoder(bool ready, const char* name) {
    if (!ready || name == nullptr) return nullptr;
    rt::FileStamp stamp;
    std::FILE* file = rt::OpenReadStream(name, &stamp);
    if (file == nullptr) return nullptr;
    // The music player tries a failed track again on every pass of the main
    // loop, and scanning a file that does not decode costs a millisecond or
    // more each time. Such a file is remembered by its name and stamp and
    // refused at once until it changes.
    const auto known = undecodable_.find(std::string_view(name));
    if (known != undecodable_.end() && known->second == stamp) {
      std::fclose(file);
      return nullptr;
    }
    bool undecodable = false;
    auto decoder = sound::Mp3Decoder::Open(file, &undecodable);
    if (decoder) {
      if (known != undecodable_.end()) undecodable_.erase(known);
    } else if (undecodable) {
      // The program plays four tracks; a bound keeps any other use small.
      if (undecodable_.size() >= kMaxUndecodable && known == undecodable_.end()) {
        undecodable_.clear();
      }
      undecodable_[name] = stamp;
    }
    return decoder;
  }

  int32_t bufferMs_ = kDefaultBufferMs;

 private:
  static constexpr size_t kMaxUndecodable = 64;
  std::map<std::string, rt::FileStamp, std::less<>> undecodable_;
};

// The real library: one SDL audio device whose callback mixes the streams.
class SdlSoundLibrary final : public StreamLibrary {
 public:
  float GetVersion() override { return kVersion; }

  uint8_t Init(int32_t mixrate, int32_t maxchannels, uint32_t flags) override {
    // Streams are decoded to 44.1 kHz whatever rate is asked for; SDL
    // converts to whatever the hardware wants.
    (void)mixrate;
    (void)flags;
    if (mixer_) return 1;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    auto mixer = std::make_unique<sound::Mixer>(std::clamp(maxchannels, 1, kMaxChannels));
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = kDeviceFrames;
    want.callback = &SdlSoundLibrary::Callback;
    want.userdata = mixer.get();
    // No changes allowed: the device takes exactly the mixer's format and SDL
    // converts behind it.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device_ == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return 0;
    }
    mixer_ = std::move(mixer);
    SDL_PauseAudioDevice(device_, 0);
    return 1;
  }

  void Close() override {
    if (!mixer_) return;
    // Closing the device ends the callback thread before the streams go.
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    mixer_.reset();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

  StreamHandle Open(const char* name, uint32_t mode, int32_t offset, int32_t length) override {
    (void)mode;
    (void)offset;
    (void)length;
    auto decoder = OpenDecoder(mixer_ != nullptr, name);
    if (!decoder) return 0;
    return mixer_->Add(std::move(decoder));
  }

  int32_t Play(int32_t channel, StreamHandle stream) override {
    if (!mixer_) return -1;
    return mixer_->Play(channel, stream, BufferFrames(bufferMs_));
  }
  uint8_t Stop(StreamHandle stream) override { return mixer_ && mixer_->Stop(stream); }
  uint8_t CloseStream(StreamHandle stream) override { return mixer_ && mixer_->Remove(stream); }
  uint32_t GetPosition(StreamHandle stream) override {
    return mixer_ ? mixer_->Position(stream) : 0;
  }
  uint32_t GetLength(StreamHandle stream) override { return mixer_ ? mixer_->Length(stream) : 0; }

 private:
  static void Callback(void* mixer, Uint8* out, int bytes) {
    static_cast<sound::Mixer*>(mixer)->Mix(reinterpret_cast<int16_t*>(out),
                                           bytes / static_cast<int>(sizeof(int16_t) * kChannels));
  }

  SDL_AudioDeviceID device_ = 0;
  std::unique_ptr<sound::Mixer> mixer_;
};

// The silent device of the headless runner. Streams are scanned with the real
// decoder for their length, then closed again; a playing stream's position is
// the runtime clock's time since its start, so music and the track choices
// made at its ends are as repeatable as the rest of a scripted run.
class VirtualSoundLibrary final : public StreamLibrary {
 public:
  float GetVersion() override { return kVersion; }

  uint8_t Init(int32_t mixrate, int32_t maxchannels, uint32_t flags) override {
    (void)mixrate;
    (void)flags;
    ready_ = true;
    channels_ = std::clamp(maxchannels, 1, kMaxChannels);
    return 1;
  }

  void Close() override {
    streams_.clear();
    ready_ = false;
  }

  StreamHandle Open(const char* name, uint32_t mode, int32_t offset, int32_t length) override {
    (void)mode;
    (void)offset;
    (void)length;
    auto decoder = OpenDecoder(ready_, name);
    if (!decoder) return 0;
    const StreamHandle handle = sound::NewStreamHandle();
    streams_[handle].length = decoder->Length();
    return handle;
  }

  int32_t Play(int32_t channel, StreamHandle stream) override {
    Stream* s = Find(stream);
    if (s == nullptr || channel < -1 || channel >= channels_) return -1;
    Update(*s);
    if (s->playing) return s->channel;
    if (channel == -1) {
      for (channel = 0; channel < channels_ && Taken(channel); ++channel) {
      }
      if (channel == channels_) return -1;
    } else {
      for (auto& [handle, other] : streams_) {
        if (other.playing && other.channel == channel) other.playing = false;
      }
    }
    s->playing = true;
    s->ended = false;
    s->channel = channel;
    s->start = rt::TimerSeconds();
    s->prime = std::min<uint32_t>(static_cast<uint32_t>(BufferFrames(bufferMs_)), s->length);
    return channel;
  }

  uint8_t Stop(StreamHandle stream) override {
    Stream* s = Find(stream);
    if (s == nullptr) return 0;
    s->playing = false;
    s->ended = false;
    return 1;
  }

  uint8_t CloseStream(StreamHandle stream) override { return streams_.erase(stream) > 0; }

  uint32_t GetPosition(StreamHandle stream) override {
    Stream* s = Find(stream);
    if (s == nullptr) return 0;
    Update(*s);
    if (s->ended) return s->length;
    if (!s->playing) return 0;
    return Played(*s);
  }

  uint32_t GetLength(StreamHandle stream) override {
    Stream* s = Find(stream);
    return s ? s->length : 0;
  }

 private:
  struct Stream {
    uint32_t length = 0;
    uint32_t prime = 0;
    double start = 0;
    int32_t channel = -1;
    bool playing = false;
    bool ended = false;
  };

  Stream* Find(StreamHandle stream) {
    auto it = streams_.find(stream);
    return it == streams_.end() ? nullptr : &it->second;
  }

  bool Taken(int32_t channel) {
    for (auto& [handle, s] : streams_) {
      Update(s);
      if (s.playing && s.channel == channel) return true;
    }
    return false;
  }

  // Frames played by now: at least the primed buffer, as with the real
  // device, and never more than the stream holds.
  uint32_t Played(const Stream& s) const {
    const double frames = std::floor((rt::TimerSeconds() - s.start) * kRate);
    if (!(frames < static_cast<double>(s.length))) return s.length;
    return std::max(s.prime, static_cast<uint32_t>(std::max(frames, 0.0)));
  }

  void Update(Stream& s) {
    if (s.playing && Played(s) >= s.length) {
      s.playing = false;
      s.ended = true;
    }
  }

  std::map<StreamHandle, Stream> streams_;
  bool ready_ = false;
  int32_t channels_ = 1;
};

// Never destroyed: an audio callback may still be running while the process
// tears down its statics.
SdlSoundLibrary& Real() {
  static SdlSoundLibrary* const library = new SdlSoundLibrary;
  return *library;
}

SoundLibrary* gLibrary = nullptr;

SoundLibrary& Library() {
  return gLibrary ? *gLibrary : Real();
}

}  // namespace

SoundLibrary& RealSoundLibrary() {
  return Real();
}

void SetSoundLibrary(SoundLibrary* library) {
  gLibrary = library;
}

void UseVirtualSoundDevice() {
  static VirtualSoundLibrary* library = new VirtualSoundLibrary;
  SetSoundLibrary(library);
}

float FSOUND_GetVersion() {
  return Library().GetVersion();
}
uint8_t FSOUND_Init(int32_t mixrate, int32_t maxchannels, uint32_t flags) {
  return Library().Init(mixrate, maxchannels, flags);
}
void FSOUND_Close() {
  Library().Close();
}
uint8_t FSOUND_Stream_SetBufferSize(int32_t ms) {
  return Library().SetBufferSize(ms);
}
StreamHandle FSOUND_Stream_Open(const char* name, uint32_t mode, int32_t offset, int32_t length) {
  return Library().Open(name, mode, offset, length);
}
int32_t FSOUND_Stream_Play(int32_t channel, StreamHandle stream) {
  return Library().Play(channel, stream);
}
uint8_t FSOUND_Stream_Stop(StreamHandle stream) {
  return Library().Stop(stream);
}
uint8_t FSOUND_Stream_Close(StreamHandle stream) {
  return Library().CloseStream(stream);
}
uint32_t FSOUND_Stream_GetPosition(StreamHandle stream) {
  return Library().GetPosition(stream);
}
uint32_t FSOUND_Stream_GetLength(StreamHandle stream) {
  return Library().GetLength(stream);
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
namespace sound {
struct LibraryState {};
}  // namespace sound
template class Owned<sound::LibraryState>;
}  // namespace wimmel
