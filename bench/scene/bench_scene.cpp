// The figure step, a turn and the figure creation on the headless display
// with the generated data, beside the same frame's work done with SDL
// surfaces (restore with SDL_BlitSurface, RLE colour-key draw, std::sort)
// and beside its floor, the same restores and draws as plain memcpy rows
// (Bound_*): a step should take at most 1.3 times its floor.
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "../../tests/scene/scene_test_support.h"
#include "control/data_folder.h"
#include "control/program.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/internal.h"
#include "scene/internal.h"
#include "scene/scene.h"
#include "shared/settings.h"

namespace rt = wimmel::rt;

namespace {

namespace fs = std::filesystem;
namespace scene = wimmel::scene;
using wimmel::Layout;
using wimmel::Settings;
namespace test = wimmel::test;

// The generated data, looked for as the program looks for it: $WIMMEL_DATA,
// else the data beside the program (a build's data folder), else the
// installed data.
std::string DataFolder() {
  const wimmel::control::DataSearch search =
      wimmel::control::FindData("", false, wimmel::control::ProgramFolder());
  return search.found.empty() ? "" : fs::canonical(search.found).string();
}

struct SceneKind {
  int32_t mode = 0, depth = 0, n = 0;
  bool operator==(const SceneKind&) const = default;
};
// The program of the scene built last; a scene of another kind gets a fresh
// program, so no table or picture of the one before is left over.
std::unique_ptr<wimmel::Program> gProgram;
SceneKind gCurrent;

bool UseScene(benchmark::State& state, int32_t mode, int32_t depth, int32_t n) {
  static const std::string data = DataFolder();
  if (data.empty()) {
    state.SkipWithError("no generated data (set WIMMEL_DATA)");
    return false;
  }
  const SceneKind kind{mode, depth, n};
  if (gProgram != nullptr && gCurrent == kind) return true;
  gProgram.reset();
  gProgram = std::make_unique<wimmel::Program>();
  fs::current_path(data);
  test::OpenScreen(mode, depth);
  Settings().FigurenAnzahl = n;
  test::BuildBackground();
  test::BuildScene();
  gCurrent = kind;
  return true;
}

void Step(benchmark::State& state, int32_t mode, int32_t depth, int32_t n) {
  if (!UseScene(state, mode, depth, n)) return;
  for (auto _ : state) {
    rt::headless::AdvanceClock(1.0);
    scene::StepFigures();
  }
  state.counters["figures"] = n;
  state.SetLabel(rt::detail::ActiveBlitters().name);
}

// The step with the keyed copiers of one level instead of the timed
// choice; skipped where the processor lacks the level.
void StepAtLevel(benchmark::State& state, int32_t mode, int32_t depth, int32_t n,
                 rt::detail::BlitLevel level, const char* copiers) {
  if (rt::detail::SelectBlitters(level).name != std::string_view(copiers)) {
    rt::detail::RestoreTimedBlitters();
    state.SkipWithError("the processor lacks this level");
    return;
  }
  Step(state, mode, depth, n);
  rt::detail::RestoreTimedBlitters();
}

void Turn(benchmark::State& state) {
  if (!UseScene(state, 21, 32, 10)) return;
  bool left = true;
  for (auto _ : state) {
    scene::TurnFigure(1, left ? scene::Direction::Left : scene::Direction::Right);
    left = !left;
  }
}

void FigurenInit1024(benchmark::State& state) {
  if (!UseScene(state, 21, 32, 1024)) return;
  for (auto _ : state) scene::CreateFigures();
}

// ---------------------------------------------------------------- floor

// One figure's rectangles as the floor copies them: where it lies on the
// screen, where that is in Hintergrund, and the current frame in its strip.
struct BoundFigure {
  uint8_t* screen = nullptr;
  const uint8_t* background = nullptr;
  const uint8_t* frames = nullptr;  // frame 0 of the strip, at the clipped column
  int32_t frameBytes = 0;           // bytes from one frame to the next
  int32_t frame = 0, lastFrame = 0;
  int32_t rowBytes = 0, rows = 0;
  int32_t stripPitch = 0;
};

// The bytes a step cannot avoid moving: every figure's 48-row rectangle of
// Hintergrund copied to the screen, then its current frame copied over it,
// all as plain opaque memcpy rows at the figures' present positions. The
// frames advance as in the step; the positions stay, which moves the same
// number of bytes through the same spread of a screen.
void Bound(benchmark::State& state, int32_t mode, int32_t depth, int32_t n) {
  if (!UseScene(state, mode, depth, n)) return;
  const wimmel::SceneLayout& g = Layout();
  rt::Image screen = rt::ScreenImage();
  rt::Image background = g.Hintergrund;
  const int32_t bpp = screen->bytesPerPixel;
  std::vector<BoundFigure> figures;
  for (int32_t i = 1; i <= n; ++i) {
    wimmel::scene::FigureView f;
    wimmel::scene::ViewFigure(i, f);
    if (f.strip == nullptr) continue;
    // Clipped to the screen and to Hintergrund as the puts clip.
    const int32_t x0 = std::max({f.x, 0, g.SzeneX0});
    const int32_t y0 = std::max({f.y, 0, g.SzeneY0});
    const int32_t x1 = std::min({f.x + f.frameW, screen->width, g.SzeneX0 + background->width});
    const int32_t y1 = std::min({f.y + f.frameH, screen->height, g.SzeneY0 + background->height});
    if (x1 <= x0 || y1 <= y0) continue;
    BoundFigure b;
    b.screen =
        screen->pixels + static_cast<size_t>(y0) * screen->pitch + static_cast<size_t>(x0) * bpp;
    b.background = background->pixels + static_cast<size_t>(y0 - g.SzeneY0) * background->pitch +
                   static_cast<size_t>(x0 - g.SzeneX0) * bpp;
    b.frames = f.strip->pixels + static_cast<size_t>(y0 - f.y) * f.strip->pitch +
               static_cast<size_t>(x0 - f.x) * bpp;
    b.frameBytes = f.frameW * bpp;
    b.frame = f.frame;
    b.lastFrame = f.lastFrame;
    b.rowBytes = (x1 - x0) * bpp;
    b.rows = y1 - y0;
    b.stripPitch = f.strip->pitch;
    figures.push_back(b);
  }
  const auto screenPitch = static_cast<size_t>(screen->pitch);
  const auto backgroundPitch = static_cast<size_t>(background->pitch);
  for (auto _ : state) {
    for (BoundFigure& b : figures) {
      uint8_t* d = b.screen;
      const uint8_t* s = b.background;
      for (int32_t row = 0; row < b.rows; ++row, d += screenPitch, s += backgroundPitch) {
        std::memcpy(d, s, static_cast<size_t>(b.rowBytes));
      }
      b.frame = b.frame >= b.lastFrame ? 0 : b.frame + 1;
    }
    for (const BoundFigure& b : figures) {
      uint8_t* d = b.screen;
      const uint8_t* s = b.frames + static_cast<size_t>(b.frame) * b.frameBytes;
      for (int32_t row = 0; row < b.rows; ++row, d += screenPitch, s += b.stripPitch) {
        std::memcpy(d, s, static_cast<size_t>(b.rowBytes));
      }
    }
    benchmark::ClobberMemory();
  }
  state.counters["figures"] = static_cast<double>(figures.size());
}

// ---------------------------------------------------------------- SDL

struct SdlFigure {
  SDL_Surface* strip = nullptr;
  int32_t x = 0, y = 0, sx = 0, sy = 0, frame = 0, lastFrame = 0, w = 48, h = 48;
};

struct SdlScene {
  SDL_Surface* screen = nullptr;
  SDL_Surface* background = nullptr;
  std::vector<SdlFigure> figures;
  std::vector<SDL_Surface*> owned;
};

SDL_Surface* AsSurface(rt::Image image, uint32_t format) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(
      image->pixels, image->width, image->height, image->bytesPerPixel * 8, image->pitch, format);
  SDL_Surface* copy = SDL_ConvertSurfaceFormat(s, format, 0);
  SDL_FreeSurface(s);
  return copy;
}

// The current figures of the program's scene as SDL surfaces: each figure
// owns its strip (loaded from its picture file), or, with shared, the
// figures of one picture share one surface.
SdlScene SdlBuild(bool shared) {
  SdlScene s;
  const uint32_t format =
      rt::GetScreenInfo().bytesPerPixel == 2 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_ARGB8888;
  s.screen = AsSurface(rt::ScreenImage(), format);
  s.background = AsSurface(Layout().Hintergrund, format);
  std::map<std::string, SDL_Surface*> byFile;
  for (int32_t i = 1; i <= Settings().FigurenAnzahl; ++i) {
    wimmel::scene::FigureView f;
    wimmel::scene::ViewFigure(i, f);
    SdlFigure g;
    std::string path = f.fileName;
    std::replace(path.begin(), path.end(), '\\', '/');
    SDL_Surface*& common = byFile[path];
    if (!shared || common == nullptr) {
      SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
      SDL_Surface* strip = SDL_ConvertSurfaceFormat(loaded, format, 0);
      SDL_FreeSurface(loaded);
      SDL_SetColorKey(strip, SDL_TRUE, SDL_MapRGB(strip->format, 255, 0, 255));
      SDL_SetSurfaceRLE(strip, 1);
      s.owned.push_back(strip);
      common = strip;
    }
    g.strip = common;
    g.x = f.x;
    g.y = f.y;
    g.sx = f.SchrittX;
    g.sy = f.SchrittY;
    g.frame = f.frame;
    g.lastFrame = f.lastFrame;
    s.figures.push_back(g);
  }
  return s;
}

void SdlTearDown(SdlScene& s) {
  for (SDL_Surface* f : s.owned) SDL_FreeSurface(f);
  SDL_FreeSurface(s.background);
  SDL_FreeSurface(s.screen);
}

void SdlDrawFrame(SdlScene& s, std::vector<std::pair<int32_t, int32_t>>& order) {
  const wimmel::SceneLayout& g = Layout();
  for (size_t i = 0; i < s.figures.size(); ++i) {
    SdlFigure& f = s.figures[i];
    SDL_Rect source{f.x - g.SzeneX0, f.y - g.SzeneY0, f.w, f.h};
    SDL_Rect target{f.x, f.y, f.w, f.h};
    SDL_BlitSurface(s.background, &source, s.screen, &target);
    f.frame = f.frame >= f.lastFrame ? 0 : f.frame + 1;
    f.x += f.sx;
    f.y += f.sy;
    if (f.x + f.w > g.SzeneX1) f.sx = -std::abs(f.sx);
    if (f.y + f.h > g.SzeneY1) f.sy = -std::abs(f.sy);
    if (f.x <= g.SzeneX0 + 1) f.sx = std::abs(f.sx);
    if (f.y <= g.SzeneY0 + 1) f.sy = std::abs(f.sy);
    order[i] = {f.y + f.h / 2, static_cast<int32_t>(i)};
  }
  std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a > b; });
  for (const auto& [key, i] : order) {
    const SdlFigure& f = s.figures[static_cast<size_t>(i)];
    SDL_Rect source{f.w * f.frame, 0, f.w, f.h};
    SDL_Rect target{f.x, f.y, f.w, f.h};
    SDL_BlitSurface(f.strip, &source, s.screen, &target);
  }
}

void SdlFrame(benchmark::State& state, int32_t mode, int32_t depth, bool shared) {
  if (!UseScene(state, mode, depth, 1024)) return;
  SdlScene s = SdlBuild(shared);
  std::vector<std::pair<int32_t, int32_t>> order(s.figures.size());
  SdlDrawFrame(s, order);  // the first blit builds the RLE data
  for (auto _ : state) SdlDrawFrame(s, order);
  SdlTearDown(s);
}

void Register() {
  struct Mode {
    const char* name;
    int32_t mode, depth;
  };
  for (const Mode m : {Mode{"640x480x16", 18, 16}, Mode{"1280x1024x32", 21, 32}}) {
    for (int32_t n : {10, 100, 1024}) {
      benchmark::RegisterBenchmark(("Step_" + std::to_string(n) + "_" + m.name).c_str(),
                                   [=](benchmark::State& st) { Step(st, m.mode, m.depth, n); })
          ->Unit(benchmark::kMicrosecond);
    }
    struct Level {
      const char* name;
      rt::detail::BlitLevel level;
      const char* copiers;
    };
    for (const Level l : {Level{"Avx2", rt::detail::BlitLevel::Avx2, "avx2"},
                          Level{"Avx512", rt::detail::BlitLevel::Avx512, "avx512"}}) {
      benchmark::RegisterBenchmark(
          ("Step_1024_" + std::string(m.name) + "_" + l.name).c_str(),
          [=](benchmark::State& st) { StepAtLevel(st, m.mode, m.depth, 1024, l.level, l.copiers); })
          ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark(("Bound_1024_" + std::string(m.name)).c_str(),
                                 [=](benchmark::State& st) { Bound(st, m.mode, m.depth, 1024); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(
        ("SdlFrame_1024_" + std::string(m.name)).c_str(),
        [=](benchmark::State& st) { SdlFrame(st, m.mode, m.depth, false); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("SdlFrameShared_1024_" + std::string(m.name)).c_str(),
                                 [=](benchmark::State& st) { SdlFrame(st, m.mode, m.depth, true); })
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("Turn", Turn)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("FigurenInit_1024", FigurenInit1024)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(10);
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gProgram.reset();
  return 0;
}
