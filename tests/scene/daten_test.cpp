// A scene from the generated data (skipped when it has not been generated):
// the figures walk for a while without a message, inside the scene, drawn
// from shared strips.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "runtime/image.h"
#include "scene/intern.h"
#include "scene/scene.h"
#include "shared/settings.h"
#include "szene_hilfe.h"

namespace {

namespace fs = std::filesystem;
using namespace testhilfe;
using wimmel::Layout;
using wimmel::Settings;

std::string Daten() {
  const char* env = std::getenv("WIMMEL_DATA_DIR");
  const fs::path p = env != nullptr ? fs::path(env) : fs::path(WIMMEL_DATA_DIR);
  return fs::exists(p / "HG_bild" / "Karogrun.bmp") ? p.string() : "";
}

class DatenTest : public ::testing::TestWithParam<std::tuple<int32_t, int32_t>> {};

TEST_P(DatenTest, FiguresWalkWithoutMessages) {
  const std::string daten = Daten();
  if (daten.empty()) GTEST_SKIP() << "no generated data";
  const fs::path vorher = fs::current_path();
  fs::current_path(daten);
  const auto [modus, tiefe] = GetParam();
  Bildschirm(modus, tiefe, 1000);
  SzeneAufraeumen();
  Settings().FigurenAnzahl = 200;
  BaueHintergrund();
  BaueSzene();
  for (int i = 0; i < 300; ++i) Schritt();
  EXPECT_TRUE(Konsole().empty()) << KonsoleText();
  EXPECT_EQ(Abfragen(), 0) << "nothing waited for a key";
  for (int32_t nr = 1; nr <= 200; ++nr) {
    wimmel::scene::FigurEinblick f;
    ASSERT_TRUE(wimmel::scene::FigurAnsehen(nr, f));
    EXPECT_TRUE(f.stripGeteilt) << nr;
    EXPECT_GE(f.x, Layout().SzeneX0 - 10) << nr;
    EXPECT_LE(f.x + f.width, Layout().SzeneX1 + 10) << nr;
    EXPECT_GE(f.y, Layout().SzeneY0 - 10) << nr;
    EXPECT_LE(f.y + f.height, Layout().SzeneY1 + 10) << nr;
  }
  EXPECT_EQ(Pixel(11, Layout().screenHeight - 2), Erwartet(0x300000)) << "status box";
  SzeneAufraeumen();
  fs::current_path(vorher);
}

INSTANTIATE_TEST_SUITE_P(Modi, DatenTest,
                         ::testing::Values(std::make_tuple(18, 16), std::make_tuple(21, 32)));

}  // namespace
