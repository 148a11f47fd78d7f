#include "shared/settings.h"

#include "runtime/owned_impl.h"
#include "shared/internal.h"

namespace wimmel {

template class Owned<shared::SharedState>;

ProgramSettings& Settings() {
  return SharedModule::Get().settings;
}

void ResetSettings() {
  SharedModule::Get().settings = ProgramSettings{};
}

void RequestClickPause() {
  Settings().KlickPause = 1;
}

void EndClickPause() {
  Settings().KlickPause = 0;
}

void MarkMusicReady() {
  Settings().MusikStatus = 1;
}

void MarkMusicOff() {
  Settings().MusikStatus = -1;
}

void SelectFigure(int32_t nr) {
  Settings().GewaehlteFigur = nr;
}

void SetActiveFigure(int32_t nr) {
  Settings().AktiveFigur = nr;
  Settings().GewaehlteFigur = nr;
}

FigureKind* FigurTyp() {
  return SharedModule::Get().figureKinds;
}

void FillFigureKinds() {
  static constexpr const char* kNames[kFigureKinds] = {
      "tarzan01", "blauzyli", "gelbzyli", "hottehue", "blaukuge",
      "rotekuge", "koenigin", "koenigbl", "arnolauf", "arnorenn"};
  FigureKind* kinds = SharedModule::Get().figureKinds;
  for (int32_t i = 1; i <= kFigureKinds; ++i) {
    kinds[i].name = kNames[i - 1];
    kinds[i].XSprung = 2.0;
    kinds[i].YSprung = 1.0;
  }
  // The last kind runs ("renn") where the others walk: longer strides.
  kinds[10].XSprung = 6.0;
  kinds[10].YSprung = 3.0;
}

SceneLayout& Layout() {
  return SharedModule::Get().layout;
}

void FreeHintergrund() {
  SharedModule::Get().layout.Hintergrund.reset();
}

}  // namespace wimmel
