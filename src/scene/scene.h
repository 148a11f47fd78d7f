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

// The command procedures. Each looks its word up and calls the function of
// the same meaning in scene:: below, or one of its own that no other module
// asks for; an unknown word prints a line naming it.
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

// ---------------------------------------------------------------- objects
// "Erstellen": loads the pictures of the objects and places them, once
// until they are deleted.
void CreateObjects();
// "InHintergrundEinbinden": draws the objects into the background picture.
void MergeObjectsIntoBackground();
// "WerteAnzeigen": prints the record of object nr at the top left.
void ShowObjectValues(int32_t nr);
// "LoescheAlleObjekte": forgets every object and frees its picture.
void DeleteAllObjects();

// ---------------------------------------------------------------- figures
enum class Direction { Left, Right, Up, Down };

// "FigurenInit": makes FigurenAnzahl figures of random kinds, headings and
// places that touch no object.
void CreateFigures();
// "FigurenLoeschen": forgets every figure and its strip.
void DeleteFigures();
// "RichtungLinks" ... "RichtungRunter": figure nr heads that way on the one
// axis and takes the matching picture.
void TurnFigure(int32_t nr, Direction direction);
// "SetzXRichtung" / "SetzYRichtung": figure nr's step width on one axis,
// keeping the heading.
void SetHorizontalStep(int32_t nr, int32_t width);
void SetVerticalStep(int32_t nr, int32_t width);
// "WechsleBild": figure nr takes the pictures of the figure kind named.
void ChangeFigureKind(int32_t nr, std::string_view kind);
// "MachAktiv": figure nr becomes the active one, marked on the screen.
void MakeFigureActive(int32_t nr);
// "Schneller" / "Langsamer": a hundredth of a second less or more between
// the steps, within their bounds.
void StepFaster();
void StepSlower();
// "LaufEinSchritt": once the wait since the last step has passed, moves,
// turns, sorts and draws every figure, then the status line.
void StepFigures();
// "LinksKlick": the figure under the mouse becomes the active one.
void ClickFigures();

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
