// Every picture the program reads, made small by hand in the working
// folder, so that whole runs of the program need no generated data.
#pragma once

#include <cstdint>
#include <string>

#include "../scene/scene_test_support.h"
#include "shared/settings.h"

namespace wimmel::test {

// The background for 640 x 480, the objects, the figures and the pictures
// of the start screen and the panels.
inline void WriteProgramData() {
  FillFigureKinds();
  WriteBackground(640, 336);
  WriteObjects(20);
  WriteFigures();
  for (const char* name :
       {"HG_bild\\TastLe15.bmp", "HG_bild\\TastLeer.bmp", "HG_bild\\tabtast.bmp",
        "HG_bild\\Rucktast.bmp", "HG_bild\\Zahlblck.bmp", "HG_bild\\tarzan01.bmp",
        "pattern\\Chrom3.bmp", "pattern\\Stein1.bmp", "pattern\\buerste.bmp",
        "pattern\\maskiert.bmp", "pattern\\metall2.bmp"}) {
    WriteBmp(name, 24, 24, [](int32_t x, int32_t y) {
      return static_cast<uint32_t>(x) * 0x0A0000u + static_cast<uint32_t>(y) * 0x0Au;
    });
  }
  for (const char* kind : {"arnolauf", "arnorenn", "gelbzyli", "grunzyli", "hottehue", "koenigbl",
                           "koenigin", "landfrau", "rotekuge", "tarzan01"}) {
    WriteBmp(std::string("HG_bild\\figur\\") + kind + ".bmp", 24, 24,
             [](int32_t, int32_t) { return 0x808080u; });
  }
}

}  // namespace wimmel::test
