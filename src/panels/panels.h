// The fixed screens built from windows: header, bottom bar, help pages and
// the start footer. Each answers clicks with key strings where it has buttons.
#pragma once

#include <cstdint>
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

// The command procedures: "Erstellen", "Anzeigen" and "Loeschen" (and
// "Mausklick" where a panel has buttons) call the functions of the same
// meaning below; KopfFenster prints a line naming any other word.
void KopfFenster(std::string_view Aufgabe, std::string_view Text);
std::string AnzeigeFensterUnten(std::string_view Aufgabe);
std::string AnzeigeHilfe1(std::string_view Aufgabe);
std::string AnzeigeHilfe2(std::string_view Aufgabe);
std::string AnzeigeHilfe3(std::string_view Aufgabe);
void AnzeigeStartFussFenster(std::string_view Aufgabe);

namespace panels {

// Create makes a panel's window and draws it, once until it is deleted;
// Show brings the window to the front; Delete removes it. Create and Delete
// write their log lines.

// The header above the scene, with title on its plate.
void CreateHeader(std::string_view title);
void ShowHeader();
void DeleteHeader();

// The bottom bar in the information area.
void CreateBottomBar();
void ShowBottomBar();
void DeleteBottomBar();
// The key string of the button under the mouse, or "".
std::string ClickBottomBar();

// Help page 1, 2 or 3 in the information area.
void CreateHelpPage(int32_t page);
void ShowHelpPage(int32_t page);
void DeleteHelpPage(int32_t page);
// The key string of the button under the mouse, or ""; a hit asks for the
// click pause.
std::string ClickHelpPage(int32_t page);

// The panel that fills the information area on page page: 1 to 3 a help
// page, any other number the bottom bar. ShowInfoPanel brings it to the
// front; ClickInfoPanel answers a click as ClickBottomBar or ClickHelpPage.
void ShowInfoPanel(int32_t page);
std::string ClickInfoPanel(int32_t page);

// The start screen's footer.
void CreateStartFooter();
void ShowStartFooter();
void DeleteStartFooter();

}  // namespace panels

}  // namespace wimmel
