#include "sound/fsound.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "runtime/audio.h"
#include "runtime/runtime.h"
#include "sound/decoder.h"
#include "sound/mixer.h"

namespace wimmel {
namespace sound {
namespace {

constexpr float kVersion = 3.74f;
constexpr int32_t kDefaultBufferMs = 200;
constexpr int32_t kMaxBufferMs = 10000;
constexpr int32_t kMaxChannels = 1024;
constexpr int32_t kDeviceFrames = 1024;  // about 23 ms per callback

int32_t BufferFrames(int32_t ms) {
  return static_cast<int32_t>(static_cast<int64_t>(ms) * kRate / 1000);
}

// Opens the decoders of the streams by their program file names. Finding a
// track's exact length means decoding the whole file, which for a large file
// would hold the program up every time the track starts; so the length found
// by a file's first scan is kept with the file's stamp and taken again while
// the file is unchanged. The music player also tries a failed track again on
// every pass of the main loop, so a file that does not decode is remembered
// by its name and stamp as well and refused at once until it changes.
class TrackFiles {
 public:
  std::unique_ptr<Mp3Decoder> Open(const char* name) {
    rt::FileStamp stamp;
    std::FILE* file = rt::OpenReadStream(name, &stamp);
    if (file == nullptr) return nullptr;
    const auto found = known_.find(std::string_view(name));
    const bool unchanged = found != known_.end() && found->second.stamp == stamp;
    if (unchanged && found->second.scan.length == 0) {
      std::fclose(file);
      return nullptr;
    }
    const Mp3Scan* scan = unchanged ? &found->second.scan : nullptr;
    if (scan == nullptr) ++scans_;
    bool undecodable = false;
    auto decoder = Mp3Decoder::Open(file, &undecodable, scan);
    if (decoder) {
      Remember(name, {stamp, decoder->Scan()});
    } else if (undecodable) {
      Remember(name, {stamp, {}});
    } else if (found != known_.end()) {
      // Not the file's fault (no memory): nothing is known of it now.
      known_.erase(found);
    }
    return decoder;
  }

  uint64_t Scans() const { return scans_; }

 private:
  // What a scan found out about a file; a length of 0 when it did not decode.
  struct Known {
    rt::FileStamp stamp;
    Mp3Scan scan;
  };

  void Remember(const char* name, Known known) {
    // The program plays four tracks; a bound keeps any other use small.
    if (known_.size() >= kMaxKnown && known_.find(std::string_view(name)) == known_.end()) {
      known_.clear();
    }
    known_[name] = known;
  }

  static constexpr size_t kMaxKnown = 64;
  std::map<std::string, Known, std::less<>> known_;
  uint64_t scans_ = 0;
};

// What the real and the silent device share: the stream buffer size, and the
// opening of a file's decoder (0 unless the library is ready and it decodes).
class StreamLibrary : public SoundLibrary {
 public:
  StreamLibrary(TrackFiles& files, StreamHandles& handles) : handles_(handles), files_(files) {}

  uint8_t SetBufferSize(int32_t ms) override {
    if (ms <= 0 || ms > kMaxBufferMs) return 0;
    bufferMs_ = ms;
    return 1;
  }

 protected:
  std::unique_ptr<Mp3Decoder> OpenDecoder(bool ready, const char* name) {
    if (!ready || name == nullptr) return nullptr;
    return files_.Open(name);
  }

  StreamHandles& handles_;
  int32_t bufferMs_ = kDefaultBufferMs;

 private:
  TrackFiles& files_;
};

// The real library: the runtime's audio device, filled by a mixer of the
// streams. Without a device, or when it does not open, Init answers 0.
class DeviceSoundLibrary final : public StreamLibrary {
 public:
  using StreamLibrary::StreamLibrary;
  // The device's thread reads the mixer; it must have stopped before the
  // mixer and its decoders go.
  ~DeviceSoundLibrary() override { Close(); }
  DeviceSoundLibrary(const DeviceSoundLibrary&) = delete;
  DeviceSoundLibrary& operator=(const DeviceSoundLibrary&) = delete;

  float GetVersion() override { return kVersion; }

  uint8_t Init(int32_t mixrate, int32_t maxchannels, uint32_t flags) override {
    // Streams are decoded to 44.1 kHz whatever rate is asked for; the device
    // converts to whatever the hardware wants.
    (void)mixrate;
    (void)flags;
    if (mixer_) return 1;
    rt::AudioDevice* device = rt::CurrentAudioDevice();
    if (device == nullptr) return 0;
    auto mixer = std::make_unique<Mixer>(std::clamp(maxchannels, 1, kMaxChannels), handles_);
    Mixer* filler = mixer.get();
    if (!device->Open(kDeviceFrames,
                      [filler](int16_t* out, int32_t frames) { filler->Mix(out, frames); })) {
      return 0;
    }
    mixer_ = std::move(mixer);
    return 1;
  }

  void Close() override {
    if (!mixer_) return;
    // Closing the device ends its thread before the streams go.
    if (rt::AudioDevice* device = rt::CurrentAudioDevice()) device->Close();
    mixer_.reset();
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
  std::unique_ptr<Mixer> mixer_;
};

// The silent device of the headless runner. Streams are scanned with the real
// decoder for their length, then closed again; a playing stream's position is
// the runtime clock's time since its start, so music and the track choices
// made at its ends are as repeatable as the rest of a scripted run.
class VirtualSoundLibrary final : public StreamLibrary {
 public:
  using StreamLibrary::StreamLibrary;

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
    const StreamHandle handle = handles_.Next();
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

}  // namespace

// The library layer of one run. Both libraries draw on one source of stream
// handles and one memory of the files scanned, so that a handle stays unique
// across a switch and no file is scanned again by the other.
struct LibraryState {
  StreamHandles handles;
  TrackFiles files;
  DeviceSoundLibrary device{files, handles};
  VirtualSoundLibrary silent{files, handles};
  // Where the FSOUND_ calls go; never null.
  SoundLibrary* chosen = &device;
};

uint64_t FilesScanned() {
  return SoundLibraryModule::Get().files.Scans();
}

}  // namespace sound

namespace {

SoundLibrary& Library() {
  return *SoundLibraryModule::Get().chosen;
}

}  // namespace

SoundLibrary& RealSoundLibrary() {
  return SoundLibraryModule::Get().device;
}

void SetSoundLibrary(SoundLibrary* library) {
  sound::LibraryState& state = SoundLibraryModule::Get();
  state.chosen = library != nullptr ? library : &state.device;
}

void UseVirtualSoundDevice() {
  sound::LibraryState& state = SoundLibraryModule::Get();
  state.chosen = &state.silent;
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
template class Owned<sound::LibraryState>;
}  // namespace wimmel
