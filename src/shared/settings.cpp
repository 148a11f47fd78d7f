#include "shared/settings.h"

namespace wimmel {

namespace {
Einstellungen gEinstellungen;
FigurArt gFigurTyp[FigurTypAnzahl + 1];
Szene gSzene;
}  // namespace

Einstellungen& E() { return gEinstellungen; }
void EinstellungenZuruecksetzen() { gEinstellungen = Einstellungen{}; }

FigurArt* FigurTyp() { return gFigurTyp; }

void FigurTypFuellen() {
  static const char* const kNamen[FigurTypAnzahl] = {
      "tarzan01", "blauzyli", "gelbzyli", "hottehue", "blaukuge",
      "rotekuge", "koenigin", "koenigbl", "arnolauf", "arnorenn"};
  for (int32_t i = 1; i <= FigurTypAnzahl; ++i) {
    gFigurTyp[i].name = kNamen[i - 1];
    gFigurTyp[i].XSprung = 2.0;
    gFigurTyp[i].YSprung = 1.0;
  }
  gFigurTyp[10].XSprung = 6.0;
  gFigurTyp[10].YSprung = 3.0;
}

Szene& S() { return gSzene; }

void HintergrundFreigeben() {
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
