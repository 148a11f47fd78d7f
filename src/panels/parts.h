// Building blocks the panels share: the panel window and its lettering,
// artwork paths, the command words, the button hit boxes, and the records of
// the six panels.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "shared/command_word.h"
#include "windows/fenster.h"

namespace wimmel::panels {

// A panel's window number as its log lines print it: empty while the panel
// has no window.
std::string WindowText(int32_t window);

// Joins a folder and a file with the program's path separator.
std::string JoinPath(std::string_view folder, std::string_view file);
std::string JoinPath(std::string_view folder, std::string_view subfolder, std::string_view file);

enum class Command { Erstellen, Anzeigen, Loeschen, Mausklick, Unknown };

// The words of the panels without buttons (header and start footer), and of
// those with buttons (bottom bar and help pages), in the order they are
// compared.
inline constexpr CommandWord<Command> kDrawingCommands[] = {
    {"ERSTELLEN", Command::Erstellen},
    {"ANZEIGEN", Command::Anzeigen},
    {"LOESCHEN", Command::Loeschen},
};
inline constexpr CommandWord<Command> kButtonCommands[] = {
    {"ERSTELLEN", Command::Erstellen},
    {"ANZEIGEN", Command::Anzeigen},
    {"LOESCHEN", Command::Loeschen},
    {"MAUSKLICK", Command::Mausklick},
};

// A button: its top-left screen pixel and how far the hit box reaches to
// the right and down (both ends included), with the key string it stands for.
struct Button {
  int32_t x = 0, y = 0;
  int32_t right = 30, down = 30;
  std::string answer;
};

// Tests all buttons in order at (MausX, MausY); the last hit wins.
std::string HitButton(const std::vector<Button>& buttons);

// The information area below the scene, shared by the bottom bar and the
// help pages: its top row and the window size.
struct InfoArea {
  int32_t X0 = 0, Y0 = 0, width = 0, height = 0;
};
InfoArea ComputeInfoArea();
// Makes the window of a panel, as every panel makes its own: created under
// name and titled title followed by its number (a title never drawn), at
// (x, y) with the given size, black, with a grey frame frameDistance pixels
// inside its edges, tiled with the masked pattern. Returns the window number
// (windows::kNoWindow when the window system had none left).
int32_t OpenPanelWindow(int32_t x, int32_t y, int32_t width, int32_t height, std::string_view name,
                        std::string_view title, int32_t frameDistance = 1);

// The two kinds of lettering on the plates of window n: black text (a
// caption on a key) and grey engraved text (a label beside a key).
void WriteBlack(int32_t n, int32_t x, int32_t y, std::string_view text);
void Engrave(int32_t n, int32_t x, int32_t y, std::string_view text);

// How a panel names itself in the log when its window goes: in the first
// line (which for some panels is spelt a little differently) and in the last.
struct DeletionNames {
  std::string_view firstLog, lastLog;
};
// Deletes the window of a panel, as every panel deletes its own: logs,
// deletes the window, forgets its number and marks the panel as gone.
void DeletePanelWindow(int32_t& window, int32_t& exists, const DeletionNames& names);

// ---------------------------------------------------------------- records

// The header window. Its number is windows::kNoWindow while no header
// exists.
struct HeaderRecord {
  int32_t KopfFensterNr = windows::kNoWindow;
  int32_t exists = 0;
  int32_t windowX = 0, windowY = 0, windowWidth = 0, windowHeight = 0;
  int32_t plateLeft = 0, plateTop = 0, plateWidth = 0, plateHeight = 0;
  int32_t stoneSlot = 0;
};

// The bottom bar, and each help page: they share the information area and
// are built alike. The window number is windows::kNoWindow while the panel
// does not exist; the buttons are kept in the order of the click test.
struct InfoPanelRecord {
  int32_t window = windows::kNoWindow;
  int32_t created = 0;
  InfoArea area;
  int32_t brushSlot = 0;
  int32_t buttonSlot = 0;
  std::vector<Button> buttons;
};

// The bottom bar's running drawing position and current plate.
struct BottomBarRecord : InfoPanelRecord {
  int32_t x = 0, y = 0;
  int32_t plateWidth = 0, plateHeight = 0;
};

// The start screen's footer.
struct StartFooterRecord {
  int32_t window = windows::kNoWindow;
  int32_t exists = 0;
  int32_t windowX = 0, windowY = 0, windowWidth = 0, windowHeight = 0;
  int32_t chromeSlot = 0;
  int32_t keyCapSlot = 0;
};

// The six panels of one run (see panels.h).
struct PanelState {
  HeaderRecord header;
  BottomBarRecord bottomBar;
  std::array<InfoPanelRecord, 3> helpPages;
  StartFooterRecord startFooter;
};

}  // namespace wimmel::panels
