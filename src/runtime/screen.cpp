// The screen: the framebuffer, screen modes, images, the lock with its
// changed-row marks, and the text console.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "runtime/console_font.h"
#include "runtime/internal.h"

namespace rt {
namespace detail {

thread_local int ScreenLock::depth_ = 0;
namespace {

ScreenLock gScreenMutex;
ImageData gScreen;
bool gScreenOpen = false;
std::string gDriver;

// Changed rows of the screen as one inclusive range; empty when first > last.
int32_t gDirtyFirst = 1;
int32_t gDirtyLast = 0;

// The ListScreenModes cursor.
int32_t gListDepth = 0;
int32_t gListIndex = 0;

// Text console cursor, 1-based.
int32_t gTextRow = 1;
int32_t gTextColumn = 1;

uint32_t gNextImageId = 1;

constexpr int32_t kGlyphWidth = 8;
constexpr int32_t kGlyphHeight = 16;

struct Size {
  int32_t w, h;
};
constexpr Size kModeSizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};

uint8_t* AllocPixels(size_t bytes) {
  // Rows start at multiples of 16 because the pitch is one; 64-byte
  // alignment of the block keeps wide vector stores off cache-line splits.
  return static_cast<uint8_t*>(::operator new[](bytes, std::align_val_t{64}, std::nothrow));
}
void FreePixels(uint8_t* p) {
  if (p) ::operator delete[](p, std::align_val_t{64});
}

int32_t BytesForDepth(int32_t depth) {
  switch (depth) {
    case 15:
    case 16:
      return 2;
    case 24:
    case 32:
      return 4;
    default:
      return 0;
  }
}

int64_t PitchFor(int64_t width, int32_t bpp) {
  return (width * bpp + 15) / 16 * 16;
}

int32_t OpenScreen(int32_t width, int32_t height, int32_t bpp) {
  const int64_t pitch = PitchFor(width, bpp);
  if (pitch * height > kMaxImageBytes) return 1;
  uint8_t* pixels = AllocPixels(static_cast<size_t>(pitch * height));
  if (!pixels) return 1;
  std::memset(pixels, 0, static_cast<size_t>(pitch * height));
  uint8_t* old = nullptr;
  {
    std::lock_guard<ScreenLock> lock(gScreenMutex);
    old = gScreenOpen ? gScreen.pixels : nullptr;
    gScreen.width = width;
    gScreen.height = height;
    gScreen.bytesPerPixel = bpp;
    gScreen.pitch = static_cast<int32_t>(pitch);
    gScreen.pixels = pixels;
    gScreen.id = 0;
    gScreenOpen = true;
    gDirtyFirst = 0;
    gDirtyLast = height - 1;
    gTextRow = 1;
    gTextColumn = 1;
  }
  FreePixels(old);
  // The display is told outside the lock: its own thread takes the lock to
  // upload rows, and a display that waits for that thread would deadlock.
  std::string driver;
  const bool shown = CurrentDisplay().ScreenOpened(width, height, bpp, driver);
  std::lock_guard<ScreenLock> lock(gScreenMutex);
  gDriver = driver;
  return shown ? 0 : 1;
}

void ScrollConsole() {
  ImageData& s = gScreen;
  const int32_t moved = s.height - kGlyphHeight;
  if (moved > 0) {
    std::memmove(s.pixels, s.pixels + static_cast<size_t>(kGlyphHeight) * s.pitch,
                 static_cast<size_t>(moved) * s.pitch);
  }
  const int32_t from = std::max(moved, 0);
  std::memset(s.pixels + static_cast<size_t>(from) * s.pitch, 0,
              static_cast<size_t>(s.height - from) * s.pitch);
  MarkRows(0, s.height - 1);
}

void DrawGlyph(uint8_t code, int32_t column, int32_t row) {
  ImageData& s = gScreen;
  const int32_t x0 = (column - 1) * kGlyphWidth;
  const int32_t y0 = (row - 1) * kGlyphHeight;
  const uint32_t white = NativeColour(s, 0xFFFFFFFF);
  const uint32_t black = 0;
  const uint8_t* glyph = kConsoleFont[code];
  const int32_t w = std::min(kGlyphWidth, s.width - x0);
  const int32_t h = std::min(kGlyphHeight, s.height - y0);
  for (int32_t gy = 0; gy < h; ++gy) {
    uint8_t* line = s.pixels + static_cast<size_t>(y0 + gy) * s.pitch;
    for (int32_t gx = 0; gx < w; ++gx) {
      const uint32_t v = (glyph[gy] & (0x80 >> gx)) ? white : black;
      if (s.bytesPerPixel == 2) {
        reinterpret_cast<uint16_t*>(line)[x0 + gx] = static_cast<uint16_t>(v);
      } else {
        reinterpret_cast<uint32_t*>(line)[x0 + gx] = v;
      }
    }
  }
  MarkRows(y0, y0 + h - 1);
}

}  // namespace

ScreenLock& ScreenMutex() {
  return gScreenMutex;
}
bool ScreenOpen() {
  return gScreenOpen;
}
ImageData& Screen() {
  return gScreen;
}

void MarkRows(int32_t first, int32_t last) {
  if (first > last) return;
  if (gDirtyFirst > gDirtyLast) {
    gDirtyFirst = first;
    gDirtyLast = last;
  } else {
    gDirtyFirst = std::min(gDirtyFirst, first);
    gDirtyLast = std::max(gDirtyLast, last);
  }
}

ImageData* ResolveTarget(Image target, bool& isScreen) {
  isScreen = target == nullptr || target == &gScreen;
  if (isScreen) return gScreenOpen ? &gScreen : nullptr;
  return target;
}

void FillRect(ImageData& img, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t value) {
  for (int32_t row = 0; row < h; ++row) {
    uint8_t* line = img.pixels + static_cast<size_t>(y + row) * img.pitch;
    if (img.bytesPerPixel == 2) {
      std::fill_n(reinterpret_cast<uint16_t*>(line) + x, w, static_cast<uint16_t>(value));
    } else {
      std::fill_n(reinterpret_cast<uint32_t*>(line) + x, w, value);
    }
  }
}

void CloseScreen() {
  uint8_t* old = nullptr;
  {
    std::lock_guard<ScreenLock> lock(gScreenMutex);
    if (gScreenOpen) old = gScreen.pixels;
    gScreen = ImageData{};
    gScreenOpen = false;
    gDriver.clear();
    gDirtyFirst = 1;
    gDirtyLast = 0;
    gTextRow = 1;
    gTextColumn = 1;
    gListDepth = 0;
    gListIndex = 0;
  }
  FreePixels(old);
}

}  // namespace detail

using namespace detail;

// ---------------------------------------------------------------- screen

int32_t SetScreenMode(int32_t mode, int32_t depth, int32_t pages, int32_t flags, int32_t refresh) {
  (void)pages;
  (void)flags;
  (void)refresh;
  if (mode < 18 || mode > 21) return 1;
  const int32_t bpp = BytesForDepth(depth);
  if (bpp == 0) return 1;
  const Size size = kModeSizes[mode - 18];
  return OpenScreen(size.w, size.h, bpp);
}

int32_t SetScreenSize(int32_t width, int32_t height, int32_t depth) {
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) return 1;
  int32_t bpp = 0;
  switch (depth) {
    case 1:
    case 2:
    case 4:
    case 8:
      // Palette depths are never drawn in; they get a true-colour framebuffer.
      bpp = 4;
      break;
    default:
      bpp = BytesForDepth(depth);
  }
  if (bpp == 0) return 1;
  return OpenScreen(width, height, bpp);
}

uint32_t ListScreenModes(int32_t depth) {
  if (depth > 0) {
    gListDepth = depth;
    gListIndex = 0;
  } else if (depth < 0) {
    return 0;
  }
  if (gListDepth <= 0) return 0;
  Display& display = CurrentDisplay();
  while (gListIndex < 4) {
    const Size s = kModeSizes[gListIndex++];
    if (display.Offers(s.w, s.h, gListDepth)) {
      return static_cast<uint32_t>(s.w) << 16 | static_cast<uint32_t>(s.h);
    }
  }
  gListDepth = 0;
  return 0;
}

ScreenInfo GetScreenInfo() {
  ScreenInfo info;
  {
    std::lock_guard<ScreenLock> lock(gScreenMutex);
    if (gScreenOpen) {
      info.width = gScreen.width;
      info.height = gScreen.height;
      info.depth = gScreen.bytesPerPixel * 8;
      info.bytesPerPixel = gScreen.bytesPerPixel;
      info.pitch = gScreen.pitch;
      info.refresh = 0;
      info.driver = gDriver;
      return info;
    }
  }
  const DesktopMode desk = CurrentDisplay().Desktop();
  info.width = desk.width;
  info.height = desk.height;
  info.depth = desk.depth;
  return info;
}

uint32_t MaskColour() {
  if (gScreenOpen && gScreen.bytesPerPixel == 2) return 0xF81F;
  return 0xFF00FF;
}

void ClearScreen() {
  std::lock_guard<ScreenLock> lock(gScreenMutex);
  gTextRow = 1;
  gTextColumn = 1;
  if (!gScreenOpen) return;
  std::memset(gScreen.pixels, 0, static_cast<size_t>(gScreen.pitch) * gScreen.height);
  MarkRows(0, gScreen.height - 1);
}

Image ScreenImage() {
  return gScreenOpen ? &gScreen : nullptr;
}

// ---------------------------------------------------------------- console

void LocateText(int32_t row, int32_t column) {
  std::lock_guard<ScreenLock> lock(gScreenMutex);
  int32_t rows = 0, columns = 0;
  if (gScreenOpen) {
    rows = gScreen.height / kGlyphHeight;
    columns = gScreen.width / kGlyphWidth;
  } else {
    // Standard output has no cursor to move; the cell grid of the smallest
    // mode stands in so the cursor arithmetic stays the same.
    rows = 30;
    columns = 80;
  }
  const int32_t newRow = row == 0 ? gTextRow : row;
  const int32_t newColumn = column == 0 ? gTextColumn : column;
  if (newRow < 1 || newRow > rows || newColumn < 1 || newColumn > columns) return;
  gTextRow = newRow;
  gTextColumn = newColumn;
}

void PrintText(std::string_view text, bool newline) {
  const bool taken = CurrentDisplay().ConsoleText(text, newline);
  std::lock_guard<ScreenLock> lock(gScreenMutex);
  if (!gScreenOpen) {
    if (taken) return;
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (newline) std::fputc('\n', stdout);
    std::fflush(stdout);
    return;
  }
  const int32_t rows = std::max(gScreen.height / kGlyphHeight, 1);
  const int32_t columns = std::max(gScreen.width / kGlyphWidth, 1);
  auto nextRow = [&] {
    gTextColumn = 1;
    if (gTextRow >= rows) {
      ScrollConsole();
      gTextRow = rows;
    } else {
      ++gTextRow;
    }
  };
  for (const char c : text) {
    // Long lines wrap onto the next row, scrolling at the bottom as well.
    if (gTextColumn > columns) nextRow();
    DrawGlyph(static_cast<uint8_t>(c), gTextColumn, gTextRow);
    ++gTextColumn;
  }
  if (newline) nextRow();
}

// ---------------------------------------------------------------- images

Image CreateImage(int32_t width, int32_t height, uint32_t colour, int32_t depth, int32_t flags) {
  if (!gScreenOpen) return nullptr;
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
    return nullptr;
  }
  const int32_t bpp = depth == 0 ? gScreen.bytesPerPixel : BytesForDepth(depth);
  if (bpp == 0) return nullptr;
  const int64_t pitch = PitchFor(width, bpp);
  const int64_t bytes = pitch * height;
  if (bytes > kMaxImageBytes) return nullptr;
  uint8_t* pixels = AllocPixels(static_cast<size_t>(bytes));
  if (!pixels) return nullptr;
  auto* img = new (std::nothrow) ImageData;
  if (!img) {
    FreePixels(pixels);
    return nullptr;
  }
  img->width = width;
  img->height = height;
  img->bytesPerPixel = bpp;
  img->pitch = static_cast<int32_t>(pitch);
  img->pixels = pixels;
  img->id = gNextImageId++;
  if (gNextImageId == 0) gNextImageId = 1;
  uint32_t value = 0;
  if (flags < 0) {
    value = bpp == 2 ? 0xF81F : 0xFF00FF;
  } else {
    value = NativeColour(*img, colour);
  }
  if (value == 0) {
    std::memset(pixels, 0, static_cast<size_t>(bytes));
  } else {
    FillRect(*img, 0, 0, width, height, value);
  }
  return img;
}

void DestroyImage(Image image) {
  if (!image || image == &gScreen) return;
  FreePixels(image->pixels);
  delete image;
}

uint32_t ImageId(Image image) {
  return image ? image->id : 0;
}

uint32_t GetPixel(Image image, int32_t x, int32_t y) {
  bool isScreen = false;
  ImageData* img = ResolveTarget(image, isScreen);
  ScreenGuard guard(isScreen);
  if (!img || x < 0 || y < 0 || x >= img->width || y >= img->height) return 0;
  const uint8_t* line = img->pixels + static_cast<size_t>(y) * img->pitch;
  if (img->bytesPerPixel == 2) return reinterpret_cast<const uint16_t*>(line)[x];
  return reinterpret_cast<const uint32_t*>(line)[x];
}

// ---------------------------------------------------------------- lock

void LockScreen() {
  gScreenMutex.lock();
}

void UnlockScreen() {
  if (gScreenOpen) MarkRows(0, gScreen.height - 1);
  gScreenMutex.unlock();
}

void LockScreenRaw() {
  gScreenMutex.lock();
}
void UnlockScreenRaw() {
  gScreenMutex.unlock();
}

void TakeChangedRows(const std::function<void(const uint8_t*, int32_t, int32_t, int32_t, int32_t,
                                              int32_t, int32_t)>& f) {
  if (!gScreenOpen || gDirtyFirst > gDirtyLast) return;
  const int32_t first = std::max(gDirtyFirst, 0);
  const int32_t last = std::min(gDirtyLast, gScreen.height - 1);
  gDirtyFirst = 1;
  gDirtyLast = 0;
  if (first > last) return;
  f(gScreen.pixels, gScreen.pitch, gScreen.width, gScreen.height, gScreen.bytesPerPixel, first,
    last);
}

}  // namespace rt
