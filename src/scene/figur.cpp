// The animated figures: their records and commands, and the per-frame step
// that moves, turns, sorts and draws them.
#include <algorithm>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "scene/intern.h"
#include "scene/scene.h"
#include "scene/streifen.h"
#include "scene/zeichenfolge.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel {

namespace {

using scene::Begrenzt;
using scene::FolgeEintrag;
using scene::Streifen;

constexpr int32_t kMaxFiguren = 1024;
constexpr size_t kNamensfeld = 8;
constexpr size_t kDateifeld = 25;

struct FigurDaten {
  std::string name;
  std::string fileName;
  std::string nextFile;
  Streifen strip;
  int32_t srcBaseX = 0, srcBaseY = 0;
  int32_t startX = 0, startY = 0;
  int32_t srcX = 0, srcY = 0;
  int32_t x = 0, y = 0;
  int32_t width = 0, height = 0;
  int32_t Bildnummer = 0;
  int32_t SchrittX = 0, SchrittY = 0;
  double XSprung = 0, YSprung = 0;
  int32_t frame = 0;
  int32_t frameW = 0, frameH = 0;
  int32_t lastFrame = 0;
  int32_t active = 0;
  int32_t hidden = 0;

  void Leeren() {
    strip.Freigeben();
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
struct Meldung {
  bool fatal = false;
  std::vector<std::string> zeilen;
};

struct Zustand {
  std::vector<FigurDaten> tabelle = std::vector<FigurDaten>(kMaxFiguren + 1);
  // A start of 0.02 s keeps the animation at a watchable pace; the bound
  // keeps "Langsamer" from slowing it without end.
  double Warten = 0.02;
  double WartenGrenze = 0.5;
  double letzterSchritt = 0;
  double schrittStart = 0;
  double mittel = 0;
  int32_t proben = 0;
  std::vector<FolgeEintrag> folge = std::vector<FolgeEintrag>(kMaxFiguren + 1);
  std::string letzteAntwort;
  std::string letzteMeldung;
  bool imSchritt = false;
  bool fatalAnstehend = false;
  std::vector<Meldung> anstehend;
};

// Never destroyed: strips hold images that must not be freed after the
// runtime has gone at exit.
Zustand& Z() {
  static Zustand* zustand = new Zustand;
  return *zustand;
}

int32_t Anzahl() {
  return std::clamp(Settings().FigurenAnzahl, 0, kMaxFiguren);
}
bool Gueltig(int32_t nr) {
  return nr >= 1 && nr <= Anzahl();
}

std::string BildDatei(const std::string& name, int32_t bildnummer) {
  const std::string& t = Settings().Trenner;
  return ("figure" + t + name + t + rt::IntToText(bildnummer) + ".bmp").substr(0, kDateifeld);
}

void WarteAufTasteRoh() {
  while (rt::ReadKey().empty()) {
  }
}

void Zeigen(const Meldung& m) {
  if (m.fatal) {
    for (const std::string& zeile : m.zeilen) rt::PrintText(zeile, true);
    WarteAufTasteRoh();
    rt::EndProgram(0);
  }
  Z().letzteMeldung = m.zeilen.front();
  DruckeZeile(Z().letzteMeldung);
  Z().letzteMeldung = WarteAufTaste();
}

// Inside the step the screen is locked and no key can arrive, so messages
// wait for the unlock; elsewhere they show at once.
void Melden(Meldung m) {
  Zustand& z = Z();
  if (z.imSchritt) {
    if (m.fatal) z.fatalAnstehend = true;
    z.anstehend.push_back(std::move(m));
    return;
  }
  Zeigen(m);
}

void LadeBild(int32_t nr) {
  Zustand& z = Z();
  FigurDaten& f = z.tabelle[static_cast<size_t>(nr)];
  rt::FileStamp stempel;
  const bool da = rt::ProbeBmpSize(f.nextFile, f.frameW, f.frameH, &stempel) > 0;
  if (f.frameW < 1 || f.frameH < 1) {
    Meldung m;
    m.fatal = true;
    m.zeilen = {
        "Figur(): Soll fuer Figur Nr: " + rt::IntToText(nr) + " die Datei " + f.nextFile +
            " einlesen",
        "Bildformat in Datei = " + rt::IntToText(f.frameW) + " X " + rt::IntToText(f.frameH) + ")",
        "Einer der Werte ist auf Null, kann damit nicht arbeiten!", "Jegliche Taste = Abbruch"};
    Melden(std::move(m));
    return;
  }
  const int32_t dateiBreite = f.frameW;
  const int32_t dateiHoehe = f.frameH;
  f.lastFrame = f.frameW / f.frameH - 1;
  f.frameW = f.frameH;
  f.width = f.frameW;
  f.height = f.frameH;
  if (da) {
    f.fileName = f.nextFile;
    f.strip.Laden(f.fileName, dateiBreite, dateiHoehe, stempel);
  } else {
    Meldung m;
    m.zeilen = {"(LadeBild) Soll der Figur Nr " + rt::IntToText(nr) + " die Bilddatei " +
                f.nextFile + " zuordnen, Datei existiert jedoch nicht. Taste = weiter"};
    Melden(std::move(m));
  }
}

enum class Richtung { Links, Rechts, Hoch, Runter };

void Wende(int32_t nr, Richtung richtung) {
  if (!Gueltig(nr)) return;
  FigurDaten& f = Z().tabelle[static_cast<size_t>(nr)];
  switch (richtung) {
    case Richtung::Links:
      f.SchrittX = rt::RoundToInt(-f.XSprung);
      f.Bildnummer = f.SchrittY < 1 ? 4 : 3;
      break;
    case Richtung::Rechts:
      f.SchrittX = rt::RoundToInt(f.XSprung);
      f.Bildnummer = f.SchrittY < 1 ? 1 : 2;
      break;
    case Richtung::Hoch:
      f.SchrittY = rt::RoundToInt(-f.YSprung);
      f.Bildnummer = f.SchrittX < 1 ? 4 : 1;
      break;
    case Richtung::Runter:
      f.SchrittY = rt::RoundToInt(f.YSprung);
      f.Bildnummer = f.SchrittX < 1 ? 3 : 2;
      break;
  }
  f.nextFile = BildDatei(f.name, f.Bildnummer);
  LadeBild(nr);
}

void FigurenInit() {
  Zustand& z = Z();
  const SceneLayout& s = Layout();
  const int32_t n = Anzahl();
  if (Settings().ProtokollAn == 1) Protokoll("Figur: Erstelle Figuren (1-" + rt::IntToText(n));
  for (int32_t i = 1; i <= n; ++i) {
    FigurDaten& f = z.tabelle[static_cast<size_t>(i)];
    const int32_t art = std::clamp(rt::RoundToInt(rt::Random(1.0) * 8 + 1), 1, kFigureKinds);
    const FigureKind& typ = FigurTyp()[art];
    f.name = typ.name.substr(0, kNamensfeld);
    f.XSprung = typ.XSprung;
    f.YSprung = typ.YSprung;
    f.srcBaseX = f.srcBaseY = 0;
    f.Bildnummer = 2;
    f.frame = rt::RoundToInt(rt::Random(1.0) * 11);
    f.frameW = f.frameH = 48;
    f.lastFrame = 11;
    f.width = f.height = 48;
    f.active = 0;
    f.hidden = 1;
    f.fileName = f.nextFile = BildDatei(f.name, f.Bildnummer);
    f.strip.Erstellen((f.lastFrame + 1) * f.frameW, f.frameH);
    Wende(i, rt::Random(1.0) <= 0.5 ? Richtung::Links : Richtung::Rechts);
    Wende(i, rt::Random(1.0) <= 0.5 ? Richtung::Runter : Richtung::Hoch);
    LadeBild(i);
    // Placement: new random positions until one touches no object. A scene
    // crowded with objects could refuse every position, so the attempts are
    // bounded and the last position is kept.
    constexpr int32_t kVersuche = 1000;
    char antwort = '9';
    for (int32_t versuch = 0; versuch < kVersuche && antwort != '\0'; ++versuch) {
      int32_t x = rt::RoundToInt(rt::Random(1.0) * s.width + (s.SzeneX0 + f.XSprung));
      if (static_cast<int64_t>(x) + f.width > s.SzeneX1) x = Begrenzt(int64_t{s.SzeneX0} + 1);
      int32_t y = rt::RoundToInt(rt::Random(1.0) * s.height + (s.SzeneY0 + f.YSprung));
      if (static_cast<int64_t>(y) + f.height > s.SzeneY1) {
        y = rt::RoundToInt(s.SzeneY0 + f.YSprung + 1);
      }
      f.startX = x;
      f.startY = y;
      antwort = scene::IstPosImObjekt(Begrenzt(int64_t{x} - s.SzeneX0 + f.width / 2),
                                      Begrenzt(int64_t{y} - s.SzeneY0 + f.height / 2), f.width / 2);
      z.letzteAntwort = antwort == '\0' ? std::string() : std::string(1, antwort);
    }
    f.srcX = f.srcBaseX;
    f.srcY = f.srcBaseY;
    f.x = f.startX;
    f.y = f.startY;
  }
}

void FigurenLoeschen() {
  if (Settings().ProtokollAn == 1) {
    Protokoll("Figur: alle Figuren werden geloescht (1-" + rt::IntToText(Anzahl()));
  }
  // Every strip of the table goes, also those beyond a figure count that was
  // lowered since the figures were made.
  for (FigurDaten& f : Z().tabelle) f.Leeren();
}

void SetzSprung(int32_t nr, int32_t wert, bool waagerecht) {
  if (!Gueltig(nr)) return;
  FigurDaten& f = Z().tabelle[static_cast<size_t>(nr)];
  double& sprung = waagerecht ? f.XSprung : f.YSprung;
  int32_t& schritt = waagerecht ? f.SchrittX : f.SchrittY;
  sprung = wert;
  schritt = schritt <= 0 ? rt::RoundToInt(-sprung) : rt::RoundToInt(sprung);
}

void WechsleBild(int32_t nr, std::string_view text) {
  if (!Gueltig(nr)) return;
  FigurDaten& f = Z().tabelle[static_cast<size_t>(nr)];
  f.name = std::string(text.substr(0, kNamensfeld));
  f.nextFile = BildDatei(f.name, f.Bildnummer);
  LadeBild(nr);
}

void MachAktiv(int32_t nr) {
  if (!Gueltig(nr)) return;
  ProgramSettings& e = Settings();
  if (Gueltig(e.AktiveFigur)) Z().tabelle[static_cast<size_t>(e.AktiveFigur)].active = 0;
  Z().tabelle[static_cast<size_t>(nr)].active = 1;
  e.AktiveFigur = nr;
  e.GewaehlteFigur = nr;
}

void MachInaktiv(int32_t nr) {
  if (Gueltig(nr)) Z().tabelle[static_cast<size_t>(nr)].active = 0;
  Settings().AktiveFigur = 0;
  Settings().GewaehlteFigur = 0;
}

void Schneller() {
  double& w = Z().Warten;
  w -= 0.01;
  if (w < 0.01) w = 0.01;
}

void Langsamer() {
  double& w = Z().Warten;
  w += 0.01;
  if (w > Z().WartenGrenze) w = Z().WartenGrenze;
}

// Holds the screen lock for the drawing part of the step and releases it on
// every way out.
class Sperre {
 public:
  Sperre() { rt::LockScreen(); }
  ~Sperre() { rt::UnlockScreen(); }
  Sperre(const Sperre&) = delete;
  Sperre& operator=(const Sperre&) = delete;
};

void Statuszeile() {
  Zustand& z = Z();
  const SceneLayout& s = Layout();
  const int32_t W = s.screenWidth;
  const int32_t H = s.screenHeight;
  rt::DrawLine(nullptr, 10, H - 14, W - 10, H - 2, 0xFF300000, 2);
  MaleText(rt::IntToText(Settings().FigurenAnzahl) + " Figuren ein Frame anzeigen: " +
               rt::FormatNumber(z.mittel, "#,####0.0000") + " sec",
           12, H - 14, 0xFFFF8030, 2, nullptr);
  MaleText(rt::IntToText(W) + "x" + rt::IntToText(H) + "x" + rt::IntToText(s.screenDepth), 380,
           H - 12, 0xFF00FF00, 2, nullptr);
  MaleText(rt::FormatNumber(z.Warten, "#,##0.00") + " secs warten", 510, H - 12, 0xFF8080FF, 2,
           nullptr);
}

void SchrittZeichnen(int32_t n) {
  Zustand& z = Z();
  const bool nummern = Settings().SchalterN == 1;
  for (int32_t p = 1; p <= n; ++p) {
    const int32_t k = z.folge[static_cast<size_t>(p)].figur;
    const FigurDaten& f = z.tabelle[static_cast<size_t>(k)];
    rt::PutImage(nullptr, f.x, f.y, f.strip.Quelle(), f.srcX, f.srcY, f.frameW, f.frameH,
                 rt::PutMode::Transparent);
    if (f.active == 1) {
      const int32_t x1 = Begrenzt(int64_t{f.x} + 2);
      const int32_t x2 = Begrenzt(int64_t{f.x} + 2 + f.width - 4);
      rt::DrawLine(nullptr, x1, Begrenzt(int64_t{f.y} + 1), x2, Begrenzt(int64_t{f.y} + 1), 0xFF,
                   0);
      rt::DrawLine(nullptr, x1, Begrenzt(int64_t{f.y} + 2), x2, Begrenzt(int64_t{f.y} + 2), 0xFF,
                   0);
    }
    if (nummern) {
      MaleText(rt::IntToText(k), Begrenzt(int64_t{f.x} + 3), Begrenzt(int64_t{f.y} + 3), 0xFFFFFFFF,
               0, nullptr);
    }
  }
}

void LaufEinSchritt() {
  Zustand& z = Z();
  const double jetzt = rt::TimerSeconds();
  if (!(jetzt - z.letzterSchritt > z.Warten)) return;
  z.letzterSchritt = jetzt;
  z.schrittStart = rt::TimerSeconds();
  const SceneLayout& s = Layout();
  const int32_t n = Anzahl();
  {
    Sperre sperre;
    z.imSchritt = true;
    if (Settings().SchalterC == 1) {
      rt::DrawLine(nullptr, s.SzeneX0, s.SzeneY0, Begrenzt(int64_t{s.SzeneX0} + s.width - 1),
                   Begrenzt(int64_t{s.SzeneY0} + s.height - 1), 0xFF000000, 2);
      rt::PutImage(nullptr, s.SzeneX0, s.SzeneY0, s.Hintergrund, 0, 0, s.width, s.height,
                   rt::PutMode::Opaque);
    }
    for (int32_t i = 1; i <= n && !z.fatalAnstehend; ++i) {
      FigurDaten& f = z.tabelle[static_cast<size_t>(i)];
      rt::PutImage(nullptr, f.x, f.y, s.Hintergrund, Begrenzt(int64_t{f.x} - s.SzeneX0),
                   Begrenzt(int64_t{f.y} - s.SzeneY0), f.frameW, f.frameH, rt::PutMode::Opaque);
      f.frame = f.frame >= f.lastFrame ? 0 : f.frame + 1;
      f.srcX = Begrenzt(int64_t{f.frameW} * f.frame + f.srcBaseX);
      f.x = Begrenzt(int64_t{f.x} + f.SchrittX);
      f.y = Begrenzt(int64_t{f.y} + f.SchrittY);
      if (int64_t{f.x} + f.frameW > s.SzeneX1) Wende(i, Richtung::Links);
      if (int64_t{f.y} + f.frameH > s.SzeneY1) Wende(i, Richtung::Hoch);
      if (int64_t{f.x} <= int64_t{s.SzeneX0} + 1) Wende(i, Richtung::Rechts);
      if (int64_t{f.y} <= int64_t{s.SzeneY0} + 1) Wende(i, Richtung::Runter);
      const char antwort =
          scene::IstPosImObjekt(Begrenzt(int64_t{f.x} - s.SzeneX0 + f.width / 2),
                                Begrenzt(int64_t{f.y} - s.SzeneY0 + f.height / 2), f.width / 2);
      z.letzteAntwort = antwort == '\0' ? std::string() : std::string(1, antwort);
      switch (antwort) {
        case '9':
          Wende(i, Richtung::Links);
          Wende(i, Richtung::Runter);
          break;
        case '3':
          Wende(i, Richtung::Hoch);
          Wende(i, Richtung::Links);
          break;
        case '1':
          Wende(i, Richtung::Hoch);
          Wende(i, Richtung::Rechts);
          break;
        case '7':
          Wende(i, Richtung::Runter);
          Wende(i, Richtung::Rechts);
          break;
        default:
          break;
      }
      z.folge[static_cast<size_t>(i)] = {Begrenzt(int64_t{f.y} + f.height / 2), i};
    }
    // A picture with a broken header ends the program: the rest of the step
    // is left undone, and the message follows once the screen is unlocked.
    if (!z.fatalAnstehend) {
      scene::SortiereZeichenfolge(z.folge.data() + 1, n);
      SchrittZeichnen(n);
      const double ende = rt::TimerSeconds();
      z.mittel = (ende + z.proben * z.mittel - z.schrittStart) / (z.proben + 1);
      if (z.proben < 20) ++z.proben;
      Statuszeile();
    }
    z.imSchritt = false;
  }
  std::vector<Meldung> meldungen;
  meldungen.swap(z.anstehend);
  z.fatalAnstehend = false;
  for (const Meldung& m : meldungen) Zeigen(m);
}

void LinksKlick() {
  Zustand& z = Z();
  const int32_t mx = Settings().MausX;
  const int32_t my = Settings().MausY;
  bool genommen = false;
  for (int32_t p = 1; p <= Anzahl(); ++p) {
    const int32_t k = z.folge[static_cast<size_t>(p)].figur;
    // Before the first step the order holds no figures yet.
    if (!Gueltig(k)) continue;
    FigurDaten& f = z.tabelle[static_cast<size_t>(k)];
    if (f.active == 1) f.active = 0;
    if (!genommen && f.x <= mx && int64_t{mx} <= int64_t{f.x} + f.frameW && f.y <= my &&
        int64_t{my} <= int64_t{f.y} + f.frameH) {
      MachAktiv(k);
      genommen = true;
    }
  }
}

void PrintRepeat() {
  std::string text = "GesRepSecs=" + rt::RealToText(100 * Z().Warten);
  text.resize(14, 'M');
  DruckeZeileBei(text, Layout().screenHeight - 30);
}

enum class Befehl {
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
  Unbekannt
};

struct Wort {
  std::string_view wort;
  Befehl befehl;
};
constexpr Wort kWoerter[] = {
    {"FIGURENINIT", Befehl::FigurenInit},
    {"FIGURENLOESCHEN", Befehl::FigurenLoeschen},
    {"RICHTUNGLINKS", Befehl::RichtungLinks},
    {"RICHTUNGRECHTS", Befehl::RichtungRechts},
    {"RICHTUNGHOCH", Befehl::RichtungHoch},
    {"RICHTUNGRUNTER", Befehl::RichtungRunter},
    {"SETZXRICHTUNG", Befehl::SetzXRichtung},
    {"SETZYRICHTUNG", Befehl::SetzYRichtung},
    {"LADEBILD", Befehl::LadeBild},
    {"WECHSLEBILD", Befehl::WechsleBild},
    {"SICHTBAR", Befehl::Sichtbar},
    {"UNSICHTBAR", Befehl::Unsichtbar},
    {"MACHAKTIV", Befehl::MachAktiv},
    {"MACHINAKTIV", Befehl::MachInaktiv},
    {"SCHNELLER", Befehl::Schneller},
    {"LANGSAMER", Befehl::Langsamer},
    {"LAUFEINSCHRITT", Befehl::LaufEinSchritt},
    {"LINKSKLICK", Befehl::LinksKlick},
    {"PRINTREPEAT", Befehl::PrintRepeat},
};

Befehl Erkenne(std::string_view aufgabe) {
  // The step word comes on every pass of the main loop; spare it the
  // upper-cased copy when it is spelt the usual way.
  if (aufgabe == "LaufEinSchritt") return Befehl::LaufEinSchritt;
  const std::string gross = rt::UpperAscii(aufgabe);
  for (const Wort& w : kWoerter) {
    if (gross == w.wort) return w.befehl;
  }
  return Befehl::Unbekannt;
}

}  // namespace

void Figur(std::string_view Aufgabe, int32_t nr, int32_t wert, int32_t wert2,
           std::string_view text) {
  (void)wert2;
  Zustand& z = Z();
  switch (Erkenne(Aufgabe)) {
    case Befehl::FigurenInit:
      FigurenInit();
      return;
    case Befehl::FigurenLoeschen:
      FigurenLoeschen();
      return;
    case Befehl::RichtungLinks:
      Wende(nr, Richtung::Links);
      return;
    case Befehl::RichtungRechts:
      Wende(nr, Richtung::Rechts);
      return;
    case Befehl::RichtungHoch:
      Wende(nr, Richtung::Hoch);
      return;
    case Befehl::RichtungRunter:
      Wende(nr, Richtung::Runter);
      return;
    case Befehl::SetzXRichtung:
      SetzSprung(nr, wert, true);
      return;
    case Befehl::SetzYRichtung:
      SetzSprung(nr, wert, false);
      return;
    case Befehl::LadeBild:
      if (Gueltig(nr)) LadeBild(nr);
      return;
    case Befehl::WechsleBild:
      WechsleBild(nr, text);
      return;
    case Befehl::Sichtbar:
      if (Gueltig(nr)) z.tabelle[static_cast<size_t>(nr)].hidden = 0;
      return;
    case Befehl::Unsichtbar:
      if (Gueltig(nr)) z.tabelle[static_cast<size_t>(nr)].hidden = 1;
      return;
    case Befehl::MachAktiv:
      MachAktiv(nr);
      return;
    case Befehl::MachInaktiv:
      MachInaktiv(nr);
      return;
    case Befehl::Schneller:
      Schneller();
      return;
    case Befehl::Langsamer:
      Langsamer();
      return;
    case Befehl::LaufEinSchritt:
      LaufEinSchritt();
      return;
    case Befehl::LinksKlick:
      LinksKlick();
      return;
    case Befehl::PrintRepeat:
      PrintRepeat();
      return;
    case Befehl::Unbekannt:
      break;
  }
  z.letzteMeldung = "SelectCase in Figur-Sub kennt folgende Aufgabe nicht: " + std::string(Aufgabe);
  DruckeZeile(z.letzteMeldung);
}

namespace scene {

bool FigurAnsehen(int32_t nr, FigurEinblick& e) {
  if (nr < 0 || nr > kMaxFiguren) return false;
  const FigurDaten& f = Z().tabelle[static_cast<size_t>(nr)];
  e.name = f.name;
  e.fileName = f.fileName;
  e.nextFile = f.nextFile;
  e.x = f.x;
  e.y = f.y;
  e.width = f.width;
  e.height = f.height;
  e.srcX = f.srcX;
  e.srcY = f.srcY;
  e.Bildnummer = f.Bildnummer;
  e.SchrittX = f.SchrittX;
  e.SchrittY = f.SchrittY;
  e.XSprung = f.XSprung;
  e.YSprung = f.YSprung;
  e.frame = f.frame;
  e.frameW = f.frameW;
  e.frameH = f.frameH;
  e.lastFrame = f.lastFrame;
  e.active = f.active;
  e.hidden = f.hidden;
  e.stripVorhanden = f.strip.Vorhanden();
  e.stripGeteilt = f.strip.Geteilt();
  e.strip = f.strip.Quelle();
  return true;
}

double FigurWarten() {
  return Z().Warten;
}

std::vector<int32_t> FigurZeichenfolge() {
  std::vector<int32_t> folge;
  for (int32_t p = 1; p <= Anzahl(); ++p) folge.push_back(Z().folge[static_cast<size_t>(p)].figur);
  return folge;
}

}  // namespace scene

bool FigureRectangle(int32_t nr, int32_t& x, int32_t& y, int32_t& width, int32_t& height) {
  if (!Gueltig(nr)) return false;
  const FigurDaten& f = Z().tabelle[static_cast<size_t>(nr)];
  x = f.x;
  y = f.y;
  width = f.width;
  height = f.height;
  return true;
}

double XSprungOf(int32_t nr) {
  return Gueltig(nr) ? Z().tabelle[static_cast<size_t>(nr)].XSprung : 0.0;
}

double YSprungOf(int32_t nr) {
  return Gueltig(nr) ? Z().tabelle[static_cast<size_t>(nr)].YSprung : 0.0;
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
namespace scene {
struct FigureTable {};
}  // namespace scene
template class Owned<scene::FigureTable>;
}  // namespace wimmel
