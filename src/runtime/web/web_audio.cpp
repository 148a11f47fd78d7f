#include <emscripten.h>

#include <utility>
#include <vector>

#include "runtime/web/web_display.h"

// The page's audio object (web_audio.js).
// clang-format off
EM_JS(void, wimmel_audio_open, (), { Module.wimmelAudio.open(); });
EM_JS(void, wimmel_audio_close, (), { Module.wimmelAudio.close(); });
EM_JS(int, wimmel_audio_need, (double ahead), { return Module.wimmelAudio.need(ahead); });
EM_JS(void, wimmel_audio_post, (const int16_t* samples, int count),
      { Module.wimmelAudio.post(HEAP16.subarray(samples >> 1, (samples >> 1) + count)); });
// clang-format on

namespace wimmel::rt::web {
namespace {

// The sound kept queued ahead of what plays, in seconds: enough to cover
// the longest stretch the program keeps the page's thread to itself.
constexpr double kAhead = 0.15;

class WebAudioDevice;
WebAudioDevice* open = nullptr;

class WebAudioDevice final : public AudioDevice {
 public:
  WebAudioDevice() = default;
  ~WebAudioDevice() override { Close(); }
  WebAudioDevice(const WebAudioDevice&) = delete;
  WebAudioDevice& operator=(const WebAudioDevice&) = delete;

  bool Open(int32_t frames, Fill fill) override {
    if (open != nullptr || !fill || frames <= 0) return false;
    fill_ = std::move(fill);
    frames_ = frames;
    samples_.assign(static_cast<size_t>(frames) * kAudioChannels, 0);
    open = this;
    wimmel_audio_open();
    return true;
  }

  void Close() override {
    if (open != this) return;
    open = nullptr;
    wimmel_audio_close();
    fill_ = nullptr;
  }

  void Pump() {
    int need = wimmel_audio_need(kAhead);
    while (need > 0 && open == this) {
      fill_(samples_.data(), frames_);
      wimmel_audio_post(samples_.data(), static_cast<int>(samples_.size()));
      need -= frames_;
    }
  }

 private:
  Fill fill_;
  int32_t frames_ = 0;
  std::vector<int16_t> samples_;
};

}  // namespace

std::unique_ptr<AudioDevice> MakeWebAudioDevice() {
  return std::make_unique<WebAudioDevice>();
}

void PumpAudio() {
  if (open != nullptr) open->Pump();
}

}  // namespace wimmel::rt::web
