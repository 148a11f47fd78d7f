// A scene from the generated data (skipped when it has not been generated):
// the figures walk for a while without a message, inside the scene, drawn
// from shared strips.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "runtime/image.h"
#include "scene/internal.h"
#include "scene/scene.h"
#include "scene_test_support.h"
#include "shared/settings.h"

namespace wimmel::test {
namespace {

namespace fs = std::filesystem;

std::string DataFolder() {
  const char* env = std::getenv("WIMMEL_DATA_DIR");
  const fs::path p = env != nullptr ? fs::path(env) : fs::path(WIMMEL_DATA_DIR);
  return fs::exists(p / "HG_bild" / "Karogrun.bmp") ? p.string() : "";
}

// Makes a folder the working folder while it lives, also when an assertion
// ends the case early.
class WorkIn {
 public:
  explicit WorkIn(const fs::path& folder) : previous_(fs::current_path()) {
    fs::current_path(folder);
  }
  ~WorkIn() { fs::current_path(previous_); }
  WorkIn(const WorkIn&) = delete;
  WorkIn& operator=(const WorkIn&) = delete;

 private:
  fs::path previous_;
};

class DataTest : public ::testing::TestWithParam<std::tuple<int32_t, int32_t>> {};

TEST_P(DataTest, FiguresWalkWithoutMessages) {
  const std::string data = DataFolder();
  if (data.empty()) GTEST_SKIP() << "no generated data";
  const WorkIn inData(data);
  const auto [mode, depth] = GetParam();
  OpenScreen(mode, depth, 1000);
  Settings().FigurenAnzahl = 200;
  BuildBackground();
  BuildScene();
  for (int i = 0; i < 300; ++i) Step();
  EXPECT_TRUE(ConsoleLines().empty()) << ConsoleText();
  EXPECT_EQ(Polls(), 0) << "nothing waited for a key";
  for (int32_t nr = 1; nr <= 200; ++nr) {
    scene::FigureView f;
    ASSERT_TRUE(scene::ViewFigure(nr, f));
    EXPECT_TRUE(f.stripShared) << nr;
    EXPECT_GE(f.x, Layout().SzeneX0 - 10) << nr;
    EXPECT_LE(f.x + f.width, Layout().SzeneX1 + 10) << nr;
    EXPECT_GE(f.y, Layout().SzeneY0 - 10) << nr;
    EXPECT_LE(f.y + f.height, Layout().SzeneY1 + 10) << nr;
  }
  EXPECT_EQ(Pixel(11, Layout().screenHeight - 2), ScreenColour(0x300000)) << "status box";
}

INSTANTIATE_TEST_SUITE_P(Modes, DataTest,
                         ::testing::Values(std::make_tuple(18, 16), std::make_tuple(21, 32)));

}  // namespace
}  // namespace wimmel::test
