// The command words of the modules. A module's command procedure takes its
// command as a word in any case; it upper-cases the word once and looks it up
// in its own table, kept in the described order, where the first match wins.
#pragma once

#include <string>
#include <string_view>

#include "runtime/runtime.h"

namespace wimmel {

template <class Command>
struct CommandWord {
  std::string_view word;  // upper case
  Command command;
};

// The command of word in table, or unknown when no entry matches.
template <class Command, size_t N>
Command LookUpCommand(std::string_view word, const CommandWord<Command> (&table)[N],
                      Command unknown) {
  const std::string upper = rt::UpperAscii(word);
  for (const CommandWord<Command>& entry : table) {
    if (upper == entry.word) return entry.command;
  }
  return unknown;
}

}  // namespace wimmel
