// Test support for the scene (beside the files, scratch folders and the
// scripted screen of the common test support): a screen ready for the scene,
// and the background and scene built the way the start screen builds them.
// Every test case runs on a fresh program, so nothing here resets modules.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "runtime/runtime.h"
#include "scene/internal.h"
#include "scripted_screen.h"
#include "test_files.h"

namespace wimmel::test {

// Opens the scripted screen of scripted_screen.h (mode 18 = 640x480,
// 21 = 1280x1024), fills the fonts and the kind table and records the mode
// in the scene settings.
void OpenScreen(int32_t mode, int32_t depth, int64_t limit = 200000);

// Background from "HG_bild\Karogrun.bmp" and the scene geometry, as the
// start screen builds them.
void BuildBackground();
// Objects merged into the background, background shown, figures created and
// figure 1 made active.
void BuildScene();

// A figure picture set: for each kind of the kind table and each direction
// picture 1..4 a strip of frames; frame f of picture b of kind k is a square
// of colour FrameColour(k, b, f) with a magenta border of border pixels.
struct FigureSet {
  int32_t frameSize = 48;
  int32_t frames = 12;
  int32_t border = 4;
};
uint32_t FrameColour(int32_t kind, int32_t picture, int32_t frame);
void WriteFigures(const FigureSet& set = {});
void WriteFigurePicture(const std::string& kind, int32_t picture, const FigureSet& set,
                        int32_t kindNumber);
// Five object pictures of size x size, solid colours with a magenta corner.
void WriteObjects(int32_t size = 20);
// The background bitmap: a checkerboard of 8-pixel squares.
uint32_t BackgroundColour(int32_t x, int32_t y);
void WriteBackground(int32_t width, int32_t height);

// Stored screen pixel for a 0xRRGGBB colour in the current depth.
uint32_t ScreenColour(uint32_t rgb);
uint32_t Pixel(int32_t x, int32_t y);

// One step that passes the time gate.
void Step();
// Figure nr's record; a failure of the test when nr lies outside the table.
scene::FigureView View(int32_t nr);

}  // namespace wimmel::test
