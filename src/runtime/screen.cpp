// The screen: the framebuffer, screen modes, images, the lock with its
// changed-tile marks, and the text console.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "runtime/console_font.h"
#include "runtime/internal.h"
#include "runtime/owned_image.h"

namespace wimmel::rt {
namespace detail {

namespace {

constexpr int32_t kGlyphWidth = 8;
constexpr int32_t kGlyphHeight = 16;

struct Size {
  int32_t w, h;
};
constexpr Size kModeSizes[] = {{640, 480}, {800, 600}, {1024, 768}, {1280, 1024}};

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
  ScreenState& screen = State().screen;
  const int64_t pitch = PitchFor(width, bpp);
  if (pitch * height > kMaxImageBytes) return 1;
  uint8_t* pixels = AllocPixels(static_cast<size_t>(pitch * height));
  if (!pixels) return 1;
  std::memset(pixels, 0, static_cast<size_t>(pitch * height));
  uint8_t* old = nullptr;
  {
    std::lock_guard<ScreenLock> lock(screen.lock);
    old = screen.open ? screen.image.pixels : nullptr;
    screen.image.width = width;
    screen.image.height = height;
    screen.image.bytesPerPixel = bpp;
    screen.image.pitch = static_cast<int32_t>(pitch);
    screen.image.pixels = pixels;
    screen.image.id = 0;
    screen.open = true;
    screen.tileColumns = (width + ScreenState::kTileWidth - 1) / ScreenState::kTileWidth;
    screen.tileRows = (height + ScreenState::kTileHeight - 1) / ScreenState::kTileHeight;
    screen.tileWords = (screen.tileColumns + 63) / 64;
    screen.dirtyTiles.assign(static_cast<size_t>(screen.tileWords) * screen.tileRows, 0);
    screen.anyDirty = false;
    // A new screen is shown whole.
    MarkRect(0, 0, width - 1, height - 1);
    screen.textRow = 1;
    screen.textColumn = 1;
    screen.message.clear();
    screen.messageLineOpen = false;
  }
  FreePixels(old);
  // The display is told outside the lock: its own thread takes the lock to
  // upload rows, and a display that waits for that thread would deadlock.
  std::string driver;
  const bool shown = CurrentDisplay().ScreenOpened(width, height, bpp, driver);
  std::lock_guard<ScreenLock> lock(screen.lock);
  screen.driver = driver;
  return shown ? 0 : 1;
}

// Adds printed text to the console's message, keeping its last lines.
void RecordMessage(ScreenState& screen, std::string_view text, bool newline) {
  if (!screen.messageLineOpen) {
    if (screen.message.size() >= kMessageLines) screen.message.erase(screen.message.begin());
    screen.message.emplace_back();
  }
  screen.message.back() += text;
  screen.messageLineOpen = !newline;
}

void ScrollConsole() {
  ImageData& s = State().screen.image;
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

// White on black in the console's cell (column, row), both 1-based.
void DrawGlyph(uint8_t code, int32_t column, int32_t row) {
  ImageData& s = State().screen.image;
  // The font keeps a row's leftmost pixel in its top bit.
  uint32_t rows[kGlyphHeight];
  for (int32_t r = 0; r < kGlyphHeight; ++r) {
    const uint8_t bits = kConsoleFont[code][r];
    uint32_t mirrored = 0;
    for (int32_t c = 0; c < kGlyphWidth; ++c) mirrored |= ((bits >> (7 - c)) & 1u) << c;
    rows[r] = mirrored;
  }
  const uint32_t black = 0;
  DrawMonoBits(s, true, (column - 1) * kGlyphWidth, (row - 1) * kGlyphHeight, rows, kGlyphWidth,
               kGlyphHeight, NativeColour(s, 0xFFFFFFFF), &black);
}

}  // namespace

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
  ScreenState& screen = State().screen;
  uint8_t* old = nullptr;
  {
    std::lock_guard<ScreenLock> lock(screen.lock);
    if (screen.open) old = screen.image.pixels;
    screen.image = ImageData{};
    screen.open = false;
    screen.driver.clear();
    screen.dirtyTiles.clear();
    screen.tileColumns = screen.tileRows = 0;
    screen.anyDirty = false;
    screen.textRow = 1;
    screen.textColumn = 1;
    screen.listDepth = 0;
    screen.listIndex = 0;
  }
  FreePixels(old);
}

void ForgetConsoleMessage() {
  ScreenState& screen = State().screen;
  std::lock_guard<ScreenLock> lock(screen.lock);
  screen.message.clear();
  screen.messageLineOpen = false;
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
  ScreenState& screen = State().screen;
  if (depth > 0) {
    screen.listDepth = depth;
    screen.listIndex = 0;
  } else if (depth < 0) {
    return 0;
  }
  if (screen.listDepth <= 0) return 0;
  Display& display = CurrentDisplay();
  while (screen.listIndex < 4) {
    const Size s = kModeSizes[screen.listIndex++];
    if (display.Offers(s.w, s.h, screen.listDepth)) {
      return static_cast<uint32_t>(s.w) << 16 | static_cast<uint32_t>(s.h);
    }
  }
  screen.listDepth = 0;
  return 0;
}

ScreenInfo GetScreenInfo() {
  ScreenState& screen = State().screen;
  ScreenInfo info;
  {
    std::lock_guard<ScreenLock> lock(screen.lock);
    if (screen.open) {
      info.width = screen.image.width;
      info.height = screen.image.height;
      info.depth = screen.image.bytesPerPixel * 8;
      info.bytesPerPixel = screen.image.bytesPerPixel;
      info.pitch = screen.image.pitch;
      info.refresh = 0;
      info.driver = screen.driver;
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
  ScreenState& screen = State().screen;
  if (screen.open && screen.image.bytesPerPixel == 2) return 0xF81F;
  return 0xFF00FF;
}

void ClearScreen() {
  ScreenState& screen = State().screen;
  std::lock_guard<ScreenLock> lock(screen.lock);
  screen.message.clear();
  screen.messageLineOpen = false;
  screen.textRow = 1;
  screen.textColumn = 1;
  if (!screen.open) return;
  std::memset(screen.image.pixels, 0,
              static_cast<size_t>(screen.image.pitch) * screen.image.height);
  MarkRows(0, screen.image.height - 1);
}

Image ScreenImage() {
  ScreenState& screen = State().screen;
  return screen.open ? &screen.image : nullptr;
}

// ---------------------------------------------------------------- console

void LocateText(int32_t row, int32_t column) {
  ScreenState& screen = State().screen;
  std::lock_guard<ScreenLock> lock(screen.lock);
  int32_t rows = 0, columns = 0;
  if (screen.open) {
    rows = screen.image.height / kGlyphHeight;
    columns = screen.image.width / kGlyphWidth;
  } else {
    // Standard output has no cursor to move; the cell grid of the smallest
    // mode stands in so the cursor arithmetic stays the same.
    rows = 30;
    columns = 80;
  }
  const int32_t newRow = row == 0 ? screen.textRow : row;
  const int32_t newColumn = column == 0 ? screen.textColumn : column;
  if (newRow < 1 || newRow > rows || newColumn < 1 || newColumn > columns) return;
  screen.textRow = newRow;
  screen.textColumn = newColumn;
}

void PrintText(std::string_view text, bool newline) {
  ScreenState& screen = State().screen;
  const bool taken = CurrentDisplay().ConsoleText(text, newline);
  std::lock_guard<ScreenLock> lock(screen.lock);
  RecordMessage(screen, text, newline);
  if (!screen.open) {
    if (taken) return;
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (newline) std::fputc('\n', stdout);
    std::fflush(stdout);
    return;
  }
  const int32_t rows = std::max(screen.image.height / kGlyphHeight, 1);
  const int32_t columns = std::max(screen.image.width / kGlyphWidth, 1);
  auto nextRow = [&] {
    screen.textColumn = 1;
    if (screen.textRow >= rows) {
      ScrollConsole();
      screen.textRow = rows;
    } else {
      ++screen.textRow;
    }
  };
  for (const char c : text) {
    // Long lines wrap onto the next row, scrolling at the bottom as well.
    if (screen.textColumn > columns) nextRow();
    DrawGlyph(static_cast<uint8_t>(c), screen.textColumn, screen.textRow);
    ++screen.textColumn;
  }
  if (newline) nextRow();
}

std::vector<std::string> ConsoleMessage() {
  ScreenState& screen = State().screen;
  std::lock_guard<ScreenLock> lock(screen.lock);
  return screen.message;
}

// ---------------------------------------------------------------- images

Image CreateImage(int32_t width, int32_t height, uint32_t colour, int32_t depth, int32_t flags) {
  ScreenState& screen = State().screen;
  if (!screen.open) return nullptr;
  if (width < 1 || height < 1 || width > kMaxImageSide || height > kMaxImageSide) {
    return nullptr;
  }
  const int32_t bpp = depth == 0 ? screen.image.bytesPerPixel : BytesForDepth(depth);
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
  ++screen.liveImages;
  img->id = screen.nextImageId++;
  if (screen.nextImageId == 0) screen.nextImageId = 1;
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

void OwnedImage::Destroy(Image image) {
  if (!image || image == &State().screen.image) return;
  FreePixels(image->pixels);
  delete image;
  --State().screen.liveImages;
}

int64_t LiveImages() {
  return State().screen.liveImages;
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
  ScreenLock& lock = ScreenMutex();
  // Only the outermost bracket is a frame of its own.
  if (!lock.HeldByThisThread()) CurrentDisplay().FrameBegins();
  lock.lock();
}

void UnlockScreen() {
  // The drawing inside the bracket marked what it changed; the display shows
  // that, which is all that differs from what the window already holds.
  ScreenState& screen = State().screen;
  const bool outermost = screen.lock.Depth() == 1;
  // The frame is counted before the lock goes, so that a display that takes
  // the screen right after the unlock also counts this frame as taken.
  if (outermost) {
    CurrentDisplay().FrameEnds();
    // A finished frame is a new picture: what was printed before it is no
    // longer the message on the screen.
    screen.message.clear();
    screen.messageLineOpen = false;
  }
  screen.lock.unlock();
  if (outermost) CurrentDisplay().FrameDone();
}

void LockScreenRaw() {
  ScreenMutex().lock();
}
void UnlockScreenRaw() {
  ScreenMutex().unlock();
}

void TakeChangedRects(std::vector<ScreenRect>& rects, size_t maxRects) {
  rects.clear();
  ScreenState& screen = State().screen;
  if (!screen.open || !screen.anyDirty) return;
  const int32_t columns = screen.tileColumns;
  const int32_t width = screen.image.width, height = screen.image.height;
  auto pixels = [&](int32_t c0, int32_t c1, int32_t r0, int32_t r1) {
    const int32_t x = c0 * ScreenState::kTileWidth, y = r0 * ScreenState::kTileHeight;
    return ScreenRect{x, y, std::min((c1 + 1) * ScreenState::kTileWidth, width) - x,
                      std::min((r1 + 1) * ScreenState::kTileHeight, height) - y};
  };
  // Runs of changed tiles in each row of tiles; a run continues the
  // rectangle above it when it spans the same columns.
  using Run = ScreenState::TileRun;
  std::vector<Run>& open = screen.openRuns;
  std::vector<Run>& next = screen.nextRuns;
  open.clear();
  auto close = [&](const Run& run, int32_t lastRow) {
    rects.push_back(pixels(run.c0, run.c1, run.r0, lastRow));
  };
  const int32_t words = screen.tileWords;
  for (int32_t r = 0; r < screen.tileRows; ++r) {
    const uint64_t* bits = screen.dirtyTiles.data() + static_cast<size_t>(r) * words;
    auto row = [bits](int32_t c) { return (bits[c / 64] >> (c % 64)) & 1; };
    next.clear();
    size_t o = 0;
    for (int32_t c = 0; c < columns;) {
      if (!row(c)) {
        ++c;
        continue;
      }
      const int32_t c0 = c;
      while (c < columns && row(c)) ++c;
      const int32_t c1 = c - 1;
      // Rectangles above that end before this run are closed.
      while (o < open.size() && open[o].c1 < c0) close(open[o++], r - 1);
      if (o < open.size() && open[o].c0 == c0 && open[o].c1 == c1) {
        next.push_back(open[o++]);
      } else {
        next.push_back({c0, c1, r});
      }
    }
    while (o < open.size()) close(open[o++], r - 1);
    open.swap(next);
  }
  for (const Run& run : open) close(run, screen.tileRows - 1);
  if (rects.size() > maxRects) {
    // Too many pieces for the window system: one rectangle around them all.
    ScreenRect all = rects.front();
    int32_t right = all.x + all.w, bottom = all.y + all.h;
    for (const ScreenRect& r : rects) {
      all.x = std::min(all.x, r.x);
      all.y = std::min(all.y, r.y);
      right = std::max(right, r.x + r.w);
      bottom = std::max(bottom, r.y + r.h);
    }
    rects.assign(1, ScreenRect{all.x, all.y, right - all.x, bottom - all.y});
  }
  std::fill(screen.dirtyTiles.begin(), screen.dirtyTiles.end(), uint64_t{0});
  screen.anyDirty = false;
}

}  // namespace wimmel::rt
