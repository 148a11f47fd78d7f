// The generator itself: its output does not change from run to run, and its
// palette encoder keeps the transparent colour exact.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bmp_file.h"
#include "picture.h"
#include "songs.h"
#include "synth.h"

namespace assettest {
namespace {

namespace fs = std::filesystem;

TEST(AssetGenerator, PicturesAreTheSameOnEveryRun) {
  const fs::path out = fs::temp_directory_path() / ("assetgen-test-" + std::to_string(::getpid()));
  fs::remove_all(out);
  const std::string cmd =
      std::string(WIMMEL_BIN_DIR) + "/assetgen " + out.string() + " --only-pictures > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  int compared = 0;
  for (const auto& entry : fs::recursive_directory_iterator(out)) {
    if (!entry.is_regular_file()) continue;
    const fs::path rel = fs::relative(entry.path(), out);
    EXPECT_EQ(ReadBytes(entry.path().string()), ReadBytes((fs::path(DataDir()) / rel).string()))
        << rel;
    ++compared;
  }
  EXPECT_GE(compared, 5 + 12 + 10 + 44);
  EXPECT_FALSE(fs::exists(out / "musik"));
  fs::remove_all(out);
}

TEST(AssetGenerator, MusicIsTheSameOnEveryRun) {
  const auto tracks = assetgen::AllTracks();
  ASSERT_EQ(tracks.size(), 4u);
  ASSERT_EQ(tracks[0].file, "Qum1_I.mp3");
  const auto bytes = assetgen::EncodeMp3(assetgen::RenderSong(tracks[0].song), 160);
  EXPECT_EQ(bytes, ReadBytes(DataDir() + "/musik/Qum1_I.mp3"));
}

// More colours than a palette holds must be reduced without any of them
// turning into the mask colour, and mask pixels must stay exact.
TEST(AssetGenerator, PaletteEncodingKeepsMagentaExact) {
  for (auto kind : {assetgen::BmpKind::kPalette8, assetgen::BmpKind::kPalette4}) {
    assetgen::Picture pic(41, 37);
    for (int y = 0; y < pic.h; ++y)
      for (int x = 0; x < pic.w; ++x)
        if ((x + y) % 5 != 0)
          pic.At(x, y) = {static_cast<uint8_t>(250 - x), static_cast<uint8_t>(y * 2),
                          static_cast<uint8_t>(250 - y)};
    const fs::path file =
        fs::temp_directory_path() / ("assetgen-palette-" + std::to_string(::getpid()) + ".bmp");
    ASSERT_TRUE(assetgen::WriteFileBytes(file.string(), assetgen::EncodeBmp(pic, kind)));
    const Bmp b = ReadBmp(file.string());
    fs::remove(file);
    ASSERT_EQ(b.error, "");
    EXPECT_EQ(b.bits, kind == assetgen::BmpKind::kPalette8 ? 8 : 4);
    ASSERT_EQ(b.width, 41);
    for (int y = 0; y < pic.h; ++y)
      for (int x = 0; x < pic.w; ++x)
        ASSERT_EQ(b.At(x, y).IsMagenta(), pic.At(x, y) == assetgen::kMagenta) << x << "," << y;
  }
}

}  // namespace
}  // namespace assettest
