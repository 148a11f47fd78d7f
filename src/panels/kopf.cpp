// The header window: a stone-patterned strip above the scene with the
// caption raised on a plate in its middle.
#include <cstdint>
#include <string>
#include <string_view>

#include "panels/baustein.h"
#include "panels/panels.h"
#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel {

namespace {

std::string KopfFensterNr;
int32_t kopfDa = 0;
int32_t fensterX = 0, fensterY = 0, fensterBreite = 0, fensterHoehe = 0;
int32_t platteLinks = 0, platteOben = 0, platteBreite = 0, platteHoehe = 0;
constexpr int32_t kFontNr = 0;
std::string steinSlot;

enum class Befehl { Erstellen, Anzeigen, Loeschen, Unbekannt };

Befehl Nachschlagen(std::string_view aufgabe) {
  const std::string gross = rt::UpperAscii(aufgabe);
  if (gross == "ERSTELLEN") return Befehl::Erstellen;
  if (gross == "ANZEIGEN") return Befehl::Anzeigen;
  if (gross == "LOESCHEN") return Befehl::Loeschen;
  return Befehl::Unbekannt;
}

void Erstellen(std::string_view text) {
  using panels::F;
  if (kopfDa != 0) return;
  if (panels::Protokolliert()) Protokoll("KopfFenster(): wird erstellt");
  const int32_t h = Layout().SzeneY0;
  if (h <= 16) {
    rt::PrintText(
        "Sub KopfFenster():  Soll ein Kopffenster errichten, es ist oben aber gar kein Platz "
        "dafuer (kleiner 16 Pixel)",
        true);
    return;
  }
  const int32_t w = rt::Wrap32(int64_t{Layout().screenWidth} - 1);
  fensterX = 0;
  fensterY = 0;
  fensterBreite = w;
  fensterHoehe = h;

  KopfFensterNr = F("Erstellen", 0, 0, 0, 0, 0, "KopfFenster " + std::string(text));
  const int32_t n = panels::Zahl(KopfFensterNr);
  F("SetzTitel", n, 1, 0, 0, 0, "KopfFenster " + std::string(text) + KopfFensterNr);
  F("SetzXY", n, 0, 0);
  F("SetzGrundfarbe", n, 0, 0, 0);
  F("SetzRahmenfarbe", n, 100, 100, 100);
  F("SetzGroesse", n, w, h);
  F("SetzRahmenAbstand", n, 0, 0);
  F("FUELLDATEIMUSTER", n, 50, 45, 0, 0, panels::Pfad("pattern", "maskiert.bmp"));

  platteBreite = rt::Wrap32(static_cast<int64_t>(text.size()) * FontBreite(kFontNr) + 20);
  platteHoehe = FontHoehe(kFontNr) + 10;
  platteLinks = rt::Wrap32((int64_t{w} - platteBreite) / 2);
  platteOben = rt::Wrap32((int64_t{h} - platteHoehe) / 2);

  steinSlot = F("MerkeBild", n, 0, 0, 0, 0, panels::Pfad("pattern", "Stein1.bmp"));
  F("FuellRechteck", n, platteLinks, platteOben, platteBreite, platteHoehe, steinSlot);
  F("SetzFontNr", n, kFontNr);
  F("SetzSchriftFarbe", n, 128, 128, 128);
  F("Schreib3DText", n, rt::Wrap32(int64_t{platteLinks} + 10), rt::Wrap32(int64_t{platteOben} + 6),
    60, 0, text);
  kopfDa = 1;
  if (panels::Protokolliert()) {
    Protokoll("KopfFenster ist mit FensterNummer " + KopfFensterNr + " erstellt");
  }
}

void Loeschen() {
  if (panels::Protokolliert())
    Protokoll("KopfFenster mit Nummer " + KopfFensterNr + " wird geloescht");
  panels::F("LoescheFenster", panels::Zahl(KopfFensterNr), 0, 0, 0, 0, "KopfFensterLoeschen");
  KopfFensterNr.clear();
  kopfDa = 0;
  if (panels::Protokolliert()) Protokoll("KopfFenster ist geloescht");
}

}  // namespace

void KopfFenster(std::string_view Aufgabe, std::string_view Text) {
  switch (Nachschlagen(Aufgabe)) {
    case Befehl::Erstellen:
      Erstellen(Text);
      break;
    case Befehl::Anzeigen:
      panels::F("ZeigAn", panels::Zahl(KopfFensterNr));
      break;
    case Befehl::Loeschen:
      Loeschen();
      break;
    case Befehl::Unbekannt:
      DruckeZeile("SelectCase in der KopfFenster-Sub kennt folgende Aufgabe nicht: " +
                  std::string(Aufgabe));
      break;
  }
}

}  // namespace wimmel
