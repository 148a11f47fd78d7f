// fontsheet OUT.png: draws every code of the three built-in fonts, enlarged,
// in a labelled grid, then every code raised with MaleText3D and a few
// engraved fields, and writes the sheet as a PNG for review by eye.
//
// Everything is drawn at its real size through the program's own text
// drawing and only then scaled up by whole pixels, so the sheet shows exactly
// what the program puts on the screen.
#include <cstdio>
#include <string>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"
#include "text/text.h"

namespace rt = wimmel::rt;

namespace {

constexpr uint32_t kGrund = 0xFF202428;
constexpr uint32_t kZelleA = 0xFF0C1A40;
constexpr uint32_t kZelleB = 0xFF142454;
constexpr uint32_t kTinte = 0xFFFFFFFF;
constexpr uint32_t kBeschriftung = 0xFFFFD040;

std::string Hex(int32_t v, int32_t stellen) {
  static const char* ziffern = "0123456789ABCDEF";
  std::string s(static_cast<size_t>(stellen), '0');
  for (int32_t i = stellen - 1; i >= 0; --i, v >>= 4) s[static_cast<size_t>(i)] = ziffern[v & 15];
  return s;
}

// Copies the rectangle (sx, sy, w, h) of src into dst at (dx, dy), each
// pixel as a `mal` x `mal` square.
void Vergroessern(rt::Image src, int32_t sx, int32_t sy, int32_t w, int32_t h, rt::Image dst,
                  int32_t dx, int32_t dy, int32_t mal) {
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t p = rt::GetPixel(src, sx + x, sy + y) | 0xFF000000u;
      rt::DrawLine(dst, dx + x * mal, dy + y * mal, dx + x * mal + mal - 1, dy + y * mal + mal - 1,
                   p, 2);
    }
  }
}

// The 256 codes of a font in 8 rows of 32 cells, each cell the glyph size
// plus a one-pixel margin, at real size in `bild`; returns the grid's size.
void Raster(int32_t font, rt::Image bild, int32_t& breite, int32_t& hoehe) {
  const int32_t w = wimmel::FontBreite(font), h = wimmel::FontHoehe(font);
  breite = 32 * (w + 2);
  hoehe = 8 * (h + 2);
  rt::DrawLine(bild, 0, 0, breite - 1, hoehe - 1, kGrund, 2);
  for (int32_t code = 0; code < 256; ++code) {
    const int32_t x = (code % 32) * (w + 2) + 1, y = (code / 32) * (h + 2) + 1;
    const uint32_t zelle = ((code % 32) + (code / 32)) % 2 ? kZelleB : kZelleA;
    rt::DrawLine(bild, x, y, x + w - 1, y + h - 1, zelle, 2);
    wimmel::MaleZeichen(std::string(1, static_cast<char>(code)), x, y, kTinte, font, bild);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fontsheet OUT.png\n");
    return 2;
  }
  rt::Runtime runtime;
  rt::StartRuntime(argc, argv);
  if (rt::SetScreenMode(21, 32, 0, 1, 0) != 0) {
    std::fprintf(stderr, "fontsheet: cannot open the headless screen\n");
    return 1;
  }
  wimmel::FontsInitialisieren();

  constexpr int32_t kMal = 3, kRand = 48, kBreite = kRand + 32 * 10 * kMal + 16;
  constexpr int32_t kHoehe = 2400;
  rt::Image blatt = rt::CreateImage(kBreite, kHoehe, kGrund);
  rt::Image arbeit = rt::CreateImage(640, 400, kGrund);
  if (blatt == nullptr || arbeit == nullptr) {
    std::fprintf(stderr, "fontsheet: cannot create the images\n");
    return 1;
  }

  const char* namen[3] = {"Font 0: 8 x 16, PC face", "Font 1: 6 x 7, micro face",
                          "Font 2: 6 x 12, segment face"};
  int32_t y = 12;
  for (int32_t f = 0; f < 3; ++f) {
    const int32_t w = wimmel::FontBreite(f), h = wimmel::FontHoehe(f);
    wimmel::MaleText(namen[f], 8, y, kBeschriftung, 0, blatt);
    y += 22;
    for (int32_t spalte = 0; spalte < 32; ++spalte) {
      wimmel::MaleText(Hex(spalte, 2), kRand + spalte * (w + 2) * kMal + ((w + 2) * kMal - 16) / 2,
                       y, kBeschriftung, 0, blatt);
    }
    y += 18;
    int32_t gb = 0, gh = 0;
    Raster(f, arbeit, gb, gh);
    Vergroessern(arbeit, 0, 0, gb, gh, blatt, kRand, y, kMal);
    for (int32_t zeile = 0; zeile < 8; ++zeile) {
      wimmel::MaleText(Hex(zeile * 32, 2), 8,
                       y + zeile * (h + 2) * kMal + ((h + 2) * kMal - 16) / 2, kBeschriftung, 0,
                       blatt);
    }
    y += gh * kMal + 16;
  }

  // Every code raised, in the about screen's colours, at twice the size.
  wimmel::MaleText("MaleText3D, every code (face A4A4FF, shades 606080 / FFFFFF)", 8, y,
                   kBeschriftung, 0, blatt);
  y += 22;
  for (int32_t f = 0; f < 3; ++f) {
    const int32_t w = wimmel::FontBreite(f), h = wimmel::FontHoehe(f);
    rt::DrawLine(arbeit, 0, 0, 639, 399, kZelleA, 2);
    for (int32_t zeile = 0; zeile < 8; ++zeile) {
      std::string text;
      for (int32_t c = 0; c < 32; ++c) text += static_cast<char>(zeile * 32 + c);
      wimmel::MaleText3D(text, 2, 2 + zeile * (h + 4), 0xFFA4A4FF, 0xFF606080, 0xFFFFFFFF, f,
                         arbeit);
    }
    Vergroessern(arbeit, 0, 0, 32 * w + 4, 8 * (h + 4), blatt, kRand, y, 2);
    y += 8 * (h + 4) * 2 + 12;
  }

  // Engraved fields as the start screen draws them, taken from the screen.
  wimmel::MaleText("MaleGravurFeld (font 2, 0 and 1; and an empty field)", 8, y, kBeschriftung, 0,
                   blatt);
  y += 22;
  rt::DrawLine(nullptr, 0, 0, 399, 79, 0xFF5A6470, 2);
  wimmel::MaleGravurFeld("Figuren: 1024  Musik AUS", 10, 10, 0xFFFFFF00, 2);
  wimmel::MaleGravurFeld(
      "Gr\xF6\xDF"
      "e 640x480x16",
      10, 34, 0xFFFFFF00, 0);
  wimmel::MaleGravurFeld("A-P +-", 200, 34, 0xFFFFFF00, 1);
  wimmel::MaleGravurFeld("", 300, 34, 0xFFFFFF00, 2);
  Vergroessern(rt::ScreenImage(), 0, 0, 400, 64, blatt, kRand, y, kMal);
  y += 64 * kMal + 12;

  rt::Image fertig = rt::CreateImage(kBreite, y, kGrund);
  rt::PutImage(fertig, 0, 0, blatt, 0, 0, kBreite, y, rt::PutMode::Opaque);
  const bool ok = rt::WritePng(fertig, argv[1]);
  rt::DestroyImage(fertig);
  rt::DestroyImage(arbeit);
  rt::DestroyImage(blatt);
  if (!ok) {
    std::fprintf(stderr, "fontsheet: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
