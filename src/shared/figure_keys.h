// The figure keys: each letter, in upper or lower case, gives the selected
// figure another picture. The main loop, the help page and the asset
// generator all read this one table.
#pragma once

#include <string_view>

namespace wimmel {

struct FigureKey {
  char letter;            // upper case
  std::string_view kind;  // the figure kind the key chooses
  // The file name (without ".bmp") of the small picture the help page shows
  // beside the key in HG_bild/figur/; empty for a key the help page leaves out.
  std::string_view portrait;
};

// The help page shows its keys in this order, column by column, upper row
// first.
inline constexpr FigureKey kFigureKeys[] = {
    {'K', "koenigin", "koenigin"}, {'L', "koenigbl", "koenigbl"}, {'D', "arnolauf", "arnolauf"},
    {'S', "arnorenn", "arnorenn"}, {'T', "tarzan01", "tarzan01"}, {'P', "hottehue", "hottehue"},
    {'G', "gelbzyli", "gelbzyli"}, {'R', "rotekuge", "rotekuge"}, {'B', "blaukuge", "landfrau"},
    {'Z', "blauzyli", "grunzyli"}, {'F', "grunzyli", ""},
};

}  // namespace wimmel
