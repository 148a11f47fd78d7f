// wimmel-headless SCRIPT [--out DIR]: runs the real program on the headless
// display with a virtual clock, fed by a script of keys, mouse moves, waits,
// screenshots and pixel expectations. The same script and data give the same
// screenshots and output on every run.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "control/haupt.h"
#include "control/headless_ordner.h"
#include "control/headless_skript.h"
#include "control/program.h"
#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/runtime.h"
#include "sound/fsound.h"

namespace rt = wimmel::rt;

namespace fs = std::filesystem;

namespace {

using wimmel::skript::Art;
using wimmel::skript::Zeile;

constexpr const char* kAufruf =
    "usage: wimmel-headless SCRIPT [--out DIR]\n"
    "Runs Wimmel on a headless display with a virtual clock, fed by SCRIPT.\n"
    "Screenshots go into DIR (default build/headless-out/<script name>); the\n"
    "program works in DIR/work, which every run makes afresh.\n"
    "Exit status: 0 every expectation held, 1 an expectation failed,\n"
    "2 bad script or usage.\n";

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

void PixelPruefen(const Zeile& z) {
  rt::Image bild = rt::ScreenImage();
  if (bild == nullptr) {
    Fehlschlag(z, "no screen is open");
    return;
  }
  const int32_t x = z.x, y = z.y;
  const uint32_t rgb = z.wert;
  const bool drin = x < bild->width && y < bild->height;
  const uint32_t ist = drin ? rt::GetPixel(bild, x, y) : 0;
  uint32_t soll = 0;
  uint32_t istVergleich = ist;
  if (bild->bytesPerPixel == 2) {
    soll = rt::To565(rgb);
  } else {
    soll = rgb & 0xFFFFFF;
    istVergleich = ist & 0xFFFFFF;
  }
  if (!drin || istVergleich != soll) {
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
    switch (z.art) {
      case Art::Taste:
        rt::headless::PushKey(z.wert);
        break;
      case Art::Tippen:
        for (unsigned char c : z.text) rt::headless::PushKey(c);
        break;
      case Art::Maus:
        gLauf.mausX = z.x;
        gLauf.mausY = z.y;
        gLauf.mausDrin = true;
        MausSetzen();
        break;
      case Art::MausWeg:
        gLauf.mausDrin = false;
        MausSetzen();
        break;
      case Art::Druecken:
        gLauf.knoepfe |= static_cast<int32_t>(z.wert);
        MausSetzen();
        break;
      case Art::Loslassen:
        gLauf.knoepfe &= ~static_cast<int32_t>(z.wert);
        MausSetzen();
        break;
      case Art::Warten:
        gLauf.warteBis = rt::headless::Clock() + z.sekunden;
        return;
      case Art::Bildschirmfoto: {
        const fs::path datei = gLauf.ausgabe / z.text;
        if (!rt::WritePng(nullptr, datei.c_str())) Fehlschlag(z, "cannot write " + datei.string());
        break;
      }
      case Art::PixelErwartet:
        PixelPruefen(z);
        break;
      case Art::EndeErwartet:
        Fehlschlag(z, "the program has not ended");
        break;
      case Art::Desktop:
      case Art::Angebot:
      case Art::Protokoll:
        // Set-up lines act before the program starts.
        break;
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

int Aufruffehler(const std::string& was) {
  std::cerr << "wimmel-headless: " << was << "\n" << kAufruf;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string skript;
  fs::path ausgabe;
  bool ausgabeGegeben = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << kAufruf;
      return 0;
    }
    if (a == "--out") {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return Aufruffehler("--out needs a folder");
      if (ausgabeGegeben) return Aufruffehler("--out given twice");
      ausgabe = argv[++i];
      ausgabeGegeben = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return Aufruffehler("unknown option " + a);
    } else if (skript.empty()) {
      skript = a;
    } else {
      return Aufruffehler("more than one script: " + skript + ", " + a);
    }
  }
  if (skript.empty()) return Aufruffehler("no script given");

  // The whole script is checked before anything else happens, so a bad line
  // costs no program time and leaves no half-written output folder behind.
  std::vector<wimmel::skript::Fehler> fehler;
  if (!wimmel::skript::SkriptDateiLesen(skript, gLauf.zeilen, fehler)) {
    for (const auto& f : fehler) {
      std::cerr << "wimmel-headless: " << skript;
      if (f.zeile > 0) std::cerr << ":" << f.zeile;
      std::cerr << ": " << f.text << "\n";
    }
    return 2;
  }

  rt::HeadlessConfig config;
  bool protokoll = false;
  for (const Zeile& z : gLauf.zeilen) {
    if (z.art == Art::Desktop) {
      config.desktop = {z.x, z.y, z.tiefe};
    } else if (z.art == Art::Angebot) {
      config.offers.push_back({z.x, z.y, z.tiefe});
    } else if (z.art == Art::Protokoll) {
      protokoll = true;
    }
  }

  const fs::path skriptPfad = fs::absolute(skript);
  if (ausgabe.empty()) {
    ausgabe = ProgramFolder() / ".." / "headless-out" / skriptPfad.stem();
  }
  std::error_code ec;
  fs::create_directories(ausgabe, ec);
  if (ec) {
    std::cerr << "wimmel-headless: cannot make " << ausgabe.string() << ": " << ec.message()
              << "\n";
    return 2;
  }
  gLauf.ausgabe = fs::absolute(ausgabe);
  // A fresh scratch folder as working directory, with the data folders linked in.
  const fs::path arbeit = gLauf.ausgabe / "work";
  if (std::string warum; !wimmel::skript::ArbeitsordnerAnlegen(arbeit, warum)) {
    std::cerr << "wimmel-headless: " << warum << "\n";
    return 2;
  }
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
  if (protokoll) wimmel::LogFromStart();

  int code = 0;
  try {
    char name[] = "wimmel";
    char* args[] = {name, nullptr};
    wimmel::Haupt(1, args);
  } catch (const rt::ProgramEnd& ende) {
    code = ende.code;
  }
  bool spaet = false;
  if (!gLauf.skriptZuEnde) {
    std::cout << "ended: code " << code << std::endl;
    // Once the program is gone only "expect-ended" lines still mean something,
    // and they hold; any other line could not act and is a fault of the script.
    for (size_t i = gLauf.naechste; i < gLauf.zeilen.size(); ++i) {
      const Zeile& z = gLauf.zeilen[i];
      if (z.art == Art::EndeErwartet || wimmel::skript::IstVorbereitung(z.art)) continue;
      std::cerr << "wimmel-headless: " << skript << ":" << z.nummer << ": \""
                << wimmel::skript::Wort(z.art) << "\" after the program ended\n";
      spaet = true;
    }
    gLauf.skriptZuEnde = true;
  }
  if (spaet) return 2;
  std::cout << (gLauf.fehler == 0 ? "headless: all expectations held" : "headless: failures")
            << std::endl;
  return gLauf.fehler == 0 ? 0 : 1;
}
