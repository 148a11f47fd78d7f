// Haupt: start-up, the main loop with its key table, the scene teardown on
// Escape and the top-level error handler.
#include "control/haupt.h"

#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "panels/panels.h"
#include "runtime/runtime.h"
#include "scene/scene.h"
#include "shared/dialog.h"
#include "shared/settings.h"
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
  return Settings().MusikStatus > 0;
}

void Log(std::string_view text) {
  if (Settings().ProtokollAn == 1) Protokoll(text);
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
  Figur(aufgabe, Settings().GewaehlteFigur, wert, 0, text);
}

int32_t MausAbfragen() {
  int32_t x = 0, y = 0, rad = 0, knopf = 0, clip = 0;
  Settings().MausFehler = rt::ReadMouse(x, y, rad, knopf, clip);
  Settings().MausX = x;
  Settings().MausY = y;
  Settings().MausKnopf = knopf;
  return Settings().MausFehler;
}

// Step-width prompt for X or Y: an empty answer changes nothing.
void SprungweiteFragen(bool fuerX) {
  const int32_t nr = Settings().GewaehlteFigur;
  std::string prompt = fuerX ? "Geben Sie den X-RichtungsSprungWeite ein, aktuell = "
                             : "Geben Sie den Y-RichtungsSprungWeite ein, aktuell = ";
  prompt += rt::RealToText(fuerX ? XSprungOf(nr) : YSprungOf(nr));
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
  Settings().HilfeSeite = 0;
  KopfFenster("Loeschen", "");
  Figur("FigurenLoeschen", 0, 0, 0, "Escape");
  Fenster("LoeschAlleFenster", 0, 0, 0, 0, 0, "Escape");
  Objekt("LoescheAlleObjekte", 0, 0, 0, 0, 0, "Escape");
  FreeHintergrund();
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
        Settings().SchalterN = 1 - Settings().SchalterN;
        return;
      case 'c':
      case 'C':
        Settings().SchalterC = 1 - Settings().SchalterC;
        return;
      case '\b':
        Settings().GewaehlteFigur = Settings().GewaehlteFigur == 1 ? Settings().FigurenAnzahl
                                                                   : Settings().GewaehlteFigur - 1;
        FigurBefehl("MachAktiv");
        return;
      case '\t':
        Settings().GewaehlteFigur = Settings().GewaehlteFigur >= Settings().FigurenAnzahl
                                        ? 1
                                        : Settings().GewaehlteFigur + 1;
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
        ShowAbout();
        return;
      default:
        return;
    }
  } else if (taste != kF1) {
    return;
  }
  // H, h and F1: the next panel of the information area.
  Settings().HilfeSeite = Settings().HilfeSeite + 1;
  if (Settings().HilfeSeite > Settings().HilfeSeitenAnzahl) Settings().HilfeSeite = 0;
  Panel(Settings().HilfeSeite, "Anzeigen");
}

// A right click diagonally beside the active figure steers it towards the pointer.
void RechtsklickLenken(std::string& taste) {
  int32_t fx = 0, fy = 0, fb = 0, fh = 0;
  if (!FigureRectangle(Settings().AktiveFigur, fx, fy, fb, fh)) return;
  const int64_t mx = Settings().MausX, my = Settings().MausY;
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
  Settings().GewaehlteFigur = 1;
  Settings().AktiveFigur = 1;
  for (;;) {
    if (Settings().KlickPause == 1) {
      rt::SleepMs(99);
      rt::SleepMs(99);
      rt::SleepMs(99);
      Settings().KlickPause = 0;
    }
    if (MausAbfragen() == 0) {
      if (Settings().MausKnopf & 1) {
        taste = Panel(Settings().HilfeSeite, "Mausklick");
        if (taste.empty()) Figur("LinksKlick", 0, 0, 0, "");
        // Wait for the release; a pointer that leaves the window ends the
        // wait too, since no release can be seen from there.
        while (MausAbfragen() == 0 && (Settings().MausKnopf & 1)) {
        }
      }
      if (Settings().MausFehler == 0 && (Settings().MausKnopf & 2)) RechtsklickLenken(taste);
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

void LogFromStart() {
  gProtokollBeimStart = true;
}

void Haupt(int argc, char** argv) {
  rt::StartRuntime(argc, argv);
  GrafikTreiberInfo();
  ResetSettings();
  Settings().ProtokollAn = gProtokollBeimStart ? 1 : 0;
  FontsInitialisieren();
  FillFigureKinds();
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
