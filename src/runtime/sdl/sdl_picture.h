// How the screen's picture reaches the window: copied into the window's own
// surface (shared memory under X11) with only the changed rectangles sent
// on, or uploaded to a texture that a hardware renderer scales. Everything
// here runs on the display thread.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "runtime/display.h"
#include "runtime/image.h"
#include "runtime/pixel_convert.h"
#include "runtime/sdl/sdl_display.h"

namespace wimmel::rt::sdl {

class WindowPicture {
 public:
  WindowPicture() = default;
  ~WindowPicture() { Drop(); }
  WindowPicture(const WindowPicture&) = delete;
  WindowPicture& operator=(const WindowPicture&) = delete;

  // Whether the road holds for this screen: made for its size and depth,
  // and for the window's size as it still is.
  bool ReadyFor(const ImageData& screen) const {
    return valid_ && converter_.PreparedFor(ShapeOf(screen));
  }
  // Chooses the road for the window's present size and this screen and
  // gets it ready, with the black around the picture drawn and the whole
  // picture marked to be sent. Called with the screen lock held. False when
  // nothing can show the picture yet; the next pass tries again.
  bool Prepare(SDL_Window* window, const ImageData& screen);
  // The window's size changed, or its surface or render targets were lost.
  void Invalidate() { valid_ = false; }
  // The renderer's device was reset, and its textures went with it.
  void DeviceReset();
  // The window was uncovered or shown again: everything is sent again.
  void Repaint() { repaint_ = true; }

  // Copies the changed rectangles of the screen into the surface or the
  // texture; called with the screen lock held. Returns the screen rows
  // copied.
  uint64_t Copy(const ImageData& screen, const std::vector<ScreenRect>& changed);
  // Sends what was copied on to the window (outside the lock); returns
  // whether a new picture went out (a repaint alone does not count).
  bool Present(SDL_Window* window);
  // The window's surface as it stands (empty on the renderer's road).
  WindowPixels ReadBack() const;
  // Frees the renderer and forgets the surface, before the window closes.
  void Drop();

  bool Valid() const { return valid_; }
  // Where the picture lies in the window's drawable pixels.
  const Placement& Where() const { return placement_; }

 private:
  enum class Road { None, Surface, Renderer };

  bool HardwareRenderer();
  bool MakeTexture(int32_t width, int32_t height);
  void DropRenderer();
  uint64_t CopyToSurface(const ImageData& screen, const std::vector<ScreenRect>& changed);
  uint64_t UploadToTexture(const ImageData& screen, const std::vector<ScreenRect>& changed);

  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* texture_ = nullptr;
  SDL_Surface* surface_ = nullptr;  // the window's, not ours to free
  Road road_ = Road::None;
  bool valid_ = false;
  bool repaint_ = false;
  int8_t hardware_ = -1;  // whether the renderer runs on a GPU; -1 not known yet
  int32_t texW_ = 0, texH_ = 0;
  Placement placement_;
  // Screen pixels into the surface's format, or into the texture's XRGB.
  PictureConverter converter_;
  // A surface of a format the converter does not write (a palette) gets
  // XRGB rows here that SDL converts.
  bool viaSdl_ = false;
  std::vector<uint8_t> scratch_;
  int32_t scratchPitch_ = 0;
  std::vector<SDL_Rect> sent_;
};

}  // namespace wimmel::rt::sdl
