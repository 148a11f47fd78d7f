// The window table, its functions and the command procedure that runs them
// by word. Every window keeps its own off-screen bitmap, colours, font and up
// to twenty remembered images; the panels paint into the bitmaps once and
// show them with Show.
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

WindowTable& Table() {
  return WindowsModule::Get();
}

FensterDaten* LiveWindow(WindowTable& table, int32_t nr) {
  if (nr < 0 || nr > kHighestWindow) return nullptr;
  FensterDaten& window = table.FensterTabelle[nr];
  return window.live ? &window : nullptr;
}

FensterDaten* LiveWindow(int32_t nr) {
  return LiveWindow(Table(), nr);
}

void FreeImages(FensterDaten& window) {
  for (rt::OwnedImage& image : window.MerkBild) image.reset();
  window.bitmap.reset();
}

// Components are neither clamped nor masked: values outside 0..255 spill
// into the neighbouring channels, and negative ones set the high bits.
uint32_t MixColour(int32_t r, int32_t g, int32_t b) {
  return 0xFF000000u | (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) |
         static_cast<uint32_t>(b);
}

uint32_t MixColour(Rgb c) {
  return MixColour(c.r, c.g, c.b);
}

// A window keeps each colour as its components and as the mixed pixel.
void StoreColour(Rgb colour, int32_t& r, int32_t& g, int32_t& b, uint32_t& mixed) {
  r = colour.r;
  g = colour.g;
  b = colour.b;
  mixed = MixColour(colour);
}

// Shade components wrap at 32 bits, like every other colour bit pattern; the
// sum is taken in 64 bits so that extreme components and distances cannot
// overflow on the way.
int32_t ShadeComponent(int32_t component, int64_t distance) {
  return rt::Wrap32(int64_t{component} + distance);
}

bool IsSlot(int32_t slot) {
  return slot >= 0 && slot <= kImageSlots;
}

// Reads the width and height of the BMP file into the window's newest slot.
// Bytes the file does not have keep the values the slot held. A missing file
// is reported and waits for a key.
bool CheckImageFile(WindowTable& table, FensterDaten& w, std::string_view path) {
  const int32_t k = w.BildAnzahl;
  if (rt::ProbeBmpSize(path, w.imageWidth[k], w.imageHeight[k]) >= 1) {
    table.FensterErgebnis = "BildDateiIstOK";
    return true;
  }
  table.FensterMeldung = "Soll Bild aus der Datei " + std::string(path) +
                         " einlesen, Datei existiert jedoch nicht. Taste = weiter";
  DruckeZeileBei(table.FensterMeldung, 460);
  WarteAufTaste();
  // The scene background stays: freeing it here would leave the running
  // scene without the picture every figure step restores from.
  table.FensterErgebnis = "BildDateiNichtDa";
  return false;
}

// The slot is used up even when the file turns out to be missing.
int32_t RememberIn(WindowTable& table, FensterDaten* w, std::string_view path) {
  if (w == nullptr || w->BildAnzahl >= kImageSlots) return kNoSlot;
  w->BildAnzahl += 1;
  if (!CheckImageFile(table, *w, path)) return kNoSlot;
  const int32_t k = w->BildAnzahl;
  w->MerkBild[k].reset();
  w->MerkBild[k].reset(rt::CreateImage(w->imageWidth[k], w->imageHeight[k], 0));
  if (w->MerkBild[k]) rt::LoadBmp(path, w->MerkBild[k]);
  return k;
}

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

// Raised text puts the dark shade to the lower right; engraved text swaps the
// shades. Components leave 0..255 without clamping, as in every colour.
void WriteShadedText(int32_t window, int32_t x, int32_t y, int32_t distance, std::string_view text,
                     bool engraved) {
  const FensterDaten* w = LiveWindow(window);
  if (w == nullptr || !w->bitmap) return;
  const int64_t d = distance;
  const uint32_t dark = MixColour(ShadeComponent(w->textR, -d), ShadeComponent(w->textG, -d),
                                  ShadeComponent(w->textB, -d));
  const uint32_t light = MixColour(ShadeComponent(w->textR, d), ShadeComponent(w->textG, d),
                                   ShadeComponent(w->textB, d));
  if (engraved) {
    MaleText3D(text, x, y, w->textColour, light, dark, w->fontNumber, w->bitmap);
  } else {
    MaleText3D(text, x, y, w->textColour, dark, light, w->fontNumber, w->bitmap);
  }
}

}  // namespace

// ---------------------------------------------------------------- lifecycle

int32_t Create(std::string_view name) {
  WindowTable& table = Table();
  const int32_t n = table.HoechsteFensterNr + 1;
  if (LogIsOn()) {
    Protokoll("   Fenster(): Erstelle Fenster mit Nummer " + rt::IntToText(n) +
              "  und Textuebergabe:" + std::string(name));
  }
  if (n > kHighestWindow) {
    rt::ClearScreen();
    rt::PrintText("Function Fenster(): Soll ein neues Fenster erstellen", true);
    rt::PrintText(
        "Maximale Fensterzahl (" + rt::IntToText(kHighestWindow) + ")aber bereits erreicht !",
        true);
    WarteAufTaste();
    table.FensterErgebnis = "Fehler!, Max Fensterzahl war schon erreicht!";
    return kNoWindow;
  }
  FensterDaten& w = table.FensterTabelle[n];
  w.title = std::string(name.substr(0, kTitleLength));
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
  return n;
}

// The log lines are written before the liveness check, so a panel that
// deletes a window already gone (after DeleteAll) still leaves its trace in
// the log, as every deletion request does.
void DeleteImages(int32_t window) {
  if (LogIsOn()) {
    Protokoll("   Fenster(): alle Bilder des Fensters " + rt::IntToText(window) +
              " werden geloescht");
  }
  FensterDaten* w = LiveWindow(window);
  if (w != nullptr) FreeImages(*w);
}

void Delete(int32_t window) {
  if (LogIsOn()) Protokoll("   Fenster(): Loesche Fenster " + rt::IntToText(window));
  DeleteImages(window);
  WindowTable& table = Table();
  FensterDaten* w = LiveWindow(table, window);
  if (w == nullptr) return;
  w->live = false;
  if (window == table.HoechsteFensterNr) table.HoechsteFensterNr -= 1;
}

void DeleteAll() {
  WindowTable& table = Table();
  if (LogIsOn()) {
    Protokoll("   Fenster(): Loesche ALLE Fenster (0-" + rt::IntToText(table.HoechsteFensterNr) +
              ")");
  }
  // Every record, not only those up to the highest number, so nothing a
  // deleted window left behind can leak.
  for (FensterDaten& w : table.FensterTabelle) w = FensterDaten{};
  table.HoechsteFensterNr = 0;
}

// ---------------------------------------------------------------- settings

void SetTitle(int32_t window, std::string_view title, Title shown) {
  FensterDaten* w = LiveWindow(window);
  if (w == nullptr) return;
  w->title = std::string(title.substr(0, kTitleLength));
  w->TitelAus = shown == Title::Hidden ? 1 : 0;
}

void SetPosition(int32_t window, int32_t x, int32_t y) {
  FensterDaten* w = LiveWindow(window);
  if (w == nullptr) return;
  w->x = x;
  w->y = y;
}

void SetBaseColour(int32_t window, Rgb colour) {
  FensterDaten* w = LiveWindow(window);
  if (w != nullptr) StoreColour(colour, w->baseR, w->baseG, w->baseB, w->baseColour);
}

void SetFrameColour(int32_t window, Rgb colour) {
  FensterDaten* w = LiveWindow(window);
  if (w != nullptr) StoreColour(colour, w->frameR, w->frameG, w->frameB, w->frameColour);
}

void SetFrameWidth(int32_t window, int32_t width) {
  FensterDaten* w = LiveWindow(window);
  if (w != nullptr) w->frameWidth = width;
}

void SetFrameDistance(int32_t window, int32_t dx, int32_t dy) {
  FensterDaten* w = LiveWindow(window);
  if (w == nullptr) return;
  w->RahmenAbstandX = dx;
  w->RahmenAbstandY = dy;
}

void SetTextColour(int32_t window, Rgb colour) {
  FensterDaten* w = LiveWindow(window);
  if (w != nullptr) StoreColour(colour, w->textR, w->textG, w->textB, w->textColour);
}

void SetFont(int32_t window, int32_t font) {
  FensterDaten* w = LiveWindow(window);
  if (w != nullptr) w->fontNumber = font;
}

void SetSize(int32_t window, int32_t width, int32_t height) {
  FensterDaten* w = LiveWindow(window);
  if (w == nullptr) return;
  w->width = width;
  w->height = height;
  w->bitmap.reset();
  w->bitmap.reset(rt::CreateImage(width, height, w->baseColour));
}

void SetBoxColour(int32_t window, Rgb colour) {
  FensterDaten* w = LiveWindow(window);
  if (w != nullptr) w->NaechsteAktionFarbe = MixColour(colour);
}

// ---------------------------------------------------------------- images

int32_t RememberImage(int32_t window, std::string_view path) {
  WindowTable& table = Table();
  const int32_t slot = RememberIn(table, LiveWindow(table, window), path);
  table.FensterErgebnis = rt::IntToText(slot);
  return slot;
}

// ---------------------------------------------------------------- drawing

void PaintBox(int32_t window, int32_t x, int32_t y, int32_t dx, int32_t dy) {
  const FensterDaten* w = LiveWindow(window);
  if (w == nullptr || !w->bitmap) return;
  rt::DrawLine(w->bitmap, x, y, rt::Clamp32(int64_t{x} + dx), rt::Clamp32(int64_t{y} + dy),
               w->NaechsteAktionFarbe, 2);
}

// Whole tiles, then the pieces cut from the tile's top-left corner for the
// right edge, the bottom edge and the corner.
void FillRect(int32_t window, int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t slot) {
  const FensterDaten* live = LiveWindow(window);
  if (live == nullptr || !IsSlot(slot) || !live->bitmap) return;
  const FensterDaten& w = *live;
  rt::Image tile = w.MerkBild[slot];
  const int64_t tw = w.imageWidth[slot];
  const int64_t th = w.imageHeight[slot];
  if (tile == nullptr || tw <= 0 || th <= 0) return;
  const int64_t A = int64_t{dx} + 1;
  const int64_t B = int64_t{dy} + 1;
  if (A <= 0 || B <= 0) return;
  const int64_t nx = A / tw, ny = B / th;
  const int32_t rw = static_cast<int32_t>(A - nx * tw);
  const int32_t rh = static_cast<int32_t>(B - ny * th);
  const int64_t x0 = x, y0 = y;
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

// The rectangle reaches one pixel beyond the bitmap on the right and at the
// bottom, which the clipping removes.
int32_t FillWithPattern(int32_t window, std::string_view path) {
  const int32_t slot = RememberImage(window, path);
  FensterDaten* w = LiveWindow(window);
  if (w == nullptr) return slot;
  w->MusterNr = slot;
  FillRect(window, 0, 0, w->width, w->height, slot);
  return slot;
}

void PasteTransparent(int32_t window, int32_t x, int32_t y, int32_t slot) {
  const FensterDaten* w = LiveWindow(window);
  if (w == nullptr || !w->bitmap || !IsSlot(slot)) return;
  rt::Image image = w->MerkBild[slot];
  if (image == nullptr || w->imageWidth[slot] <= 0 || w->imageHeight[slot] <= 0) return;
  rt::PutImage(w->bitmap, x, y, image, 0, 0, w->imageWidth[slot], w->imageHeight[slot],
               rt::PutMode::Transparent);
}

void WriteText(int32_t window, int32_t x, int32_t y, std::string_view text) {
  const FensterDaten* w = LiveWindow(window);
  if (w == nullptr || !w->bitmap) return;
  MaleText(text, x, y, w->textColour, w->fontNumber, w->bitmap);
}

void WriteRaisedText(int32_t window, int32_t x, int32_t y, int32_t distance,
                     std::string_view text) {
  WriteShadedText(window, x, y, distance, text, false);
}

void WriteEngravedText(int32_t window, int32_t x, int32_t y, int32_t distance,
                       std::string_view text) {
  WriteShadedText(window, x, y, distance, text, true);
}

// ---------------------------------------------------------------- showing

void Show(int32_t window) {
  ShowAt(window, 0, 0, kScreen);
}

void ShowAt(int32_t window, int32_t x, int32_t y, int32_t target) {
  WindowTable& table = Table();
  FensterDaten* live = LiveWindow(table, window);
  if (live == nullptr) return;
  FensterDaten& w = *live;
  if (x != 0) w.x = x;
  if (y != 0) w.y = y;
  const int64_t left = int64_t{w.x} + w.RahmenAbstandX - 1;
  const int64_t right = int64_t{w.x} + w.width - w.RahmenAbstandX;
  const int64_t top = int64_t{w.y} + w.RahmenAbstandY - 1;
  const int64_t bottom = int64_t{w.y} + w.height - w.RahmenAbstandY;

  bool targetOk = true;
  rt::Image targetBitmap = nullptr;
  if (target != kScreen) {
    // A target must be a live window with a bitmap: a null target would
    // mean the screen.
    const FensterDaten* t =
        (target >= 1 && target <= table.HoechsteFensterNr) ? LiveWindow(table, target) : nullptr;
    if (t == nullptr || !t->bitmap) {
      rt::PrintText("Fenster(): Soll das Fenster " + rt::IntToText(window) +
                        "in Bitmap des Fensters " + rt::IntToText(target) +
                        " blitten, ZielfensterNr ist aber nicht OK",
                    true);
      targetOk = false;
    } else {
      targetBitmap = t->bitmap;
    }
  }
  if (targetOk) {
    if (targetBitmap != nullptr && targetBitmap == w.bitmap.get()) {
      // A window shown into its own bitmap copies from a snapshot, so the
      // copy never reads pixels it has already overwritten.
      const rt::OwnedImage snapshot(rt::CreateImage(w.width, w.height, 0));
      if (snapshot) {
        rt::PutImage(snapshot, 0, 0, w.bitmap, 0, 0, w.width, w.height, rt::PutMode::Opaque);
        rt::PutImage(targetBitmap, w.x, w.y, snapshot, 0, 0, w.width, w.height,
                     rt::PutMode::Opaque);
      }
    } else {
      rt::PutImage(targetBitmap, w.x, w.y, w.bitmap, 0, 0, w.width, w.height, rt::PutMode::Opaque);
    }
    if (w.frameWidth > 0) {
      rt::DrawLine(targetBitmap, rt::Clamp32(left), rt::Clamp32(top), rt::Clamp32(right),
                   rt::Clamp32(bottom), w.frameColour, 1);
    }
  }
  if (w.TitelAus != 1) {
    MaleText(w.title + rt::UIntToText(rt::ImageId(w.bitmap)), rt::Clamp32(left + 15),
             rt::Clamp32(top + FontHoehe(1)), 0xFFFFFFFFu, 1, nullptr);
  }
}

// ---------------------------------------------------------------- words

namespace {

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

// The slot of "FuellRechteck", which comes as decimal text.
int32_t SlotFromText(std::string_view text) {
  return rt::RoundToInt(rt::TextToNumber(text));
}

// "PruefeBildDatei" on its own; RememberImage checks its file the same way.
void ProbeImageFile(WindowTable& table, int32_t window, std::string_view path) {
  FensterDaten* w = LiveWindow(table, window);
  if (w == nullptr) {
    table.FensterErgebnis = "BildDateiNichtDa";
    return;
  }
  CheckImageFile(table, *w, path);
}

void Run(WindowTable& table, Command command, const Request& r) {
  switch (command) {
    case Command::LoescheAlleBilderEinesFensters:
      DeleteImages(r.Nr);
      break;
    case Command::LoescheFenster:
      Delete(r.Nr);
      break;
    case Command::LoeschAlleFenster:
      DeleteAll();
      break;
    case Command::Erstellen:
      Create(r.Text);
      break;
    case Command::SetzTitel:
      SetTitle(r.Nr, r.Text, r.W1 == 1 ? Title::Hidden : Title::Shown);
      break;
    case Command::SetzXY:
      SetPosition(r.Nr, r.W1, r.W2);
      break;
    case Command::SetzGrundfarbe:
      SetBaseColour(r.Nr, {r.W1, r.W2, r.W3});
      break;
    case Command::MalRechteck:
      PaintBox(r.Nr, r.W1, r.W2, r.W3, r.W4);
      break;
    case Command::FuellRechteck:
      FillRect(r.Nr, r.W1, r.W2, r.W3, r.W4, SlotFromText(r.Text));
      break;
    case Command::FuellDateiMuster:
      // W1 to W4 are passed along to "MerkeBild" and "PruefeBildDatei",
      // which do not read them.
      FillWithPattern(r.Nr, r.Text);
      break;
    case Command::SetzRahmenfarbe:
      SetFrameColour(r.Nr, {r.W1, r.W2, r.W3});
      break;
    case Command::SetzSchriftfarbe:
      SetTextColour(r.Nr, {r.W1, r.W2, r.W3});
      break;
    case Command::SetzFontNr:
      SetFont(r.Nr, r.W1);
      break;
    case Command::SetzGroesse:
      SetSize(r.Nr, r.W1, r.W2);
      break;
    case Command::SetzRahmenAbstand:
      SetFrameDistance(r.Nr, r.W1, r.W2);
      break;
    case Command::SetzRahmenBreite:
      SetFrameWidth(r.Nr, r.W1);
      break;
    case Command::SetzNextAktionFarbe:
      SetBoxColour(r.Nr, {r.W1, r.W2, r.W3});
      break;
    case Command::ZeigAn:
      ShowAt(r.Nr, r.W1, r.W2, r.W3);
      break;
    case Command::SchreibText:
      WriteText(r.Nr, r.W1, r.W2, r.Text);
      break;
    case Command::Schreib3DText:
      WriteRaisedText(r.Nr, r.W1, r.W2, r.W3 == 0 ? 20 : r.W3, r.Text);
      break;
    case Command::SchreibGravText:
      WriteEngravedText(r.Nr, r.W1, r.W2, r.W3, r.Text);
      break;
    case Command::MerkeBild:
      RememberImage(r.Nr, r.Text);
      break;
    case Command::PruefeBildDatei:
      ProbeImageFile(table, r.Nr, r.Text);
      break;
    case Command::SetzeBildTransparent:
      PasteTransparent(r.Nr, r.W1, r.W2, r.W3);
      break;
    case Command::Unknown:
      table.FensterMeldung =
          "SelectCase in Fenster-Sub kennt folgende Aufgabe nicht: " + std::string(r.Aufgabe);
      DruckeZeile(table.FensterMeldung);
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
