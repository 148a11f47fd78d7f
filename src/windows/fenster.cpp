// The window table and its command procedure. Every window keeps its own
// off-screen bitmap, colours, font and up to twenty remembered images; the
// panels paint into the bitmaps once and show them with "ZeigAn".
#include "windows/fenster.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/owned_image.h"
#include "runtime/owned_impl.h"
#include "runtime/runtime.h"
#include "shared/command_word.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel::windows {

namespace {

constexpr int32_t kHighestWindow = 50;  // window 0 is never handed out
constexpr int32_t kImageSlots = 20;     // remembered images per window, slots 1..20
constexpr size_t kTitleLength = 40;

}  // namespace

// One window. The fields up to BildAnzahl are the window's record as the
// commands read and write it; `live` is the table's own bookkeeping.
struct FensterDaten {
  rt::OwnedImage bitmap;
  int32_t MusterNr = 0;
  std::string title;
  int32_t TitelAus = 0;
  int32_t x = 0, y = 0;
  int32_t width = 0, height = 0;
  int32_t baseR = 0, baseG = 0, baseB = 0;
  uint32_t baseColour = 0;
  uint32_t NaechsteAktionFarbe = 0;
  int32_t frameR = 0, frameG = 0, frameB = 0;
  uint32_t frameColour = 0;
  int32_t frameWidth = 0;
  int32_t RahmenAbstandY = 0;
  int32_t RahmenAbstandX = 0;
  int32_t textR = 0, textG = 0, textB = 0;
  uint32_t textColour = 0;
  int32_t fontNumber = 0;
  std::array<rt::OwnedImage, kImageSlots + 1> MerkBild{};
  std::array<int32_t, kImageSlots + 1> imageWidth{};
  std::array<int32_t, kImageSlots + 1> imageHeight{};
  int32_t BildAnzahl = 0;
  // Handed out by "Erstellen" and not deleted since. Commands for any other
  // number are ignored, so a panel that does not exist (and sends 0) neither
  // draws a stray title nor pulls the window count below zero.
  bool live = false;
};

// The window system of one run: all 51 records and the results. Every
// window's bitmap and remembered images, live or not, go with it, so that
// windows the program never deleted do not outlive the run.
struct WindowTable {
  FensterDaten FensterTabelle[kHighestWindow + 1];
  int32_t HoechsteFensterNr = 0;
  std::string FensterErgebnis;
  std::string FensterMeldung;
};

namespace {

void FreeImages(FensterDaten& window) {
  for (rt::OwnedImage& image : window.MerkBild) image.reset();
  window.bitmap.reset();
}

enum class Command {
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
  Unknown,
};

constexpr CommandWord<Command> kCommands[] = {
    {"LOESCHEALLEBILDEREINESFENSTERS", Command::LoescheAlleBilderEinesFensters},
    {"LOESCHEFENSTER", Command::LoescheFenster},
    {"LOESCHALLEFENSTER", Command::LoeschAlleFenster},
    {"ERSTELLEN", Command::Erstellen},
    {"SETZTITEL", Command::SetzTitel},
    {"SETZXY", Command::SetzXY},
    {"SETZGRUNDFARBE", Command::SetzGrundfarbe},
    {"MALRECHTECK", Command::MalRechteck},
    {"FUELLRECHTECK", Command::FuellRechteck},
    {"FUELLDATEIMUSTER", Command::FuellDateiMuster},
    {"SETZRAHMENFARBE", Command::SetzRahmenfarbe},
    {"SETZSCHRIFTFARBE", Command::SetzSchriftfarbe},
    {"SETZFONTNR", Command::SetzFontNr},
    {"SETZGROESSE", Command::SetzGroesse},
    {"SETZRAHMENABSTAND", Command::SetzRahmenAbstand},
    {"SETZRAHMENBREITE", Command::SetzRahmenBreite},
    {"SETZNEXTAKTIONFARBE", Command::SetzNextAktionFarbe},
    {"ZEIGAN", Command::ZeigAn},
    {"SCHREIBTEXT", Command::SchreibText},
    {"SCHREIB3DTEXT", Command::Schreib3DText},
    {"SCHREIBGRAVTEXT", Command::SchreibGravText},
    {"MERKEBILD", Command::MerkeBild},
    {"PRUEFEBILDDATEI", Command::PruefeBildDatei},
    {"SETZEBILDTRANSPARENT", Command::SetzeBildTransparent},
};

// One call of Fenster with its arguments as passed.
struct Request {
  std::string_view Aufgabe;
  int32_t Nr;
  int32_t W1, W2, W3, W4;
  std::string_view Text;
};

// Components are neither clamped nor masked: values outside 0..255 spill
// into the neighbouring channels, and negative ones set the high bits.
uint32_t MixColour(int32_t r, int32_t g, int32_t b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

// Shade components wrap at 32 bits, like every other colour bit pattern; the
// sum is taken in 64 bits so that extreme components and distances cannot
// overflow on the way.
int32_t ShadeComponent(int32_t component, int64_t distance) {
  return rt::Wrap32(int64_t{component} + distance);
}

FensterDaten* LiveWindow(WindowTable& table, int32_t nr) {
  if (nr < 0 || nr > kHighestWindow) return nullptr;
  FensterDaten& window = table.FensterTabelle[nr];
  return window.live ? &window : nullptr;
}

int32_t SlotFromText(std::string_view text) {
  return rt::RoundToInt(rt::TextToNumber(text));
}

bool IsSlot(int32_t slot) {
  return slot >= 0 && slot <= kImageSlots;
}

// ---------------------------------------------------------------- lifecycle

// The log lines are written before the liveness check, so a panel that
// deletes a window already gone (after "LoeschAlleFenster") still leaves its
// trace in the log, as every deletion request does.
void LoescheAlleBilderEinesFensters(WindowTable& table, const Request& r) {
  if (LogIsOn()) {
    Protokoll("   Fenster(): alle Bilder des Fensters " + rt::IntToText(r.Nr) +
              " werden geloescht");
  }
  FensterDaten* window = LiveWindow(table, r.Nr);
  if (window == nullptr) return;
  FreeImages(*window);
}

void LoescheFenster(WindowTable& table, const Request& r) {
  if (LogIsOn()) Protokoll("   Fenster(): Loesche Fenster " + rt::IntToText(r.Nr));
  table.FensterMeldung = Fenster("LoescheAlleBilderEinesFensters", r.Nr, 0, 0, 0, 0, "");
  if (LiveWindow(table, r.Nr) == nullptr) return;
  table.FensterTabelle[r.Nr].live = false;
  if (r.Nr == table.HoechsteFensterNr) table.HoechsteFensterNr -= 1;
}

void LoeschAlleFenster(WindowTable& table) {
  if (LogIsOn()) {
    Protokoll("   Fenster(): Loesche ALLE Fenster (0-" + rt::IntToText(table.HoechsteFensterNr) +
              ")");
  }
  // Every record, not only those up to the highest number, so nothing a
  // deleted window left behind can leak.
  for (FensterDaten& window : table.FensterTabelle) window = FensterDaten{};
  table.HoechsteFensterNr = 0;
}

void Erstellen(WindowTable& table, const Request& r) {
  const int32_t n = table.HoechsteFensterNr + 1;
  if (LogIsOn()) {
    Protokoll("   Fenster(): Erstelle Fenster mit Nummer " + rt::IntToText(n) +
              "  und Textuebergabe:" + std::string(r.Text));
  }
  if (n > kHighestWindow) {
    rt::ClearScreen();
    rt::PrintText("Function Fenster(): Soll ein neues Fenster erstellen", true);
    rt::PrintText(
        "Maximale Fensterzahl (" + rt::IntToText(kHighestWindow) + ")aber bereits erreicht !",
        true);
    WarteAufTaste();
    table.FensterErgebnis = "Fehler!, Max Fensterzahl war schon erreicht!";
    return;
  }
  FensterDaten& w = table.FensterTabelle[n];
  w.title = std::string(r.Text.substr(0, kTitleLength));
  w.TitelAus = 0;
  w.x = 10;
  w.y = 10;
  w.width = 10;
  w.height = 10;
  w.baseR = w.baseG = w.baseB = 128;
  w.baseColour = MixColour(128, 128, 128);
  w.frameR = w.frameG = w.frameB = 50;
  w.frameColour = MixColour(50, 50, 50);
  w.frameWidth = 1;
  w.RahmenAbstandY = 8;
  w.RahmenAbstandX = 10;
  w.textR = 255;
  w.textG = 255;
  w.textB = 0;
  w.textColour = MixColour(255, 255, 0);
  w.fontNumber = 0;
  w.BildAnzahl = 0;
  // The slot count starts again at 0, so images a former window of this
  // number still held could never be freed later; free them now.
  FreeImages(w);
  w.bitmap.reset(rt::CreateImage(10, 10, w.baseColour));
  w.live = true;
  table.HoechsteFensterNr = n;
  table.FensterErgebnis = rt::IntToText(n);
}

// ---------------------------------------------------------------- settings

void SetzGroesse(FensterDaten& w, const Request& r) {
  w.width = r.W1;
  w.height = r.W2;
  w.bitmap.reset();
  w.bitmap.reset(rt::CreateImage(r.W1, r.W2, w.baseColour));
}

// ---------------------------------------------------------------- images

void PruefeBildDatei(WindowTable& table, FensterDaten& w, const Request& r) {
  const int32_t k = w.BildAnzahl;
  // Bytes the file does not have keep the values the slot held.
  if (rt::ProbeBmpSize(r.Text, w.imageWidth[k], w.imageHeight[k]) >= 1) {
    table.FensterErgebnis = "BildDateiIstOK";
  } else {
    table.FensterMeldung = "Soll Bild aus der Datei " + std::string(r.Text) +
                           " einlesen, Datei existiert jedoch nicht. Taste = weiter";
    DruckeZeileBei(table.FensterMeldung, 460);
    WarteAufTaste();
    // The scene background stays: freeing it here would leave the running
    // scene without the picture every figure step restores from.
    table.FensterErgebnis = "BildDateiNichtDa";
  }
}

void MerkeBild(WindowTable& table, FensterDaten& w, const Request& r) {
  if (w.BildAnzahl >= kImageSlots) {
    table.FensterErgebnis = "-1";
    return;
  }
  // The slot is used up even when the file turns out to be missing.
  w.BildAnzahl += 1;
  const std::string check = Fenster("PruefeBildDatei", r.Nr, r.W1, r.W2, r.W3, r.W4, r.Text);
  if (check != "BildDateiIstOK") {
    table.FensterErgebnis = "-1";
    return;
  }
  const int32_t k = w.BildAnzahl;
  w.MerkBild[k].reset();
  w.MerkBild[k].reset(rt::CreateImage(w.imageWidth[k], w.imageHeight[k], 0));
  if (w.MerkBild[k]) rt::LoadBmp(r.Text, w.MerkBild[k]);
  table.FensterErgebnis = rt::IntToText(k);
}

// ---------------------------------------------------------------- drawing

// Pastes the sw x sh top-left part of a tile at (x, y) of the bitmap, but
// only when it can touch the bitmap at all, so huge rectangles cost no more
// than the visible tiles.
void PastePiece(const FensterDaten& w, rt::Image tile, int64_t x, int64_t y, int32_t sw,
                int32_t sh) {
  if (x >= w.width || y >= w.height || x + sw <= 0 || y + sh <= 0) return;
  rt::PutImage(w.bitmap, static_cast<int32_t>(x), static_cast<int32_t>(y), tile, 0, 0, sw, sh,
               rt::PutMode::Transparent);
}

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// Covers (W1, W2) to (W1 + W3, W2 + W4) with copies of the tile in the slot
// named by the text: whole tiles, then the pieces cut from the tile's
// top-left corner for the right edge, the bottom edge and the corner.
void FuellRechteck(FensterDaten& w, const Request& r) {
  const int32_t k = SlotFromText(r.Text);
  if (!IsSlot(k) || !w.bitmap) return;
  rt::Image tile = w.MerkBild[k];
  const int64_t tw = w.imageWidth[k];
  const int64_t th = w.imageHeight[k];
  if (tile == nullptr || tw <= 0 || th <= 0) return;
  const int64_t A = int64_t{r.W3} + 1;
  const int64_t B = int64_t{r.W4} + 1;
  if (A <= 0 || B <= 0) return;
  const int64_t nx = A / tw, ny = B / th;
  const int32_t rw = static_cast<int32_t>(A - nx * tw);
  const int32_t rh = static_cast<int32_t>(B - ny * th);
  const int64_t x0 = r.W1, y0 = r.W2;
  const int32_t fw = static_cast<int32_t>(tw), fh = static_cast<int32_t>(th);

  // Only the columns and rows of tiles that can reach the bitmap.
  const int64_t iFirst = std::max<int64_t>(0, FloorDiv(-x0, tw));
  const int64_t iLast = std::min<int64_t>(nx - 1, FloorDiv(w.width - 1 - x0, tw));
  const int64_t jFirst = std::max<int64_t>(0, FloorDiv(-y0, th));
  const int64_t jLast = std::min<int64_t>(ny - 1, FloorDiv(w.height - 1 - y0, th));

  for (int64_t j = jFirst; j <= jLast; ++j) {
    for (int64_t i = iFirst; i <= iLast; ++i) PastePiece(w, tile, x0 + i * tw, y0 + j * th, fw, fh);
  }
  if (rw > 0) {
    for (int64_t j = jFirst; j <= jLast; ++j)
      PastePiece(w, tile, x0 + nx * tw, y0 + j * th, rw, fh);
  }
  if (rh > 0) {
    for (int64_t i = iFirst; i <= iLast; ++i)
      PastePiece(w, tile, x0 + i * tw, y0 + ny * th, fw, rh);
  }
  if (rw > 0 && rh > 0) PastePiece(w, tile, x0 + nx * tw, y0 + ny * th, rw, rh);
}

void FuellDateiMuster(WindowTable& table, FensterDaten& w, const Request& r) {
  table.FensterErgebnis = Fenster("MerkeBild", r.Nr, r.W1, r.W2, r.W3, r.W4, r.Text);
  const int32_t k = SlotFromText(table.FensterErgebnis);
  w.MusterNr = k;
  table.FensterMeldung = Fenster("FuellRechtEck", r.Nr, 0, 0, w.width, w.height, rt::IntToText(k));
}

void MalRechteck(const FensterDaten& w, const Request& r) {
  if (!w.bitmap) return;
  rt::DrawLine(w.bitmap, r.W1, r.W2, rt::Clamp32(int64_t{r.W1} + r.W3),
               rt::Clamp32(int64_t{r.W2} + r.W4), w.NaechsteAktionFarbe, 2);
}

void SetzeBildTransparent(const FensterDaten& w, const Request& r) {
  if (!w.bitmap || !IsSlot(r.W3)) return;
  rt::Image image = w.MerkBild[r.W3];
  if (image == nullptr || w.imageWidth[r.W3] <= 0 || w.imageHeight[r.W3] <= 0) return;
  rt::PutImage(w.bitmap, r.W1, r.W2, image, 0, 0, w.imageWidth[r.W3], w.imageHeight[r.W3],
               rt::PutMode::Transparent);
}

void SchreibText(const FensterDaten& w, const Request& r) {
  if (!w.bitmap) return;
  MaleText(r.Text, r.W1, r.W2, w.textColour, w.fontNumber, w.bitmap);
}

// Raised text puts the dark shade to the lower right; engraved text swaps the
// shades. Components leave 0..255 without clamping, as in every colour.
void WriteShadedText(const FensterDaten& w, const Request& r, int32_t distance, bool engraved) {
  if (!w.bitmap) return;
  const int64_t d = distance;
  const uint32_t dark = MixColour(ShadeComponent(w.textR, -d), ShadeComponent(w.textG, -d),
                                  ShadeComponent(w.textB, -d));
  const uint32_t light =
      MixColour(ShadeComponent(w.textR, d), ShadeComponent(w.textG, d), ShadeComponent(w.textB, d));
  if (engraved) {
    MaleText3D(r.Text, r.W1, r.W2, w.textColour, light, dark, w.fontNumber, w.bitmap);
  } else {
    MaleText3D(r.Text, r.W1, r.W2, w.textColour, dark, light, w.fontNumber, w.bitmap);
  }
}

void ZeigAn(WindowTable& table, FensterDaten& w, const Request& r) {
  if (r.W1 != 0) w.x = r.W1;
  if (r.W2 != 0) w.y = r.W2;
  const int64_t left = int64_t{w.x} + w.RahmenAbstandX - 1;
  const int64_t right = int64_t{w.x} + w.width - w.RahmenAbstandX;
  const int64_t top = int64_t{w.y} + w.RahmenAbstandY - 1;
  const int64_t bottom = int64_t{w.y} + w.height - w.RahmenAbstandY;

  bool targetOk = true;
  rt::Image target = nullptr;
  if (r.W3 != 0) {
    // A target must be a live window with a bitmap: a null target would
    // mean the screen.
    const FensterDaten* t =
        (r.W3 >= 1 && r.W3 <= table.HoechsteFensterNr) ? LiveWindow(table, r.W3) : nullptr;
    if (t == nullptr || !t->bitmap) {
      rt::PrintText("Fenster(): Soll das Fenster " + rt::IntToText(r.Nr) +
                        "in Bitmap des Fensters " + rt::IntToText(r.W3) +
                        " blitten, ZielfensterNr ist aber nicht OK",
                    true);
      targetOk = false;
    } else {
      target = t->bitmap;
    }
  }
  if (targetOk) {
    if (target != nullptr && target == w.bitmap.get()) {
      // A window shown into its own bitmap copies from a snapshot, so the
      // copy never reads pixels it has already overwritten.
      const rt::OwnedImage snapshot(rt::CreateImage(w.width, w.height, 0));
      if (snapshot) {
        rt::PutImage(snapshot, 0, 0, w.bitmap, 0, 0, w.width, w.height, rt::PutMode::Opaque);
        rt::PutImage(target, w.x, w.y, snapshot, 0, 0, w.width, w.height, rt::PutMode::Opaque);
      }
    } else {
      rt::PutImage(target, w.x, w.y, w.bitmap, 0, 0, w.width, w.height, rt::PutMode::Opaque);
    }
    if (w.frameWidth > 0) {
      rt::DrawLine(target, rt::Clamp32(left), rt::Clamp32(top), rt::Clamp32(right),
                   rt::Clamp32(bottom), w.frameColour, 1);
    }
  }
  if (w.TitelAus != 1) {
    MaleText(w.title + rt::UIntToText(rt::ImageId(w.bitmap)), rt::Clamp32(left + 15),
             rt::Clamp32(top + FontHoehe(1)), 0xFFFFFFFFu, 1, nullptr);
  }
}

// ---------------------------------------------------------------- dispatch

void Run(WindowTable& table, Command command, const Request& r) {
  switch (command) {
    case Command::LoescheAlleBilderEinesFensters:
      LoescheAlleBilderEinesFensters(table, r);
      return;
    case Command::LoescheFenster:
      LoescheFenster(table, r);
      return;
    case Command::LoeschAlleFenster:
      LoeschAlleFenster(table);
      return;
    case Command::Erstellen:
      Erstellen(table, r);
      return;
    case Command::Unknown:
      table.FensterMeldung =
          "SelectCase in Fenster-Sub kennt folgende Aufgabe nicht: " + std::string(r.Aufgabe);
      DruckeZeile(table.FensterMeldung);
      return;
    default:
      break;
  }

  // Everything below acts on one window and is ignored for a number that
  // is not live; the commands with a result answer as for a failure.
  FensterDaten* live = LiveWindow(table, r.Nr);
  if (live == nullptr) {
    if (command == Command::MerkeBild || command == Command::FuellDateiMuster) {
      table.FensterErgebnis = "-1";
    } else if (command == Command::PruefeBildDatei) {
      table.FensterErgebnis = "BildDateiNichtDa";
    }
    return;
  }
  FensterDaten& w = *live;
  switch (command) {
    case Command::SetzTitel:
      w.title = std::string(r.Text.substr(0, kTitleLength));
      w.TitelAus = r.W1;
      break;
    case Command::SetzXY:
      w.x = r.W1;
      w.y = r.W2;
      break;
    case Command::SetzGrundfarbe:
      w.baseR = r.W1;
      w.baseG = r.W2;
      w.baseB = r.W3;
      w.baseColour = MixColour(r.W1, r.W2, r.W3);
      break;
    case Command::MalRechteck:
      MalRechteck(w, r);
      break;
    case Command::FuellRechteck:
      FuellRechteck(w, r);
      break;
    case Command::FuellDateiMuster:
      FuellDateiMuster(table, w, r);
      break;
    case Command::SetzRahmenfarbe:
      w.frameR = r.W1;
      w.frameG = r.W2;
      w.frameB = r.W3;
      w.frameColour = MixColour(r.W1, r.W2, r.W3);
      break;
    case Command::SetzSchriftfarbe:
      w.textR = r.W1;
      w.textG = r.W2;
      w.textB = r.W3;
      w.textColour = MixColour(r.W1, r.W2, r.W3);
      break;
    case Command::SetzFontNr:
      w.fontNumber = r.W1;
      break;
    case Command::SetzGroesse:
      SetzGroesse(w, r);
      break;
    case Command::SetzRahmenAbstand:
      w.RahmenAbstandX = r.W1;
      w.RahmenAbstandY = r.W2;
      break;
    case Command::SetzRahmenBreite:
      w.frameWidth = r.W1;
      break;
    case Command::SetzNextAktionFarbe:
      w.NaechsteAktionFarbe = MixColour(r.W1, r.W2, r.W3);
      break;
    case Command::ZeigAn:
      ZeigAn(table, w, r);
      break;
    case Command::SchreibText:
      SchreibText(w, r);
      break;
    case Command::Schreib3DText:
      WriteShadedText(w, r, r.W3 == 0 ? 20 : r.W3, false);
      break;
    case Command::SchreibGravText:
      WriteShadedText(w, r, r.W3, true);
      break;
    case Command::MerkeBild:
      MerkeBild(table, w, r);
      break;
    case Command::PruefeBildDatei:
      PruefeBildDatei(table, w, r);
      break;
    case Command::SetzeBildTransparent:
      SetzeBildTransparent(w, r);
      break;
    default:
      break;
  }
}

}  // namespace

}  // namespace wimmel::windows

namespace wimmel {

std::string Fenster(std::string_view Aufgabe, int32_t Nr, int32_t W1, int32_t W2, int32_t W3,
                    int32_t W4, std::string_view Text) {
  windows::WindowTable& table = WindowsModule::Get();
  windows::Run(table, LookUpCommand(Aufgabe, windows::kCommands, windows::Command::Unknown),
               windows::Request{Aufgabe, Nr, W1, W2, W3, W4, Text});
  return table.FensterErgebnis;
}

template class Owned<windows::WindowTable>;

}  // namespace wimmel
