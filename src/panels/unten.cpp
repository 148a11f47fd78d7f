// The bottom bar: the information area below the scene while no help page
// is shown, with the buttons H, F1, Esc and A.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control/dialog.h"
#include "control/state.h"
#include "panels/baustein.h"
#include "panels/panels.h"
#include "runtime/runtime.h"
#include "text/text.h"

namespace wimmel {

namespace {

std::string fensterNr;
int32_t erstellt = 0;
panel::Infobereich bereich;
constexpr int32_t kKnopfBreite = 30, kKnopfHoehe = 30;
int32_t posX = 0, posY = 0;
int32_t platteBreite = 0, platteHoehe = 0;
std::string pinselSlot;
int32_t knopfSlot = 0;
// In the order of the click test: H, F1, Esc, A.
std::vector<panel::Knopf> knoepfe;

void Knopf(int32_t n, std::string antwort) {
  panel::F("SetzeBildTransparent", n, posX, posY, knopfSlot);
  knoepfe.push_back(
      {bereich.X0 + posX, bereich.Y0 + posY, kKnopfBreite, kKnopfHoehe, std::move(antwort)});
}

void Beschriftung(int32_t n, int32_t dx, std::string_view text) {
  panel::F("SetzSchriftfarbe", n, 0, 0, 0);
  panel::F("SchreibText", n, posX + dx, posY + 7, 0, 0, text);
}

void Gravur(int32_t n, std::string_view text) {
  panel::F("SetzSchriftfarbe", n, 96, 96, 96);
  panel::F("SchreibGravText", n, posX, posY + 7, 60, 0, text);
}

void Erstellen() {
  using panel::F;
  if (erstellt != 0) return;
  if (panel::Protokolliert()) Protokoll("AnzeigeFensterUnten wird erstellt");
  bereich = panel::InfobereichBerechnen();
  const int32_t W = FontBreite(0);
  knoepfe.clear();

  fensterNr = F("Erstellen", 0, 0, 0, 0, 0, "AnzeigeFensterUnten");
  const int32_t n = panel::Zahl(fensterNr);
  F("SetzTitel", n, 1, 0, 0, 0, "AnzeigeFensterUnten" + fensterNr);
  F("SetzXY", n, bereich.X0, bereich.Y0);
  F("SetzGrundfarbe", n, 0, 0, 0);
  F("SetzRahmenfarbe", n, 100, 100, 100);
  F("SetzGroesse", n, bereich.breite, bereich.hoehe);
  F("SetzRahmenAbstand", n, 1, 1);
  F("FUELLDATEIMUSTER", n, 50, 45, 0, 0, panel::Pfad("pattern", "maskiert.bmp"));
  pinselSlot =
      F("MerkeBild", n, kKnopfBreite, kKnopfHoehe, 0, 0, panel::Pfad("pattern", "buerste.bmp"));

  // First group: H and F1 on one plate.
  posX = 20;
  posY = 14;
  platteHoehe = kKnopfHoehe + 2;
  platteBreite = 12 * W + 2 * kKnopfBreite + 32;
  F("FuellRechteck", n, posX - 2, posY - 2, platteBreite, platteHoehe, pinselSlot);
  knopfSlot = panel::Zahl(
      F("MerkeBild", n, kKnopfBreite, kKnopfHoehe, 0, 0, panel::Pfad("HG_bild", "TastLeer.bmp")));
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
  if (panel::Protokolliert())
    Protokoll("AnzeigeFensterUnten mit Nummer " + fensterNr + " ist erstellt");
}

void Loeschen() {
  if (panel::Protokolliert()) {
    Protokoll("AnzeigeFensterUnten  mit Nummer " + fensterNr + " wird geloescht");
  }
  panel::F("LoescheFenster", panel::Zahl(fensterNr), 0, 0, 0, 0, "AnzeigeFensterUnten");
  fensterNr.clear();
  erstellt = 0;
  if (panel::Protokolliert()) Protokoll("AnzeigeFensterUnten ist geloescht");
}

}  // namespace

std::string AnzeigeFensterUnten(std::string_view Aufgabe) {
  switch (panel::Nachschlagen(Aufgabe)) {
    case panel::Befehl::Erstellen:
      Erstellen();
      break;
    case panel::Befehl::Anzeigen:
      panel::F("ZeigAn", panel::Zahl(fensterNr));
      break;
    case panel::Befehl::Loeschen:
      Loeschen();
      break;
    case panel::Befehl::Mausklick:
      return panel::Treffer(knoepfe);
    case panel::Befehl::Unbekannt:
      break;
  }
  return "";
}

}  // namespace wimmel
