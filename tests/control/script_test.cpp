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

#include "control/runner_script.h"

namespace {

using wimmel::control::LineKind;
using wimmel::control::ReadScriptFile;
using wimmel::control::ScriptError;
using wimmel::control::ScriptLine;

struct ReadResult {
  bool good = false;
  std::vector<ScriptLine> lines;
  std::vector<ScriptError> errors;
};

ReadResult Read(const std::string& text) {
  ReadResult r;
  std::istringstream in(text);
  r.good = wimmel::control::ReadScript(in, r.lines, r.errors);
  return r;
}

TEST(ReadScript, EveryLineKindKeepsItsValues) {
  const ReadResult r = Read(
      "# a comment line\n"
      "desktop 1024 768 16\n"
      "offer 640 480 15\n"
      "log\n"
      "\n"
      "key E\n"
      "key Esc  # a comment after a key name\n"
      "key #33  # code 33 with a comment\n"
      "key #\n"
      "key\t #65  # a code after a tab and blanks\n"
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
  ASSERT_TRUE(r.good) << r.errors.front().line << ": " << r.errors.front().text;
  ASSERT_EQ(r.lines.size(), 20u);
  const auto& l = r.lines;
  EXPECT_EQ(l[0].kind, LineKind::Desktop);
  EXPECT_EQ(l[0].number, 2);
  EXPECT_EQ(l[0].x, 1024);
  EXPECT_EQ(l[0].y, 768);
  EXPECT_EQ(l[0].depth, 16);
  EXPECT_EQ(l[1].kind, LineKind::Offer);
  EXPECT_EQ(l[1].depth, 15);
  EXPECT_EQ(l[2].kind, LineKind::Log);
  EXPECT_EQ(l[3].kind, LineKind::Key);
  EXPECT_EQ(l[3].number, 6);
  EXPECT_EQ(l[3].value, uint32_t{'E'});
  EXPECT_EQ(l[4].value, 27u);
  EXPECT_EQ(l[5].value, 33u);
  EXPECT_EQ(l[6].value, uint32_t{'#'});
  EXPECT_EQ(l[7].value, 65u);
  EXPECT_EQ(l[8].value, 0x3BFFu);
  EXPECT_EQ(l[9].kind, LineKind::Type);
  EXPECT_EQ(l[9].text, " ab c") << "type keeps its blanks but not the line end";
  EXPECT_EQ(l[10].kind, LineKind::Mouse);
  EXPECT_EQ(l[10].x, 12);
  EXPECT_EQ(l[10].y, 34);
  EXPECT_EQ(l[11].kind, LineKind::MouseOut);
  EXPECT_EQ(l[12].kind, LineKind::Press);
  EXPECT_EQ(l[12].value, 2u);
  EXPECT_EQ(l[13].kind, LineKind::Release);
  EXPECT_EQ(l[13].value, 1u);
  EXPECT_EQ(l[14].kind, LineKind::Wait);
  EXPECT_EQ(l[14].seconds, 0.25);
  EXPECT_EQ(l[15].seconds, 0.5);
  EXPECT_EQ(l[16].seconds, 3600.0);
  EXPECT_EQ(l[17].kind, LineKind::Shot);
  EXPECT_EQ(l[17].text, "keys-0.png");
  EXPECT_EQ(l[18].kind, LineKind::ExpectPixel);
  EXPECT_EQ(l[18].x, 0);
  EXPECT_EQ(l[18].y, 479);
  EXPECT_EQ(l[18].value, 0xA4A4FFu);
  EXPECT_EQ(l[19].kind, LineKind::ExpectEnded);
  EXPECT_EQ(l[19].number, 22);
}

// The ends of each range are part of it.
TEST(ReadScript, TheLimitsThemselvesAreAllowed) {
  const ReadResult r = Read(
      "wait 0\n"
      "key #1\n"
      "key #255\n"
      "mouse 16384 0\n"
      "expect-pixel 16384 16384 fFfFfF\n"
      "desktop 16384 1 8\n");
  ASSERT_TRUE(r.good) << r.errors.front().line << ": " << r.errors.front().text;
  ASSERT_EQ(r.lines.size(), 6u);
  const auto& l = r.lines;
  EXPECT_EQ(l[0].seconds, 0.0);
  EXPECT_EQ(l[1].value, 1u);
  EXPECT_EQ(l[2].value, 255u);
  EXPECT_EQ(l[3].x, 16384);
  EXPECT_EQ(l[4].y, 16384);
  EXPECT_EQ(l[4].value, 0xFFFFFFu);
  EXPECT_EQ(l[5].x, 16384);
  EXPECT_EQ(l[5].depth, 8);
}

// Each of these lines would today be misread, run for ever, or reach outside
// the output folder; each must be refused on its own line.
TEST(ReadScript, BadLinesAreRefusedWithTheirNumber) {
  const char* const kBad[] = {
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
  for (const char* line : kBad) {
    const ReadResult r = Read(std::string("key E\n") + line + "\nkey x\n");
    EXPECT_FALSE(r.good) << line;
    ASSERT_EQ(r.errors.size(), 1u) << line;
    EXPECT_EQ(r.errors[0].line, 2) << line;
    EXPECT_FALSE(r.errors[0].text.empty()) << line;
  }
  // Every bad line is reported, not only the first; a second desktop line is
  // one too many; a NUL byte cannot be typed.
  const ReadResult r =
      Read("desktop 640 480 16\nkey Foo\nwait 1\ndesktop 800 600 16\nwait -1\ntype a" +
           std::string(1, '\0') + "b\n");
  EXPECT_FALSE(r.good);
  ASSERT_EQ(r.errors.size(), 4u);
  EXPECT_EQ(r.errors[0].line, 2);
  EXPECT_EQ(r.errors[1].line, 4);
  EXPECT_EQ(r.errors[2].line, 5);
  EXPECT_EQ(r.errors[3].line, 6);
}

// Editors on some systems put a UTF-8 byte-order mark before the first line;
// it is no part of the script. Anywhere else the bytes are refused as usual.
TEST(ReadScript, AByteOrderMarkBeforeTheFirstLineIsPassedOver) {
  const std::string mark = "\xEF\xBB\xBF";
  ReadResult r = Read(mark + "key E\nwait 1\n");
  EXPECT_TRUE(r.good) << (r.errors.empty() ? "" : r.errors[0].text);
  ASSERT_EQ(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0].kind, LineKind::Key);
  EXPECT_EQ(r.lines[0].value, static_cast<uint32_t>('E'));
  EXPECT_EQ(r.lines[0].number, 1);
  // Before a comment or an empty first line as well.
  r = Read(mark + "# a tour\nkey E\n");
  EXPECT_TRUE(r.good);
  EXPECT_EQ(r.lines.size(), 1u);
  r = Read(mark + "\nkey E\n");
  EXPECT_TRUE(r.good);
  EXPECT_EQ(r.lines.size(), 1u);
  // The mark at the start of a later line, or twice, is no mark but a word.
  r = Read("key E\n" + mark + "wait 1\n");
  EXPECT_FALSE(r.good);
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0].line, 2);
  r = Read(mark + mark + "key E\n");
  EXPECT_FALSE(r.good);
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0].line, 1);
}

TEST(ReadScript, OnlyARegularFileIsAScript) {
  std::string folder =
      std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/wimmel-script-XXXXXX";
  ASSERT_NE(::mkdtemp(folder.data()), nullptr);
  std::vector<ScriptLine> lines;
  std::vector<ScriptError> errors;
  // A folder opens as an empty stream; it must not pass as an empty script.
  EXPECT_FALSE(ReadScriptFile(folder, lines, errors));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].line, 0);
  errors.clear();
  EXPECT_FALSE(ReadScriptFile(folder + "/missing.script", lines, errors));
  EXPECT_EQ(errors.size(), 1u);
  EXPECT_FALSE(ReadScriptFile("/dev/null", lines, errors));

  errors.clear();
  const std::string file = folder + "/good.script";
  std::ofstream(file) << "key E\nwait 1\n";
  EXPECT_TRUE(ReadScriptFile(file, lines, errors));
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(lines.size(), 2u);
  std::filesystem::remove_all(folder);
}

}  // namespace
