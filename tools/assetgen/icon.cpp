#include "icon.h"

#include <algorithm>
#include <cmath>

#include "figures.h"
#include "ground.h"

namespace assetgen {

Picture AppIcon(int size) {
  Picture icon(size, size);
  const double s = size;
  // From 96 pixels on, the meadow is enlarged by a whole factor, so its checks
  // and the path stay as coarse as they look in the scene instead of shrinking
  // to a busy pattern.
  const int zoom = std::max(1, size / 96);
  const int span = size / zoom;
  // The patch is cut from the meadow above the path below the cottage, so the
  // figure stands out against grass and its feet reach the sand.
  const Picture meadow = Meadow(360, 320);
  const int left = 196 - span / 2, top = 216 - span * 84 / 100;

  const double cx = s * 0.5, cy = s * 0.5, radius = s * 0.5 - std::max(1.0, s / 48.0);
  const double ring = std::max(1.0, std::floor(s / 64.0));
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      const double d = std::sqrt(dx * dx + dy * dy);
      if (d > radius) continue;
      Col c = FromRgb(meadow.At(left + x / zoom, top + y / zoom));
      // The patch is lit from the top left like the figures, which lifts it
      // off whatever background the desktop puts behind it.
      c = c * (1.0 - 0.16 * (dx + dy) / (radius * std::sqrt(2.0)));
      if (d > radius - ring)
        c = c * 0.30;  // the dark outline every picture of the program has
      else if (d > radius - 3 * ring)
        c = c * 0.78;
      icon.At(x, y) = ToRgb(c);
    }

  // The figure fills most of the height, so it still reads as a figure at
  // 48 pixels; its shadow ties it to the ground.
  const int figureSize = static_cast<int>(std::nearbyint(s * 0.80));
  const Picture figure = FigurePortrait("gelbzyli", figureSize, figureSize);
  int bottom = 0;
  for (int y = 0; y < figure.h; ++y)
    for (int x = 0; x < figure.w; ++x)
      if (!figure.IsMask(x, y)) bottom = y;
  const double ground = s * 0.84;
  const double shadowW = s * 0.19, shadowH = s * 0.055;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double u = (x + 0.5 - cx) / shadowW, v = (y + 0.5 - ground) / shadowH;
      if (u * u + v * v <= 1.0 && !icon.IsMask(x, y))
        icon.At(x, y) = ToRgb(FromRgb(icon.At(x, y)) * 0.62);
    }
  icon.Paste(figure, (size - figure.w) / 2, static_cast<int>(std::nearbyint(ground)) - bottom);
  return icon;
}

}  // namespace assetgen
