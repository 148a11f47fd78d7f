// The headless runner's script: read and checked as a whole before the
// program starts, so that a typing error in line 40 is reported at once and
// not after half a minute of program time, and so that a line can never mean
// something other than what it says (a wait of "abc" is not a wait of 0).
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace wimmel::skript {

// The longest wait one line may ask for, in seconds of program time. Every
// flow of the program fits in a few minutes; a longer wait is a typing error
// that would otherwise keep the runner busy for hours.
inline constexpr double kLaengstesWarten = 3600.0;

// Coordinates of "mouse" and "expect-pixel" and the desktop's sides lie in
// 0 .. kGroessteSeite; no screen or image of the program is larger.
inline constexpr int32_t kGroessteSeite = 16384;

enum class Art {
  Desktop,         // desktop W H D
  Angebot,         // offer W H D
  Protokoll,       // log
  Taste,           // key K
  Tippen,          // type TEXT
  Maus,            // mouse X Y
  MausWeg,         // mouse out
  Druecken,        // press B
  Loslassen,       // release B
  Warten,          // wait S
  Bildschirmfoto,  // shot FILE
  PixelErwartet,   // expect-pixel X Y RRGGBB
  EndeErwartet,    // expect-ended
};

// One line of the script in checked form. Only the fields of its kind carry
// meaning; the rest stay zero or empty.
struct Zeile {
  int nummer = 0;  // line number in the file, from 1
  Art art = Art::Protokoll;
  int32_t x = 0, y = 0;  // mouse and expect-pixel; width and height of desktop and offer
  int32_t tiefe = 0;     // colour depth of desktop and offer
  uint32_t wert = 0;     // key code, button bit (1 left, 2 right) or 0xRRGGBB
  double sekunden = 0;   // wait
  std::string text;      // the bytes of type, the file name of shot
};

struct Fehler {
  int zeile = 0;  // 0 when the fault lies with the file as a whole
  std::string text;
};

// Whether the line acts before the program starts (desktop, offer, log);
// those lines are not played while the program runs.
bool IstVorbereitung(Art art);

// The script word of a kind, for messages ("key", "expect-pixel").
const char* Wort(Art art);

// Reads and checks every line. Returns true when the script is sound; each
// bad line adds one entry to fehler, so all of them can be reported at once.
bool SkriptLesen(std::istream& in, std::vector<Zeile>& zeilen, std::vector<Fehler>& fehler);

// The same for a file, which must be a readable regular file.
bool SkriptDateiLesen(const std::string& pfad, std::vector<Zeile>& zeilen,
                      std::vector<Fehler>& fehler);

}  // namespace wimmel::skript
