#include "images/bilder.h"

#include <initializer_list>
#include <string>

namespace wimmel {

namespace {

constexpr int32_t kPlaetze = 100;
// The name field holds this many characters; longer names are cut on storing
// and so never match a later request again.
constexpr size_t kNamensfeld = 128;

struct BildDaten {
  rt::Image bild = nullptr;
  std::string name;
  int32_t breite = 0;
  int32_t hoehe = 0;
};

struct Vorrat {
  BildDaten platz[kPlaetze + 1];  // slot 0 is never filled
  int32_t anzahl = 0;
};

// Lives for the whole run; never destroyed, so no image is freed after the
// runtime has gone at exit.
Vorrat& V() {
  static Vorrat* vorrat = new Vorrat;
  return *vorrat;
}

[[noreturn]] void Programmende(std::initializer_list<std::string> zeilen) {
  rt::ClearScreen();
  for (const std::string& zeile : zeilen) rt::PrintText(zeile, true);
  while (rt::ReadKey().empty()) {
  }
  rt::EndProgram(0);
}

rt::Image GibBildPtr(std::string_view fileName) {
  Vorrat& v = V();
  for (int32_t k = v.anzahl; k >= 1; --k) {
    if (v.platz[k].name == fileName) return v.platz[k].bild;
  }
  const std::string name(fileName);
  if (v.anzahl >= kPlaetze) {
    Programmende({"Function Bilder: Soll das Bild", name + " in den Ram einlesen",
                  "Das waere dann das " + rt::IntToText(kPlaetze + 1) + ".Bild",
                  "Es wurde jedoch nur Platz fuer", rt::IntToText(kPlaetze) + "Bilder", "Gedimmt.",
                  "Programmierer informieren, im Quellcode", "in der Function bilder",
                  "in der Zeile -STATIC AS BildDaten Bilder(100)", "mit h\xF6herer Anzahl dimmen!",
                  "jegliche Taste = Programmende"});
  }
  int32_t breite = 0;
  int32_t hoehe = 0;
  if (rt::ProbeBmpSize(fileName, breite, hoehe) < 1) {
    Programmende({"Function Bilder: Soll das Bild", name + " in den Ram einlesen",
                  "Die Datei scheint jedoch nicht zu existieren", "jegliche Taste = Programmende"});
  }
  BildDaten& slot = v.platz[++v.anzahl];
  slot.breite = breite;
  slot.hoehe = hoehe;
  slot.name = name.substr(0, kNamensfeld);
  slot.bild = rt::CreateImage(breite, hoehe, 0, 0, rt::CreateImageFlagMask);
  if (slot.bild == nullptr) {
    Programmende({"Function Bilder: Soll das Bild", name + " in den Ram einlesen",
                  "Die Zeichenwerk-Function IMAGECREATE gibt aber null zurueck",
                  "Es konnte kein Ram f\xFCr das Bild reserviert werden",
                  "Ram-Speicher zu knapp???", "jegliche Taste = Programmende"});
  }
  rt::LoadBmp(fileName, slot.bild);
  return slot.bild;
}

}  // namespace

rt::Image Bilder(std::string_view Aufgabe, std::string_view fileName) {
  if (rt::UpperAscii(Aufgabe) == "GIBBILDPTR") return GibBildPtr(fileName);
  return nullptr;
}

}  // namespace wimmel

#include "runtime/owned_impl.h"

namespace wimmel {
namespace images {
struct PictureStore {};
}  // namespace images
template class Owned<images::PictureStore>;
}  // namespace wimmel
