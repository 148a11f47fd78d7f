// The contact sheet: every picture enlarged on a grey checkerboard, labelled.
#pragma once

#include <string>
#include <vector>

#include "picture.h"

namespace assetgen {

struct SheetItem {
  std::string label;
  const Picture* pic = nullptr;
  int scale = 2;
  int frameWidth = 0;  // > 0: a strip, shown frame by frame with gaps
};

Picture ContactSheet(const std::vector<SheetItem>& items, int width);

}  // namespace assetgen
