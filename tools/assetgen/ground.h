// The scene's ground: a checked meadow with a winding sand path.
#pragma once

#include "picture.h"

namespace assetgen {

Picture Meadow(int w, int h);

}  // namespace assetgen
