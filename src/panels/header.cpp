// The header window: a stone-patterned strip above the scene with the
// caption raised on a plate in its middle.
#include <cstdint>
#include <string>
#include <string_view>

#include "panels/panels.h"
#include "panels/parts.h"
#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "text/text.h"
#include "windows/fenster.h"

namespace wimmel {

namespace {

constexpr int32_t kFont = 0;

void Erstellen(panels::HeaderRecord& header, std::string_view text) {
  if (header.exists != 0) return;
  if (LogIsOn()) Protokoll("KopfFenster(): wird erstellt");
  const int32_t h = Layout().SzeneY0;
  if (h <= 16) {
    rt::PrintText(
        "Sub KopfFenster():  Soll ein Kopffenster errichten, es ist oben aber gar kein Platz "
        "dafuer (kleiner 16 Pixel)",
        true);
    return;
  }
  const int32_t w = rt::Wrap32(int64_t{Layout().screenWidth} - 1);
  header.windowX = 0;
  header.windowY = 0;
  header.windowWidth = w;
  header.windowHeight = h;

  const std::string name = "KopfFenster " + std::string(text);
  const int32_t n = panels::OpenPanelWindow(header.windowX, header.windowY, w, h, name, name,
                                            /*frameDistance=*/0);
  header.KopfFensterNr = n;

  header.plateWidth = rt::Wrap32(static_cast<int64_t>(text.size()) * FontBreite(kFont) + 20);
  header.plateHeight = FontHoehe(kFont) + 10;
  header.plateLeft = rt::Wrap32((int64_t{w} - header.plateWidth) / 2);
  header.plateTop = rt::Wrap32((int64_t{h} - header.plateHeight) / 2);

  header.stoneSlot = windows::RememberImage(n, panels::JoinPath("pattern", "Stein1.bmp"));
  windows::FillRect(n, header.plateLeft, header.plateTop, header.plateWidth, header.plateHeight,
                    header.stoneSlot);
  windows::SetFont(n, kFont);
  windows::SetTextColour(n, {128, 128, 128});
  windows::WriteRaisedText(n, rt::Wrap32(int64_t{header.plateLeft} + 10),
                           rt::Wrap32(int64_t{header.plateTop} + 6), 60, text);
  header.exists = 1;
  if (LogIsOn()) {
    Protokoll("KopfFenster ist mit FensterNummer " + panels::WindowText(header.KopfFensterNr) +
              " erstellt");
  }
}

}  // namespace

void panels::CreateHeader(std::string_view title) {
  Erstellen(PanelsModule::Get().header, title);
}

void panels::ShowHeader() {
  windows::Show(PanelsModule::Get().header.KopfFensterNr);
}

void panels::DeleteHeader() {
  panels::HeaderRecord& header = PanelsModule::Get().header;
  panels::DeletePanelWindow(header.KopfFensterNr, header.exists,
                            {.firstLog = "KopfFenster", .lastLog = "KopfFenster"});
}

void KopfFenster(std::string_view Aufgabe, std::string_view Text) {
  switch (LookUpCommand(Aufgabe, panels::kDrawingCommands, panels::Command::Unknown)) {
    case panels::Command::Erstellen:
      panels::CreateHeader(Text);
      break;
    case panels::Command::Anzeigen:
      panels::ShowHeader();
      break;
    case panels::Command::Loeschen:
      panels::DeleteHeader();
      break;
    default:
      DruckeZeile("SelectCase in der KopfFenster-Sub kennt folgende Aufgabe nicht: " +
                  std::string(Aufgabe));
      break;
  }
}

}  // namespace wimmel
