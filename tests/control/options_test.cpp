// wimmel's command line: every option with its values, and the problems a
// bad or incomplete argument reports.
#include "control/options.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace wimmel::control {
namespace {

// Parses the arguments after the program's name.
bool Parse(std::initializer_list<const char*> args, Options& options, std::string& error) {
  std::vector<std::string> words = {"wimmel"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  return ParseOptions(static_cast<int>(words.size()), argv.data(), options, error);
}

TEST(Options, NoneStartsOnTheStartScreen) {
  Options o;
  std::string error;
  ASSERT_TRUE(Parse({}, o, error)) << error;
  EXPECT_FALSE(o.help || o.version || o.window);
  EXPECT_FALSE(o.mode || o.figures || o.music || o.benchmarkSeconds);
  EXPECT_TRUE(o.dataFolder.empty());
}

TEST(Options, EveryOptionInBothSpellings) {
  Options o;
  std::string error;
  ASSERT_TRUE(Parse({"--mode", "800x600x16", "--figures=1024", "--music", "on", "--window",
                     "--data=/some/where", "--benchmark", "2.5"},
                    o, error))
      << error;
  ASSERT_TRUE(o.mode);
  EXPECT_EQ(o.mode->width, 800);
  EXPECT_EQ(o.mode->height, 600);
  EXPECT_EQ(o.mode->depth, 16);
  EXPECT_EQ(o.figures, 1024);
  EXPECT_EQ(o.music, true);
  EXPECT_TRUE(o.window);
  EXPECT_EQ(o.dataFolder, "/some/where");
  EXPECT_EQ(o.benchmarkSeconds, 2.5);

  ASSERT_TRUE(Parse({"--music=off", "--figures", "1", "-h", "-V"}, o, error)) << error;
  EXPECT_EQ(o.music, false);
  EXPECT_EQ(o.figures, 1);
  EXPECT_TRUE(o.help);
  EXPECT_TRUE(o.version);
  // A second run of the parser in one process starts afresh.
  ASSERT_TRUE(Parse({"--help"}, o, error)) << error;
  EXPECT_TRUE(o.help);
  EXPECT_FALSE(o.figures);
}

TEST(Options, AllSixteenModesAndNothingElse) {
  int count = 0;
  for (const char* size : {"640x480", "800x600", "1024x768", "1280x1024"}) {
    for (const char* depth : {"15", "16", "24", "32"}) {
      ScreenMode mode;
      const std::string text = std::string(size) + "x" + depth;
      ASSERT_TRUE(ParseScreenMode(text, mode)) << text;
      EXPECT_EQ(ModeText(mode), text);
      ++count;
    }
  }
  EXPECT_EQ(count, 16);
  for (const char* bad : {"", "800x600", "800x600x8", "800x601x16", "640X480X16", "640x480x16x",
                          " 640x480x16", "640x480x016a", "-640x480x16", "1280x1024x32 "}) {
    ScreenMode mode;
    EXPECT_FALSE(ParseScreenMode(bad, mode)) << "'" << bad << "'";
  }
}

TEST(Options, BadArgumentsNameTheirProblem) {
  struct Case {
    std::initializer_list<const char*> args;
    const char* problem;
  };
  const Case cases[] = {
      {{"--mode", "800x600x8"}, "--mode '800x600x8' is not a mode"},
      {{"--mode"}, "--mode needs a value"},
      {{"--figures", "0"}, "--figures '0' is not a figure count from 1 to 1024"},
      {{"--figures", "1025"}, "--figures '1025'"},
      {{"--figures", "12x"}, "--figures '12x'"},
      {{"--figures"}, "--figures needs a value"},
      {{"--music", "maybe"}, "--music 'maybe' is neither on nor off"},
      {{"--data="}, "--data needs a folder"},
      {{"--benchmark", "0", "--mode", "640x480x16"}, "--benchmark '0'"},
      {{"--benchmark", "nan", "--mode", "640x480x16"}, "--benchmark 'nan'"},
      {{"--benchmark", "1e9", "--mode", "640x480x16"}, "--benchmark '1e9'"},
      {{"--benchmark", "5"}, "--benchmark needs --mode"},
      {{"--benchmark", " 2", "--mode", "640x480x16"}, "--benchmark ' 2'"},
      {{"--benchmark", "0x1p1", "--mode", "640x480x16"}, "--benchmark '0x1p1'"},
      {{"--benchmark", " 0x1p1", "--mode", "640x480x16"}, "--benchmark ' 0x1p1'"},
      {{"--benchmark", "2 ", "--mode", "640x480x16"}, "--benchmark '2 '"},
      {{"--speed"}, "unknown option --speed"},
      {{"--speed=3"}, "unknown option --speed=3"},
      {{"-x"}, "unknown option -x"},
      {{"--window", "-hx"}, "unknown option -x"},
      {{"--help=x"}, "--help takes no value"},
      {{"--vers=1"}, "--version takes no value"},
      {{"--window=yes"}, "--window takes no value"},
      {{"--m", "x"}, "ambiguous option --m"},
      {{"--m=x"}, "ambiguous option --m=x"},
      {{"800x600x16"}, "unexpected argument '800x600x16'"},
  };
  for (const Case& c : cases) {
    Options o;
    std::string error;
    EXPECT_FALSE(Parse(c.args, o, error)) << *c.args.begin();
    EXPECT_NE(error.find(c.problem), std::string::npos) << "'" << error << "'";
  }
}

TEST(Options, HelpNamesEveryOption) {
  const std::string help = HelpText();
  for (const char* option : {"--mode", "--figures", "--music", "--window", "--data", "--benchmark",
                             "--help", "--version", "WIMMEL_DATA"}) {
    EXPECT_NE(help.find(option), std::string::npos) << option;
  }
  EXPECT_EQ(VersionText().rfind("wimmel ", 0), 0u);
}

}  // namespace
}  // namespace wimmel::control
