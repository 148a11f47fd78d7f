// Haupt: start-up, the main loop with its key table, the scene teardown on
// Escape and the top-level error handler.
#include "control/haupt.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "shared/dialog.h"
#include "shared/settings.h"
#include "panels/panels.h"
#include "runtime/runtime.h"
#include "scene/scene.h"
#include "sound/musik.h"
#include "text/text.h"
#include "windows/fenster.h"

namespace wimmel {

namespace {

bool gProtokollBeimStart = false;

const std::string kEsc(1, '\x1B');
const std::string kClose = std::string(1, '\xFF') + "k";
const std::string kF1 = std::string(1, '\xFF') + ";";

bool MusikAn() {
  return E().MusikStatus > 0;
}

void Log(std::string_view text) {
  if (E().ProtokollAn == 1) Protokoll(text);
}

// The panel that occupies the information area: 0 the bottom bar, 1..3 a help page.
std::string Panel(int32_t seite, std::string_view aufgabe) {
  switch (seite) {
    case 1:
      return AnzeigeHilfe1(aufgabe);
    case 2:
      return AnzeigeHilfe2(aufgabe);
    case 3:
      return AnzeigeHilfe3(aufgabe);
    default:
      return AnzeigeFensterUnten(aufgabe);
  }
}

void FigurBefehl(std::string_view aufgabe, int32_t wert = 0, std::string_view text = "") {
  Figur(aufgabe, E().GewaehlteFigur, wert, 0, text);
}

int32_t MausAbfragen() {
  int32_t x = 0, y = 0, rad = 0, knopf = 0, clip = 0;
  E().MausFehler = rt::ReadMouse(x, y, rad, knopf, clip);
  E().MausX = x;
  E().MausY = y;
  E().MausKnopf = knopf;
  return E().MausFehler;
}

// Step-width prompt for X or Y: an empty answer changes nothing.
void SprungweiteFragen(bool fuerX) {
  const int32_t nr = E().GewaehlteFigur;
  std::string prompt = fuerX ? "Geben Sie den X-RichtungsSprungWeite ein, aktuell = "
                             : "Geben Sie den Y-RichtungsSprungWeite ein, aktuell = ";
  prompt += rt::RealToText(fuerX ? FigurXSprung(nr) : FigurYSprung(nr));
  prompt += ")";
  const std::string antwort = EingabeZeile(prompt);
  if (antwort.empty()) return;
  const int32_t wert = rt::RoundToInt(rt::TextToNumber(antwort));
  FigurBefehl(fuerX ? "SetzXRichtung" : "SetzYRichtung", wert);
}

void SzeneAbbauen() {
  Log("Haupt: Escape gedrueckt");
  AnzeigeHilfe3("Loeschen");
  AnzeigeHilfe2("Loeschen");
  AnzeigeHilfe1("Loeschen");
  AnzeigeFensterUnten("Loeschen");
  E().HilfeSeite = 0;
  KopfFenster("Loeschen", "");
  Figur("FigurenLoeschen", 0, 0, 0, "Escape");
  Fenster("LoeschAlleFenster", 0, 0, 0, 0, 0, "Escape");
  Objekt("LoescheAlleObjekte", 0, 0, 0, 0, 0, "Escape");
  HintergrundFreigeben();
  Log("Haupt: Escape fertig, in Aufloesungswahl");
  if (MusikAn()) Musik("MusikBeenden", "", 0);
}

void TasteAusfuehren(const std::string& taste) {
  if (taste == kClose || taste == kEsc) {
    SzeneAbbauen();
    LassBildAufloesungWaehlen();
    return;
  }
  if (taste.size() == 1) {
    switch (taste[0]) {
      case '9':
        FigurBefehl("RichtungRechts");
        FigurBefehl("RichtungHoch");
        return;
      case '3':
        FigurBefehl("RichtungRechts");
        FigurBefehl("RichtungRunter");
        return;
      case '1':
        FigurBefehl("RichtungLinks");
        FigurBefehl("RichtungRunter");
        return;
      case '7':
        FigurBefehl("RichtungLinks");
        FigurBefehl("RichtungHoch");
        return;
      case '+':
        FigurBefehl("Schneller");
        return;
      case '-':
        FigurBefehl("Langsamer");
        return;
      case 'g':
      case 'G':
        FigurBefehl("WechsleBild", 0, "gelbzyli");
        return;
      case 'r':
      case 'R':
        FigurBefehl("WechsleBild", 0, "rotekuge");
        return;
      case 'b':
      case 'B':
        FigurBefehl("WechsleBild", 0, "blaukuge");
        return;
      case 'z':
      case 'Z':
        FigurBefehl("WechsleBild", 0, "blauzyli");
        return;
      case 't':
      case 'T':
        FigurBefehl("WechsleBild", 0, "tarzan01");
        return;
      case 'p':
      case 'P':
        FigurBefehl("WechsleBild", 0, "hottehue");
        return;
      case 'k':
      case 'K':
        FigurBefehl("WechsleBild", 0, "koenigin");
        return;
      case 'l':
      case 'L':
        FigurBefehl("WechsleBild", 0, "koenigbl");
        return;
      case 'd':
      case 'D':
        FigurBefehl("WechsleBild", 0, "arnolauf");
        return;
      case 's':
      case 'S':
        FigurBefehl("WechsleBild", 0, "arnorenn");
        return;
      case 'f':
      case 'F':
        FigurBefehl("WechsleBild", 0, "grunzyli");
        return;
      case 'n':
      case 'N':
        E().SchalterN = 1 - E().SchalterN;
        return;
      case 'c':
      case 'C':
        E().SchalterC = 1 - E().SchalterC;
        return;
      case '\b':
        E().GewaehlteFigur = E().GewaehlteFigur == 1 ? E().FigurenAnzahl : E().GewaehlteFigur - 1;
        FigurBefehl("MachAktiv");
        return;
      case '\t':
        E().GewaehlteFigur = E().GewaehlteFigur >= E().FigurenAnzahl ? 1 : E().GewaehlteFigur + 1;
        FigurBefehl("MachAktiv");
        return;
      case 'x':
      case 'X':
        SprungweiteFragen(true);
        return;
      case 'y':
      case 'Y':
        SprungweiteFragen(false);
        return;
      case 'h':
      case 'H':
        break;
      case '!':
        Objekt("WerteAnzeigen", 1, 0, 0, 0, 0, "");
        return;
      case 'a':
      case 'A':
        AboutAnzeigen();
        return;
      default:
        return;
    }
  } else if (taste != kF1) {
    return;
  }
  // H, h and F1: the next panel of the information area.
  E().HilfeSeite = E().HilfeSeite + 1;
  if (E().HilfeSeite > E().HilfeSeitenAnzahl) E().HilfeSeite = 0;
  Panel(E().HilfeSeite, "Anzeigen");
}

// A right click diagonally beside the active figure steers it towards the pointer.
void RechtsklickLenken(std::string& taste) {
  int32_t fx = 0, fy = 0, fb = 0, fh = 0;
  if (!FigurRechteck(E().AktiveFigur, fx, fy, fb, fh)) return;
  const int64_t mx = E().MausX, my = E().MausY;
  const int64_t rechts = int64_t{fx} + fb, unten = int64_t{fy} + fh;
  if (mx >= rechts) {
    if (my >= unten) {
      taste = "3";
    } else if (my <= fy) {
      taste = "9";
    }
  } else if (mx <= fx) {
    if (my >= unten) {
      taste = "1";
    } else if (my <= fy) {
      taste = "7";
    }
  }
}

[[noreturn]] void Hauptschleife() {
  std::string taste;
  E().GewaehlteFigur = 1;
  E().AktiveFigur = 1;
  for (;;) {
    if (E().KlickPause == 1) {
      rt::SleepMs(99);
      rt::SleepMs(99);
      rt::SleepMs(99);
      E().KlickPause = 0;
    }
    if (MausAbfragen() == 0) {
      if (E().MausKnopf & 1) {
        taste = Panel(E().HilfeSeite, "Mausklick");
        if (taste.empty()) Figur("LinksKlick", 0, 0, 0, "");
        // Wait for the release; a pointer that leaves the window ends the
        // wait too, since no release can be seen from there.
        while (MausAbfragen() == 0 && (E().MausKnopf & 1)) {
        }
      }
      if (E().MausFehler == 0 && (E().MausKnopf & 2)) RechtsklickLenken(taste);
    }
    if (taste.empty()) {
      Figur("LaufEinSchritt", 1, 200, 200, "");
      if (MusikAn()) Musik("MusikAbspielen", "", 0);
    } else {
      TasteAusfuehren(taste);
    }
    taste = rt::ReadKey();
  }
}

int32_t FehlerNummer(const std::exception_ptr& fehler) {
  try {
    std::rethrow_exception(fehler);
  } catch (const std::bad_alloc&) {
    return 7;
  } catch (const std::out_of_range&) {
    return 9;
  } catch (const std::length_error&) {
    return 9;
  } catch (...) {
    return 5;
  }
}

[[noreturn]] void FehlerBehandeln(int32_t nummer) {
  rt::ClearScreen();
  std::string zeile = "FEHLER #";
  if (nummer >= 0) zeile += " ";
  zeile += rt::IntToText(nummer) + "!";
  rt::PrintText(zeile, true);
  DruckeZeile("Jegliche Taste = Programmende");
  WarteAufTaste();
  Fenster("LoeschAlleFenster", 0, 0, 0, 0, 0, "Programmende");
  rt::EndProgram(0);
}

}  // namespace

void ProtokollBeimStartAn() {
  gProtokollBeimStart = true;
}

void Haupt(int argc, char** argv) {
  rt::StartRuntime(argc, argv);
  GrafikTreiberInfo();
  EinstellungenZuruecksetzen();
  E().ProtokollAn = gProtokollBeimStart ? 1 : 0;
  FontsInitialisieren();
  FigurTypFuellen();
  try {
    LassBildAufloesungWaehlen();
    Hauptschleife();
  } catch (const rt::ProgramEnd&) {
    throw;
  } catch (...) {
    FehlerBehandeln(FehlerNummer(std::current_exception()));
  }
}

}  // namespace wimmel
