// The static scene objects: their pictures, the merge into the background
// and the collision question of the figures.
#include <cmath>
#include <string>

#include "runtime/runtime.h"
#include "scene/intern.h"
#include "scene/scene.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel {

namespace {

using scene::Begrenzt;

constexpr int32_t kMaxObjekte = 10;
constexpr size_t kNamensfeld = 10;

struct ObjektDaten {
  std::string name;
  std::string typ;
  int32_t posX = 0, posY = 0;
  int32_t centreX = 0, centreY = 0;
  int32_t breite = 0, hoehe = 0;
  int32_t radius = 0;
  rt::Image bild = nullptr;
  int32_t einbinden = 0;
};

struct Zustand {
  ObjektDaten tabelle[kMaxObjekte + 1];  // entry 0 is never used
  int32_t anzahl = 0;
  int32_t erstellt = 0;
  std::string dateiname;
  std::string antwort;
};

Zustand& Z() {
  static Zustand* zustand = new Zustand;
  return *zustand;
}

bool Gueltig(int32_t nr) {
  return nr >= 1 && nr <= kMaxObjekte;
}
// The objects that take part in merging, hit tests and deletion.
int32_t Teilnehmer() {
  return Z().anzahl < 0 ? 0 : std::min(Z().anzahl, kMaxObjekte);
}

enum class Befehl {
  Erstellen,
  LadeBild,
  InHintergrundEinbinden,
  IstPosImObjekt,
  WerteAnzeigen,
  QuellbilderLoeschen,
  LoescheAlleObjekte,
  Unbekannt
};

struct Wort {
  std::string_view wort;
  Befehl befehl;
};
constexpr Wort kWoerter[] = {
    {"ERSTELLEN", Befehl::Erstellen},
    {"LADEBILD", Befehl::LadeBild},
    {"INHINTERGRUNDEINBINDEN", Befehl::InHintergrundEinbinden},
    {"ISTPOSIMOBJEKT", Befehl::IstPosImObjekt},
    {"WERTEANZEIGEN", Befehl::WerteAnzeigen},
    {"QUELLBILDERLOESCHEN", Befehl::QuellbilderLoeschen},
    {"LOESCHEALLEOBJEKTE", Befehl::LoescheAlleObjekte},
};

Befehl Erkenne(std::string_view aufgabe) {
  const std::string gross = rt::UpperAscii(aufgabe);
  for (const Wort& w : kWoerter) {
    if (gross == w.wort) return w.befehl;
  }
  return Befehl::Unbekannt;
}

void LadeBild(int32_t nr) {
  if (!Gueltig(nr)) return;
  Zustand& z = Z();
  ObjektDaten& o = z.tabelle[nr];
  const bool da = rt::ProbeBmpSize(z.dateiname, o.breite, o.hoehe) > 0;
  if (o.breite < 1 || o.hoehe < 1) {
    rt::PrintText("Objekt(): Soll fuer das Objekt Nr: " + rt::IntToText(nr) + " die Datei " +
                      z.dateiname + " einlesen",
                  true);
    rt::PrintText(
        "Bildformat in Datei = " + rt::IntToText(o.breite) + " X " + rt::IntToText(o.hoehe) + ")",
        true);
    rt::PrintText("Einer der Werte ist auf Null, kann damit nicht arbeiten!", true);
    rt::PrintText("Jegliche Taste = Abbruch", true);
    while (rt::ReadKey().empty()) {
    }
    rt::EndProgram(0);
  }
  if (da) {
    if (o.bild != nullptr) rt::DestroyImage(o.bild);
    o.bild = rt::CreateImage(o.breite, o.hoehe, 0, 0, rt::CreateImageFlagMask);
    // A null image would make the loader draw the file onto the screen.
    if (o.bild != nullptr) rt::LoadBmp(z.dateiname, o.bild);
  } else {
    z.antwort = "Objekt() Soll dem Objekt Nr " + rt::IntToText(nr) + " die Bilddatei " +
                z.dateiname + " zuordnen, Datei existiert jedoch nicht. Taste = weiter";
    DruckeZeile(z.antwort);
    z.antwort = WarteAufTaste();
  }
}

void Erstellen() {
  Zustand& z = Z();
  if (z.erstellt == 1) return;
  if (Settings().ProtokollAn == 1) Protokoll("Objekt: Erstelle Objekte");
  static const char* const kNamen[] = {"QumyH", "HausA", "HausC", "HausD", "Kreisel1"};
  const int64_t W = Layout().width;
  const int64_t H = Layout().height;
  for (int32_t k = 1; k <= 5; ++k) {
    ObjektDaten& o = z.tabelle[k];
    o.name = std::string(kNamen[k - 1]).substr(0, kNamensfeld);
    z.dateiname = "objekte" + Settings().Trenner + o.name + ".bmp";
    LadeBild(k);
    if (k == 1) {
      o.posX = 10;
      o.posY = 10;
    } else if (k == 2) {
      o.posX = Begrenzt(W - o.breite - 200);
      o.posY = Begrenzt(H - 150 - o.hoehe);
    } else {
      const ObjektDaten& vor = z.tabelle[k - 1];
      o.posX = Begrenzt(static_cast<int64_t>(vor.posX) + 40);
      o.posY =
          rt::RoundToInt(static_cast<double>(vor.posY) + static_cast<double>(vor.hoehe) * 0.315);
    }
    o.centreX = Begrenzt(static_cast<int64_t>(o.posX) + o.breite / 2);
    o.centreY = Begrenzt(static_cast<int64_t>(o.posY) + o.hoehe / 2);
    o.typ = "Kreis";
    o.radius = o.breite / 2;
    o.einbinden = 1;
  }
  z.anzahl = 4;
  z.erstellt = 1;
}

void InHintergrundEinbinden() {
  Zustand& z = Z();
  for (int32_t k = 1; k <= Teilnehmer(); ++k) {
    const ObjektDaten& o = z.tabelle[k];
    if (o.einbinden != 1) continue;
    if (o.bild == nullptr) {
      rt::PrintText("Objekt() Soll das Objekt " + o.name + " mit Nr " + rt::IntToText(k) +
                        " in Hintergrundbild einbinden, es ist jedoch keine Bilddatei "
                        "eingelesen worden. Taste = weiter",
                    true);
    } else {
      rt::PutImage(Layout().Hintergrund, o.posX, o.posY, o.bild, 0, 0, o.breite, o.hoehe,
                   rt::PutMode::Transparent);
    }
  }
}

// sqrt(dx^2 + dy^2) rounded to the nearest integer. The exact square root of
// an integer is never halfway between two integers, so no tie arises and the
// integer answer needs no floating point beyond a first guess.
uint64_t Abstand(uint64_t dx, uint64_t dy) {
  const unsigned __int128 summe =
      static_cast<unsigned __int128>(dx) * dx + static_cast<unsigned __int128>(dy) * dy;
  uint64_t d = static_cast<uint64_t>(std::sqrt(static_cast<long double>(summe)));
  while (static_cast<unsigned __int128>(d) * d > summe) --d;
  while (static_cast<unsigned __int128>(d + 1) * (d + 1) <= summe) ++d;
  // Round up when summe >= d^2 + d + 1, i.e. sqrt(summe) > d + 1/2.
  if (summe - static_cast<unsigned __int128>(d) * d > d) ++d;
  return d;
}

void Meldung(std::string_view aufgabe) {
  DruckeZeile("SelectCase in Objekt-Sub kennt folgende Aufgabe nicht: " + std::string(aufgabe));
}

void WerteAnzeigen(int32_t nr) {
  if (!Gueltig(nr)) return;
  const ObjektDaten& o = Z().tabelle[nr];
  rt::LocateText(1, 1);
  rt::PrintText("Objekt: " + o.name + " vom Typ " + o.typ, true);
  rt::PrintText("PosX/Y:" + rt::IntToText(o.posX) + "/" + rt::IntToText(o.posY) +
                    "Center X/Y:" + rt::IntToText(o.centreX) + "/" + rt::IntToText(o.centreY),
                true);
  rt::PrintText("Breite/Hoehe: " + rt::IntToText(o.breite) + "/" + rt::IntToText(o.hoehe) +
                    " Radius:" + rt::IntToText(o.radius) +
                    " BmpPtr:" + rt::UIntToText(rt::ImageId(o.bild)),
                true);
}

void QuellbilderLoeschen() {
  Zustand& z = Z();
  if (Settings().ProtokollAn == 1) {
    Protokoll("Objekt: Quellbilder der Objekte 1-" + rt::IntToText(z.anzahl) +
              " werden geloescht ");
  }
  for (int32_t k = 1; k <= Teilnehmer(); ++k) {
    if (z.tabelle[k].bild != nullptr) {
      rt::DestroyImage(z.tabelle[k].bild);
      z.tabelle[k].bild = nullptr;
    }
  }
}

void LoescheAlleObjekte() {
  Zustand& z = Z();
  if (Settings().ProtokollAn == 1) {
    Protokoll("Objekt: alle Objekte werden geloescht (1-" + rt::IntToText(z.anzahl));
  }
  // Objects beyond the count (the fifth one) are never merged or tested, but
  // their pictures are freed here too rather than forgotten with the table.
  for (ObjektDaten& o : z.tabelle) {
    if (o.bild != nullptr) rt::DestroyImage(o.bild);
    o = ObjektDaten{};
  }
  z.erstellt = 0;
}

}  // namespace

namespace scene {

char IstPosImObjekt(int32_t x, int32_t y, int32_t r) {
  const Zustand& z = Z();
  for (int32_t k = 1; k <= Teilnehmer(); ++k) {
    const ObjektDaten& o = z.tabelle[k];
    const int64_t dx = static_cast<int64_t>(x) - o.centreX;
    const int64_t dy = static_cast<int64_t>(y) - o.centreY;
    const uint64_t d =
        Abstand(static_cast<uint64_t>(dx < 0 ? -dx : dx), static_cast<uint64_t>(dy < 0 ? -dy : dy));
    const int64_t grenze = static_cast<int64_t>(r) + o.radius;
    if (grenze < 0 || d > static_cast<uint64_t>(grenze)) continue;
    char antwort;
    if (o.centreX < x) {
      antwort = o.centreY < y ? '7' : '1';
    } else {
      antwort = o.centreY < y ? '9' : '3';
    }
    if (Settings().SchalterC == 1) {
      const SceneLayout& s = Layout();
      rt::DrawCircle(nullptr, Begrenzt(static_cast<int64_t>(s.SzeneX0) + o.centreX),
                     Begrenzt(static_cast<int64_t>(s.SzeneY0) + o.centreY), o.radius, 0xFFFFFF00);
      rt::DrawCircle(nullptr, Begrenzt(static_cast<int64_t>(s.SzeneX0) + x),
                     Begrenzt(static_cast<int64_t>(s.SzeneY0) + y), r, 0xFFFF0000);
    }
    return antwort;
  }
  return '\0';
}

}  // namespace scene

std::string Objekt(std::string_view Aufgabe, int32_t nr, int32_t x, int32_t y, int32_t r,
                   int32_t figurNr, std::string_view text) {
  (void)figurNr;
  (void)text;
  switch (Erkenne(Aufgabe)) {
    case Befehl::Erstellen:
      Erstellen();
      return "";
    case Befehl::LadeBild:
      LadeBild(nr);
      return "";
    case Befehl::InHintergrundEinbinden:
      InHintergrundEinbinden();
      return "";
    case Befehl::IstPosImObjekt: {
      const char antwort = scene::IstPosImObjekt(x, y, r);
      return antwort == '\0' ? std::string() : std::string(1, antwort);
    }
    case Befehl::WerteAnzeigen:
      WerteAnzeigen(nr);
      return "";
    case Befehl::QuellbilderLoeschen:
      QuellbilderLoeschen();
      return "";
    case Befehl::LoescheAlleObjekte:
      LoescheAlleObjekte();
      return "";
    case Befehl::Unbekannt:
      break;
  }
  Meldung(Aufgabe);
  return "";
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
namespace scene {
struct ObjectTable {};
}  // namespace scene
template class Owned<scene::ObjectTable>;
}  // namespace wimmel
