// A figure's frame strip. Loading a picture file into a strip is what every
// turn does; most strips hold exactly the content of one picture file, so
// they share one decoded copy of it instead of each owning 576 x 48 pixels.
// A strip gets pixels of its own only when its content is no longer that of a
// single file (a file smaller than the strip leaves old pixels around it, or a
// file the loader could not read completely).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "runtime/runtime.h"

namespace wimmel::scene {

struct GeteiltesBild;

class Streifen {
 public:
  Streifen() = default;
  Streifen(const Streifen&) = delete;
  Streifen& operator=(const Streifen&) = delete;
  ~Streifen();

  // A strip of width x height in the screen's depth, filled with colour 0.
  // Without an open screen there is no strip.
  void Erstellen(int32_t width, int32_t height);
  void Freigeben();
  bool Vorhanden() const { return vorhanden_; }

  // Loads a picture file into the strip, as LoadBmp does: the overlap of file
  // and strip is replaced, the rest keeps its pixels. dateiBreite,
  // dateiHoehe and stempel come from the probe of the file just before
  // (rt::ProbeBmpSize).
  void Laden(std::string_view fileName, int32_t dateiBreite, int32_t dateiHoehe,
             const rt::FileStamp& stempel);

  // The image to draw frames from (null without a strip).
  rt::Image Quelle() const;
  // True while the strip shares a decoded picture instead of owning pixels.
  bool Geteilt() const { return geteilt_ != nullptr && eigen_ == nullptr; }

 private:
  void EigeneKopie();

  bool vorhanden_ = false;
  int32_t breite_ = 0;
  int32_t hoehe_ = 0;
  int32_t tiefe_ = 0;  // bytes per pixel
  std::shared_ptr<const GeteiltesBild> geteilt_;
  rt::Image eigen_ = nullptr;
};

// Forgets every cached picture that no strip uses (tests, and leaving a scene).
void StreifenVorratLeeren();
// Number of decoded pictures currently cached (tests and benchmarks).
int32_t StreifenVorratGroesse();

}  // namespace wimmel::scene
