// The program's entry procedure, the start screen and the about screen.
#pragma once

#include <cstdint>

#include "control/modes.h"

namespace wimmel {

// Runs the whole program; ends only through rt::EndProgram.
[[noreturn]] void Haupt(int argc, char** argv);
void LassBildAufloesungWaehlen();
void ShowAbout();
// Switches the log on from start-up (the headless runner's "log" line).
void LogFromStart();

// What the command line asks of the start, before Haupt runs: a scene to
// open at once instead of the start screen's first choice (width 0: none),
// the figure count (0: the start value) and the music (-1 as always, 1 on,
// 0 off). False when the mode is none of the start screen's sixteen.
bool RequestStart(int32_t width, int32_t height, int32_t depth, int32_t figures, int32_t music);
// Asks the display which of the start screen's sixteen modes it offers. The
// start screen asks once per run and keeps the answer.
control::OfferedModeTable AskDisplayModes();

}  // namespace wimmel
