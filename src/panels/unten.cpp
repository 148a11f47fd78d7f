// The bottom bar: the information area below the scene while no help page
// is shown, with the buttons H, F1, Esc and A.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shared/dialog.h"
#include "shared/settings.h"
#include "panels/baustein.h"
#include "panels/panels.h"
#include "runtime/runtime.h"
#include "text/text.h"

namespace wimmel {

namespace {

std::string fensterNr;
int32_t erstellt = 0;
panels::Infobereich bereich;
constexpr int32_t kKnopfBreite = 30, kKnopfHoehe = 30;
int32_t posX = 0, posY = 0;
int32_t platteBreite = 0, platteHoehe = 0;
std::string pinselSlot;
int32_t knopfSlot = 0;
// In the order of the click test: H, F1, Esc, A.
std::vector<panels::Knopf> knoepfe;

void Knopf(int32_t n, std::string antwort) {
  panels::F("SetzeBildTransparent", n, posX, posY, knopfSlot);
  knoepfe.push_back(
      {bereich.X0 + posX, bereich.Y0 + posY, kKnopfBreite, kKnopfHoehe, std::move(antwort)});
}

void Beschriftung(int32_t n, int32_t dx, std::string_view text) {
  panels::F("SetzSchriftfarbe", n, 0, 0, 0);
  panels::F("SchreibText", n, posX + dx, posY + 7, 0, 0, text);
}

void Gravur(int32_t n, std::string_view text) {
  panels::F("SetzSchriftfarbe", n, 96, 96, 96);
  panels::F("SchreibGravText", n, posX, posY + 7, 60, 0, text);
}

void Erstellen() {
  using panels::F;
  if (erstellt != 0) return;
  if (panels::Protokolliert()) Protokoll("AnzeigeFensterUnten wird erstellt");
  bereich = panels::InfobereichBerechnen();
  const int32_t W = FontBreite(0);
  knoepfe.clear();

  fensterNr = F("Erstellen", 0, 0, 0, 0, 0, "AnzeigeFensterUnten");
  const int32_t n = panels::Zahl(fensterNr);
  F("SetzTitel", n, 1, 0, 0, 0, "AnzeigeFensterUnten" + fensterNr);
  F("SetzXY", n, bereich.X0, bereich.Y0);
  F("SetzGrundfarbe", n, 0, 0, 0);
  F("SetzRahmenfarbe", n, 100, 100, 100);
  F("SetzGroesse", n, bereich.breite, bereich.hoehe);
  F("SetzRahmenAbstand", n, 1, 1);
  F("FUELLDATEIMUSTER", n, 50, 45, 0, 0, panels::Pfad("pattern", "maskiert.bmp"));
  pinselSlot =
      F("MerkeBild", n, kKnopfBreite, kKnopfHoehe, 0, 0, panels::Pfad("pattern", "buerste.bmp"));

  // First group: H and F1 on one plate.
  posX = 20;
  posY = 14;
  platteHoehe = kKnopfHoehe + 2;
  platteBreite = 12 * W + 2 * kKnopfBreite + 32;
  F("FuellRechteck", n, posX - 2, posY - 2, platteBreite, platteHoehe, pinselSlot);
  knopfSlot = panels::Zahl(
      F("MerkeBild", n, kKnopfBreite, kKnopfHoehe, 0, 0, panels::Pfad("HG_bild", "TastLeer.bmp")));
  Knopf(n, "H");
  F("SetzFontNr", n, 0);
  Beschriftung(n, 12, "H");
  posX += kKnopfBreite + 10;
  Knopf(n, "H");
  Beschriftung(n, 8, "F1");
  posX += kKnopfBreite + 10;
  Gravur(n, "Hilfe / Help");

  // Each later group starts after the previous label.
  auto naechsteGruppe = [&](int32_t breite) {
    const int32_t t = posX + 30 + 12 * W + 25;
    platteBreite = breite;
    F("FuellRechteck", n, t + 8, posY - 2, platteBreite, platteHoehe, pinselSlot);
    posX = t + 10;
  };

  naechsteGruppe(12 * W + kKnopfBreite + 22);
  Knopf(n, std::string(1, '\x1B'));
  Beschriftung(n, 4, "Esc");
  posX += kKnopfBreite + 10;
  Gravur(n, "Programmende");

  naechsteGruppe(5 * W + kKnopfBreite + 32);
  Knopf(n, "A");
  Beschriftung(n, 12, "A");
  posX += kKnopfBreite + 10;
  Gravur(n, "About");

  erstellt = 1;
  if (panels::Protokolliert())
    Protokoll("AnzeigeFensterUnten mit Nummer " + fensterNr + " ist erstellt");
}

void Loeschen() {
  if (panels::Protokolliert()) {
    Protokoll("AnzeigeFensterUnten  mit Nummer " + fensterNr + " wird geloescht");
  }
  panels::F("LoescheFenster", panels::Zahl(fensterNr), 0, 0, 0, 0, "AnzeigeFensterUnten");
  fensterNr.clear();
  erstellt = 0;
  if (panels::Protokolliert()) Protokoll("AnzeigeFensterUnten ist geloescht");
}

}  // namespace

std::string AnzeigeFensterUnten(std::string_view Aufgabe) {
  switch (panels::Nachschlagen(Aufgabe)) {
    case panels::Befehl::Erstellen:
      Erstellen();
      break;
    case panels::Befehl::Anzeigen:
      panels::F("ZeigAn", panels::Zahl(fensterNr));
      break;
    case panels::Befehl::Loeschen:
      Loeschen();
      break;
    case panels::Befehl::Mausklick:
      return panels::Treffer(knoepfe);
    case panels::Befehl::Unbekannt:
      break;
  }
  return "";
}

}  // namespace wimmel
