// The shared layer's state, for the layer's own .cpp files only: the other
// layers reach it through the procedures of settings.h and dialog.h.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/runtime.h"
#include "shared/settings.h"

namespace wimmel::shared {

// The desktop mode as found at start-up, restored before the program ends.
struct DesktopRecord {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;
};

struct SharedState {
  // The scene background (in layout) is this run's image and goes with this
  // state; the runtime outlives it.
  ProgramSettings settings;
  FigureKind figureKinds[kFigureKinds + 1];  // rows 1..10, row 0 unused
  SceneLayout layout;
  DesktopRecord desktop;
  // Set for a run nobody watches: a message's wait ends the program instead
  // (see EndRunAtMessages).
  std::string endRunHeading;
};

}  // namespace wimmel::shared
