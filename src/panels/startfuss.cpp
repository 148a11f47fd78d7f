// The start screen's footer: the key legend for the mode letters and the
// figure count on two chrome plates. It only draws; the start screen reads
// the keys itself.
#include <cstdint>
#include <string>
#include <string_view>

#include "panels/baustein.h"
#include "panels/panels.h"
#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "shared/settings.h"

namespace wimmel {

namespace {

std::string fensterNr;
int32_t fussDa = 0;
int32_t fensterX = 0, fensterY = 0, fensterBreite = 0, fensterHoehe = 0;
constexpr int32_t ox = 20, oy = 14;  // layout origin
constexpr int32_t bw = 24;           // key-cap width
constexpr int32_t bh = 29;           // key-cap height
constexpr int32_t zeile = 35;        // row spacing
constexpr int32_t platteBreite = 340, platteHoehe = bh;
std::string chromSlot;
int32_t kappenSlot = 0;

void Erstellen() {
  using panels::F;
  if (fussDa != 0) return;
  if (panels::Protokolliert()) Protokoll("StartFuss(): Fenster wird erstellt");
  const int32_t W = Layout().screenWidth, H = Layout().screenHeight;
  fensterX = 0;
  fensterY = rt::Wrap32(int64_t{H} - 100);
  fensterBreite = rt::Wrap32(int64_t{W} - 1);
  fensterHoehe = 100;

  fensterNr = F("Erstellen", 0, 0, 0, 0, 0, "AnzeigeStartFussFenster");
  const int32_t n = panels::Zahl(fensterNr);
  F("SetzTitel", n, 1, 0, 0, 0, "Hilfe-2" + fensterNr);
  F("SetzXY", n, fensterX, fensterY);
  F("SetzGrundfarbe", n, 0, 0, 0);
  F("SetzRahmenfarbe", n, 100, 100, 100);
  F("SetzGroesse", n, fensterBreite, fensterHoehe);
  F("SetzRahmenAbstand", n, 1, 1);
  F("FUELLDATEIMUSTER", n, 50, 45, 0, 0, panels::Pfad("pattern", "maskiert.bmp"));
  chromSlot = F("MerkeBild", n, bw, bh, 0, 0, panels::Pfad("pattern", "Chrom3.bmp"));

  // Upper row: "A bis P  Spielstart mit Screen".
  F("FuellRechteck", n, ox - 2, oy - 2, platteBreite, platteHoehe, chromSlot);
  kappenSlot =
      panels::Zahl(F("MerkeBild", n, bw, bh, 0, 0, panels::Pfad("HG_bild", "TastLeer.bmp")));
  F("SetzeBildTransparent", n, ox, oy, kappenSlot);
  F("SetzFontNr", n, 0);
  F("SetzSchriftfarbe", n, 0, 0, 0);
  F("SchreibText", n, ox + 12, oy + 7, 60, 0, "A");
  F("SetzSchriftfarbe", n, 96, 96, 96);
  F("SchreibGravText", n, ox + bw + 12, oy + 7, 60, 0, "bis");
  F("SetzeBildTransparent", n, ox + bw + 40, oy, kappenSlot);
  F("SetzSchriftfarbe", n, 0, 0, 0);
  F("SchreibText", n, ox + bw + 52, oy + 7, 60, 0, "P");
  F("SetzSchriftfarbe", n, 96, 96, 96);
  F("SchreibGravText", n, ox + bw + 82, oy + 7, 60, 0, "Spielstart mit Screen");

  // Lower row: "+ -  Anzahl gezeiger Figuren aendern".
  F("FuellRechteck", n, ox - 2, oy + zeile - 2, platteBreite, platteHoehe, chromSlot);
  F("SetzeBildTransparent", n, ox, oy + zeile, kappenSlot);
  F("SetzFontNr", n, 0);
  F("SetzSchriftfarbe", n, 0, 0, 0);
  F("SchreibText", n, ox + 12, oy + zeile + 7, 60, 0, "+");
  F("SetzeBildTransparent", n, ox + bw + 10, oy + zeile, kappenSlot);
  F("SchreibText", n, ox + bw + 22, oy + zeile + 7, 60, 0, "-");
  F("SetzSchriftfarbe", n, 96, 96, 96);
  F("SchreibGravText", n, ox + 2 * bw + 22, oy + zeile + 7, 60, 0,
    "Anzahl gezeiger Figuren \xE4ndern");

  fussDa = 1;
  if (panels::Protokolliert()) {
    Protokoll("AnzeigeStartFussFenster mit Nummer " + fensterNr + " ist erstellt");
  }
}

void Loeschen() {
  if (panels::Protokolliert()) {
    Protokoll("AnzeigeStartFussFenster mit Nummer " + fensterNr + " wird geloescht");
  }
  panels::F("LoescheFenster", panels::Zahl(fensterNr), 0, 0, 0, 0, "AnzeigeStartFussFenster");
  fensterNr.clear();
  fussDa = 0;
  if (panels::Protokolliert()) Protokoll("AnzeigeStartFussFenster ist geloescht");
}

}  // namespace

void AnzeigeStartFussFenster(std::string_view Aufgabe) {
  const std::string gross = rt::UpperAscii(Aufgabe);
  if (gross == "ERSTELLEN") {
    Erstellen();
  } else if (gross == "ANZEIGEN") {
    panels::F("ZeigAn", panels::Zahl(fensterNr));
  } else if (gross == "LOESCHEN") {
    Loeschen();
  }
}

}  // namespace wimmel
