// The animated figures: their records and commands, and the per-frame step
// that moves, turns, sorts and draws them.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "runtime/owned_impl.h"
#include "runtime/runtime.h"
#include "scene/draw_order.h"
#include "scene/internal.h"
#include "scene/scene.h"
#include "scene/strip.h"
#include "shared/command_word.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel {

namespace scene {

constexpr int32_t kMaxFigures = 1024;

struct FigurDaten {
  // What the draw reads comes first, the strip's image pointer last of it, so
  // that it lies in the first 40 bytes of the record; then what the step
  // reads besides; the names last.
  int32_t x = 0, y = 0;
  int32_t srcX = 0, srcY = 0;
  int32_t frameW = 0, frameH = 0;
  int32_t width = 0;
  int32_t active = 0;
  Strip strip;
  int32_t height = 0;
  int32_t frame = 0;
  int32_t lastFrame = 0;
  int32_t srcBaseX = 0, srcBaseY = 0;
  int32_t SchrittX = 0, SchrittY = 0;
  int32_t startX = 0, startY = 0;
  int32_t Bildnummer = 0;
  int32_t hidden = 0;
  double XSprung = 0, YSprung = 0;
  std::string name;
  std::string fileName;
  std::string nextFile;

  void Clear() {
    strip.Release();
    name.clear();
    fileName.clear();
    nextFile.clear();
    srcBaseX = srcBaseY = startX = startY = srcX = srcY = x = y = width = height = 0;
    Bildnummer = SchrittX = SchrittY = 0;
    XSprung = YSprung = 0;
    frame = frameW = frameH = lastFrame = active = hidden = 0;
  }
};

// A failure message met while the screen is locked: shown, and waited for,
// only after the step has unlocked the screen.
struct Message {
  bool fatal = false;
  std::vector<std::string> lines;
};

struct FigureTable {
  // The pictures the figures' strips share. Each strip holds a reference to
  // its picture, so the strips and the cache may go in either order.
  StripCache stripCache;
  std::vector<FigurDaten> figures = std::vector<FigurDaten>(kMaxFigures + 1);
  // A start of 0.02 s keeps the animation at a watchable pace; the bound
  // keeps "Langsamer" from slowing it without end.
  double Warten = 0.02;
  double maxWarten = 0.5;
  double lastStep = 0;
  double stepStart = 0;
  double mean = 0;
  int32_t samples = 0;
  std::vector<DrawOrderEntry> drawOrder = std::vector<DrawOrderEntry>(kMaxFigures + 1);
  DrawOrderSorter sorter;
  bool inStep = false;
  bool fatalPending = false;
  std::vector<Message> pending;
  // A benchmark's record of the steps' durations; off in a normal run.
  bool recordStepTimes = false;
  std::vector<double> stepTimes;
};

}  // namespace scene

template class Owned<scene::FigureTable>;

namespace {

using rt::Clamp32;
using scene::Direction;
using scene::FigurDaten;
using scene::FigureTable;
using scene::kMaxFigures;
using scene::Message;

constexpr size_t kNameField = 8;
constexpr size_t kFileField = 25;

int32_t FigureCount() {
  return std::clamp(Settings().FigurenAnzahl, 0, kMaxFigures);
}
bool IsFigure(int32_t nr) {
  return nr >= 1 && nr <= FigureCount();
}

FigurDaten& FigureAt(FigureTable& t, int32_t nr) {
  return t.figures[static_cast<size_t>(nr)];
}

std::string PictureFile(const std::string& name, int32_t pictureNumber) {
  const std::string& separator = Settings().Trenner;
  return ("figure" + separator + name + separator + rt::IntToText(pictureNumber) + ".bmp")
      .substr(0, kFileField);
}

void Show(const Message& m) {
  if (m.fatal) EndWithMessage(m.lines);
  DruckeZeile(m.lines.front());
  WarteAufTaste();
}

// Inside the step the screen is locked and no key can arrive, so messages
// wait for the unlock; elsewhere they show at once.
void Report(FigureTable& t, Message m) {
  if (t.inStep) {
    if (m.fatal) t.fatalPending = true;
    t.pending.push_back(std::move(m));
    return;
  }
  Show(m);
}

void LadeBild(FigureTable& t, int32_t nr) {
  FigurDaten& f = FigureAt(t, nr);
  rt::FileStamp stamp;
  const bool exists = rt::ProbeBmpSize(f.nextFile, f.frameW, f.frameH, &stamp) > 0;
  if (f.frameW < 1 || f.frameH < 1) {
    Message m;
    m.fatal = true;
    m.lines = scene::BadSizeMessage("Figur(): Soll fuer Figur Nr: " + rt::IntToText(nr) +
                                        " die Datei " + f.nextFile + " einlesen",
                                    f.frameW, f.frameH);
    Report(t, std::move(m));
    return;
  }
  const int32_t fileWidth = f.frameW;
  const int32_t fileHeight = f.frameH;
  f.lastFrame = f.frameW / f.frameH - 1;
  f.frameW = f.frameH;
  f.width = f.frameW;
  f.height = f.frameH;
  if (exists) {
    f.fileName = f.nextFile;
    f.strip.Load(t.stripCache, f.fileName, fileWidth, fileHeight, stamp);
  } else {
    Message m;
    m.lines = {"(LadeBild) Soll der Figur Nr " + rt::IntToText(nr) + " die Bilddatei " +
               f.nextFile + " zuordnen, Datei existiert jedoch nicht. Taste = weiter"};
    Report(t, std::move(m));
  }
}

void Turn(FigureTable& t, int32_t nr, Direction direction) {
  if (!IsFigure(nr)) return;
  FigurDaten& f = FigureAt(t, nr);
  switch (direction) {
    case Direction::Left:
      f.SchrittX = rt::RoundToInt(-f.XSprung);
      f.Bildnummer = f.SchrittY < 1 ? 4 : 3;
      break;
    case Direction::Right:
      f.SchrittX = rt::RoundToInt(f.XSprung);
      f.Bildnummer = f.SchrittY < 1 ? 1 : 2;
      break;
    case Direction::Up:
      f.SchrittY = rt::RoundToInt(-f.YSprung);
      f.Bildnummer = f.SchrittX < 1 ? 4 : 1;
      break;
    case Direction::Down:
      f.SchrittY = rt::RoundToInt(f.YSprung);
      f.Bildnummer = f.SchrittX < 1 ? 3 : 2;
      break;
  }
  f.nextFile = PictureFile(f.name, f.Bildnummer);
  LadeBild(t, nr);
}

void FigurenInit(FigureTable& t) {
  const SceneLayout& s = Layout();
  const int32_t n = FigureCount();
  if (LogIsOn()) Protokoll("Figur: Erstelle Figuren (1-" + rt::IntToText(n));
  for (int32_t i = 1; i <= n; ++i) {
    FigurDaten& f = FigureAt(t, i);
    const int32_t kind = std::clamp(rt::RoundToInt(rt::Random(1.0) * 8 + 1), 1, kFigureKinds);
    const FigureKind& row = FigurTyp()[kind];
    f.name = row.name.substr(0, kNameField);
    f.XSprung = row.XSprung;
    f.YSprung = row.YSprung;
    f.srcBaseX = f.srcBaseY = 0;
    f.Bildnummer = 2;
    f.frame = rt::RoundToInt(rt::Random(1.0) * 11);
    f.frameW = f.frameH = 48;
    f.lastFrame = 11;
    f.width = f.height = 48;
    f.active = 0;
    f.hidden = 1;
    f.fileName = f.nextFile = PictureFile(f.name, f.Bildnummer);
    f.strip.Create(t.stripCache, (f.lastFrame + 1) * f.frameW, f.frameH);
    Turn(t, i, rt::Random(1.0) <= 0.5 ? Direction::Left : Direction::Right);
    Turn(t, i, rt::Random(1.0) <= 0.5 ? Direction::Down : Direction::Up);
    LadeBild(t, i);
    // Placement: new random positions until one touches no object. A scene
    // crowded with objects could refuse every position, so the attempts are
    // bounded and the last position is kept.
    constexpr int32_t kAttempts = 1000;
    char answer = '9';
    for (int32_t attempt = 0; attempt < kAttempts && answer != '\0'; ++attempt) {
      int32_t x = rt::RoundToInt(rt::Random(1.0) * s.width + (s.SzeneX0 + f.XSprung));
      if (static_cast<int64_t>(x) + f.width > s.SzeneX1) x = Clamp32(int64_t{s.SzeneX0} + 1);
      int32_t y = rt::RoundToInt(rt::Random(1.0) * s.height + (s.SzeneY0 + f.YSprung));
      if (static_cast<int64_t>(y) + f.height > s.SzeneY1) {
        y = rt::RoundToInt(s.SzeneY0 + f.YSprung + 1);
      }
      f.startX = x;
      f.startY = y;
      answer = scene::IstPosImObjekt(Clamp32(int64_t{x} - s.SzeneX0 + f.width / 2),
                                     Clamp32(int64_t{y} - s.SzeneY0 + f.height / 2), f.width / 2);
    }
    f.srcX = f.srcBaseX;
    f.srcY = f.srcBaseY;
    f.x = f.startX;
    f.y = f.startY;
  }
}

void FigurenLoeschen(FigureTable& t) {
  if (LogIsOn()) {
    Protokoll("Figur: alle Figuren werden geloescht (1-" + rt::IntToText(FigureCount()));
  }
  // Every strip of the table goes, also those beyond a figure count that was
  // lowered since the figures were made.
  for (FigurDaten& f : t.figures) f.Clear();
}

void SetStepLength(FigureTable& t, int32_t nr, int32_t value, bool horizontal) {
  if (!IsFigure(nr)) return;
  FigurDaten& f = FigureAt(t, nr);
  double& length = horizontal ? f.XSprung : f.YSprung;
  int32_t& step = horizontal ? f.SchrittX : f.SchrittY;
  length = value;
  step = step <= 0 ? rt::RoundToInt(-length) : rt::RoundToInt(length);
}

void WechsleBild(FigureTable& t, int32_t nr, std::string_view text) {
  if (!IsFigure(nr)) return;
  FigurDaten& f = FigureAt(t, nr);
  f.name = std::string(text.substr(0, kNameField));
  f.nextFile = PictureFile(f.name, f.Bildnummer);
  LadeBild(t, nr);
}

void MachAktiv(FigureTable& t, int32_t nr) {
  if (!IsFigure(nr)) return;
  const int32_t previous = Settings().AktiveFigur;
  if (IsFigure(previous)) FigureAt(t, previous).active = 0;
  FigureAt(t, nr).active = 1;
  SetActiveFigure(nr);
}

void MachInaktiv(FigureTable& t, int32_t nr) {
  if (IsFigure(nr)) FigureAt(t, nr).active = 0;
  SetActiveFigure(0);
}

void Schneller(FigureTable& t) {
  t.Warten -= 0.01;
  if (t.Warten < 0.01) t.Warten = 0.01;
}

void Langsamer(FigureTable& t) {
  t.Warten += 0.01;
  if (t.Warten > t.maxWarten) t.Warten = t.maxWarten;
}

// Holds the screen lock for the drawing part of the step and releases it on
// every way out.
class ScreenBracket {
 public:
  ScreenBracket() { rt::LockScreen(); }
  ~ScreenBracket() { rt::UnlockScreen(); }
  ScreenBracket(const ScreenBracket&) = delete;
  ScreenBracket& operator=(const ScreenBracket&) = delete;
};

void DrawStatusLine(const FigureTable& t) {
  const SceneLayout& s = Layout();
  const int32_t W = s.screenWidth;
  const int32_t H = s.screenHeight;
  rt::DrawLine(nullptr, 10, H - 14, W - 10, H - 2, 0xFF300000, 2);
  MaleText(rt::IntToText(Settings().FigurenAnzahl) +
               " Figuren ein Frame anzeigen: " + rt::FormatNumber(t.mean, "#,####0.0000") + " sec",
           12, H - 14, 0xFFFF8030, 2, nullptr);
  MaleText(rt::IntToText(W) + "x" + rt::IntToText(H) + "x" + rt::IntToText(s.screenDepth), 380,
           H - 12, 0xFF00FF00, 2, nullptr);
  MaleText(rt::FormatNumber(t.Warten, "#,##0.00") + " secs warten", 510, H - 12, 0xFF8080FF, 2,
           nullptr);
}

void DrawFigures(const FigureTable& t, int32_t n) {
  const bool numbers = Settings().SchalterN == 1;
  // The draw order jumps about the figure table, whose records the step's
  // copies have pushed out of the caches by now; asking for a record a few
  // figures ahead hides most of the wait for it. The draw reads only the
  // front of a record, up to the strip's image pointer, which spans at most
  // two cache lines.
  constexpr int32_t kAhead = 4;
  for (int32_t p = 1; p <= n; ++p) {
    if (p + kAhead <= n) {
      const FigurDaten* next =
          &t.figures[static_cast<size_t>(t.drawOrder[static_cast<size_t>(p + kAhead)].figure)];
      __builtin_prefetch(next);
      __builtin_prefetch(reinterpret_cast<const char*>(&next->strip) + sizeof(rt::Image) - 1);
    }
    const int32_t k = t.drawOrder[static_cast<size_t>(p)].figure;
    const FigurDaten& f = t.figures[static_cast<size_t>(k)];
    if (const rt::OpaqueRuns* runs = f.strip.Runs(f.srcX, f.srcY, f.frameW, f.frameH)) {
      rt::PutRuns(nullptr, f.x, f.y, *runs);
    } else {
      rt::PutImage(nullptr, f.x, f.y, f.strip.Source(), f.srcX, f.srcY, f.frameW, f.frameH,
                   rt::PutMode::Transparent);
    }
    if (f.active == 1) {
      const int32_t x1 = Clamp32(int64_t{f.x} + 2);
      const int32_t x2 = Clamp32(int64_t{f.x} + 2 + f.width - 4);
      rt::DrawLine(nullptr, x1, Clamp32(int64_t{f.y} + 1), x2, Clamp32(int64_t{f.y} + 1), 0xFF, 0);
      rt::DrawLine(nullptr, x1, Clamp32(int64_t{f.y} + 2), x2, Clamp32(int64_t{f.y} + 2), 0xFF, 0);
    }
    if (numbers) {
      MaleText(rt::IntToText(k), Clamp32(int64_t{f.x} + 3), Clamp32(int64_t{f.y} + 3), 0xFFFFFFFF,
               0, nullptr);
    }
  }
}

void LaufEinSchritt(FigureTable& t) {
  const double now = rt::TimerSeconds();
  if (!(now - t.lastStep > t.Warten)) return;
  t.lastStep = now;
  t.stepStart = rt::TimerSeconds();
  const SceneLayout& s = Layout();
  const int32_t n = FigureCount();
  double workStart = 0;
  {
    ScreenBracket bracket;
    if (t.recordStepTimes) workStart = rt::TimerSeconds();
    t.inStep = true;
    if (Settings().SchalterC == 1) {
      rt::DrawLine(nullptr, s.SzeneX0, s.SzeneY0, Clamp32(int64_t{s.SzeneX0} + s.width - 1),
                   Clamp32(int64_t{s.SzeneY0} + s.height - 1), 0xFF000000, 2);
      rt::PutImage(nullptr, s.SzeneX0, s.SzeneY0, s.Hintergrund, 0, 0, s.width, s.height,
                   rt::PutMode::Opaque);
    }
    for (int32_t i = 1; i <= n && !t.fatalPending; ++i) {
      FigurDaten& f = FigureAt(t, i);
      rt::PutImage(nullptr, f.x, f.y, s.Hintergrund, Clamp32(int64_t{f.x} - s.SzeneX0),
                   Clamp32(int64_t{f.y} - s.SzeneY0), f.frameW, f.frameH, rt::PutMode::Opaque);
      f.frame = f.frame >= f.lastFrame ? 0 : f.frame + 1;
      f.srcX = Clamp32(int64_t{f.frameW} * f.frame + f.srcBaseX);
      f.x = Clamp32(int64_t{f.x} + f.SchrittX);
      f.y = Clamp32(int64_t{f.y} + f.SchrittY);
      if (int64_t{f.x} + f.frameW > s.SzeneX1) Turn(t, i, Direction::Left);
      if (int64_t{f.y} + f.frameH > s.SzeneY1) Turn(t, i, Direction::Up);
      if (int64_t{f.x} <= int64_t{s.SzeneX0} + 1) Turn(t, i, Direction::Right);
      if (int64_t{f.y} <= int64_t{s.SzeneY0} + 1) Turn(t, i, Direction::Down);
      const char answer =
          scene::IstPosImObjekt(Clamp32(int64_t{f.x} - s.SzeneX0 + f.width / 2),
                                Clamp32(int64_t{f.y} - s.SzeneY0 + f.height / 2), f.width / 2);
      switch (answer) {
        case '9':
          Turn(t, i, Direction::Left);
          Turn(t, i, Direction::Down);
          break;
        case '3':
          Turn(t, i, Direction::Up);
          Turn(t, i, Direction::Left);
          break;
        case '1':
          Turn(t, i, Direction::Up);
          Turn(t, i, Direction::Right);
          break;
        case '7':
          Turn(t, i, Direction::Down);
          Turn(t, i, Direction::Right);
          break;
        default:
          break;
      }
      t.drawOrder[static_cast<size_t>(i)] = {Clamp32(int64_t{f.y} + f.height / 2), i};
    }
    // A picture with a broken header ends the program: the rest of the step
    // is left undone, and the message follows once the screen is unlocked.
    if (!t.fatalPending) {
      t.sorter.Sort(t.drawOrder.data() + 1, n);
      DrawFigures(t, n);
      const double end = rt::TimerSeconds();
      t.mean = (end + t.samples * t.mean - t.stepStart) / (t.samples + 1);
      if (t.samples < 20) ++t.samples;
      DrawStatusLine(t);
    }
    t.inStep = false;
  }
  if (t.recordStepTimes) t.stepTimes.push_back(rt::TimerSeconds() - workStart);
  std::vector<Message> messages;
  messages.swap(t.pending);
  t.fatalPending = false;
  for (const Message& m : messages) Show(m);
}

void LinksKlick(FigureTable& t) {
  const int32_t mx = Settings().MausX;
  const int32_t my = Settings().MausY;
  bool taken = false;
  for (int32_t p = 1; p <= FigureCount(); ++p) {
    const int32_t k = t.drawOrder[static_cast<size_t>(p)].figure;
    // Before the first step the order holds no figures yet.
    if (!IsFigure(k)) continue;
    FigurDaten& f = FigureAt(t, k);
    if (f.active == 1) f.active = 0;
    if (!taken && f.x <= mx && int64_t{mx} <= int64_t{f.x} + f.frameW && f.y <= my &&
        int64_t{my} <= int64_t{f.y} + f.frameH) {
      MachAktiv(t, k);
      taken = true;
    }
  }
}

void PrintRepeat(const FigureTable& t) {
  std::string text = "GesRepSecs=" + rt::RealToText(100 * t.Warten);
  text.resize(14, 'M');
  DruckeZeileBei(text, Layout().screenHeight - 30);
}

enum class Command {
  FigurenInit,
  FigurenLoeschen,
  RichtungLinks,
  RichtungRechts,
  RichtungHoch,
  RichtungRunter,
  SetzXRichtung,
  SetzYRichtung,
  LadeBild,
  WechsleBild,
  Sichtbar,
  Unsichtbar,
  MachAktiv,
  MachInaktiv,
  Schneller,
  Langsamer,
  LaufEinSchritt,
  LinksKlick,
  PrintRepeat,
  Unknown
};

constexpr CommandWord<Command> kCommands[] = {
    {"FIGURENINIT", Command::FigurenInit},
    {"FIGURENLOESCHEN", Command::FigurenLoeschen},
    {"RICHTUNGLINKS", Command::RichtungLinks},
    {"RICHTUNGRECHTS", Command::RichtungRechts},
    {"RICHTUNGHOCH", Command::RichtungHoch},
    {"RICHTUNGRUNTER", Command::RichtungRunter},
    {"SETZXRICHTUNG", Command::SetzXRichtung},
    {"SETZYRICHTUNG", Command::SetzYRichtung},
    {"LADEBILD", Command::LadeBild},
    {"WECHSLEBILD", Command::WechsleBild},
    {"SICHTBAR", Command::Sichtbar},
    {"UNSICHTBAR", Command::Unsichtbar},
    {"MACHAKTIV", Command::MachAktiv},
    {"MACHINAKTIV", Command::MachInaktiv},
    {"SCHNELLER", Command::Schneller},
    {"LANGSAMER", Command::Langsamer},
    {"LAUFEINSCHRITT", Command::LaufEinSchritt},
    {"LINKSKLICK", Command::LinksKlick},
    {"PRINTREPEAT", Command::PrintRepeat},
};

}  // namespace

void Figur(std::string_view Aufgabe, int32_t nr, int32_t wert, int32_t wert2,
           std::string_view text) {
  (void)wert2;
  FigureTable& t = FiguresModule::Get();
  switch (LookUpCommand(Aufgabe, kCommands, Command::Unknown)) {
    case Command::FigurenInit:
      scene::CreateFigures();
      return;
    case Command::FigurenLoeschen:
      scene::DeleteFigures();
      return;
    case Command::RichtungLinks:
      scene::TurnFigure(nr, Direction::Left);
      return;
    case Command::RichtungRechts:
      scene::TurnFigure(nr, Direction::Right);
      return;
    case Command::RichtungHoch:
      scene::TurnFigure(nr, Direction::Up);
      return;
    case Command::RichtungRunter:
      scene::TurnFigure(nr, Direction::Down);
      return;
    case Command::SetzXRichtung:
      scene::SetHorizontalStep(nr, wert);
      return;
    case Command::SetzYRichtung:
      scene::SetVerticalStep(nr, wert);
      return;
    case Command::LadeBild:
      if (IsFigure(nr)) LadeBild(t, nr);
      return;
    case Command::WechsleBild:
      scene::ChangeFigureKind(nr, text);
      return;
    case Command::Sichtbar:
      if (IsFigure(nr)) FigureAt(t, nr).hidden = 0;
      return;
    case Command::Unsichtbar:
      if (IsFigure(nr)) FigureAt(t, nr).hidden = 1;
      return;
    case Command::MachAktiv:
      scene::MakeFigureActive(nr);
      return;
    case Command::MachInaktiv:
      MachInaktiv(t, nr);
      return;
    case Command::Schneller:
      scene::StepFaster();
      return;
    case Command::Langsamer:
      scene::StepSlower();
      return;
    case Command::LaufEinSchritt:
      scene::StepFigures();
      return;
    case Command::LinksKlick:
      scene::ClickFigures();
      return;
    case Command::PrintRepeat:
      PrintRepeat(t);
      return;
    case Command::Unknown:
      break;
  }
  DruckeZeile("SelectCase in Figur-Sub kennt folgende Aufgabe nicht: " + std::string(Aufgabe));
}

namespace scene {

void CreateFigures() {
  FigurenInit(FiguresModule::Get());
}

void DeleteFigures() {
  FigurenLoeschen(FiguresModule::Get());
}

void TurnFigure(int32_t nr, Direction direction) {
  Turn(FiguresModule::Get(), nr, direction);
}

void SetHorizontalStep(int32_t nr, int32_t width) {
  SetStepLength(FiguresModule::Get(), nr, width, true);
}

void SetVerticalStep(int32_t nr, int32_t width) {
  SetStepLength(FiguresModule::Get(), nr, width, false);
}

void ChangeFigureKind(int32_t nr, std::string_view kind) {
  WechsleBild(FiguresModule::Get(), nr, kind);
}

void MakeFigureActive(int32_t nr) {
  MachAktiv(FiguresModule::Get(), nr);
}

void StepFaster() {
  Schneller(FiguresModule::Get());
}

void StepSlower() {
  Langsamer(FiguresModule::Get());
}

void StepFigures() {
  LaufEinSchritt(FiguresModule::Get());
}

void ClickFigures() {
  LinksKlick(FiguresModule::Get());
}

bool ViewFigure(int32_t nr, FigureView& view) {
  if (nr < 0 || nr > kMaxFigures) return false;
  const FigurDaten& f = FiguresModule::Get().figures[static_cast<size_t>(nr)];
  view.name = f.name;
  view.fileName = f.fileName;
  view.nextFile = f.nextFile;
  view.x = f.x;
  view.y = f.y;
  view.width = f.width;
  view.height = f.height;
  view.srcX = f.srcX;
  view.srcY = f.srcY;
  view.Bildnummer = f.Bildnummer;
  view.SchrittX = f.SchrittX;
  view.SchrittY = f.SchrittY;
  view.XSprung = f.XSprung;
  view.YSprung = f.YSprung;
  view.frame = f.frame;
  view.frameW = f.frameW;
  view.frameH = f.frameH;
  view.lastFrame = f.lastFrame;
  view.active = f.active;
  view.hidden = f.hidden;
  view.hasStrip = f.strip.Exists();
  view.stripShared = f.strip.IsShared();
  view.strip = f.strip.Source();
  return true;
}

double CurrentWarten() {
  return FiguresModule::Get().Warten;
}

double NextStepDue() {
  const FigureTable& t = FiguresModule::Get();
  return t.lastStep + t.Warten;
}

void StartStepTimes() {
  FigureTable& t = FiguresModule::Get();
  t.stepTimes.clear();
  t.recordStepTimes = true;
}

std::vector<double> TakeStepTimes() {
  FigureTable& t = FiguresModule::Get();
  t.recordStepTimes = false;
  return std::exchange(t.stepTimes, {});
}

std::vector<int32_t> LastDrawOrder() {
  const FigureTable& t = FiguresModule::Get();
  std::vector<int32_t> order;
  for (int32_t p = 1; p <= FigureCount(); ++p) {
    order.push_back(t.drawOrder[static_cast<size_t>(p)].figure);
  }
  return order;
}

}  // namespace scene

bool FigureRectangle(int32_t nr, int32_t& x, int32_t& y, int32_t& width, int32_t& height) {
  if (!IsFigure(nr)) return false;
  const FigurDaten& f = FigureAt(FiguresModule::Get(), nr);
  x = f.x;
  y = f.y;
  width = f.width;
  height = f.height;
  return true;
}

double XSprungOf(int32_t nr) {
  return IsFigure(nr) ? FigureAt(FiguresModule::Get(), nr).XSprung : 0.0;
}

double YSprungOf(int32_t nr) {
  return IsFigure(nr) ? FigureAt(FiguresModule::Get(), nr).YSprung : 0.0;
}

}  // namespace wimmel
