// The audio device behind the runtime: where the program's sound goes. Like
// the display, it is given to the runtime by the program: wimmel hands it the
// SDL one, and runs without a device (the headless runner, most tests) have
// none, so whoever wants sound asks CurrentAudioDevice and copes with null.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace wimmel::rt {

// The one output format every device plays: 44.1 kHz, stereo, signed 16-bit
// samples in the machine's byte order, left and right interleaved.
constexpr int32_t kAudioRate = 44100;
constexpr int32_t kAudioChannels = 2;

class AudioDevice {
 public:
  // Fills `frames` interleaved stereo frames at out. It runs on the device's
  // own thread, so it must not block for long or touch the program's state
  // without its own locking.
  using Fill = std::function<void(int16_t* out, int32_t frames)>;

  virtual ~AudioDevice() = default;
  // Opens the output in the format above, asking fill for `frames` frames (a
  // power of two) per call, and starts it. False when the device cannot be
  // opened or is open already.
  virtual bool Open(int32_t frames, Fill fill) = 0;
  // Stops the device's thread and closes the output: once this returns, fill
  // is never called again. Does nothing when the device is not open. A
  // device still open when it is destroyed closes itself.
  virtual void Close() = 0;
};

// The device of the current runtime, or null when it has none.
AudioDevice* CurrentAudioDevice();
// Puts a device into the current runtime, which takes ownership; the one it
// had is closed and destroyed. Null leaves the runtime without a device.
void InstallAudioDevice(std::unique_ptr<AudioDevice> device);

}  // namespace wimmel::rt
