// Shared by the window and panel tests: a headless screen whose console
// lines are collected, a scratch folder to work in, a small BMP writer and
// a scripted key for code that waits on one.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"

namespace rt = wimmel::rt;

namespace testhilfe {

// Finished console lines since the last Leeren().
struct Konsole {
  std::vector<std::string> zeilen;
  std::string offen;
  void Leeren() {
    zeilen.clear();
    offen.clear();
  }
  bool Enthaelt(std::string_view zeile) const {
    for (const std::string& z : zeilen) {
      if (z == zeile) return true;
    }
    return false;
  }
};

inline Konsole& K() {
  static Konsole k;
  return k;
}

// Counts key polls; pushes a blank on the `nach`-th poll, so code that waits
// for a key gets one after it has really been waiting. A wait that never
// ends would hang the test, so after a generous limit a key comes anyway
// and the count tells the test it went wrong.
struct Tastenskript {
  int polls = 0;
  int nach = 3;
  int gedrueckt = 0;
};

inline Tastenskript& T() {
  static Tastenskript t;
  return t;
}

inline void TasteNach(int nach) {
  T().polls = 0;
  T().nach = nach;
  T().gedrueckt = 0;
}

// Opens a headless screen: mode 18 = 640x480, 19 = 800x600, 21 = 1280x1024.
inline void BildschirmOeffnen(int32_t modus, int32_t tiefe) {
  rt::HeadlessConfig cfg;
  cfg.onConsole = [](std::string_view text, bool newline) {
    K().offen += std::string(text);
    if (newline) {
      K().zeilen.push_back(K().offen);
      K().offen.clear();
    }
  };
  cfg.onPoll = [] {
    Tastenskript& t = T();
    ++t.polls;
    if (t.polls == t.nach || t.polls % 100000 == 0) {
      rt::headless::PushKey(' ');
      ++t.gedrueckt;
    }
  };
  rt::headless::Install(cfg);
  ASSERT_EQ(rt::SetScreenMode(modus, tiefe, 0, 1, 0), 0);
  TasteNach(3);
}

// The screen pixel without the top byte (32-bit screens keep 0xRRGGBB there).
inline uint32_t Pixel(int32_t x, int32_t y) {
  return rt::GetPixel(rt::ScreenImage(), x, y) & 0xFFFFFFu;
}

// A colour as the current screen stores it, for comparisons with Pixel().
inline uint32_t Gespeichert(uint32_t farbe) {
  if (rt::GetScreenInfo().bytesPerPixel == 2) return rt::To565(farbe);
  return farbe & 0xFFFFFFu;
}

// Fills the screen with one colour, so untouched pixels are recognisable.
inline void BildschirmFuellen(uint32_t farbe) {
  const rt::ScreenInfo info = rt::GetScreenInfo();
  rt::DrawLine(nullptr, 0, 0, info.width - 1, info.height - 1, farbe, 2);
}

// Writes a 24-bit BMP; farbe(x, y) gives 0xRRGGBB for the pixel, top row y = 0.
inline void SchreibeBmp(const std::filesystem::path& pfad, int32_t w, int32_t h,
                        const std::function<uint32_t(int32_t, int32_t)>& farbe) {
  std::filesystem::create_directories(pfad.parent_path().empty() ? "." : pfad.parent_path());
  const int32_t zeile = (w * 3 + 3) / 4 * 4;
  const uint32_t groesse = 54 + static_cast<uint32_t>(zeile) * static_cast<uint32_t>(h);
  std::vector<uint8_t> d(groesse, 0);
  auto le32 = [&d](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  d[0] = 'B';
  d[1] = 'M';
  le32(2, groesse);
  le32(10, 54);
  le32(14, 40);
  le32(18, static_cast<uint32_t>(w));
  le32(22, static_cast<uint32_t>(h));
  d[26] = 1;
  d[28] = 24;
  for (int32_t y = 0; y < h; ++y) {
    const size_t reihe = 54 + static_cast<size_t>(h - 1 - y) * zeile;
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t c = farbe(x, y);
      d[reihe + x * 3 + 0] = static_cast<uint8_t>(c);
      d[reihe + x * 3 + 1] = static_cast<uint8_t>(c >> 8);
      d[reihe + x * 3 + 2] = static_cast<uint8_t>(c >> 16);
    }
  }
  std::ofstream(pfad, std::ios::binary).write(reinterpret_cast<const char*>(d.data()), d.size());
}

inline void SchreibeEinfarbig(const std::filesystem::path& pfad, int32_t w, int32_t h,
                              uint32_t farbe) {
  SchreibeBmp(pfad, w, h, [farbe](int32_t, int32_t) { return farbe; });
}

// A fresh scratch folder that is the working directory while it lives.
class Arbeitsordner {
 public:
  Arbeitsordner() : vorher_(std::filesystem::current_path()) {
    std::string muster = (std::filesystem::temp_directory_path() / "wimmel-XXXXXX").string();
    pfad_ = mkdtemp(muster.data());
    std::filesystem::current_path(pfad_);
  }
  ~Arbeitsordner() {
    std::filesystem::current_path(vorher_);
    std::error_code fehler;
    std::filesystem::remove_all(pfad_, fehler);
  }
  const std::filesystem::path& Pfad() const { return pfad_; }

 private:
  std::filesystem::path vorher_;
  std::filesystem::path pfad_;
};

// The log file's lines (without CR LF), empty when there is none.
inline std::vector<std::string> LogZeilen() {
  std::vector<std::string> zeilen;
  std::ifstream datei("wimmelprt.txt", std::ios::binary);
  std::string z;
  while (std::getline(datei, z)) {
    if (!z.empty() && z.back() == '\r') z.pop_back();
    zeilen.push_back(z);
  }
  return zeilen;
}

}  // namespace testhilfe
