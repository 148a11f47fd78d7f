// The four music tracks, composed as note lines and chord charts.
#pragma once

#include <string>
#include <vector>

#include "synth.h"

namespace assetgen {

struct Track {
  std::string file;  // below the music folder
  Song song;
};

std::vector<Track> AllTracks();

}  // namespace assetgen
