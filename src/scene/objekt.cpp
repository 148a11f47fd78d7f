// The static scene objects: their pictures, the merge into the background
// and the collision question of the figures.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "runtime/owned_image.h"
#include "runtime/owned_impl.h"
#include "runtime/runtime.h"
#include "scene/internal.h"
#include "scene/scene.h"
#include "shared/command_word.h"
#include "shared/dialog.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel {

namespace scene {

constexpr int32_t kMaxObjects = 10;

struct ObjektDaten {
  std::string name;
  std::string type;
  int32_t posX = 0, posY = 0;
  int32_t centreX = 0, centreY = 0;
  int32_t width = 0, height = 0;
  int32_t radius = 0;
  rt::OwnedImage image;
  int32_t merge = 0;
};

// The pictures still loaded when the run ends (a scene left without
// "LoescheAlleObjekte", and object 5, which only that command frees) go
// with the table.
struct ObjectTable {
  ObjektDaten objects[kMaxObjects + 1];  // entry 0 is never used
  int32_t count = 0;
  int32_t created = 0;
  std::string fileName;
};

}  // namespace scene

template class Owned<scene::ObjectTable>;

namespace {

using rt::Clamp32;
using scene::kMaxObjects;
using scene::ObjectTable;
using scene::ObjektDaten;

constexpr size_t kNameField = 10;

bool IsObject(int32_t nr) {
  return nr >= 1 && nr <= kMaxObjects;
}
// The objects that take part in merging, hit tests and deletion.
int32_t Participants(const ObjectTable& t) {
  return t.count < 0 ? 0 : std::min(t.count, kMaxObjects);
}

enum class Command {
  Erstellen,
  LadeBild,
  InHintergrundEinbinden,
  IstPosImObjekt,
  WerteAnzeigen,
  QuellbilderLoeschen,
  LoescheAlleObjekte,
  Unknown
};

constexpr CommandWord<Command> kCommands[] = {
    {"ERSTELLEN", Command::Erstellen},
    {"LADEBILD", Command::LadeBild},
    {"INHINTERGRUNDEINBINDEN", Command::InHintergrundEinbinden},
    {"ISTPOSIMOBJEKT", Command::IstPosImObjekt},
    {"WERTEANZEIGEN", Command::WerteAnzeigen},
    {"QUELLBILDERLOESCHEN", Command::QuellbilderLoeschen},
    {"LOESCHEALLEOBJEKTE", Command::LoescheAlleObjekte},
};

void LadeBild(ObjectTable& t, int32_t nr) {
  if (!IsObject(nr)) return;
  ObjektDaten& o = t.objects[nr];
  const bool exists = rt::ProbeBmpSize(t.fileName, o.width, o.height) > 0;
  if (o.width < 1 || o.height < 1) {
    EndWithMessage(scene::BadSizeMessage("Objekt(): Soll fuer das Objekt Nr: " + rt::IntToText(nr) +
                                             " die Datei " + t.fileName + " einlesen",
                                         o.width, o.height));
  }
  if (exists) {
    o.image.reset();
    o.image.reset(rt::CreateImage(o.width, o.height, 0, 0, rt::CreateImageFlagMask));
    // A null image would make the loader draw the file onto the screen.
    if (o.image) rt::LoadBmp(t.fileName, o.image);
  } else {
    DruckeZeile("Objekt() Soll dem Objekt Nr " + rt::IntToText(nr) + " die Bilddatei " +
                t.fileName + " zuordnen, Datei existiert jedoch nicht. Taste = weiter");
    WarteAufTaste();
  }
}

void Erstellen(ObjectTable& t) {
  if (t.created == 1) return;
  if (LogIsOn()) Protokoll("Objekt: Erstelle Objekte");
  static constexpr const char* kNames[] = {"QumyH", "HausA", "HausC", "HausD", "Kreisel1"};
  const int64_t W = Layout().width;
  const int64_t H = Layout().height;
  for (int32_t k = 1; k <= 5; ++k) {
    ObjektDaten& o = t.objects[k];
    o.name = std::string(kNames[k - 1]).substr(0, kNameField);
    t.fileName = "objekte" + Settings().Trenner + o.name + ".bmp";
    LadeBild(t, k);
    if (k == 1) {
      o.posX = 10;
      o.posY = 10;
    } else if (k == 2) {
      o.posX = Clamp32(W - o.width - 200);
      o.posY = Clamp32(H - 150 - o.height);
    } else {
      const ObjektDaten& previous = t.objects[k - 1];
      o.posX = Clamp32(static_cast<int64_t>(previous.posX) + 40);
      o.posY = rt::RoundToInt(static_cast<double>(previous.posY) +
                              static_cast<double>(previous.height) * 0.315);
    }
    o.centreX = Clamp32(static_cast<int64_t>(o.posX) + o.width / 2);
    o.centreY = Clamp32(static_cast<int64_t>(o.posY) + o.height / 2);
    o.type = "Kreis";
    o.radius = o.width / 2;
    o.merge = 1;
  }
  t.count = 4;
  t.created = 1;
}

void InHintergrundEinbinden(const ObjectTable& t) {
  for (int32_t k = 1; k <= Participants(t); ++k) {
    const ObjektDaten& o = t.objects[k];
    if (o.merge != 1) continue;
    if (!o.image) {
      rt::PrintText("Objekt() Soll das Objekt " + o.name + " mit Nr " + rt::IntToText(k) +
                        " in Hintergrundbild einbinden, es ist jedoch keine Bilddatei "
                        "eingelesen worden. Taste = weiter",
                    true);
    } else {
      rt::PutImage(Layout().Hintergrund, o.posX, o.posY, o.image, 0, 0, o.width, o.height,
                   rt::PutMode::Transparent);
    }
  }
}

// Whether sqrt(dx^2 + dy^2), rounded to the nearest integer, is at most
// reach. The exact square root of an integer is never halfway between two
// integers, so it rounds to at most reach exactly when it lies below
// reach + 1/2, that is when dx^2 + dy^2 < reach^2 + reach + 1/4, or (all
// being integers) dx^2 + dy^2 <= reach^2 + reach. No square root is needed,
// and 128 bits hold every square of the 32-bit range.
bool WithinRoundedDistance(uint64_t dx, uint64_t dy, uint64_t reach) {
  using Wide = unsigned __int128;
  return Wide{dx} * dx + Wide{dy} * dy <= Wide{reach} * reach + reach;
}

void WerteAnzeigen(const ObjectTable& t, int32_t nr) {
  if (!IsObject(nr)) return;
  const ObjektDaten& o = t.objects[nr];
  rt::LocateText(1, 1);
  rt::PrintText("Objekt: " + o.name + " vom Typ " + o.type, true);
  rt::PrintText("PosX/Y:" + rt::IntToText(o.posX) + "/" + rt::IntToText(o.posY) +
                    "Center X/Y:" + rt::IntToText(o.centreX) + "/" + rt::IntToText(o.centreY),
                true);
  rt::PrintText("Breite/Hoehe: " + rt::IntToText(o.width) + "/" + rt::IntToText(o.height) +
                    " Radius:" + rt::IntToText(o.radius) +
                    " BmpPtr:" + rt::UIntToText(rt::ImageId(o.image)),
                true);
}

void QuellbilderLoeschen(ObjectTable& t) {
  if (LogIsOn()) {
    Protokoll("Objekt: Quellbilder der Objekte 1-" + rt::IntToText(t.count) + " werden geloescht ");
  }
  for (int32_t k = 1; k <= Participants(t); ++k) {
    t.objects[k].image.reset();
  }
}

void LoescheAlleObjekte(ObjectTable& t) {
  if (LogIsOn()) {
    Protokoll("Objekt: alle Objekte werden geloescht (1-" + rt::IntToText(t.count));
  }
  // Objects beyond the count (the fifth one) are never merged or tested, but
  // their pictures are freed here too rather than forgotten with the table.
  for (ObjektDaten& o : t.objects) {
    o = ObjektDaten{};
  }
  t.created = 0;
}

}  // namespace

namespace scene {

char IstPosImObjekt(int32_t x, int32_t y, int32_t r) {
  const ObjectTable& t = ObjectsModule::Get();
  const int32_t participants = Participants(t);
  for (int32_t k = 1; k <= participants; ++k) {
    const ObjektDaten& o = t.objects[k];
    const int64_t dx = static_cast<int64_t>(x) - o.centreX;
    const int64_t dy = static_cast<int64_t>(y) - o.centreY;
    const int64_t reach = static_cast<int64_t>(r) + o.radius;
    if (reach < 0 || !WithinRoundedDistance(static_cast<uint64_t>(dx < 0 ? -dx : dx),
                                            static_cast<uint64_t>(dy < 0 ? -dy : dy),
                                            static_cast<uint64_t>(reach))) {
      continue;
    }
    char answer;
    if (o.centreX < x) {
      answer = o.centreY < y ? '7' : '1';
    } else {
      answer = o.centreY < y ? '9' : '3';
    }
    if (Settings().SchalterC == 1) {
      const SceneLayout& s = Layout();
      rt::DrawCircle(nullptr, Clamp32(static_cast<int64_t>(s.SzeneX0) + o.centreX),
                     Clamp32(static_cast<int64_t>(s.SzeneY0) + o.centreY), o.radius, 0xFFFFFF00);
      rt::DrawCircle(nullptr, Clamp32(static_cast<int64_t>(s.SzeneX0) + x),
                     Clamp32(static_cast<int64_t>(s.SzeneY0) + y), r, 0xFFFF0000);
    }
    return answer;
  }
  return '\0';
}

std::vector<std::string> BadSizeMessage(std::string firstLine, int32_t width, int32_t height) {
  return {std::move(firstLine),
          "Bildformat in Datei = " + rt::IntToText(width) + " X " + rt::IntToText(height) + ")",
          "Einer der Werte ist auf Null, kann damit nicht arbeiten!", "Jegliche Taste = Abbruch"};
}

}  // namespace scene

namespace scene {

void CreateObjects() {
  Erstellen(ObjectsModule::Get());
}

void MergeObjectsIntoBackground() {
  InHintergrundEinbinden(ObjectsModule::Get());
}

void ShowObjectValues(int32_t nr) {
  WerteAnzeigen(ObjectsModule::Get(), nr);
}

void DeleteAllObjects() {
  LoescheAlleObjekte(ObjectsModule::Get());
}

}  // namespace scene

std::string Objekt(std::string_view Aufgabe, int32_t nr, int32_t x, int32_t y, int32_t r,
                   int32_t figurNr, std::string_view text) {
  (void)figurNr;
  (void)text;
  ObjectTable& t = ObjectsModule::Get();
  switch (LookUpCommand(Aufgabe, kCommands, Command::Unknown)) {
    case Command::Erstellen:
      scene::CreateObjects();
      return "";
    case Command::LadeBild:
      LadeBild(t, nr);
      return "";
    case Command::InHintergrundEinbinden:
      scene::MergeObjectsIntoBackground();
      return "";
    case Command::IstPosImObjekt: {
      const char answer = scene::IstPosImObjekt(x, y, r);
      return answer == '\0' ? std::string() : std::string(1, answer);
    }
    case Command::WerteAnzeigen:
      scene::ShowObjectValues(nr);
      return "";
    case Command::QuellbilderLoeschen:
      QuellbilderLoeschen(t);
      return "";
    case Command::LoescheAlleObjekte:
      scene::DeleteAllObjects();
      return "";
    case Command::Unknown:
      break;
  }
  DruckeZeile("SelectCase in Objekt-Sub kennt folgende Aufgabe nicht: " + std::string(Aufgabe));
  return "";
}

}  // namespace wimmel
