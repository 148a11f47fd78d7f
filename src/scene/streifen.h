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

namespace wimmel::szene {

struct GeteiltesBild;

// What identifies one version of a file: a rewritten file changes its
// modification or change time (nanoseconds), its size or its inode.
struct Stempel {
  int64_t groesse = 0;
  int64_t geaendertNs = 0;
  int64_t statusNs = 0;
  uint64_t inode = 0;
  uint64_t geraet = 0;
  bool gueltig = false;
  bool operator==(const Stempel&) const = default;
};

// The modules' header probe of a picture file in one open: returns the
// file's length (0 when it is missing), reads the 32-bit width and height at
// byte offsets 18 and 22 (a missing file, or bytes beyond a short file, leave
// them as they were) and takes the file's stamp.
int64_t BildPruefen(std::string_view name, int32_t& breite, int32_t& hoehe, Stempel& stempel);

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
  // dateiHoehe and stempel come from the probe of the file just before.
  void Laden(std::string_view fileName, int32_t dateiBreite, int32_t dateiHoehe,
             const Stempel& stempel);

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

}  // namespace wimmel::szene
