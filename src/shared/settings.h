// The program-wide settings, the figure kind table, the scene geometry and
// the scene background. Read by scene, panels and control alike, so they live
// in this small target just above the runtime.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/owned.h"
#include "runtime/owned_image.h"
#include "runtime/runtime.h"

namespace wimmel {

namespace shared {
struct SharedState;
}
// The settings, the kind table, the scene background and geometry, the
// number entry's line and the desktop mode of one run (see runtime/owned.h).
using SharedModule = Owned<shared::SharedState>;

// Program-wide settings (initial values as at start-up).
struct ProgramSettings {
  std::string Trenner = "\\";
  std::string SoundMoeglich = "ja";
  int32_t KopfHoehe = 44;
  int32_t FussHoehe = 100;
  int32_t HilfeSeitenAnzahl = 3;
  int32_t HilfeSeite = 0;
  int32_t EingabeSchrift = 0;
  int32_t FigurenAnzahl = 10;
  int32_t ProtokollAn = 0;
  int32_t GewaehlteFigur = 1;
  int32_t AktiveFigur = 1;
  int32_t SchalterN = 0;
  int32_t SchalterC = 0;
  int32_t KlickPause = 0;
  int32_t MausX = 0, MausY = 0, MausKnopf = 0, MausFehler = 0;
  // 0 before the sound library was started, 1 ready, -1 unusable or closed.
  int32_t MusikStatus = 0;
};
ProgramSettings& Settings();
// Puts every setting back to its start-up value (tests and start-up).
void ResetSettings();

// The settings that more than one module writes, each through what it means.
// A clicked button asks the loop's next pass to wait (KlickPause), so that a
// held button repeats slowly; the pass that waited ends the pause.
void RequestClickPause();
void EndClickPause();
// The music library is ready, or unusable or closed (MusikStatus).
void MarkMusicReady();
void MarkMusicOff();
// The figure the figure keys address (GewaehlteFigur).
void SelectFigure(int32_t nr);
// Figure nr is active and selected; 0 makes none active and selects none
// (AktiveFigur and GewaehlteFigur).
void SetActiveFigure(int32_t nr);

// One row of the figure kind table: only name and step lengths are set.
struct FigureKind {
  std::string name;
  double XSprung = 0;
  double YSprung = 0;
};
constexpr int32_t kFigureKinds = 10;
// Rows 1..10 (row 0 unused).
FigureKind* FigurTyp();
void FillFigureKinds();

// The scene background and where it lies on the screen.
struct SceneLayout {
  rt::OwnedImage Hintergrund;
  int32_t SzeneX0 = 0, SzeneY0 = 0, SzeneX1 = 0, SzeneY1 = 0;
  int32_t width = 0, height = 0;                   // size of Hintergrund
  int32_t visibleCornerX = 0, visibleCornerY = 0;  // visible corner (width - 1, height - 1)
  // The working screen mode: 640 x 480 x 16 on the start screen, then the chosen one.
  int32_t screenWidth = 640, screenHeight = 480, screenDepth = 16;
  int32_t halfX = 320, halfY = 240;  // half-screen point
};
SceneLayout& Layout();
// Frees Hintergrund if present and forgets it.
void FreeHintergrund();

}  // namespace wimmel
