// The start screen's footer: the key legend for the mode letters and the
// figure count on two chrome plates. It only draws; the start screen reads
// the keys itself.
#include <cstdint>
#include <string>
#include <string_view>

#include "panels/panels.h"
#include "panels/parts.h"
#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "windows/fenster.h"

namespace wimmel {

namespace {

constexpr int32_t ox = 20, oy = 14;  // layout origin
constexpr int32_t bw = 24;           // key-cap width
constexpr int32_t bh = 29;           // key-cap height
constexpr int32_t kRowSpacing = 35;
constexpr int32_t kPlateWidth = 340, kPlateHeight = bh;

void Erstellen(panels::StartFooterRecord& footer) {
  if (footer.exists != 0) return;
  if (LogIsOn()) Protokoll("StartFuss(): Fenster wird erstellt");
  const int32_t W = Layout().screenWidth, H = Layout().screenHeight;
  footer.windowX = 0;
  footer.windowY = rt::Wrap32(int64_t{H} - 100);
  footer.windowWidth = rt::Wrap32(int64_t{W} - 1);
  footer.windowHeight = 100;

  const int32_t n =
      panels::OpenPanelWindow(footer.windowX, footer.windowY, footer.windowWidth,
                              footer.windowHeight, "AnzeigeStartFussFenster", "Hilfe-2");
  footer.window = n;
  footer.chromeSlot = windows::RememberImage(n, panels::JoinPath("pattern", "Chrom3.bmp"));

  // Upper row: "A bis P  Spielstart mit Screen".
  windows::FillRect(n, ox - 2, oy - 2, kPlateWidth, kPlateHeight, footer.chromeSlot);
  footer.keyCapSlot = windows::RememberImage(n, panels::JoinPath("HG_bild", "TastLeer.bmp"));
  windows::PasteTransparent(n, ox, oy, footer.keyCapSlot);
  windows::SetFont(n, 0);
  panels::WriteBlack(n, ox + 12, oy + 7, "A");
  panels::Engrave(n, ox + bw + 12, oy + 7, "bis");
  windows::PasteTransparent(n, ox + bw + 40, oy, footer.keyCapSlot);
  panels::WriteBlack(n, ox + bw + 52, oy + 7, "P");
  panels::Engrave(n, ox + bw + 82, oy + 7, "Spielstart mit Screen");

  // Lower row: "+ -  Anzahl gezeiger Figuren aendern".
  const int32_t row = oy + kRowSpacing;
  windows::FillRect(n, ox - 2, row - 2, kPlateWidth, kPlateHeight, footer.chromeSlot);
  windows::PasteTransparent(n, ox, row, footer.keyCapSlot);
  windows::SetFont(n, 0);
  panels::WriteBlack(n, ox + 12, row + 7, "+");
  windows::PasteTransparent(n, ox + bw + 10, row, footer.keyCapSlot);
  // Still black: the second key's caption sets no colour.
  windows::WriteText(n, ox + bw + 22, row + 7, "-");
  panels::Engrave(n, ox + 2 * bw + 22, row + 7, "Anzahl gezeiger Figuren \xE4ndern");

  footer.exists = 1;
  if (LogIsOn()) {
    Protokoll("AnzeigeStartFussFenster mit Nummer " + panels::WindowText(footer.window) +
              " ist erstellt");
  }
}

}  // namespace

void panels::CreateStartFooter() {
  Erstellen(PanelsModule::Get().startFooter);
}

void panels::ShowStartFooter() {
  windows::Show(PanelsModule::Get().startFooter.window);
}

void panels::DeleteStartFooter() {
  panels::StartFooterRecord& footer = PanelsModule::Get().startFooter;
  panels::DeletePanelWindow(
      footer.window, footer.exists,
      {.firstLog = "AnzeigeStartFussFenster", .lastLog = "AnzeigeStartFussFenster"});
}

void AnzeigeStartFussFenster(std::string_view Aufgabe) {
  switch (LookUpCommand(Aufgabe, panels::kDrawingCommands, panels::Command::Unknown)) {
    case panels::Command::Erstellen:
      panels::CreateStartFooter();
      break;
    case panels::Command::Anzeigen:
      panels::ShowStartFooter();
      break;
    case panels::Command::Loeschen:
      panels::DeleteStartFooter();
      break;
    default:
      break;
  }
}

}  // namespace wimmel
