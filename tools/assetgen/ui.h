// Key caps and the seamless patterns of the panels.
#pragma once

#include "picture.h"

namespace assetgen {

// A blank, bevelled, light grey key cap with rounded corners.
Picture KeyCap(int w, int h);
Picture TabKey();        // 46 × 29
Picture BackspaceKey();  // 46 × 30
Picture NumberPad();     // 62 × 62

Picture MetalPattern();   // 64 × 64 brushed metal
Picture MaskedPattern();  // 32 × 32 dark plate with magenta holes
Picture StonePattern();   // 64 × 64 grey granite
Picture BrushPattern();   // 30 × 30 brushed steel
Picture ChromePattern();  // 24 × 29 chrome

}  // namespace assetgen
