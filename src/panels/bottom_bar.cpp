// The bottom bar: the information area below the scene while no help page
// is shown, with the buttons H, F1, Esc and A.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "panels/panels.h"
#include "panels/parts.h"
#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "text/text.h"
#include "windows/fenster.h"

namespace wimmel {

namespace {

constexpr int32_t kButtonWidth = 30, kButtonHeight = 30;

// Pastes the empty key at the drawing position and records its hit box.
void PasteButton(panels::BottomBarRecord& bar, int32_t n, std::string answer) {
  windows::PasteTransparent(n, bar.x, bar.y, bar.buttonSlot);
  bar.buttons.push_back(
      {bar.area.X0 + bar.x, bar.area.Y0 + bar.y, kButtonWidth, kButtonHeight, std::move(answer)});
}

void WriteCaption(const panels::BottomBarRecord& bar, int32_t n, int32_t dx,
                  std::string_view text) {
  panels::WriteBlack(n, bar.x + dx, bar.y + 7, text);
}

void EngraveLabel(const panels::BottomBarRecord& bar, int32_t n, std::string_view text) {
  panels::Engrave(n, bar.x, bar.y + 7, text);
}

void Erstellen(panels::BottomBarRecord& bar) {
  if (bar.created != 0) return;
  if (LogIsOn()) Protokoll("AnzeigeFensterUnten wird erstellt");
  bar.area = panels::ComputeInfoArea();
  const int32_t W = FontBreite(0);
  bar.buttons.clear();

  const int32_t n =
      panels::OpenPanelWindow(bar.area.X0, bar.area.Y0, bar.area.width, bar.area.height,
                              "AnzeigeFensterUnten", "AnzeigeFensterUnten");
  bar.window = n;
  bar.brushSlot = windows::RememberImage(n, panels::JoinPath("pattern", "buerste.bmp"));

  // First group: H and F1 on one plate.
  bar.x = 20;
  bar.y = 14;
  bar.plateHeight = kButtonHeight + 2;
  bar.plateWidth = 12 * W + 2 * kButtonWidth + 32;
  windows::FillRect(n, bar.x - 2, bar.y - 2, bar.plateWidth, bar.plateHeight, bar.brushSlot);
  bar.buttonSlot = windows::RememberImage(n, panels::JoinPath("HG_bild", "TastLeer.bmp"));
  PasteButton(bar, n, "H");
  windows::SetFont(n, 0);
  WriteCaption(bar, n, 12, "H");
  bar.x += kButtonWidth + 10;
  PasteButton(bar, n, "H");
  WriteCaption(bar, n, 8, "F1");
  bar.x += kButtonWidth + 10;
  EngraveLabel(bar, n, "Hilfe / Help");

  // Each later group starts after the previous label.
  auto nextGroup = [&](int32_t plateWidth) {
    const int32_t t = bar.x + 30 + 12 * W + 25;
    bar.plateWidth = plateWidth;
    windows::FillRect(n, t + 8, bar.y - 2, bar.plateWidth, bar.plateHeight, bar.brushSlot);
    bar.x = t + 10;
  };

  nextGroup(12 * W + kButtonWidth + 22);
  PasteButton(bar, n, std::string(1, '\x1B'));
  WriteCaption(bar, n, 4, "Esc");
  bar.x += kButtonWidth + 10;
  EngraveLabel(bar, n, "Programmende");

  nextGroup(5 * W + kButtonWidth + 32);
  PasteButton(bar, n, "A");
  WriteCaption(bar, n, 12, "A");
  bar.x += kButtonWidth + 10;
  EngraveLabel(bar, n, "About");

  bar.created = 1;
  if (LogIsOn()) {
    Protokoll("AnzeigeFensterUnten mit Nummer " + panels::WindowText(bar.window) + " ist erstellt");
  }
}

}  // namespace

void panels::CreateBottomBar() {
  Erstellen(PanelsModule::Get().bottomBar);
}

void panels::ShowBottomBar() {
  windows::Show(PanelsModule::Get().bottomBar.window);
}

void panels::DeleteBottomBar() {
  panels::BottomBarRecord& bar = PanelsModule::Get().bottomBar;
  // The first log line has the name with a space after it.
  panels::DeletePanelWindow(bar.window, bar.created,
                            {.firstLog = "AnzeigeFensterUnten ", .lastLog = "AnzeigeFensterUnten"});
}

std::string panels::ClickBottomBar() {
  return panels::HitButton(PanelsModule::Get().bottomBar.buttons);
}

std::string AnzeigeFensterUnten(std::string_view Aufgabe) {
  switch (LookUpCommand(Aufgabe, panels::kButtonCommands, panels::Command::Unknown)) {
    case panels::Command::Erstellen:
      panels::CreateBottomBar();
      break;
    case panels::Command::Anzeigen:
      panels::ShowBottomBar();
      break;
    case panels::Command::Loeschen:
      panels::DeleteBottomBar();
      break;
    case panels::Command::Mausklick:
      return panels::ClickBottomBar();
    case panels::Command::Unknown:
      break;
  }
  return "";
}

}  // namespace wimmel
