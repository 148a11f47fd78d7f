#include "runtime/sdl/sdl_audio.h"

#include <SDL.h>

#include <utility>

namespace wimmel::rt::sdl {
namespace {

constexpr int kFrameBytes = static_cast<int>(sizeof(int16_t)) * kAudioChannels;

class SdlAudioDevice final : public AudioDevice {
 public:
  SdlAudioDevice() = default;
  ~SdlAudioDevice() override { Close(); }
  SdlAudioDevice(const SdlAudioDevice&) = delete;
  SdlAudioDevice& operator=(const SdlAudioDevice&) = delete;

  bool Open(int32_t frames, Fill fill) override {
    if (device_ != 0 || !fill || frames <= 0 || frames > UINT16_MAX) return false;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    fill_ = std::move(fill);
    SDL_AudioSpec want{};
    want.freq = kAudioRate;
    want.format = AUDIO_S16SYS;
    want.channels = kAudioChannels;
    want.samples = static_cast<Uint16>(frames);
    want.callback = &SdlAudioDevice::Callback;
    want.userdata = this;
    // No changes allowed: the device takes exactly the runtime's format and
    // SDL converts behind it to whatever the hardware wants.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    if (device_ == 0) {
      fill_ = nullptr;
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
  }

  void Close() override {
    if (device_ == 0) return;
    // SDL waits for a callback under way and ends the device's thread here,
    // so the fill function is free to go afterwards.
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    fill_ = nullptr;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }

 private:
  static void SDLCALL Callback(void* self, Uint8* out, int bytes) {
    static_cast<SdlAudioDevice*>(self)->fill_(reinterpret_cast<int16_t*>(out), bytes / kFrameBytes);
  }

  SDL_AudioDeviceID device_ = 0;
  Fill fill_;
};

}  // namespace

std::unique_ptr<AudioDevice> MakeSdlAudioDevice() {
  return std::make_unique<SdlAudioDevice>();
}

}  // namespace wimmel::rt::sdl
