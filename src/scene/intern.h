// Shared inside the scene module only: the objects' hit test without the
// command-word round trip, for the figure step that asks it for every figure.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace wimmel::scene {

// Hit test of the circle (x, y, r), in background coordinates, against the
// objects; '\0' when none is touched, else the keypad digit '7', '1', '9' or
// '3'. Draws the collision circles when SchalterC is 1.
char IstPosImObjekt(int32_t x, int32_t y, int32_t r);

// Clamps a 64-bit intermediate into the 32-bit range: positions and sizes that
// would overflow stay at the range ends instead of wrapping around the scene.
inline int32_t Begrenzt(int64_t wert) {
  if (wert > INT32_MAX) return INT32_MAX;
  if (wert < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(wert);
}

// A read-only look at one figure's record, for tests and benchmarks.
struct FigurEinblick {
  std::string name, fileName, nextFile;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t srcX = 0, srcY = 0;
  int32_t Bildnummer = 0, SchrittX = 0, SchrittY = 0;
  double XSprung = 0, YSprung = 0;
  int32_t frame = 0, frameW = 0, frameH = 0, lastFrame = 0;
  int32_t active = 0, hidden = 0;
  bool stripVorhanden = false;
  bool stripGeteilt = false;
  rt::Image strip = nullptr;
};
bool FigurAnsehen(int32_t nr, FigurEinblick& einblick);
double FigurWarten();
// The figure numbers of the last step's draw order, positions 1..N.
std::vector<int32_t> FigurZeichenfolge();

}  // namespace wimmel::scene
