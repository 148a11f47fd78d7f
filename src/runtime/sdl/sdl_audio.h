// The real audio device: SDL's default audio output, which SDL feeds from a
// thread of its own.
#pragma once

#include <memory>

#include "runtime/audio.h"

namespace wimmel::rt::sdl {

// A closed device. SDL's audio is started only when the device is opened and
// stopped again when it is closed, so a program that never plays music never
// touches the sound hardware; SDL_AUDIODRIVER is read at each opening.
std::unique_ptr<AudioDevice> MakeSdlAudioDevice();

}  // namespace wimmel::rt::sdl
