// The headless runner's script: read and checked as a whole before the
// program starts, so that a typing error in line 40 is reported at once and
// not after half a minute of program time, and so that a line can never mean
// something other than what it says (a wait of "abc" is not a wait of 0).
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace wimmel::control {

// The longest wait one line may ask for, in seconds of program time. Every
// flow of the program fits in a few minutes; a longer wait is a typing error
// that would otherwise keep the runner busy for hours.
inline constexpr double kLongestWait = 3600.0;

// Coordinates of "mouse" and "expect-pixel" and the desktop's sides lie in
// 0 .. kLargestSide; no screen or image of the program is larger.
inline constexpr int32_t kLargestSide = 16384;

enum class LineKind {
  Desktop,      // desktop W H D
  Offer,        // offer W H D
  Log,          // log
  Key,          // key K
  Type,         // type TEXT
  Mouse,        // mouse X Y
  MouseOut,     // mouse out
  Press,        // press B
  Release,      // release B
  Wait,         // wait S
  Shot,         // shot FILE
  ExpectPixel,  // expect-pixel X Y RRGGBB
  ExpectEnded,  // expect-ended
};

// One line of the script in checked form. Only the fields of its kind carry
// meaning; the rest stay zero or empty.
struct ScriptLine {
  int number = 0;  // line number in the file, from 1
  LineKind kind = LineKind::Log;
  int32_t x = 0, y = 0;  // mouse and expect-pixel; width and height of desktop and offer
  int32_t depth = 0;     // colour depth of desktop and offer
  uint32_t value = 0;    // key code, button bit (1 left, 2 right) or 0xRRGGBB
  double seconds = 0;    // wait
  std::string text;      // the bytes of type, the file name of shot
};

struct ScriptError {
  int line = 0;  // 0 when the fault lies with the file as a whole
  std::string text;
};

// Whether the line acts before the program starts (desktop, offer, log);
// those lines are not played while the program runs.
bool IsSetUpLine(LineKind kind);

// The script word of a kind, for messages ("key", "expect-pixel").
const char* ScriptWord(LineKind kind);

// Reads and checks every line. Returns true when the script is sound; each
// bad line adds one entry to errors, so all of them can be reported at once.
bool ReadScript(std::istream& in, std::vector<ScriptLine>& lines, std::vector<ScriptError>& errors);

// The same for a file, which must be a readable regular file.
bool ReadScriptFile(const std::string& path, std::vector<ScriptLine>& lines,
                    std::vector<ScriptError>& errors);

}  // namespace wimmel::control
