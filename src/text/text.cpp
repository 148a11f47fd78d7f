#include "text/text.h"

#include <cstring>
#include <limits>

#include "text/font_data.h"

namespace wimmel {

uint32_t FontTabelle[3][256][33];
int32_t Meldezeile = 0;

namespace {

constexpr int64_t kMinI32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMaxI32 = std::numeric_limits<int32_t>::max();

// Callers only pass 0, 1 or 2; anything else addresses no font and draws
// nothing rather than reading past the table.
bool GueltigerFont(int32_t font) {
  return font >= 0 && font <= 2;
}

int64_t Klemme(int64_t v) {
  return v < kMinI32 ? kMinI32 : (v > kMaxI32 ? kMaxI32 : v);
}

// Plots one glyph with its top-left corner at (x, y). The position is taken
// in 64 bits because callers add offsets to coordinates that may already sit
// at the ends of the 32-bit range; pixels beyond that range cannot lie on
// any target and are skipped.
void ZeichenBei(uint8_t code, int64_t x, int64_t y, uint32_t colour, int32_t font,
                rt::Image target) {
  if (code == 0 || !GueltigerFont(font)) return;
  const uint32_t* glyph = FontTabelle[font][code];
  int64_t hoehe = FontTabelle[font][0][0];
  int64_t breite = FontTabelle[font][0][1];
  if (hoehe > 32) hoehe = 32;
  if (breite > 32) breite = 32;
  for (int64_t r = 0; r < hoehe; ++r) {
    uint32_t zeile = glyph[r];
    if (breite < 32) zeile &= (uint32_t{1} << breite) - 1;
    if (zeile == 0) continue;
    int64_t py = y + r;
    if (py < kMinI32 || py > kMaxI32) continue;
    for (int64_t c = 0; zeile != 0; ++c, zeile >>= 1) {
      if ((zeile & 1) == 0) continue;
      int64_t px = x + c;
      if (px < kMinI32 || px > kMaxI32) continue;
      rt::SetPixel(target, static_cast<int32_t>(px), static_cast<int32_t>(py), colour);
    }
  }
}

// MaleText at a 64-bit position.
void TextBei(std::string_view text, int64_t x, int64_t y, uint32_t colour, int32_t font,
             rt::Image target) {
  const int64_t breite = FontBreite(font);
  for (size_t i = 0; i < text.size(); ++i) {
    int64_t xi = x + static_cast<int64_t>(i) * breite;
    if (xi > kMaxI32) break;  // every further cell lies even further right
    ZeichenBei(static_cast<uint8_t>(text[i]), xi, y, colour, font, target);
  }
}

}  // namespace

void FontsInitialisieren() {
  std::memset(FontTabelle, 0, sizeof FontTabelle);
  for (int32_t f = 0; f < 3; ++f) {
    FontTabelle[f][0][0] = static_cast<uint32_t>(kFontMasse[f][0]);
    FontTabelle[f][0][1] = static_cast<uint32_t>(kFontMasse[f][1]);
    for (int32_t code = 1; code < 256; ++code) {
      for (int32_t r = 0; r < 16; ++r) FontTabelle[f][code][r] = kFontZeilen[f][code][r];
    }
  }
}

int32_t FontHoehe(int32_t font) {
  return GueltigerFont(font) ? static_cast<int32_t>(FontTabelle[font][0][0]) : 0;
}

int32_t FontBreite(int32_t font) {
  return GueltigerFont(font) ? static_cast<int32_t>(FontTabelle[font][0][1]) : 0;
}

void MaleZeichen(std::string_view text, int32_t x, int32_t y, uint32_t colour, int32_t font,
                 rt::Image target) {
  if (text.empty()) return;
  ZeichenBei(static_cast<uint8_t>(text[0]), x, y, colour, font, target);
}

void MaleText(std::string_view text, int32_t x, int32_t y, uint32_t colour, int32_t font,
              rt::Image target) {
  TextBei(text, x, y, colour, font, target);
}

void MaleText3D(std::string_view text, int32_t x, int32_t y, uint32_t face, uint32_t shade1,
                uint32_t shade2, int32_t font, rt::Image target) {
  const int64_t breite = FontBreite(font);
  for (size_t i = 0; i < text.size(); ++i) {
    int64_t xi = x + static_cast<int64_t>(i) * breite;
    if (xi - 1 > kMaxI32) break;
    // Each character is finished before the next begins, so the upper-left
    // copy of the next one may cover the right column of this one's face.
    uint8_t code = static_cast<uint8_t>(text[i]);
    ZeichenBei(code, xi + 1, int64_t{y} + 1, shade1, font, target);
    ZeichenBei(code, xi - 1, int64_t{y} - 1, shade2, font, target);
    ZeichenBei(code, xi, y, face, font, target);
  }
}

void MaleGravurFeld(std::string_view text, int32_t x, int32_t y, uint32_t colour, int32_t font) {
  const int64_t n = static_cast<int64_t>(text.size());
  const int64_t w = FontBreite(font);
  const int64_t h = FontHoehe(font);
  const int64_t nw = n * w;
  auto box = [](int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t c, int32_t kind) {
    rt::DrawLine(nullptr, static_cast<int32_t>(Klemme(x1)), static_cast<int32_t>(Klemme(y1)),
                 static_cast<int32_t>(Klemme(x2)), static_cast<int32_t>(Klemme(y2)), c, kind);
  };
  // Black along the top and left, grey-pink along the right and bottom, and
  // the dark red fill over the inner halves of both: a sunken panel.
  box(int64_t{x} - 4, int64_t{y} - 1, int64_t{x} - 4 + nw + 3, int64_t{y} - 1 + h + 1, 0xFF000000,
      1);
  box(int64_t{x} - 3, y, int64_t{x} - 3 + nw + 4, int64_t{y} + h + 2, 0xFFA09696, 1);
  box(int64_t{x} - 3, y, int64_t{x} - 3 + nw + 3, int64_t{y} + h + 1, 0xFF400000, 2);
  TextBei(text, int64_t{x} - 2, int64_t{y} + 1, colour, font, nullptr);
}

void DruckeZeile(std::string_view text) {
  // Row 0 and rows outside the console leave the cursor where it is; that is
  // the console's own rule, so the row is passed on unchecked.
  rt::LocateText(Meldezeile, 0);
  rt::PrintText(text, true);
  Meldezeile = rt::Wrap32(int64_t{Meldezeile} + 1);
}

void DruckeZeileBei(std::string_view text, int32_t row) {
  if (row == 0) {
    DruckeZeile(text);
    return;
  }
  const int32_t gemerkt = Meldezeile;
  Meldezeile = row;
  DruckeZeile(text);
  Meldezeile = gemerkt;
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
namespace text {
struct TextState {};
}  // namespace text
template class Owned<text::TextState>;
}  // namespace wimmel
