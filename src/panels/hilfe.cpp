// The three help pages. They take turns with the bottom bar in the
// information area and are built like it: a patterned strip with
// brush-textured plates, key buttons, captions and engraved labels. Every
// button answers a click with the key string of the key it explains.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "panels/baustein.h"
#include "panels/panels.h"
#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel {

namespace {

const std::string kEsc(1, '\x1B');

// The state of one page; each page has its own for the whole run.
struct Seite {
  Seite(const char* name_, const char* titel_, const char* loeschZeile_, int32_t knopfBreite_,
        int32_t knopfHoehe_, int32_t platteHoehe_)
      : name(name_),
        titel(titel_),
        loeschZeile(loeschZeile_),
        knopfBreite(knopfBreite_),
        knopfHoehe(knopfHoehe_),
        platteHoehe(platteHoehe_) {}

  const char* name;         // "AnzeigeHilfe1" ...
  const char* titel;        // "Hilfe-1" ...
  const char* loeschZeile;  // the name as it appears in the delete log line
  int32_t knopfBreite, knopfHoehe;
  int32_t platteHoehe;

  std::string fensterNr;
  int32_t erstellt = 0;
  panels::Infobereich bereich;
  std::string pinselSlot;
  int32_t knopfSlot = 0;
  int32_t n = 0;                       // the window number while the page is being built
  std::vector<panels::Knopf> knoepfe;  // in the order of the click test

  // The drawing sequence of one button, positions inside the window.
  void Platte(int32_t x, int32_t y, int32_t breite, int32_t hoehe) const {
    panels::F("FuellRechteck", n, x - 2, y - 2, breite, hoehe, pinselSlot);
  }
  void LeertasteMerken() {
    knopfSlot = panels::Zahl(panels::F("MerkeBild", n, knopfBreite, knopfHoehe, 0, 0,
                                       panels::Pfad("HG_bild", "TastLeer.bmp")));
  }
  int32_t BildMerken(int32_t breite, int32_t hoehe, const std::string& pfad) const {
    return panels::Zahl(panels::F("MerkeBild", n, breite, hoehe, 0, 0, pfad));
  }
  void Einfuegen(int32_t x, int32_t y, int32_t slot) const {
    panels::F("SetzeBildTransparent", n, x, y, slot);
  }
  void Beschriftung(int32_t x, int32_t y, std::string_view text, bool fontSetzen) const {
    if (fontSetzen) panels::F("SetzFontNr", n, 0);
    panels::F("SetzSchriftfarbe", n, 0, 0, 0);
    panels::F("SchreibText", n, x, y, 0, 0, text);
  }
  void Gravur(int32_t x, int32_t y, std::string_view text) const {
    panels::F("SetzSchriftfarbe", n, 96, 96, 96);
    panels::F("SchreibGravText", n, x, y, 60, 0, text);
  }
  panels::Knopf Treffbox(int32_t x, int32_t y, int32_t weiter, int32_t tiefer,
                         std::string antwort) const {
    return {bereich.X0 + x, bereich.Y0 + y, weiter, tiefer, std::move(antwort)};
  }

  // Window, strip pattern and brush, the same on every page.
  void Grundlage() {
    using panels::F;
    bereich = panels::InfobereichBerechnen();
    knoepfe.clear();
    fensterNr = F("Erstellen", 0, 0, 0, 0, 0, name);
    n = panels::Zahl(fensterNr);
    F("SetzTitel", n, 1, 0, 0, 0, std::string(titel) + fensterNr);
    F("SetzXY", n, bereich.X0, bereich.Y0);
    F("SetzGrundfarbe", n, 0, 0, 0);
    F("SetzRahmenfarbe", n, 100, 100, 100);
    F("SetzGroesse", n, bereich.breite, bereich.hoehe);
    F("SetzRahmenAbstand", n, 1, 1);
    F("FUELLDATEIMUSTER", n, 50, 45, 0, 0, panels::Pfad("pattern", "maskiert.bmp"));
    pinselSlot =
        F("MerkeBild", n, knopfBreite, knopfHoehe, 0, 0, panels::Pfad("pattern", "Chrom3.bmp"));
  }

  // F1, H and Esc. Pages 1 and 2 remember the empty key again before H.
  void Navigation(int32_t x1, int32_t platteBreite, bool leertasteVorH) {
    Platte(x1, 14, platteBreite, platteHoehe);
    LeertasteMerken();
    Einfuegen(x1, 14, knopfSlot);
    Beschriftung(x1 + 8, 21, "F1", true);

    Platte(x1 + 30, 14, platteBreite, platteHoehe);
    if (leertasteVorH) LeertasteMerken();
    Einfuegen(x1 + 30, 14, knopfSlot);
    Beschriftung(x1 + 42, 21, "H", true);
    Gravur(x1 + 70, 21, "Hilfe bl\xE4ttern");

    Platte(x1 + 30, 49, platteBreite, platteHoehe);
    Einfuegen(x1 + 30, 49, knopfSlot);
    Beschriftung(x1 + 34, 56, "Esc", false);
    Gravur(x1 + 70, 56, "Programmende");
  }

  void Erstellen(void (*knoepfeMalen)(Seite&)) {
    if (erstellt != 0) return;
    if (panels::Protokolliert()) Protokoll(std::string(name) + " wird erstellt");
    Grundlage();
    knoepfeMalen(*this);
    erstellt = 1;
    if (panels::Protokolliert()) {
      Protokoll(std::string(name) + " mit Nummer " + fensterNr + " ist erstellt");
    }
  }

  void Loeschen() {
    if (panels::Protokolliert()) {
      Protokoll(std::string(loeschZeile) + " mit Nummer " + fensterNr + " wird geloescht");
    }
    panels::F("LoescheFenster", panels::Zahl(fensterNr), 0, 0, 0, 0, name);
    fensterNr.clear();
    erstellt = 0;
    if (panels::Protokolliert()) Protokoll(std::string(name) + " ist geloescht");
  }

  std::string Befehlen(std::string_view aufgabe, void (*knoepfeMalen)(Seite&)) {
    switch (panels::Nachschlagen(aufgabe)) {
      case panels::Befehl::Erstellen:
        Erstellen(knoepfeMalen);
        break;
      case panels::Befehl::Anzeigen:
        panels::F("ZeigAn", panels::Zahl(fensterNr));
        break;
      case panels::Befehl::Loeschen:
        Loeschen();
        break;
      case panels::Befehl::Mausklick: {
        std::string antwort = panels::Treffer(knoepfe);
        if (!antwort.empty()) Settings().KlickPause = 1;
        return antwort;
      }
      case panels::Befehl::Unbekannt:
        break;
    }
    return "";
  }
};

// Page 1: the display and speed keys C, N, + and -.
Seite seite1{"AnzeigeHilfe1", "Hilfe-1", "AnzeigeHilfe1 ", 30, 30, 32};

void Seite1Malen(Seite& s) {
  const int32_t W = FontBreite(0);
  const int32_t breit = 16 * W + 47;
  s.Navigation(15, breit, true);

  s.Platte(240, 14, breit, s.platteHoehe);
  s.LeertasteMerken();
  s.Einfuegen(240, 14, s.knopfSlot);
  s.Beschriftung(252, 21, "C", true);
  s.Gravur(280, 21, "Kollision An/Aus");

  s.Platte(240, 49, breit, s.platteHoehe);
  s.Einfuegen(240, 49, s.knopfSlot);
  s.Beschriftung(252, 56, "N", false);
  s.Gravur(280, 56, "FigurNr An/Aus");

  const int32_t xp = 312 + 16 * W;
  const int32_t schmal = 15 * W + 49;
  s.Platte(xp, 14, schmal, s.platteHoehe);
  s.LeertasteMerken();
  s.Einfuegen(xp, 14, s.knopfSlot);
  s.Beschriftung(xp + 12, 21, "+", true);
  s.Gravur(xp + 40, 21, "Spiel schneller");

  s.Platte(xp, 49, schmal, s.platteHoehe);
  s.Einfuegen(xp, 49, s.knopfSlot);
  s.Beschriftung(xp + 12, 56, "-", false);
  s.Gravur(xp + 40, 56, "Spiel langsamer");

  s.knoepfe = {
      s.Treffbox(240, 14, 30, 30, "c"), s.Treffbox(240, 49, 30, 30, "n"),
      s.Treffbox(xp, 14, 30, 30, "+"),  s.Treffbox(xp, 49, 30, 30, "-"),
      s.Treffbox(45, 14, 30, 30, "h"),  s.Treffbox(45, 49, 30, 30, kEsc),
      s.Treffbox(15, 14, 30, 30, "h"),
  };
}

// Page 2: figure selection and the diagonal direction keys.
Seite seite2{"AnzeigeHilfe2", "Hilfe-2", "AnzeigeHilfe2", 30, 29, 31};

void Seite2Malen(Seite& s) {
  const int32_t W = FontBreite(0);
  const int32_t H0 = FontHoehe(0);
  const int32_t breit = 16 * W + 68;
  s.Navigation(15, breit, true);

  s.Platte(260, 14, breit, s.platteHoehe);
  const int32_t tab = s.BildMerken(30, 29, panels::Pfad("HG_bild", "tabtast.bmp"));
  s.Einfuegen(260, 14, tab);
  s.Gravur(316, 21,
           "N\xE4"
           "chste FigurNr");

  s.Platte(260, 49, breit, s.platteHoehe);
  const int32_t rueck = s.BildMerken(46, 30, panels::Pfad("HG_bild", "Rucktast.bmp"));
  s.Einfuegen(260, 49, rueck);
  s.Gravur(316, 56, "Vorige FigurNr");

  const int32_t xb = 366 + 14 * W;
  s.Platte(xb, 14, 8 * W + 84, 66);
  const int32_t block = s.BildMerken(62, 62, panels::Pfad("HG_bild", "Zahlblck.bmp"));
  s.Einfuegen(xb, 14, block);
  const int32_t figur = s.BildMerken(30, 29, panels::Pfad("HG_bild", "tarzan01.bmp"));
  s.Einfuegen(379 + 14 * W, 31, figur);
  s.Gravur(438 + 14 * W, 21, "Richtung");
  s.Gravur(438 + 14 * W, H0 + 21, " \xC4ndern");

  s.knoepfe = {
      s.Treffbox(15, 14, 30, 29, "h"),
      s.Treffbox(45, 14, 30, 29, "h"),
      s.Treffbox(45, 49, 30, 29, kEsc),
      s.Treffbox(260, 14, 46, 29, std::string(1, '\t')),
      s.Treffbox(260, 49, 46, 29, std::string(1, '\b')),
      s.Treffbox(xb, 14, 21, 21, "7"),
      s.Treffbox(407 + 14 * W, 14, 21, 21, "9"),
      s.Treffbox(xb, 55, 21, 21, "1"),
      s.Treffbox(407 + 14 * W, 55, 21, 21, "3"),
  };
}

// Page 3: the figure picture keys, each with a small picture of its figure.
Seite seite3{"AnzeigeHilfe3", "Hilfe-3", "AnzeigeHilfe3", 30, 30, 32};

struct FigurTaste {
  const char* buchstabe;
  const char* datei;
  const char* antwort;
};
// Column by column, upper row first: the order of drawing and of the click test.
constexpr FigurTaste kFigurTasten[10] = {
    {"K", "koenigin.bmp", "k"}, {"L", "koenigbl.bmp", "l"}, {"D", "arnolauf.bmp", "d"},
    {"S", "arnorenn.bmp", "s"}, {"T", "tarzan01.bmp", "t"}, {"P", "hottehue.bmp", "p"},
    {"G", "gelbzyli.bmp", "g"}, {"R", "rotekuge.bmp", "r"}, {"B", "landfrau.bmp", "b"},
    {"Z", "grunzyli.bmp", "z"},
};

void Seite3Malen(Seite& s) {
  s.Navigation(12, 140, false);
  std::vector<panels::Knopf> figuren;
  for (int32_t i = 0; i < 10; ++i) {
    const FigurTaste& t = kFigurTasten[i];
    const int32_t x = 220 + 85 * (i / 2);
    const int32_t y = (i % 2 == 0) ? 14 : 49;
    s.Platte(x, y, 74, s.platteHoehe);
    if (i == 0) s.LeertasteMerken();
    s.Einfuegen(x, y, s.knopfSlot);
    if (i == 0) {
      panels::F("SetzFontNr", s.n, 0);
      panels::F("SetzSchriftfarbe", s.n, 0, 0, 0);
    }
    panels::F("SchreibText", s.n, x + 12, y + 7, 0, 0, t.buchstabe);
    const int32_t bild = s.BildMerken(30, 30, panels::Pfad("HG_bild", "figur", t.datei));
    s.Einfuegen(x + 40, y, bild);
    figuren.push_back(s.Treffbox(x, y, 30, 30, t.antwort));
  }
  s.knoepfe = {s.Treffbox(42, 14, 30, 30, "h"), s.Treffbox(12, 14, 30, 30, "h"),
               s.Treffbox(42, 49, 30, 30, kEsc)};
  s.knoepfe.insert(s.knoepfe.end(), figuren.begin(), figuren.end());
}

}  // namespace

std::string AnzeigeHilfe1(std::string_view Aufgabe) {
  return seite1.Befehlen(Aufgabe, Seite1Malen);
}
std::string AnzeigeHilfe2(std::string_view Aufgabe) {
  return seite2.Befehlen(Aufgabe, Seite2Malen);
}
std::string AnzeigeHilfe3(std::string_view Aufgabe) {
  return seite3.Befehlen(Aufgabe, Seite3Malen);
}

}  // namespace wimmel
