// The start screen's sixteen screen modes: four sizes, each with the
// runtime's mode number, at four depths. The option letters A to P run
// through the sizes of one depth before the next depth. Header-only, since
// the command line and the runner's script check modes too and do not link
// the rest of the control layer.
#pragma once

#include <array>
#include <cstdint>

namespace wimmel::control {

struct ModeSize {
  int32_t width;
  int32_t height;
  int32_t modeNumber;  // the runtime's number for SetScreenMode
};

inline constexpr int32_t kModeCount = 4;
inline constexpr ModeSize kModeSizes[kModeCount] = {
    {640, 480, 18}, {800, 600, 19}, {1024, 768, 20}, {1280, 1024, 21}};
inline constexpr int32_t kModeDepths[kModeCount] = {15, 16, 24, 32};

// Which modes a display offers, by depth index and size index.
using OfferedModeTable = std::array<std::array<bool, kModeCount>, kModeCount>;

// The index of a size in kModeSizes, or -1.
constexpr int32_t ModeSizeIndex(int64_t width, int64_t height) {
  for (int32_t i = 0; i < kModeCount; ++i) {
    if (kModeSizes[i].width == width && kModeSizes[i].height == height) return i;
  }
  return -1;
}

// The index of a depth in kModeDepths, or -1.
constexpr int32_t ModeDepthIndex(int64_t depth) {
  for (int32_t i = 0; i < kModeCount; ++i) {
    if (kModeDepths[i] == depth) return i;
  }
  return -1;
}

constexpr bool IsModeSize(int64_t width, int64_t height) {
  return ModeSizeIndex(width, height) >= 0;
}

constexpr bool IsModeDepth(int64_t depth) {
  return ModeDepthIndex(depth) >= 0;
}

// The option letter of a size and depth index.
constexpr char OptionLetterAt(int32_t sizeIndex, int32_t depthIndex) {
  return static_cast<char>('A' + depthIndex * kModeCount + sizeIndex);
}

// The start screen's option letter of a mode, A to P; 0 for another mode.
constexpr char OptionLetter(int64_t width, int64_t height, int64_t depth) {
  const int32_t size = ModeSizeIndex(width, height), d = ModeDepthIndex(depth);
  if (size < 0 || d < 0) return '\0';
  return OptionLetterAt(size, d);
}

// The mode of an option letter, A to P.
struct LetterMode {
  int32_t sizeIndex;
  int32_t depthIndex;
};
constexpr bool IsOptionLetter(char letter) {
  return letter >= 'A' && letter < 'A' + kModeCount * kModeCount;
}
// Only for an option letter (IsOptionLetter).
constexpr LetterMode ModeOfLetter(char letter) {
  const int32_t k = letter - 'A';
  return {k % kModeCount, k / kModeCount};
}

static_assert(OptionLetter(640, 480, 15) == 'A' && OptionLetter(1280, 1024, 15) == 'D' &&
              OptionLetter(640, 480, 16) == 'E' && OptionLetter(1280, 1024, 32) == 'P');
static_assert(OptionLetter(640, 480, 8) == '\0' && OptionLetter(800, 601, 16) == '\0');
static_assert(ModeOfLetter('G').sizeIndex == 2 && ModeOfLetter('G').depthIndex == 1);

}  // namespace wimmel::control
