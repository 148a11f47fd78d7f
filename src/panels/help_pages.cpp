// The three help pages. They take turns with the bottom bar in the
// information area and are built like it: a patterned strip with
// brush-textured plates, key buttons, captions and engraved labels. Every
// button answers a click with the key string of the key it explains.
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

namespace wimmel {

namespace {

using panels::SendWindow;

constexpr const char* kEsc = "\x1B";

class PagePainter;

// What sets one page apart from the others; fixed for the whole program.
struct PageLayout {
  const char* name;           // "AnzeigeHilfe1" ...
  const char* title;          // "Hilfe-1" ...
  const char* deleteLogName;  // the name as it appears in the delete log line
  int32_t buttonWidth, buttonHeight;
  int32_t plateHeight;
  void (*paintButtons)(PagePainter&);
};

// Paints one page into its window while "Erstellen" builds it, and records
// the page's buttons.
class PagePainter {
 public:
  PagePainter(const PageLayout& pageLayout, panels::InfoPanelRecord& record)
      : layout(pageLayout), page(record) {}

  const PageLayout& layout;
  panels::InfoPanelRecord& page;
  int32_t n = 0;  // the page's window number

  // The drawing sequence of one button, positions inside the window.
  void Plate(int32_t x, int32_t y, int32_t width, int32_t height) const {
    SendWindow("FuellRechteck", n, x - 2, y - 2, width, height, page.brushSlot);
  }
  void RememberEmptyKey() {
    page.buttonSlot =
        panels::NumberOf(SendWindow("MerkeBild", n, layout.buttonWidth, layout.buttonHeight, 0, 0,
                                    panels::JoinPath("HG_bild", "TastLeer.bmp")));
  }
  int32_t RememberPicture(int32_t width, int32_t height, const std::string& path) const {
    return panels::NumberOf(SendWindow("MerkeBild", n, width, height, 0, 0, path));
  }
  void Paste(int32_t x, int32_t y, int32_t slot) const {
    SendWindow("SetzeBildTransparent", n, x, y, slot);
  }
  void Caption(int32_t x, int32_t y, std::string_view text, bool setFont) const {
    if (setFont) SendWindow("SetzFontNr", n, 0);
    panels::WriteBlack(n, x, y, text);
  }
  void Engrave(int32_t x, int32_t y, std::string_view text) const {
    panels::Engrave(n, x, y, text);
  }
  panels::Button HitBox(int32_t x, int32_t y, int32_t right, int32_t down,
                        std::string answer) const {
    return {page.area.X0 + x, page.area.Y0 + y, right, down, std::move(answer)};
  }

  // Window, strip pattern and brush, the same on every page.
  void Foundation() {
    page.area = panels::ComputeInfoArea();
    page.buttons.clear();
    page.windowNumber = panels::OpenPanelWindow(page.area.X0, page.area.Y0, page.area.width,
                                                page.area.height, layout.name, layout.title);
    n = panels::NumberOf(page.windowNumber);
    page.brushSlot = SendWindow("MerkeBild", n, layout.buttonWidth, layout.buttonHeight, 0, 0,
                                panels::JoinPath("pattern", "Chrom3.bmp"));
  }

  // F1, H and Esc. Pages 1 and 2 remember the empty key again before H.
  void Navigation(int32_t x1, int32_t plateWidth, bool emptyKeyBeforeH) {
    Plate(x1, 14, plateWidth, layout.plateHeight);
    RememberEmptyKey();
    Paste(x1, 14, page.buttonSlot);
    Caption(x1 + 8, 21, "F1", true);

    Plate(x1 + 30, 14, plateWidth, layout.plateHeight);
    if (emptyKeyBeforeH) RememberEmptyKey();
    Paste(x1 + 30, 14, page.buttonSlot);
    Caption(x1 + 42, 21, "H", true);
    Engrave(x1 + 70, 21, "Hilfe bl\xE4ttern");

    Plate(x1 + 30, 49, plateWidth, layout.plateHeight);
    Paste(x1 + 30, 49, page.buttonSlot);
    Caption(x1 + 34, 56, "Esc", false);
    Engrave(x1 + 70, 56, "Programmende");
  }
};

// Page 1: the display and speed keys C, N, + and -.
void PaintPage1(PagePainter& p) {
  const int32_t W = FontBreite(0);
  const int32_t wide = 16 * W + 47;
  const int32_t plateHeight = p.layout.plateHeight;
  p.Navigation(15, wide, true);

  p.Plate(240, 14, wide, plateHeight);
  p.RememberEmptyKey();
  p.Paste(240, 14, p.page.buttonSlot);
  p.Caption(252, 21, "C", true);
  p.Engrave(280, 21, "Kollision An/Aus");

  p.Plate(240, 49, wide, plateHeight);
  p.Paste(240, 49, p.page.buttonSlot);
  p.Caption(252, 56, "N", false);
  p.Engrave(280, 56, "FigurNr An/Aus");

  const int32_t xp = 312 + 16 * W;
  const int32_t narrow = 15 * W + 49;
  p.Plate(xp, 14, narrow, plateHeight);
  p.RememberEmptyKey();
  p.Paste(xp, 14, p.page.buttonSlot);
  p.Caption(xp + 12, 21, "+", true);
  p.Engrave(xp + 40, 21, "Spiel schneller");

  p.Plate(xp, 49, narrow, plateHeight);
  p.Paste(xp, 49, p.page.buttonSlot);
  p.Caption(xp + 12, 56, "-", false);
  p.Engrave(xp + 40, 56, "Spiel langsamer");

  p.page.buttons = {
      p.HitBox(240, 14, 30, 30, "c"), p.HitBox(240, 49, 30, 30, "n"),
      p.HitBox(xp, 14, 30, 30, "+"),  p.HitBox(xp, 49, 30, 30, "-"),
      p.HitBox(45, 14, 30, 30, "h"),  p.HitBox(45, 49, 30, 30, kEsc),
      p.HitBox(15, 14, 30, 30, "h"),
  };
}

// Page 2: figure selection and the diagonal direction keys.
void PaintPage2(PagePainter& p) {
  const int32_t W = FontBreite(0);
  const int32_t H0 = FontHoehe(0);
  const int32_t wide = 16 * W + 68;
  const int32_t plateHeight = p.layout.plateHeight;
  p.Navigation(15, wide, true);

  p.Plate(260, 14, wide, plateHeight);
  const int32_t tab = p.RememberPicture(30, 29, panels::JoinPath("HG_bild", "tabtast.bmp"));
  p.Paste(260, 14, tab);
  p.Engrave(316, 21,
            "N\xE4"
            "chste FigurNr");

  p.Plate(260, 49, wide, plateHeight);
  const int32_t backspace = p.RememberPicture(46, 30, panels::JoinPath("HG_bild", "Rucktast.bmp"));
  p.Paste(260, 49, backspace);
  p.Engrave(316, 56, "Vorige FigurNr");

  const int32_t xb = 366 + 14 * W;
  p.Plate(xb, 14, 8 * W + 84, 66);
  const int32_t block = p.RememberPicture(62, 62, panels::JoinPath("HG_bild", "Zahlblck.bmp"));
  p.Paste(xb, 14, block);
  const int32_t figure = p.RememberPicture(30, 29, panels::JoinPath("HG_bild", "tarzan01.bmp"));
  p.Paste(379 + 14 * W, 31, figure);
  p.Engrave(438 + 14 * W, 21, "Richtung");
  p.Engrave(438 + 14 * W, H0 + 21, " \xC4ndern");

  p.page.buttons = {
      p.HitBox(15, 14, 30, 29, "h"),
      p.HitBox(45, 14, 30, 29, "h"),
      p.HitBox(45, 49, 30, 29, kEsc),
      p.HitBox(260, 14, 46, 29, std::string(1, '\t')),
      p.HitBox(260, 49, 46, 29, std::string(1, '\b')),
      p.HitBox(xb, 14, 21, 21, "7"),
      p.HitBox(407 + 14 * W, 14, 21, 21, "9"),
      p.HitBox(xb, 55, 21, 21, "1"),
      p.HitBox(407 + 14 * W, 55, 21, 21, "3"),
  };
}

// Page 3: the figure picture keys, each with a small picture of its figure.
struct FigureKey {
  const char* letter;
  const char* file;
  const char* answer;
};
// Column by column, upper row first: the order of drawing and of the click test.
constexpr FigureKey kFigureKeys[10] = {
    {"K", "koenigin.bmp", "k"}, {"L", "koenigbl.bmp", "l"}, {"D", "arnolauf.bmp", "d"},
    {"S", "arnorenn.bmp", "s"}, {"T", "tarzan01.bmp", "t"}, {"P", "hottehue.bmp", "p"},
    {"G", "gelbzyli.bmp", "g"}, {"R", "rotekuge.bmp", "r"}, {"B", "landfrau.bmp", "b"},
    {"Z", "grunzyli.bmp", "z"},
};

void PaintPage3(PagePainter& p) {
  p.Navigation(12, 140, false);
  std::vector<panels::Button> figures;
  for (int32_t i = 0; i < 10; ++i) {
    const FigureKey& key = kFigureKeys[i];
    const int32_t x = 220 + 85 * (i / 2);
    const int32_t y = (i % 2 == 0) ? 14 : 49;
    p.Plate(x, y, 74, p.layout.plateHeight);
    if (i == 0) p.RememberEmptyKey();
    p.Paste(x, y, p.page.buttonSlot);
    if (i == 0) {
      SendWindow("SetzFontNr", p.n, 0);
      SendWindow("SetzSchriftfarbe", p.n, 0, 0, 0);
    }
    SendWindow("SchreibText", p.n, x + 12, y + 7, 0, 0, key.letter);
    const int32_t picture =
        p.RememberPicture(30, 30, panels::JoinPath("HG_bild", "figur", key.file));
    p.Paste(x + 40, y, picture);
    figures.push_back(p.HitBox(x, y, 30, 30, key.answer));
  }
  p.page.buttons = {p.HitBox(42, 14, 30, 30, "h"), p.HitBox(12, 14, 30, 30, "h"),
                    p.HitBox(42, 49, 30, 30, kEsc)};
  p.page.buttons.insert(p.page.buttons.end(), figures.begin(), figures.end());
}

constexpr PageLayout kPages[3] = {
    {"AnzeigeHilfe1", "Hilfe-1", "AnzeigeHilfe1 ", 30, 30, 32, PaintPage1},
    {"AnzeigeHilfe2", "Hilfe-2", "AnzeigeHilfe2", 30, 29, 31, PaintPage2},
    {"AnzeigeHilfe3", "Hilfe-3", "AnzeigeHilfe3", 30, 30, 32, PaintPage3},
};

void Erstellen(const PageLayout& layout, panels::InfoPanelRecord& page) {
  if (page.created != 0) return;
  if (LogIsOn()) Protokoll(std::string(layout.name) + " wird erstellt");
  PagePainter painter(layout, page);
  painter.Foundation();
  layout.paintButtons(painter);
  page.created = 1;
  if (LogIsOn()) {
    Protokoll(std::string(layout.name) + " mit Nummer " + page.windowNumber + " ist erstellt");
  }
}

// The command procedure of page `index` (0 to 2).
std::string RunPage(size_t index, std::string_view word) {
  const PageLayout& layout = kPages[index];
  panels::InfoPanelRecord& page = PanelsModule::Get().helpPages[index];
  switch (LookUpCommand(word, panels::kButtonCommands, panels::Command::Unknown)) {
    case panels::Command::Erstellen:
      Erstellen(layout, page);
      break;
    case panels::Command::Anzeigen:
      SendWindow("ZeigAn", panels::NumberOf(page.windowNumber));
      break;
    case panels::Command::Loeschen:
      panels::DeletePanelWindow(
          page.windowNumber, page.created,
          {.firstLog = layout.deleteLogName, .lastLog = layout.name, .window = layout.name});
      break;
    case panels::Command::Mausklick: {
      std::string answer = panels::HitButton(page.buttons);
      if (!answer.empty()) RequestClickPause();
      return answer;
    }
    case panels::Command::Unknown:
      break;
  }
  return "";
}

}  // namespace

std::string AnzeigeHilfe1(std::string_view Aufgabe) {
  return RunPage(0, Aufgabe);
}
std::string AnzeigeHilfe2(std::string_view Aufgabe) {
  return RunPage(1, Aufgabe);
}
std::string AnzeigeHilfe3(std::string_view Aufgabe) {
  return RunPage(2, Aufgabe);
}

}  // namespace wimmel
