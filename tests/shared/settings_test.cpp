// The program-wide settings, the figure kind table and the scene background
// as one run owns them.
#include "shared/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/display.h"
#include "runtime/image.h"

namespace rt = wimmel::rt;

namespace {

using wimmel::Settings;

TEST(SettingsTest, StartUpValuesAndResetRestoresThem) {
  EXPECT_EQ(Settings().Trenner, "\\");
  EXPECT_EQ(Settings().SoundMoeglich, "ja");
  EXPECT_EQ(Settings().KopfHoehe, 44);
  EXPECT_EQ(Settings().FussHoehe, 100);
  EXPECT_EQ(Settings().HilfeSeitenAnzahl, 3);
  EXPECT_EQ(Settings().FigurenAnzahl, 10);
  EXPECT_EQ(Settings().ProtokollAn, 0);
  EXPECT_EQ(Settings().MusikStatus, 0);
  Settings().FigurenAnzahl = 1024;
  Settings().SoundMoeglich = "nein";
  Settings().MausX = 7;
  wimmel::ResetSettings();
  EXPECT_EQ(Settings().FigurenAnzahl, 10);
  EXPECT_EQ(Settings().SoundMoeglich, "ja");
  EXPECT_EQ(Settings().MausX, 0);
}

TEST(SettingsTest, KindTableRows) {
  wimmel::FillFigureKinds();
  const char* const names[] = {"tarzan01", "blauzyli", "gelbzyli", "hottehue", "blaukuge",
                               "rotekuge", "koenigin", "koenigbl", "arnolauf", "arnorenn"};
  for (int32_t row = 1; row <= wimmel::kFigureKinds; ++row) {
    const wimmel::FigureKind& kind = wimmel::FigurTyp()[row];
    EXPECT_EQ(kind.name, names[row - 1]) << "row " << row;
    EXPECT_EQ(kind.XSprung, row == 10 ? 6.0 : 2.0) << "row " << row;
    EXPECT_EQ(kind.YSprung, row == 10 ? 3.0 : 1.0) << "row " << row;
  }
}

TEST(SettingsTest, SceneBackgroundIsFreedAndForgotten) {
  rt::headless::Install();
  ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
  const int64_t before = rt::LiveImages();
  wimmel::Layout().Hintergrund.reset(rt::CreateImage(16, 8, 0xFF00FF00));
  ASSERT_TRUE(wimmel::Layout().Hintergrund);
  wimmel::FreeHintergrund();
  EXPECT_FALSE(wimmel::Layout().Hintergrund);
  EXPECT_EQ(rt::LiveImages(), before);
  wimmel::FreeHintergrund();  // nothing left to free
  EXPECT_EQ(rt::LiveImages(), before);
  // A background still there when the run ends goes with the run's state;
  // under AddressSanitizer its leak check holds the owner to that.
  wimmel::Layout().Hintergrund.reset(rt::CreateImage(16, 8, 0xFF00FF00));
  ASSERT_TRUE(wimmel::Layout().Hintergrund);
}

}  // namespace
