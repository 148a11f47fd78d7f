// The start screen: mode list, figure count, music switch and end key; after
// a choice it opens the chosen mode and builds the background and the scene.
#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "control/control_state.h"
#include "control/haupt.h"
#include "control/loop_input.h"
#include "control/modes.h"
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

// The list's text of each size of control::kModeSizes.
const char* const kRowTexts[control::kModeCount] = {"  640 x 480 Pixel x ", "  800 x 600 Pixel x ",
                                                    " 1024 x 768 Pixel x ", " 1280 x1024 Pixel x "};

// The top left corner of the mode list; everything else is placed from it.
constexpr int32_t kListX = 430;
constexpr int32_t kListY = 90;
constexpr uint32_t kBlack = 0xFF000000;
// The side of a key cap picture.
constexpr int32_t kCapSide = 19;
// The mode list: one row per option letter, A at the top, each with its key
// cap left of the text and a little higher. Drawing and the click test both
// place the rows from these.
constexpr int32_t kModeRows = control::kModeCount * control::kModeCount;
constexpr int32_t kRowCapX = kListX - 24;
constexpr int32_t kRowCapRise = 3;

using control::kCloseKey;
using control::kEscapeKey;

void Log(std::string_view text) {
  if (LogIsOn()) Protokoll(text);
}

std::string KeyCapPath() {
  return "HG_bild" + Settings().Trenner + "TastLe15.bmp";
}

void DrawKeyCap(int32_t x, int32_t y) {
  rt::Image cap = images::Picture(KeyCapPath());
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

// The distance from one mode row to the next.
int32_t RowPitch() {
  return FontHoehe(2) + 5;
}

// The top of mode row `k`'s text line.
int32_t RowY(int32_t k) {
  return kListY + k * RowPitch();
}

// The option letter of the mode row whose key cap column the mouse is on, or
// '\0'. Each row answers from its cap's top to the next cap's; the column
// begins at the first row's frame, a little below its cap's top.
char ModeRowAtMouse() {
  const int32_t x = Settings().MausX, y = Settings().MausY;
  if (x < kRowCapX || x > kRowCapX + kCapSide - 1) return '\0';
  if (y < kListY - 1) return '\0';
  const int32_t k = (y - (RowY(0) - kRowCapRise)) / RowPitch();
  if (k >= kModeRows) return '\0';
  return static_cast<char>('A' + k);
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
  state.offeredModes = AskDisplayModes();
  state.modesAsked = true;
}

void BuildCentreWindow() {
  const int32_t w = windows::Create("Mittel-Fenster ");
  windows::SetTitle(w, "Mittel-Fenster " + rt::IntToText(w), windows::Title::Hidden);
  windows::SetPosition(w, 0, Settings().KopfHoehe);
  windows::SetBaseColour(w, {50, 50, 50});
  windows::SetFrameColour(w, {100, 100, 100});
  windows::SetSize(w, 639, 380 - Settings().KopfHoehe);
  windows::SetFrameDistance(w, 0, 0);
  windows::FillWithPattern(w, "pattern" + Settings().Trenner + "metall2.bmp");
  windows::Show(w);
}

void DrawStartScreen() {
  control::ControlState& state = control::State();
  const int32_t w2 = FontBreite(2), h2 = FontHoehe(2);
  LabelFrame(25 * w2, kListX, kListY - 22, true);
  MaleText("Spielstart mit Aufloesung", kListX - 2, kListY - 20, 0xFF8080FF, 2, nullptr);
  for (int32_t k = 0; k < kModeRows; ++k) {
    const int32_t y = RowY(k);
    LabelFrame(30 * w2, kListX, y, false);
    DrawKeyCap(kRowCapX, y - kRowCapRise);
    const control::LetterMode mode = control::ModeOfLetter(static_cast<char>('A' + k));
    if (!state.offeredModes[mode.depthIndex][mode.sizeIndex]) continue;
    const std::string letter(1, static_cast<char>('A' + k));
    KeyCapLabel(letter, kRowCapX + 6, y + 1);
    MaleText(std::string(kRowTexts[mode.sizeIndex]) +
                 rt::IntToText(control::kModeDepths[mode.depthIndex]) + " bits",
             kListX, y + 1, 0xFF8080FF, 2, nullptr);
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
    control::ClickPause();
    if (control::PollMouse() == 0 && (Settings().MausKnopf & 1)) {
      if (OnKeyCap(caps.soundX, caps.soundY)) {
        key.assign(1, 's');
        RequestClickPause();
      }
      if (OnKeyCap(caps.plusX, caps.plusY)) {
        key.assign(1, '+');
        RequestClickPause();
      }
      if (OnKeyCap(caps.minusX, caps.minusY)) {
        key.assign(1, '-');
        RequestClickPause();
      }
      if (const char letter = ModeRowAtMouse(); letter != '\0') key.assign(1, letter);
      if (OnKeyCap(caps.endX, caps.endY)) {
        key = kEscapeKey;
        RequestClickPause();
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
        sound::StopMusic();
        sound::CloseSoundLibrary();
        MarkMusicOff();
        ShowMusicState(" AUS  ");
      } else {
        sound::PlayIntro();
        if (Settings().MusikStatus > 0) {
          ShowMusicState(" EIN  ");
        } else if (Settings().SoundMoeglich == "nein") {
          ShowMusicState("NoFmod");
        } else {
          ShowMusicState("FEHLER");
        }
      }
    } else if (Settings().MusikStatus > 0) {
      sound::PlayIntro();
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
  rt::OwnedImage picture;
  if (present) {
    picture.reset(rt::CreateImage(pictureWidth, pictureHeight, 0, 0, 0));
    if (picture) {
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
  s.Hintergrund.reset(rt::CreateImage(width, height, 0, 0, 0));
  if (!s.Hintergrund) {
    picture.reset();
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
  picture.reset();

  s.SzeneX0 = s.screenWidth > width ? (s.screenWidth - width) / 2 : 0;
  s.SzeneX1 = width + s.SzeneX0 < s.screenWidth ? width + s.SzeneX0 : s.screenWidth;
  s.SzeneY0 = Settings().KopfHoehe + height < s.screenHeight ? Settings().KopfHoehe : 0;
  s.SzeneY1 = height + s.SzeneY0 < s.screenHeight ? height + s.SzeneY0 : s.screenHeight;
}

void BuildScene() {
  Log("LassBildAufloesungWaehlen(): Hintergrund steht, Objekte erstellen");
  scene::CreateObjects();
  // The start-up merges the objects twice; the second pass draws the same
  // picture again (and reports an object without a picture again).
  scene::MergeObjectsIntoBackground();
  scene::MergeObjectsIntoBackground();
  control::ShowBackground();
  panels::CreateHeader("WIMMEL 0.1");
  panels::ShowHeader();
  panels::CreateBottomBar();
  panels::ShowBottomBar();
  panels::CreateHelpPage(1);
  panels::CreateHelpPage(2);
  panels::CreateHelpPage(3);
  Log("LassBildAufloesungWaehlen(): Figuren erstellen");
  SelectFigure(1);
  scene::CreateFigures();
  scene::MakeFigureActive(Settings().GewaehlteFigur);
  Log("LassBildAufloesungWaehlen(): Beendet, Spiel in Tastenroutine starten");
}

// Opens the mode of an option letter (A to P) and builds the scene in it.
void OpenChosenMode(char choice) {
  SceneLayout& s = Layout();
  const control::LetterMode mode = control::ModeOfLetter(choice);
  const control::ModeSize& size = control::kModeSizes[mode.sizeIndex];
  if (Settings().MusikStatus > 0) sound::StopMusic();
  s.halfX = size.width / 2;
  s.halfY = size.height / 2;
  rt::SetScreenMode(size.modeNumber, control::kModeDepths[mode.depthIndex], 0, 1, 0);
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

control::OfferedModeTable AskDisplayModes() {
  control::OfferedModeTable offered{};
  for (int32_t d = 0; d < control::kModeCount; ++d) {
    for (uint32_t m = rt::ListScreenModes(control::kModeDepths[d]); m != 0;
         m = rt::ListScreenModes(0)) {
      const int32_t r = control::ModeSizeIndex(m >> 16, m & 0xFFFF);
      if (r >= 0) offered[d][r] = true;
    }
  }
  return offered;
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
  if (Settings().MusikStatus > 0) sound::PlayIntro();
  panels::CreateHeader("Wimmel 0.1 - Startbildschirm");
  panels::ShowHeader();
  rt::LocateText(6, 23);
  rt::PrintText("   Frage Ihre Grafikkarte nach", true);
  rt::LocateText(7, 23);
  rt::PrintText("vorhandenen Bildschirmaufloesungen", true);
  if (!control::State().modesAsked) AskOfferedModes();
  BuildCentreWindow();
  DrawStartScreen();
  panels::CreateStartFooter();
  panels::ShowStartFooter();

  const std::string key = KeyLoop();

  Log("LassBildAufloesungWaehlen(): Auswahl wurde beantwortet, Kopffenster loeschen");
  panels::DeleteHeader();
  windows::DeleteAll();
  panels::DeleteStartFooter();
  if (key == kEscapeKey) {
    // The choice stops the music, and leaving the program stops it again
    // and closes the sound library.
    if (Settings().MusikStatus > 0) sound::StopMusic();
    if (Settings().MusikStatus > 0) sound::StopMusic();
    if (Settings().MusikStatus > 0) sound::CloseSoundLibrary();
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
