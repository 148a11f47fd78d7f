// What the control layer remembers during one run: the start screen's table
// of offered modes and its option letters, and the log switch the main loop
// sets at start-up. Only src/control includes this; start.cpp instantiates
// its owner.
#pragma once

#include <array>
#include <string>

#include "control/program.h"

namespace wimmel::control {

struct ControlState {
  // Whether the display offers a mode: depth rows 1..4 (15, 16, 24, 32 bits)
  // by resolution columns 1..4 (640 x 480 to 1280 x 1024); row and column 0
  // stay unused so that both count as the start screen's option rows do.
  std::array<std::array<bool, 5>, 5> offeredModes{};
  // The display is asked once per run; every later visit of the start
  // screen lists the same modes.
  bool modesAsked = false;
  // Every listed option letter is appended on every visit; the string is
  // never cleared, only searched.
  std::string optionLetters;
  // Whether the log switch is on from start-up (the headless runner's "log"
  // line); read once when the program starts.
  bool logFromStart = false;
};

inline ControlState& State() {
  return ControlModule::Get();
}

}  // namespace wimmel::control
