// The music player: the intro and three scene tracks through the sound
// library layer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/owned.h"

namespace wimmel {

namespace sound {
struct MusicPlayer;
}
// The music player's state of one run (see runtime/owned.h).
using MusicModule = Owned<sound::MusicPlayer>;

std::string Musik(std::string_view Aufgabe, std::string_view text, int32_t n);

// Starts the sound library when sound is possible and it is not started
// (the first call of a run, or the first after "FmodBeenden"); MusikStatus
// becomes 1 when it starts and -1 when it cannot. Every Musik call does
// this first.
void StartMusicLibrary();

}  // namespace wimmel
