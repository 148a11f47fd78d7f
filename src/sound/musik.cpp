#include "sound/musik.h"

#include <algorithm>
#include <array>

#include "runtime/runtime.h"
#include "shared/command_word.h"
#include "shared/settings.h"
#include "sound/fsound.h"

namespace wimmel {

namespace sound {

// What the player keeps between calls for the whole run.
struct MusicPlayer {
  // 1 once the first-time initialisation has run; 0 again after FmodBeenden,
  // so that the next call starts the library anew.
  int32_t initialised = 0;
  std::array<std::string, 4> trackPaths;  // scene tracks 1 to 3; slot 0 unused
  StreamHandle stream = 0;                // the newest track's stream, 0 for none
};

}  // namespace sound

namespace {

enum class Command { MusikAbspielen, Intro, MusikBeenden, FmodBeenden, Unknown };

constexpr CommandWord<Command> kCommands[] = {
    {"MUSIKABSPIELEN", Command::MusikAbspielen},
    {"INTRO", Command::Intro},
    {"MUSIKBEENDEN", Command::MusikBeenden},
    {"FMODBEENDEN", Command::FmodBeenden},
};

bool SoundOn() {
  return Settings().SoundMoeglich == "ja";
}

void FirstInitialisation(sound::MusicPlayer& player) {
  if (FSOUND_GetVersion() < 3.74f) {
    rt::ClearScreen();
    rt::PrintLine(0, "FEHLER: Fuer die Ausgabe von Sounds oder Musik");
    rt::PrintLine(0, "ist Fmod in der Version 3.74 oder hoeher notwendig!");
    rt::PrintLine(0, "Schalte Sounds und Musik aus!");
    MarkMusicOff();
  } else if (FSOUND_Init(44100, 32, 0) != 0) {
    MarkMusicReady();
  } else {
    rt::PrintLine(0, "FEHLER: Kann Fmod nicht initialisieren!");
    rt::PrintLine(0, "Schalte Sounds und Musik aus!");
    MarkMusicOff();
  }
  FSOUND_Stream_SetBufferSize(50);
  const std::string folder = "musik" + Settings().Trenner;
  player.trackPaths[1] = folder + "Qum1_E.mp3";
  player.trackPaths[2] = folder + "Qum2_E.mp3";
  player.trackPaths[3] = folder + "Qum3_F.mp3";
  player.initialised = 1;
}

// Position 0 counts as "nothing playing" as well: a stream that never
// started, or a handle the library no longer knows. All three questions are
// asked every time, the position once per comparison, handle 0 included, so
// the library sees the same calls whatever the answers.
bool NewTrackDue(const sound::MusicPlayer& player) {
  const uint32_t position = FSOUND_Stream_GetPosition(player.stream);
  const uint32_t again = FSOUND_Stream_GetPosition(player.stream);
  const uint32_t length = FSOUND_Stream_GetLength(player.stream);
  return player.stream == 0 || position == 0 || again >= length;
}

void Start(sound::MusicPlayer& player, const std::string& path) {
  // The finished stream goes before its handle is replaced; otherwise every
  // track played would keep its decoder and file until the program ends.
  if (player.stream != 0) FSOUND_Stream_Close(player.stream);
  player.stream = FSOUND_Stream_Open(path.c_str(), FSOUND_MPEGACCURATE, 0, 0);
  if (player.stream != 0) FSOUND_Stream_Play(FSOUND_FREE, player.stream);
}

void MusikAbspielen(sound::MusicPlayer& player) {
  if (!SoundOn() || !NewTrackDue(player)) return;
  const double r = rt::Random(1.0);
  const int32_t n = std::clamp(rt::RoundToInt(r * 2 + 1), 1, 3);
  Start(player, player.trackPaths[static_cast<size_t>(n)]);
}

void Intro(sound::MusicPlayer& player) {
  if (!SoundOn() || !NewTrackDue(player)) return;
  Start(player, "musik" + Settings().Trenner + "Qum1_I.mp3");
}

void MusikBeenden(sound::MusicPlayer& player) {
  if (!SoundOn()) return;
  if (player.stream != 0) {
    FSOUND_Stream_Stop(player.stream);
    FSOUND_Stream_Close(player.stream);
  }
  player.stream = 0;
}

// The stream handle is kept: callers stop the music first, and a handle left
// over is unknown to the library once it is closed.
void FmodBeenden(sound::MusicPlayer& player) {
  if (!SoundOn()) return;
  if (player.initialised == 1) FSOUND_Close();
  player.initialised = 0;
  MarkMusicOff();
}

}  // namespace

void StartMusicLibrary() {
  sound::MusicPlayer& player = MusicModule::Get();
  if (SoundOn() && player.initialised == 0) FirstInitialisation(player);
}

namespace {

// The player, with the library started; null while the music is off.
sound::MusicPlayer* ReadyPlayer() {
  sound::MusicPlayer& player = MusicModule::Get();
  StartMusicLibrary();
  return Settings().MusikStatus > 0 ? &player : nullptr;
}

}  // namespace

namespace sound {

void PlaySceneMusic() {
  if (MusicPlayer* player = ReadyPlayer()) MusikAbspielen(*player);
}

void PlayIntro() {
  if (MusicPlayer* player = ReadyPlayer()) Intro(*player);
}

void StopMusic() {
  if (MusicPlayer* player = ReadyPlayer()) MusikBeenden(*player);
}

void CloseSoundLibrary() {
  if (MusicPlayer* player = ReadyPlayer()) FmodBeenden(*player);
}

}  // namespace sound

std::string Musik(std::string_view Aufgabe, std::string_view text, int32_t n) {
  (void)text;
  (void)n;
  switch (LookUpCommand(Aufgabe, kCommands, Command::Unknown)) {
    case Command::MusikAbspielen:
      sound::PlaySceneMusic();
      break;
    case Command::Intro:
      sound::PlayIntro();
      break;
    case Command::MusikBeenden:
      sound::StopMusic();
      break;
    case Command::FmodBeenden:
      sound::CloseSoundLibrary();
      break;
    case Command::Unknown:
      StartMusicLibrary();
      break;
  }
  return "OK";
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
template class Owned<sound::MusicPlayer>;
}  // namespace wimmel
