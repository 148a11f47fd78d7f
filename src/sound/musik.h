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

// The command procedure: "MusikAbspielen", "Intro", "MusikBeenden" and
// "FmodBeenden" call the functions of the same meaning below; other words do
// nothing. Always answers "OK".
std::string Musik(std::string_view Aufgabe, std::string_view text, int32_t n);

// Starts the sound library when sound is possible and it is not started
// (the first call of a run, or the first after "FmodBeenden"); MusikStatus
// becomes 1 when it starts and -1 when it cannot. Every Musik call does
// this first.
void StartMusicLibrary();

namespace sound {
// Each starts the sound library first, as StartMusicLibrary does, and does
// nothing while the music is off (MusikStatus 0 or below).

// Starts one of the three scene tracks at random when none is playing.
void PlaySceneMusic();
// Starts the intro track when none is playing.
void PlayIntro();
// Stops and closes the track playing (with sound possible at all).
void StopMusic();
// Closes the sound library and switches the music off; the next call of
// any of these starts it anew.
void CloseSoundLibrary();
}  // namespace sound

}  // namespace wimmel
