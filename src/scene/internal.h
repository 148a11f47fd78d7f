// Shared inside the scene module only: the objects' hit test without the
// command-word round trip, for the figure step that asks it for every figure,
// and a read-only look at the figures for tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace wimmel::scene {

// Hit test of the circle (x, y, r), in background coordinates, against the
// objects; '\0' when none is touched, else the keypad digit '7', '1', '9' or
// '3'. Draws the collision circles when SchalterC is 1.
char IstPosImObjekt(int32_t x, int32_t y, int32_t r);

// The message for a picture file whose size has a zero side: the given first
// line, naming the file, then the size found and the request for a key.
std::vector<std::string> BadSizeMessage(std::string firstLine, int32_t width, int32_t height);

// A copy of one figure's record and the state of its strip.
struct FigureView {
  std::string name, fileName, nextFile;
  int32_t x = 0, y = 0, width = 0, height = 0;
  int32_t srcX = 0, srcY = 0;
  int32_t Bildnummer = 0, SchrittX = 0, SchrittY = 0;
  double XSprung = 0, YSprung = 0;
  int32_t frame = 0, frameW = 0, frameH = 0, lastFrame = 0;
  int32_t active = 0, hidden = 0;
  bool hasStrip = false;
  bool stripShared = false;
  rt::Image strip = nullptr;
};
// False when nr lies outside the table (entries 0 to 1024).
bool ViewFigure(int32_t nr, FigureView& view);
double CurrentWarten();
// The figure numbers of the last step's draw order, positions 1..N.
std::vector<int32_t> LastDrawOrder();

}  // namespace wimmel::scene
