// A headless screen whose keys come from the test and whose console lines
// and waits for input it collects, for the tests of every layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace wimmel::test {

// Installs the headless display and opens screen mode `mode` (18 = 640x480,
// 21 = 1280x1024) at `depth` bits. Keys queued with QueueKey() are handed
// out one per poll (code 0: a poll that hands out none); a run of more than
// limit polls without a queued key fails the test and sends Escape, so a
// wait that nobody answers cannot hang.
void OpenScriptedScreen(int32_t mode, int32_t depth, int64_t limit = 200000);
void QueueKey(uint32_t code);
int64_t Polls();                           // polls since the screen was opened
std::vector<double>& Waits();              // deadlines of the waits for input
std::vector<std::string>& ConsoleLines();  // finished console lines
std::string ConsoleText();                 // all lines, each ended by '\n'

}  // namespace wimmel::test
