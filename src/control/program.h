// The owner of one run of the program: it creates the runtime and every
// module's state in the order of the layers and destroys them in reverse, so
// that no module outlives the ones it uses. wimmel, wimmel-headless and the
// tests (one per case) make one of these and run Haupt inside it.
#pragma once

#include <memory>

#include "images/bilder.h"
#include "panels/panels.h"
#include "runtime/display.h"
#include "scene/scene.h"
#include "shared/settings.h"
#include "sound/fsound.h"
#include "sound/musik.h"
#include "text/text.h"
#include "windows/fenster.h"

namespace wimmel {

namespace control {
struct ControlState;
}
// The start screen's mode table and option letters, and the main loop's
// start-up switches, of one run.
using ControlModule = Owned<control::ControlState>;

class Program {
 public:
  // Without a display the program runs on a headless one; without an audio
  // device it has no sound but the sound layer's virtual device.
  explicit Program(std::unique_ptr<rt::Display> display = nullptr,
                   std::unique_ptr<rt::AudioDevice> audio = nullptr);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

 private:
  // Members are made in this order and destroyed in the reverse one.
  rt::Runtime runtime_;
  TextModule text_;
  SharedModule shared_;
  ImagesModule images_;
  WindowsModule windows_;
  ObjectsModule objects_;
  FiguresModule figures_;
  SoundLibraryModule soundLibrary_;
  MusicModule music_;
  PanelsModule panels_;
  ControlModule control_;
};

}  // namespace wimmel
