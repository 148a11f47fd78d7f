// The command word lookup: any case of a-z, nothing else folded, the first
// matching entry wins, and an unknown word gives the unknown command.
#include "shared/command_word.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/runtime.h"

namespace {

enum class Word { Unknown, Eins, Zwei, ZweiNochmal, Umlaut };

constexpr wimmel::CommandWord<Word> kTable[] = {
    {"EINS", Word::Eins},
    {"ZWEI", Word::Zwei},
    {"ZWEI", Word::ZweiNochmal},
    {"\xC4RGER", Word::Umlaut},
};

Word Look(std::string_view word) {
  return wimmel::LookUpCommand(word, kTable, Word::Unknown);
}

TEST(CommandWordTest, AnyCaseOfAsciiLetters) {
  EXPECT_EQ(Look("EINS"), Word::Eins);
  EXPECT_EQ(Look("eins"), Word::Eins);
  EXPECT_EQ(Look("EiNs"), Word::Eins);
}

TEST(CommandWordTest, FirstMatchWins) {
  EXPECT_EQ(Look("zwei"), Word::Zwei);
}

TEST(CommandWordTest, UnknownWords) {
  EXPECT_EQ(Look(""), Word::Unknown);
  EXPECT_EQ(Look("EIN"), Word::Unknown);
  EXPECT_EQ(Look("EINSS"), Word::Unknown);
  EXPECT_EQ(Look(std::string_view("EINS\0", 5)), Word::Unknown);
}

TEST(CommandWordTest, OnlyAsciiLettersAreFolded) {
  EXPECT_EQ(Look("\xC4rger"), Word::Umlaut);
  // The Latin-1 lower-case umlaut is not the upper-case one.
  EXPECT_EQ(Look("\xE4rger"), Word::Unknown);
}

TEST(CommandWordTest, AgreesWithUpperAscii) {
  // Every byte in every position of a short word folds as UpperAscii does.
  for (int c = 0; c < 256; ++c) {
    std::string word = "EINS";
    for (size_t i = 0; i < word.size(); ++i) {
      std::string probe = word;
      probe[i] = static_cast<char>(c);
      const bool equal = wimmel::rt::UpperAscii(probe) == "EINS";
      EXPECT_EQ(Look(probe) == Word::Eins, equal) << c << " at " << i;
    }
  }
}

}  // namespace
