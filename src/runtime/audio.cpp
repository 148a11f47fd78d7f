#include "runtime/audio.h"

#include <utility>

#include "runtime/internal.h"

namespace wimmel::rt {

AudioDevice* CurrentAudioDevice() {
  // A sound library that closes its device while its owner is torn down may
  // ask after the runtime is gone; there is no device then.
  const detail::RuntimeState* state = RuntimeOwner::Find();
  return state ? state->audio.get() : nullptr;
}

void InstallAudioDevice(std::unique_ptr<AudioDevice> device) {
  // The old device closes itself as it goes, which stops its thread.
  detail::State().audio = std::move(device);
}

}  // namespace wimmel::rt
