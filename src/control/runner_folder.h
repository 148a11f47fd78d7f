// The headless runner's scratch folder: the program's working directory,
// made fresh for every run inside the output folder.
#pragma once

#include <filesystem>
#include <string>

namespace wimmel::control {

// The file that marks a folder as one the runner made itself.
inline constexpr const char* kMarkName = ".wimmel-headless-scratch";

// Makes the folder empty and marked. An existing folder is removed only when
// it is a real folder (not a symbolic link) carrying the runner's mark;
// anything else is left untouched and the call fails with a reason in error,
// since the runner must never delete what it did not make.
bool MakeScratchFolder(const std::filesystem::path& folder, std::string& error);

}  // namespace wimmel::control
