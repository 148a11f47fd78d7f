#include "szene_hilfe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "runtime/display.h"
#include "runtime/image.h"
#include "scene/scene.h"
#include "scene/streifen.h"
#include "shared/settings.h"
#include "text/text.h"

namespace rt = wimmel::rt;

namespace testhilfe {

namespace fs = std::filesystem;
using wimmel::Layout;
using wimmel::Settings;

namespace {

std::string HostPfad(std::string pfad) {
  for (char& c : pfad) {
    if (c == '\\') c = '/';
  }
  return pfad;
}

void Le32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Le16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}

std::deque<uint32_t> gTasten;
int64_t gAbfragen = 0;
int64_t gOhneTaste = 0;
int64_t gGrenze = 200000;
std::vector<std::string> gKonsole;
std::string gZeile;

}  // namespace

void SchreibeDatei(const std::string& pfad, const std::string& inhalt) {
  const fs::path p(HostPfad(pfad));
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary | std::ios::trunc);
  out.write(inhalt.data(), static_cast<std::streamsize>(inhalt.size()));
}

void Loesche(const std::string& pfad) {
  fs::remove(HostPfad(pfad));
}

void SchreibeOrdner(const std::string& pfad) {
  const fs::path p(HostPfad(pfad));
  fs::remove_all(p);
  fs::create_directories(p);
}

void SchreibeRohr(const std::string& pfad) {
  const fs::path p(HostPfad(pfad));
  fs::remove_all(p);
  if (p.has_parent_path()) fs::create_directories(p.parent_path());
  ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0) << p;
}

void SchreibeBmp(const std::string& pfad, int32_t breite, int32_t hoehe,
                 const std::function<uint32_t(int32_t, int32_t)>& farbe) {
  const uint32_t zeile = (static_cast<uint32_t>(breite) * 3 + 3) & ~3u;
  const uint32_t daten = zeile * static_cast<uint32_t>(hoehe);
  std::string s = "BM";
  Le32(s, 54 + daten);
  Le32(s, 0);
  Le32(s, 54);
  Le32(s, 40);
  Le32(s, static_cast<uint32_t>(breite));
  Le32(s, static_cast<uint32_t>(hoehe));
  Le16(s, 1);
  Le16(s, 24);
  Le32(s, 0);
  Le32(s, daten);
  Le32(s, 2835);
  Le32(s, 2835);
  Le32(s, 0);
  Le32(s, 0);
  for (int32_t y = hoehe - 1; y >= 0; --y) {
    std::string reihe;
    for (int32_t x = 0; x < breite; ++x) {
      const uint32_t c = farbe(x, y);
      reihe += static_cast<char>(c & 0xFF);
      reihe += static_cast<char>((c >> 8) & 0xFF);
      reihe += static_cast<char>((c >> 16) & 0xFF);
    }
    reihe.resize(zeile, '\0');
    s += reihe;
  }
  SchreibeDatei(pfad, s);
}

Arbeitsordner::Arbeitsordner() {
  vorher_ = fs::current_path().string();
  std::string muster = (fs::temp_directory_path() / "wimmel-szene-XXXXXX").string();
  char* ergebnis = ::mkdtemp(muster.data());
  if (ergebnis == nullptr) std::abort();
  pfad_ = ergebnis;
  fs::current_path(pfad_);
}

Arbeitsordner::~Arbeitsordner() {
  fs::current_path(vorher_);
  std::error_code fehler;
  fs::remove_all(pfad_, fehler);
}

void Bildschirm(int32_t modus, int32_t tiefe, int64_t grenze) {
  gTasten.clear();
  gAbfragen = 0;
  gOhneTaste = 0;
  gGrenze = grenze;
  gKonsole.clear();
  gZeile.clear();
  rt::HeadlessConfig cfg;
  cfg.onPoll = [] {
    ++gAbfragen;
    if (!gTasten.empty()) {
      rt::headless::PushKey(gTasten.front());
      gTasten.pop_front();
      gOhneTaste = 0;
    } else if (++gOhneTaste > gGrenze) {
      ADD_FAILURE() << "waiting for a key that no test provides";
      gOhneTaste = 0;
      rt::headless::PushKey(27);
    }
  };
  cfg.onConsole = [](std::string_view text, bool newline) {
    gZeile += text;
    if (newline) {
      gKonsole.push_back(gZeile);
      gZeile.clear();
    }
  };
  rt::headless::Install(cfg);
  // The figure step's clock lives on across tests; the virtual clock must not
  // run backwards behind it.
  static double basis = 0;
  basis += 1.0e6;
  rt::headless::SetClock(basis);
  ASSERT_EQ(rt::SetScreenMode(modus, tiefe, 0, 1, 0), 0);
  wimmel::FontsInitialisieren();
  wimmel::FillFigureKinds();
  const rt::ScreenInfo info = rt::GetScreenInfo();
  Layout().screenWidth = info.width;
  Layout().screenHeight = info.height;
  Layout().screenDepth = info.depth;
}

void Taste(uint32_t code) {
  gTasten.push_back(code);
}
int64_t Abfragen() {
  return gAbfragen;
}
std::vector<std::string>& Konsole() {
  return gKonsole;
}
std::string KonsoleText() {
  std::string s;
  for (const std::string& z : gKonsole) s += z + "\n";
  return s;
}

void BaueHintergrund() {
  wimmel::FreeHintergrund();
  const std::string pfad = "HG_bild" + Settings().Trenner + "Karogrun.bmp";
  int32_t w = 0, h = 0;
  ASSERT_GT(rt::ProbeBmpSize(pfad, w, h), 0) << pfad;
  rt::Image bitmap = rt::CreateImage(w, h, 0);
  ASSERT_NE(bitmap, nullptr);
  rt::LoadBmp(pfad, bitmap);
  const int32_t sw = Layout().screenWidth;
  const int32_t sh = Layout().screenHeight;
  const int32_t hb = sw;
  const int32_t hh = sh - Settings().KopfHoehe - Settings().FussHoehe;
  Layout().Hintergrund = rt::CreateImage(hb, hh, 0);
  ASSERT_NE(Layout().Hintergrund, nullptr);
  rt::PutImage(Layout().Hintergrund, 0, 0, bitmap, 0, 0, std::min(hb, w), std::min(hh, h),
               rt::PutMode::Opaque);
  Layout().visibleCornerX = hb < sw ? hb - 1 : sw - 1;
  Layout().visibleCornerY = hh < sh ? hh - 1 : sh - 1;
  rt::DestroyImage(bitmap);
  Layout().width = hb;
  Layout().height = hh;
  Layout().SzeneX0 = sw > hb ? (sw - hb) / 2 : 0;
  Layout().SzeneX1 = hb + Layout().SzeneX0 < sw ? hb + Layout().SzeneX0 : sw;
  Layout().SzeneY0 = Settings().KopfHoehe + hh < sh ? Settings().KopfHoehe : 0;
  Layout().SzeneY1 = hh + Layout().SzeneY0 < sh ? hh + Layout().SzeneY0 : sh;
}

void BaueSzene() {
  wimmel::Objekt("Erstellen", 0, 0, 0, 0, 0, "AufloesungFragen");
  wimmel::Objekt("InHintergrundEinbinden", 1, 0, 0, 0, 0, "AufloesungFragen");
  wimmel::Objekt("InHintergrundEinbinden", 2, 0, 0, 0, 0, "AufloesungFragen");
  rt::PutImage(nullptr, Layout().SzeneX0, Layout().SzeneY0, Layout().Hintergrund, 0, 0,
               Layout().visibleCornerX + 1, Layout().visibleCornerY + 1, rt::PutMode::Opaque);
  Settings().GewaehlteFigur = 1;
  wimmel::Figur("FigurenInit", 0, 0, 0, "AufloesungFragen");
  wimmel::Figur("MachAktiv", Settings().GewaehlteFigur, 0, 0, "");
}

uint32_t FrameFarbe(int32_t art, int32_t bild, int32_t frame) {
  const uint32_t r = static_cast<uint32_t>(art * 24) & 0xF8;
  const uint32_t g = static_cast<uint32_t>(bild * 60) & 0xFC;
  const uint32_t b = static_cast<uint32_t>(frame * 20) & 0xF8;
  return r << 16 | g << 8 | b;
}

void SchreibeFigurBild(const std::string& art, int32_t bild, const FigurSatz& satz,
                       int32_t artNummer) {
  const int32_t fg = satz.frameGroesse;
  SchreibeBmp(
      "figure\\" + art + "\\" + std::to_string(bild) + ".bmp", fg * satz.frames, fg,
      [&](int32_t x, int32_t y) -> uint32_t {
        const int32_t lx = x % fg;
        if (lx < satz.rand || lx >= fg - satz.rand || y < satz.rand || y >= fg - satz.rand) {
          return 0xFF00FF;
        }
        return FrameFarbe(artNummer, bild, x / fg);
      });
}

void SchreibeFiguren(const FigurSatz& satz) {
  for (int32_t k = 1; k <= wimmel::kFigureKinds; ++k) {
    for (int32_t b = 1; b <= 4; ++b) {
      SchreibeFigurBild(wimmel::FigurTyp()[k].name, b, satz, k);
    }
  }
}

void SchreibeObjekte(int32_t groesse) {
  static const char* const kNamen[] = {"QumyH", "HausA", "HausC", "HausD", "Kreisel1"};
  for (int32_t k = 0; k < 5; ++k) {
    const uint32_t farbe = 0x102030u * static_cast<uint32_t>(k + 1) + 0x400000;
    SchreibeBmp(std::string("objekte\\") + kNamen[k] + ".bmp", groesse, groesse,
                [&](int32_t x, int32_t y) { return x < 4 && y < 4 ? 0xFF00FFu : farbe; });
  }
}

uint32_t HintergrundFarbe(int32_t x, int32_t y) {
  return ((x / 8 + y / 8) & 1) != 0 ? 0x206020u : 0x40A040u;
}

void SchreibeHintergrund(int32_t breite, int32_t hoehe) {
  SchreibeBmp("HG_bild\\Karogrun.bmp", breite, hoehe, HintergrundFarbe);
}

uint32_t Erwartet(uint32_t rgb) {
  return rt::GetScreenInfo().bytesPerPixel == 2 ? rt::To565(rgb) : (rgb & 0xFFFFFF);
}

uint32_t Pixel(int32_t x, int32_t y) {
  const uint32_t p = rt::GetPixel(rt::ScreenImage(), x, y);
  return rt::GetScreenInfo().bytesPerPixel == 2 ? p : (p & 0xFFFFFF);
}

void Schritt() {
  rt::headless::AdvanceClock(1.0);
  wimmel::Figur("LaufEinSchritt", 1, 200, 200, "");
}

void SzeneAufraeumen() {
  wimmel::Figur("FigurenLoeschen", 0, 0, 0, "Escape");
  wimmel::Objekt("LoescheAlleObjekte", 0, 0, 0, 0, 0, "Escape");
  wimmel::FreeHintergrund();
  wimmel::ResetSettings();
  wimmel::scene::StreifenVorratLeeren();
  for (int i = 0; i < 60; ++i) wimmel::Figur("Schneller", 0, 0, 0, "");
  wimmel::Figur("Langsamer", 0, 0, 0, "");
}

}  // namespace testhilfe
