// 48 x 48 figure sprites put on a 1280 x 1024 screen: the runtime's
// transparent and opaque puts beside SDL's RLE colour-key blit of the same
// sprite and beside plain per-row memcpy. The headline pairs use the keyed
// copies the runtime chose by timing, at scattered places; the variants take each
// copier level (_Sse2, _Avx2, _Avx512), the copier without PutImage around
// it (CopierAlone), and one place instead of scattered ones (_One), which
// together tell what the ratio to SDL depends on.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/internal.h"
#include "runtime/owned_image.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

namespace {

constexpr int kSide = 48;
constexpr int kScreenW = 1280;
constexpr int kScreenH = 1024;
constexpr int kPositions = 1024;

struct Pos {
  int x, y;
};

const std::vector<Pos>& Positions() {
  static const std::vector<Pos> positions = [] {
    std::vector<Pos> p;
    uint32_t s = 12345;
    auto next = [&s] {
      s = s * 1664525u + 1013904223u;
      return s >> 8;
    };
    for (int i = 0; i < kPositions; ++i) {
      p.push_back({static_cast<int>(next() % (kScreenW - kSide)),
                   static_cast<int>(next() % (kScreenH - kSide))});
    }
    return p;
  }();
  return positions;
}

// A walking figure: head, body, two legs; the rest magenta. About half of
// the square is transparent, in runs of varying length on every row.
bool Inside(int x, int y) {
  auto in = [](double dx, double dy, double rx, double ry) {
    return (dx * dx) / (rx * rx) + (dy * dy) / (ry * ry) <= 1.0;
  };
  const bool head = in(x - 24, y - 8, 8, 8);
  const bool body = in(x - 24, y - 25, 13, 12);
  const bool legL = y >= 33 && x >= 12 && x <= 20 - (y - 33) / 4;
  const bool legR = y >= 33 && x >= 28 + (y - 33) / 4 && x <= 36;
  const bool arm = y >= 17 && y <= 21 && x >= 4 && x <= 44;
  return head || body || legL || legR || arm;
}

uint32_t SpriteColour(int x, int y) {
  return Inside(x, y) ? (0x203040u + static_cast<uint32_t>(x * 0x030201 + y * 0x010203)) & 0xFFFFFF
                      : 0xFF00FF;
}

rt::OwnedImage MakeSprite(int depth) {
  if (rt::SetScreenMode(21, depth, 0, 1, 0) != 0) std::abort();
  rt::OwnedImage sprite(rt::CreateImage(kSide, kSide, 0));
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) rt::SetPixel(sprite, x, y, SpriteColour(x, y));
  }
  return sprite;
}

// Where the puts land: always the same place (the sprite's target rows stay
// in the first-level cache; how fast a copier is there also depends on the
// distance modulo 4096 between sprite and target, which the heap decides)
// or scattered over the whole screen (5 MB at 32 bits, more than the
// second-level cache holds), as the figures of a full scene are.
enum class Where { One, Scattered };

// The i-th place; positions is Positions(), fetched before the timed loop so
// that the loop does not pay for the guard of its static.
Pos PositionAt(const std::vector<Pos>& positions, Where where, size_t i) {
  if (where == Where::One) return Pos{600, 500};
  return positions[i & (kPositions - 1)];
}

// The copiers the runtime chose by timing (no level), or of one level.
struct Copiers {
  bool chosen = true;
  rt::detail::BlitLevel level = rt::detail::BlitLevel::Best;
  const char* name = "";  // the copiers' own name for that level
};

void Put(benchmark::State& state, int depth, rt::PutMode mode, Copiers copiers, Where where) {
  if (!copiers.chosen) {
    // A processor without this level falls back to a lower one, which has a
    // benchmark of its own.
    if (rt::detail::SelectBlitters(copiers.level).name != std::string_view(copiers.name)) {
      rt::detail::RestoreTimedBlitters();
      state.SkipWithError("the processor lacks this level");
      return;
    }
  }
  const rt::OwnedImage sprite = MakeSprite(depth);
  const std::vector<Pos>& positions = Positions();
  size_t i = 0;
  rt::LockScreen();  // the figure step draws inside one lock bracket
  for (auto _ : state) {
    const Pos p = PositionAt(positions, where, i++);
    benchmark::DoNotOptimize(rt::PutImage(nullptr, p.x, p.y, sprite, 0, 0, kSide, kSide, mode));
    benchmark::ClobberMemory();
  }
  rt::UnlockScreen();
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(rt::detail::ActiveBlitters().name);
  rt::detail::RestoreTimedBlitters();
}

// The timed choice's keyed copier called directly, without PutImage's
// clipping, lock and change marking: what the put itself adds.
void CopierAlone(benchmark::State& state, int depth, Where where) {
  const rt::OwnedImage sprite = MakeSprite(depth);
  rt::Image screen = rt::ScreenImage();
  const int bpp = sprite->bytesPerPixel;
  const rt::detail::RectCopy copy =
      bpp == 2 ? rt::detail::ActiveBlitters().keyed16 : rt::detail::ActiveBlitters().keyed32;
  const std::vector<Pos>& positions = Positions();
  size_t i = 0;
  for (auto _ : state) {
    const Pos p = PositionAt(positions, where, i++);
    uint8_t* d = screen->pixels + static_cast<size_t>(p.y) * screen->pitch + p.x * bpp;
    copy(d, screen->pitch, sprite->pixels, sprite->pitch, kSide, kSide);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  state.SetLabel(rt::detail::ActiveBlitters().name);
}

void MemcpyRows(benchmark::State& state, int depth, Where where) {
  const rt::OwnedImage sprite = MakeSprite(depth);
  rt::Image screen = rt::ScreenImage();
  const int bpp = sprite->bytesPerPixel;
  const std::vector<Pos>& positions = Positions();
  size_t i = 0;
  for (auto _ : state) {
    const Pos p = PositionAt(positions, where, i++);
    uint8_t* d = screen->pixels + static_cast<size_t>(p.y) * screen->pitch + p.x * bpp;
    const uint8_t* s = sprite->pixels;
    for (int row = 0; row < kSide; ++row) {
      std::memcpy(d, s, static_cast<size_t>(kSide) * bpp);
      d += screen->pitch;
      s += sprite->pitch;
    }
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
}

void SdlRle(benchmark::State& state, int depth, Where where) {
  const Uint32 format = depth == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_ARGB8888;
  SDL_Surface* sprite = SDL_CreateRGBSurfaceWithFormat(0, kSide, kSide, depth, format);
  SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, kScreenW, kScreenH, depth, format);
  if (!sprite || !screen) {
    state.SkipWithError("SDL surfaces");
    return;
  }
  for (int y = 0; y < kSide; ++y) {
    uint8_t* row = static_cast<uint8_t*>(sprite->pixels) + y * sprite->pitch;
    for (int x = 0; x < kSide; ++x) {
      const uint32_t c = SpriteColour(x, y);
      if (depth == 16) {
        reinterpret_cast<uint16_t*>(row)[x] = rt::To565(c);
      } else {
        reinterpret_cast<uint32_t*>(row)[x] = c;
      }
    }
  }
  SDL_SetSurfaceBlendMode(sprite, SDL_BLENDMODE_NONE);
  SDL_SetColorKey(sprite, SDL_TRUE, depth == 16 ? 0xF81F : 0xFF00FF);
  SDL_SetSurfaceRLE(sprite, 1);
  // One blit onto black shows whether SDL honours the key as intended: the
  // corner pixel of the sprite is magenta and must stay black.
  SDL_FillRect(screen, nullptr, 0);
  SDL_Rect probe{0, 0, kSide, kSide};
  SDL_BlitSurface(sprite, nullptr, screen, &probe);
  const uint32_t corner = depth == 16 ? *static_cast<uint16_t*>(screen->pixels)
                                      : *static_cast<uint32_t*>(screen->pixels);
  if (corner != 0) state.SkipWithError("SDL did not apply the colour key");
  const std::vector<Pos>& positions = Positions();
  size_t i = 0;
  for (auto _ : state) {
    const Pos p = PositionAt(positions, where, i++);
    SDL_Rect dst{p.x, p.y, kSide, kSide};
    benchmark::DoNotOptimize(SDL_BlitSurface(sprite, nullptr, screen, &dst));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations());
  SDL_FreeSurface(sprite);
  SDL_FreeSurface(screen);
}

void Register() {
  using rt::detail::BlitLevel;
  struct Place {
    const char* name;
    Where where;
  };
  struct Level {
    const char* name;
    BlitLevel level;
    const char* copiers;
  };
  const Place places[] = {{"", Where::Scattered}, {"_One", Where::One}};
  const Level levels[] = {{"Sse2", BlitLevel::Sse2, "sse2"},
                          {"Avx2", BlitLevel::Avx2, "avx2"},
                          {"Avx512", BlitLevel::Avx512, "avx512"}};
  // The headline pairs first: the timed choice against SDL's RLE blit at
  // scattered places; then each level and the one-place pattern, which tell
  // what the ratio depends on.
  for (const int depth : {32, 16}) {
    const std::string d = std::to_string(depth);
    for (const Place& p : places) {
      benchmark::RegisterBenchmark(
          ("PutTransparent" + d + p.name).c_str(),
          [=](benchmark::State& st) { Put(st, depth, rt::PutMode::Transparent, {}, p.where); });
      benchmark::RegisterBenchmark(("SdlRleBlit" + d + p.name).c_str(),
                                   [=](benchmark::State& st) { SdlRle(st, depth, p.where); });
      benchmark::RegisterBenchmark(("CopierAlone" + d + p.name).c_str(),
                                   [=](benchmark::State& st) { CopierAlone(st, depth, p.where); });
      for (const Level& l : levels) {
        benchmark::RegisterBenchmark(
            ("PutTransparent" + d + "_" + l.name + p.name).c_str(), [=](benchmark::State& st) {
              Put(st, depth, rt::PutMode::Transparent, {false, l.level, l.copiers}, p.where);
            });
      }
    }
  }
  for (const int depth : {32, 16}) {
    const std::string d = std::to_string(depth);
    benchmark::RegisterBenchmark(("PutOpaque" + d).c_str(), [=](benchmark::State& st) {
      Put(st, depth, rt::PutMode::Opaque, {}, Where::Scattered);
    });
    benchmark::RegisterBenchmark(("MemcpyRows" + d).c_str(), [=](benchmark::State& st) {
      MemcpyRows(st, depth, Where::Scattered);
    });
  }
}

}  // namespace

int main(int argc, char** argv) {
  rt::Runtime runtime;
  Register();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
