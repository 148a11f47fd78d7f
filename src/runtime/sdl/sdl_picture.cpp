#include "runtime/sdl/sdl_picture.h"

#include <string>

#include "runtime/internal.h"

namespace wimmel::rt::sdl {
namespace {

// The converter's description of an SDL pixel format; bytesPerPixel 0 for
// a format it does not write (palettes, fewer than 2 bytes a pixel).
PixelFormat FormatOf(const SDL_PixelFormat& f) {
  if (f.BytesPerPixel < 2 || f.BytesPerPixel > 4 || f.palette || f.Rmask == 0 || f.Gmask == 0 ||
      f.Bmask == 0) {
    return PixelFormat{0, 0, 0, 0, 0};
  }
  return PixelFormat{f.BytesPerPixel, f.Rmask, f.Gmask, f.Bmask, f.Amask};
}

}  // namespace

// Whether the renderer SDL would use draws on a graphics card. Under X11
// without one, SDL's OpenGL renderer runs on Mesa's software rasterizer,
// which costs more than copying the picture into the window's memory.
bool WindowPicture::HardwareRenderer() {
  if (hardware_ >= 0) return hardware_ == 1;
  hardware_ = 0;
  SDL_RendererInfo info;
  if (!renderer_ || SDL_GetRendererInfo(renderer_, &info) != 0) return false;
  if (!(info.flags & SDL_RENDERER_ACCELERATED)) return false;
  const std::string name = info.name ? info.name : "";
  if (name.rfind("opengl", 0) == 0) {
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned int kGlRenderer = 0x1F01;
    const unsigned char* gl = getString ? getString(kGlRenderer) : nullptr;
    const std::string glName = gl ? reinterpret_cast<const char*>(gl) : "";
    for (const char* software : {"llvmpipe", "softpipe", "Software", "SWR", "swrast"}) {
      if (glName.find(software) != std::string::npos) return false;
    }
    if (glName.empty()) return false;
  }
  hardware_ = 1;
  return true;
}

// The window's surface for a picture shown at its own size, and also for a
// scaled one unless a graphics card can scale it.
bool WindowPicture::Prepare(SDL_Window* window, const ImageData& screen) {
  valid_ = false;
  converter_.Reset();
  if (!window) return false;
  int outW = 0, outH = 0;
  SDL_GetWindowSizeInPixels(window, &outW, &outH);
  placement_ = PlaceScreen(outW, outH, screen.width, screen.height);
  const bool scaled = placement_.w != screen.width || placement_.h != screen.height;
  bool useRenderer = false;
  if (scaled && hardware_ != 0) {
    if (!renderer_) renderer_ = SDL_CreateRenderer(window, -1, 0);
    useRenderer = HardwareRenderer();
  }
  if (useRenderer) {
    surface_ = nullptr;
    if ((!texture_ || texW_ != screen.width || texH_ != screen.height) &&
        !MakeTexture(screen.width, screen.height)) {
      // Nothing to upload into; the next pass tries again.
      road_ = Road::None;
      return false;
    }
    road_ = Road::Renderer;
    // The texture holds the screen one to one.
    converter_.Prepare(ShapeOf(screen), Placement{0, 0, screen.width, screen.height}, kXrgb8888);
  } else {
    DropRenderer();
    surface_ = SDL_GetWindowSurface(window);
    if (!surface_) {
      road_ = Road::None;
      return false;
    }
    road_ = Road::Surface;
    placement_ = PlaceScreen(surface_->w, surface_->h, screen.width, screen.height);
    // The black around the picture, drawn once per size.
    SDL_FillRect(surface_, nullptr, SDL_MapRGB(surface_->format, 0, 0, 0));
    const PixelFormat format = FormatOf(*surface_->format);
    viaSdl_ = format.bytesPerPixel == 0;
    if (viaSdl_) {
      // XRGB rows of the window's size, which SDL converts into the surface.
      scratchPitch_ = surface_->w * 4;
      scratch_.assign(static_cast<size_t>(scratchPitch_) * surface_->h, 0);
    } else {
      scratch_.clear();
    }
    converter_.Prepare(ShapeOf(screen), placement_, viaSdl_ ? kXrgb8888 : format);
  }
  valid_ = converter_.PreparedFor(ShapeOf(screen));
  if (!valid_) return false;
  // The new road starts with the whole picture.
  LockScreenRaw();
  detail::MarkRect(0, 0, screen.width - 1, screen.height - 1);
  UnlockScreenRaw();
  repaint_ = true;
  return true;
}

WindowPixels WindowPicture::ReadBack() const {
  WindowPixels out;
  if (road_ != Road::Surface || !surface_) return out;
  out.pixels.resize(static_cast<size_t>(surface_->w) * surface_->h);
  if (SDL_ConvertPixels(surface_->w, surface_->h, surface_->format->format, surface_->pixels,
                        surface_->pitch, SDL_PIXELFORMAT_RGB888, out.pixels.data(),
                        surface_->w * 4) != 0) {
    out.pixels.clear();
    return out;
  }
  out.width = surface_->w;
  out.height = surface_->h;
  return out;
}

void WindowPicture::DeviceReset() {
  if (texture_) SDL_DestroyTexture(texture_);
  texture_ = nullptr;
  texW_ = texH_ = 0;
  valid_ = false;
}

void WindowPicture::DropRenderer() {
  if (texture_) SDL_DestroyTexture(texture_);
  if (renderer_) SDL_DestroyRenderer(renderer_);
  texture_ = nullptr;
  renderer_ = nullptr;
  texW_ = texH_ = 0;
}

void WindowPicture::Drop() {
  DropRenderer();
  surface_ = nullptr;
  road_ = Road::None;
  valid_ = false;
  converter_.Reset();
}

// The texture is always 32-bit XRGB, whatever the screen's depth. A 32-bit
// screen's rows are that format already (its top byte is not alpha); 16-bit
// rows are widened by the converter. Letting SDL convert 5-6-5 instead
// turns white into FFFEFF in its OpenGL renderer.
bool WindowPicture::MakeTexture(int32_t width, int32_t height) {
  if (texture_) SDL_DestroyTexture(texture_);
  texW_ = texH_ = 0;
  texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                               width, height);
  if (!texture_) return false;
  SDL_SetTextureBlendMode(texture_, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
  texW_ = width;
  texH_ = height;
  return true;
}

uint64_t WindowPicture::Copy(const ImageData& screen, const std::vector<ScreenRect>& changed) {
  sent_.clear();
  if (!ReadyFor(screen) || changed.empty()) return 0;
  if (road_ == Road::Surface) return CopyToSurface(screen, changed);
  if (road_ == Road::Renderer) return UploadToTexture(screen, changed);
  return 0;
}

// Copies the changed rectangles into the window's surface, scaled to the
// picture's place by nearest neighbour, and notes the window's rectangles
// to send on.
uint64_t WindowPicture::CopyToSurface(const ImageData& screen,
                                      const std::vector<ScreenRect>& changed) {
  uint64_t rows = 0;
  auto* pixels = static_cast<uint8_t*>(viaSdl_ ? scratch_.data() : surface_->pixels);
  const int32_t pitch = viaSdl_ ? scratchPitch_ : surface_->pitch;
  for (const ScreenRect& r : changed) {
    const Placement w = converter_.Copy(screen, r, pixels, pitch);
    if (w.w <= 0 || w.h <= 0) continue;
    if (viaSdl_) {
      const size_t at = static_cast<size_t>(w.y) * scratchPitch_ + static_cast<size_t>(w.x) * 4;
      SDL_ConvertPixels(w.w, w.h, SDL_PIXELFORMAT_RGB888, scratch_.data() + at, scratchPitch_,
                        surface_->format->format,
                        static_cast<uint8_t*>(surface_->pixels) +
                            static_cast<size_t>(w.y) * surface_->pitch +
                            static_cast<size_t>(w.x) * surface_->format->BytesPerPixel,
                        surface_->pitch);
    }
    sent_.push_back(SDL_Rect{w.x, w.y, w.w, w.h});
    rows += static_cast<uint64_t>(r.h);
  }
  return rows;
}

// Uploads the changed rectangles into the texture. The marks are cleared by
// now, so a texture that does not take them makes the road invalid: the
// next pass prepares it again, and that sends the whole picture.
uint64_t WindowPicture::UploadToTexture(const ImageData& screen,
                                        const std::vector<ScreenRect>& changed) {
  uint64_t rows = 0;
  auto fail = [this] {
    sent_.clear();
    valid_ = false;
  };
  if (!texture_) {
    fail();
    return 0;
  }
  for (const ScreenRect& r : changed) {
    const SDL_Rect rect{r.x, r.y, r.w, r.h};
    if (screen.bytesPerPixel == 4) {
      const uint8_t* src =
          screen.pixels + static_cast<size_t>(r.y) * screen.pitch + static_cast<size_t>(r.x) * 4;
      if (SDL_UpdateTexture(texture_, &rect, src, screen.pitch) != 0) {
        fail();
        return rows;
      }
    } else {
      void* target = nullptr;
      int targetPitch = 0;
      if (SDL_LockTexture(texture_, &rect, &target, &targetPitch) != 0) {
        fail();
        return rows;
      }
      converter_.Copy(screen, r, static_cast<uint8_t*>(target), targetPitch, r.x, r.y);
      SDL_UnlockTexture(texture_);
    }
    rows += static_cast<uint64_t>(r.h);
    sent_.push_back(rect);
  }
  return rows;
}

// Sends what changed on to the window: the changed rectangles of its
// surface, or the whole texture through the renderer. A window that was
// uncovered gets everything again, without counting as a new picture.
bool WindowPicture::Present(SDL_Window* window) {
  const bool newPicture = !sent_.empty();
  if (!newPicture && !repaint_) return false;
  if (road_ == Road::Surface) {
    if (repaint_) {
      SDL_UpdateWindowSurface(window);
    } else {
      SDL_UpdateWindowSurfaceRects(window, sent_.data(), static_cast<int>(sent_.size()));
    }
  } else if (road_ == Road::Renderer) {
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    if (texture_) {
      const SDL_Rect dst{placement_.x, placement_.y, placement_.w, placement_.h};
      SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
    }
    SDL_RenderPresent(renderer_);
  }
  repaint_ = false;
  sent_.clear();
  return newPicture;
}

}  // namespace wimmel::rt::sdl
