// Building blocks the panels share: the window command with the program's
// own argument order, window numbers kept as text, artwork paths and the
// button hit boxes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wimmel::panels {

// Sends one window command; the panels ignore the result unless they keep it.
std::string F(std::string_view aufgabe, int32_t nr, int32_t w1 = 0, int32_t w2 = 0, int32_t w3 = 0,
              int32_t w4 = 0, std::string_view text = "");

// The numeric value of a kept window or slot number ("" gives 0).
int32_t Zahl(std::string_view text);

// Joins a folder and a file with the program's path separator.
std::string Pfad(std::string_view ordner, std::string_view datei);
std::string Pfad(std::string_view ordner, std::string_view unterordner, std::string_view datei);

bool Protokolliert();

// The command words of the panels, in the order they are compared.
enum class Befehl { Erstellen, Anzeigen, Loeschen, Mausklick, Unbekannt };
Befehl Nachschlagen(std::string_view aufgabe);

// A button: its top-left screen pixel and how far the hit box reaches to
// the right and down (both ends included), with the key string it stands for.
struct Knopf {
  int32_t x = 0, y = 0;
  int32_t weiter = 30, tiefer = 30;
  std::string antwort;
};

// Tests all buttons in order at (MausX, MausY); the last hit wins.
std::string Treffer(const std::vector<Knopf>& knoepfe);

// The information area below the scene, shared by the bottom bar and the
// help pages: its top row and the window size.
struct Infobereich {
  int32_t X0 = 0, Y0 = 0, breite = 0, hoehe = 0;
};
Infobereich InfobereichBerechnen();

}  // namespace wimmel::panels
