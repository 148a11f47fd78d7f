#include "images/bilder.h"

#include <string>
#include <vector>

#include "runtime/owned_image.h"
#include "runtime/owned_impl.h"
#include "shared/command_word.h"
#include "shared/dialog.h"

namespace wimmel {

namespace images {

constexpr int32_t kSlots = 100;
// The name field holds this many characters; longer names are cut on storing
// and so never match a later request again.
constexpr size_t kNameField = 128;

// One slot of the store.
struct BildDaten {
  rt::OwnedImage image;
  std::string name;
  int32_t width = 0;
  int32_t height = 0;
};

// The store's slots and how many are filled. The images are the store's: they
// go with it at the end of the run, while the runtime is still there.
struct PictureStore {
  BildDaten slots[kSlots + 1];  // slot 0 is never filled
  int32_t count = 0;
};

}  // namespace images

template class Owned<images::PictureStore>;

namespace {

using images::BildDaten;
using images::kNameField;
using images::kSlots;

enum class Command { GibBildPtr, Unknown };
constexpr CommandWord<Command> kCommands[] = {
    {"GIBBILDPTR", Command::GibBildPtr},
};

[[noreturn]] void EndWithReport(const std::vector<std::string>& lines) {
  rt::ClearScreen();
  EndWithMessage(lines);
}

}  // namespace

rt::Image images::Picture(std::string_view fileName) {
  images::PictureStore& store = ImagesModule::Get();
  for (int32_t k = store.count; k >= 1; --k) {
    if (store.slots[k].name == fileName) return store.slots[k].image;
  }
  const std::string name(fileName);
  if (store.count >= kSlots) {
    EndWithReport({"Function Bilder: Soll das Bild", name + " in den Ram einlesen",
                   "Das waere dann das " + rt::IntToText(kSlots + 1) + ".Bild",
                   "Es wurde jedoch nur Platz fuer", rt::IntToText(kSlots) + "Bilder", "Gedimmt.",
                   "Programmierer informieren, im Quellcode", "in der Function bilder",
                   "in der Zeile -STATIC AS BildDaten Bilder(100)", "mit h\xF6herer Anzahl dimmen!",
                   "jegliche Taste = Programmende"});
  }
  int32_t width = 0;
  int32_t height = 0;
  if (rt::ProbeBmpSize(fileName, width, height) < 1) {
    EndWithReport({"Function Bilder: Soll das Bild", name + " in den Ram einlesen",
                   "Die Datei scheint jedoch nicht zu existieren",
                   "jegliche Taste = Programmende"});
  }
  BildDaten& slot = store.slots[++store.count];
  slot.width = width;
  slot.height = height;
  slot.name = name.substr(0, kNameField);
  slot.image.reset(rt::CreateImage(width, height, 0, 0, rt::CreateImageFlagMask));
  if (!slot.image) {
    EndWithReport({"Function Bilder: Soll das Bild", name + " in den Ram einlesen",
                   "Die Zeichenwerk-Function IMAGECREATE gibt aber null zurueck",
                   "Es konnte kein Ram f\xFCr das Bild reserviert werden",
                   "Ram-Speicher zu knapp???", "jegliche Taste = Programmende"});
  }
  rt::LoadBmp(fileName, slot.image);
  return slot.image;
}

rt::Image Bilder(std::string_view Aufgabe, std::string_view fileName) {
  switch (LookUpCommand(Aufgabe, kCommands, Command::Unknown)) {
    case Command::GibBildPtr:
      return images::Picture(fileName);
    case Command::Unknown:
      break;
  }
  return nullptr;
}

}  // namespace wimmel
