#include "shared/dialog.h"

#include <cstdint>
#include <limits>

#include "runtime/runtime.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel {

namespace {

// The line being typed into EingabeZeile and the last name FragTaste gave.
std::string gEingabe;
std::string gLetzteTaste;

// The box of EingabeZeile, recomputed at every call.
struct Kasten {
  int32_t x = 20, y = 20, breite = 0, hoehe = 0;
};
Kasten gKasten;

// The desktop mode as found at start-up, restored before the program ends.
struct DesktopModus {
  int32_t breite = 0, hoehe = 0, tiefe = 0;
  std::string treiber;
};
DesktopModus gDesktop;

int32_t Klemme(int64_t v) {
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(v);
}

// A filled box from (x, y) over w by h pixels.
void FuelleSchwarz(int32_t x, int32_t y, int32_t w, int32_t h) {
  rt::DrawLine(nullptr, x, y, Klemme(int64_t{x} + w - 1), Klemme(int64_t{y} + h - 1), 0xFF000000,
               2);
}

}  // namespace

std::string WarteAufTaste() {
  for (;;) {
    std::string taste = rt::ReadKey();
    if (!taste.empty()) return taste;
  }
}

std::string FragTaste() {
  for (;;) {
    std::string k = WarteAufTaste();
    std::string name;
    if (k.size() == 1) {
      char c = k[0];
      if (c >= '0' && c <= '9') {
        name = k;
      } else if (c == '-') {
        name = "-";
      } else if (c == '.' || c == ',') {
        name = ".";
      } else if (c == 8) {
        name = "#";
      } else if (c == 27) {
        name = "Esc";
      } else if (c == 13) {
        name = "Return";
      }
    }
    if (!name.empty()) {
      gLetzteTaste = name;
      return name;
    }
    int64_t zeile = int64_t{Layout().screenHeight} - FontHoehe(Settings().EingabeSchrift);
    DruckeZeileBei("Eingabe nicht zu Akzeptieren! FragTaste war:" + k, rt::Wrap32(zeile));
  }
}

std::string EingabeZeile(std::string_view prompt) {
  const int32_t font = Settings().EingabeSchrift;
  const int32_t w = FontBreite(font);
  const int32_t h = FontHoehe(font);
  gKasten.x = 20;
  gKasten.y = 20;
  gKasten.breite = Klemme(static_cast<int64_t>(prompt.size()) * w + 10);
  gKasten.hoehe = Klemme(int64_t{2} * h + 10);
  gEingabe.clear();

  FuelleSchwarz(gKasten.x, gKasten.y, gKasten.breite, gKasten.hoehe);
  MaleText(prompt, 25, 25, 0xFFFF0000, font, nullptr);
  for (;;) {
    FuelleSchwarz(gKasten.x, Klemme(int64_t{gKasten.y} + h), gKasten.breite,
                  Klemme(int64_t{gKasten.hoehe} - h));
    MaleText(gEingabe + "_", 25, Klemme(int64_t{25} + h), 0xFFFF0000, font, nullptr);
    std::string name = FragTaste();
    if (name == "-") {
      if (gEingabe.empty()) gEingabe = "-";
    } else if (name == "#") {
      if (!gEingabe.empty()) gEingabe.pop_back();
    } else if (name == ".") {
      if (gEingabe.find('.') == std::string::npos) gEingabe += ".";
    } else if (name == "Esc") {
      gEingabe.clear();
      break;
    } else if (name == "Return") {
      break;
    } else {
      gEingabe += name;
    }
  }
  return gEingabe;
}

void Protokoll(std::string_view text) {
  int32_t nummer = rt::FreeFileNumber();
  // Number 0 would print on the screen instead of the file; with every
  // number in use the line is lost, like any other failure of the log.
  if (nummer == 0) return;
  if (rt::OpenFile("wimmelprt.txt", rt::FileMode::Append, nummer) != 0) {
    rt::CloseFile(nummer);
    return;
  }
  rt::PrintLine(nummer, text);
  rt::CloseFile(nummer);
}

void GrafikTreiberInfo() {
  rt::ScreenInfo info = rt::GetScreenInfo();
  gDesktop.breite = info.width;
  gDesktop.hoehe = info.height;
  gDesktop.tiefe = info.depth;
  gDesktop.treiber = info.driver;
  rt::LocateText(16, 10);
  rt::PrintText(rt::IntToText(info.width) + "x" + rt::IntToText(info.height) + "x" +
                    rt::IntToText(info.depth),
                false);
  rt::PrintText(" Grafik-Treiber:" + info.driver, true);
}

void DesktopModusSetzen() {
  rt::SetScreenSize(gDesktop.breite, gDesktop.hoehe, gDesktop.tiefe);
}

}  // namespace wimmel
