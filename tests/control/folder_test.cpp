// The headless runner's scratch folder: made fresh and marked on every run,
// and an existing folder removed only when the runner made it. All folders
// here live in a temporary folder of the test's own.
#include <gtest/gtest.h>
#include <limits.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "control/runner_folder.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

using wimmel::control::kMarkName;
using wimmel::control::MakeScratchFolder;

class ScratchFolder : public testing::Test {
 protected:
  void SetUp() override {
    base_ = wimmel::test::MakeTempFolder("folder");
    ASSERT_FALSE(base_.empty());
  }
  void TearDown() override { fs::remove_all(base_); }

  static void Write(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
  }
  static std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // A folder that belongs to someone else, with a file in it.
  fs::path Foreign(const std::string& name) {
    const fs::path folder = base_ / name;
    fs::create_directories(folder);
    Write(folder / "important.txt", "keep me");
    return folder;
  }

  fs::path base_;
};

TEST_F(ScratchFolder, IsMadeMarkedAndMadeAfreshOnTheNextRun) {
  const fs::path work = base_ / "work";
  const fs::path data = Foreign("data");
  std::string error;
  ASSERT_TRUE(MakeScratchFolder(work, error)) << error;
  EXPECT_TRUE(fs::is_regular_file(work / kMarkName));
  const std::string mark = Read(work / kMarkName);
  EXPECT_FALSE(mark.empty());

  // What the last run left, including a link into the data, goes; the data
  // behind the link stays.
  Write(work / "wimmelprt.txt", "log");
  fs::create_directory_symlink(data, work / "figure");
  ASSERT_TRUE(MakeScratchFolder(work, error)) << error;
  EXPECT_FALSE(fs::exists(work / "wimmelprt.txt"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(work / "figure")));
  EXPECT_EQ(Read(work / kMarkName), mark);
  EXPECT_EQ(Read(data / "important.txt"), "keep me");
}

TEST_F(ScratchFolder, WhatTheRunnerDidNotMakeIsLeftAlone) {
  std::string error;
  // Made by the runner, as a source of a genuine mark.
  const fs::path genuine = base_ / "genuine";
  ASSERT_TRUE(MakeScratchFolder(genuine, error));
  const std::string mark = Read(genuine / kMarkName);

  // A folder without the mark.
  const fs::path unmarked = Foreign("unmarked");
  // A folder whose mark has other contents.
  const fs::path wrongMark = Foreign("wrong-mark");
  Write(wrongMark / kMarkName, "something else");
  // A folder whose mark is a link to a genuine mark.
  const fs::path linkedMark = Foreign("linked-mark");
  fs::create_symlink(genuine / kMarkName, linkedMark / kMarkName);
  // A link to a marked folder: removing would follow it.
  const fs::path link = base_ / "link";
  fs::create_directory_symlink(genuine, link);
  // A plain file.
  const fs::path file = base_ / "file";
  Write(file, "keep me");

  for (const fs::path& p : {unmarked, wrongMark, linkedMark}) {
    error.clear();
    EXPECT_FALSE(MakeScratchFolder(p, error)) << p;
    EXPECT_NE(error.find(p.string()), std::string::npos) << error;
    EXPECT_EQ(Read(p / "important.txt"), "keep me") << p;
  }
  EXPECT_FALSE(MakeScratchFolder(link, error));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Read(genuine / kMarkName), mark);
  EXPECT_FALSE(MakeScratchFolder(file, error));
  EXPECT_EQ(Read(file), "keep me");
}

// A folder that can be made but whose mark cannot be written (here: the
// mark's path is one the system refuses as too long; a full disk does the
// same) must not stay behind unmarked, or every later run would refuse it as
// someone else's folder.
TEST_F(ScratchFolder, AFolderWhoseMarkCannotBeWrittenIsRemovedAgain) {
  // Folders nested until the scratch folder's own path just fits the
  // system's limit and its mark's path does not.
  const size_t length = PATH_MAX - 16;
  fs::path deep = base_;
  while (deep.string().size() + 201 <= length - 2) deep /= std::string(200, 'd');
  deep /= std::string(length - deep.string().size() - 1, 'e');
  fs::create_directories(deep);
  const fs::path work = deep / "work";
  ASSERT_LT(work.string().size(), static_cast<size_t>(PATH_MAX));
  ASSERT_GE((work / kMarkName).string().size(), static_cast<size_t>(PATH_MAX));

  std::string error;
  EXPECT_FALSE(MakeScratchFolder(work, error));
  EXPECT_NE(error.find(kMarkName), std::string::npos) << error;
  EXPECT_NE(error.find(std::strerror(ENAMETOOLONG)), std::string::npos)
      << "the message says why: " << error;
  EXPECT_FALSE(fs::exists(fs::symlink_status(work))) << "the unmarked folder stayed behind";
  EXPECT_TRUE(fs::is_directory(deep)) << "only the folder just made goes";
}

}  // namespace
