// The about screen: five pages of raised text over the standing scene, each
// closed by a key; turning a page wipes the scene area with the background.
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "control/haupt.h"
#include "control/loop_input.h"
#include "runtime/runtime.h"
#include "shared/settings.h"
#include "text/text.h"

namespace wimmel {

namespace {

constexpr int32_t kLineSpacing = 20;
const char* const kPrompt =
    "TASTE DR\xDC"
    "CKEN ! !";

// One line of a page and how many line spacings y moves before it: 0 for the
// first line, 1 for the next one, 2 after a blank line.
struct Line {
  int32_t advance;
  const char* text;
};

const std::vector<Line> kPage1 = {
    {0, "WIMMEL - Das Wimmel-Team - 2008"},
    {1, "GESCHRIEBEN, UM ZU TESTEN, WIE SCHNELL C++20 (MIT SDL2)"},
    {1, "MIT GRAFIK UMGEHEN KANN."},
    {1,
     "WEIL C++20 GUT MITHIELT, KAMEN ALS N\xC4"
     "CHSTES DIE ANIMATIONEN,"},
    {1, "DANN DIE MAUSSTEUERUNG UND ALS LETZTER SCHLAG NOCH SOUND MIT FMOD."},
    {1, "WIE SIE SEHEN, H\xC4LT C++20 IMMER NOCH MIT."},
    {1,
     "HERZLICHEN GL\xDC"
     "CKWUNSCH AN DIE MACHER VON C++ UND GCC!"},
    {2, kPrompt},
};

const std::vector<Line> kPage2 = {
    {0, "DER SOUND L\xC4UFT UNTER WINDOWS (FMOD)."},
    {1,
     "UNTER DEBIAN 12 L\xC4UFT ER \xDC"
     "BER DIE SOUND-SCHICHT MIT SDL2."},
    {1, "IM DOS GIBTS KEIN FMOD :-( ALSO AUCH KEIN SOUND "},
    {2, "BEI DEN GRAFIKAUFL\xD6SUNGEN RICHTET SICH DAS PROGRAMM"},
    {1, "NACH IHRER GRAFIKKARTE."},
    {1, "WIMMEL KANN IN 640x480 800x600 1024x768 und 1280x1024"},
    {1, "JEWEILS MIT 8, 15, 16, 24 UND 32bit-FARBTIEFE UMGEHEN."},
    {1, "AUS DIESEN M\xD6GLICHKEITEN BIETET WIMMEL IHNEN NUR DIEJENIGEN AN,"},
    {1, "DIE IHRE GRAFIKKARTE AUCH BEHERRSCHT."},
    {2, kPrompt},
};

const std::vector<Line> kPage3 = {
    {0, "DIE SOUND-SCHICHT UNTER LINUX (DEBIAN 12):"},
    {1, "WIMMELS SOUND-SCHICHT NIMMT DIE FSOUND-BEFEHLE ENTGEGEN"},
    {1, "UND GIBT SIE AN SDL2 (AUSGABE) UND LIBMPG123 (MP3) WEITER."},
    {1, "GELADEN WURDEN DIE PAKETE LIBSDL2-DEV UND LIBMPG123-DEV,"},
    {1, "DAZU LIBMP3LAME-DEV F\xDCR DEN MUSIK-GENERATOR."},
    {1, "APT-GET ENTPACKT LIBSDL2-2.0.SO.0 UND LIBMPG123.SO.0"},
    {1, "NACH /USR/LIB/X86_64-LINUX-GNU."},
    {1, "DIE SYMBOLISCHEN LINKS LIBSDL2.SO UND LIBMPG123.SO,"},
    {1, "UNTER DENEN DER LINKER SUCHT, LEGEN DIE -DEV-PAKETE AN."},
    {1, "PKG-CONFIG NENNT CMAKE DIE PFADE DER HEADER UND BIBLIOTHEKEN."},
    {1, "DAS ALLES ERLEDIGT ./run VON SELBST: ES INSTALLIERT,"},
    {1, "WAS FEHLT, BAUT DAS PROGRAMM UND ERZEUGT BILDER UND MUSIK."},
    {1, "DIE MUSIK SPIELT BEIM BAUEN EIN KLEINER SEQUENZER,"},
    {1, "LIBMP3LAME KODIERT SIE ALS MP3."},
    {1, "OHNE SOUNDKARTE L\xC4UFT WIMMEL EINFACH OHNE MUSIK."},
    {1, "DANACH LIESS SICH DAS PROGRAMM PROBLEMLOS KOMPILIEREN."},
    {1, kPrompt},
};

const std::vector<Line> kPage4 = {
    {0, "ERFOLGREICH GETESTET HAB ICH DIESES LISTING MIT:"},
    {1, "DEBIAN 12, 2 KERNE, 24 GB RAM, XVFB 1280x1024x24, OPENBOX"},
    {1, "DEBIAN 12, 2 KERNE, 24 GB RAM, HEADLESS-ANZEIGE 640x480x16"},
    {1, "DEBIAN 12, 2 KERNE, 24 GB RAM, HEADLESS-ANZEIGE 1280x1024x32"},
    {1, "DEBIAN 12, SDL2-FENSTER UNTER XVFB IN 16 UND 32 BIT"},
    {1, "DEBIAN 12, ADDRESSSANITIZER, 100 SZENEN AUF- UND ABGEBAUT"},
    {1, "DEBIAN 12, 1024 FIGUREN BEI 1280x1024x32"},
    {1, "DEBIAN 12, SDL-AUDIO AUF DATEI STATT LAUTSPRECHER"},
    {1, "DEBIAN 12, 2 KERNE, KEINE SOUNDKARTE (MUSIK BLEIBT AUS)"},
    {2, kPrompt},
};

const std::vector<Line> kPage5 = {
    {0, "DIE FIGUREN, H\xC4USER, MUSTER UND TASTEN MALT WIMMELS"},
    {1, "EIGENER GENERATOR BEIM BAUEN DES PROGRAMMS."},
    {1, "DIE ROTE UND DIE BLAUE K\xD6NIGIN, DER STARKE MANN, DAS PFERD"},
    {1, "UND DIE H\xDCPFENDEN ZYLINDER SIND PIXEL F\xDCR PIXEL BERECHNET."},
    {1, "AUCH DIE MUSIK KOMMT AUS DEM GENERATOR."},
    {1, "DANKE AN ALLE, DIE SDL2, LIBMPG123 UND LAME PFLEGEN!"},
    {2, "Versuchen Sie auch mal, hier mit der Escape-Taste"},
    {1, "die About-Anzeige zu beenden."},
    {1, "Mit Escape wird (absichtlich-grins) der Text"},
    {1, "nicht gel\xF6scht, die Figuren m\xFCssen dann "},
    {1, "aurf\xE4umen, soweit sie k\xF6nnen...."},
    {2, "Das Wimmel-Team - wimmel.invalid (keine echte Adresse)"},
    {2, kPrompt},
};

// The pages in their order, with the height of each page's first line
// above the screen's middle: the long third page starts a little higher.
struct Page {
  const std::vector<Line>& lines;
  int32_t aboveMiddle;
};
const Page kPages[] = {{kPage1, 190}, {kPage2, 190}, {kPage3, 195}, {kPage4, 190}, {kPage5, 190}};

void ShowPage(const Page& page) {
  const int32_t x = Layout().halfX - 310;
  int32_t y = Layout().halfY - page.aboveMiddle;
  for (const Line& line : page.lines) {
    y += line.advance * kLineSpacing;
    MaleText3D(line.text, x, y, 0xFFA4A4FF, 0xFF606080, 0xFFFFFFFF, 0, nullptr);
  }
}

}  // namespace

void ShowAbout() {
  for (size_t i = 0; i < std::size(kPages); ++i) {
    ShowPage(kPages[i]);
    const bool lastPage = i + 1 == std::size(kPages);
    // Escape on the last page leaves the text standing for the figures to wipe.
    if (rt::WaitForKey() == control::kEscapeKey && lastPage) break;
    control::ShowBackground();
  }
}

}  // namespace wimmel
