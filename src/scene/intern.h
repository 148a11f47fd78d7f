// Shared inside the scene module only: the objects' hit test without the
// command-word round trip, for the figure step that asks it for every figure.
#pragma once

#include <cstdint>

namespace wimmel::szene {

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

}  // namespace wimmel::szene
