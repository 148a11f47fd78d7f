// Test support for the scene: a scratch working folder with hand-made BMP
// files, a headless screen with scripted keys and captured console lines,
// and the background and scene built the way the start screen builds them.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace testhilfe {

// Writes a 24-bit bottom-up BMP; farbe(x, y) gives 0xRRGGBB. Creates the
// folders on the way. Backslashes in the path are folder separators.
void SchreibeBmp(const std::string& pfad, int32_t breite, int32_t hoehe,
                 const std::function<uint32_t(int32_t, int32_t)>& farbe);
// Writes raw bytes (for broken headers and empty files).
void SchreibeDatei(const std::string& pfad, const std::string& inhalt);
void Loesche(const std::string& pfad);
// Puts a folder or a named pipe where a picture of that name would be (any
// file there is removed first): both must count as missing, and nothing may
// wait for the pipe.
void SchreibeOrdner(const std::string& pfad);
void SchreibeRohr(const std::string& pfad);

// A fresh folder under /tmp that is the working folder while this lives.
class Arbeitsordner {
 public:
  Arbeitsordner();
  ~Arbeitsordner();
  Arbeitsordner(const Arbeitsordner&) = delete;
  Arbeitsordner& operator=(const Arbeitsordner&) = delete;
  const std::string& Pfad() const { return pfad_; }

 private:
  std::string vorher_;
  std::string pfad_;
};

// Opens a headless screen (mode 18 = 640x480, 21 = 1280x1024), fills the
// fonts and the kind table and records the mode in the scene settings.
// Keys queued with Taste() are handed out one per poll; a run of more than
// grenze polls without a queued key fails the test and sends Escape, so a
// wait that nobody answers cannot hang.
void Bildschirm(int32_t modus, int32_t tiefe, int64_t grenze = 200000);
void Taste(uint32_t code);
int64_t Abfragen();                   // polls since Bildschirm()
std::vector<std::string>& Konsole();  // finished console lines
std::string KonsoleText();            // all lines joined with '\n'

// Background from "HG_bild\Karogrun.bmp" and the scene geometry, as the
// start screen builds them.
void BaueHintergrund();
// Objects merged into the background, background shown, figures created and
// figure 1 made active.
void BaueSzene();

// A figure picture set: for each kind of the kind table and each direction
// picture 1..4 a strip of frames; frame f of picture b of kind k is a square
// of colour FrameFarbe(k, b, f) with a magenta border of rand pixels.
struct FigurSatz {
  int32_t frameGroesse = 48;
  int32_t frames = 12;
  int32_t rand = 4;
};
uint32_t FrameFarbe(int32_t art, int32_t bild, int32_t frame);
void SchreibeFiguren(const FigurSatz& satz = {});
void SchreibeFigurBild(const std::string& art, int32_t bild, const FigurSatz& satz,
                       int32_t artNummer);
// Five object pictures of size x size, solid colours with a magenta corner.
void SchreibeObjekte(int32_t groesse = 20);
// The background bitmap: a checkerboard of 8-pixel squares.
uint32_t HintergrundFarbe(int32_t x, int32_t y);
void SchreibeHintergrund(int32_t breite, int32_t hoehe);

// Stored screen pixel for a 0xRRGGBB colour in the current depth.
uint32_t Erwartet(uint32_t rgb);
uint32_t Pixel(int32_t x, int32_t y);

// One step that passes the time gate.
void Schritt();
// Clears the scene modules' state between tests.
void SzeneAufraeumen();

}  // namespace testhilfe
