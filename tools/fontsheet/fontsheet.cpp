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
#include "runtime/owned_image.h"
#include "runtime/runtime.h"
#include "text/text.h"

namespace rt = wimmel::rt;

namespace {

constexpr uint32_t kBackground = 0xFF202428;
constexpr uint32_t kCellA = 0xFF0C1A40;
constexpr uint32_t kCellB = 0xFF142454;
constexpr uint32_t kInk = 0xFFFFFFFF;
constexpr uint32_t kLabel = 0xFFFFD040;

std::string Hex(int32_t v, int32_t digits) {
  static const char* hexDigits = "0123456789ABCDEF";
  std::string s(static_cast<size_t>(digits), '0');
  for (int32_t i = digits - 1; i >= 0; --i, v >>= 4) s[static_cast<size_t>(i)] = hexDigits[v & 15];
  return s;
}

// Copies the rectangle (sx, sy, w, h) of src into dst at (dx, dy), each
// pixel as a `scale` x `scale` square.
void Enlarge(rt::Image src, int32_t sx, int32_t sy, int32_t w, int32_t h, rt::Image dst, int32_t dx,
             int32_t dy, int32_t scale) {
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t p = rt::GetPixel(src, sx + x, sy + y) | 0xFF000000u;
      rt::DrawLine(dst, dx + x * scale, dy + y * scale, dx + x * scale + scale - 1,
                   dy + y * scale + scale - 1, p, 2);
    }
  }
}

// The 256 codes of a font in 8 rows of 32 cells, each cell the glyph size
// plus a one-pixel margin, at real size in `image`; returns the grid's size.
void Grid(int32_t font, rt::Image image, int32_t& width, int32_t& height) {
  const int32_t w = wimmel::FontBreite(font), h = wimmel::FontHoehe(font);
  width = 32 * (w + 2);
  height = 8 * (h + 2);
  rt::DrawLine(image, 0, 0, width - 1, height - 1, kBackground, 2);
  for (int32_t code = 0; code < 256; ++code) {
    const int32_t x = (code % 32) * (w + 2) + 1, y = (code / 32) * (h + 2) + 1;
    const uint32_t cell = ((code % 32) + (code / 32)) % 2 ? kCellB : kCellA;
    rt::DrawLine(image, x, y, x + w - 1, y + h - 1, cell, 2);
    wimmel::MaleZeichen(std::string(1, static_cast<char>(code)), x, y, kInk, font, image);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fontsheet OUT.png\n");
    return 2;
  }
  rt::Runtime runtime;
  wimmel::TextModule textState;  // the font table the drawing below reads
  rt::StartRuntime(argc, argv);
  if (rt::SetScreenMode(21, 32, 0, 1, 0) != 0) {
    std::fprintf(stderr, "fontsheet: cannot open the headless screen\n");
    return 1;
  }
  wimmel::FontsInitialisieren();

  constexpr int32_t kScale = 3, kMargin = 48, kSheetWidth = kMargin + 32 * 10 * kScale + 16;
  constexpr int32_t kSheetHeight = 2400;
  rt::OwnedImage sheet(rt::CreateImage(kSheetWidth, kSheetHeight, kBackground));
  rt::OwnedImage work(rt::CreateImage(640, 400, kBackground));
  if (sheet == nullptr || work == nullptr) {
    std::fprintf(stderr, "fontsheet: cannot create the images\n");
    return 1;
  }

  const char* names[3] = {"Font 0: 8 x 16, PC face", "Font 1: 6 x 7, micro face",
                          "Font 2: 6 x 12, segment face"};
  int32_t y = 12;
  for (int32_t f = 0; f < 3; ++f) {
    const int32_t w = wimmel::FontBreite(f), h = wimmel::FontHoehe(f);
    wimmel::MaleText(names[f], 8, y, kLabel, 0, sheet);
    y += 22;
    for (int32_t column = 0; column < 32; ++column) {
      wimmel::MaleText(Hex(column, 2),
                       kMargin + column * (w + 2) * kScale + ((w + 2) * kScale - 16) / 2, y, kLabel,
                       0, sheet);
    }
    y += 18;
    int32_t gridWidth = 0, gridHeight = 0;
    Grid(f, work, gridWidth, gridHeight);
    Enlarge(work, 0, 0, gridWidth, gridHeight, sheet, kMargin, y, kScale);
    for (int32_t row = 0; row < 8; ++row) {
      wimmel::MaleText(Hex(row * 32, 2), 8,
                       y + row * (h + 2) * kScale + ((h + 2) * kScale - 16) / 2, kLabel, 0, sheet);
    }
    y += gridHeight * kScale + 16;
  }

  // Every code raised, in the about screen's colours, at twice the size.
  wimmel::MaleText("MaleText3D, every code (face A4A4FF, shades 606080 / FFFFFF)", 8, y, kLabel, 0,
                   sheet);
  y += 22;
  for (int32_t f = 0; f < 3; ++f) {
    const int32_t w = wimmel::FontBreite(f), h = wimmel::FontHoehe(f);
    rt::DrawLine(work, 0, 0, 639, 399, kCellA, 2);
    for (int32_t row = 0; row < 8; ++row) {
      std::string text;
      for (int32_t c = 0; c < 32; ++c) text += static_cast<char>(row * 32 + c);
      wimmel::MaleText3D(text, 2, 2 + row * (h + 4), 0xFFA4A4FF, 0xFF606080, 0xFFFFFFFF, f, work);
    }
    Enlarge(work, 0, 0, 32 * w + 4, 8 * (h + 4), sheet, kMargin, y, 2);
    y += 8 * (h + 4) * 2 + 12;
  }

  // Engraved fields as the start screen draws them, taken from the screen.
  wimmel::MaleText("MaleGravurFeld (font 2, 0 and 1; and an empty field)", 8, y, kLabel, 0, sheet);
  y += 22;
  rt::DrawLine(nullptr, 0, 0, 399, 79, 0xFF5A6470, 2);
  wimmel::MaleGravurFeld("Figuren: 1024  Musik AUS", 10, 10, 0xFFFFFF00, 2);
  wimmel::MaleGravurFeld(
      "Gr\xF6\xDF"
      "e 640x480x16",
      10, 34, 0xFFFFFF00, 0);
  wimmel::MaleGravurFeld("A-P +-", 200, 34, 0xFFFFFF00, 1);
  wimmel::MaleGravurFeld("", 300, 34, 0xFFFFFF00, 2);
  Enlarge(rt::ScreenImage(), 0, 0, 400, 64, sheet, kMargin, y, kScale);
  y += 64 * kScale + 12;

  rt::OwnedImage finished(rt::CreateImage(kSheetWidth, y, kBackground));
  rt::PutImage(finished, 0, 0, sheet, 0, 0, kSheetWidth, y, rt::PutMode::Opaque);
  std::string why;
  const bool ok = rt::WritePng(finished, argv[1], &why);
  if (!ok) {
    std::fprintf(stderr, "fontsheet: cannot write %s: %s\n", argv[1], why.c_str());
    return 1;
  }
  return 0;
}
