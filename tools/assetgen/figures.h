// The animated figures: one strip of twelve 48 × 48 frames per diagonal
// direction, and small portraits for the help pages.
#pragma once

#include <string>
#include <vector>

#include "picture.h"

namespace assetgen {

constexpr int kFrameSize = 48;
constexpr int kFrames = 12;

// The kinds in the order their folders are listed.
const std::vector<std::string>& FigureKinds();

// Strips for directions 1 (right and up) to 4 (left and up), 576 × 48 each.
std::vector<Picture> FigureStrips(const std::string& kind);

// A small picture of the figure looking at the viewer.
Picture FigurePortrait(const std::string& kind, int w, int h);

}  // namespace assetgen
