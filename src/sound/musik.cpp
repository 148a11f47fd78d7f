#include "sound/musik.h"

#include <algorithm>
#include <array>

#include "runtime/runtime.h"
#include "shared/settings.h"
#include "sound/fsound.h"

namespace wimmel {

namespace {

enum class Befehl { MusikAbspielen, Intro, MusikBeenden, FmodBeenden, Unbekannt };

struct BefehlsWort {
  std::string_view wort;
  Befehl befehl;
};

constexpr std::array<BefehlsWort, 4> kBefehle{{
    {"MUSIKABSPIELEN", Befehl::MusikAbspielen},
    {"INTRO", Befehl::Intro},
    {"MUSIKBEENDEN", Befehl::MusikBeenden},
    {"FMODBEENDEN", Befehl::FmodBeenden},
}};

int32_t gInitialisiert = 0;
std::array<std::string, 4> gTitelPfad;  // scene tracks 1 to 3; slot 0 unused
StreamHandle gStream = 0;

bool SoundJa() {
  return Settings().SoundMoeglich == "ja";
}

void ErstInitialisierung() {
  if (FSOUND_GetVersion() < 3.74f) {
    rt::ClearScreen();
    rt::PrintLine(0, "FEHLER: Fuer die Ausgabe von Sounds oder Musik");
    rt::PrintLine(0, "ist Fmod in der Version 3.74 oder hoeher notwendig!");
    rt::PrintLine(0, "Schalte Sounds und Musik aus!");
    Settings().MusikStatus = -1;
  } else if (FSOUND_Init(44100, 32, 0) != 0) {
    Settings().MusikStatus = 1;
  } else {
    rt::PrintLine(0, "FEHLER: Kann Fmod nicht initialisieren!");
    rt::PrintLine(0, "Schalte Sounds und Musik aus!");
    Settings().MusikStatus = -1;
  }
  FSOUND_Stream_SetBufferSize(50);
  const std::string ordner = "musik" + Settings().Trenner;
  gTitelPfad[1] = ordner + "Qum1_E.mp3";
  gTitelPfad[2] = ordner + "Qum2_E.mp3";
  gTitelPfad[3] = ordner + "Qum3_F.mp3";
  gInitialisiert = 1;
}

// Position 0 counts as "nothing playing" as well: a stream that never
// started, or a handle the library no longer knows. All three questions are
// asked every time, the position once per comparison, handle 0 included, so
// the library sees the same calls whatever the answers.
bool NeuerTitelFaellig() {
  const uint32_t position = FSOUND_Stream_GetPosition(gStream);
  const uint32_t nochmal = FSOUND_Stream_GetPosition(gStream);
  const uint32_t laenge = FSOUND_Stream_GetLength(gStream);
  return gStream == 0 || position == 0 || nochmal >= laenge;
}

void Starte(const std::string& pfad) {
  // The finished stream goes before its handle is replaced; otherwise every
  // track played would keep its decoder and file until the program ends.
  if (gStream != 0) FSOUND_Stream_Close(gStream);
  gStream = FSOUND_Stream_Open(pfad.c_str(), FSOUND_MPEGACCURATE, 0, 0);
  if (gStream != 0) FSOUND_Stream_Play(FSOUND_FREE, gStream);
}

void MusikAbspielen() {
  if (!SoundJa() || !NeuerTitelFaellig()) return;
  const double r = rt::Random(1.0);
  const int32_t n = std::clamp(rt::RoundToInt(r * 2 + 1), 1, 3);
  Starte(gTitelPfad[static_cast<size_t>(n)]);
}

void Intro() {
  if (!SoundJa() || !NeuerTitelFaellig()) return;
  Starte("musik" + Settings().Trenner + "Qum1_I.mp3");
}

void MusikBeenden() {
  if (!SoundJa()) return;
  if (gStream != 0) {
    FSOUND_Stream_Stop(gStream);
    FSOUND_Stream_Close(gStream);
  }
  gStream = 0;
}

// The stream handle is kept: callers stop the music first, and a handle left
// over is unknown to the library once it is closed.
void FmodBeenden() {
  if (!SoundJa()) return;
  if (gInitialisiert == 1) FSOUND_Close();
  gInitialisiert = 0;
  Settings().MusikStatus = -1;
}

Befehl Erkenne(std::string_view aufgabe) {
  const std::string wort = rt::UpperAscii(aufgabe);
  for (const BefehlsWort& b : kBefehle) {
    if (wort == b.wort) return b.befehl;
  }
  return Befehl::Unbekannt;
}

}  // namespace

std::string Musik(std::string_view Aufgabe, std::string_view text, int32_t n) {
  (void)text;
  (void)n;
  if (SoundJa() && gInitialisiert == 0) ErstInitialisierung();
  if (Settings().MusikStatus <= 0) return "OK";
  switch (Erkenne(Aufgabe)) {
    case Befehl::MusikAbspielen:
      MusikAbspielen();
      break;
    case Befehl::Intro:
      Intro();
      break;
    case Befehl::MusikBeenden:
      MusikBeenden();
      break;
    case Befehl::FmodBeenden:
      FmodBeenden();
      break;
    case Befehl::Unbekannt:
      break;
  }
  return "OK";
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
namespace sound {
struct MusicPlayer {};
}  // namespace sound
template class Owned<sound::MusicPlayer>;
}  // namespace wimmel
