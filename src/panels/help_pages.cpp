// The three help pages. They take turns with the bottom bar in the
// information area and are built like it: a patterned strip with
// brush-textured plates, key buttons, captions and engraved labels. Every
// button answers a click with the key string of the key it explains.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "panels/panels.h"
#include "panels/parts.h"
#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "shared/figure_keys.h"
#include "shared/settings.h"
#include "text/text.h"
#include "windows/fenster.h"

namespace wimmel {

namespace {

constexpr const char* kEsc = "\x1B";

class PagePainter;

// One button of a page: where it is drawn inside the page's window, the box
// that answers a click there and the key string it answers with. A page's
// buttons are drawn from the same entries its click test reads.
struct Key {
  int32_t x, y;
  int32_t right, down;
  std::string answer;
};

// What sets one page apart from the others; fixed for the whole program.
struct PageLayout {
  const char* name;           // "AnzeigeHilfe1" ...
  const char* title;          // "Hilfe-1" ...
  const char* deleteLogName;  // the name as it appears in the delete log line
  int32_t buttonWidth, buttonHeight;
  int32_t plateHeight;
  void (*paintButtons)(PagePainter&);
};

// F1, H and Esc, the same three buttons on every page: F1 at the left, H
// beside it and Esc below H. F1 answers like H.
struct NavigationKeys {
  Key f1, h, esc;
};

NavigationKeys NavigationAt(int32_t x1, int32_t right, int32_t down) {
  return {{x1, 14, right, down, "h"},
          {x1 + 30, 14, right, down, "h"},
          {x1 + 30, 49, right, down, kEsc}};
}

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
  void Plate(const Key& key, int32_t width, int32_t height) const {
    windows::FillRect(n, key.x - 2, key.y - 2, width, height, page.brushSlot);
  }
  void RememberEmptyKey() {
    page.buttonSlot = windows::RememberImage(n, panels::JoinPath("HG_bild", "TastLeer.bmp"));
  }
  int32_t RememberPicture(const std::string& path) const { return windows::RememberImage(n, path); }
  void Paste(int32_t x, int32_t y, int32_t slot) const { windows::PasteTransparent(n, x, y, slot); }
  void Paste(const Key& key, int32_t slot) const { Paste(key.x, key.y, slot); }
  // The key's label on its cap and the engraved text right of it, on the
  // cap's text line.
  void Caption(const Key& key, int32_t dx, std::string_view text, bool setFont) const {
    if (setFont) windows::SetFont(n, 0);
    panels::WriteBlack(n, key.x + dx, key.y + 7, text);
  }
  void Engrave(const Key& key, int32_t dx, std::string_view text) const {
    panels::Engrave(n, key.x + dx, key.y + 7, text);
  }
  // The page's click test: its buttons' boxes in window coordinates, in
  // the order given (the last hit wins).
  void Record(std::initializer_list<const Key*> keys) {
    page.buttons.clear();
    for (const Key* key : keys) Add(*key);
  }
  void Add(const Key& key) {
    page.buttons.push_back(
        {page.area.X0 + key.x, page.area.Y0 + key.y, key.right, key.down, key.answer});
  }

  // Window, strip pattern and brush, the same on every page.
  void Foundation() {
    page.area = panels::ComputeInfoArea();
    page.buttons.clear();
    n = panels::OpenPanelWindow(page.area.X0, page.area.Y0, page.area.width, page.area.height,
                                layout.name, layout.title);
    page.window = n;
    page.brushSlot = windows::RememberImage(n, panels::JoinPath("pattern", "Chrom3.bmp"));
  }

  // F1, H and Esc. Pages 1 and 2 remember the empty key again before H.
  void Navigation(const NavigationKeys& keys, int32_t plateWidth, bool emptyKeyBeforeH) {
    Plate(keys.f1, plateWidth, layout.plateHeight);
    RememberEmptyKey();
    Paste(keys.f1, page.buttonSlot);
    Caption(keys.f1, 8, "F1", true);

    Plate(keys.h, plateWidth, layout.plateHeight);
    if (emptyKeyBeforeH) RememberEmptyKey();
    Paste(keys.h, page.buttonSlot);
    Caption(keys.h, 12, "H", true);
    Engrave(keys.h, 40, "Hilfe bl\xE4ttern");

    Plate(keys.esc, plateWidth, layout.plateHeight);
    Paste(keys.esc, page.buttonSlot);
    Caption(keys.esc, 4, "Esc", false);
    Engrave(keys.esc, 40, "Programmende");
  }
};

// Page 1: the display and speed keys C, N, + and -.
void PaintPage1(PagePainter& p) {
  const int32_t W = FontBreite(0);
  const int32_t wide = 16 * W + 47;
  const int32_t narrow = 15 * W + 49;
  const int32_t plateHeight = p.layout.plateHeight;
  const int32_t xp = 312 + 16 * W;
  const NavigationKeys nav = NavigationAt(15, 30, 30);
  const Key c{240, 14, 30, 30, "c"}, n{240, 49, 30, 30, "n"};
  const Key plus{xp, 14, 30, 30, "+"}, minus{xp, 49, 30, 30, "-"};
  p.Navigation(nav, wide, true);

  p.Plate(c, wide, plateHeight);
  p.RememberEmptyKey();
  p.Paste(c, p.page.buttonSlot);
  p.Caption(c, 12, "C", true);
  p.Engrave(c, 40, "Kollision An/Aus");

  p.Plate(n, wide, plateHeight);
  p.Paste(n, p.page.buttonSlot);
  p.Caption(n, 12, "N", false);
  p.Engrave(n, 40, "FigurNr An/Aus");

  p.Plate(plus, narrow, plateHeight);
  p.RememberEmptyKey();
  p.Paste(plus, p.page.buttonSlot);
  p.Caption(plus, 12, "+", true);
  p.Engrave(plus, 40, "Spiel schneller");

  p.Plate(minus, narrow, plateHeight);
  p.Paste(minus, p.page.buttonSlot);
  p.Caption(minus, 12, "-", false);
  p.Engrave(minus, 40, "Spiel langsamer");

  p.Record({&c, &n, &plus, &minus, &nav.h, &nav.esc, &nav.f1});
}

// Page 2: figure selection and the diagonal direction keys.
void PaintPage2(PagePainter& p) {
  const int32_t W = FontBreite(0);
  const int32_t H0 = FontHoehe(0);
  const int32_t wide = 16 * W + 68;
  const int32_t plateHeight = p.layout.plateHeight;
  const NavigationKeys nav = NavigationAt(15, 30, 29);
  const Key tab{260, 14, 46, 29, std::string(1, '\t')};
  const Key backspace{260, 49, 46, 29, std::string(1, '\b')};
  // The number pad picture, drawn but not clicked itself; its four corner
  // keys lie 41 pixels apart.
  const Key pad{366 + 14 * W, 14, 62, 62, ""};
  const Key upLeft{pad.x, pad.y, 21, 21, "7"}, upRight{pad.x + 41, pad.y, 21, 21, "9"};
  const Key downLeft{pad.x, pad.y + 41, 21, 21, "1"},
      downRight{pad.x + 41, pad.y + 41, 21, 21, "3"};
  p.Navigation(nav, wide, true);

  p.Plate(tab, wide, plateHeight);
  const int32_t tabPicture = p.RememberPicture(panels::JoinPath("HG_bild", "tabtast.bmp"));
  p.Paste(tab, tabPicture);
  p.Engrave(tab, 56,
            "N\xE4"
            "chste FigurNr");

  p.Plate(backspace, wide, plateHeight);
  const int32_t backspacePicture = p.RememberPicture(panels::JoinPath("HG_bild", "Rucktast.bmp"));
  p.Paste(backspace, backspacePicture);
  p.Engrave(backspace, 56, "Vorige FigurNr");

  p.Plate(pad, 8 * W + 84, 66);
  const int32_t block = p.RememberPicture(panels::JoinPath("HG_bild", "Zahlblck.bmp"));
  p.Paste(pad, block);
  const int32_t figure = p.RememberPicture(panels::JoinPath("HG_bild", "tarzan01.bmp"));
  p.Paste(pad.x + 13, pad.y + 17, figure);
  p.Engrave(pad, 72, "Richtung");
  panels::Engrave(p.n, pad.x + 72, pad.y + H0 + 7, " \xC4ndern");

  p.Record({&nav.f1, &nav.h, &nav.esc, &tab, &backspace, &upLeft, &upRight, &downLeft, &downRight});
}

// Page 3: the figure keys the help shows, each with a small picture of its
// figure, column by column, upper row first.
void PaintPage3(PagePainter& p) {
  const NavigationKeys nav = NavigationAt(12, 30, 30);
  p.Navigation(nav, 140, false);
  std::vector<Key> figures;
  int32_t i = 0;
  for (const FigureKey& figure : kFigureKeys) {
    if (figure.portrait.empty()) continue;
    const int32_t x = 220 + 85 * (i / 2);
    const int32_t y = (i % 2 == 0) ? 14 : 49;
    const Key key{x, y, 30, 30, std::string(1, static_cast<char>(figure.letter - 'A' + 'a'))};
    p.Plate(key, 74, p.layout.plateHeight);
    if (i == 0) p.RememberEmptyKey();
    p.Paste(key, p.page.buttonSlot);
    if (i == 0) {
      windows::SetFont(p.n, 0);
      windows::SetTextColour(p.n, {0, 0, 0});
    }
    windows::WriteText(p.n, x + 12, y + 7, std::string(1, figure.letter));
    const int32_t picture = p.RememberPicture(
        panels::JoinPath("HG_bild", "figur", std::string(figure.portrait) + ".bmp"));
    p.Paste(x + 40, y, picture);
    figures.push_back(key);
    ++i;
  }
  p.Record({&nav.h, &nav.f1, &nav.esc});
  for (const Key& key : figures) p.Add(key);
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
    Protokoll(std::string(layout.name) + " mit Nummer " + panels::WindowText(page.window) +
              " ist erstellt");
  }
}

// The layout and record of page 1, 2 or 3.
const PageLayout& LayoutOf(int32_t page) {
  return kPages[static_cast<size_t>(page - 1)];
}
panels::InfoPanelRecord& RecordOf(int32_t page) {
  return PanelsModule::Get().helpPages[static_cast<size_t>(page - 1)];
}

// The command procedure of page 1, 2 or 3.
std::string RunPage(int32_t page, std::string_view word) {
  switch (LookUpCommand(word, panels::kButtonCommands, panels::Command::Unknown)) {
    case panels::Command::Erstellen:
      panels::CreateHelpPage(page);
      break;
    case panels::Command::Anzeigen:
      panels::ShowHelpPage(page);
      break;
    case panels::Command::Loeschen:
      panels::DeleteHelpPage(page);
      break;
    case panels::Command::Mausklick:
      return panels::ClickHelpPage(page);
    case panels::Command::Unknown:
      break;
  }
  return "";
}

}  // namespace

void panels::CreateHelpPage(int32_t page) {
  Erstellen(LayoutOf(page), RecordOf(page));
}

void panels::ShowHelpPage(int32_t page) {
  windows::Show(RecordOf(page).window);
}

void panels::DeleteHelpPage(int32_t page) {
  const PageLayout& layout = LayoutOf(page);
  panels::InfoPanelRecord& record = RecordOf(page);
  panels::DeletePanelWindow(record.window, record.created,
                            {.firstLog = layout.deleteLogName, .lastLog = layout.name});
}

std::string panels::ClickHelpPage(int32_t page) {
  std::string answer = panels::HitButton(RecordOf(page).buttons);
  if (!answer.empty()) RequestClickPause();
  return answer;
}

void panels::ShowInfoPanel(int32_t page) {
  if (page >= 1 && page <= 3) {
    ShowHelpPage(page);
  } else {
    ShowBottomBar();
  }
}

std::string panels::ClickInfoPanel(int32_t page) {
  return page >= 1 && page <= 3 ? ClickHelpPage(page) : ClickBottomBar();
}

std::string AnzeigeHilfe1(std::string_view Aufgabe) {
  return RunPage(1, Aufgabe);
}
std::string AnzeigeHilfe2(std::string_view Aufgabe) {
  return RunPage(2, Aufgabe);
}
std::string AnzeigeHilfe3(std::string_view Aufgabe) {
  return RunPage(3, Aufgabe);
}

}  // namespace wimmel
