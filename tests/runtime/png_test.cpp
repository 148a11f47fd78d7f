// PNG output: a picture is written whole under its name or not at all, and a
// failure says why. A full disk is stood in for by the process's file size
// limit, which makes a write fail the same way, with no privileges needed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/owned_image.h"
#include "runtime/runtime.h"
#include "test_files.h"

namespace fs = std::filesystem;
namespace rt = wimmel::rt;
namespace test = wimmel::test;

namespace {

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
    names.push_back(e.path().filename().string());
  }
  return names;
}

// Lowers the limit on the size of any file this process writes for its
// lifetime, as a full disk would stop a write; a write past it fails with
// EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit lower = saved_;
    lower.rlim_cur = bytes;
    active_ = setrlimit(RLIMIT_FSIZE, &lower) == 0;
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, oldHandler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;
  bool Active() const { return active_; }

 private:
  rlimit saved_{};
  sighandler_t oldHandler_ = SIG_DFL;
  bool active_ = false;
};

class PngOutput : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::headless::Install();
    ASSERT_EQ(rt::SetScreenMode(18, 32, 0, 1, 0), 0);
    folder_ = test::MakeTempFolder("png");
    ASSERT_FALSE(folder_.empty());
    // Noise compresses badly, so its PNG is far larger than the limit below.
    picture_.reset(rt::CreateImage(64, 64, 0, 0, 0));
    ASSERT_TRUE(picture_);
    std::mt19937 random(3);
    for (int32_t y = 0; y < 64; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(picture_->pixels + y * picture_->pitch);
      for (int32_t x = 0; x < 64; ++x) row[x] = random() & 0xFFFFFF;
    }
  }
  void TearDown() override {
    picture_.reset();
    fs::remove_all(folder_);
  }

  fs::path folder_;
  rt::OwnedImage picture_;
};

TEST_F(PngOutput, AWriteThatFailsKeepsTheFormerFileAndSaysWhy) {
  const fs::path shot = folder_ / "shot.png";
  // The screen (black) as the good picture that is there already.
  std::string why;
  ASSERT_TRUE(rt::WritePng(nullptr, shot.c_str(), &why)) << why;
  const std::string before = Slurp(shot);
  ASSERT_EQ(before.compare(0, 8, "\x89PNG\r\n\x1A\n"), 0);
  ASSERT_LT(before.size(), 4000u);

  testing::internal::CaptureStderr();
  bool written = true;
  {
    FileSizeLimit limit(4000);
    ASSERT_TRUE(limit.Active());
    written = rt::WritePng(picture_, shot.c_str(), &why);
  }
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(written);
  EXPECT_NE(why.find(std::strerror(EFBIG)), std::string::npos) << why;
  EXPECT_EQ(errors, "") << "the caller reports the failure, nobody else";
  EXPECT_TRUE(Slurp(shot) == before) << "the former picture was damaged";
  EXPECT_EQ(Entries(folder_), std::vector<std::string>{"shot.png"}) << "a part-written file stayed";

  // Without the limit the same picture replaces the former one, whole.
  why.clear();
  ASSERT_TRUE(rt::WritePng(picture_, shot.c_str(), &why)) << why;
  const std::string after = Slurp(shot);
  EXPECT_GT(after.size(), 4000u);
  EXPECT_EQ(after.compare(after.size() - 8, 4, "IEND"), 0);
  EXPECT_EQ(Entries(folder_), std::vector<std::string>{"shot.png"});
  struct stat status {};
  ASSERT_EQ(stat(shot.c_str(), &status), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask) << "made like any other new file";
}

TEST_F(PngOutput, OnlyARegularFileIsReplaced) {
  const fs::path folder = folder_ / "folder.png";
  fs::create_directory(folder);
  std::string why;
  EXPECT_FALSE(rt::WritePng(picture_, folder.c_str(), &why));
  EXPECT_FALSE(why.empty());
  EXPECT_TRUE(fs::is_directory(folder));
  EXPECT_FALSE(rt::WritePng(picture_, (folder_ / "missing" / "shot.png").c_str(), &why));
  EXPECT_NE(why.find(std::strerror(ENOENT)), std::string::npos) << why;
  EXPECT_EQ(Entries(folder_), std::vector<std::string>{"folder.png"});
}

}  // namespace
