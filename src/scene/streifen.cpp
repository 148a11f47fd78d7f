#include "scene/streifen.h"

#include <string>
#include <unordered_map>
#include <utility>

namespace wimmel::scene {

// One decoded picture, shared read-only by every strip whose content it is.
struct GeteiltesBild {
  rt::Image bild = nullptr;
  explicit GeteiltesBild(rt::Image b) : bild(b) {}
  GeteiltesBild(const GeteiltesBild&) = delete;
  GeteiltesBild& operator=(const GeteiltesBild&) = delete;
  ~GeteiltesBild() {
    if (bild != nullptr) rt::DestroyImage(bild);
  }
};

namespace {

struct Eintrag {
  rt::FileStamp stempel;
  // Null when the file does not determine every pixel of a strip of this
  // size (smaller than the strip, or not loadable): such loads go to the
  // strip's own pixels.
  std::shared_ptr<const GeteiltesBild> bild;
};

class BildVorrat {
 public:
  // The shared decoded picture of fileName for a strip of this size and depth
  // when the file covers such a strip completely; false otherwise.
  bool Hole(std::string_view fileName, const rt::FileStamp& stempel, int32_t breite, int32_t hoehe,
            int32_t tiefe, int32_t dateiBreite, int32_t dateiHoehe,
            std::shared_ptr<const GeteiltesBild>& bild) {
    // Only a file that exists has a stamp that tells its versions apart.
    if (stempel.size <= 0) return false;
    std::string schluessel = Schluessel(fileName, breite, hoehe, tiefe);
    auto it = eintraege_.find(schluessel);
    if (it != eintraege_.end() && it->second.stempel == stempel) {
      bild = it->second.bild;
      return bild != nullptr;
    }
    Eintrag neu;
    neu.stempel = stempel;
    neu.bild = Dekodieren(fileName, breite, hoehe, tiefe, dateiBreite, dateiHoehe);
    Aufraeumen();
    bild = neu.bild;
    eintraege_[std::move(schluessel)] = std::move(neu);
    return bild != nullptr;
  }

  // A strip of colour 0, shared by every new strip of this size and depth.
  std::shared_ptr<const GeteiltesBild> Schwarz(int32_t breite, int32_t hoehe, int32_t tiefe) {
    std::string schluessel = Schluessel(std::string_view("\0schwarz", 8), breite, hoehe, tiefe);
    auto it = eintraege_.find(schluessel);
    if (it != eintraege_.end() && it->second.bild != nullptr) return it->second.bild;
    rt::Image bild = rt::CreateImage(breite, hoehe, 0);
    if (bild == nullptr) return nullptr;
    Eintrag neu;
    neu.bild = std::make_shared<const GeteiltesBild>(bild);
    Aufraeumen();
    auto ergebnis = neu.bild;
    eintraege_[std::move(schluessel)] = std::move(neu);
    return ergebnis;
  }

  void Leeren() {
    for (auto it = eintraege_.begin(); it != eintraege_.end();) {
      if (it->second.bild == nullptr || it->second.bild.use_count() == 1) {
        it = eintraege_.erase(it);
      } else {
        ++it;
      }
    }
  }

  int32_t Groesse() const { return static_cast<int32_t>(eintraege_.size()); }

 private:
  // The program's own pictures are about forty files; beyond that, pictures
  // no strip uses any more are dropped.
  static constexpr size_t kGrenze = 64;

  void Aufraeumen() {
    if (eintraege_.size() >= kGrenze) Leeren();
  }

  static std::string Schluessel(std::string_view name, int32_t breite, int32_t hoehe,
                                int32_t tiefe) {
    std::string s(name);
    s += '\n';
    s += std::to_string(breite);
    s += 'x';
    s += std::to_string(hoehe);
    s += 'x';
    s += std::to_string(tiefe);
    return s;
  }

  static std::shared_ptr<const GeteiltesBild> Dekodieren(std::string_view fileName, int32_t breite,
                                                         int32_t hoehe, int32_t tiefe,
                                                         int32_t dateiBreite, int32_t dateiHoehe) {
    const int64_t zeilen = dateiHoehe < 0 ? -static_cast<int64_t>(dateiHoehe) : dateiHoehe;
    if (dateiBreite < breite || zeilen < hoehe) return nullptr;
    if (rt::GetScreenInfo().bytesPerPixel != tiefe) return nullptr;
    rt::Image bild = rt::CreateImage(breite, hoehe, 0);
    if (bild == nullptr) return nullptr;
    // A successful load of a file at least as large as the image writes
    // every pixel of it, so the result depends on the file alone.
    if (rt::LoadBmp(fileName, bild) != 0) {
      rt::DestroyImage(bild);
      return nullptr;
    }
    return std::make_shared<const GeteiltesBild>(bild);
  }

  std::unordered_map<std::string, Eintrag> eintraege_;
};

// Never destroyed: strips in the figure table may still point into it at
// exit, after the runtime is gone.
BildVorrat& Vorrat() {
  static BildVorrat* vorrat = new BildVorrat;
  return *vorrat;
}

}  // namespace

Streifen::~Streifen() {
  Freigeben();
}

void Streifen::Erstellen(int32_t width, int32_t height) {
  Freigeben();
  const int32_t tiefe = rt::GetScreenInfo().bytesPerPixel;
  geteilt_ = Vorrat().Schwarz(width, height, tiefe);
  if (geteilt_ == nullptr) return;
  vorhanden_ = true;
  breite_ = width;
  hoehe_ = height;
  tiefe_ = tiefe;
}

void Streifen::Freigeben() {
  if (eigen_ != nullptr) {
    rt::DestroyImage(eigen_);
    eigen_ = nullptr;
  }
  geteilt_.reset();
  vorhanden_ = false;
  breite_ = hoehe_ = tiefe_ = 0;
}

void Streifen::Laden(std::string_view fileName, int32_t dateiBreite, int32_t dateiHoehe,
                     const rt::FileStamp& stempel) {
  if (!vorhanden_) return;
  std::shared_ptr<const GeteiltesBild> bild;
  if (Vorrat().Hole(fileName, stempel, breite_, hoehe_, tiefe_, dateiBreite, dateiHoehe, bild)) {
    if (eigen_ != nullptr) {
      rt::DestroyImage(eigen_);
      eigen_ = nullptr;
    }
    geteilt_ = std::move(bild);
    return;
  }
  EigeneKopie();
  if (eigen_ != nullptr) rt::LoadBmp(fileName, eigen_);
}

rt::Image Streifen::Quelle() const {
  if (eigen_ != nullptr) return eigen_;
  return geteilt_ != nullptr ? geteilt_->bild : nullptr;
}

void Streifen::EigeneKopie() {
  if (eigen_ != nullptr) return;
  eigen_ = rt::CreateImage(breite_, hoehe_, 0);
  if (eigen_ == nullptr) return;
  if (geteilt_ != nullptr) {
    rt::PutImage(eigen_, 0, 0, geteilt_->bild, 0, 0, breite_, hoehe_, rt::PutMode::Opaque);
  }
  geteilt_.reset();
}

void StreifenVorratLeeren() {
  Vorrat().Leeren();
}
int32_t StreifenVorratGroesse() {
  return Vorrat().Groesse();
}

}  // namespace wimmel::scene
