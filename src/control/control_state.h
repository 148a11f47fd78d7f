// What the control layer remembers during one run: the start screen's table
// of offered modes and its option letters, and the log switch the main loop
// sets at start-up. Only src/control includes this; start.cpp instantiates
// its owner.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "control/benchmark.h"
#include "control/modes.h"
#include "control/program.h"

namespace wimmel::control {

// The longest a loop that polls keys sleeps while music plays: the music
// player notices a finished track only when it is asked, and the next track
// should follow at once.
inline constexpr double kMusicCheckSeconds = 0.05;

struct ControlState {
  // Whether the display offers a mode, by depth index and size index of
  // control/modes.h.
  OfferedModeTable offeredModes{};
  // The display is asked once per run; every later visit of the start
  // screen lists the same modes.
  bool modesAsked = false;
  // Every listed option letter is appended on every visit; the string is
  // never cleared, only searched.
  std::string optionLetters;
  // Whether the log switch is on from start-up (the headless runner's "log"
  // line); read once when the program starts.
  bool logFromStart = false;
  // The option letter of a scene the command line asked for, opened by the
  // first visit of the start screen instead of its key loop; 0 for none.
  char presetChoice = '\0';
  // The figure count and music the command line asked for: 0 and -1 leave
  // the start values.
  int32_t presetFigures = 0;
  int32_t presetMusic = -1;
  // The benchmark the command line asked for, and its readings once it runs.
  BenchmarkRun benchmark;
};

inline ControlState& State() {
  return ControlModule::Get();
}

}  // namespace wimmel::control
