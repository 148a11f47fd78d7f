// Reading and checking the headless runner's script. Each line becomes a
// typed record here, and anything the runner could misread (a wait that is
// not a number, a colour with a letter beyond F, a key name it does not
// know, a screenshot name that leaves the output folder) stops the runner
// before the program starts.
#include "control/headless_skript.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "runtime/keys.h"

namespace wimmel::skript {

namespace {

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  const size_t b = s.find_last_not_of(" \t\r");
  return s.substr(a, b - a + 1);
}

std::vector<std::string> Woerter(const std::string& s) {
  std::vector<std::string> woerter;
  size_t i = 0;
  while (true) {
    i = s.find_first_not_of(" \t", i);
    if (i == std::string::npos) break;
    const size_t ende = s.find_first_of(" \t", i);
    woerter.push_back(s.substr(i, ende == std::string::npos ? std::string::npos : ende - i));
    if (ende == std::string::npos) break;
    i = ende;
  }
  return woerter;
}

bool NurZiffern(const std::string& s) {
  if (s.empty()) return false;
  for (const char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// A whole number from bis 0 to groesste, written in decimal digits only, so
// that signs, blanks and hexadecimal prefixes are refused rather than read
// as something else.
bool GanzeZahl(const std::string& s, int32_t groesste, int32_t& zahl) {
  if (!NurZiffern(s)) return false;
  int32_t z = 0;
  const auto [ende, ec] = std::from_chars(s.data(), s.data() + s.size(), z);
  if (ec != std::errc() || ende != s.data() + s.size()) return false;
  if (z > groesste) return false;
  zahl = z;
  return true;
}

// A wait in seconds, written as a plain decimal number ("2", "0.25", ".5").
// The fixed format takes no exponent and no plus sign; "inf", "nan" and
// negative numbers are left to the range check.
bool Sekunden(const std::string& s, double& sekunden) {
  double d = 0;
  const auto [ende, ec] =
      std::from_chars(s.data(), s.data() + s.size(), d, std::chars_format::fixed);
  if (ec != std::errc() || ende != s.data() + s.size()) return false;
  if (!(d >= 0 && d <= kLaengstesWarten)) return false;
  sekunden = d;
  return true;
}

bool Farbe(const std::string& s, uint32_t& rgb) {
  if (s.size() != 6) return false;
  uint32_t wert = 0;
  for (const char c : s) {
    uint32_t ziffer = 0;
    if (c >= '0' && c <= '9') {
      ziffer = static_cast<uint32_t>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      ziffer = static_cast<uint32_t>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      ziffer = static_cast<uint32_t>(c - 'a' + 10);
    } else {
      return false;
    }
    wert = wert << 4 | ziffer;
  }
  rgb = wert;
  return true;
}

bool TasteAusName(const std::string& name, uint32_t& code) {
  using namespace rt::keys;
  static constexpr struct {
    const char* name;
    uint32_t code;
  } kNamen[] = {
      {"Esc", kEscape},
      {"Enter", kEnter},
      {"Tab", kTab},
      {"Backspace", kBackspace},
      {"F1", QueueCode(kF1)},
      {"Close", QueueCode(kCloseRequest)},
      {"Up", QueueCode(kUp)},
      {"Down", QueueCode(kDown)},
      {"Left", QueueCode(kLeft)},
      {"Right", QueueCode(kRight)},
  };
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
  int32_t n = 0;
  if (name[0] == '#' && GanzeZahl(name.substr(1), 255, n) && n >= 1) {
    code = static_cast<uint32_t>(n);
    return true;
  }
  return false;
}

bool IstGroesse(int32_t breite, int32_t hoehe) {
  return (breite == 640 && hoehe == 480) || (breite == 800 && hoehe == 600) ||
         (breite == 1024 && hoehe == 768) || (breite == 1280 && hoehe == 1024);
}

bool IstTiefe(int32_t tiefe) {
  return tiefe == 15 || tiefe == 16 || tiefe == 24 || tiefe == 32;
}

struct Leser {
  std::vector<Zeile>& zeilen;
  std::vector<Fehler>& fehler;
  bool desktopGesehen = false;

  void Melden(int nummer, const std::string& text) { fehler.push_back({nummer, text}); }

  // Reads a mode "W H D" into the line; for "offer" only the program's
  // sixteen modes make sense, since it asks the display for no other.
  bool Modus(Zeile& z, const std::vector<std::string>& w, bool angebot) {
    if (w.size() != 3 || !GanzeZahl(w[0], kGroessteSeite, z.x) ||
        !GanzeZahl(w[1], kGroessteSeite, z.y) || !GanzeZahl(w[2], 32, z.tiefe)) {
      return false;
    }
    if (angebot) return IstGroesse(z.x, z.y) && IstTiefe(z.tiefe);
    return z.x >= 1 && z.y >= 1 && (z.tiefe == 8 || IstTiefe(z.tiefe));
  }

  void Lesen(int nummer, std::string zeile) {
    if (zeile.find('\0') != std::string::npos) {
      Melden(nummer, "the line holds a NUL byte");
      return;
    }
    // "#" starts a comment, except right after "key ", where "#N" names a code.
    const std::string vorn = Trim(zeile);
    const size_t ab = vorn.rfind("key #", 0) == 0 ? zeile.find('#') + 1 : 0;
    if (const size_t raute = zeile.find('#', ab); raute != std::string::npos) zeile.erase(raute);
    zeile = Trim(zeile);
    if (zeile.empty()) return;
    const size_t leer = zeile.find_first_of(" \t");
    const std::string wort = zeile.substr(0, leer);
    const std::string rest = leer == std::string::npos ? "" : Trim(zeile.substr(leer));
    const std::vector<std::string> w = Woerter(rest);
    Zeile z;
    z.nummer = nummer;
    bool gut = true;
    std::string warum;
    if (wort == "desktop") {
      z.art = Art::Desktop;
      gut = Modus(z, w, false);
      warum =
          "expected \"desktop W H D\" with W and H from 1 to 16384 and D one of 8, 15, 16, "
          "24, 32";
      if (gut && desktopGesehen) {
        gut = false;
        warum = "a second desktop line";
      }
      desktopGesehen = true;
    } else if (wort == "offer") {
      z.art = Art::Angebot;
      gut = Modus(z, w, true);
      warum =
          "expected \"offer W H D\" with one of the sizes 640 480, 800 600, 1024 768, "
          "1280 1024 and D one of 15, 16, 24, 32";
    } else if (wort == "log" || wort == "expect-ended") {
      z.art = wort == "log" ? Art::Protokoll : Art::EndeErwartet;
      gut = w.empty();
      warum = "\"" + wort + "\" takes nothing after it";
    } else if (wort == "key") {
      z.art = Art::Taste;
      gut = w.size() == 1 && TasteAusName(w[0], z.wert);
      warum = "unknown key \"" + rest + "\"";
    } else if (wort == "type") {
      // "type" keeps its text as written, blanks included.
      z.art = Art::Tippen;
      z.text = leer == std::string::npos ? "" : zeile.substr(leer + 1);
      gut = !z.text.empty();
      warum = "\"type\" needs a text";
    } else if (wort == "mouse") {
      if (w.size() == 1 && w[0] == "out") {
        z.art = Art::MausWeg;
      } else {
        z.art = Art::Maus;
        gut = w.size() == 2 && GanzeZahl(w[0], kGroessteSeite, z.x) &&
              GanzeZahl(w[1], kGroessteSeite, z.y);
        warum = "expected \"mouse X Y\" with whole numbers from 0 to 16384, or \"mouse out\"";
      }
    } else if (wort == "press" || wort == "release") {
      z.art = wort == "press" ? Art::Druecken : Art::Loslassen;
      gut = w.size() == 1 && (w[0] == "left" || w[0] == "right");
      if (gut) z.wert = w[0] == "left" ? 1 : 2;
      warum = "expected \"" + wort + " left\" or \"" + wort + " right\"";
    } else if (wort == "wait") {
      z.art = Art::Warten;
      gut = w.size() == 1 && Sekunden(w[0], z.sekunden);
      warum = "expected \"wait S\" with S a decimal number of seconds from 0 to 3600";
    } else if (wort == "shot") {
      // The picture goes into the output folder and nowhere else.
      z.art = Art::Bildschirmfoto;
      gut = w.size() == 1 && w[0] != "." && w[0] != ".." && w[0].find('/') == std::string::npos;
      if (gut) z.text = w[0];
      warum = "expected \"shot FILE\" with a plain file name (no \"/\", not \"..\")";
    } else if (wort == "expect-pixel") {
      z.art = Art::PixelErwartet;
      gut = w.size() == 3 && GanzeZahl(w[0], kGroessteSeite, z.x) &&
            GanzeZahl(w[1], kGroessteSeite, z.y) && Farbe(w[2], z.wert);
      warum =
          "expected \"expect-pixel X Y RRGGBB\" with whole numbers from 0 to 16384 and six "
          "hex digits";
    } else {
      Melden(nummer, "unknown line \"" + wort + "\"");
      return;
    }
    if (gut) {
      zeilen.push_back(z);
    } else {
      Melden(nummer, warum);
    }
  }
};

}  // namespace

bool IstVorbereitung(Art art) {
  return art == Art::Desktop || art == Art::Angebot || art == Art::Protokoll;
}

const char* Wort(Art art) {
  switch (art) {
    case Art::Desktop:
      return "desktop";
    case Art::Angebot:
      return "offer";
    case Art::Protokoll:
      return "log";
    case Art::Taste:
      return "key";
    case Art::Tippen:
      return "type";
    case Art::Maus:
    case Art::MausWeg:
      return "mouse";
    case Art::Druecken:
      return "press";
    case Art::Loslassen:
      return "release";
    case Art::Warten:
      return "wait";
    case Art::Bildschirmfoto:
      return "shot";
    case Art::PixelErwartet:
      return "expect-pixel";
    case Art::EndeErwartet:
      return "expect-ended";
  }
  return "?";
}

bool SkriptLesen(std::istream& in, std::vector<Zeile>& zeilen, std::vector<Fehler>& fehler) {
  const size_t fehlerVorher = fehler.size();
  Leser leser{zeilen, fehler};
  std::string zeile;
  for (int nummer = 1; std::getline(in, zeile); ++nummer) leser.Lesen(nummer, zeile);
  if (in.bad()) fehler.push_back({0, "reading failed"});
  return fehler.size() == fehlerVorher;
}

bool SkriptDateiLesen(const std::string& pfad, std::vector<Zeile>& zeilen,
                      std::vector<Fehler>& fehler) {
  // A folder opens as an empty stream on this system; without this check it
  // would pass as a script without expectations.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(pfad, ec)) {
    fehler.push_back({0, "not a readable file"});
    return false;
  }
  std::ifstream datei(pfad, std::ios::binary);
  if (!datei) {
    fehler.push_back({0, "cannot be read"});
    return false;
  }
  return SkriptLesen(datei, zeilen, fehler);
}

}  // namespace wimmel::skript
