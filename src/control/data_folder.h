// Where the program's data lives: the folders of pictures and music it reads
// by relative names (HG_bild, figure, objekte, pattern, musik).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace wimmel::control {

// The picture folders the program cannot do without, and the music folder,
// which is optional: without it there is simply no music.
inline constexpr const char* kPictureFolders[] = {"HG_bild", "figure", "objekte", "pattern"};
inline constexpr const char* kMusicFolder = "musik";

// True when folder holds every picture folder.
bool HoldsData(const std::filesystem::path& folder);

// The places to look, in order, for a program in programFolder: the folder
// the user named (given, when not empty; then only that one), the working
// folder (when useWorkingFolder), $WIMMEL_DATA, the data beside the program
// in a build tree (programFolder/../data) and the installed data, first where
// a game's data lives (programFolder/../share/games/wimmel), then where a
// plain program's does (programFolder/../share/wimmel).
struct DataSearch {
  std::filesystem::path found;      // empty when no place holds the data
  std::vector<std::string> looked;  // each place with what was there
  // The folder $WIMMEL_DATA named when it held no data (empty otherwise):
  // the user meant that one, so taking another is worth a word.
  std::filesystem::path passedOverEnv;
  // The program runs from a build tree (its folder's parent holds
  // CMakeCache.txt), where the build makes the data.
  bool fromBuildTree = false;
};
DataSearch FindData(const std::string& given, bool useWorkingFolder,
                    const std::filesystem::path& programFolder);

// The folder of the running program.
std::filesystem::path ProgramFolder();

// The message for a search that found nothing, one place per line.
std::string NoDataMessage(const std::string& program, const DataSearch& search);

// The line for a search that found data elsewhere than in the folder
// $WIMMEL_DATA named; empty when there is nothing to say.
std::string PassedOverMessage(const std::string& program, const DataSearch& search);

}  // namespace wimmel::control
