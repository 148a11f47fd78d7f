// The runtime services of Wimmel: screen, images, BMP loading, drawing,
// the text console, keys, mouse, timer, sleep, random numbers, files and
// number text. This is the only layer that knows how pixels reach a display;
// every module above it draws, reads keys and files through these calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace wimmel::rt {

// An image buffer in the screen's pixel format. The null handle, used as a
// drawing target, means the screen itself.
struct ImageData;
using Image = ImageData*;

// ---------------------------------------------------------------- screen
struct ScreenInfo {
  int32_t width = 0;
  int32_t height = 0;
  int32_t depth = 0;  // bits per pixel as reported: 16 or 32 once a screen is open
  int32_t bytesPerPixel = 0;
  int32_t pitch = 0;
  int32_t refresh = 0;
  std::string driver;  // empty before any screen is open
};

// Modes: 18 = 640x480, 19 = 800x600, 20 = 1024x768, 21 = 1280x1024.
// Depth 15 opens a 16-bit (5-6-5) screen, 24 a 32-bit one. Result 0 on success.
int32_t SetScreenMode(int32_t mode, int32_t depth, int32_t pages, int32_t flags, int32_t refresh);
// Opens the screen by size (depths 1, 2, 4, 8, 15, 16, 24, 32). Result 0 on success.
int32_t SetScreenSize(int32_t width, int32_t height, int32_t depth);
// depth > 0 starts a listing and returns the first offered size, 0 returns
// the next; each answer is (width << 16) | height, 0 ends the list.
uint32_t ListScreenModes(int32_t depth);
ScreenInfo GetScreenInfo();
// The transparent pixel value of the current screen: 0xF81F on 16-bit screens,
// 0xFF00FF on 32-bit ones.
uint32_t MaskColour();
void ClearScreen();

// The text console, drawn with the runtime's own 8 x 16 font, rows and
// columns counted from 1. Before a screen exists PrintText writes to stdout.
void LocateText(int32_t row, int32_t column);
void PrintText(std::string_view text, bool newline);
// The message the console shows now, for a run that has to report it
// elsewhere: the lines printed since the screen was opened or cleared, a
// bracket of LockScreen ended or a wait for a key ended; at most the last
// kMessageLines, the last one possibly unfinished.
inline constexpr size_t kMessageLines = 32;
std::vector<std::string> ConsoleMessage();

// ---------------------------------------------------------------- images
// CreateImageFlagMask (a negative flags value) fills with MaskColour().
constexpr int32_t CreateImageFlagMask = INT32_MIN;
// Returns null when no screen is open, a side is below 1 or above 16384, or
// the pixels would take more than 256 MiB. depth 0 means the screen's depth.
Image CreateImage(int32_t width, int32_t height, uint32_t colour, int32_t depth = 0,
                  int32_t flags = 0);
// An image of CreateImage is freed by its owner, an OwnedImage
// (owned_image.h); nothing else can free one.
// How many images CreateImage made that are not destroyed yet.
int64_t LiveImages();
// 0 loaded, 1 unsupported, 2 cannot open, 3 bad or truncated.
int32_t LoadBmp(std::string_view fileName, Image image);
// A small number that identifies the image in diagnostic texts (0 for null).
uint32_t ImageId(Image image);

// ---------------------------------------------------------------- drawing
enum class PutMode : int32_t { Opaque = 0, Transparent = 1 };
// Copies the source rectangle (srcX, srcY, srcW, srcH) of image to target at
// (x, y), clipped to both. Result 0 when something could be drawn, 1 when the
// image is null, no screen is open or the pixel formats differ. It never
// throws: the scene puts its figures with it thousands of times a step, and
// a call that cannot throw costs nothing extra where the caller holds
// objects to destroy (in WebAssembly such a call would otherwise go through
// JavaScript to catch what it throws).
int32_t PutImage(Image target, int32_t x, int32_t y, Image image, int32_t srcX, int32_t srcY,
                 int32_t srcW, int32_t srcH, PutMode mode) noexcept;
// The pixels of a source rectangle of an image that a transparent put
// draws, found once for a picture put again and again (a figure's frames
// are): each row's runs of pixels that are not the mask colour, their
// values packed one after another. It is a snapshot: drawing into the
// image later does not change it.
class OpaqueRuns {
 public:
  bool Empty() const { return rows_.empty(); }

 private:
  friend OpaqueRuns FindOpaqueRuns(Image image, int32_t srcX, int32_t srcY, int32_t srcW,
                                   int32_t srcH);
  friend int32_t PutRuns(Image target, int32_t x, int32_t y, const OpaqueRuns& runs) noexcept;
  struct Run {
    uint16_t x;      // from the left of the rectangle's visible part
    uint16_t count;  // pixels
  };
  struct Row {
    uint32_t firstRun;
    uint32_t firstByte;
  };
  int32_t bytesPerPixel_ = 0;
  // The part of the rectangle that lies within the image, relative to the
  // rectangle's corner, as a put clips it.
  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  std::vector<Row> rows_;  // one per row of that part, and one past the last
  std::vector<Run> runs_;
  std::vector<uint8_t> bytes_;
};
// The runs of the source rectangle (srcX, srcY, srcW, srcH) of image, clipped
// to the image; empty when the image is null or the rectangle lies outside
// it.
OpaqueRuns FindOpaqueRuns(Image image, int32_t srcX, int32_t srcY, int32_t srcW, int32_t srcH);
// Draws runs at (x, y) exactly as PutImage(target, x, y, image, srcX, srcY,
// srcW, srcH, PutMode::Transparent) draws the rectangle they were found in,
// with the same result, without testing any pixel again. Result 1 when runs
// are empty, no screen is open or the pixel formats differ.
int32_t PutRuns(Image target, int32_t x, int32_t y, const OpaqueRuns& runs) noexcept;
// Whether putting from runs is worth it here for pixels of this size: in
// WebAssembly on 32-bit screens, where the keyed copy tests 4 pixels a
// vector and runs take a fifth off the page's processor time per step at
// 1024 figures. On x86 the keyed copy's 256-bit vectors are as fast as runs
// at 32 bits and faster at 16, and in WebAssembly the two are even at 16.
constexpr bool RunsPayOff(int32_t bytesPerPixel) {
#ifdef __wasm__
  return bytesPerPixel == 4;
#else
  static_cast<void>(bytesPerPixel);
  return false;
#endif
}
// kind 0 line, 1 box outline, 2 filled box; both corners inclusive.
void DrawLine(Image target, int32_t x1, int32_t y1, int32_t x2, int32_t y2, uint32_t colour,
              int32_t kind);
void DrawCircle(Image target, int32_t x, int32_t y, int32_t radius, uint32_t colour);
void SetPixel(Image target, int32_t x, int32_t y, uint32_t colour);
// A glyph of width (at most 32) x height pixels with its top-left corner at
// (x, y): every pixel (x + c, y + r) whose bit c of rows[r] is set (the
// lowest bit the leftmost column) gets colour, exactly as a SetPixel for
// each of them would give it; the others stay.
void DrawMonoGlyph(Image target, int32_t x, int32_t y, const uint32_t* rows, int32_t width,
                   int32_t height, uint32_t colour);
// Brackets a batch of screen drawing; recursive. UnlockScreen marks every
// screen row changed.
void LockScreen();
void UnlockScreen();

// ---------------------------------------------------------------- input
// "" when no key waits; one character for codes 1..255; chr(255) + code for
// extended keys. Never blocks.
std::string ReadKey();
// 0: values valid. 1: window inactive or pointer outside; all five are -1.
int32_t ReadMouse(int32_t& x, int32_t& y, int32_t& wheel, int32_t& buttons, int32_t& clip);

// ---------------------------------------------------------------- time
double TimerSeconds();
// -1: wait for a key; >= 100: sleep, cut short by a key; 1..99: plain sleep;
// other values return at once.
void SleepMs(int32_t ms);
// Waits, without using the processor, until input arrives or TimerSeconds()
// reaches deadline; pass infinity to wait for input alone. Loops that poll
// keys and the mouse call it when a pass found nothing to do. On the
// headless display it returns at once.
void WaitForInput(double deadline);
// Whether input waits that the program has not looked at: a key in the
// queue, or a change of the mouse since the last ReadMouse. A display ends
// a wait at once only for input that came after the program's last look at
// either, so a loop that looks at the keys and the mouse one after the
// other asks this before it waits: what came between its two looks would
// otherwise lie unseen until the wait ends.
bool InputWaiting();
// Reads keys until one arrives, waiting for input between the reads.
std::string WaitForKey();
// Any non-zero argument draws the next number in [0, 1); 0 repeats the last.
double Random(double arg = 1.0);

// ---------------------------------------------------------------- files
// File names are the program's: a backslash separates folders. A file
// "exists" when it is a regular file of length above 0 that can be opened for
// reading; a folder, a named pipe or a device of that name counts as missing.
// No call here ever waits for another process: opening refuses anything but
// a regular file without blocking.
enum class FileMode : int32_t { Read = 0, Append = 1 };
int32_t FreeFileNumber();  // lowest free number 1..254, 0 when none is free
// Read opens an existing regular file (an empty one too, whose FileLength is
// 0); Append creates a missing one. Result 0 when opened.
int32_t OpenFile(std::string_view name, FileMode mode, int32_t number);
int64_t FileLength(int32_t number);  // 0 when the number is not open
// position is 1-based. On a number that is not open the target is untouched.
int32_t ReadAt(int32_t number, int64_t position, void* target, int32_t count);
// Text then CR LF; number 0 prints on the screen's text console.
void PrintLine(int32_t number, std::string_view text);
int32_t CloseFile(int32_t number);

// What identifies one version of a file: rewriting it changes its size, its
// modification or status-change time, or (written anew and renamed into
// place) its inode. Equal stamps mean the file's bytes can be taken as
// unchanged.
struct FileStamp {
  int64_t size = 0;
  int64_t modifiedNs = 0;
  int64_t changedNs = 0;
  uint64_t inode = 0;
  uint64_t device = 0;
  bool operator==(const FileStamp&) const = default;
};
// The one test of a file's existence: returns its length when it exists and
// 0 otherwise. stamp, when given, receives the stamp of an existing file and
// a default stamp otherwise.
int64_t ProbeFile(std::string_view name, FileStamp* stamp = nullptr);
// The modules' probe of a BMP file: ProbeFile, and for an existing file the
// 32-bit little-endian width and height at byte offsets 18 and 22 (bytes a
// short file does not have keep the values the variables held). On a missing
// file width and height keep their values. Like the modules' own idiom it
// needs a free file number: with all in use the file counts as missing.
int64_t ProbeBmpSize(std::string_view name, int32_t& width, int32_t& height,
                     FileStamp* stamp = nullptr);
// Opens an existing file (in the sense above) for reading as a stdio stream
// the caller closes; null otherwise. stamp, when given, receives the stamp of
// exactly the file opened.
std::FILE* OpenReadStream(std::string_view name, FileStamp* stamp = nullptr);

// ---------------------------------------------------------------- numbers
std::string IntToText(int64_t value);
std::string UIntToText(uint32_t value);
std::string RealToText(double value);
double TextToNumber(std::string_view text);
// The two patterns of the status line: "#,####0.0000" and "#,##0.00".
std::string FormatNumber(double value, std::string_view pattern);
// Rounds to nearest, halves to even, saturating at the int32 range; NaN gives 0.
int32_t RoundToInt(double value);
// Wraps a 64-bit value into int32 as two's complement.
inline int32_t Wrap32(int64_t value) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}
// Clamps a 64-bit value into the int32 range, for sums of coordinates that
// may leave it: a far-away position stays far away instead of wrapping round.
constexpr int32_t Clamp32(int64_t value) {
  return value < INT32_MIN ? INT32_MIN
                           : (value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value));
}

// ---------------------------------------------------------------- program
void StartRuntime(int argc, char** argv);
// Thrown by EndProgram; caught only in main and in test harnesses.
struct ProgramEnd {
  int code;
};
[[noreturn]] void EndProgram(int code);

// Text helpers shared by the modules: ASCII upper-casing of command words.
std::string UpperAscii(std::string_view text);

}  // namespace wimmel::rt
