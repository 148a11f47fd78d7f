// The figure step, a turn and the figure creation on the headless display
// with the generated data, beside the same frame's work done with SDL
// surfaces (restore with SDL_BlitSurface, RLE colour-key draw, std::sort).
#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "../../tests/scene/szene_hilfe.h"
#include "control/program.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "scene/intern.h"
#include "scene/scene.h"
#include "shared/settings.h"

namespace rt = wimmel::rt;

namespace {

namespace fs = std::filesystem;
using wimmel::Figur;
using wimmel::Layout;
using wimmel::Settings;

// The generated data: WIMMEL_DATA_DIR, else <folder of the executable>/../data,
// else the build's data folder.
std::string DatenOrdner() {
  std::vector<fs::path> kandidaten;
  if (const char* env = std::getenv("WIMMEL_DATA_DIR")) kandidaten.emplace_back(env);
  std::error_code fehler;
  const fs::path exe = fs::read_symlink("/proc/self/exe", fehler);
  if (!fehler) kandidaten.push_back(exe.parent_path() / ".." / "data");
  kandidaten.emplace_back(WIMMEL_DATA_DIR);
  for (const fs::path& p : kandidaten) {
    if (fs::is_directory(p / "figure") && fs::exists(p / "HG_bild" / "Karogrun.bmp")) {
      return fs::canonical(p).string();
    }
  }
  return "";
}

struct Szenenart {
  int32_t modus = 0, tiefe = 0, n = 0;
  bool operator==(const Szenenart&) const = default;
};
Szenenart gAktuell;

bool SceneLayout(benchmark::State& state, int32_t modus, int32_t tiefe, int32_t n) {
  static const std::string daten = DatenOrdner();
  if (daten.empty()) {
    state.SkipWithError("no generated data (set WIMMEL_DATA_DIR)");
    return false;
  }
  const Szenenart art{modus, tiefe, n};
  if (gAktuell == art) return true;
  fs::current_path(daten);
  testhilfe::Bildschirm(modus, tiefe);
  testhilfe::SzeneAufraeumen();
  Settings().FigurenAnzahl = n;
  testhilfe::BaueHintergrund();
  testhilfe::BaueSzene();
  gAktuell = art;
  return true;
}

void Step(benchmark::State& state, int32_t modus, int32_t tiefe, int32_t n) {
  if (!SceneLayout(state, modus, tiefe, n)) return;
  for (auto _ : state) {
    rt::headless::AdvanceClock(1.0);
    Figur("LaufEinSchritt", 1, 200, 200, "");
  }
  state.counters["figures"] = n;
}

void Turn(benchmark::State& state) {
  if (!SceneLayout(state, 21, 32, 10)) return;
  bool links = true;
  for (auto _ : state) {
    Figur(links ? "RichtungLinks" : "RichtungRechts", 1, 0, 0, "");
    links = !links;
  }
}

void FigurenInit1024(benchmark::State& state) {
  if (!SceneLayout(state, 21, 32, 1024)) return;
  for (auto _ : state) Figur("FigurenInit", 0, 0, 0, "AufloesungFragen");
}

// ---------------------------------------------------------------- SDL

struct SdlFigur {
  SDL_Surface* strip = nullptr;
  int32_t x = 0, y = 0, sx = 0, sy = 0, frame = 0, lastFrame = 0, w = 48, h = 48;
};

struct SdlSzene {
  SDL_Surface* bildschirm = nullptr;
  SDL_Surface* grund = nullptr;
  std::vector<SdlFigur> figuren;
  std::vector<SDL_Surface*> eigene;
};

SDL_Surface* AlsFlaeche(rt::Image bild, uint32_t format) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(bild->pixels, bild->width, bild->height,
                                                      bild->bytesPerPixel * 8, bild->pitch, format);
  SDL_Surface* kopie = SDL_ConvertSurfaceFormat(s, format, 0);
  SDL_FreeSurface(s);
  return kopie;
}

// The current figures of the program's scene as SDL surfaces: each figure
// owns its strip (loaded from its picture file), or, with geteilt, the
// figures of one picture share one surface.
SdlSzene SdlAufbauen(bool geteilt) {
  SdlSzene s;
  const uint32_t format =
      rt::GetScreenInfo().bytesPerPixel == 2 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_ARGB8888;
  s.bildschirm = AlsFlaeche(rt::ScreenImage(), format);
  s.grund = AlsFlaeche(Layout().Hintergrund, format);
  std::map<std::string, SDL_Surface*> nach_datei;
  for (int32_t i = 1; i <= Settings().FigurenAnzahl; ++i) {
    wimmel::scene::FigurEinblick f;
    wimmel::scene::FigurAnsehen(i, f);
    SdlFigur g;
    std::string pfad = f.fileName;
    std::replace(pfad.begin(), pfad.end(), '\\', '/');
    SDL_Surface*& gemeinsam = nach_datei[pfad];
    if (!geteilt || gemeinsam == nullptr) {
      SDL_Surface* geladen = SDL_LoadBMP(pfad.c_str());
      SDL_Surface* strip = SDL_ConvertSurfaceFormat(geladen, format, 0);
      SDL_FreeSurface(geladen);
      SDL_SetColorKey(strip, SDL_TRUE, SDL_MapRGB(strip->format, 255, 0, 255));
      SDL_SetSurfaceRLE(strip, 1);
      s.eigene.push_back(strip);
      gemeinsam = strip;
    }
    g.strip = gemeinsam;
    g.x = f.x;
    g.y = f.y;
    g.sx = f.SchrittX;
    g.sy = f.SchrittY;
    g.frame = f.frame;
    g.lastFrame = f.lastFrame;
    s.figuren.push_back(g);
  }
  return s;
}

void SdlAbbauen(SdlSzene& s) {
  for (SDL_Surface* f : s.eigene) SDL_FreeSurface(f);
  SDL_FreeSurface(s.grund);
  SDL_FreeSurface(s.bildschirm);
}

void SdlBild(SdlSzene& s, std::vector<std::pair<int32_t, int32_t>>& folge) {
  const wimmel::SceneLayout& g = Layout();
  for (size_t i = 0; i < s.figuren.size(); ++i) {
    SdlFigur& f = s.figuren[i];
    SDL_Rect quelle{f.x - g.SzeneX0, f.y - g.SzeneY0, f.w, f.h};
    SDL_Rect ziel{f.x, f.y, f.w, f.h};
    SDL_BlitSurface(s.grund, &quelle, s.bildschirm, &ziel);
    f.frame = f.frame >= f.lastFrame ? 0 : f.frame + 1;
    f.x += f.sx;
    f.y += f.sy;
    if (f.x + f.w > g.SzeneX1) f.sx = -std::abs(f.sx);
    if (f.y + f.h > g.SzeneY1) f.sy = -std::abs(f.sy);
    if (f.x <= g.SzeneX0 + 1) f.sx = std::abs(f.sx);
    if (f.y <= g.SzeneY0 + 1) f.sy = std::abs(f.sy);
    folge[i] = {f.y + f.h / 2, static_cast<int32_t>(i)};
  }
  std::sort(folge.begin(), folge.end(), [](const auto& a, const auto& b) { return a > b; });
  for (const auto& [schluessel, i] : folge) {
    const SdlFigur& f = s.figuren[static_cast<size_t>(i)];
    SDL_Rect quelle{f.w * f.frame, 0, f.w, f.h};
    SDL_Rect ziel{f.x, f.y, f.w, f.h};
    SDL_BlitSurface(f.strip, &quelle, s.bildschirm, &ziel);
  }
}

void SdlFrame(benchmark::State& state, int32_t modus, int32_t tiefe, bool geteilt) {
  if (!SceneLayout(state, modus, tiefe, 1024)) return;
  SdlSzene s = SdlAufbauen(geteilt);
  std::vector<std::pair<int32_t, int32_t>> folge(s.figuren.size());
  SdlBild(s, folge);  // the first blit builds the RLE data
  for (auto _ : state) SdlBild(s, folge);
  SdlAbbauen(s);
}

void Registrieren() {
  struct Modus {
    const char* name;
    int32_t modus, tiefe;
  };
  for (const Modus m : {Modus{"640x480x16", 18, 16}, Modus{"1280x1024x32", 21, 32}}) {
    for (int32_t n : {10, 100, 1024}) {
      benchmark::RegisterBenchmark(("Step_" + std::to_string(n) + "_" + m.name).c_str(),
                                   [=](benchmark::State& st) { Step(st, m.modus, m.tiefe, n); })
          ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark(
        ("SdlFrame_1024_" + std::string(m.name)).c_str(),
        [=](benchmark::State& st) { SdlFrame(st, m.modus, m.tiefe, false); })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(
        ("SdlFrameShared_1024_" + std::string(m.name)).c_str(),
        [=](benchmark::State& st) { SdlFrame(st, m.modus, m.tiefe, true); })
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::RegisterBenchmark("Turn", Turn)->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("FigurenInit_1024", FigurenInit1024)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(10);
}

}  // namespace

int main(int argc, char** argv) {
  wimmel::Program program;
  Registrieren();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
