// The program's entry procedure, the start screen and the about screen.
#pragma once

namespace wimmel {

// Runs the whole program; ends only through rt::EndProgram.
[[noreturn]] void Haupt(int argc, char** argv);
void LassBildAufloesungWaehlen();
void ShowAbout();
// Switches the log on from start-up (the headless runner's "log" line).
void LogFromStart();

}  // namespace wimmel
