#include "text/text.h"

#include <cstring>
#include <limits>

#include "runtime/owned_impl.h"
#include "text/font_data.h"

namespace wimmel {

namespace text {

// The font table and the message row of one run. The table starts zero-filled
// and is filled by FontsInitialisieren at start-up.
struct TextState {
  FontTable FontTabelle = {};
  int32_t Meldezeile = 0;
};

}  // namespace text

template class Owned<text::TextState>;

namespace {

constexpr int64_t kMinI32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMaxI32 = std::numeric_limits<int32_t>::max();

// Callers only pass 0, 1 or 2; anything else addresses no font and draws
// nothing rather than reading past the table.
bool ValidFont(int32_t font) {
  return font >= 0 && font <= 2;
}

// One font's glyph rows and drawn size, looked up once per text so that the
// glyph loop reads the table without going through the module's state again.
struct FontView {
  const uint32_t (*glyphs)[33] = nullptr;  // [code][row]; null for no font
  int64_t height = 0;
  int64_t width = 0;
};

FontView ViewOf(int32_t font) {
  FontView view;
  if (!ValidFont(font)) return view;
  const FontTable& table = TextModule::Get().FontTabelle;
  view.glyphs = table[font];
  // The caps keep a metric word the table was never filled with from reading
  // past a glyph's row words or from shifting a row word by its full width.
  view.height = table[font][0][0] > 32 ? 32 : table[font][0][0];
  view.width = table[font][0][1] > 32 ? 32 : table[font][0][1];
  return view;
}

// Plots one glyph with its top-left corner at (x, y). The position is taken
// in 64 bits because callers add offsets to coordinates that may already sit
// at the ends of the 32-bit range. A glyph is at most 32 pixels wide and
// high, so one whose corner lies beyond that range has no pixel on any
// target (they are never that large) and is skipped.
void DrawGlyph(const FontView& font, uint8_t code, int64_t x, int64_t y, uint32_t colour,
               rt::Image target) {
  if (code == 0 || font.glyphs == nullptr) return;
  if (x < kMinI32 || x > kMaxI32 || y < kMinI32 || y > kMaxI32) return;
  rt::DrawMonoGlyph(target, static_cast<int32_t>(x), static_cast<int32_t>(y), font.glyphs[code],
                    static_cast<int32_t>(font.width), static_cast<int32_t>(font.height), colour);
}

// MaleText at a 64-bit position.
void DrawTextAt(std::string_view text, int64_t x, int64_t y, uint32_t colour, int32_t font,
                rt::Image target) {
  const FontView view = ViewOf(font);
  if (view.glyphs == nullptr) return;
  for (size_t i = 0; i < text.size(); ++i) {
    const int64_t xi = x + static_cast<int64_t>(i) * view.width;
    if (xi > kMaxI32) break;  // every further cell lies even further right
    DrawGlyph(view, static_cast<uint8_t>(text[i]), xi, y, colour, target);
  }
}

}  // namespace

FontTable& FontTabelle() {
  return TextModule::Get().FontTabelle;
}

void FontsInitialisieren() {
  FontTable& table = TextModule::Get().FontTabelle;
  std::memset(table, 0, sizeof table);
  for (int32_t f = 0; f < 3; ++f) {
    table[f][0][0] = static_cast<uint32_t>(text::kFontMetrics[f][0]);
    table[f][0][1] = static_cast<uint32_t>(text::kFontMetrics[f][1]);
    for (int32_t code = 1; code < 256; ++code) {
      for (int32_t r = 0; r < 16; ++r) table[f][code][r] = text::kFontRows[f][code][r];
    }
  }
}

int32_t FontHoehe(int32_t font) {
  return ValidFont(font) ? static_cast<int32_t>(TextModule::Get().FontTabelle[font][0][0]) : 0;
}

int32_t FontBreite(int32_t font) {
  return ValidFont(font) ? static_cast<int32_t>(TextModule::Get().FontTabelle[font][0][1]) : 0;
}

void MaleZeichen(std::string_view text, int32_t x, int32_t y, uint32_t colour, int32_t font,
                 rt::Image target) {
  if (text.empty()) return;
  DrawGlyph(ViewOf(font), static_cast<uint8_t>(text[0]), x, y, colour, target);
}

void MaleText(std::string_view text, int32_t x, int32_t y, uint32_t colour, int32_t font,
              rt::Image target) {
  DrawTextAt(text, x, y, colour, font, target);
}

void MaleText3D(std::string_view text, int32_t x, int32_t y, uint32_t face, uint32_t shade1,
                uint32_t shade2, int32_t font, rt::Image target) {
  const FontView view = ViewOf(font);
  if (view.glyphs == nullptr) return;
  for (size_t i = 0; i < text.size(); ++i) {
    const int64_t xi = x + static_cast<int64_t>(i) * view.width;
    if (xi - 1 > kMaxI32) break;
    // Each character is finished before the next begins, so the upper-left
    // copy of the next one may cover the right column of this one's face.
    const uint8_t code = static_cast<uint8_t>(text[i]);
    DrawGlyph(view, code, xi + 1, int64_t{y} + 1, shade1, target);
    DrawGlyph(view, code, xi - 1, int64_t{y} - 1, shade2, target);
    DrawGlyph(view, code, xi, y, face, target);
  }
}

void MaleGravurFeld(std::string_view text, int32_t x, int32_t y, uint32_t colour, int32_t font) {
  const int64_t n = static_cast<int64_t>(text.size());
  const int64_t w = FontBreite(font);
  const int64_t h = FontHoehe(font);
  const int64_t nw = n * w;
  auto box = [](int64_t x1, int64_t y1, int64_t x2, int64_t y2, uint32_t c, int32_t kind) {
    rt::DrawLine(nullptr, rt::Clamp32(x1), rt::Clamp32(y1), rt::Clamp32(x2), rt::Clamp32(y2), c,
                 kind);
  };
  // Black along the top and left, grey-pink along the right and bottom, and
  // the dark red fill over the inner halves of both: a sunken panel.
  box(int64_t{x} - 4, int64_t{y} - 1, int64_t{x} - 4 + nw + 3, int64_t{y} - 1 + h + 1, 0xFF000000,
      1);
  box(int64_t{x} - 3, y, int64_t{x} - 3 + nw + 4, int64_t{y} + h + 2, 0xFFA09696, 1);
  box(int64_t{x} - 3, y, int64_t{x} - 3 + nw + 3, int64_t{y} + h + 1, 0xFF400000, 2);
  DrawTextAt(text, int64_t{x} - 2, int64_t{y} + 1, colour, font, nullptr);
}

int32_t& Meldezeile() {
  return TextModule::Get().Meldezeile;
}

void DruckeZeile(std::string_view text) {
  int32_t& row = TextModule::Get().Meldezeile;
  // Row 0 and rows outside the console leave the cursor where it is; that is
  // the console's own rule, so the row is passed on unchecked.
  rt::LocateText(row, 0);
  rt::PrintText(text, true);
  row = rt::Wrap32(int64_t{row} + 1);
}

void DruckeZeileBei(std::string_view text, int32_t row) {
  if (row == 0) {
    DruckeZeile(text);
    return;
  }
  int32_t& messageRow = TextModule::Get().Meldezeile;
  const int32_t saved = messageRow;
  messageRow = row;
  DruckeZeile(text);
  messageRow = saved;
}

}  // namespace wimmel
