// The headless runner's script reading: every line kind in its checked form,
// and every kind of bad line refused with its line number before the program
// would start.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "control/headless_skript.h"

namespace {

using wimmel::skript::Art;
using wimmel::skript::Fehler;
using wimmel::skript::Zeile;

struct Ergebnis {
  bool gut = false;
  std::vector<Zeile> zeilen;
  std::vector<Fehler> fehler;
};

Ergebnis Lies(const std::string& text) {
  Ergebnis e;
  std::istringstream in(text);
  e.gut = wimmel::skript::SkriptLesen(in, e.zeilen, e.fehler);
  return e;
}

TEST(SkriptLesen, EveryLineKindKeepsItsValues) {
  const Ergebnis e = Lies(
      "# a comment line\n"
      "desktop 1024 768 16\n"
      "offer 640 480 15\n"
      "log\n"
      "\n"
      "key E\n"
      "key Esc  # a comment after a key name\n"
      "key #33  # code 33 with a comment\n"
      "key #\n"
      "key F1\n"
      "type  ab c\r\n"
      "mouse 12 34\n"
      "mouse out\n"
      "press right\n"
      "release left\n"
      "wait 0.25\n"
      "wait .5\n"
      "wait 3600\n"
      "shot keys-0.png\n"
      "expect-pixel 0 479 a4A4ff\n"
      "expect-ended\n");
  ASSERT_TRUE(e.gut) << e.fehler.front().zeile << ": " << e.fehler.front().text;
  ASSERT_EQ(e.zeilen.size(), 19u);
  const auto& z = e.zeilen;
  EXPECT_EQ(z[0].art, Art::Desktop);
  EXPECT_EQ(z[0].nummer, 2);
  EXPECT_EQ(z[0].x, 1024);
  EXPECT_EQ(z[0].y, 768);
  EXPECT_EQ(z[0].tiefe, 16);
  EXPECT_EQ(z[1].art, Art::Angebot);
  EXPECT_EQ(z[1].tiefe, 15);
  EXPECT_EQ(z[2].art, Art::Protokoll);
  EXPECT_EQ(z[3].art, Art::Taste);
  EXPECT_EQ(z[3].nummer, 6);
  EXPECT_EQ(z[3].wert, uint32_t{'E'});
  EXPECT_EQ(z[4].wert, 27u);
  EXPECT_EQ(z[5].wert, 33u);
  EXPECT_EQ(z[6].wert, uint32_t{'#'});
  EXPECT_EQ(z[7].wert, 0x3BFFu);
  EXPECT_EQ(z[8].art, Art::Tippen);
  EXPECT_EQ(z[8].text, " ab c") << "type keeps its blanks but not the line end";
  EXPECT_EQ(z[9].art, Art::Maus);
  EXPECT_EQ(z[9].x, 12);
  EXPECT_EQ(z[9].y, 34);
  EXPECT_EQ(z[10].art, Art::MausWeg);
  EXPECT_EQ(z[11].art, Art::Druecken);
  EXPECT_EQ(z[11].wert, 2u);
  EXPECT_EQ(z[12].art, Art::Loslassen);
  EXPECT_EQ(z[12].wert, 1u);
  EXPECT_EQ(z[13].art, Art::Warten);
  EXPECT_EQ(z[13].sekunden, 0.25);
  EXPECT_EQ(z[14].sekunden, 0.5);
  EXPECT_EQ(z[15].sekunden, 3600.0);
  EXPECT_EQ(z[16].art, Art::Bildschirmfoto);
  EXPECT_EQ(z[16].text, "keys-0.png");
  EXPECT_EQ(z[17].art, Art::PixelErwartet);
  EXPECT_EQ(z[17].x, 0);
  EXPECT_EQ(z[17].y, 479);
  EXPECT_EQ(z[17].wert, 0xA4A4FFu);
  EXPECT_EQ(z[18].art, Art::EndeErwartet);
  EXPECT_EQ(z[18].nummer, 21);
}

// Each of these lines would today be misread, run for ever, or reach outside
// the output folder; each must be refused on its own line.
TEST(SkriptLesen, BadLinesAreRefusedWithTheirNumber) {
  const char* const kSchlecht[] = {
      // Waits that are not finite, not numbers, negative or absurdly long.
      "wait inf", "wait 1e308", "wait abc", "wait -5", "wait nan", "wait 1x", "wait 3600.5", "wait",
      "wait 1 2", "wait 0x10", "wait 1..2", "wait .",
      // Colours and coordinates.
      "expect-pixel 0 0 GGGGGG", "expect-pixel 0 0 12345", "expect-pixel 0 0 1234567",
      "expect-pixel 1.5 0 000000", "expect-pixel -1 0 000000", "expect-pixel 0 0 000000 x",
      "expect-pixel 0 99999999999 000000", "expect-pixel 0 0 0x0000",
      // Keys.
      "key Foo", "key", "key #0", "key #256", "key #+5", "key a b", "key esc",
      // Mouse and buttons.
      "mouse", "mouse 1", "mouse a b", "mouse 1 2 3", "mouse -1 0", "mouse out now", "press middle",
      "press", "release left right",
      // Modes.
      "desktop 1280 1024", "desktop 0 1024 32", "desktop 1280 1024 12", "desktop 99999 1 32",
      "offer 1280 1024 8", "offer 333 333 32", "offer 640 480 16 x",
      // Screenshots that would leave the output folder, or name nothing.
      "shot ../x.png", "shot a/b.png", "shot /tmp/x.png", "shot ..", "shot .", "shot",
      "shot a b.png",
      // Trailing words, unknown words, nothing to type.
      "log now", "expect-ended x", "frobnicate", "Key a", "type", "expect-pixel"};
  for (const char* zeile : kSchlecht) {
    const Ergebnis e = Lies(std::string("key E\n") + zeile + "\nkey x\n");
    EXPECT_FALSE(e.gut) << zeile;
    ASSERT_EQ(e.fehler.size(), 1u) << zeile;
    EXPECT_EQ(e.fehler[0].zeile, 2) << zeile;
    EXPECT_FALSE(e.fehler[0].text.empty()) << zeile;
  }
  // Every bad line is reported, not only the first; a second desktop line is
  // one too many; a NUL byte cannot be typed.
  const Ergebnis e =
      Lies("desktop 640 480 16\nkey Foo\nwait 1\ndesktop 800 600 16\nwait -1\ntype a" +
           std::string(1, '\0') + "b\n");
  EXPECT_FALSE(e.gut);
  ASSERT_EQ(e.fehler.size(), 4u);
  EXPECT_EQ(e.fehler[0].zeile, 2);
  EXPECT_EQ(e.fehler[1].zeile, 4);
  EXPECT_EQ(e.fehler[2].zeile, 5);
  EXPECT_EQ(e.fehler[3].zeile, 6);
}

TEST(SkriptLesen, OnlyARegularFileIsAScript) {
  std::string ordner =
      std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/wimmel-skript-XXXXXX";
  ASSERT_NE(::mkdtemp(ordner.data()), nullptr);
  std::vector<Zeile> zeilen;
  std::vector<Fehler> fehler;
  // A folder opens as an empty stream; it must not pass as an empty script.
  EXPECT_FALSE(wimmel::skript::SkriptDateiLesen(ordner, zeilen, fehler));
  ASSERT_EQ(fehler.size(), 1u);
  EXPECT_EQ(fehler[0].zeile, 0);
  fehler.clear();
  EXPECT_FALSE(wimmel::skript::SkriptDateiLesen(ordner + "/fehlt.script", zeilen, fehler));
  EXPECT_EQ(fehler.size(), 1u);
  EXPECT_FALSE(wimmel::skript::SkriptDateiLesen("/dev/null", zeilen, fehler));

  fehler.clear();
  const std::string datei = ordner + "/gut.script";
  std::ofstream(datei) << "key E\nwait 1\n";
  EXPECT_TRUE(wimmel::skript::SkriptDateiLesen(datei, zeilen, fehler));
  EXPECT_TRUE(fehler.empty());
  EXPECT_EQ(zeilen.size(), 2u);
  std::filesystem::remove_all(ordner);
}

}  // namespace
