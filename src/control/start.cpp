// The start screen: mode list, figure count, music switch and end key; after
// a choice it opens the chosen mode and builds the background and the scene.
#include <array>
#include <cstdint>
#include <string>

#include "control/haupt.h"
#include "control/program.h"
#include "images/bilder.h"
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

// Depth rows 1..4 (15, 16, 24, 32 bits) x resolution columns 1..4.
std::array<std::array<int32_t, 5>, 5> gModi{};
bool gModiGefuellt = false;
// Every listed option letter is appended; never cleared, only searched.
std::string gOptionsBuchstaben;

constexpr int32_t kTiefen[5] = {0, 15, 16, 24, 32};
constexpr int32_t kBreiten[5] = {0, 640, 800, 1024, 1280};
constexpr int32_t kHoehen[5] = {0, 480, 600, 768, 1024};
const char* const kZeilenText[5] = {"", "  640 x 480 Pixel x ", "  800 x 600 Pixel x ",
                                    " 1024 x 768 Pixel x ", " 1280 x1024 Pixel x "};

constexpr int32_t kBx = 430;
constexpr int32_t kBy = 90;
constexpr uint32_t kSchwarz = 0xFF000000;
constexpr int32_t kKappe = 19;

const std::string kEsc(1, '\x1B');
const std::string kClose = std::string(1, '\xFF') + "k";

void Log(std::string_view text) {
  if (Settings().ProtokollAn == 1) Protokoll(text);
}

std::string TastenKappenPfad() {
  return "HG_bild" + Settings().Trenner + "TastLe15.bmp";
}

void TastenKappe(int32_t x, int32_t y) {
  rt::Image bild = Bilder("GibBildPtr", TastenKappenPfad());
  rt::PutImage(nullptr, x, y, bild, 0, 0, kKappe, kKappe, rt::PutMode::Transparent);
}

void KappenText(std::string_view text, int32_t x, int32_t y) {
  MaleText(text, x, y, kSchwarz, 1, nullptr);
}

// The three boxes behind a label: black and grey outlines and a dark red fill.
void DreiBoxRahmen(int32_t breite, int32_t x, int32_t y, bool titel) {
  const int32_t g = FontHoehe(2) + 2;
  rt::DrawLine(nullptr, x - 4, y - 1, x - 4 + breite + 4, y - 1 + g, kSchwarz, 1);
  rt::DrawLine(nullptr, x - 3, y, x - 3 + breite + 4, y + g, 0xFFA09696, 1);
  rt::DrawLine(nullptr, x - 3, y, x - 3 + breite + 3, y + (titel ? g : g - 1), 0xFF400000, 2);
}

struct Kappen {
  int32_t minusX, minusY, plusX, plusY, soundX, soundY, endeX, endeY;
};

Kappen KappenPositionen() {
  const int32_t w2 = FontBreite(2), h2 = FontHoehe(2);
  return {kBx - 294, kBy + h2 - 13, kBx + 5 * w2 - 266, kBy + h2 - 13,
          kBx - 294, kBy + h2 + 87, kBx - 294,          kBy + h2 + 187};
}

bool AufKappe(int32_t kx, int32_t ky) {
  return Settings().MausX >= kx && Settings().MausX <= kx + kKappe - 1 && Settings().MausY >= ky &&
         Settings().MausY <= ky + kKappe - 1;
}

void AnzahlZeigen() {
  std::string text = rt::IntToText(Settings().FigurenAnzahl);
  if (text.size() < 5) text.insert(0, 5 - text.size(), ' ');
  MaleGravurFeld(text, kBx - 270, kBy + FontHoehe(2) - 10, 0xFFAAA040, 2);
}

void SoundZeigen(std::string_view text) {
  MaleGravurFeld(text, kBx - 270, kBy + FontHoehe(2) + 90, 0xFF40C840, 2);
}

void ModiErfragen() {
  for (int32_t d = 1; d <= 4; ++d) {
    for (uint32_t m = rt::ListScreenModes(kTiefen[d]); m != 0; m = rt::ListScreenModes(0)) {
      const int32_t w = static_cast<int32_t>(m >> 16), h = static_cast<int32_t>(m & 0xFFFF);
      for (int32_t r = 1; r <= 4; ++r) {
        if (w == kBreiten[r] && h == kHoehen[r]) gModi[d][r] = 1;
      }
    }
  }
  gModiGefuellt = true;
}

void MittelFensterBauen() {
  const int32_t w = static_cast<int32_t>(
      rt::TextToNumber(Fenster("Erstellen", 0, 0, 0, 0, 0, "Mittel-Fenster ")));
  Fenster("SetzTitel", w, 1, 0, 0, 0, "Mittel-Fenster " + rt::IntToText(w));
  Fenster("SetzXY", w, 0, Settings().KopfHoehe, 0, 0, "");
  Fenster("SetzGrundfarbe", w, 50, 50, 50, 0, "");
  Fenster("SetzRahmenfarbe", w, 100, 100, 100, 0, "");
  Fenster("SetzGroesse", w, 639, 380 - Settings().KopfHoehe, 0, 0, "");
  Fenster("SetzRahmenAbstand", w, 0, 0, 0, 0, "");
  Fenster("FUELLDATEIMUSTER", w, 50, 45, 0, 0, "pattern" + Settings().Trenner + "metall2.bmp");
  Fenster("ZeigAn", w, 0, 0, 0, 0, "");
}

void StartBildZeichnen() {
  const int32_t w2 = FontBreite(2), h2 = FontHoehe(2), g = h2 + 2;
  DreiBoxRahmen(25 * w2, kBx, kBy - 22, true);
  MaleText("Spielstart mit Aufloesung", kBx - 2, kBy - 20, 0xFF8080FF, 2, nullptr);
  for (int32_t k = 0; k <= 15; ++k) {
    const int32_t y = kBy + k * (g + 3);
    DreiBoxRahmen(30 * w2, kBx, y, false);
    TastenKappe(kBx - 24, y - 3);
    const int32_t d = k / 4 + 1, r = k % 4 + 1;
    if (gModi[d][r] != 1) continue;
    const std::string buchstabe(1, static_cast<char>('A' + k));
    KappenText(buchstabe, kBx - 18, y + 1);
    MaleText(std::string(kZeilenText[r]) + rt::IntToText(kTiefen[d]) + " bits", kBx, y + 1,
             0xFF8080FF, 2, nullptr);
    gOptionsBuchstaben += buchstabe;
  }

  const Kappen kp = KappenPositionen();
  MaleGravurFeld("ANZAHL FIGUREN", kBx - 300, kBy - 20, 0xFFAAA040, 2);
  AnzahlZeigen();
  TastenKappe(kp.minusX, kp.minusY);
  KappenText("-", kBx - 288, kBy + h2 - 8);
  TastenKappe(kp.plusX, kp.plusY);
  KappenText("+", kBx + 5 * w2 - 259, kBy + h2 - 8);

  MaleGravurFeld("SOUND / MUSIK", kBx - 300, kBy + 80, 0xFF40C840, 2);
  std::string zustand = Settings().MusikStatus > 0 ? " EIN  " : " AUS  ";
  if (Settings().SoundMoeglich == "nein") zustand = "No Dos";
  SoundZeigen(zustand);
  TastenKappe(kp.soundX, kp.soundY);
  KappenText("S", kp.soundX + 6, kp.soundY + 5);

  MaleGravurFeld("Programmende", kBx - 300, kBy + 180, 0xFFC84040, 2);
  TastenKappe(kp.endeX, kp.endeY);
  KappenText("E", kp.endeX + 2, kp.endeY + 5);
  KappenText("S", kp.endeX + 5, kp.endeY + 5);
  KappenText("C", kp.endeX + 9, kp.endeY + 5);
}

bool AuswahlGetroffen(const std::string& taste) {
  if (taste == kEsc) return true;
  return !taste.empty() && gOptionsBuchstaben.find(rt::UpperAscii(taste)) != std::string::npos;
}

std::string TastenSchleife() {
  const Kappen kp = KappenPositionen();
  for (;;) {
    std::string taste = rt::ReadKey();
    if (Settings().KlickPause == 1) {
      rt::SleepMs(99);
      rt::SleepMs(99);
      rt::SleepMs(99);
      Settings().KlickPause = 0;
    }
    int32_t x = 0, y = 0, rad = 0, knopf = 0, clip = 0;
    Settings().MausFehler = rt::ReadMouse(x, y, rad, knopf, clip);
    Settings().MausX = x;
    Settings().MausY = y;
    Settings().MausKnopf = knopf;
    if (Settings().MausFehler == 0 && (Settings().MausKnopf & 1)) {
      if (AufKappe(kp.soundX, kp.soundY)) {
        taste = "s";
        Settings().KlickPause = 1;
      }
      if (AufKappe(kp.plusX, kp.plusY)) {
        taste = "+";
        Settings().KlickPause = 1;
      }
      if (AufKappe(kp.minusX, kp.minusY)) {
        taste = "-";
        Settings().KlickPause = 1;
      }
      if (Settings().MausX >= kBx - 24 && Settings().MausX <= kBx - 6 && Settings().MausY >= 89 &&
          Settings().MausY <= 358) {
        // Rows are 17 pixels apart; the formula may fall between two rows.
        const int32_t zeile = (Settings().MausY - kBy + 20) / 17;
        taste = std::string(1, static_cast<char>(64 + zeile));
      }
      if (AufKappe(kp.endeX, kp.endeY)) {
        taste = kEsc;
        Settings().KlickPause = 1;
      }
    }
    // The window's close button leaves the start screen like Escape.
    if (taste == kClose) taste = kEsc;

    if (taste == "+") {
      if (Settings().FigurenAnzahl < 1024) ++Settings().FigurenAnzahl;
      AnzahlZeigen();
    } else if (taste == "-") {
      if (Settings().FigurenAnzahl > 1) --Settings().FigurenAnzahl;
      AnzahlZeigen();
    } else if (taste == "S" || taste == "s") {
      if (Settings().MusikStatus > 0) {
        Musik("MusikBeenden", "", 0);
        Musik("FmodBeenden", "", 0);
        Settings().MusikStatus = -1;
        SoundZeigen(" AUS  ");
      } else {
        Musik("Intro", "", 0);
        if (Settings().MusikStatus > 0) {
          SoundZeigen(" EIN  ");
        } else if (Settings().SoundMoeglich == "nein") {
          SoundZeigen("NoFmod");
        } else {
          SoundZeigen("FEHLER");
        }
      }
    } else if (Settings().MusikStatus > 0) {
      Musik("Intro", "", 0);
    }
    if (AuswahlGetroffen(taste)) return taste;
  }
}

[[noreturn]] void Abbrechen(std::string_view meldung, bool zeile) {
  if (zeile) {
    DruckeZeileBei(meldung, 460);
  } else {
    DruckeZeile(meldung);
  }
  WarteAufTaste();
  rt::EndProgram(0);
}

void HintergrundBauen() {
  SceneLayout& s = Layout();
  const std::string pfad = "HG_bild" + Settings().Trenner + "Karogrun.bmp";
  int32_t bildBreite = 0, bildHoehe = 0;
  const bool da = rt::ProbeBmpSize(pfad, bildBreite, bildHoehe) > 0;
  rt::Image bitmap = nullptr;
  if (da) {
    bitmap = rt::CreateImage(bildBreite, bildHoehe, 0, 0, 0);
    if (bitmap != nullptr) {
      rt::LoadBmp(pfad, bitmap);
    } else {
      Abbrechen(
          "Bildbitmap konnte nicht erstellt werden  HintergrundGesamtPointer=0 - Taste = Ende",
          false);
    }
  } else {
    DruckeZeileBei("Soll Hintergrund aus der Datei " + pfad +
                       " aufbauen Datei existiert jedoch nicht. Taste = Programmende",
                   460);
    WarteAufTaste();
    rt::EndProgram(0);
  }

  FreeHintergrund();
  const int32_t breite = s.screenWidth;
  const int32_t hoehe = s.screenHeight - Settings().KopfHoehe - Settings().FussHoehe;
  s.Hintergrund = rt::CreateImage(breite, hoehe, 0, 0, 0);
  if (s.Hintergrund == nullptr) {
    rt::DestroyImage(bitmap);
    rt::PrintLine(0,
                  "Konnte fuer das Hintergrundbild in angepa\xDFter Groesse keinen Speicher "
                  "kriegen, breche ab");
    WarteAufTaste();
    rt::EndProgram(0);
  }
  s.width = breite;
  s.height = hoehe;
  rt::PutImage(s.Hintergrund, 0, 0, bitmap, 0, 0, breite, hoehe, rt::PutMode::Opaque);
  s.visibleCornerX = breite < s.screenWidth ? breite - 1 : s.screenWidth - 1;
  s.visibleCornerY = hoehe < s.screenHeight ? hoehe - 1 : s.screenHeight - 1;
  rt::DestroyImage(bitmap);

  s.SzeneX0 = s.screenWidth > breite ? (s.screenWidth - breite) / 2 : 0;
  s.SzeneX1 = breite + s.SzeneX0 < s.screenWidth ? breite + s.SzeneX0 : s.screenWidth;
  s.SzeneY0 = Settings().KopfHoehe + hoehe < s.screenHeight ? Settings().KopfHoehe : 0;
  s.SzeneY1 = hoehe + s.SzeneY0 < s.screenHeight ? hoehe + s.SzeneY0 : s.screenHeight;
}

void SzeneBauen() {
  SceneLayout& s = Layout();
  Log("LassBildAufloesungWaehlen(): Hintergrund steht, Objekte erstellen");
  Objekt("Erstellen", 0, 0, 0, 0, 0, "AufloesungFragen");
  Objekt("InHintergrundEinbinden", 1, 0, 0, 0, 0, "AufloesungFragen");
  Objekt("InHintergrundEinbinden", 2, 0, 0, 0, 0, "AufloesungFragen");
  rt::PutImage(nullptr, s.SzeneX0, s.SzeneY0, s.Hintergrund, 0, 0, s.visibleCornerX + 1,
               s.visibleCornerY + 1, rt::PutMode::Opaque);
  KopfFenster("Erstellen", "WIMMEL 0.1");
  KopfFenster("Anzeigen", "");
  AnzeigeFensterUnten("Erstellen");
  AnzeigeFensterUnten("Anzeigen");
  AnzeigeHilfe1("Erstellen");
  AnzeigeHilfe2("Erstellen");
  AnzeigeHilfe3("Erstellen");
  Log("LassBildAufloesungWaehlen(): Figuren erstellen");
  Settings().GewaehlteFigur = 1;
  Figur("FigurenInit", 0, 0, 0, "AufloesungFragen");
  Figur("MachAktiv", Settings().GewaehlteFigur, 0, 0, "");
  Log("LassBildAufloesungWaehlen(): Beendet, Spiel in Tastenroutine starten");
}

}  // namespace

void LassBildAufloesungWaehlen() {
  SceneLayout& s = Layout();
  Log("LassBildAufloesungWaehlen(): gestartet");
  s.screenWidth = 640;
  s.screenHeight = 480;
  s.screenDepth = 16;
  s.SzeneY0 = Settings().KopfHoehe;
  rt::SetScreenMode(18, 16, 0, 1, 0);
  if (Settings().MusikStatus > 0) Musik("Intro", "", 0);
  KopfFenster("Erstellen", "Wimmel 0.1 - Startbildschirm");
  KopfFenster("Anzeigen", "");
  rt::LocateText(6, 23);
  rt::PrintText("   Frage Ihre Grafikkarte nach", true);
  rt::LocateText(7, 23);
  rt::PrintText("vorhandenen Bildschirmaufloesungen", true);
  if (!gModiGefuellt) ModiErfragen();
  MittelFensterBauen();
  StartBildZeichnen();
  AnzeigeStartFussFenster("Erstellen");
  AnzeigeStartFussFenster("Anzeigen");

  const std::string taste = TastenSchleife();

  Log("LassBildAufloesungWaehlen(): Auswahl wurde beantwortet, Kopffenster loeschen");
  KopfFenster("Loeschen", "");
  Fenster("LoeschAlleFenster", 0, 0, 0, 0, 0, "Aufloesungfertig");
  AnzeigeStartFussFenster("Loeschen");
  const char wahl = taste == kEsc ? '\x1B' : rt::UpperAscii(taste)[0];
  int32_t tiefe = s.screenDepth;
  if (wahl >= 'A' && wahl <= 'D') tiefe = 15;
  if (wahl >= 'E' && wahl <= 'H') tiefe = 16;
  if (wahl >= 'I' && wahl <= 'L') tiefe = 24;
  if (wahl >= 'M' && wahl <= 'P') tiefe = 32;
  if (Settings().MusikStatus > 0) Musik("MusikBeenden", "", 0);
  if (wahl == '\x1B') {
    if (Settings().MusikStatus > 0) Musik("MusikBeenden", "", 0);
    if (Settings().MusikStatus > 0) Musik("FmodBeenden", "", 0);
    DesktopModusSetzen();
    rt::EndProgram(0);
  }
  const int32_t spalte = (wahl - 'A') % 4 + 1;
  static constexpr int32_t kModus[5] = {0, 18, 19, 20, 21};
  s.halfX = kBreiten[spalte] / 2;
  s.halfY = kHoehen[spalte] / 2;
  rt::SetScreenMode(kModus[spalte], tiefe, 0, 1, 0);
  const rt::ScreenInfo info = rt::GetScreenInfo();
  s.screenWidth = info.width;
  s.screenHeight = info.height;
  s.screenDepth = info.depth;
  Log("LassBildAufloesungWaehlen(): Screen " + rt::IntToText(info.width) + "x" +
      rt::IntToText(info.height) + "x" + rt::IntToText(info.depth) + " ist gew\xE4hlt");

  HintergrundBauen();
  SzeneBauen();
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
namespace control {
struct ControlState {};
}  // namespace control
template class Owned<control::ControlState>;
}  // namespace wimmel
