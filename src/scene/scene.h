// The scene: static objects with their collision test, and the animated
// figures with the per-frame step.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/owned.h"

namespace wimmel {

namespace scene {
struct ObjectTable;
struct FigureTable;
}  // namespace scene
// The object table and the figure table with its step state, each for one
// run (see runtime/owned.h).
using ObjectsModule = Owned<scene::ObjectTable>;
using FiguresModule = Owned<scene::FigureTable>;

std::string Objekt(std::string_view Aufgabe, int32_t nr, int32_t x, int32_t y, int32_t r,
                   int32_t figurNr, std::string_view text);

void Figur(std::string_view Aufgabe, int32_t nr, int32_t wert, int32_t wert2,
           std::string_view text);

// Read-only view of one figure's rectangle, for the main loop's right-click
// steering; false when nr is outside the table.
bool FigureRectangle(int32_t nr, int32_t& x, int32_t& y, int32_t& width, int32_t& height);
// XSprung / YSprung of a figure, for the step-width prompts (0 outside the table).
double XSprungOf(int32_t nr);
double YSprungOf(int32_t nr);

namespace scene {
// The timer reading at which the figures' next step falls due: the last
// step's time plus Warten. The step's gate opens once the timer is past it,
// so a main loop with nothing else to do can sleep until then.
double NextStepDue();
// The durations of the figure steps, in seconds, each from the moment the
// step holds the screen lock until it has released it again: the drawing
// work without the wait for the display. Recorded only between
// StartStepTimes and TakeStepTimes, for a benchmark; StartStepTimes drops
// what an earlier recording left.
void StartStepTimes();
std::vector<double> TakeStepTimes();
}  // namespace scene

}  // namespace wimmel
