// The headless runner's scratch folder: made fresh and marked on every run,
// and an existing folder removed only when the runner made it. All folders
// here live in a temporary folder of the test's own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "control/headless_ordner.h"

namespace fs = std::filesystem;

namespace {

class Arbeitsordner : public testing::Test {
 protected:
  void SetUp() override {
    std::string t = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                    "/wimmel-ordner-XXXXXX";
    ASSERT_NE(::mkdtemp(t.data()), nullptr);
    basis_ = t;
  }
  void TearDown() override { fs::remove_all(basis_); }

  static void Schreibe(const fs::path& datei, const std::string& text) {
    std::ofstream(datei, std::ios::binary) << text;
  }
  static std::string Lies(const fs::path& datei) {
    std::ifstream in(datei, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // A folder that belongs to someone else, with a file in it.
  fs::path Fremd(const std::string& name) {
    const fs::path ordner = basis_ / name;
    fs::create_directories(ordner);
    Schreibe(ordner / "wichtig.txt", "keep me");
    return ordner;
  }

  fs::path basis_;
};

TEST_F(Arbeitsordner, IsMadeMarkedAndMadeAfreshOnTheNextRun) {
  const fs::path arbeit = basis_ / "work";
  const fs::path daten = Fremd("daten");
  std::string fehler;
  ASSERT_TRUE(wimmel::skript::ArbeitsordnerAnlegen(arbeit, fehler)) << fehler;
  EXPECT_TRUE(fs::is_regular_file(arbeit / wimmel::skript::kMarkeName));
  const std::string marke = Lies(arbeit / wimmel::skript::kMarkeName);
  EXPECT_FALSE(marke.empty());

  // What the last run left, including a link into the data, goes; the data
  // behind the link stays.
  Schreibe(arbeit / "wimmelprt.txt", "log");
  fs::create_directory_symlink(daten, arbeit / "figure");
  ASSERT_TRUE(wimmel::skript::ArbeitsordnerAnlegen(arbeit, fehler)) << fehler;
  EXPECT_FALSE(fs::exists(arbeit / "wimmelprt.txt"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(arbeit / "figure")));
  EXPECT_EQ(Lies(arbeit / wimmel::skript::kMarkeName), marke);
  EXPECT_EQ(Lies(daten / "wichtig.txt"), "keep me");
}

TEST_F(Arbeitsordner, WhatTheRunnerDidNotMakeIsLeftAlone) {
  const std::string kName = wimmel::skript::kMarkeName;
  std::string fehler;
  // Made by the runner, as a source of a genuine mark.
  const fs::path echt = basis_ / "echt";
  ASSERT_TRUE(wimmel::skript::ArbeitsordnerAnlegen(echt, fehler));
  const std::string marke = Lies(echt / kName);

  // A folder without the mark.
  const fs::path ohne = Fremd("ohne");
  // A folder whose mark has other contents.
  const fs::path falsch = Fremd("falsch");
  Schreibe(falsch / kName, "something else");
  // A folder whose mark is a link to a genuine mark.
  const fs::path verlinkt = Fremd("verlinkt");
  fs::create_symlink(echt / kName, verlinkt / kName);
  // A link to a marked folder: removing would follow it.
  const fs::path link = basis_ / "link";
  fs::create_directory_symlink(echt, link);
  // A plain file.
  const fs::path datei = basis_ / "datei";
  Schreibe(datei, "keep me");

  for (const fs::path& p : {ohne, falsch, verlinkt}) {
    fehler.clear();
    EXPECT_FALSE(wimmel::skript::ArbeitsordnerAnlegen(p, fehler)) << p;
    EXPECT_NE(fehler.find(p.string()), std::string::npos) << fehler;
    EXPECT_EQ(Lies(p / "wichtig.txt"), "keep me") << p;
  }
  EXPECT_FALSE(wimmel::skript::ArbeitsordnerAnlegen(link, fehler));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(Lies(echt / kName), marke);
  EXPECT_FALSE(wimmel::skript::ArbeitsordnerAnlegen(datei, fehler));
  EXPECT_EQ(Lies(datei), "keep me");
}

}  // namespace
