#include "panels/parts.h"

#include <algorithm>

#include "panels/panels.h"
#include "runtime/owned_impl.h"
#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "windows/fenster.h"

namespace wimmel::panels {

std::string SendWindow(std::string_view word, int32_t nr, int32_t w1, int32_t w2, int32_t w3,
                       int32_t w4, std::string_view text) {
  return Fenster(word, nr, w1, w2, w3, w4, text);
}

int32_t NumberOf(std::string_view text) {
  return rt::RoundToInt(rt::TextToNumber(text));
}

std::string JoinPath(std::string_view folder, std::string_view file) {
  return std::string(folder) + Settings().Trenner + std::string(file);
}

std::string JoinPath(std::string_view folder, std::string_view subfolder, std::string_view file) {
  return JoinPath(folder, subfolder) + Settings().Trenner + std::string(file);
}

std::string HitButton(const std::vector<Button>& buttons) {
  const int64_t mx = Settings().MausX, my = Settings().MausY;
  std::string answer;
  for (const Button& b : buttons) {
    if (b.x <= mx && mx <= int64_t{b.x} + b.right && b.y <= my && my <= int64_t{b.y} + b.down) {
      answer = b.answer;
    }
  }
  return answer;
}

InfoArea ComputeInfoArea() {
  const SceneLayout& s = Layout();
  InfoArea a;
  a.X0 = 0;
  // The last scene row, but never closer than 50 rows to the screen bottom.
  const int64_t sceneEnd = int64_t{s.SzeneY0} + s.height - 1;
  a.Y0 = rt::Wrap32(std::min<int64_t>(sceneEnd, int64_t{s.screenHeight} - 50));
  a.width = rt::Wrap32(int64_t{s.screenWidth} - 1);
  a.height = rt::Wrap32(int64_t{s.screenHeight} - a.Y0);
  return a;
}

std::string OpenPanelWindow(int32_t x, int32_t y, int32_t width, int32_t height,
                            std::string_view name, std::string_view title, int32_t frameDistance) {
  const std::string number = SendWindow("Erstellen", 0, 0, 0, 0, 0, name);
  const int32_t n = NumberOf(number);
  SendWindow("SetzTitel", n, 1, 0, 0, 0, std::string(title) + number);
  SendWindow("SetzXY", n, x, y);
  SendWindow("SetzGrundfarbe", n, 0, 0, 0);
  SendWindow("SetzRahmenfarbe", n, 100, 100, 100);
  SendWindow("SetzGroesse", n, width, height);
  SendWindow("SetzRahmenAbstand", n, frameDistance, frameDistance);
  SendWindow("FUELLDATEIMUSTER", n, 50, 45, 0, 0, JoinPath("pattern", "maskiert.bmp"));
  return number;
}

void WriteBlack(int32_t n, int32_t x, int32_t y, std::string_view text, int32_t width) {
  SendWindow("SetzSchriftfarbe", n, 0, 0, 0);
  SendWindow("SchreibText", n, x, y, width, 0, text);
}

void Engrave(int32_t n, int32_t x, int32_t y, std::string_view text) {
  SendWindow("SetzSchriftfarbe", n, 96, 96, 96);
  SendWindow("SchreibGravText", n, x, y, 60, 0, text);
}

void DeletePanelWindow(std::string& windowNumber, int32_t& exists, const DeletionNames& names) {
  if (LogIsOn()) {
    Protokoll(std::string(names.firstLog) + " mit Nummer " + windowNumber + " wird geloescht");
  }
  SendWindow("LoescheFenster", NumberOf(windowNumber), 0, 0, 0, 0, names.window);
  windowNumber.clear();
  exists = 0;
  if (LogIsOn()) Protokoll(std::string(names.lastLog) + " ist geloescht");
}

}  // namespace wimmel::panels

namespace wimmel {
template class Owned<panels::PanelState>;
}  // namespace wimmel
