// Haupt: start-up, the main loop with its key table, the scene teardown on
// Escape and the top-level error handler.
#include "control/haupt.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

#include "control/benchmark.h"
#include "control/control_state.h"
#include "control/loop_input.h"
#include "control/modes.h"
#include "panels/panels.h"
#include "runtime/keys.h"
#include "runtime/runtime.h"
#include "scene/scene.h"
#include "shared/dialog.h"
#include "shared/figure_keys.h"
#include "shared/settings.h"
#include "sound/musik.h"
#include "text/text.h"
#include "windows/fenster.h"

namespace wimmel {

namespace {

namespace keys = rt::keys;

using control::kCloseKey;
using control::kEscapeKey;
const std::string kF1Key = keys::KeyString(keys::kF1);
constexpr double kForever = std::numeric_limits<double>::infinity();

bool MusicOn() {
  return Settings().MusikStatus > 0;
}

void Log(std::string_view text) {
  if (LogIsOn()) Protokoll(text);
}

// The figure the keys steer.
int32_t Selected() {
  return Settings().GewaehlteFigur;
}

// The selected figure heads along both axes.
void TurnSelected(scene::Direction horizontal, scene::Direction vertical) {
  scene::TurnFigure(Selected(), horizontal);
  scene::TurnFigure(Selected(), vertical);
}

// Step-width prompt for X or Y: an empty answer changes nothing.
void AskStepWidth(bool forX) {
  const int32_t number = Settings().GewaehlteFigur;
  std::string prompt = forX ? "Geben Sie den X-RichtungsSprungWeite ein, aktuell = "
                            : "Geben Sie den Y-RichtungsSprungWeite ein, aktuell = ";
  prompt += rt::RealToText(forX ? XSprungOf(number) : YSprungOf(number));
  prompt += ")";
  const std::string answer = EingabeZeile(prompt);
  if (answer.empty()) return;
  const int32_t width = rt::RoundToInt(rt::TextToNumber(answer));
  if (forX) {
    scene::SetHorizontalStep(Selected(), width);
  } else {
    scene::SetVerticalStep(Selected(), width);
  }
}

void TearDownScene() {
  Log("Haupt: Escape gedrueckt");
  panels::DeleteHelpPage(3);
  panels::DeleteHelpPage(2);
  panels::DeleteHelpPage(1);
  panels::DeleteBottomBar();
  Settings().HilfeSeite = 0;
  panels::DeleteHeader();
  scene::DeleteFigures();
  windows::DeleteAll();
  scene::DeleteAllObjects();
  FreeHintergrund();
  Log("Haupt: Escape fertig, in Aufloesungswahl");
  if (MusicOn()) sound::StopMusic();
}

// The figure kind a picture key chooses, or an empty view for any other key.
std::string_view PictureKind(char key) {
  const char upper = key >= 'a' && key <= 'z' ? static_cast<char>(key - 'a' + 'A') : key;
  for (const FigureKey& entry : kFigureKeys) {
    if (entry.letter == upper) return entry.kind;
  }
  return {};
}

void NextInfoAreaPanel() {
  Settings().HilfeSeite = Settings().HilfeSeite + 1;
  if (Settings().HilfeSeite > Settings().HilfeSeitenAnzahl) Settings().HilfeSeite = 0;
  panels::ShowInfoPanel(Settings().HilfeSeite);
}

void DispatchKey(const std::string& key) {
  if (key == kCloseKey || key == kEscapeKey) {
    TearDownScene();
    LassBildAufloesungWaehlen();
    return;
  }
  if (key == kF1Key) {
    NextInfoAreaPanel();
    return;
  }
  if (key.size() != 1) return;
  if (const std::string_view kind = PictureKind(key[0]); !kind.empty()) {
    scene::ChangeFigureKind(Selected(), kind);
    return;
  }
  switch (key[0]) {
    case '9':
      TurnSelected(scene::Direction::Right, scene::Direction::Up);
      return;
    case '3':
      TurnSelected(scene::Direction::Right, scene::Direction::Down);
      return;
    case '1':
      TurnSelected(scene::Direction::Left, scene::Direction::Down);
      return;
    case '7':
      TurnSelected(scene::Direction::Left, scene::Direction::Up);
      return;
    case '+':
      scene::StepFaster();
      return;
    case '-':
      scene::StepSlower();
      return;
    case 'n':
    case 'N':
      Settings().SchalterN = 1 - Settings().SchalterN;
      return;
    case 'c':
    case 'C':
      Settings().SchalterC = 1 - Settings().SchalterC;
      return;
    case keys::kBackspace:
      SelectFigure(Settings().GewaehlteFigur == 1 ? Settings().FigurenAnzahl
                                                  : Settings().GewaehlteFigur - 1);
      scene::MakeFigureActive(Selected());
      return;
    case keys::kTab:
      SelectFigure(Settings().GewaehlteFigur >= Settings().FigurenAnzahl
                       ? 1
                       : Settings().GewaehlteFigur + 1);
      scene::MakeFigureActive(Selected());
      return;
    case 'x':
    case 'X':
      AskStepWidth(true);
      return;
    case 'y':
    case 'Y':
      AskStepWidth(false);
      return;
    case 'h':
    case 'H':
      NextInfoAreaPanel();
      return;
    case '!':
      scene::ShowObjectValues(1);
      return;
    case 'a':
    case 'A':
      ShowAbout();
      return;
    default:
      return;
  }
}

// A right click diagonally beside the active figure steers it towards the
// pointer; true when it set the key. The key is set one character at a
// time: GCC 12 at -O3 takes an assignment of a literal here for an
// overlapping copy (-Wrestrict) where there is none.
bool SteerByRightClick(std::string& key) {
  int32_t fx = 0, fy = 0, fw = 0, fh = 0;
  if (!FigureRectangle(Settings().AktiveFigur, fx, fy, fw, fh)) return false;
  const int64_t mx = Settings().MausX, my = Settings().MausY;
  const int64_t right = int64_t{fx} + fw, bottom = int64_t{fy} + fh;
  char direction = '\0';
  if (mx >= right) {
    if (my >= bottom) {
      direction = '3';
    } else if (my <= fy) {
      direction = '9';
    }
  } else if (mx <= fx) {
    if (my >= bottom) {
      direction = '1';
    } else if (my <= fy) {
      direction = '7';
    }
  }
  if (direction == '\0') return false;
  key.assign(1, direction);
  return true;
}

// How long a pass that found nothing to do may sleep: until the figures'
// next step is due, and with music on no longer than it takes to notice a
// finished track in time; a benchmark ends on time as well.
double IdleDeadline() {
  double deadline = scene::NextStepDue();
  if (MusicOn()) deadline = std::min(deadline, rt::TimerSeconds() + control::kMusicCheckSeconds);
  return std::min(deadline, control::BenchmarkEnd());
}

// How long a pass may sleep that only steered the selected figure the way
// it already went: the next pass steers again as long as the button stays
// where it is, and a pass with a key makes no step and plays no music, so
// only input (a move, the release) or the benchmark's end changes anything.
double SteeringDeadline() {
  return control::BenchmarkEnd();
}

[[noreturn]] void MainLoop() {
  std::string key;
  SetActiveFigure(1);
  control::BeginBenchmark();
  // The steering key of the last pass and the figure it went to, when
  // nothing else has touched the figures since; empty otherwise. The
  // direction keys set the figure's steps and picture from its step widths
  // and kind alone, so the same key for the same figure again changes
  // nothing.
  std::string steered;
  int32_t steeredFigure = 0;
  for (;;) {
    if (control::BenchmarkRunning() && rt::TimerSeconds() >= control::BenchmarkEnd()) {
      control::FinishBenchmark();
    }
    control::ClickPause();
    // Whether this pass handled a key, a click or the right button's
    // steering, or moved the figures: then the next pass must look again at
    // once, since more keys may wait and its mouse test sees the figures
    // where they are now.
    bool acted = false;
    bool steering = false;
    if (control::PollMouse() == 0) {
      if (Settings().MausKnopf & 1) {
        acted = true;
        key = panels::ClickInfoPanel(Settings().HilfeSeite);
        if (key.empty()) scene::ClickFigures();
        // Wait for the release; a pointer that leaves the window ends the
        // wait too, since no release can be seen from there.
        while (control::PollMouse() == 0 && (Settings().MausKnopf & 1)) {
          rt::WaitForInput(kForever);
        }
      }
      if (Settings().MausFehler == 0 && (Settings().MausKnopf & 2)) {
        steering = SteerByRightClick(key);
      }
    }
    // Whether the pass's only action is steering that changes nothing.
    bool steeredAgain = false;
    if (key.empty()) {
      steered.clear();
      const double due = scene::NextStepDue();
      scene::StepFigures();
      if (scene::NextStepDue() != due) acted = true;
      if (MusicOn()) sound::PlaySceneMusic();
    } else {
      steeredAgain =
          steering && !acted && key == steered && steeredFigure == Settings().GewaehlteFigur;
      acted = true;
      if (control::BenchmarkRunning() && (key == kEscapeKey || key == kCloseKey)) {
        control::FinishBenchmark();
      }
      DispatchKey(key);
      if (steering) {
        steered = key;
        steeredFigure = Settings().GewaehlteFigur;
      } else {
        steered.clear();
      }
    }
    key = rt::ReadKey();
    if (key.empty() && !rt::InputWaiting()) {
      if (!acted) {
        rt::WaitForInput(IdleDeadline());
      } else if (steeredAgain) {
        rt::WaitForInput(SteeringDeadline());
      }
    }
  }
}

// The number the error message shows for an exception that reached Haupt.
int32_t ErrorNumber(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
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

[[noreturn]] void HandleFatalError(int32_t number) {
  rt::ClearScreen();
  std::string line = "FEHLER #";
  if (number >= 0) line += " ";
  line += rt::IntToText(number) + "!";
  rt::PrintText(line, true);
  DruckeZeile("Jegliche Taste = Programmende");
  WarteAufTaste();
  windows::DeleteAll();
  rt::EndProgram(0);
}

}  // namespace

void LogFromStart() {
  control::State().logFromStart = true;
}

bool RequestStart(int32_t width, int32_t height, int32_t depth, int32_t figures, int32_t music) {
  control::ControlState& state = control::State();
  if (width != 0) {
    state.presetChoice = control::OptionLetter(width, height, depth);
    if (state.presetChoice == '\0') return false;
  }
  state.presetFigures = figures;
  state.presetMusic = music;
  return true;
}

void Haupt(int argc, char** argv) {
  rt::StartRuntime(argc, argv);
  GrafikTreiberInfo();
  ResetSettings();
  Settings().ProtokollAn = control::State().logFromStart ? 1 : 0;
  FontsInitialisieren();
  FillFigureKinds();
  // The command line's figure count and music take the place of the start
  // values; music is switched on by starting the sound library, which sets
  // MusikStatus, and no track plays before the start screen's intro or the
  // scene's music.
  if (control::State().presetFigures > 0) Settings().FigurenAnzahl = control::State().presetFigures;
  if (control::State().presetMusic == 1) StartMusicLibrary();
  try {
    LassBildAufloesungWaehlen();
    MainLoop();
  } catch (const rt::ProgramEnd&) {
    throw;
  } catch (...) {
    HandleFatalError(ErrorNumber(std::current_exception()));
  }
}

}  // namespace wimmel
