// The fixed screens built from windows: header, bottom bar, help pages and
// the start footer. Each answers clicks with key strings where it has buttons.
#pragma once

#include <string>
#include <string_view>

#include "runtime/owned.h"

namespace wimmel {

namespace panels {
struct PanelState;
}
// The panels' window numbers, geometry and buttons of one run (see
// runtime/owned.h).
using PanelsModule = Owned<panels::PanelState>;

void KopfFenster(std::string_view Aufgabe, std::string_view Text);
std::string AnzeigeFensterUnten(std::string_view Aufgabe);
std::string AnzeigeHilfe1(std::string_view Aufgabe);
std::string AnzeigeHilfe2(std::string_view Aufgabe);
std::string AnzeigeHilfe3(std::string_view Aufgabe);
void AnzeigeStartFussFenster(std::string_view Aufgabe);

}  // namespace wimmel
