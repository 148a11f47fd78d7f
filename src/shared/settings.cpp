#include "shared/settings.h"

namespace wimmel {

namespace {
ProgramSettings gEinstellungen;
FigureKind gFigurTyp[kFigureKinds + 1];
SceneLayout gSzene;
}  // namespace

ProgramSettings& Settings() {
  return gEinstellungen;
}
void ResetSettings() {
  gEinstellungen = ProgramSettings{};
}

FigureKind* FigurTyp() {
  return gFigurTyp;
}

void FillFigureKinds() {
  static const char* const kNamen[kFigureKinds] = {"tarzan01", "blauzyli", "gelbzyli", "hottehue",
                                                   "blaukuge", "rotekuge", "koenigin", "koenigbl",
                                                   "arnolauf", "arnorenn"};
  for (int32_t i = 1; i <= kFigureKinds; ++i) {
    gFigurTyp[i].name = kNamen[i - 1];
    gFigurTyp[i].XSprung = 2.0;
    gFigurTyp[i].YSprung = 1.0;
  }
  gFigurTyp[10].XSprung = 6.0;
  gFigurTyp[10].YSprung = 3.0;
}

SceneLayout& Layout() {
  return gSzene;
}

void FreeHintergrund() {
  if (gSzene.Hintergrund != nullptr) {
    rt::DestroyImage(gSzene.Hintergrund);
    gSzene.Hintergrund = nullptr;
  }
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
namespace shared {
struct SharedState {};
}  // namespace shared
template class Owned<shared::SharedState>;
}  // namespace wimmel
