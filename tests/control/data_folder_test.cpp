// The search for the data folders: the places in their order, a named folder
// that stands alone, and the message that names every place looked at.
#include "control/data_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "test_files.h"

namespace fs = std::filesystem;

namespace wimmel::control {
namespace {

class DataSearchTest : public testing::Test {
 protected:
  void SetUp() override {
    const fs::path made = wimmel::test::MakeTempFolder("data");
    ASSERT_FALSE(made.empty());
    base_ = fs::canonical(made);
    fs::create_directories(base_ / "empty");
    before_ = fs::current_path();
    fs::current_path(base_ / "empty");
    if (const char* env = std::getenv("WIMMEL_DATA")) savedEnv_ = env;
    ::unsetenv("WIMMEL_DATA");
  }
  void TearDown() override {
    fs::current_path(before_);
    if (!savedEnv_.empty()) ::setenv("WIMMEL_DATA", savedEnv_.c_str(), 1);
    fs::remove_all(base_);
  }

  // A folder with the four picture folders (and no music: that is optional).
  fs::path MakeData(const fs::path& folder) {
    for (const char* name : {"HG_bild", "figure", "objekte", "pattern"}) {
      fs::create_directories(folder / name);
    }
    return folder;
  }

  fs::path base_, before_;
  std::string savedEnv_;
};

TEST_F(DataSearchTest, PlacesInOrder) {
  // A program in <prefix>/bin of an installation, beside nothing.
  const fs::path bin = base_ / "usr" / "bin";
  fs::create_directories(bin);
  DataSearch s = FindData("", true, bin);
  EXPECT_TRUE(s.found.empty());

  // Where a plain program's data is installed, then where a game's is, which
  // comes first.
  const fs::path installed = MakeData(base_ / "usr" / "share" / "wimmel");
  s = FindData("", true, bin);
  EXPECT_EQ(s.found, installed);
  const fs::path game = MakeData(base_ / "usr" / "share" / "games" / "wimmel");
  EXPECT_EQ(FindData("", true, bin).found, game);
  fs::remove_all(installed);
  EXPECT_EQ(FindData("", true, bin).found, game);

  // A build tree: bin/../data comes before the installed data.
  const fs::path beside = MakeData(base_ / "usr" / "data");
  EXPECT_EQ(FindData("", true, bin).found, beside);

  const fs::path fromEnv = MakeData(base_ / "env");
  ::setenv("WIMMEL_DATA", fromEnv.c_str(), 1);
  EXPECT_EQ(FindData("", true, bin).found, fromEnv);

  // The working folder comes first, for wimmel; the runner never uses it.
  MakeData(base_ / "empty");
  EXPECT_EQ(FindData("", true, bin).found, base_ / "empty");
  EXPECT_EQ(FindData("", false, bin).found, fromEnv);

  // A folder that only has some of the picture folders is no data folder.
  fs::remove_all(base_ / "empty" / "pattern");
  EXPECT_EQ(FindData("", true, bin).found, fromEnv);
}

TEST_F(DataSearchTest, ANamedFolderStandsAlone) {
  const fs::path bin = base_ / "bin";
  fs::create_directories(bin);
  MakeData(base_ / "data");  // beside the program
  const fs::path named = MakeData(base_ / "named");
  EXPECT_EQ(FindData(named.string(), true, bin).found, named);
  // A named folder without data is not replaced by one the user did not name.
  const DataSearch s = FindData((base_ / "nothing").string(), true, bin);
  EXPECT_TRUE(s.found.empty());
  ASSERT_EQ(s.looked.size(), 1u);
  EXPECT_NE(s.looked[0].find("--data " + (base_ / "nothing").string()), std::string::npos);
}

TEST_F(DataSearchTest, TheMessageNamesEveryPlace) {
  const fs::path bin = base_ / "opt" / "bin";
  fs::create_directories(bin);
  const DataSearch s = FindData("", true, bin);
  ASSERT_TRUE(s.found.empty());
  const std::string message = NoDataMessage("wimmel", s);
  for (const std::string& place :
       {(base_ / "empty").string(), std::string("$WIMMEL_DATA (not set)"),
        (base_ / "opt" / "data").string(), (base_ / "opt" / "share" / "games" / "wimmel").string(),
        (base_ / "opt" / "share" / "wimmel").string()}) {
    EXPECT_NE(message.find(place), std::string::npos) << place << "\n" << message;
  }
  EXPECT_EQ(message.rfind("wimmel: no data found", 0), 0u) << message;
  // An installed program has no source folder to run ./run in.
  EXPECT_FALSE(s.fromBuildTree);
  EXPECT_EQ(message.find("./run"), std::string::npos) << message;
  EXPECT_NE(message.find("the package wimmel-data"), std::string::npos) << message;
}

TEST_F(DataSearchTest, OnlyABuildTreeIsToldToRunTheBuild) {
  const fs::path bin = base_ / "build" / "bin";
  fs::create_directories(bin);
  std::ofstream(base_ / "build" / "CMakeCache.txt") << "# a build tree\n";
  const DataSearch s = FindData("", true, bin);
  ASSERT_TRUE(s.found.empty());
  EXPECT_TRUE(s.fromBuildTree);
  const std::string message = NoDataMessage("wimmel", s);
  EXPECT_NE(message.find("./run or ./test in the source folder"), std::string::npos) << message;
  EXPECT_EQ(message.find("the package wimmel-data"), std::string::npos) << message;
}

TEST_F(DataSearchTest, AnEmptyWimmelDataIsNamedWhenPassedOver) {
  const fs::path bin = base_ / "usr" / "games";
  fs::create_directories(bin);
  const fs::path installed = MakeData(base_ / "usr" / "share" / "games" / "wimmel");
  fs::create_directories(base_ / "stale");
  ::setenv("WIMMEL_DATA", (base_ / "stale").c_str(), 1);
  DataSearch s = FindData("", true, bin);
  EXPECT_EQ(s.found, installed);
  EXPECT_EQ(PassedOverMessage("wimmel-headless", s),
            "wimmel-headless: $WIMMEL_DATA names " + (base_ / "stale").string() +
                ", which holds no data folders; using " + installed.string() + "\n");

  // Nothing to say when $WIMMEL_DATA holds the data, is not set, is not
  // looked at because the working folder or --data came first, or when
  // nothing was found at all (the no-data message names it then).
  MakeData(base_ / "stale");
  EXPECT_EQ(PassedOverMessage("wimmel", FindData("", true, bin)), "");
  fs::remove_all(base_ / "stale");
  ::unsetenv("WIMMEL_DATA");
  EXPECT_EQ(PassedOverMessage("wimmel", FindData("", true, bin)), "");
  ::setenv("WIMMEL_DATA", (base_ / "stale").c_str(), 1);
  EXPECT_EQ(PassedOverMessage("wimmel", FindData(installed.string(), true, bin)), "");
  MakeData(base_ / "empty");
  EXPECT_EQ(PassedOverMessage("wimmel", FindData("", true, bin)), "");
  fs::remove_all(installed);
  s = FindData("", false, bin);
  EXPECT_TRUE(s.found.empty());
  EXPECT_EQ(PassedOverMessage("wimmel", s), "");
}

}  // namespace
}  // namespace wimmel::control
