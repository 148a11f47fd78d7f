#include "panels/baustein.h"

#include <algorithm>

#include "runtime/runtime.h"
#include "shared/settings.h"
#include "windows/fenster.h"

namespace wimmel::panels {

std::string F(std::string_view aufgabe, int32_t nr, int32_t w1, int32_t w2, int32_t w3, int32_t w4,
              std::string_view text) {
  return Fenster(aufgabe, nr, w1, w2, w3, w4, text);
}

int32_t Zahl(std::string_view text) {
  return rt::RoundToInt(rt::TextToNumber(text));
}

std::string Pfad(std::string_view ordner, std::string_view datei) {
  return std::string(ordner) + Settings().Trenner + std::string(datei);
}

std::string Pfad(std::string_view ordner, std::string_view unterordner, std::string_view datei) {
  return Pfad(ordner, unterordner) + Settings().Trenner + std::string(datei);
}

bool Protokolliert() {
  return Settings().ProtokollAn == 1;
}

std::string Treffer(const std::vector<Knopf>& knoepfe) {
  const int64_t mx = Settings().MausX, my = Settings().MausY;
  std::string antwort;
  for (const Knopf& k : knoepfe) {
    if (k.x <= mx && mx <= int64_t{k.x} + k.weiter && k.y <= my && my <= int64_t{k.y} + k.tiefer) {
      antwort = k.antwort;
    }
  }
  return antwort;
}

Infobereich InfobereichBerechnen() {
  const SceneLayout& s = Layout();
  Infobereich b;
  b.X0 = 0;
  // The last scene row, but never closer than 50 rows to the screen bottom.
  const int64_t szenenEnde = int64_t{s.SzeneY0} + s.height - 1;
  b.Y0 = rt::Wrap32(std::min<int64_t>(szenenEnde, int64_t{s.screenHeight} - 50));
  b.breite = rt::Wrap32(int64_t{s.screenWidth} - 1);
  b.hoehe = rt::Wrap32(int64_t{s.screenHeight} - b.Y0);
  return b;
}

Befehl Nachschlagen(std::string_view aufgabe) {
  const std::string gross = rt::UpperAscii(aufgabe);
  if (gross == "ERSTELLEN") return Befehl::Erstellen;
  if (gross == "ANZEIGEN") return Befehl::Anzeigen;
  if (gross == "LOESCHEN") return Befehl::Loeschen;
  if (gross == "MAUSKLICK") return Befehl::Mausklick;
  return Befehl::Unbekannt;
}

}  // namespace wimmel::panels

#include "runtime/owned_impl.h"

namespace wimmel {
namespace panels {
struct PanelState {};
}  // namespace panels
template class Owned<panels::PanelState>;
}  // namespace wimmel
