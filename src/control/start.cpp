// The start screen: mode list, figure count, music switch and end key; after
// a choice it opens the chosen mode and builds the background and the scene.
#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "control/control_state.h"
#include "control/haupt.h"
#include "control/program.h"
#include "images/bilder.h"
#include "panels/panels.h"
#include "runtime/keys.h"
#include "runtime/runtime.h"
#include "scene/scene.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "sound/musik.h"
#include "text/text.h"
#include "windows/fenster.h"

namespace wimmel {

namespace {

// Depth rows 1..4 by resolution columns 1..4, as in the offered-mode table.
constexpr int32_t kDepths[5] = {0, 15, 16, 24, 32};
constexpr int32_t kWidths[5] = {0, 640, 800, 1024, 1280};
constexpr int32_t kHeights[5] = {0, 480, 600, 768, 1024};
const char* const kRowTexts[5] = {"", "  640 x 480 Pixel x ", "  800 x 600 Pixel x ",
                                  " 1024 x 768 Pixel x ", " 1280 x1024 Pixel x "};
// The runtime's screen mode numbers of the four resolutions.
constexpr int32_t kModeNumbers[5] = {0, 18, 19, 20, 21};

// The top left corner of the mode list; everything else is placed from it.
constexpr int32_t kListX = 430;
constexpr int32_t kListY = 90;
constexpr uint32_t kBlack = 0xFF000000;
// The side of a key cap picture.
constexpr int32_t kCapSide = 19;

const std::string kEscapeKey = rt::keys::KeyString(static_cast<char>(rt::keys::kEscape));
const std::string kCloseKey = rt::keys::KeyString(rt::keys::kCloseRequest);

void Log(std::string_view text) {
  if (LogIsOn()) Protokoll(text);
}

std::string KeyCapPath() {
  return "HG_bild" + Settings().Trenner + "TastLe15.bmp";
}

void DrawKeyCap(int32_t x, int32_t y) {
  rt::Image cap = Bilder("GibBildPtr", KeyCapPath());
  rt::PutImage(nullptr, x, y, cap, 0, 0, kCapSide, kCapSide, rt::PutMode::Transparent);
}

void KeyCapLabel(std::string_view text, int32_t x, int32_t y) {
  MaleText(text, x, y, kBlack, 1, nullptr);
}

// The three boxes behind a label: black and grey outlines and a dark red fill.
void LabelFrame(int32_t width, int32_t x, int32_t y, bool title) {
  const int32_t h = FontHoehe(2) + 2;
  rt::DrawLine(nullptr, x - 4, y - 1, x - 4 + width + 4, y - 1 + h, kBlack, 1);
  rt::DrawLine(nullptr, x - 3, y, x - 3 + width + 4, y + h, 0xFFA09696, 1);
  rt::DrawLine(nullptr, x - 3, y, x - 3 + width + 3, y + (title ? h : h - 1), 0xFF400000, 2);
}

// Where the key caps of the figure count, the music switch and the end key lie.
struct KeyCaps {
  int32_t minusX, minusY, plusX, plusY, soundX, soundY, endX, endY;
};

KeyCaps KeyCapPositions() {
  const int32_t w2 = FontBreite(2), h2 = FontHoehe(2);
  return {kListX - 294, kListY + h2 - 13, kListX + 5 * w2 - 266, kListY + h2 - 13,
          kListX - 294, kListY + h2 + 87, kListX - 294,          kListY + h2 + 187};
}

bool OnKeyCap(int32_t capX, int32_t capY) {
  return Settings().MausX >= capX && Settings().MausX <= capX + kCapSide - 1 &&
         Settings().MausY >= capY && Settings().MausY <= capY + kCapSide - 1;
}

void ShowFigureCount() {
  std::string text = rt::IntToText(Settings().FigurenAnzahl);
  if (text.size() < 5) text.insert(0, 5 - text.size(), ' ');
  MaleGravurFeld(text, kListX - 270, kListY + FontHoehe(2) - 10, 0xFFAAA040, 2);
}

void ShowMusicState(std::string_view text) {
  MaleGravurFeld(text, kListX - 270, kListY + FontHoehe(2) + 90, 0xFF40C840, 2);
}

void AskOfferedModes() {
  control::ControlState& state = control::State();
  for (int32_t d = 1; d <= 4; ++d) {
    for (uint32_t m = rt::ListScreenModes(kDepths[d]); m != 0; m = rt::ListScreenModes(0)) {
      const int32_t w = static_cast<int32_t>(m >> 16), h = static_cast<int32_t>(m & 0xFFFF);
      for (int32_t r = 1; r <= 4; ++r) {
        if (w == kWidths[r] && h == kHeights[r]) state.offeredModes[d][r] = true;
      }
    }
  }
  state.modesAsked = true;
}

void BuildCentreWindow() {
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

void DrawStartScreen() {
  control::ControlState& state = control::State();
  const int32_t w2 = FontBreite(2), h2 = FontHoehe(2), rowStep = h2 + 2;
  LabelFrame(25 * w2, kListX, kListY - 22, true);
  MaleText("Spielstart mit Aufloesung", kListX - 2, kListY - 20, 0xFF8080FF, 2, nullptr);
  for (int32_t k = 0; k <= 15; ++k) {
    const int32_t y = kListY + k * (rowStep + 3);
    LabelFrame(30 * w2, kListX, y, false);
    DrawKeyCap(kListX - 24, y - 3);
    const int32_t d = k / 4 + 1, r = k % 4 + 1;
    if (!state.offeredModes[d][r]) continue;
    const std::string letter(1, static_cast<char>('A' + k));
    KeyCapLabel(letter, kListX - 18, y + 1);
    MaleText(std::string(kRowTexts[r]) + rt::IntToText(kDepths[d]) + " bits", kListX, y + 1,
             0xFF8080FF, 2, nullptr);
    state.optionLetters += letter;
  }

  const KeyCaps caps = KeyCapPositions();
  MaleGravurFeld("ANZAHL FIGUREN", kListX - 300, kListY - 20, 0xFFAAA040, 2);
  ShowFigureCount();
  DrawKeyCap(caps.minusX, caps.minusY);
  KeyCapLabel("-", kListX - 288, kListY + h2 - 8);
  DrawKeyCap(caps.plusX, caps.plusY);
  KeyCapLabel("+", kListX + 5 * w2 - 259, kListY + h2 - 8);

  MaleGravurFeld("SOUND / MUSIK", kListX - 300, kListY + 80, 0xFF40C840, 2);
  std::string musicState = Settings().MusikStatus > 0 ? " EIN  " : " AUS  ";
  if (Settings().SoundMoeglich == "nein") musicState = "No Dos";
  ShowMusicState(musicState);
  DrawKeyCap(caps.soundX, caps.soundY);
  KeyCapLabel("S", caps.soundX + 6, caps.soundY + 5);

  MaleGravurFeld("Programmende", kListX - 300, kListY + 180, 0xFFC84040, 2);
  DrawKeyCap(caps.endX, caps.endY);
  KeyCapLabel("E", caps.endX + 2, caps.endY + 5);
  KeyCapLabel("S", caps.endX + 5, caps.endY + 5);
  KeyCapLabel("C", caps.endX + 9, caps.endY + 5);
}

bool IsChoice(const std::string& key) {
  if (key == kEscapeKey) return true;
  return !key.empty() &&
         control::State().optionLetters.find(rt::UpperAscii(key)) != std::string::npos;
}

std::string KeyLoop() {
  const KeyCaps caps = KeyCapPositions();
  for (;;) {
    std::string key = rt::ReadKey();
    const bool typed = !key.empty();
    if (Settings().KlickPause == 1) {
      rt::SleepMs(99);
      rt::SleepMs(99);
      rt::SleepMs(99);
      Settings().KlickPause = 0;
    }
    int32_t x = 0, y = 0, wheel = 0, buttons = 0, clip = 0;
    Settings().MausFehler = rt::ReadMouse(x, y, wheel, buttons, clip);
    Settings().MausX = x;
    Settings().MausY = y;
    Settings().MausKnopf = buttons;
    if (Settings().MausFehler == 0 && (Settings().MausKnopf & 1)) {
      if (OnKeyCap(caps.soundX, caps.soundY)) {
        key.assign(1, 's');
        Settings().KlickPause = 1;
      }
      if (OnKeyCap(caps.plusX, caps.plusY)) {
        key.assign(1, '+');
        Settings().KlickPause = 1;
      }
      if (OnKeyCap(caps.minusX, caps.minusY)) {
        key.assign(1, '-');
        Settings().KlickPause = 1;
      }
      if (Settings().MausX >= kListX - 24 && Settings().MausX <= kListX - 6 &&
          Settings().MausY >= 89 && Settings().MausY <= 358) {
        // Rows are 17 pixels apart; the formula may fall between two rows.
        const int32_t row = (Settings().MausY - kListY + 20) / 17;
        key = std::string(1, static_cast<char>(64 + row));
      }
      if (OnKeyCap(caps.endX, caps.endY)) {
        key = kEscapeKey;
        Settings().KlickPause = 1;
      }
    }
    // The window's close button leaves the start screen like Escape.
    if (key == kCloseKey) key = kEscapeKey;

    if (key == "+") {
      if (Settings().FigurenAnzahl < 1024) ++Settings().FigurenAnzahl;
      ShowFigureCount();
    } else if (key == "-") {
      if (Settings().FigurenAnzahl > 1) --Settings().FigurenAnzahl;
      ShowFigureCount();
    } else if (key == "S" || key == "s") {
      if (Settings().MusikStatus > 0) {
        Musik("MusikBeenden", "", 0);
        Musik("FmodBeenden", "", 0);
        Settings().MusikStatus = -1;
        ShowMusicState(" AUS  ");
      } else {
        Musik("Intro", "", 0);
        if (Settings().MusikStatus > 0) {
          ShowMusicState(" EIN  ");
        } else if (Settings().SoundMoeglich == "nein") {
          ShowMusicState("NoFmod");
        } else {
          ShowMusicState("FEHLER");
        }
      }
    } else if (Settings().MusikStatus > 0) {
      Musik("Intro", "", 0);
    }
    if (IsChoice(key)) return key;
    // A pass without a typed key and without a click on a key cap changed
    // nothing that the next pass would not find the same, until input comes;
    // the intro is looked after often enough to follow a finished track.
    // A held click repeats through the click pause instead.
    if (!typed && Settings().KlickPause == 0 && !rt::InputWaiting()) {
      rt::WaitForInput(Settings().MusikStatus > 0 ? rt::TimerSeconds() + control::kMusicCheckSeconds
                                                  : std::numeric_limits<double>::infinity());
    }
  }
}

[[noreturn]] void Abort(std::string_view message, bool atLine) {
  if (atLine) {
    DruckeZeileBei(message, 460);
  } else {
    DruckeZeile(message);
  }
  WarteAufTaste();
  rt::EndProgram(0);
}

void BuildBackground() {
  SceneLayout& s = Layout();
  const std::string path = "HG_bild" + Settings().Trenner + "Karogrun.bmp";
  int32_t pictureWidth = 0, pictureHeight = 0;
  const bool present = rt::ProbeBmpSize(path, pictureWidth, pictureHeight) > 0;
  rt::Image picture = nullptr;
  if (present) {
    picture = rt::CreateImage(pictureWidth, pictureHeight, 0, 0, 0);
    if (picture != nullptr) {
      rt::LoadBmp(path, picture);
    } else {
      Abort("Bildbitmap konnte nicht erstellt werden  HintergrundGesamtPointer=0 - Taste = Ende",
            false);
    }
  } else {
    DruckeZeileBei("Soll Hintergrund aus der Datei " + path +
                       " aufbauen Datei existiert jedoch nicht. Taste = Programmende",
                   460);
    WarteAufTaste();
    rt::EndProgram(0);
  }

  FreeHintergrund();
  const int32_t width = s.screenWidth;
  const int32_t height = s.screenHeight - Settings().KopfHoehe - Settings().FussHoehe;
  s.Hintergrund = rt::CreateImage(width, height, 0, 0, 0);
  if (s.Hintergrund == nullptr) {
    rt::DestroyImage(picture);
    rt::PrintLine(0,
                  "Konnte fuer das Hintergrundbild in angepa\xDFter Groesse keinen Speicher "
                  "kriegen, breche ab");
    WarteAufTaste();
    rt::EndProgram(0);
  }
  s.width = width;
  s.height = height;
  rt::PutImage(s.Hintergrund, 0, 0, picture, 0, 0, width, height, rt::PutMode::Opaque);
  s.visibleCornerX = width < s.screenWidth ? width - 1 : s.screenWidth - 1;
  s.visibleCornerY = height < s.screenHeight ? height - 1 : s.screenHeight - 1;
  rt::DestroyImage(picture);

  s.SzeneX0 = s.screenWidth > width ? (s.screenWidth - width) / 2 : 0;
  s.SzeneX1 = width + s.SzeneX0 < s.screenWidth ? width + s.SzeneX0 : s.screenWidth;
  s.SzeneY0 = Settings().KopfHoehe + height < s.screenHeight ? Settings().KopfHoehe : 0;
  s.SzeneY1 = height + s.SzeneY0 < s.screenHeight ? height + s.SzeneY0 : s.screenHeight;
}

void BuildScene() {
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

// Opens the mode of an option letter (A to P) and builds the scene in it.
void OpenChosenMode(char choice) {
  SceneLayout& s = Layout();
  int32_t depth = s.screenDepth;
  if (choice >= 'A' && choice <= 'D') depth = 15;
  if (choice >= 'E' && choice <= 'H') depth = 16;
  if (choice >= 'I' && choice <= 'L') depth = 24;
  if (choice >= 'M' && choice <= 'P') depth = 32;
  if (Settings().MusikStatus > 0) Musik("MusikBeenden", "", 0);
  const int32_t column = (choice - 'A') % 4 + 1;
  s.halfX = kWidths[column] / 2;
  s.halfY = kHeights[column] / 2;
  rt::SetScreenMode(kModeNumbers[column], depth, 0, 1, 0);
  const rt::ScreenInfo info = rt::GetScreenInfo();
  s.screenWidth = info.width;
  s.screenHeight = info.height;
  s.screenDepth = info.depth;
  Log("LassBildAufloesungWaehlen(): Screen " + rt::IntToText(info.width) + "x" +
      rt::IntToText(info.height) + "x" + rt::IntToText(info.depth) + " ist gew\xE4hlt");

  BuildBackground();
  BuildScene();
}

}  // namespace

char OptionLetter(int32_t width, int32_t height, int32_t depth) {
  int32_t row = 0, column = 0;
  for (int32_t d = 1; d <= 4; ++d) {
    if (kDepths[d] == depth) row = d;
  }
  for (int32_t r = 1; r <= 4; ++r) {
    if (kWidths[r] == width && kHeights[r] == height) column = r;
  }
  if (row == 0 || column == 0) return '\0';
  return static_cast<char>('A' + (row - 1) * 4 + (column - 1));
}

void LassBildAufloesungWaehlen() {
  // A scene the command line asked for is opened once, in place of the
  // start screen's first choice; Escape leads to the start screen as usual.
  if (const char preset = control::State().presetChoice; preset != '\0') {
    control::State().presetChoice = '\0';
    Log("LassBildAufloesungWaehlen(): gestartet");
    OpenChosenMode(preset);
    return;
  }
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
  if (!control::State().modesAsked) AskOfferedModes();
  BuildCentreWindow();
  DrawStartScreen();
  AnzeigeStartFussFenster("Erstellen");
  AnzeigeStartFussFenster("Anzeigen");

  const std::string key = KeyLoop();

  Log("LassBildAufloesungWaehlen(): Auswahl wurde beantwortet, Kopffenster loeschen");
  KopfFenster("Loeschen", "");
  Fenster("LoeschAlleFenster", 0, 0, 0, 0, 0, "Aufloesungfertig");
  AnzeigeStartFussFenster("Loeschen");
  if (key == kEscapeKey) {
    // The choice stops the music, and leaving the program stops it again
    // and closes the sound library.
    if (Settings().MusikStatus > 0) Musik("MusikBeenden", "", 0);
    if (Settings().MusikStatus > 0) Musik("MusikBeenden", "", 0);
    if (Settings().MusikStatus > 0) Musik("FmodBeenden", "", 0);
    DesktopModusSetzen();
    rt::EndProgram(0);
  }
  OpenChosenMode(rt::UpperAscii(key)[0]);
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
template class Owned<control::ControlState>;
}  // namespace wimmel
