// The window table and its command procedure. Every window keeps its own
// off-screen bitmap, colours, font and up to twenty remembered images; the
// panels paint into the bitmaps once and show them with "ZeigAn".
#include "windows/fenster.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel {

namespace {

constexpr int32_t kFensterMax = 50;  // highest window number; window 0 is never handed out
constexpr int32_t kBilderMax = 20;   // remembered images per window, slots 1..20
constexpr size_t kTitelLaenge = 40;

struct FensterDaten {
  rt::Image bitmap = nullptr;
  int32_t MusterNr = 0;
  std::string titel;
  int32_t TitelAus = 0;
  int32_t x = 0, y = 0;
  int32_t breite = 0, hoehe = 0;
  int32_t grundR = 0, grundG = 0, grundB = 0;
  uint32_t grundFarbe = 0;
  uint32_t NaechsteAktionFarbe = 0;
  int32_t rahmenR = 0, rahmenG = 0, rahmenB = 0;
  uint32_t rahmenFarbe = 0;
  int32_t rahmenBreite = 0;
  int32_t RahmenAbstandY = 0;
  int32_t RahmenAbstandX = 0;
  int32_t schriftR = 0, schriftG = 0, schriftB = 0;
  uint32_t schriftFarbe = 0;
  int32_t fontNr = 0;
  std::array<rt::Image, kBilderMax + 1> MerkBild{};
  std::array<int32_t, kBilderMax + 1> bildBreite{};
  std::array<int32_t, kBilderMax + 1> bildHoehe{};
  int32_t BildAnzahl = 0;
  // Handed out by "Erstellen" and not deleted since. Commands for any other
  // number are ignored, so a panel that does not exist (and sends 0) neither
  // draws a stray title nor pulls the window count below zero.
  bool lebendig = false;
};

FensterDaten FensterTabelle[kFensterMax + 1];
int32_t HoechsteFensterNr = 0;
std::string FensterErgebnis;
std::string FensterMeldung;

enum class Befehl {
  LoescheAlleBilderEinesFensters,
  LoescheFenster,
  LoeschAlleFenster,
  Erstellen,
  SetzTitel,
  SetzXY,
  SetzGrundfarbe,
  MalRechteck,
  FuellRechteck,
  FuellDateiMuster,
  SetzRahmenfarbe,
  SetzSchriftfarbe,
  SetzFontNr,
  SetzGroesse,
  SetzRahmenAbstand,
  SetzRahmenBreite,
  SetzNextAktionFarbe,
  ZeigAn,
  SchreibText,
  Schreib3DText,
  SchreibGravText,
  MerkeBild,
  PruefeBildDatei,
  SetzeBildTransparent,
  Unbekannt,
};

struct Befehlswort {
  std::string_view wort;
  Befehl befehl;
};

// Searched front to back; the first match runs.
constexpr Befehlswort kBefehle[] = {
    {"LOESCHEALLEBILDEREINESFENSTERS", Befehl::LoescheAlleBilderEinesFensters},
    {"LOESCHEFENSTER", Befehl::LoescheFenster},
    {"LOESCHALLEFENSTER", Befehl::LoeschAlleFenster},
    {"ERSTELLEN", Befehl::Erstellen},
    {"SETZTITEL", Befehl::SetzTitel},
    {"SETZXY", Befehl::SetzXY},
    {"SETZGRUNDFARBE", Befehl::SetzGrundfarbe},
    {"MALRECHTECK", Befehl::MalRechteck},
    {"FUELLRECHTECK", Befehl::FuellRechteck},
    {"FUELLDATEIMUSTER", Befehl::FuellDateiMuster},
    {"SETZRAHMENFARBE", Befehl::SetzRahmenfarbe},
    {"SETZSCHRIFTFARBE", Befehl::SetzSchriftfarbe},
    {"SETZFONTNR", Befehl::SetzFontNr},
    {"SETZGROESSE", Befehl::SetzGroesse},
    {"SETZRAHMENABSTAND", Befehl::SetzRahmenAbstand},
    {"SETZRAHMENBREITE", Befehl::SetzRahmenBreite},
    {"SETZNEXTAKTIONFARBE", Befehl::SetzNextAktionFarbe},
    {"ZEIGAN", Befehl::ZeigAn},
    {"SCHREIBTEXT", Befehl::SchreibText},
    {"SCHREIB3DTEXT", Befehl::Schreib3DText},
    {"SCHREIBGRAVTEXT", Befehl::SchreibGravText},
    {"MERKEBILD", Befehl::MerkeBild},
    {"PRUEFEBILDDATEI", Befehl::PruefeBildDatei},
    {"SETZEBILDTRANSPARENT", Befehl::SetzeBildTransparent},
};

Befehl Nachschlagen(std::string_view aufgabe) {
  const std::string gross = rt::UpperAscii(aufgabe);
  for (const Befehlswort& b : kBefehle) {
    if (gross == b.wort) return b.befehl;
  }
  return Befehl::Unbekannt;
}

struct Auftrag {
  std::string_view Aufgabe;
  int32_t Nr;
  int32_t W1, W2, W3, W4;
  std::string_view Text;
};

// Components are neither clamped nor masked: values outside 0..255 spill
// into the neighbouring channels, and negative ones set the high bits.
uint32_t Mische(int32_t r, int32_t g, int32_t b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// Shade components wrap at 32 bits, like every other colour bit pattern; the
// sum is taken in 64 bits so that extreme components and distances cannot
// overflow on the way.
int32_t Summe(int32_t a, int64_t b) {
  return rt::Wrap32(int64_t{a} + b);
}

// A far corner or a position worked out from a near one. A corner that would
// pass either end of the 32-bit range is held at that end: it still lies
// beyond every bitmap, so the drawing, which clips, reaches the same edge the
// true corner would, where a wrapped one would land on the other side.
int32_t Ecke(int64_t wert) {
  return static_cast<int32_t>(std::clamp<int64_t>(wert, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

bool Protokolliert() {
  return Settings().ProtokollAn == 1;
}

FensterDaten* Lebendig(int32_t nr) {
  if (nr < 0 || nr > kFensterMax) return nullptr;
  FensterDaten& f = FensterTabelle[nr];
  return f.lebendig ? &f : nullptr;
}

int32_t SlotAusText(std::string_view text) {
  return rt::RoundToInt(rt::TextToNumber(text));
}

bool SlotGueltig(int32_t slot) {
  return slot >= 0 && slot <= kBilderMax;
}

void BilderFreigeben(FensterDaten& f) {
  for (rt::Image& bild : f.MerkBild) {
    if (bild != nullptr) {
      rt::DestroyImage(bild);
      bild = nullptr;
    }
  }
  if (f.bitmap != nullptr) {
    rt::DestroyImage(f.bitmap);
    f.bitmap = nullptr;
  }
}

// ---------------------------------------------------------------- lifecycle

// The log lines are written before the liveness check, so a panel that
// deletes a window already gone (after "LoeschAlleFenster") still leaves its
// trace in the log, as every deletion request does.
void LoescheAlleBilderEinesFensters(const Auftrag& a) {
  if (Protokolliert()) {
    Protokoll("   Fenster(): alle Bilder des Fensters " + rt::IntToText(a.Nr) +
              " werden geloescht");
  }
  FensterDaten* f = Lebendig(a.Nr);
  if (f == nullptr) return;
  BilderFreigeben(*f);
}

void LoescheFenster(const Auftrag& a) {
  if (Protokolliert()) Protokoll("   Fenster(): Loesche Fenster " + rt::IntToText(a.Nr));
  FensterMeldung = Fenster("LoescheAlleBilderEinesFensters", a.Nr, 0, 0, 0, 0, "");
  if (Lebendig(a.Nr) == nullptr) return;
  FensterTabelle[a.Nr].lebendig = false;
  if (a.Nr == HoechsteFensterNr) HoechsteFensterNr -= 1;
}

void LoeschAlleFenster() {
  if (Protokolliert()) {
    Protokoll("   Fenster(): Loesche ALLE Fenster (0-" + rt::IntToText(HoechsteFensterNr) + ")");
  }
  // Every record, not only those up to the highest number, so nothing a
  // deleted window left behind can leak.
  for (FensterDaten& f : FensterTabelle) {
    BilderFreigeben(f);
    f = FensterDaten{};
  }
  HoechsteFensterNr = 0;
}

void Erstellen(const Auftrag& a) {
  const int32_t n = HoechsteFensterNr + 1;
  if (Protokolliert()) {
    Protokoll("   Fenster(): Erstelle Fenster mit Nummer " + rt::IntToText(n) +
              "  und Textuebergabe:" + std::string(a.Text));
  }
  if (n > kFensterMax) {
    rt::ClearScreen();
    rt::PrintText("Function Fenster(): Soll ein neues Fenster erstellen", true);
    rt::PrintText(
        "Maximale Fensterzahl (" + rt::IntToText(kFensterMax) + ")aber bereits erreicht !", true);
    while (rt::ReadKey().empty()) {
    }
    FensterErgebnis = "Fehler!, Max Fensterzahl war schon erreicht!";
    return;
  }
  FensterDaten& f = FensterTabelle[n];
  f.titel = std::string(a.Text.substr(0, kTitelLaenge));
  f.TitelAus = 0;
  f.x = 10;
  f.y = 10;
  f.breite = 10;
  f.hoehe = 10;
  f.grundR = f.grundG = f.grundB = 128;
  f.grundFarbe = Mische(128, 128, 128);
  f.rahmenR = f.rahmenG = f.rahmenB = 50;
  f.rahmenFarbe = Mische(50, 50, 50);
  f.rahmenBreite = 1;
  f.RahmenAbstandY = 8;
  f.RahmenAbstandX = 10;
  f.schriftR = 255;
  f.schriftG = 255;
  f.schriftB = 0;
  f.schriftFarbe = Mische(255, 255, 0);
  f.fontNr = 0;
  f.BildAnzahl = 0;
  // The slot count starts again at 0, so images a former window of this
  // number still held could never be freed later; free them now.
  BilderFreigeben(f);
  f.bitmap = rt::CreateImage(10, 10, f.grundFarbe);
  f.lebendig = true;
  HoechsteFensterNr = n;
  FensterErgebnis = rt::IntToText(n);
}

// ---------------------------------------------------------------- settings

void SetzGroesse(FensterDaten& f, const Auftrag& a) {
  f.breite = a.W1;
  f.hoehe = a.W2;
  if (f.bitmap != nullptr) rt::DestroyImage(f.bitmap);
  f.bitmap = rt::CreateImage(a.W1, a.W2, f.grundFarbe);
}

// ---------------------------------------------------------------- images

void PruefeBildDatei(FensterDaten& f, const Auftrag& a) {
  const int32_t k = f.BildAnzahl;
  // Bytes the file does not have keep the values the slot held.
  if (rt::ProbeBmpSize(a.Text, f.bildBreite[k], f.bildHoehe[k]) >= 1) {
    FensterErgebnis = "BildDateiIstOK";
  } else {
    FensterMeldung = "Soll Bild aus der Datei " + std::string(a.Text) +
                     " einlesen, Datei existiert jedoch nicht. Taste = weiter";
    DruckeZeileBei(FensterMeldung, 460);
    WarteAufTaste();
    // The scene background stays: freeing it here would leave the running
    // scene without the picture every figure step restores from.
    FensterErgebnis = "BildDateiNichtDa";
  }
}

void MerkeBild(FensterDaten& f, const Auftrag& a) {
  if (f.BildAnzahl >= kBilderMax) {
    FensterErgebnis = "-1";
    return;
  }
  // The slot is used up even when the file turns out to be missing.
  f.BildAnzahl += 1;
  const std::string pruefung = Fenster("PruefeBildDatei", a.Nr, a.W1, a.W2, a.W3, a.W4, a.Text);
  if (pruefung != "BildDateiIstOK") {
    FensterErgebnis = "-1";
    return;
  }
  const int32_t k = f.BildAnzahl;
  if (f.MerkBild[k] != nullptr) {
    rt::DestroyImage(f.MerkBild[k]);
    f.MerkBild[k] = nullptr;
  }
  f.MerkBild[k] = rt::CreateImage(f.bildBreite[k], f.bildHoehe[k], 0);
  if (f.MerkBild[k] != nullptr) rt::LoadBmp(a.Text, f.MerkBild[k]);
  FensterErgebnis = rt::IntToText(k);
}

// ---------------------------------------------------------------- drawing

// Pastes the sw x sh top-left part of a tile at (x, y) of the bitmap, but
// only when it can touch the bitmap at all, so huge rectangles cost no more
// than the visible tiles.
void Stueck(const FensterDaten& f, rt::Image bild, int64_t x, int64_t y, int32_t sw, int32_t sh) {
  if (x >= f.breite || y >= f.hoehe || x + sw <= 0 || y + sh <= 0) return;
  rt::PutImage(f.bitmap, static_cast<int32_t>(x), static_cast<int32_t>(y), bild, 0, 0, sw, sh,
               rt::PutMode::Transparent);
}

int64_t AbgerundetGeteilt(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Covers (W1, W2) to (W1 + W3, W2 + W4) with copies of the tile in the slot
// named by the text: whole tiles, then the pieces cut from the tile's
// top-left corner for the right edge, the bottom edge and the corner.
void FuellRechteck(FensterDaten& f, const Auftrag& a) {
  const int32_t k = SlotAusText(a.Text);
  if (!SlotGueltig(k) || f.bitmap == nullptr) return;
  rt::Image bild = f.MerkBild[k];
  const int64_t tw = f.bildBreite[k];
  const int64_t th = f.bildHoehe[k];
  if (bild == nullptr || tw <= 0 || th <= 0) return;
  const int64_t A = int64_t{a.W3} + 1;
  const int64_t B = int64_t{a.W4} + 1;
  if (A <= 0 || B <= 0) return;
  const int64_t nx = A / tw, ny = B / th;
  const int32_t rw = static_cast<int32_t>(A - nx * tw);
  const int32_t rh = static_cast<int32_t>(B - ny * th);
  const int64_t x0 = a.W1, y0 = a.W2;
  const int32_t w = static_cast<int32_t>(tw), h = static_cast<int32_t>(th);

  // Only the columns and rows of tiles that can reach the bitmap.
  const int64_t iVon = std::max<int64_t>(0, AbgerundetGeteilt(-x0, tw));
  const int64_t iBis = std::min<int64_t>(nx - 1, AbgerundetGeteilt(f.breite - 1 - x0, tw));
  const int64_t jVon = std::max<int64_t>(0, AbgerundetGeteilt(-y0, th));
  const int64_t jBis = std::min<int64_t>(ny - 1, AbgerundetGeteilt(f.hoehe - 1 - y0, th));

  for (int64_t j = jVon; j <= jBis; ++j) {
    for (int64_t i = iVon; i <= iBis; ++i) Stueck(f, bild, x0 + i * tw, y0 + j * th, w, h);
  }
  if (rw > 0) {
    for (int64_t j = jVon; j <= jBis; ++j) Stueck(f, bild, x0 + nx * tw, y0 + j * th, rw, h);
  }
  if (rh > 0) {
    for (int64_t i = iVon; i <= iBis; ++i) Stueck(f, bild, x0 + i * tw, y0 + ny * th, w, rh);
  }
  if (rw > 0 && rh > 0) Stueck(f, bild, x0 + nx * tw, y0 + ny * th, rw, rh);
}

void FuellDateiMuster(FensterDaten& f, const Auftrag& a) {
  FensterErgebnis = Fenster("MerkeBild", a.Nr, a.W1, a.W2, a.W3, a.W4, a.Text);
  const int32_t k = SlotAusText(FensterErgebnis);
  f.MusterNr = k;
  FensterMeldung = Fenster("FuellRechtEck", a.Nr, 0, 0, f.breite, f.hoehe, rt::IntToText(k));
}

void MalRechteck(const FensterDaten& f, const Auftrag& a) {
  if (f.bitmap == nullptr) return;
  rt::DrawLine(f.bitmap, a.W1, a.W2, Ecke(int64_t{a.W1} + a.W3), Ecke(int64_t{a.W2} + a.W4),
               f.NaechsteAktionFarbe, 2);
}

void SetzeBildTransparent(const FensterDaten& f, const Auftrag& a) {
  if (f.bitmap == nullptr || !SlotGueltig(a.W3)) return;
  rt::Image bild = f.MerkBild[a.W3];
  if (bild == nullptr || f.bildBreite[a.W3] <= 0 || f.bildHoehe[a.W3] <= 0) return;
  rt::PutImage(f.bitmap, a.W1, a.W2, bild, 0, 0, f.bildBreite[a.W3], f.bildHoehe[a.W3],
               rt::PutMode::Transparent);
}

void SchreibText(const FensterDaten& f, const Auftrag& a) {
  if (f.bitmap == nullptr) return;
  MaleText(a.Text, a.W1, a.W2, f.schriftFarbe, f.fontNr, f.bitmap);
}

// Raised text puts the dark shade to the lower right; engraved text swaps the
// shades. Components leave 0..255 without clamping, as in every colour.
void SchreibSchattiert(const FensterDaten& f, const Auftrag& a, int32_t d, bool graviert) {
  if (f.bitmap == nullptr) return;
  const uint32_t dunkel = Mische(Summe(f.schriftR, -int64_t{d}), Summe(f.schriftG, -int64_t{d}),
                                 Summe(f.schriftB, -int64_t{d}));
  const uint32_t hell = Mische(Summe(f.schriftR, d), Summe(f.schriftG, d), Summe(f.schriftB, d));
  if (graviert) {
    MaleText3D(a.Text, a.W1, a.W2, f.schriftFarbe, hell, dunkel, f.fontNr, f.bitmap);
  } else {
    MaleText3D(a.Text, a.W1, a.W2, f.schriftFarbe, dunkel, hell, f.fontNr, f.bitmap);
  }
}

void ZeigAn(FensterDaten& f, const Auftrag& a) {
  if (a.W1 != 0) f.x = a.W1;
  if (a.W2 != 0) f.y = a.W2;
  const int64_t links = int64_t{f.x} + f.RahmenAbstandX - 1;
  const int64_t rechts = int64_t{f.x} + f.breite - f.RahmenAbstandX;
  const int64_t oben = int64_t{f.y} + f.RahmenAbstandY - 1;
  const int64_t unten = int64_t{f.y} + f.hoehe - f.RahmenAbstandY;

  bool zielOk = true;
  rt::Image ziel = nullptr;
  if (a.W3 != 0) {
    // A target must be a live window with a bitmap: a null target would
    // mean the screen.
    const FensterDaten* z = (a.W3 >= 1 && a.W3 <= HoechsteFensterNr) ? Lebendig(a.W3) : nullptr;
    if (z == nullptr || z->bitmap == nullptr) {
      rt::PrintText("Fenster(): Soll das Fenster " + rt::IntToText(a.Nr) +
                        "in Bitmap des Fensters " + rt::IntToText(a.W3) +
                        " blitten, ZielfensterNr ist aber nicht OK",
                    true);
      zielOk = false;
    } else {
      ziel = z->bitmap;
    }
  }
  if (zielOk) {
    if (ziel != nullptr && ziel == f.bitmap) {
      // A window shown into its own bitmap copies from a snapshot, so the
      // copy never reads pixels it has already overwritten.
      rt::Image kopie = rt::CreateImage(f.breite, f.hoehe, 0);
      if (kopie != nullptr) {
        rt::PutImage(kopie, 0, 0, f.bitmap, 0, 0, f.breite, f.hoehe, rt::PutMode::Opaque);
        rt::PutImage(ziel, f.x, f.y, kopie, 0, 0, f.breite, f.hoehe, rt::PutMode::Opaque);
        rt::DestroyImage(kopie);
      }
    } else {
      rt::PutImage(ziel, f.x, f.y, f.bitmap, 0, 0, f.breite, f.hoehe, rt::PutMode::Opaque);
    }
    if (f.rahmenBreite > 0) {
      rt::DrawLine(ziel, Ecke(links), Ecke(oben), Ecke(rechts), Ecke(unten), f.rahmenFarbe, 1);
    }
  }
  if (f.TitelAus != 1) {
    MaleText(f.titel + rt::UIntToText(rt::ImageId(f.bitmap)), Ecke(links + 15),
             Ecke(oben + FontHoehe(1)), 0xFFFFFFFFu, 1, nullptr);
  }
}

// ---------------------------------------------------------------- dispatch

void Ausfuehren(Befehl befehl, const Auftrag& a) {
  switch (befehl) {
    case Befehl::LoescheAlleBilderEinesFensters:
      LoescheAlleBilderEinesFensters(a);
      return;
    case Befehl::LoescheFenster:
      LoescheFenster(a);
      return;
    case Befehl::LoeschAlleFenster:
      LoeschAlleFenster();
      return;
    case Befehl::Erstellen:
      Erstellen(a);
      return;
    case Befehl::Unbekannt:
      FensterMeldung =
          "SelectCase in Fenster-Sub kennt folgende Aufgabe nicht: " + std::string(a.Aufgabe);
      DruckeZeile(FensterMeldung);
      return;
    default:
      break;
  }

  // Everything below acts on one window and is ignored for a number that
  // is not live; the commands with a result answer as for a failure.
  FensterDaten* fp = Lebendig(a.Nr);
  if (fp == nullptr) {
    if (befehl == Befehl::MerkeBild || befehl == Befehl::FuellDateiMuster) {
      FensterErgebnis = "-1";
    } else if (befehl == Befehl::PruefeBildDatei) {
      FensterErgebnis = "BildDateiNichtDa";
    }
    return;
  }
  FensterDaten& f = *fp;
  switch (befehl) {
    case Befehl::SetzTitel:
      f.titel = std::string(a.Text.substr(0, kTitelLaenge));
      f.TitelAus = a.W1;
      break;
    case Befehl::SetzXY:
      f.x = a.W1;
      f.y = a.W2;
      break;
    case Befehl::SetzGrundfarbe:
      f.grundR = a.W1;
      f.grundG = a.W2;
      f.grundB = a.W3;
      f.grundFarbe = Mische(a.W1, a.W2, a.W3);
      break;
    case Befehl::MalRechteck:
      MalRechteck(f, a);
      break;
    case Befehl::FuellRechteck:
      FuellRechteck(f, a);
      break;
    case Befehl::FuellDateiMuster:
      FuellDateiMuster(f, a);
      break;
    case Befehl::SetzRahmenfarbe:
      f.rahmenR = a.W1;
      f.rahmenG = a.W2;
      f.rahmenB = a.W3;
      f.rahmenFarbe = Mische(a.W1, a.W2, a.W3);
      break;
    case Befehl::SetzSchriftfarbe:
      f.schriftR = a.W1;
      f.schriftG = a.W2;
      f.schriftB = a.W3;
      f.schriftFarbe = Mische(a.W1, a.W2, a.W3);
      break;
    case Befehl::SetzFontNr:
      f.fontNr = a.W1;
      break;
    case Befehl::SetzGroesse:
      SetzGroesse(f, a);
      break;
    case Befehl::SetzRahmenAbstand:
      f.RahmenAbstandX = a.W1;
      f.RahmenAbstandY = a.W2;
      break;
    case Befehl::SetzRahmenBreite:
      f.rahmenBreite = a.W1;
      break;
    case Befehl::SetzNextAktionFarbe:
      f.NaechsteAktionFarbe = Mische(a.W1, a.W2, a.W3);
      break;
    case Befehl::ZeigAn:
      ZeigAn(f, a);
      break;
    case Befehl::SchreibText:
      SchreibText(f, a);
      break;
    case Befehl::Schreib3DText:
      SchreibSchattiert(f, a, a.W3 == 0 ? 20 : a.W3, false);
      break;
    case Befehl::SchreibGravText:
      SchreibSchattiert(f, a, a.W3, true);
      break;
    case Befehl::MerkeBild:
      MerkeBild(f, a);
      break;
    case Befehl::PruefeBildDatei:
      PruefeBildDatei(f, a);
      break;
    case Befehl::SetzeBildTransparent:
      SetzeBildTransparent(f, a);
      break;
    default:
      break;
  }
}

}  // namespace

std::string Fenster(std::string_view Aufgabe, int32_t Nr, int32_t W1, int32_t W2, int32_t W3,
                    int32_t W4, std::string_view Text) {
  const Auftrag a{Aufgabe, Nr, W1, W2, W3, W4, Text};
  Ausfuehren(Nachschlagen(Aufgabe), a);
  return FensterErgebnis;
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
namespace windows {
struct WindowTable {};
}  // namespace windows
template class Owned<windows::WindowTable>;
}  // namespace wimmel
