// The program's icon for desktop menus: the yellow cylinder figure standing
// on a round patch of the meadow.
#pragma once

#include "picture.h"

namespace assetgen {

// A square icon of `size` pixels; magenta marks what lies outside the patch
// and the figure, and becomes transparent in the icon file.
Picture AppIcon(int size);

}  // namespace assetgen
