#include "panels/parts.h"

#include <algorithm>

#include "panels/panels.h"
#include "runtime/owned_impl.h"
#include "runtime/runtime.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "windows/fenster.h"

namespace wimmel::panels {

std::string WindowText(int32_t window) {
  return window == windows::kNoWindow ? std::string() : rt::IntToText(window);
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

int32_t OpenPanelWindow(int32_t x, int32_t y, int32_t width, int32_t height, std::string_view name,
                        std::string_view title, int32_t frameDistance) {
  const int32_t n = windows::Create(name);
  windows::SetTitle(n, std::string(title) + WindowText(n), windows::Title::Hidden);
  windows::SetPosition(n, x, y);
  windows::SetBaseColour(n, {0, 0, 0});
  windows::SetFrameColour(n, {100, 100, 100});
  windows::SetSize(n, width, height);
  windows::SetFrameDistance(n, frameDistance, frameDistance);
  windows::FillWithPattern(n, JoinPath("pattern", "maskiert.bmp"));
  return n;
}

void WriteBlack(int32_t n, int32_t x, int32_t y, std::string_view text) {
  windows::SetTextColour(n, {0, 0, 0});
  windows::WriteText(n, x, y, text);
}

void Engrave(int32_t n, int32_t x, int32_t y, std::string_view text) {
  windows::SetTextColour(n, {96, 96, 96});
  windows::WriteEngravedText(n, x, y, 60, text);
}

void DeletePanelWindow(int32_t& window, int32_t& exists, const DeletionNames& names) {
  if (LogIsOn()) {
    Protokoll(std::string(names.firstLog) + " mit Nummer " + WindowText(window) +
              " wird geloescht");
  }
  windows::Delete(window);
  window = windows::kNoWindow;
  exists = 0;
  if (LogIsOn()) Protokoll(std::string(names.lastLog) + " ist geloescht");
}

}  // namespace wimmel::panels

namespace wimmel {
template class Owned<panels::PanelState>;
}  // namespace wimmel
