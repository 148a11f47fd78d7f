// The window system: numbered windows with off-screen bitmaps. Other modules
// call the typed functions of wimmel::windows; `Fenster` takes the same
// commands as words and runs the same functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/owned.h"

namespace wimmel {

namespace windows {
struct WindowTable;
}
// The window table of one run (see runtime/owned.h).
using WindowsModule = Owned<windows::WindowTable>;

// The command procedure: the word in any case, then the window number, four
// integers and a text. Answers the window system's last result, which only
// "Erstellen", "MerkeBild", "FuellDateiMuster" and "PruefeBildDatei" change.
std::string Fenster(std::string_view Aufgabe, int32_t Nr, int32_t W1, int32_t W2, int32_t W3,
                    int32_t W4, std::string_view Text);

}  // namespace wimmel

// Every function below takes the number Create gave. For a number that is
// not a live window (0, a deleted window, anything outside 1 to 50) it does
// nothing but write its log line, and one with a result answers its failure
// value. Each leaves the result `Fenster` answers as its command word does.
namespace wimmel::windows {

// The number no window has: Create's answer when all 50 are in use, and the
// number of a panel that has no window.
inline constexpr int32_t kNoWindow = 0;
// RememberImage's and FillWithPattern's answer when no image was remembered.
inline constexpr int32_t kNoSlot = -1;
// The target of ShowAt that means the screen.
inline constexpr int32_t kScreen = 0;

// A colour by its components. They are shifted into their channels without
// clamping, so values outside 0 to 255 spill into the neighbouring ones.
struct Rgb {
  int32_t r = 0, g = 0, b = 0;
};

enum class Title { Shown, Hidden };

// ---------------------------------------------------------------- lifecycle

// Makes window HoechsteFensterNr + 1, named name (its title, cut to 40
// characters), at (10, 10), 10 x 10, grey, with a dark frame and yellow
// text. With all 50 in use it says so, waits for a key and answers kNoWindow.
int32_t Create(std::string_view name);
// Frees the window's remembered images and bitmap and gives its number back
// ("LoescheFenster"); the highest number goes down only when it was this one.
void Delete(int32_t window);
// Deletes every window; the next one made is number 1 ("LoeschAlleFenster").
void DeleteAll();
// Frees the window's bitmap and remembered images; the window itself stays
// ("LoescheAlleBilderEinesFensters").
void DeleteImages(int32_t window);

// ---------------------------------------------------------------- settings

// "SetzTitel". A hidden title is never drawn.
void SetTitle(int32_t window, std::string_view title, Title shown);
// "SetzXY": the top-left corner on the screen, or in the target of ShowAt.
void SetPosition(int32_t window, int32_t x, int32_t y);
// "SetzGrundfarbe": the colour SetSize paints a new bitmap in.
void SetBaseColour(int32_t window, Rgb colour);
// "SetzRahmenfarbe".
void SetFrameColour(int32_t window, Rgb colour);
// "SetzRahmenBreite": 0 draws no frame.
void SetFrameWidth(int32_t window, int32_t width);
// "SetzRahmenAbstand": how far inside the bitmap's edges the frame lies
// (0 puts it one pixel outside).
void SetFrameDistance(int32_t window, int32_t dx, int32_t dy);
// "SetzSchriftfarbe".
void SetTextColour(int32_t window, Rgb colour);
// "SetzFontNr".
void SetFont(int32_t window, int32_t font);
// "SetzGroesse": a new bitmap of that size in the base colour; what was
// painted is lost.
void SetSize(int32_t window, int32_t width, int32_t height);
// "SetzNextAktionFarbe": the colour of PaintBox.
void SetBoxColour(int32_t window, Rgb colour);

// ---------------------------------------------------------------- images

// Loads a BMP file into the window's next image slot ("MerkeBild") and
// answers the slot (1 to 20), or kNoSlot when all 20 are used or the file is
// missing; a missing file is reported on the screen and waits for a key, and
// still uses up its slot.
int32_t RememberImage(int32_t window, std::string_view path);

// ---------------------------------------------------------------- drawing
// Positions are pixels of the window's bitmap. A rectangle runs from (x, y)
// to (x + dx, y + dy), both corners included.

// "MalRechteck": a filled box in the box colour.
void PaintBox(int32_t window, int32_t x, int32_t y, int32_t dx, int32_t dy);
// "FuellRechteck": covers the rectangle with copies of the image in slot,
// anchored at (x, y), whose mask-coloured pixels are left out.
void FillRect(int32_t window, int32_t x, int32_t y, int32_t dx, int32_t dy, int32_t slot);
// "FuellDateiMuster": remembers the file and covers the whole bitmap with
// it. Answers the slot as RememberImage does.
int32_t FillWithPattern(int32_t window, std::string_view path);
// "SetzeBildTransparent": the image in slot at (x, y), without its
// mask-coloured pixels.
void PasteTransparent(int32_t window, int32_t x, int32_t y, int32_t slot);
// "SchreibText": text in the window's text colour and font.
void WriteText(int32_t window, int32_t x, int32_t y, std::string_view text);
// "Schreib3DText": raised text, its shades the text colour darker and lighter
// by distance in each component (the word's 0 stands for 20).
void WriteRaisedText(int32_t window, int32_t x, int32_t y, int32_t distance, std::string_view text);
// "SchreibGravText": engraved text, with the shades of raised text swapped.
void WriteEngravedText(int32_t window, int32_t x, int32_t y, int32_t distance,
                       std::string_view text);

// ---------------------------------------------------------------- showing

// "ZeigAn": copies the bitmap to the screen at the window's place, draws the
// frame and, when shown, the title.
void Show(int32_t window);
// "ZeigAn" with its arguments: a new place (0 keeps the coordinate) and the
// target, kScreen or another live window whose bitmap receives the copy.
void ShowAt(int32_t window, int32_t x, int32_t y, int32_t target);

}  // namespace wimmel::windows
