// Pieces the control layer's loops share: the key strings they compare
// with, the mouse poll into the settings, the pause after a click on a key
// cap and the wipe of the scene area with the background.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/keys.h"
#include "runtime/runtime.h"
#include "shared/settings.h"

namespace wimmel::control {

inline const std::string kEscapeKey = rt::keys::KeyString(static_cast<char>(rt::keys::kEscape));
inline const std::string kCloseKey = rt::keys::KeyString(rt::keys::kCloseRequest);

// Reads the mouse into MausFehler, MausX, MausY and MausKnopf; returns
// MausFehler (0 when the pointer is inside).
inline int32_t PollMouse() {
  int32_t x = 0, y = 0, wheel = 0, buttons = 0, clip = 0;
  Settings().MausFehler = rt::ReadMouse(x, y, wheel, buttons, clip);
  Settings().MausX = x;
  Settings().MausY = y;
  Settings().MausKnopf = buttons;
  return Settings().MausFehler;
}

// After a click that set KlickPause, three short sleeps before the next
// pass, so that a held button repeats slowly.
inline void ClickPause() {
  if (Settings().KlickPause == 1) {
    rt::SleepMs(99);
    rt::SleepMs(99);
    rt::SleepMs(99);
    EndClickPause();
  }
}

// Puts the visible part of the background over the scene area.
inline void ShowBackground() {
  const SceneLayout& s = Layout();
  rt::PutImage(nullptr, s.SzeneX0, s.SzeneY0, s.Hintergrund, 0, 0, s.visibleCornerX + 1,
               s.visibleCornerY + 1, rt::PutMode::Opaque);
}

}  // namespace wimmel::control
