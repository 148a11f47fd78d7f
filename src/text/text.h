// The three built-in bitmap fonts and text drawing pixel by pixel, plus the
// console line printers used for failure messages.
#pragma once

#include <cstdint>
#include <string_view>

#include "runtime/owned.h"
#include "runtime/runtime.h"

namespace wimmel {

namespace text {
struct TextState;
}
// The font table and the message row of one run (see runtime/owned.h).
using TextModule = Owned<text::TextState>;

// 3 fonts x 256 codes x 33 row words; glyph 0 holds height (row 0) and width (row 1).
using FontTable = uint32_t[3][256][33];
// The font table of this run: element [font][code][row]. Zero until
// FontsInitialisieren fills it.
FontTable& FontTabelle();
void FontsInitialisieren();
int32_t FontHoehe(int32_t font);
int32_t FontBreite(int32_t font);

void MaleZeichen(std::string_view text, int32_t x, int32_t y, uint32_t colour, int32_t font,
                 rt::Image target);
void MaleText(std::string_view text, int32_t x, int32_t y, uint32_t colour, int32_t font,
              rt::Image target);
void MaleText3D(std::string_view text, int32_t x, int32_t y, uint32_t face, uint32_t shade1,
                uint32_t shade2, int32_t font, rt::Image target);
void MaleGravurFeld(std::string_view text, int32_t x, int32_t y, uint32_t colour, int32_t font);

// The console row of the next DruckeZeile line (starts at 0, never reset).
int32_t& Meldezeile();
void DruckeZeile(std::string_view text);
void DruckeZeileBei(std::string_view text, int32_t row);

}  // namespace wimmel
