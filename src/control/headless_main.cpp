// wimmel-headless SCRIPT [--out DIR]: runs the real program on the headless
// display with a virtual clock, fed by a script of keys, mouse moves, waits,
// screenshots and pixel expectations. The same script and data give the same
// screenshots and output on every run.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "control/haupt.h"
#include "control/program.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"
#include "sound/fsound.h"

namespace rt = wimmel::rt;

namespace fs = std::filesystem;

namespace {

struct Zeile {
  int nummer;
  std::string wort;
  std::string rest;
};

struct Lauf {
  std::vector<Zeile> zeilen;
  size_t naechste = 0;
  double warteBis = -1;  // virtual time until which a "wait" holds the script
  fs::path ausgabe;
  int fehler = 0;
  int32_t mausX = 0, mausY = 0, knoepfe = 0;
  bool mausDrin = false;
  bool skriptZuEnde = false;
  std::string konsole;  // console text of the current, unfinished line
};

Lauf gLauf;

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

// Console texts are Latin-1; the echo is UTF-8 so that terminals show umlauts.
std::string Utf8(const std::string& latin1) {
  std::string out;
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

void Fehlschlag(const Zeile& z, const std::string& was) {
  std::cout << "FAIL line " << z.nummer << ": " << was << std::endl;
  ++gLauf.fehler;
}

void MausSetzen() {
  if (gLauf.mausDrin) {
    rt::headless::SetMouse(gLauf.mausX, gLauf.mausY, gLauf.knoepfe);
  } else {
    rt::headless::MouseOut();
  }
}

bool TasteAusName(const std::string& name, uint32_t& code) {
  static const struct {
    const char* name;
    uint32_t code;
  } kNamen[] = {{"Esc", 27},      {"Enter", 13},     {"Tab", 9},     {"Backspace", 8},
                {"F1", 0x3BFF},   {"Close", 0x6BFF}, {"Up", 0x48FF}, {"Down", 0x50FF},
                {"Left", 0x4BFF}, {"Right", 0x4DFF}};
  for (const auto& n : kNamen) {
    if (name == n.name) {
      code = n.code;
      return true;
    }
  }
  if (name.size() == 1) {
    code = static_cast<unsigned char>(name[0]);
    return true;
  }
  if (name.size() > 1 && name[0] == '#') {
    char* ende = nullptr;
    const long n = std::strtol(name.c_str() + 1, &ende, 10);
    if (*ende == '\0' && n >= 1 && n <= 255) {
      code = static_cast<uint32_t>(n);
      return true;
    }
  }
  return false;
}

bool KnopfBit(const std::string& name, int32_t& bit) {
  if (name == "left")
    bit = 1;
  else if (name == "right")
    bit = 2;
  else
    return false;
  return true;
}

void PixelPruefen(const Zeile& z) {
  std::istringstream in(z.rest);
  int32_t x = 0, y = 0;
  std::string farbe;
  if (!(in >> x >> y >> farbe) || farbe.size() != 6) {
    Fehlschlag(z, "bad expect-pixel line");
    return;
  }
  const uint32_t rgb = static_cast<uint32_t>(std::strtoul(farbe.c_str(), nullptr, 16));
  rt::Image bild = rt::ScreenImage();
  if (bild == nullptr) {
    Fehlschlag(z, "no screen is open");
    return;
  }
  const uint32_t ist = rt::GetPixel(bild, x, y);
  uint32_t soll = 0;
  uint32_t istVergleich = ist;
  if (bild->bytesPerPixel == 2) {
    soll = rt::To565(rgb);
  } else {
    soll = rgb & 0xFFFFFF;
    istVergleich = ist & 0xFFFFFF;
  }
  if (x < 0 || y < 0 || x >= bild->width || y >= bild->height || istVergleich != soll) {
    char text[128];
    std::snprintf(text, sizeof text, "pixel (%d, %d) is %0*X, expected %0*X", x, y,
                  bild->bytesPerPixel == 2 ? 4 : 6, istVergleich, bild->bytesPerPixel == 2 ? 4 : 6,
                  soll);
    Fehlschlag(z, text);
  }
}

// Runs script lines until a "wait" holds or the script is exhausted; called
// on every key or mouse poll of the program.
void Abfrage() {
  if (gLauf.warteBis >= 0) {
    if (rt::headless::Clock() < gLauf.warteBis) return;
    gLauf.warteBis = -1;
  }
  while (gLauf.naechste < gLauf.zeilen.size()) {
    const Zeile& z = gLauf.zeilen[gLauf.naechste++];
    if (z.wort == "key") {
      uint32_t code = 0;
      if (TasteAusName(z.rest, code)) {
        rt::headless::PushKey(code);
      } else {
        Fehlschlag(z, "unknown key " + z.rest);
      }
    } else if (z.wort == "type") {
      for (unsigned char c : z.rest) rt::headless::PushKey(c);
    } else if (z.wort == "mouse") {
      if (z.rest == "out") {
        gLauf.mausDrin = false;
      } else {
        std::istringstream in(z.rest);
        if (in >> gLauf.mausX >> gLauf.mausY) {
          gLauf.mausDrin = true;
        } else {
          Fehlschlag(z, "bad mouse line");
        }
      }
      MausSetzen();
    } else if (z.wort == "press" || z.wort == "release") {
      int32_t bit = 0;
      if (!KnopfBit(z.rest, bit)) {
        Fehlschlag(z, "unknown button " + z.rest);
        continue;
      }
      if (z.wort == "press") {
        gLauf.knoepfe |= bit;
      } else {
        gLauf.knoepfe &= ~bit;
      }
      MausSetzen();
    } else if (z.wort == "wait") {
      gLauf.warteBis = rt::headless::Clock() + std::strtod(z.rest.c_str(), nullptr);
      return;
    } else if (z.wort == "shot") {
      const fs::path datei = gLauf.ausgabe / z.rest;
      if (!rt::WritePng(nullptr, datei.c_str())) Fehlschlag(z, "cannot write " + datei.string());
    } else if (z.wort == "expect-pixel") {
      PixelPruefen(z);
    } else if (z.wort == "expect-ended") {
      Fehlschlag(z, "the program has not ended");
    } else if (z.wort == "desktop" || z.wort == "offer" || z.wort == "log") {
      // Set-up lines act before the program starts.
    } else {
      Fehlschlag(z, "unknown line " + z.wort);
    }
  }
  // The script's end stops the program.
  gLauf.skriptZuEnde = true;
  throw rt::ProgramEnd{0};
}

void Konsole(std::string_view text, bool neueZeile) {
  gLauf.konsole += text;
  if (neueZeile) {
    std::cout << "console: " << Utf8(gLauf.konsole) << std::endl;
    gLauf.konsole.clear();
  }
}

// The folder of the running program (bin/ of the build tree).
fs::path ProgramFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path(".") : exe.parent_path();
}

fs::path DatenOrdner() {
  if (const char* env = std::getenv("WIMMEL_DATA"); env != nullptr && *env != '\0') return env;
  std::error_code ec;
  const fs::path neben = ProgramFolder() / ".." / "data";
  if (fs::exists(neben / "HG_bild", ec)) return fs::canonical(neben, ec);
  return neben;
}

}  // namespace

int main(int argc, char** argv) {
  std::string skript;
  fs::path ausgabe;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--out" && i + 1 < argc) {
      ausgabe = argv[++i];
    } else if (skript.empty()) {
      skript = a;
    } else {
      std::cerr << "usage: wimmel-headless SCRIPT [--out DIR]\n";
      return 2;
    }
  }
  if (skript.empty()) {
    std::cerr << "usage: wimmel-headless SCRIPT [--out DIR]\n";
    return 2;
  }
  std::ifstream datei(skript);
  if (!datei) {
    std::cerr << "wimmel-headless: cannot read " << skript << "\n";
    return 2;
  }

  rt::HeadlessConfig config;
  bool protokoll = false;
  std::string zeile;
  for (int nummer = 1; std::getline(datei, zeile); ++nummer) {
    // "#" starts a comment, except right after "key ", where "#N" names a code.
    const std::string vorn = Trim(zeile);
    const size_t ab = vorn.rfind("key #", 0) == 0 ? zeile.find('#') + 1 : 0;
    if (const size_t raute = zeile.find('#', ab); raute != std::string::npos) zeile.erase(raute);
    zeile = Trim(zeile);
    if (zeile.empty()) continue;
    const size_t leer = zeile.find(' ');
    Zeile z{nummer, zeile.substr(0, leer),
            leer == std::string::npos ? "" : Trim(zeile.substr(leer))};
    if (z.wort == "type") {
      // "type" keeps its text as written, blanks included.
      z.rest = leer == std::string::npos ? "" : zeile.substr(leer + 1);
    }
    std::istringstream in(z.rest);
    if (z.wort == "desktop") {
      if (!(in >> config.desktop.width >> config.desktop.height >> config.desktop.depth)) {
        std::cerr << "wimmel-headless: bad desktop line " << nummer << "\n";
        return 2;
      }
    } else if (z.wort == "offer") {
      std::array<int32_t, 3> m{};
      if (!(in >> m[0] >> m[1] >> m[2])) {
        std::cerr << "wimmel-headless: bad offer line " << nummer << "\n";
        return 2;
      }
      config.offers.push_back(m);
    } else if (z.wort == "log") {
      protokoll = true;
    }
    gLauf.zeilen.push_back(z);
  }

  const fs::path skriptPfad = fs::absolute(skript);
  if (ausgabe.empty()) {
    ausgabe = ProgramFolder() / ".." / "headless-out" / skriptPfad.stem();
  }
  std::error_code ec;
  fs::create_directories(ausgabe, ec);
  gLauf.ausgabe = fs::absolute(ausgabe);
  // A fresh scratch folder as working directory, with the data folders linked in.
  const fs::path arbeit = gLauf.ausgabe / "work";
  fs::remove_all(arbeit, ec);
  fs::create_directories(arbeit, ec);
  const fs::path daten = DatenOrdner();
  for (const char* ordner : {"objekte", "figure", "HG_bild", "pattern", "musik"}) {
    fs::create_directory_symlink(daten / ordner, arbeit / ordner, ec);
  }
  if (chdir(arbeit.c_str()) != 0) {
    std::cerr << "wimmel-headless: cannot enter " << arbeit << "\n";
    return 2;
  }

  config.onPoll = Abfrage;
  config.onConsole = Konsole;
  wimmel::Program program(rt::headless::MakeDisplay(config));
  rt::headless::SetClock(0);
  rt::headless::MouseOut();
  wimmel::UseVirtualSoundDevice();
  if (protokoll) wimmel::ProtokollBeimStartAn();

  int code = 0;
  try {
    char name[] = "wimmel";
    char* args[] = {name, nullptr};
    wimmel::Haupt(1, args);
  } catch (const rt::ProgramEnd& ende) {
    code = ende.code;
  }
  if (!gLauf.skriptZuEnde) {
    std::cout << "ended: code " << code << std::endl;
    // Only "expect-ended" lines still mean something once the program is gone.
    gLauf.skriptZuEnde = true;
  }
  std::cout << (gLauf.fehler == 0 ? "headless: all expectations held" : "headless: failures")
            << std::endl;
  return gLauf.fehler == 0 ? 0 : 1;
}
