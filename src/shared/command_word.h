// The command words of the modules. A module's command procedure takes its
// command as a word in any case and looks it up in its own table, where the
// first match wins; the tables keep the order in which the modules have
// always compared their words. The lookup folds the ASCII letters a-z of the
// word to upper case while comparing, without a copy.
#pragma once

#include <cstddef>
#include <string_view>

namespace wimmel {

template <class Command>
struct CommandWord {
  std::string_view word;  // upper case
  Command command;
};

// Whether word, with a-z folded to A-Z as rt::UpperAscii does, equals upper.
constexpr bool EqualsUpperAscii(std::string_view word, std::string_view upper) {
  if (word.size() != upper.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char c = word[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

// The command of word in table, or unknown when no entry matches.
template <class Command, size_t N>
Command LookUpCommand(std::string_view word, const CommandWord<Command> (&table)[N],
                      Command unknown) {
  for (const CommandWord<Command>& entry : table) {
    if (EqualsUpperAscii(word, entry.word)) return entry.command;
  }
  return unknown;
}

}  // namespace wimmel
