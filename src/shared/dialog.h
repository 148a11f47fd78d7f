// Key query, number entry, the progress log and the start-up diagnostics.
// Used by the modules' failure messages, so it sits below them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wimmel {

// Waits for the first key, without using the processor between the looks at
// the key queue, and returns its string: the wait of a message the program
// has just shown (see EndRunAtMessages).
std::string WarteAufTaste();
// Waits for one key of a number entry: "0".."9", "-", ".", "#", "Esc", "Return".
std::string FragTaste();
// Shows the prompt in a black box and edits a number below it; "" after Escape.
std::string EingabeZeile(std::string_view prompt);

// Prints the lines on the screen, each ending its line, waits for any key
// and ends the program: the end of a failure the program cannot go on from.
[[noreturn]] void EndWithMessage(const std::vector<std::string>& lines);

// For a run nobody watches (a benchmark), where a failure message would wait
// for a key forever: from now on the message's wait for a key (WarteAufTaste,
// EndWithMessage) writes heading and, indented below it, the message the
// console shows on standard error and ends the program with status 1. An
// empty heading lets messages wait again. Number entry still waits.
void EndRunAtMessages(std::string heading);

// Whether the progress log is on (ProtokollAn is 1).
bool LogIsOn();
// Appends one line (CR LF) to "wimmelprt.txt"; silent on failure.
void Protokoll(std::string_view text);
// Records the desktop mode and prints the start-up driver line.
void GrafikTreiberInfo();
// Switches the screen back to the recorded desktop mode.
void DesktopModusSetzen();

}  // namespace wimmel
